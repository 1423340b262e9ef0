#include "app/form_storage.h"

#include "common/error.h"
#include "common/file_path.h"
#include "common/text.h"
#include "settings/ini_file.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <array>
#include <optional>

namespace tesselka {

namespace {

using K = StoredKind;

constexpr StoredProperty Form1Properties[] = {
    {"Edit2", K::Text},         {"ComboBox1", K::Text},      {"CheckBox42", K::Checked},  {"CheckBox43", K::Checked},
    {"sbScale", K::Position},   {"CheckBox44", K::Checked},  {"CheckBox1", K::Checked},   {"CheckBox10", K::Checked},
    {"CheckBox11", K::Checked}, {"CheckBox12", K::Checked},  {"CheckBox13", K::Checked},  {"CheckBox14", K::Checked},
    {"CheckBox15", K::Checked}, {"CheckBox16", K::Checked},  {"CheckBox17", K::Checked},  {"CheckBox18", K::Checked},
    {"CheckBox19", K::Checked}, {"CheckBox2", K::Checked},   {"CheckBox20", K::Checked},  {"CheckBox21", K::Checked},
    {"CheckBox22", K::Checked}, {"CheckBox23", K::Checked},  {"CheckBox24", K::Checked},  {"CheckBox25", K::Checked},
    {"CheckBox26", K::Checked}, {"CheckBox27", K::Checked},  {"CheckBox28", K::Checked},  {"CheckBox29", K::Checked},
    {"CheckBox3", K::Checked},  {"CheckBox30", K::Checked},  {"CheckBox31", K::Checked},  {"CheckBox32", K::Checked},
    {"CheckBox33", K::Checked}, {"CheckBox34", K::Checked},  {"CheckBox35", K::Checked},  {"CheckBox36", K::Checked},
    {"CheckBox37", K::Checked}, {"CheckBox38", K::Checked},  {"CheckBox39", K::Checked},  {"CheckBox4", K::Checked},
    {"CheckBox40", K::Checked}, {"CheckBox41", K::Checked},  {"CheckBox42", K::Color},    {"CheckBox43", K::Color},
    {"CheckBox5", K::Checked},  {"CheckBox6", K::Checked},   {"CheckBox7", K::Checked},   {"CheckBox8", K::Checked},
    {"CheckBox9", K::Checked},  {"Brightness", K::Position}, {"Contrast", K::Position},   {"Darkness", K::Position},
    {"Lightness", K::Position}, {"Saturation", K::Position}, {"Splitlight", K::Position}, {"LayerOpacity", K::Position},
    {"dm1", K::Checked},        {"dm2", K::Checked},         {"dm3", K::Checked},         {"dm4", K::Checked},
    {"dm5", K::Checked},        {"dm6", K::Checked},         {"dm7", K::Checked},         {"MatchBox", K::Text},
};

constexpr StoredProperty Form2Properties[] = {
    {"CheckBox42", K::Checked}, {"CheckBox43", K::Checked}, {"CheckBox44", K::Checked}, {"ComboBox2", K::Text},
    {"CheckBox1", K::Checked},  {"CheckBox2", K::Checked},  {"CheckBox42", K::Color},   {"CheckBox43", K::Color},
    {"CheckBox44", K::Color},   {"CheckBox3", K::Checked},  {"CheckBox4", K::Checked},  {"CheckBox5", K::Checked},
};

constexpr StoredProperty Form3Properties[] = {
    {"brick1x1", K::Checked},      {"brick1x10", K::Checked}, {"brick1x12", K::Checked}, {"brick1x16", K::Checked},
    {"brick1x2", K::Checked},      {"brick1x3", K::Checked},  {"brick1x4", K::Checked},  {"brick1x6", K::Checked},
    {"brick1x8", K::Checked},      {"brick2x1", K::Checked},  {"brick2x2", K::Checked},  {"brick2x3", K::Checked},
    {"brick2x4", K::Checked},      {"brick2x6", K::Checked},  {"brick2x8", K::Checked},  {"brick2x10", K::Checked},
    {"plate1x1", K::Checked},      {"plate1x10", K::Checked}, {"plate1x2", K::Checked},  {"plate1x3", K::Checked},
    {"plate1x4", K::Checked},      {"plate1x6", K::Checked},  {"plate1x8", K::Checked},  {"plate2x1", K::Checked},
    {"plate2x10", K::Checked},     {"plate2x12", K::Checked}, {"plate2x16", K::Checked}, {"plate2x2", K::Checked},
    {"plate2x3", K::Checked},      {"plate2x4", K::Checked},  {"plate2x6", K::Checked},  {"plate2x8", K::Checked},
    {"plate4x1", K::Checked},      {"plate4x10", K::Checked}, {"plate4x12", K::Checked}, {"plate4x2", K::Checked},
    {"plate4x4", K::Checked},      {"plate4x6", K::Checked},  {"plate4x8", K::Checked},  {"PartsListBox", K::Checked},
    {"WantedListBox", K::Checked},
};

// Show states as the placement keys encode them.
constexpr int ShowNormal = 1;
constexpr int ShowMinimized = 2;
constexpr int ShowMaximized = 3;

// Window coordinates are kept in the range a 16-bit desktop coordinate can hold, and a
// window no larger than the desktop (at least 4096 pixels), so that a damaged file can
// neither overflow the arithmetic nor ask for a huge window buffer.
constexpr long long CoordinateLimit = 32767;
constexpr int MinSizeLimit = 4096;

const char* PropertyName(StoredKind kind)
{
    switch (kind) {
    case StoredKind::Text:
        return "Text";
    case StoredKind::Checked:
        return "Checked";
    case StoredKind::Position:
        return "Position";
    case StoredKind::Color:
        return "Color";
    }
    return "";
}

std::string Key(const StoredProperty& property)
{
    return std::string(property.component) + "_" + PropertyName(property.kind);
}

std::optional<int> ToInt(const std::string& text)
{
    try {
        return StrToInt(text);
    } catch (const Error&) {
        return std::nullopt;
    }
}

// "%d,%d,%d,%d"; a missing or unreadable number takes its fallback.
std::array<int, 4> ToInts(const std::string& text, const std::array<int, 4>& fallback)
{
    std::array<int, 4> values = fallback;
    for (int i = 0; i < 4; ++i)
        if (std::optional<int> v = ToInt(Trim(GetField(text, ",", i + 1))))
            values[size_t(i)] = *v;
    return values;
}

std::string Join(const std::array<int, 4>& values)
{
    return std::to_string(values[0]) + "," + std::to_string(values[1]) + "," + std::to_string(values[2]) + "," +
           std::to_string(values[3]);
}

QRect NormalGeometry(const QWidget* form)
{
    const QRect normal = form->normalGeometry();
    return normal.isValid() ? normal : form->geometry();
}

std::string CurrentText(QWidget* control, StoredKind kind)
{
    switch (kind) {
    case StoredKind::Text:
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            return Trim(edit->text().toStdString());
        if (auto* combo = qobject_cast<QComboBox*>(control))
            return Trim(combo->currentText().toStdString());
        break;
    case StoredKind::Checked:
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return button->isChecked() ? "True" : "False";
        break;
    case StoredKind::Position:
        if (auto* slider = qobject_cast<QAbstractSlider*>(control))
            return std::to_string(slider->value());
        break;
    case StoredKind::Color: {
        const QVariant color = control->property(ColorPropertyName);
        return std::to_string(color.isValid() ? color.toInt() : ButtonFaceColor);
    }
    }
    return {};
}

bool EqualsNoCase(const std::string& text, const char* word)
{
    return QString::fromStdString(text).compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

} // namespace

std::span<const StoredProperty> Form1StoredProperties()
{
    return Form1Properties;
}

std::span<const StoredProperty> Form2StoredProperties()
{
    return Form2Properties;
}

std::span<const StoredProperty> Form3StoredProperties()
{
    return Form3Properties;
}

TFormStorage::TFormStorage(QWidget* form, const QString& section, std::span<const StoredProperty> properties,
                           ShowRule rule, ErrorReport report, QObject* parent)
    : QObject(parent), form_(form), section_(section), properties_(properties), rule_(rule), report_(std::move(report))
{
    setObjectName(QStringLiteral("FormStorage1"));
    form_->installEventFilter(this);
    // A dialog closes through done() whichever way it is left; its hiding when it is
    // destroyed is no close and saves nothing.
    if (auto* dialog = qobject_cast<QDialog*>(form_))
        connect(dialog, &QDialog::finished, this, [this] { Report([this] { Save(); }); });
}

bool TFormStorage::eventFilter(QObject* watched, QEvent* event)
{
    // Spontaneous show and hide events come from minimising and restoring the window,
    // which is neither a showing nor a closing.
    if (watched == form_ && !event->spontaneous()) {
        if (event->type() == QEvent::Show && (rule_ == ShowRule::EveryShow || !restored_))
            Report([this] { Restore(); });
        else if (event->type() == QEvent::Hide && !qobject_cast<QDialog*>(form_))
            Report([this] { Save(); });
    }
    return QObject::eventFilter(watched, event);
}

void TFormStorage::Report(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& e) {
        if (report_)
            report_(e);
    }
}

QWidget* TFormStorage::FindControl(const char* name) const
{
    // Only the window's own controls: a dialog that is a child of this window has
    // controls of the same names.
    for (QWidget* control : form_->findChildren<QWidget*>(QLatin1String(name)))
        if (control->window() == form_)
            return control;
    return nullptr;
}

void TFormStorage::Save()
{
    if (!restored_)
        return;
    const std::string path = FilePath(IniFileName);
    // Read first: a file that cannot be read is not replaced, as its other sections
    // would be lost.
    IniFile ini = IniFile::Load(path);
    WritePlacement(ini);
    const std::string section = section_.toStdString();
    for (const StoredProperty& property : properties_)
        if (QWidget* control = FindControl(property.component))
            ini.Write(section, Key(property), CurrentText(control, property.kind));
    ini.Save(path);
}

void TFormStorage::WritePlacement(IniFile& ini) const
{
    const std::string section = section_.toStdString();
    const Qt::WindowStates state = form_->windowState();
    const int showCmd = (state & Qt::WindowMinimized)   ? ShowMinimized
                        : (state & Qt::WindowMaximized) ? ShowMaximized
                                                        : ShowNormal;
    const QRect normal = NormalGeometry(form_);
    ini.Write(section, "FormVersion", "0");
    ini.Write(section, "Flags", "0");
    ini.Write(section, "ShowCmd", std::to_string(showCmd));
    ini.Write(section, "PixelsPerInch", std::to_string(form_->logicalDpiX()));
    // The minimised and maximised positions are the platform's to choose; -1 says none
    // is set.
    ini.Write(section, "MinMaxPos", "-1,-1,-1,-1");
    ini.Write(section, "NormPos",
              Join({normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()}));
    // Settings are written when the window closes, never while it is destroyed.
    ini.Write(section, "Visible", "0");
}

void TFormStorage::Restore()
{
    restored_ = true;
    const IniFile ini = IniFile::Load(FilePath(IniFileName));
    if (!ini.HasSection(section_.toStdString()))
        return;
    RestorePlacement(ini);
    for (const StoredProperty& property : properties_)
        RestoreProperty(ini, property);
}

void TFormStorage::RestorePlacement(const IniFile& ini)
{
    const std::string section = section_.toStdString();
    const std::optional<std::string> normPos = ini.Read(section, "NormPos");
    const std::optional<std::string> minMaxPos = ini.Read(section, "MinMaxPos");
    const int screenPpi = form_->logicalDpiX();
    int storedPpi = screenPpi;
    if (std::optional<std::string> text = ini.Read(section, "PixelsPerInch"))
        storedPpi = ToInt(*text).value_or(screenPpi);
    int showCmd = 0;
    if (std::optional<std::string> text = ini.Read(section, "ShowCmd"))
        showCmd = ToInt(*text).value_or(0);

    const Qt::WindowStates sizeStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    const Qt::WindowStates others = form_->windowState() & ~sizeStates;
    if ((normPos || minMaxPos) && storedPpi == screenPpi) {
        const QRect current = NormalGeometry(form_);
        const std::array<int, 4> pos =
            ToInts(normPos.value_or(std::string()),
                   {current.left(), current.top(), current.left() + current.width(), current.top() + current.height()});
        if (pos[0] < pos[2]) {
            QSize limit(MinSizeLimit, MinSizeLimit);
            if (const QScreen* screen = form_->screen())
                limit = limit.expandedTo(screen->virtualSize());
            const auto coordinate = [](long long v) { return int(std::clamp(v, -CoordinateLimit, CoordinateLimit)); };
            const int left = coordinate(pos[0]);
            const int top = coordinate(pos[1]);
            const int width = int(std::clamp(static_cast<long long>(pos[2]) - pos[0], 1LL, (long long)limit.width()));
            const int height = int(std::clamp(static_cast<long long>(pos[3]) - pos[1], 1LL, (long long)limit.height()));
            // The normal rectangle is set in the normal state, then the stored state.
            form_->setWindowState(others);
            if (form_->minimumSize() == form_->maximumSize())
                form_->setGeometry(left, top, form_->width(), form_->height());
            else
                form_->setGeometry(left, top, width, height);
        }
    }
    Qt::WindowStates state = others;
    if (showCmd == 2 || showCmd == 6 || showCmd == 7)
        state |= Qt::WindowMinimized;
    else if (showCmd == ShowMaximized)
        state |= Qt::WindowMaximized;
    form_->setWindowState(state);
}

void TFormStorage::RestoreProperty(const IniFile& ini, const StoredProperty& property)
{
    QWidget* control = FindControl(property.component);
    if (!control)
        return;
    const std::optional<std::string> value = ini.Read(section_.toStdString(), Key(property));
    if (!value)
        return;
    switch (property.kind) {
    case StoredKind::Text: {
        const QString text = QString::fromStdString(*value);
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            if (edit->text() != text)
                edit->setText(text);
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            // The program sets the text: the box's handlers for the user's choices and
            // keystrokes do not run. A fixed list takes only a text it holds.
            if (combo->isEditable())
                combo->setEditText(text);
            else if (int index = combo->findText(text, Qt::MatchExactly); index >= 0)
                combo->setCurrentIndex(index);
        }
        break;
    }
    case StoredKind::Checked:
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            if (EqualsNoCase(*value, "True"))
                button->setChecked(true);
            else if (EqualsNoCase(*value, "False"))
                button->setChecked(false);
        }
        break;
    case StoredKind::Position:
        if (auto* slider = qobject_cast<QAbstractSlider*>(control))
            if (std::optional<int> position = ToInt(*value))
                slider->setValue(*position);
        break;
    case StoredKind::Color:
        if (std::optional<int> color = ToInt(*value))
            control->setProperty(ColorPropertyName, *color);
        break;
    }
}

} // namespace tesselka
