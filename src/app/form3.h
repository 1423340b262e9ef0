#pragma once

#include "ldraw/part_sizes.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace tesselka {

// "Make Ldraw": the part sizes an LDraw export may use. The 1-long boxes are ticked and
// disabled, as 1-long parts are what every run falls back to.
class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    // The 39 boxes, indexed by PartBox; objectName is the box's name ("plate1x2").
    std::array<QCheckBox*, PartBoxCount> Boxes{};
    QCheckBox* Box(PartBox box) const { return Boxes[size_t(box)]; }
    std::array<QGroupBox*, 5> Groups{}; // "1 x Plates" ... "2x Bricks", left to right
    QLabel* Label1 = nullptr;
    // Also write, beside the model, its parts list (CSV) and its BrickLink wanted list.
    QCheckBox* PartsListBox = nullptr;
    QCheckBox* WantedListBox = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QPushButton* BitBtn2 = nullptr; // Cancel

    // The sizes the ticked boxes allow.
    PartSizes AllowedSizes() const;
    void SetAllowedSizes(const PartSizes& sizes);
};

} // namespace tesselka
