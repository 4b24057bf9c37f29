#include "app/SettingsWatcher.h"
#include "settings/Platform.h"
#include "settings/RegistryDef.h"
#include "settings/SettingsTable.h"
#include "support/TempFolder.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

// When the stored settings are told to have changed: once each change has settled, and never
// for anything else.
class SettingsWatcherTest : public QObject {
    Q_OBJECT

    static constexpr int kSettle = 200;
    // Long enough for a change to have been told, had it been one.
    static void WaitPastTheSettling() { QTest::qWait(4 * kSettle); }

private slots:
#ifndef _WIN32
    // From a new machine, where neither the file nor its folder is there, to a file replaced by
    // renames (as saves and editors do) and one written bit by bit.
    void eachChangeOfTheFileIsToldOnceAndNothingElse() {
        const std::filesystem::path file = SettingsFilePath();
        std::filesystem::remove_all(file.parent_path());
        TSettingsWatcher watcher(nullptr, kSettle);
        QSignalSpy changed(&watcher, &TSettingsWatcher::Changed);
        watcher.Taken();
        WriteBytes(file.parent_path().parent_path() / "another-program.conf", "x");
        WaitPastTheSettling();
        QCOMPARE(changed.count(), 0);

        WriteBytes(file, "REGEDIT4\r\n");
        QTRY_COMPARE(changed.count(), 1);
        watcher.Taken();
        WriteBytes(file.parent_path() / "notes.txt", "the arena's own notes");
        WaitPastTheSettling();
        QCOMPARE(changed.count(), 1);

        for (int told = 2; told <= 3; ++told) {
            WriteBytes(file.parent_path() / "copy", "REGEDIT4\r\n; " + std::to_string(told));
            std::filesystem::rename(file.parent_path() / "copy", file);
            QTRY_COMPARE(changed.count(), told);
            watcher.Taken();
        }

        for (int part = 0; part < 4; ++part) {
            std::ofstream(file, std::ios::app) << "; part " << part << "\r\n";
            QTest::qWait(kSettle / 2);
        }
        QCOMPARE(changed.count(), 3);
        QTRY_COMPARE(changed.count(), 4);
        WaitPastTheSettling();
        QCOMPARE(changed.count(), 4);
    }
#else
    // In the registry: a value changed by regedit or another program, in either key.
    void aValueChangedInTheRegistryIsTold() {
        TSettingsWatcher watcher(nullptr, kSettle);
        QSignalSpy changed(&watcher, &TSettingsWatcher::Changed);
        watcher.Taken();
        WaitPastTheSettling();
        QCOMPARE(changed.count(), 0);
        for (const std::string_view key : {kSettingsKeyPath, kLanguageKeyPath}) {
            TRegistryDef registry(PlatformRegistryStore());
            QVERIFY(registry.OpenKey(key, true));
            // A value of its own each run: the test's registry outlives the test.
            registry.WriteString("Watched", std::to_string(QDateTime::currentMSecsSinceEpoch()));
            QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 4 * TSettingsWatcher::kPollMs);
            watcher.Taken();
            changed.clear();
        }
    }
#endif
};

QTEST_MAIN(SettingsWatcherTest)
#include "SettingsWatcherTest.moc"
