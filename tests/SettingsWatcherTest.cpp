#include "app/SettingsWatcher.h"
#include "settings/Platform.h"
#include "settings/RegistryDef.h"
#include "settings/SettingsTable.h"
#include "support/TempFolder.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>

namespace {

constexpr int kSettle = 200;

#ifndef _WIN32
// What a save, or an editor that writes a copy first, does: a whole new file renamed over it.
void ReplaceByRename(const std::filesystem::path& file, std::string_view bytes) {
    const auto copy = file.parent_path() / "Tallivue.reg.new";
    WriteBytes(copy, bytes);
    std::filesystem::rename(copy, file);
}
#endif

// Long enough for a change to have been told, had it been one.
void WaitPastTheSettling() {
    QTest::qWait(4 * kSettle);
}

} // namespace

class SettingsWatcherTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        std::filesystem::remove_all(SettingsFilePath().parent_path());
        std::filesystem::create_directories(SettingsFilePath().parent_path().parent_path());
    }

#ifndef _WIN32
    // On a new machine nothing was ever saved: neither the file nor its folder is there.
    void aFileMadeLaterIsToldButNoOtherFileNearIt() {
        const std::filesystem::path file = SettingsFilePath();
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
    }

    void everyReplaceIsToldOnceItHasSettled() {
        const std::filesystem::path file = SettingsFilePath();
        WriteBytes(file, "REGEDIT4\r\n");
        TSettingsWatcher watcher(nullptr, kSettle);
        QSignalSpy changed(&watcher, &TSettingsWatcher::Changed);
        watcher.Taken();
        for (int replace = 1; replace <= 2; ++replace) {
            ReplaceByRename(file, "REGEDIT4\r\n; round " + std::to_string(replace) + "\r\n");
            QTRY_COMPARE(changed.count(), replace);
            watcher.Taken();
        }

        // A file written bit by bit is told once, when its writer has done.
        for (int part = 0; part < 4; ++part) {
            std::ofstream(file, std::ios::app) << "; part " << part << "\r\n";
            QTest::qWait(kSettle / 2);
        }
        QCOMPARE(changed.count(), 2);
        QTRY_COMPARE(changed.count(), 3);
        WaitPastTheSettling();
        QCOMPARE(changed.count(), 3);
    }

#else
    // Windows keeps the settings in the registry: a value changed there, by regedit or another
    // program, is told as a changed file is, and only that.
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
            registry.WriteString("Watched",
                                 std::to_string(QDateTime::currentMSecsSinceEpoch()));
            QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 4 * TSettingsWatcher::kPollMs);
            watcher.Taken();
            changed.clear();
        }
    }
#endif
};

QTEST_MAIN(SettingsWatcherTest)
#include "SettingsWatcherTest.moc"
