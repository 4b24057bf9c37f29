#include "controls/SpinEdit.h"
#include "settings/ControlTags.h"
#include "settings/RegFile.h"
#include "settings/RegFileStore.h"
#include "settings/RegistryDef.h"
#include "support/TempFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <set>

namespace {

const std::string kTallivue = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue";

// Refuses the writes of the values it is told to, as a registry without rights would; all else
// goes to the real file store.
class TRefusingStore : public TRegFileStore {
public:
    TRefusingStore(std::filesystem::path file, std::set<std::string> refused)
        : TRegFileStore(std::move(file)), FRefused(std::move(refused)) {}
    bool WriteValue(std::string_view name, const TRegValue& value) override {
        return !FRefused.count(std::string(name)) && TRegFileStore::WriteValue(name, value);
    }

private:
    std::set<std::string> FRefused;
};

// A small dialog with one control of each kind, stored in either key, and some that the
// generic rule must leave alone.
struct TForm : QWidget {
    TForm() {
        auto* layout = new QVBoxLayout(this);
        auto* group = new QGroupBox(this); // controls nest in pages and groups
        auto* inner = new QVBoxLayout(group);
        layout->addWidget(group);
        const auto add = [&](QWidget* control, const char* name, int tag, QLayout* into) {
            control->setObjectName(name);
            SetTag(control, tag);
            into->addWidget(control);
        };
        add(ShowBars = new QCheckBox(group), "ShowBars", kSettingsKeyTag, inner);
        add(ClockPosition = new QComboBox(group), "ClockPosition", kSettingsKeyTag, inner);
        ClockPosition->addItems({"Top Centre", "Top Left", "Top Right", "Bottom Centre",
                                 "Bottom Left", "Bottom Right"});
        add(Title = new QLineEdit(this), "Title_", kSettingsKeyTag, layout);
        add(Played = new QLabel(this), "Text_Played", kSettingsKeyTag, layout);
        add(Packs = new TSpinEdit(this), "PacksPerTeam", kSettingsKeyTag, layout);
        Packs->SetLimits(4, 20);
        add(Left = new TSpinEdit(this), "SetFullX", kSettingsKeyTag, layout);
        add(Download = new QLineEdit(this), "Download_Packs", kLanguageKeyTag, layout);
        add(Team2Green = new QRadioButton(this), "Team2Green", kSettingsKeyTag, layout);
        add(Untagged = new QLineEdit(this), "Msg4", 0, layout);
        auto* notAControl = new QObject(this);
        notAControl->setObjectName("Polygon");
        SetTag(notAControl, kSettingsKeyTag);
    }

    QCheckBox* ShowBars;
    QComboBox* ClockPosition;
    QLineEdit* Title;
    QLabel* Played;
    TSpinEdit* Packs;
    TSpinEdit* Left;
    QLineEdit* Download;
    QRadioButton* Team2Green;
    QLineEdit* Untagged;
};

std::vector<std::tuple<std::string, std::string, std::uint32_t, std::string>>
Entries(const std::filesystem::path& file) {
    TRegDocument document;
    TRegParseError error;
    if (!ParseRegFile(ReadBytes(file), document, error))
        qFatal("unreadable settings file");
    std::vector<std::tuple<std::string, std::string, std::uint32_t, std::string>> entries;
    for (const auto& key : document.Keys)
        for (const auto& value : key.Values)
            entries.emplace_back(key.Path, value.Name, value.Value.Type, value.Value.Data);
    return entries;
}

std::string Dword(std::int32_t number) {
    return MakeIntegerValue(number).Data;
}

} // namespace

class ControlStoreTest : public QObject {
    Q_OBJECT

private:
    TTempFolder FFolder;
    std::filesystem::path FFile;

    void Save(TForm& form) {
        TRegistryDef registry(std::make_unique<TRegFileStore>(FFile));
        QVERIFY(registry.OpenKey("SOFTWARE\\Outrider\\Tallivue", true));
        WriteTaggedControls(registry, &form, kSettingsKeyTag);
        QVERIFY(registry.OpenKey("SOFTWARE\\Outrider\\Tallivue\\Language", true));
        WriteTaggedControls(registry, &form, kLanguageKeyTag);
    }

    void Load(TForm& form) {
        TRegistryDef registry(std::make_unique<TRegFileStore>(FFile));
        QVERIFY(registry.OpenKey("SOFTWARE\\Outrider\\Tallivue", false));
        ReadTaggedControls(registry, &form, kSettingsKeyTag);
        QVERIFY(registry.OpenKey("SOFTWARE\\Outrider\\Tallivue\\Language", false));
        ReadTaggedControls(registry, &form, kLanguageKeyTag);
    }

    void Store(std::string_view values) {
        WriteBytes(FFile, "REGEDIT4\r\n[" + kTallivue + "]\r\n" + std::string(values) + "[" +
                              kTallivue + "\\Language]\r\n");
    }

private slots:
    void init() {
        FFile = FFolder / "Tallivue.reg";
        std::filesystem::remove(FFile);
    }

    void everyKindRoundTripsUnderItsNameAndKey() {
        TForm saved;
        saved.ShowBars->setChecked(true);
        saved.ClockPosition->setCurrentIndex(2);
        saved.Title->setText(QString::fromLatin1("/srv/arena/Title \xE9.gif"));
        saved.Played->setText("Gespielt");
        saved.Packs->SetValue(12);
        saved.Left->SetValue(-1920);
        saved.Download->setText("Herunterladen");
        saved.Team2Green->setChecked(true);
        saved.Untagged->setText("not stored");
        Save(saved);
        {
            QObject notAControl;
            notAControl.setObjectName("Polygon");
            TRegistryDef registry(std::make_unique<TRegFileStore>(FFile));
            QVERIFY(registry.OpenKey("SOFTWARE\\Outrider\\Tallivue", false));
            registry.WriteControl(&notAControl);
            registry.ReadControl(&notAControl);
        }

        const std::vector<std::tuple<std::string, std::string, std::uint32_t, std::string>>
            expected = {
                // In the settings table's order, whatever the form's.
                {kTallivue, "SetFullX", kRegDword, Dword(-1920)},
                {kTallivue, "Title", kRegSz, "/srv/arena/Title \xC3\xA9.gif"},
                {kTallivue, "ClockPosition", kRegDword, Dword(2)},
                {kTallivue, "PacksPerTeam", kRegDword, Dword(12)},
                {kTallivue, "ShowBars", kRegDword, Dword(1)},
                {kTallivue, "Text Played", kRegSz, "Gespielt"},
                {kTallivue + "\\Language", "Download Packs", kRegSz, "Herunterladen"},
            };
        QCOMPARE(Entries(FFile), expected);

        TForm loaded;
        Load(loaded);
        QCOMPARE(loaded.ShowBars->isChecked(), true);
        QCOMPARE(loaded.ClockPosition->currentIndex(), 2);
        QCOMPARE(loaded.Title->text(), QString::fromLatin1("/srv/arena/Title \xE9.gif"));
        QCOMPARE(loaded.Played->text(), QString("Gespielt"));
        QCOMPARE(loaded.Packs->Value(), 12);
        QCOMPARE(loaded.Left->Value(), -1920);
        QCOMPARE(loaded.Download->text(), QString("Herunterladen"));
        QCOMPARE(loaded.Team2Green->isChecked(), false);
        QCOMPARE(loaded.Untagged->text(), QString());
    }

    void loadingKeepsThePresentValueAsTheDefault() {
        Store("\"ShowBars\"=\"1\"\r\n\"ClockPosition\"=dword:00000009\r\n"
              "\"PacksPerTeam\"=dword:0000001e\r\n\"Title\"=dword:0000002a\r\n"
              "\"SetFullX\"=\" -40\"\r\n");
        TForm form;
        form.ShowBars->setChecked(true);
        form.ClockPosition->setCurrentIndex(3);
        form.Played->setText("Played");
        Load(form);
        QCOMPARE(form.ShowBars->isChecked(), true);       // a text is no Boolean
        QCOMPARE(form.ClockPosition->currentIndex(), -1); // no item 9
        QCOMPARE(form.Packs->Value(), 20);                // clamped to the field's limits
        QCOMPARE(form.Title->text(), QString("42"));
        QCOMPARE(form.Left->Value(), -40);
        QCOMPARE(form.Played->text(), QString("Played")); // missing: as it was

        // Loading a check box runs what hangs on its change, as a click would.
        Store("\"ShowBars\"=dword:00000000\r\n");
        QSignalSpy toggled(form.ShowBars, &QCheckBox::toggled);
        Load(form);
        QCOMPARE(toggled.count(), 1);
        Load(form);
        QCOMPARE(toggled.count(), 1);

        // Saving "no item chosen" stores -1, which loads back as none chosen.
        Save(form);
        TForm again;
        Load(again);
        QCOMPARE(again.ClockPosition->currentIndex(), -1);
    }

    void aTextLongerThanAnEditHoldsByDefaultComesBackWhole() {
        std::string text;
        for (int i = 0; text.size() < 40000; ++i)
            text += "Message " + std::to_string(i) + "; ";
        Store("\"Title\"=\"" + text + "\"\r\n");
        TForm form;
        Load(form);
        QCOMPARE(form.Title->text().size(), static_cast<qsizetype>(text.size()));
        Save(form);
        TRegistryDef registry(std::make_unique<TRegFileStore>(FFile));
        QVERIFY(registry.OpenKey("SOFTWARE\\Outrider\\Tallivue", false));
        QVERIFY(registry.ReadStringDef("Title", "") == text);
    }

    void aRefusedWriteStopsTheSaveButASpinFieldsIsSkipped() {
        TForm form;
        form.ShowBars->setChecked(true);
        form.Title->setText("kept");
        form.Played->setText("after the refusal");
        TRegistryDef registry(std::make_unique<TRefusingStore>(
            FFile, std::set<std::string>{"ShowBars", "PacksPerTeam"}));
        QVERIFY(registry.OpenKey("SOFTWARE\\Outrider\\Tallivue", true));
        // Alone first, as the refused spin field would be skipped where the save comes to it.
        registry.WriteControl(form.Packs);
        registry.WriteControl(form.Title);
        try {
            WriteTaggedControls(registry, &form, kSettingsKeyTag);
            QFAIL("the refused check box must stop the save");
        } catch (const TRegistryError& error) {
            QCOMPARE(QString(error.what()), QString("Failed to set data for 'ShowBars'"));
        }
        QCOMPARE(Entries(FFile),
                 (std::vector<std::tuple<std::string, std::string, std::uint32_t, std::string>>{
                     {kTallivue, "Title", kRegSz, "kept"},
                     {kTallivue, "SetFullX", kRegDword, Dword(0)},
                     {kTallivue, "ClockPosition", kRegDword, Dword(0)}}));
    }

    void spinFieldsClampOnLeavingAndCountNoNumberAsTheLowerLimit() {
        TForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));

        form.Packs->setFocus();
        form.Packs->selectAll();
        QTest::keyClicks(form.Packs, "25");
        QCOMPARE(form.Packs->Value(), 25); // while typing, the number as it stands
        form.Title->setFocus();
        QCOMPARE(form.Packs->Value(), 20);

        form.Packs->setFocus();
        form.Packs->selectAll();
        QTest::keyClicks(form.Packs, "1x!a");
        QCOMPARE(form.Packs->text(), QString("1")); // only digits, signs, decimal separator
        QTest::keyClick(form.Packs, Qt::Key_Backspace);
        QCOMPARE(form.Packs->text(), QString());
        QCOMPARE(form.Packs->Value(), 4);
        TRegistryDef registry(std::make_unique<TRegFileStore>(FFile));
        QVERIFY(registry.OpenKey("SOFTWARE\\Outrider\\Tallivue", true));
        registry.WriteControl(form.Packs);
        QCOMPARE(registry.ReadIntegerDef("PacksPerTeam", 0), 4);
        form.Title->setFocus();
        QCOMPARE(form.Packs->text(), QString("4"));

        // Without limits any integer goes, and no number counts as 0.
        form.Left->SetValue(-2147483647 - 1);
        QCOMPARE(form.Left->Value(), -2147483647 - 1);
        form.Left->setFocus();
        form.Left->selectAll();
        QTest::keyClicks(form.Left, "-");
        QCOMPARE(form.Left->Value(), 0);
        QTest::keyClicks(form.Left, "99999");
        QCOMPARE(form.Left->Value(), -99999);
        form.Title->setFocus();
        QCOMPARE(form.Left->text(), QString("-99999"));

        form.Packs->SetValue(2);
        QCOMPARE(form.Packs->Value(), 4);
        form.Packs->SetValue(21);
        QCOMPARE(form.Packs->Value(), 20);
    }
};

QTEST_MAIN(ControlStoreTest)
#include "ControlStoreTest.moc"
