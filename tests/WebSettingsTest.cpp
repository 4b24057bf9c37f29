// What a save from the front desk's settings page may write: every value or none, and a file
// only among those the page offered.

#include "settings/RegFileStore.h"
#include "settings/RegistryDef.h"
#include "support/TempFolder.h"
#include "web/SettingsForm.h"

#include <QTest>

#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

namespace {

std::string Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

class WebSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void aSaveWritesEveryValueOrNone();
    void aFileIsChosenOnlyAmongThoseOffered();
};

void WebSettingsTest::aSaveWritesEveryValueOrNone() {
    TTempFolder folder;
    const auto file = folder / "Tallivue.reg";
    {
        std::ofstream(file, std::ios::binary)
            << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n"
               "\"Msg1\"=\"old text\"\r\n";
    }
    const std::string before = Bytes(file);
    TRegistryDef registry(std::make_unique<TRegFileStore>(file));
    registry.SetRootKey(TRootKey::LocalMachine);
    const TSettingValues old = ReadDialogValues(registry, {});
    // Two keys' values: the settings key's message and the Language key's caption.
    const TSettingChanges changes{{sMsg1, std::string("new text")}, {sIdle, std::string("Pause")}};

    // The disk fills up after the first value's worth (and the Language key it opened): not
    // even that value may stay.
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = previous;
    full.rlim_cur = before.size() + 68;
    setrlimit(RLIMIT_FSIZE, &full);
    const std::string refused = WriteSettings(registry, changes, old);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);
    QVERIFY(!refused.empty());
    QCOMPARE(Bytes(file), before);
    QCOMPARE(ReadDialogValues(registry, {}).Text(sMsg1), std::string("old text"));

    // With room, both.
    QCOMPARE(WriteSettings(registry, changes, old), std::string());
    TRegistryDef reread(std::make_unique<TRegFileStore>(file));
    reread.SetRootKey(TRootKey::LocalMachine);
    const TSettingValues saved = ReadDialogValues(reread, {});
    QCOMPARE(saved.Text(sMsg1), std::string("new text"));
    QCOMPARE(saved.Text(sIdle), std::string("Pause"));
    QCOMPARE(DescribeChanges(changes, old), std::string("Msg1=\"new text\", Idle=\"Pause\""));
}

void WebSettingsTest::aFileIsChosenOnlyAmongThoseOffered() {
    TSettingValues current;
    for (const TSettingDef& setting : AllSettings())
        current.Set(setting.Id, ResolveDefault(setting, setting.DialogDefault, {}));
    current.Set(sTitle, std::string("/arena/Title.gif"));
    TFileChoices choices;
    choices.Pictures = {"/program/IMGs/Logo.gif"};
    TFormFields form;
    for (const TSettingDef& setting : AllSettings()) {
        if (setting.Page == TSettingPage::None || setting.Kind == TSettingKind::Boolean)
            continue;
        const TSettingValue& value = current.Value(setting.Id);
        form[setting.Name] = std::holds_alternative<std::int32_t>(value)
                                 ? std::to_string(std::get<std::int32_t>(value))
                                 : std::get<std::string>(value);
    }
    form["Team2Colour"] = "Blue";
    form["Team3Colour"] = "Green";
    // The title as it is, a listed picture, no picture: each taken.
    for (const std::string picture : {"/arena/Title.gif", "/program/IMGs/Logo.gif", ""}) {
        form["Title"] = picture;
        const auto read = ReadPostedSettings(form, choices, current);
        QVERIFY2(std::holds_alternative<TSettingChanges>(read), picture.c_str());
    }
    // A path typed into the request: refused, whatever file it names.
    form["Title"] = "/etc/passwd";
    const auto read = ReadPostedSettings(form, choices, current);
    QVERIFY(std::holds_alternative<std::string>(read));
    QVERIFY(std::get<std::string>(read).find("\"Title\"") != std::string::npos);
}

QTEST_GUILESS_MAIN(WebSettingsTest)
#include "WebSettingsTest.moc"
