#pragma once

#include "map/map_geometry.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tesselka {

class TForm1;

// "Make Map": panel size and the options of the build map. "Print Map" closes it with
// OK (the main window then prints); "Save Map" saves the map itself and closes it with
// Cancel, so nothing is printed after a save.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    // `parent` is the main window, whose state the save reads and replaces.
    explicit TForm2(QWidget* parent = nullptr);

    QLabel* Label11 = nullptr;
    QComboBox* ComboBox2 = nullptr;  // panel size
    QCheckBox* CheckBox42 = nullptr; // Black Grid
    QCheckBox* CheckBox43 = nullptr; // Gray Grid
    QCheckBox* CheckBox44 = nullptr; // 8 Stud Grid
    QCheckBox* CheckBox5 = nullptr;  // 6 Stud Grid
    QCheckBox* CheckBox4 = nullptr;  // NO numbers
    QCheckBox* CheckBox1 = nullptr;  // Numbers in all Squares
    QCheckBox* CheckBox2 = nullptr;  // Fill color squares
    QCheckBox* CheckBox3 = nullptr;  // Print All Numbers Black
    QPushButton* Button1 = nullptr;  // Save Map
    QPushButton* Button2 = nullptr;  // Print Map
    QPushButton* Button3 = nullptr;  // Cancel

    // The options as the controls stand now.
    MapOptions Options() const;

    void FormShow();
    void Button1Click(); // Save Map

protected:
    void showEvent(QShowEvent* event) override;

private:
    TForm1* MainWindow() const;
};

} // namespace tesselka
