#pragma once

// The settings storage of a window: a fixed list of control properties and the window's
// placement, kept in the window's own section of an INI file.

#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <span>

class QWidget;

namespace tesselka {

class IniFile;

enum class StoredKind { Text, Checked, Position, Color };

// One stored property: the control's objectName and what of it is kept. The key in the
// file is "<component>_<property>", as "Edit2_Text".
struct StoredProperty
{
    const char* component;
    StoredKind kind;
};

// The stored properties of the three windows, in the order they are written.
std::span<const StoredProperty> Form1StoredProperties();
std::span<const StoredProperty> Form2StoredProperties();
std::span<const StoredProperty> Form3StoredProperties();

// Check boxes have no colour of their own in Qt; a stored colour lives in the dynamic
// property "Color" (a TColor as int, system colours negative). Until one is set the box
// has the desktop scheme's button face, the system colour 0x8000000F.
inline constexpr const char* ColorPropertyName = "Color";
inline constexpr int ButtonFaceColor = int(0x8000000F);

class TFormStorage : public QObject
{
    Q_OBJECT
public:
    // The main window restores once, before its first showing; a dialog every time it is
    // shown. Both save when they close.
    enum class ShowRule { FirstShow, EveryShow };
    // Receives the errors of the restores and saves that the window's events start.
    using ErrorReport = std::function<void(const std::exception&)>;

    // Watches `form` for showing and closing. `section` is the window's class name.
    TFormStorage(QWidget* form, const QString& section, std::span<const StoredProperty> properties, ShowRule rule,
                 ErrorReport report, QObject* parent = nullptr);

    // The file read and written; the program's settings file (SettingsFilePath) unless a command
    // points it elsewhere for one operation.
    QString IniFileName;

    const QString& Section() const { return section_; }
    bool HasRestored() const { return restored_; }

    // Writes the section, keeping the rest of the file. Does nothing until the storage
    // has restored once, so a window never shown leaves its section as it was. Throws
    // tesselka::Error (the file cannot be read or written).
    void Save();
    // Reads the section: placement, then every property in list order. A property
    // whose value changes fires its control's handlers as a user's change would; a
    // value that does not convert leaves its property alone. Throws tesselka::Error
    // when the file cannot be read; nothing is changed then.
    void Restore();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* FindControl(const char* name) const;
    void WritePlacement(IniFile& ini) const;
    void RestorePlacement(const IniFile& ini);
    void RestoreProperty(const IniFile& ini, const StoredProperty& property);
    void Report(const std::function<void()>& action);

    QWidget* form_;
    QString section_;
    std::span<const StoredProperty> properties_;
    ShowRule rule_;
    ErrorReport report_;
    bool restored_ = false;
};

} // namespace tesselka
