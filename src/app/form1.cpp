#include "app/form1.h"

#include "app/design.h"
#include "app/form_storage.h"
#include "common/error.h"
#include "common/file_path.h"
#include "common/styles.h"
#include "common/version.h"
#include "widgets/color_panel.h"
#include "widgets/img_view32.h"
#include "workflow/workflow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QStatusBar>

namespace tesselka {

namespace {

// Tag of option check boxes (never palette boxes) and of controls never recoloured.
constexpr int OptionTag = 6969;
constexpr int GroupTag = 600;

// Designed window size and the smallest size the window may take.
constexpr int DesignWidth = 887;
constexpr int DesignHeight = 750;
constexpr int MinWidth = 800;
constexpr int MinHeight = 755;
// The view keeps these margins to the window's right and bottom edges.
constexpr int ViewLeft = 328;
constexpr int ViewTop = 8;
constexpr int ViewRightMargin = 16;
constexpr int ViewBottomMargin = 39;
constexpr int StatusHeight = 18;
constexpr int ProjectButtonWidth = 90;

template <typename T>
T* Make(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    T* w = new T(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(left, top, width, height);
    return w;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int left, int top, int width = 152,
                        int height = 18)
{
    auto* b = Make<QPushButton>(parent, name, left, top, width, height);
    b->setText(QString::fromLatin1(caption));
    return b;
}

QCheckBox* MakeOption(QWidget* parent, const char* name, const char* caption, int left, int top, int width)
{
    auto* c = Make<QCheckBox>(parent, name, left, top, width, 17);
    c->setText(QString::fromLatin1(caption));
    c->setProperty("Tag", OptionTag);
    return c;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, int left, int top, int width, int height = 13)
{
    auto* l = Make<QLabel>(parent, name, left, top, width, height);
    l->setText(QString::fromLatin1(caption));
    return l;
}

QSlider* MakeSlider(QWidget* parent, const char* name, int left, int top, int width, int height, int min, int max)
{
    auto* s = Make<QSlider>(parent, name, left, top, width, height);
    s->setOrientation(Qt::Horizontal);
    s->setRange(min, max);
    s->setValue(0 >= min && 0 <= max ? 0 : min);
    return s;
}

} // namespace

TForm1::TForm1(Platform& platform, const QString& appDir, QWidget* parent)
    : QWidget(parent), platform_(platform), appDir_(appDir)
{
    setObjectName(QStringLiteral("Form1"));
    CreateControls();
    FormCreate();
    ConnectHandlers();
}

TForm1::~TForm1()
{
    // Tearing the window down hides it, which is no close: nothing is saved then.
    FormStorage1.reset();
    qApp->removeEventFilter(this);
}

void TForm1::SetDialogs(TForm2* form2, TForm3* form3)
{
    form2_ = form2;
    form3_ = form3;
    AttachDialogStorages();
}

QString TForm1::MosaicStyle() const
{
    return ComboBox1->currentText();
}

void TForm1::CreateControls()
{
    setFont(DesignFont(font()));
    resize(DesignWidth, DesignHeight);
    setMinimumSize(MinWidth, MinHeight);

    // Palette.
    GroupBox1 = Make<QGroupBox>(this, "GroupBox1", 8, 2, 152, 463);
    GroupBox1->setTitle(QStringLiteral("Palette "));
    GroupBox1->setProperty("Tag", GroupTag);
    for (int i = 0; i < PaletteSize; ++i) {
        const PaletteEntry& entry = PaletteEntries[size_t(i)];
        QByteArray panelName = "Panel" + QByteArray::number(entry.panel);
        QByteArray boxName = "CheckBox" + QByteArray::number(entry.checkBox);
        auto* panel = Make<ColorPanel>(GroupBox1, panelName.constData(), entry.left, entry.top, 22, 35);
        panel->Tag = entry.code;
        panel->SetColor(entry.designedColor);
        auto* box = Make<QCheckBox>(panel, boxName.constData(), 4, 15, 15, 17);
        box->setChecked(entry.checkedAtStart);
        box->setProperty("Tag", 0);
        PalettePanels[size_t(i)] = panel;
        PaletteBoxes[size_t(i)] = box;
    }
    Image2 = Make<QLabel>(GroupBox1, "Image2", 124, 16, 24, 336);
    Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    BitBtn5 = MakeButton(GroupBox1, "BitBtn5", "All", 4, 437, 46, 20);
    BitBtn9 = MakeButton(GroupBox1, "BitBtn9", "None", 53, 437, 46, 20);
    BitBtn12 = MakeButton(GroupBox1, "BitBtn12", "Default", 102, 437, 46, 20);

    // Dithering.
    GroupBox2 = Make<QGroupBox>(this, "GroupBox2", 168, 2, 152, 129);
    GroupBox2->setTitle(QStringLiteral("Dithering"));
    GroupBox2->setProperty("Tag", GroupTag);
    const char* ditherCaptions[7] = {"Floyd Steinberg",    "Stucki", "Sierra",       "Jarvis, Judice && Ninke",
                                     "Stevenson && Arche", "Burkes", "Nearest color"};
    QRadioButton** radios[7] = {&dm1, &dm2, &dm3, &dm4, &dm5, &dm6, &dm7};
    for (int i = 0; i < 7; ++i) {
        QByteArray name = "dm" + QByteArray::number(i + 1);
        *radios[i] = Make<QRadioButton>(GroupBox2, name.constData(), 8, 16 + 15 * i, 140, 15);
        // A doubled ampersand in a caption shows as one.
        (*radios[i])->setText(QString::fromLatin1(ditherCaptions[i]));
    }
    dm2->setChecked(true);
    // Beside the short captions of Stucki and Sierra, where the group has room, so that no
    // designed control moves; created after the radios, it lies above their empty ends.
    MatchBox = Make<QComboBox>(GroupBox2, "MatchBox", 72, 33, 76, 22);
    MatchBox->addItems({QStringLiteral("RGB"), QStringLiteral("Perceptual")});

    Label1 = MakeLabel(this, "Label1", "Mosaic Width", 168, 134, 152);
    Edit2 = Make<QLineEdit>(this, "Edit2", 168, 150, 152, 21);
    Edit2->setText(QStringLiteral("96"));
    // Pasted text is held to digits as well as typed text.
    Edit2->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Edit2));
    Edit2->installEventFilter(this);
    Label2 = MakeLabel(this, "Label2", "Mosaic Style", 168, 176, 152);
    ComboBox1 = Make<QComboBox>(this, "ComboBox1", 168, 192, 152, 21);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    for (std::string_view style : MosaicStyles)
        ComboBox1->addItem(QString::fromLatin1(style.data(), qsizetype(style.size())));
    ComboBox1->setCurrentIndex(0);

    BitBtn1 = MakeButton(this, "BitBtn1", "1.    Load Image   ", 168, 220);
    BitBtn2 = MakeButton(this, "BitBtn2", "2.    Dither Image ", 168, 244);
    BitBtn10 = MakeButton(this, "BitBtn10", "3.    Make Mosaic", 168, 268);
    BitBtn8 = MakeButton(this, "BitBtn8", "Make LDraw", 168, 299);
    BitBtn7 = MakeButton(this, "BitBtn7", "Original Image", 168, 323);
    BitBtn11 = MakeButton(this, "BitBtn11", "Make Map", 168, 347);

    // Image group: grids, scale, pen colour, undo.
    GroupBox3 = Make<QGroupBox>(this, "GroupBox3", 168, 368, 152, 97);
    GroupBox3->setTitle(QStringLiteral("Image"));
    GroupBox3->setProperty("Tag", GroupTag);
    CheckBox42 = MakeOption(GroupBox3, "CheckBox42", "Black Grid", 8, 16, 100);
    CheckBox43 = MakeOption(GroupBox3, "CheckBox43", "Gray Grid", 8, 33, 100);
    CheckBox44 = MakeOption(GroupBox3, "CheckBox44", "8 Stud Grid", 8, 50, 100);
    Label3 = MakeLabel(GroupBox3, "Label3", "Scale x1", 8, 68, 60);
    sbScale = MakeSlider(GroupBox3, "sbScale", 8, 80, 100, 14, 1, 8);
    sbScale->setValue(1);
    Panel42 = Make<ColorPanel>(GroupBox3, "Panel42", 114, 16, 30, 30);
    Panel42->setFrameShadow(QFrame::Sunken);
    Panel42->Tag = 0;
    Button3 = MakeButton(GroupBox3, "Button3", "Undo", 110, 56, 38, 20);
    Button3->setEnabled(false);

    image1 = Make<ImgView32>(this, "image1", ViewLeft, ViewTop, DesignWidth - ViewLeft - ViewRightMargin,
                             DesignHeight - ViewTop - ViewBottomMargin);
    image1->SetBitmap(Bitmap32::FromImage(QImage(QStringLiteral(":/start.png"))));

    // Tone box.
    Panel43 = Make<ColorPanel>(this, "Panel43", 8, 472, 313, 153);
    Panel43->Tag = GroupTag;
    Panel43->setAutoFillBackground(false);
    struct ToneRow
    {
        QLabel** label;
        const char* labelName;
        const char* caption;
        QSlider** slider;
        const char* sliderName;
        QPushButton** reset;
        const char* resetName;
    };
    const ToneRow rows[6] = {
        {&Label4, "Label4", "Brightness 0", &Brightness, "Brightness", &Button6, "Button6"},
        {&Label6, "Label6", "Contrast 0", &Contrast, "Contrast", &Button7, "Button7"},
        {&Label7, "Label7", "Saturation 0", &Saturation, "Saturation", &Button8, "Button8"},
        {&Label8, "Label8", "Darkness 0", &Darkness, "Darkness", &Button9, "Button9"},
        {&Label9, "Label9", "Lightness 0", &Lightness, "Lightness", &Button10, "Button10"},
        {&Label10, "Label10", "Splitlight 0", &Splitlight, "Splitlight", nullptr, nullptr},
    };
    for (int i = 0; i < 6; ++i) {
        int top = 6 + 24 * i;
        *rows[i].label = MakeLabel(Panel43, rows[i].labelName, rows[i].caption, 6, top, 84);
        if (rows[i].reset)
            *rows[i].reset = MakeButton(Panel43, rows[i].resetName, "", 92, top, 12, 12);
        bool split = i == 5;
        *rows[i].slider =
            MakeSlider(Panel43, rows[i].sliderName, 6, top + 12, 180, 12, split ? 0 : -255, split ? 10 : 255);
    }
    GrayScale = MakeOption(Panel43, "GrayScale", "Grayscale", 200, 10, 100);
    Invert = MakeOption(Panel43, "Invert", "Invert", 200, 34, 100);
    CheckBox45 = MakeOption(Panel43, "CheckBox45", "Auto dither", 200, 58, 100);
    CheckBox46 = MakeOption(Panel43, "CheckBox46", "Auto mosaic", 200, 82, 100);

    Button2 = MakeButton(this, "Button2", "Save Current Image", 8, 632);
    Button1 = MakeButton(this, "Button1", "Load LDraw File", 168, 632);
    Button4 = MakeButton(this, "Button4", "Save Settings", 8, 656);
    Button5 = MakeButton(this, "Button5", "Load Settings", 168, 656);
    Button12 = MakeButton(this, "Button12", "Save 16 x 16", 8, 680);
    Button11 = MakeButton(this, "Button11", "Load Dithered Image", 168, 680);
    Label12 = MakeLabel(this, "Label12", "Opacity", 168, 698, 152);
    LayerOpacity = MakeSlider(this, "LayerOpacity", 168, 711, 153, 10, 0, 255);
    LayerOpacity->setEnabled(false);
    // The scaling line sits under the view, where it has room to be read.
    Label5 = MakeLabel(this, "Label5", "", ViewLeft, DesignHeight - ViewBottomMargin + 6, 400);
    Label13 = MakeLabel(this, "Label13", "", 8, 718, 158);
    // What the last command did, along the bottom edge under every other control.
    StatusBar1 = Make<QStatusBar>(this, "StatusBar1", 0, DesignHeight - StatusHeight, DesignWidth, StatusHeight);
    FitGroupFrames();
    SetToolTips();
    // Projects: a row at the right end of the strip under the view, clear of the
    // designed controls.
    OpenProjectButton = MakeButton(this, "OpenProjectButton", "Open Project", 0, 0, ProjectButtonWidth, 18);
    SaveProjectButton = MakeButton(this, "SaveProjectButton", "Save Project", 0, 0, ProjectButtonWidth, 18);
    OpenProjectButton->setToolTip(QStringLiteral("Open a saved project (Ctrl+O)"));
    SaveProjectButton->setToolTip(QStringLiteral("Save the picture, settings, mosaic and edits as a project (Ctrl+S)"));
    PlaceProjectButtons();

    OpenPictureDialog.kind = FileDialogKind::OpenPicture;
    OpenPictureDialog.Filter = QStringLiteral(
        "All (*.dib;*.gif;*.png;*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.dib;*.gif;*.png;*.gif;*.jpg;*.jpeg;"
        "*.bmp;*.ico;*.emf;*.wmf|Device Independent Bitmap (*.dib)|*.dib|GIF Image (*.gif)|*.gif|Portable Network "
        "Graphics (*.png)|*.png|CompuServe GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File "
        "(*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|Metafiles "
        "(*.wmf)|*.wmf");
    OpenDialog1.kind = FileDialogKind::Open;
    OpenDialog1.Filter = QStringLiteral("LDraw file (*.ldr)|*.ldr");
    SaveDialog1.kind = FileDialogKind::Save;
    SaveDialog1.Filter = QStringLiteral("LDraw (*.ldr)|*.ldr");
    SaveDialog1.DefaultExt = QStringLiteral("ldr");
    SaveDialog1.OverwritePrompt = true;
}

void TForm1::ConnectHandlers()
{
    for (ColorPanel* panel : PalettePanels)
        connect(panel, &ColorPanel::clicked, this, [this, panel] { Panel2Click(panel); });
    // A palette box fires on every change of its state, also when the program changes it.
    for (QCheckBox* box : PaletteBoxes)
        connect(box, &QCheckBox::toggled, this, [this] { dm2Click(); });
    // A radio button fires when it becomes checked.
    for (QRadioButton* radio : {dm1, dm2, dm3, dm4, dm5, dm6, dm7})
        connect(radio, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                dm2Click();
        });
    connect(MatchBox, &QComboBox::currentIndexChanged, this, [this] { dm2Click(); });
    Image2->installEventFilter(this);
    connect(BitBtn5, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
    connect(BitBtn9, &QPushButton::clicked, this, [this] { BitBtn9Click(); });
    connect(BitBtn12, &QPushButton::clicked, this, [this] { BitBtn12Click(); });

    // The style handler runs for the user's changes only, not when the program sets the
    // text (settings restore, LDraw load).
    connect(ComboBox1, &QComboBox::textActivated, this, [this] { ComboBox1Change(); });
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, [this] { ComboBox1Change(); });

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(BitBtn10, &QPushButton::clicked, this, [this] { MakeMosaic(); });
    connect(BitBtn8, &QPushButton::clicked, this, [this] { BitBtn8Click(); });
    connect(BitBtn7, &QPushButton::clicked, this, [this] { BitBtn7Click(); });
    connect(BitBtn11, &QPushButton::clicked, this, [this] { BitBtn11Click(); });

    for (QCheckBox* box : {CheckBox42, CheckBox43, CheckBox44})
        connect(box, &QCheckBox::toggled, this, [this] { CheckBox42Click(); });
    connect(sbScale, &QSlider::valueChanged, this, [this] { CheckBox42Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(LayerOpacity, &QSlider::valueChanged, this, [this] { LayerOpacityChange(); });

    connect(image1, &ImgView32::mouseEnter, this, [this] { image1MouseEnter(); });
    connect(image1, &ImgView32::mouseDown, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) { image1MouseDown(b, m, x, y); });
    connect(image1, &ImgView32::mouseMove, this,
            [this](Qt::KeyboardModifiers m, int x, int y) { image1MouseMove(m, x, y); });
    connect(image1, &ImgView32::mouseUp, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) { image1MouseUp(b, m, x, y); });
    connect(image1, &ImgView32::keyDown, this, [this](int key, Qt::KeyboardModifiers m) { image1KeyDown(key, m); });
    connect(image1, &ImgView32::keyUp, this, [this](int key, Qt::KeyboardModifiers m) { image1KeyUp(key, m); });
    connect(image1, &ImgView32::zoomChanged, this, [this] { image1ZoomChange(); });

    connect(Brightness, &QSlider::valueChanged, this, [this] { BrightnessChange(); });
    connect(Contrast, &QSlider::valueChanged, this, [this] { ContrastChange(); });
    connect(Saturation, &QSlider::valueChanged, this, [this] { SaturationChange(); });
    connect(Darkness, &QSlider::valueChanged, this, [this] { DarknessChange(); });
    connect(Lightness, &QSlider::valueChanged, this, [this] { LightnessChange(); });
    connect(Splitlight, &QSlider::valueChanged, this, [this] { SplitlightChange(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(Button7, &QPushButton::clicked, this, [this] { Button7Click(); });
    connect(Button8, &QPushButton::clicked, this, [this] { Button8Click(); });
    connect(Button9, &QPushButton::clicked, this, [this] { Button9Click(); });
    connect(Button10, &QPushButton::clicked, this, [this] { Button10Click(); });
    for (QCheckBox* box : {GrayScale, Invert, CheckBox45, CheckBox46})
        connect(box, &QCheckBox::toggled, this, [this] { GrayScaleClick(); });

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(Button11, &QPushButton::clicked, this, [this] { Button11Click(); });
    connect(Button12, &QPushButton::clicked, this, [this] { Button12Click(); });
    connect(SaveProjectButton, &QPushButton::clicked, this, [this] { SaveProjectClick(); });
    connect(OpenProjectButton, &QPushButton::clicked, this, [this] { OpenProjectClick(); });

    // The window sees every key before its controls (for Ctrl+Z).
    qApp->installEventFilter(this);
}

void TForm1::FormCreate()
{
    settingsFile_ = platform_.SettingsFileName(appDir_);
    CreateFormStorage();
    ReadRemembered();
    DitherSettings = DitherSettingsRecord{DitherNearest, 8};
    SourcePicture = Bitmap32();
    WorkPicture = Bitmap32();
    StudImage = Bitmap32();
    MixStudImage = Bitmap32();
    TotalsSheet = Bitmap32();
    PanelSheet = Bitmap32();
    Stage = StageCreated;
    ToolMode = 0;
    DragActive = 0;
    LoadColorTable();
    UndoList.clear();
    TotalsList.clear();
}

void TForm1::LoadColorTable()
{
    const std::string appDir = FilePath(appDir_);
    const std::optional<std::string> path = FindColorTable(appDir);
    std::optional<ColorTableReadResult> result;
    try {
        if (path)
            result = LoadColorTableFile(*path, ColorSlots);
    } catch (const Error& e) {
        // A folder or a device in its place: said as it is, the palette stays designed.
        ColorTableRead = false;
        platform_.ShowMessage(this, MessageKind::Error, QString::fromStdString(e.what()));
        return;
    }
    if (!result) {
        ColorSlots.Reset();
        ColorTableRead = false;
        ShowInfo(QString::fromLocal8Bit(MissingColorTableText(ColorTablePlaces(appDir))));
        return;
    }
    if (result->error) {
        ColorTableRead = false;
        platform_.ShowMessage(this, MessageKind::Error, QString::fromStdString(*result->error));
        return;
    }
    ColorTableRead = true;
    // Every palette panel and the pen-colour indicator take their slot's colour and name.
    const PanelSlots marked = MarkPanelSlots(ColorSlots);
    auto show = [this](ColorPanel* panel, int slot) {
        const ColorSlot& s = ColorSlots[slot];
        panel->SetColor(s.Color);
        QString name = QString::fromStdString(s.Name);
        name.replace(QLatin1Char('_'), QLatin1Char(' '));
        panel->setToolTip(name + QStringLiteral(" LDraw ") + QString::number(s.Code));
    };
    for (size_t i = 0; i < PalettePanels.size(); ++i)
        show(PalettePanels[i], marked.palette[i]);
    show(Panel42, marked.pen);
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm1::FormShow()
{
    SourcePicture = image1->Bitmap();
    WorkPicture = image1->Bitmap();
    setWindowTitle(QStringLiteral("%1          by %2  -  %3")
                       .arg(QLatin1String(ProgramName), QLatin1String(CreditAuthor), QLatin1String(VersionText)));
    ComboBox1Change();
    Stage = StagePicture;
    int depth = platform_.ColorDepth();
    if (depth < 32)
        platform_.ShowMessage(this, MessageKind::Warning,
                              QStringLiteral("You are running in %1 bit color depth mode.\n\rTesselka needs to be run "
                                             "in 32 bit color depth mode.")
                                  .arg(depth));
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm1::FormResize()
{
    if (width() < MinWidth || height() < MinHeight)
        resize(std::max(width(), MinWidth), std::max(height(), MinHeight));
    image1->setGeometry(ViewLeft, ViewTop, width() - ViewLeft - ViewRightMargin, height() - ViewTop - ViewBottomMargin);
    Label5->move(ViewLeft, height() - ViewBottomMargin + 6);
    StatusBar1->setGeometry(0, height() - StatusHeight, width(), StatusHeight);
    PlaceProjectButtons();
}

void TForm1::ShowStatus(const QString& text)
{
    StatusBar1->showMessage(text);
}

void TForm1::FitGroupFrames()
{
    // The design puts the first control of a group 16 pixels down, under a frame line
    // that runs through the middle of the caption. The style's own frame starts under
    // the caption and so would cross that control: draw it the designed way, at half
    // the caption font's height.
    const int middle = QFontMetrics(font()).height() / 2;
    for (QGroupBox* box : {GroupBox1, GroupBox2, GroupBox3})
        box->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px; "
                                          "margin-top: %1px; }"
                                          "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }")
                               .arg(middle));
}

void TForm1::SetToolTips()
{
    const std::pair<QWidget*, const char*> tips[] = {
        {Image2, "The colours in use; click one to draw with it"},
        {BitBtn5, "Tick every colour"},
        {BitBtn9, "Untick every colour"},
        {BitBtn12, "Tick the usual colours only"},
        {dm1, "Floyd Steinberg: spreads each stud's colour error over four neighbours"},
        {dm2, "Stucki: spreads the error widely, for smooth shades"},
        {dm3, "Sierra: spreads the error over ten neighbours"},
        {dm4, "Jarvis, Judice & Ninke: spreads the error over twelve neighbours"},
        {dm5, "Stevenson & Arce: spreads the error in a wide pattern"},
        {dm6, "Burkes: spreads the error over seven neighbours"},
        {dm7, "No dithering: each stud takes the nearest colour"},
        {MatchBox, "How a colour finds its brick colour: RGB takes the nearest in red, green and blue, "
                   "Perceptual the one nearest to the eye"},
        {Edit2, "The width of the mosaic in studs"},
        {ComboBox1, "The parts the mosaic is built from and how they stand"},
        {BitBtn1, "Open the picture to turn into a mosaic"},
        {BitBtn2, "Reduce the picture to the ticked colours and to the mosaic's studs"},
        {BitBtn10, "Draw the mosaic; then click to draw, Ctrl+click to fill, Alt+click to pick a colour"},
        {BitBtn8, "Write the mosaic as an LDraw model"},
        {BitBtn7, "Show the loaded picture again, with the tone controls reset"},
        {BitBtn11, "Print or save the build map: numbered panels and colour totals"},
        {CheckBox42, "Lines between studs of different colours and around the mosaic"},
        {CheckBox43, "Lines between studs of the same colour"},
        {CheckBox44, "Red lines every 8 studs, to count by"},
        {sbScale, "The size of the studs in the view"},
        {Button3, "Undo the last edit (Ctrl+Z); Ctrl+Y redoes it"},
        {image1, "Ctrl+wheel zooms, Ctrl+0 fits the window, Ctrl+1 shows actual size; Space+drag moves"},
        {Panel43, "The picture's tone, set before dithering"},
        {Brightness, "Brightness of the picture before dithering"},
        {Contrast, "Contrast of the picture before dithering"},
        {Saturation, "Colour strength of the picture before dithering"},
        {Darkness, "Darkens the dark parts of the picture"},
        {Lightness, "Lightens the light parts of the picture"},
        {Splitlight, "Repeats the picture's range of light: bands of light and dark"},
        {Button6, "Reset Brightness to 0"},
        {Button7, "Reset Contrast to 0"},
        {Button8, "Reset Saturation to 0"},
        {Button9, "Reset Darkness to 0"},
        {Button10, "Reset Lightness to 0"},
        {GrayScale, "Turn the picture grey"},
        {Invert, "Invert the picture's colours"},
        {CheckBox45, "Dither again after every change"},
        {CheckBox46, "Make the mosaic again after every change"},
        {Button2, "Save the picture in the view as PNG"},
        {Button1, "Open an LDraw model made by this program"},
        {Button4, "Save these settings to a file"},
        {Button5, "Load settings from a file"},
        {Button12, "Save the mosaic as a PNG picture with 16 x 16 pixels per stud"},
        {Button11, "Open a picture already in brick colours, without dithering it"},
        {LayerOpacity, "How strongly the picture shows over the mosaic"},
    };
    for (const auto& [widget, tip] : tips)
        widget->setToolTip(QString::fromUtf8(tip));
}

void TForm1::PlaceProjectButtons()
{
    // Between the view and the status line.
    const int top = height() - ViewBottomMargin + 2;
    SaveProjectButton->move(width() - ViewRightMargin - ProjectButtonWidth, top);
    OpenProjectButton->move(width() - ViewRightMargin - 2 * ProjectButtonWidth - 4, top);
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    QWidget::keyPressEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Key preview: the application filter sees a key once per widget it propagates
        // through; take it only at the widget that receives it first.
        QWidget* receiver = QApplication::focusWidget() ? QApplication::focusWidget() : this;
        if (widget == receiver && widget->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            FormKeyDown(key->key(), key->modifiers());
        }
    }
    if (watched == Edit2 && event->type() == QEvent::KeyPress)
        return Edit2KeyPress(static_cast<QKeyEvent*>(event));
    if (watched == Image2 && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        QPoint p = mouse->position().toPoint();
        Image2MouseDown(p.x(), p.y());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // Not in the middle of a stroke: the history would change under the pen.
    const bool idle = QApplication::mouseButtons() == Qt::NoButton;
    const bool ctrl = held == Qt::ControlModifier;
    if (key == Qt::Key_Z && ctrl && idle && !UndoList.isEmpty())
        Button3Click();
    else if (((key == Qt::Key_Y && ctrl) || (key == Qt::Key_Z && held == (Qt::ControlModifier | Qt::ShiftModifier))) &&
             idle && !RedoList.isEmpty())
        Redo();
    else if (key == Qt::Key_0 && ctrl)
        image1->FitToWindow();
    else if (key == Qt::Key_1 && ctrl)
        image1->SetZoom(1, image1->viewport()->rect().center());
    else if (key == Qt::Key_S && held == Qt::ControlModifier)
        SaveProjectClick();
    else if (key == Qt::Key_O && held == Qt::ControlModifier)
        OpenProjectClick();
}

bool TForm1::Edit2KeyPress(QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false; // navigation and editing keys without a character
    QChar c = text.at(0);
    if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QChar(8))
        return false;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return false;
    // Shortcuts (Ctrl+C, Ctrl+V, ...) carry a control character; let the box handle them
    // (pasted text still meets the validator).
    if (event->modifiers() & Qt::ControlModifier)
        return false;
    return true;
}

void TForm1::ComboBox1Change()
{
    // A text that is not a style keeps the cell of the last style.
    CellWidth = StyleCellWidth;
    if (std::optional<CellShape> cell = StyleCell(ComboBox1->currentText().toStdString()))
        CellHeight = cell->height;
}

void TForm1::dm2Click()
{
    if (openingProject_)
        return;
    if (CheckBox45->isChecked())
        BitBtn2Click();
    if (CheckBox46->isChecked())
        MakeMosaic();
}

void TForm1::GrayScaleClick()
{
    if (CheckBox46->isChecked())
        CheckBox45->setChecked(true);
    AdjustTone();
}

void TForm1::ShowError(const std::exception& error)
{
    platform_.ShowMessage(this, MessageKind::Error, QString::fromUtf8(error.what()));
}

void TForm1::ShowInfo(const QString& text)
{
    platform_.ShowMessage(this, MessageKind::Information, text);
}

} // namespace tesselka
