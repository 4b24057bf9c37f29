#include "app/MainU.h"
#include "app/StateKeeper.h"
#include "app/TalkingDownload.h"
#include "controls/MediaPlayer.h"
#include "controls/StatusGrid.h"
#include "support/Tone.h"

#include "core/ErrorReporter.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

// The talking download as the main window owns it: it reads the packs and the mode the window
// heard, paces itself with the window's timer, and plays on the window's player.

namespace {

void Hear(TDownload_Form& form, QByteArray datagram) {
    form.HandleDatagram(std::span<char>(datagram.data(), datagram.size()));
}

} // namespace

class DownloadFormSpeechTest : public QObject {
    Q_OBJECT

    TTempFolder FFolder;

private slots:
    // Each case starts with nothing kept by the display of the case before.
    void init() { QFile::remove(StateFilePath()); }
    void theWindowsPacksModeTimerAndPlayerDriveIt() {
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
        // The first status fills the grid unannounced: team 1's pack 2, team 2's pack 3.
        Hear(form, "PACKSTATUS,0,0,0,128,0,0,0,128");

        // Outside download mode a tick only lengthens the wait.
        Hear(form, "MODE,IDLE");
        form.SpeakTimerTimer();
        QTRY_VERIFY(form.Talking().PlayerIdle());
        QCOMPARE(played, 0);
        QCOMPARE(form.SpeakTimer->interval(), 15000);
        QVERIFY(form.SpeakTimer->isActive());

        // "Downloaded", "00", "packs", "00", "players", "Still_need", "red", "02", "green", "03"
        Hear(form, "MODE,DOWNLOADPACKS");
        QCOMPARE(form.SpeakTimer->interval(), 5000);
        form.SpeakTimerTimer();
        QTRY_VERIFY_WITH_TIMEOUT(form.Talking().PlayerIdle(), 5000);
        QCOMPARE(played, 10);
        QCOMPARE(form.SpeakTimer->interval(), 15000);

        // A download: its colour and number, and the wait back to five seconds.
        form.SpeakStatus(2, 3, psPlayed);
        QCOMPARE(form.SpeakTimer->interval(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(form.Talking().PlayerIdle(), 5000);
        QCOMPARE(played, 12);
    }

    // A failure is shown after its handler has returned, in one box at a time; the window goes
    // on handling ticks and datagrams while the box waits for OK.
    void errorBoxesWaitForTheHandlerAndComeOneAtATime() {
        const TTempFolder folder; // nothing else in it plays, so the failure is not told anew
        WriteBytes(folder / "05.wav", "This is not a sound.\n");
        TDownload_Form form;
        TTalkingSettings settings;
        settings.TalkingDownload = true;
        settings.TalkingFolder = folder.Path().string() + "/";
        form.Talking().SetSettings(settings);
        Hear(form, "MODE,DOWNLOADPACKS");

        // A box run inside the handler would run this in the box's own event loop.
        bool inHandler = true, boxInsideHandler = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* box = QApplication::activeModalWidget(); box && inHandler) {
                boxInsideHandler = true;
                box->close();
            }
        });
        form.SpeakStatus(1, 5, psPlayed);
        form.SpeakTimerTimer();
        inHandler = false;
        QVERIFY(!boxInsideHandler);
        QTRY_COMPARE(Boxes().size(), 1);
        const QString failure = Boxes()[0]->text();
        QVERIFY2(failure.contains("05.wav"), qPrintable(failure));

        QUdpSocket controller;
        for (int tick = 0; tick < 5; ++tick) {
            form.SpeakStatus(1, 5, psPlayed);
            form.SpeakTimerTimer();
            controller.writeDatagram(QByteArray("PACKSTATUS,32"), QHostAddress::LocalHost, 12001);
            ReportError(failure);
            ReportError("The next one.");
            QTest::qWait(20);
        }
        QTRY_COMPARE(form.StatusGrid1->GetPackState(1, 1), psPlayed);
        QCOMPARE(Boxes().size(), 1);
        Boxes()[0]->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(Boxes().size() == 1 && Boxes()[0]->text() == "The next one.");
        Boxes()[0]->button(QMessageBox::Ok)->click();
        QTest::qWait(100);
        QVERIFY(Boxes().isEmpty());
    }

private:
    static QList<QMessageBox*> Boxes() {
        QList<QMessageBox*> boxes;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
                boxes << box;
        return boxes;
    }
};

QTEST_MAIN(DownloadFormSpeechTest)
#include "DownloadFormSpeechTest.moc"
