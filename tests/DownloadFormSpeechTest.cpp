#include "app/MainU.h"
#include "app/MediaPlayer.h"
#include "app/TalkingDownload.h"
#include "controls/StatusGrid.h"
#include "support/Tone.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

// The talking download as the main window owns it: it reads the window's grid and mode
// caption, paces itself with the window's timer, and plays on the window's player.
class DownloadFormSpeechTest : public QObject {
    Q_OBJECT

    TTempFolder FFolder;

private slots:
    void theWindowsGridCaptionTimerAndPlayerDriveIt() {
        for (const char* name :
             {"Downloaded", "packs", "players", "Still_need", "red", "green", "00", "02", "03"})
            WriteTone(FFolder / (std::string(name) + ".wav"), 0.05, 8000);
        TDownload_Form form;
        int played = 0;
        const auto next = form.MediaPlayer1->OnNotify;
        form.MediaPlayer1->OnNotify = [&] {
            ++played;
            next();
        };
        TTalkingSettings settings;
        settings.TalkingDownload = true;
        settings.StillNeedDelayIncrement = 10;
        settings.TalkingFolder = FFolder.Path().string() + "/";
        form.Talking().SetSettings(settings);
        form.StatusGrid1->SetPackState(1, 2, psInUse);
        form.StatusGrid1->SetPackState(2, 3, psInUse);

        // Outside download mode a tick only lengthens the wait.
        form.laMode->setText("Idle");
        form.SpeakTimerTimer();
        QTRY_VERIFY(form.Talking().PlayerIdle());
        QCOMPARE(played, 0);
        QCOMPARE(form.SpeakTimer->interval(), 15000);
        QVERIFY(form.SpeakTimer->isActive());

        // "Downloaded", "00", "packs", "00", "players", "Still_need", "red", "02", "green", "03"
        form.laMode->setText("Download Packs");
        form.SpeakTimerTimer();
        QTRY_VERIFY_WITH_TIMEOUT(form.Talking().PlayerIdle(), 5000);
        QCOMPARE(played, 10);
        QCOMPARE(form.SpeakTimer->interval(), 25000);

        // A download: its colour and number, and the wait back to five seconds.
        form.SpeakStatus(2, 3, psPlayed);
        QCOMPARE(form.SpeakTimer->interval(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(form.Talking().PlayerIdle(), 5000);
        QCOMPARE(played, 12);
    }
};

QTEST_MAIN(DownloadFormSpeechTest)
#include "DownloadFormSpeechTest.moc"
