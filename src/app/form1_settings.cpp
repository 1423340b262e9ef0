// The settings storages of the three windows, and Save Settings / Load Settings.
#include "app/form1.h"
#include "app/form2.h"
#include "app/form3.h"
#include "app/form_storage.h"
#include "common/error.h"

namespace tesselka {

namespace {

const QString IniFilter = QStringLiteral("ini (*.ini)|*.ini");

// Points a storage at another file for one operation and back at the settings file
// afterwards, also when the operation fails.
class PointedAt
{
public:
    PointedAt(TFormStorage& storage, const QString& file, const QString& home) : storage_(storage), home_(home)
    {
        storage_.IniFileName = file;
    }
    ~PointedAt() { storage_.IniFileName = home_; }
    PointedAt(const PointedAt&) = delete;
    PointedAt& operator=(const PointedAt&) = delete;

private:
    TFormStorage& storage_;
    QString home_;
};

} // namespace

void TForm1::CreateFormStorage()
{
    FormStorage1 = std::make_unique<TFormStorage>(this, QStringLiteral("TForm1"), Form1StoredProperties(),
                                                  TFormStorage::ShowRule::FirstShow,
                                                  [this](const std::exception& e) { ShowError(e); });
    FormStorage1->IniFileName = SettingsFileName();
}

void TForm1::AttachDialogStorages()
{
    struct Dialog
    {
        QWidget* form;
        const char* section;
        std::span<const StoredProperty> properties;
    };
    for (const Dialog& d :
         {Dialog{form2_, "TForm2", Form2StoredProperties()}, Dialog{form3_, "TForm3", Form3StoredProperties()}}) {
        if (!d.form || d.form->findChild<TFormStorage*>(QStringLiteral("FormStorage1"), Qt::FindDirectChildrenOnly))
            continue;
        // The dialog owns its storage; errors show in the main window's error box.
        auto* storage = new TFormStorage(
            d.form, QLatin1String(d.section), d.properties, TFormStorage::ShowRule::EveryShow,
            [this](const std::exception& e) { ShowError(e); }, d.form);
        storage->IniFileName = SettingsFileName();
    }
}

void TForm1::Button4Click()
{
    if (!ExecuteSaveDialog(SaveKind::Settings))
        return;
    try {
        PointedAt pointed(*FormStorage1, SaveDialog1.FileName, SettingsFileName());
        FormStorage1->Save();
        ShowStatus(QStringLiteral("Settings saved to ") + SaveDialog1.FileName);
    } catch (const Error& e) {
        ShowError(e);
    }
}

void TForm1::Button5Click()
{
    if (!ExecuteOpenDialog(IniFilter))
        return;
    try {
        PointedAt pointed(*FormStorage1, OpenDialog1.FileName, SettingsFileName());
        FormStorage1->Restore();
    } catch (const Error& e) {
        ShowError(e);
    }
    // Restoring sets the style text as the program, which runs no style handler; the
    // cell shape must follow the loaded style all the same, or the next mosaic would be
    // drawn in the old style's proportions.
    ComboBox1Change();
}

} // namespace tesselka
