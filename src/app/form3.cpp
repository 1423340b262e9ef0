#include "app/form3.h"

#include "app/design.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace tesselka {

namespace {

constexpr int GroupLeft[] = {8, 152, 296, 440, 584};
constexpr const char* GroupCaption[] = {"1 x Plates", "2 x Plates", "4 x Plates", "1 x Bricks", "2x Bricks"};
// Each length has its own row in every group, so equal lengths line up across groups
// (the 4 x Plates group leaves the 3-long row empty).
constexpr int LengthRows[] = {1, 2, 3, 4, 6, 8, 10, 12, 16};

int RowOfLength(int length)
{
    for (int i = 0; i < int(std::size(LengthRows)); ++i)
        if (LengthRows[i] == length)
            return i;
    return 0;
}

} // namespace

TForm3::TForm3(QWidget* parent) : QDialog(parent)
{
    SetUpFixedDialog(*this, "Form3", "Make Ldraw", 723, 317);

    for (int g = 0; g < 5; ++g) {
        auto* group = new QGroupBox(QString::fromLatin1(GroupCaption[g]), this);
        group->setObjectName(QStringLiteral("GroupBox%1").arg(g + 1));
        group->setGeometry(GroupLeft[g], 8, 129, 249);
        Groups[size_t(g)] = group;
    }
    for (const PartBoxInfo& info : PartBoxes) {
        QGroupBox* group = Groups[size_t(info.group)];
        auto* box = new QCheckBox(QString::fromLatin1(info.caption), group);
        box->setObjectName(QString::fromLatin1(info.name));
        box->setGeometry(16, 32 + 24 * RowOfLength(info.length), 105, 17);
        if (info.alwaysOn) {
            box->setChecked(true);
            box->setEnabled(false);
        }
        Boxes[size_t(info.box)] = box;
    }

    Label1 = new QLabel(QStringLiteral("Choose the size of the bricks and plates to use in this LDraw file"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 266, 420, 17);
    PartsListBox = new QCheckBox(QStringLiteral("Also write the parts list (CSV)"), this);
    PartsListBox->setObjectName(QStringLiteral("PartsListBox"));
    PartsListBox->setGeometry(8, 290, 240, 17);
    PartsListBox->setToolTip(QStringLiteral("Part, colour and quantity of every part of the model, beside it"));
    WantedListBox = new QCheckBox(QStringLiteral("Also write the BrickLink wanted list (XML)"), this);
    WantedListBox->setObjectName(QStringLiteral("WantedListBox"));
    WantedListBox->setGeometry(256, 290, 290, 17);
    WantedListBox->setToolTip(QStringLiteral("The model's parts as a wanted list that BrickLink imports, beside it"));
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(552, 286, 75, 25);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(640, 286, 75, 25);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

PartSizes TForm3::AllowedSizes() const
{
    PartSizes sizes;
    for (const PartBoxInfo& info : PartBoxes)
        sizes.Set(info.box, Box(info.box)->isChecked());
    return sizes;
}

void TForm3::SetAllowedSizes(const PartSizes& sizes)
{
    for (const PartBoxInfo& info : PartBoxes)
        if (!info.alwaysOn)
            Box(info.box)->setChecked(sizes.Allowed(info.box));
}

} // namespace tesselka
