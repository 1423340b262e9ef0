#pragma once

// The main window. It owns all working state of the program; its handlers read their
// controls, call one core operation and put the result back. The handlers live in
// several files by topic (see the comments below); this header is the window's whole
// interface, used by the program, the dialogs and the GUI tests.

#include "app/platform.h"
#include "colours/color_table.h"
#include "colours/palette.h"
#include "common/bitmap32.h"
#include "common/styles.h"
#include "image/tone.h"
#include "mosaic/hand_edit.h"
#include "mosaic/mosaic_renderer.h"
#include "reduce/dither_kind.h"
#include "reduce/reduce_colors.h"

#include <QCursor>
#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QStatusBar;

namespace tesselka {

class ColorPanel;
class ImgView32;
struct BitmapLayer;
class TForm2;
class TForm3;
class TFormStorage;

// The kinds of file the saves write. Each save offers a name of its own kind in the
// folder last used for that kind, so that one kind's file is never offered, and so never
// replaced with a key press, by another kind's save.
enum class SaveKind { Picture, Studs, Model, Map, Settings, Project };
inline constexpr int SaveKindCount = 6;

// The steps of the work, in order; `Stage` holds one of them.
enum StageValue : int {
    StageCreated = -1, // before the first showing
    StagePicture = 0,  // a picture to dither
    StageDithered = 1, // StudImage holds the grid
    StageMosaic = 2,   // the view shows the mosaic, which can be edited
};

class TForm1 : public QWidget
{
    Q_OBJECT
public:
    // `appDir` is the folder of the executable, where ldconfig.ldr is looked for.
    TForm1(Platform& platform, const QString& appDir, QWidget* parent = nullptr);
    ~TForm1() override;

    // The dialogs are created after the main window (program start); the window reads
    // their controls.
    void SetDialogs(TForm2* form2, TForm3* form3);

    // --- Controls (objectName = field name) ------------------------------------------
    QGroupBox* GroupBox1 = nullptr; // "Palette "
    QGroupBox* GroupBox2 = nullptr; // "Dithering"
    QGroupBox* GroupBox3 = nullptr; // "Image"
    // The 41 palette panels and their check boxes, in creation order (PaletteEntries).
    std::array<ColorPanel*, PaletteSize> PalettePanels{};
    std::array<QCheckBox*, PaletteSize> PaletteBoxes{};
    QLabel* Image2 = nullptr;        // palette strip
    QPushButton* BitBtn5 = nullptr;  // All
    QPushButton* BitBtn9 = nullptr;  // None
    QPushButton* BitBtn12 = nullptr; // Default
    QRadioButton* dm1 = nullptr;
    QRadioButton* dm2 = nullptr;
    QRadioButton* dm3 = nullptr;
    QRadioButton* dm4 = nullptr;
    QRadioButton* dm5 = nullptr;
    QRadioButton* dm6 = nullptr;
    QRadioButton* dm7 = nullptr;
    // How a colour finds its palette entry: "RGB" or "Perceptual".
    QComboBox* MatchBox = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;  // Load Image
    QPushButton* BitBtn2 = nullptr;  // Dither Image
    QPushButton* BitBtn10 = nullptr; // Make Mosaic
    QPushButton* BitBtn8 = nullptr;  // Make LDraw
    QPushButton* BitBtn7 = nullptr;  // Original Image
    QPushButton* BitBtn11 = nullptr; // Make Map
    QCheckBox* CheckBox42 = nullptr; // Black Grid
    QCheckBox* CheckBox43 = nullptr; // Gray Grid
    QCheckBox* CheckBox44 = nullptr; // 8 Stud Grid
    QLabel* Label3 = nullptr;        // "Scale x1"
    QSlider* sbScale = nullptr;
    ColorPanel* Panel42 = nullptr;  // pen colour
    QPushButton* Button3 = nullptr; // Undo
    ImgView32* image1 = nullptr;
    ColorPanel* Panel43 = nullptr; // tone box (Tag 600)
    QLabel* Label4 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QSlider* Brightness = nullptr;
    QSlider* Contrast = nullptr;
    QSlider* Saturation = nullptr;
    QSlider* Darkness = nullptr;
    QSlider* Lightness = nullptr;
    QSlider* Splitlight = nullptr;
    QCheckBox* GrayScale = nullptr;
    QCheckBox* Invert = nullptr;
    QCheckBox* CheckBox45 = nullptr; // Auto dither
    QCheckBox* CheckBox46 = nullptr; // Auto mosaic
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button10 = nullptr;
    QPushButton* Button1 = nullptr;  // Load LDraw File
    QPushButton* Button2 = nullptr;  // Save Current Image
    QPushButton* Button4 = nullptr;  // Save Settings
    QPushButton* Button5 = nullptr;  // Load Settings
    QPushButton* Button11 = nullptr; // Load Dithered Image
    QPushButton* Button12 = nullptr; // Save 16 x 16
    QLabel* Label12 = nullptr;       // "Opacity"
    QSlider* LayerOpacity = nullptr;
    QLabel* Label5 = nullptr;  // scaling line
    QLabel* Label13 = nullptr; // drawing position
    QStatusBar* StatusBar1 = nullptr;
    FileDialog OpenPictureDialog;
    FileDialog OpenDialog1;
    FileDialog SaveDialog1;

    // --- State ------------------------------------------------------------------------
    ColorTable ColorSlots;
    bool ColorTableRead = false; // the file was found and read to its end
    SelectedColorArray SelectedColors{};
    DitherSettingsRecord DitherSettings;
    Bitmap32 SourcePicture;
    Bitmap32 WorkPicture;
    Bitmap32 StudImage;
    Bitmap32 MixStudImage;
    Bitmap32 TotalsSheet;
    Bitmap32 PanelSheet;
    BitmapLayer* OverlayLayer = nullptr;
    int CellWidth = 0;
    int CellHeight = 0;
    int Stage = StageCreated;
    int ToolMode = 0;
    int DragActive = 0;
    int PressX = 0;
    int PressY = 0;
    TColor PenColor = 0;
    int PaletteCount = 0;
    QStringList UndoList;
    // The lines that redo what Undo took back, latest last; a new edit empties it.
    QStringList RedoList;
    int ViewWidth = 0;
    int ViewHeight = 0;
    QStringList TotalsList;

    QString MosaicStyle() const;

    // --- Shell (form1.cpp) ------------------------------------------------------------
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    bool Edit2KeyPress(QKeyEvent* event); // true when the key was discarded
    void ComboBox1Change();
    void dm2Click();
    void GrayScaleClick();
    void LoadColorTable();
    // Shows a core error in the standard error box.
    void ShowError(const std::exception& error);
    void ShowInfo(const QString& text);
    // The status bar's line: what the last command did.
    void ShowStatus(const QString& text);

    // --- File dialogs (form1_files.cpp) -----------------------------------------------
    // The shared save dialog for `kind` over `parent` (this window by default): the
    // kind's filter and extension, and the picture's name with the kind's ending in the
    // folder last used for the kind. True when a name was chosen (SaveDialog1.FileName);
    // its folder is then remembered in the settings file.
    bool ExecuteSaveDialog(SaveKind kind, QWidget* parent = nullptr);
    // The name `kind`'s save offers now.
    QString OfferedSaveName(SaveKind kind) const;
    // The shared open dialog with `filter`, in the folder of its last use with no name
    // filled in: the last name may be of another kind.
    bool ExecuteOpenDialog(const QString& filter);
    // The picture the saves name their files after: its folder and name without extension.
    void SetPictureName(const QString& path);

    // --- Palette (form1_palette.cpp) --------------------------------------------------
    void Panel2Click(ColorPanel* panel);
    void Image2MouseDown(int x, int y);
    void BitBtn5Click();  // All
    void BitBtn9Click();  // None
    void BitBtn12Click(); // Default
    // Fills SelectedColors from the ticked boxes; returns the palette, n in `count`.
    ReductionPalette BuildPalette(int& count);
    void DrawPaletteStrip(int count);
    const Bitmap32& PaletteStrip() const { return paletteStrip_; }

    // --- Pictures and tone (form1_pictures.cpp) ---------------------------------------
    void BitBtn1Click(); // Load Image
    // Load Image's work on a file already chosen: the dialog's, or one given on the
    // command line (the desktop entry passes the file a user opens with the program).
    void LoadPictureFile(const QString& fileName);
    void BitBtn7Click();  // Original Image
    void Button11Click(); // Load Dithered Image
    void Button2Click();  // Save Current Image
    void BrightnessChange();
    void ContrastChange();
    void SaturationChange();
    void DarknessChange();
    void LightnessChange();
    void SplitlightChange();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void Button10Click();
    void AdjustTone();
    ToneSettings CurrentToneSettings() const;
    // ScaleToGrid with the window's width box, cell shape and Label5.
    void ScaleToGrid(const Bitmap32& source, Bitmap32& target, bool mix);

    // --- Dither (form1_dither.cpp) ----------------------------------------------------
    void BitBtn2Click();

    // --- Mosaic view and editing (form1_mosaic.cpp) -----------------------------------
    // Shows its own progress dialog unless a command that draws the mosaic as one of its
    // steps (Open Project) reports through `progress`.
    void MakeMosaic(const StepProgress& progress = {});
    // Draws `studs` with cells of `cell` into the view (the stud-mix pass with mixPass).
    void RenderMosaic(const Bitmap32& studs, CellShape cell, bool mixPass);
    // RenderMosaic in two steps: the drawing into `view` (false when there is no dither
    // yet or `progress` cancels) and the showing, which swaps `view` into the view.
    bool DrawMosaicView(const Bitmap32& studs, CellShape cell, bool mixPass, Bitmap32& view,
                        const StepProgress& progress = {});
    void ShowMosaicView(Bitmap32& view, const MosaicRenderSettings& settings);
    void CheckBox42Click(); // grid and scale change
    void LayerOpacityChange();
    void image1MouseEnter();
    void image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void image1MouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
    void image1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void image1KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void image1KeyUp(int key, Qt::KeyboardModifiers modifiers);
    void image1ZoomChange(); // remembers whether the view fits the window
    void Button3Click();     // Undo
    void Redo();             // Ctrl+Y, Ctrl+Shift+Z
    void Button12Click();    // Save 16 x 16

    // --- LDraw (form1_ldraw.cpp) ------------------------------------------------------
    void BitBtn8Click(); // Make LDraw
    void Button1Click(); // Load LDraw File

    // --- Projects (form1_project.cpp) ------------------------------------------------
    QPushButton* SaveProjectButton = nullptr; // Save Project (Ctrl+S)
    QPushButton* OpenProjectButton = nullptr; // Open Project (Ctrl+O)
    void SaveProjectClick();
    void OpenProjectClick();
    // Write and read a project; both throw tesselka::Error. Opening changes nothing
    // until the project and its picture have been read whole, and returns false when
    // the user cancelled the reading.
    void SaveProjectFile(const QString& fileName);
    bool OpenProjectFile(const QString& fileName);
    // A file given on the command line: a project is opened, anything else loaded as a
    // picture.
    void OpenFile(const QString& fileName);
    // The name and bytes of the picture file last loaded, for projects.
    QString LoadedPictureName;
    std::string LoadedPictureBytes;

    // --- Map and settings (later) -----------------------------------------------------
    void BitBtn11Click(); // Make Map
    void Button4Click();  // Save Settings
    void Button5Click();  // Load Settings

    // --- Settings storage (form1_settings.cpp) ----------------------------------------
    // The main window's storage; the dialogs carry theirs as a child named FormStorage1.
    std::unique_ptr<TFormStorage> FormStorage1;
    // Beside the executable for a portable copy, else in the user's configuration folder.
    QString SettingsFileName() const { return settingsFile_; }

    Platform& platform() { return platform_; }
    const QString& AppDir() const { return appDir_; }
    TForm2* Form2() const { return form2_; }
    TForm3* Form3() const { return form3_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void FitGroupFrames();
    void SetToolTips();
    void ConnectHandlers();
    void PlaceProjectButtons();

    Platform& platform_;
    QString appDir_;
    QString settingsFile_;
    // Set while a project's settings are put into the controls.
    bool openingProject_ = false;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    Bitmap32 paletteStrip_;
    bool shown_ = false;

    // Settings storage (form1_settings.cpp).
    void CreateFormStorage();
    void AttachDialogStorages();

    // Projects (form1_project.cpp).
    void RememberLoadedPicture(const QString& fileName);
    // Open Project's work on a file already chosen, with its busy cursor, errors and
    // status line.
    void OpenProject(const QString& fileName);
    // The storages of the main window and of the dialogs that have theirs.
    std::vector<TFormStorage*> Storages() const;
    // The three windows' sections, as Save Settings writes them.
    std::string ProjectSettingsText();

    // Mosaic view and editing (form1_mosaic.cpp).
    static std::array<QCursor, 4> LoadViewCursors();
    MosaicRenderSettings CurrentRenderSettings(CellShape cell, bool mixPass) const;
    CellGeometry CurrentGeometry() const;
    void RedrawMosaic(const QRect& changedStuds);
    void PenStep(int px, int py);
    // Undo and redo: applies the last line of `from` and files its inverse in `to`.
    void StepEditHistory(QStringList& from, QStringList& to);
    void DropMosaicView();
    void CheckMixGridMade() const;
    void SetViewCursor(int id);
    // The view cursors by number: 0 the arrow, 1 pencil, 2 dropper, 3 bucket.
    std::array<QCursor, 4> viewCursors_ = LoadViewCursors();
    // What the view shows when it was last rendered whole, so that an edit can redraw
    // only its own cells while that picture is still the one shown.
    MosaicRenderSettings lastRender_;
    uint64_t lastRenderRevision_ = 0;

    // Dither Image (form1_dither.cpp): full-size buffers kept between runs.
    IndexedBitmap reducedPicture_;
    Bitmap32 ditheredPicture_;

    // File dialogs (form1_files.cpp): the picture's folder and name, and the folder last
    // used for each kind of save (empty until used).
    QString pictureFolder_;
    QString pictureName_;
    std::array<QString, SaveKindCount> saveFolders_;
    bool fitRemembered_ = false;
    void ReadRemembered();
    void Remember(const char* section, const char* key, const QString& value);

    // Load LDraw File (form1_ldraw.cpp): the colour of the last part whose code was
    // found; a part with an unknown code takes it, also from an earlier load.
    TColor ldrawColor_ = 0;
};

} // namespace tesselka
