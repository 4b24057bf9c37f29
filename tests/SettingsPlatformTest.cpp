#include "settings/Platform.h"
#include "settings/RegistryDef.h"
#include "support/RecordingReporter.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QTest>

class SettingsPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void theFileLivesInTheConfigFolderAndReportsItsDamage() {
        const TTempFolder config;
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
        const auto file = config / "Outrider" / "Tallivue.reg";
        QCOMPARE(SettingsFilePath(), file);

        WriteBytes(file, "REGEDIT4\n\"Mode\"=dword:1\n");
        RecordingReporter reporter;
        {
            TRegistryDef registry(PlatformRegistryStore());
            QVERIFY(registry.OpenKey("SOFTWARE\\Outrider\\Tallivue", true));
            registry.WriteInteger("Mode", 1);
        }
        QCOMPARE(reporter.Messages.size(), 1);
        QVERIFY2(reporter.Messages[0].contains(QString::fromStdString(file.string())),
                 qPrintable(reporter.Messages[0]));
        QVERIFY(reporter.Messages[0].contains("line 2"));

        TRegistryDef registry(PlatformRegistryStore());
        QVERIFY(registry.OpenKey("SOFTWARE\\Outrider\\Tallivue", false));
        QCOMPARE(registry.ReadIntegerDef("Mode", 0), 1);
        QCOMPARE(reporter.Messages.size(), 1);
    }

    void machineDefaultsComeFromTheProgramAndTheScreen() {
        const TSettingsEnvironment environment = PlatformSettingsEnvironment();
        QCOMPARE(QString::fromStdString(environment.ProgramFolder),
                 QCoreApplication::applicationDirPath() + "/");
        QVERIFY(environment.ScreenWidth > 0);
        QVERIFY(environment.ScreenHeight > 0);
    }
};

QTEST_MAIN(SettingsPlatformTest)
#include "SettingsPlatformTest.moc"
