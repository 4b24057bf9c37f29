#include "app/Listener.h"
#include "app/MainU.h"
#include "app/SettingsWatcher.h"
#include "app/SilenceWatch.h"
#include "app/StateKeeper.h"
#include "app/TalkingDownload.h"
#include "controls/GIFImage.h"
#include "controls/Marquee.h"
#include "controls/MediaPlayer.h"
#include "controls/Polygon.h"
#include "controls/StatusGrid.h"
#include "core/MessageLog.h"
#include "settings/Platform.h"
#include "settings/Properties.h"
#include "settings/RegistryDef.h"
#include "settings/Welcome.h"
#include "support/CapturedStderr.h"
#include "support/RecordingReporter.h"
#include "support/TempFolder.h"
#include "support/Tone.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

namespace {

// The settings file as an arena would leave it: the given value lines in the settings key.
void WriteSettings(const std::string& values) {
    WriteBytes(SettingsFilePath(), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\"
                                   "Tallivue]\r\n" +
                                       values);
}

void Send(const char* datagram) {
    QUdpSocket().writeDatagram(QByteArray(datagram), QHostAddress::LocalHost, kDatagramPort);
}

// A datagram from `source`, once the window has taken it.
void SendFrom(TDownload_Form& form, const char* source, const char* datagram) {
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress(QString::fromLatin1(source)), 0));
    const auto received = form.Listener->Received();
    socket.writeDatagram(QByteArray(datagram), QHostAddress::LocalHost, kDatagramPort);
    QTRY_COMPARE(form.Listener->Received(), received + 1);
}

// What the listener would hand the window for this datagram.
void Feed(TDownload_Form& form, std::string datagram) {
    form.HandleDatagram(datagram);
}

// The grid counts its totals when it paints; the window reads them after that.
void Paint(TDownload_Form& form) {
    form.StatusGrid1->grab();
}

QString Title(const TDownload_Form& form) {
    return form.windowTitle();
}

} // namespace

// Runs on a 1024 x 768 screen (an off-screen platform of that size).
class DisplayWindowTest : public QObject {
    Q_OBJECT

private slots:
    // Each case starts as a display on a new PC would: no settings, nothing kept.
    void init() {
        std::filesystem::remove(SettingsFilePath());
        QFile::remove(StateFilePath());
    }

    void withoutSettingsItFillsTheScreen() {
        TDownload_Form form;
        form.FormActivate();
        QCOMPARE(form.geometry(), QRect(0, 0, 1024, 768));
        QVERIFY(form.Polygon->isVisibleTo(&form) && form.Polygon->Enabled());
        QCOMPARE(form.Polygon->x(), 974);
        QCOMPARE(form.StatusGrid1->geometry().topLeft(), QPoint(0, 84));
        QCOMPARE(form.StatusGrid1->width(), 1024);
        QVERIFY(form.time_label->isHidden() && !form.clock_timer->isActive());
        QVERIFY(form.Scroll_Message->ScrollText().ends_with("book your next battle!          "));
        QCOMPARE(form.Scroll_Message->ScrollAmount(), std::uint8_t{5});
        QVERIFY(form.Scroll_Message->Active() && form.Scroll_Timer->isActive());
        QCOMPARE(form.Scroll_Message->y(), 768 - form.Scroll_Message->height() - 10);
        QCOMPARE(form.Total_Packs_Label->y(), 532);
        QCOMPARE(form.time_to_go->y(), 84);
        QCOMPARE(form.blank_overlay->size(), QSize(1024, 768));
        QVERIFY(!form.StaysOnTop()); // "Always On Top" off

        // The first activation shows the welcome window; later ones leave it alone.
        QVERIFY(form.Welcome->isVisible());
        form.Welcome->OKButtonClick();
        form.FormActivate();
        QVERIFY(!form.Welcome->isVisible());
        QTest::keyRelease(&form, Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY(form.Welcome->isVisible());
    }

    void theFloatingWindowShowsTheGridAlone() {
        WriteSettings("\"Mode\"=dword:00000001\r\n\"HideWhenGame\"=dword:00000001\r\n");
        TDownload_Form form;
        form.FormActivate();
        QCOMPARE(form.geometry(), QRect(440, 522, 360, form.StatusGrid1->height()));
        QCOMPARE(form.StatusGrid1->geometry().topLeft(), QPoint(0, 0));
        for (QWidget* hidden : std::initializer_list<QWidget*>{
                 form.back_image, form.TitleBanner, form.center_logo, form.Polygon,
                 form.Scroll_Message, form.time_label, form.Total_Packs_Label})
            QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
        QVERIFY(form.StaysOnTop());

        // A game hides it, anything else brings it back; the full screen never hides.
        form.show();
        Feed(form, "MODE,GAMEACTIVE,120,Solo");
        QVERIFY(form.isHidden());
        Feed(form, "MODE,CALCULATE");
        QVERIFY(form.isVisible());
        Feed(form, "MODE,IDLE");
        QVERIFY(form.isVisible());
    }

    void settingsPlaceThePolygonClockAndMessages() {
        WriteSettings("\"Polygon\"=dword:00000000\r\n\"ShowClock\"=dword:00000001\r\n"
                      "\"ClockPosition\"=dword:00000002\r\n\"Msg1\"=\"Open late on Fridays\"\r\n");
        TDownload_Form form;
        form.FormActivate();
        QVERIFY(form.Polygon->isHidden() && !form.Polygon->Enabled());
        QCOMPARE(form.Polygon->x(), 1024);
        QCOMPARE(form.StatusGrid1->y(), 84);
        QVERIFY(!form.time_label->isHidden() && form.clock_timer->isActive());
        QCOMPARE(form.time_label->geometry().right(), 1022);
        QVERIFY(!form.time_label->text().isEmpty());
        QCOMPARE(form.Settings().Text(sMsg2), std::string("Open late on Fridays"));

        // Without the scroll message a bottom clock sits above where the message last stood.
        WriteSettings("\"ShowScrollMsg\"=dword:00000000\r\n\"ShowClock\"=dword:00000001\r\n");
        const int messageTop = form.Scroll_Message->y();
        form.FormActivate();
        QVERIFY(form.Scroll_Message->isHidden() && !form.Scroll_Timer->isActive());
        QCOMPARE(form.time_label->y(), messageTop - form.time_label->height() - 1);
        // A double click on the clock hides it and stops it; on the title it comes back.
        QTest::mouseDClick(form.time_label, Qt::LeftButton);
        QVERIFY(form.time_label->isHidden() && !form.clock_timer->isActive());
        QTest::mouseDClick(form.TitleBanner, Qt::LeftButton);
        QVERIFY(!form.time_label->isHidden() && form.clock_timer->isActive());
    }

    // A title that cannot be decoded is told once and the rest of the layout goes on; a JPEG
    // shows, centred beside the polygon.
    void aBrokenTitleIsToldOnceAndAJpegShows() {
        const TTempFolder folder;
        WriteBytes(folder / "title.gif", "GIF89a broken");
        QImage jpeg(120, 40, QImage::Format_RGB32);
        jpeg.fill(Qt::darkCyan);
        jpeg.save(QString::fromStdString((folder / "title.jpg").string()));
        WriteSettings("\"Title\"=\"" + (folder / "title.gif").string() +
                      "\"\r\n\"ShowClock\"=dword:00000001\r\n");
        RecordingReporter reporter;
        TDownload_Form form;
        form.FormActivate();
        form.FormActivate();
        QCOMPARE(reporter.Messages.size(), 1);
        QVERIFY2(reporter.Messages[0].contains("title.gif"), qPrintable(reporter.Messages[0]));
        QVERIFY(form.clock_timer->isActive()); // the steps after the pictures were taken
        WriteSettings("\"Title\"=\"" + (folder / "title.jpg").string() + "\"\r\n");
        form.FormActivate();
        QCOMPARE(form.TitleBanner->geometry(), QRect(427, 5, 120, 40));
    }

    // Also run under a 12-hour locale, whose times are wider than the clock's box: the face fits
    // the time with any digits, so the clock neither loses letters nor changes size.
    void theClockShowsTheWholeTime() {
        WriteSettings("\"ShowClock\"=dword:00000001\r\n");
        TDownload_Form form;
        form.FormActivate();
        QVERIFY(!form.time_label->isHidden());
        const QFontMetrics metrics(form.time_label->font());
        for (char digit = '0'; digit <= '9'; ++digit) {
            QString time = form.time_label->text();
            for (QChar& character : time)
                if (character.isDigit())
                    character = QLatin1Char(digit);
            QVERIFY2(metrics.tightBoundingRect(time).right() < form.time_label->width(),
                     qPrintable(time));
        }
        QCOMPARE_GE(form.time_label->font().pixelSize(), 20);
    }

    void onlyTheNamedControllersAreBelieved() {
        WriteSettings("\"ControllerAddress\"=\"127.0.0.2, arena-pc\"\r\n");
        RecordingReporter reporter;
        TDownload_Form form;
        form.FormActivate();
        form.FormActivate();
        QCOMPARE(reporter.Messages.size(), 1);
        QVERIFY2(reporter.Messages[0].contains("\n    arena-pc\n"),
                 qPrintable(reporter.Messages[0]));

        SendFrom(form, "127.0.0.1", "MODE,STRANGER");
        QCOMPARE(form.Listener->Dropped(), 1u);
        QCOMPARE(form.laMode->text(), QString("Offline"));
        SendFrom(form, "127.0.0.2", "MODE,CONTROLLER");
        QCOMPARE(form.laMode->text(), QString("CONTROLLER"));

        // Without the setting every sender is heard again.
        WriteSettings("");
        form.FormActivate();
        SendFrom(form, "127.0.0.1", "MODE,ANYONE");
        QCOMPARE(form.laMode->text(), QString("ANYONE"));
        QCOMPARE(form.Listener->Dropped(), 1u);
    }

    void aSilentControllerIsToldInTheCornerUntilItSpeaks() {
        WriteSettings("\"No Signal Minutes\"=dword:00000001\r\n"
                      "\"ControllerAddress\"=\"127.0.0.2\"\r\n");
        const qint64 started = QDateTime::currentMSecsSinceEpoch();
        TDownload_Form form;
        form.FormActivate(); // not shown: the next activation would read the setting again
        QCOMPARE(form.Silence->LimitMs(), 60'000);
        QLabel& line = *form.Silence->Line();
        // The minute, shortened.
        form.Silence->Configure(300);
        const auto told = [] {
            return std::ranges::count_if(RecentLines(), [](const TLoggedLine& logged) {
                return logged.Text.starts_with("No signal from the controller since ");
            });
        };
        const auto before = told();
        QTRY_VERIFY_WITH_TIMEOUT(line.isVisibleTo(&form), 3000);
        // Nothing heard yet: silent since the display started.
        const qint64 since = form.Heard().SilentSinceMs;
        QVERIFY(std::abs(since - started) < 1000);
        // The tests' C locale gives the time to the second; the line to the minute.
        QCOMPARE(line.text(), "No signal from the controller since " +
                                  QDateTime::fromMSecsSinceEpoch(since).toString("HH:mm"));
        const QImage shown = form.grab().toImage();
        int lit = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 300; ++x)
                lit += shown.pixelColor(x, y) == QColor(0xC0, 0xC0, 0xC0);
        QVERIFY2(lit > 50, "no line in the upper left corner");
        QTest::qWait(700);
        QCOMPARE(told(), before + 1); // once a silence

        // Another sender is not the controller; the controller ends the silence at once.
        SendFrom(form, "127.0.0.1", "MODE,STRANGER");
        QVERIFY(line.isVisibleTo(&form));
        SendFrom(form, "127.0.0.2", "MODE,IDLE");
        QVERIFY(!line.isVisibleTo(&form));
        QCOMPARE(form.Heard().SilentSinceMs, -1);
        // The next silence is told again, from the last datagram.
        QTRY_VERIFY_WITH_TIMEOUT(line.isVisibleTo(&form), 3000);
        QCOMPARE(told(), before + 2);
        QVERIFY(form.Heard().SilentSinceMs > since + 500);
        // Off: nothing is told.
        form.Silence->Configure(0);
        QVERIFY(!line.isVisibleTo(&form));
        QTest::qWait(500);
        QVERIFY(!line.isVisibleTo(&form));
        QCOMPARE(told(), before + 2);
    }

    void aGameCountsDownAndTheTitleFollowsThePacks() {
        const TTempFolder folder;
        const std::string cue = (folder / "cue.wav").string();
        WriteTone(cue, 0.2, 8000);
        WriteSettings("\"Special Event\"=dword:00000001\r\n\"Audio Time Left\"=dword:0000003b\r\n"
                      "\"Audio File\"=\"" +
                      cue + "\"\r\n");
        TDownload_Form form;
        form.FormActivate();
        Feed(form, "MODE,IDLE");
        QCOMPARE(form.laMode->text(), QString("Idle"));
        Feed(form, "MODE,GAMEACTIVE,301,Deathmatch");
        QCOMPARE(form.laMode->text(), QString("Playing Game Deathmatch"));
        QVERIFY(form.StatusGrid1->isHidden() && form.time_to_go->isHidden());
        QCOMPARE(Title(form), QString("5:01  Tallivue"));
        Feed(form, "MODE,GAMEACTIVE,300,Deathmatch");
        QVERIFY(!form.time_to_go->isHidden() && !form.time_left_label->isHidden());
        QCOMPARE(form.time_to_go->text(), QString("5:00"));
        QVERIFY(!form.MediaPlayer1->IsOpen());
        Feed(form, "MODE,GAMEACTIVE,59"); // the special audio's moment
        QVERIFY(form.MediaPlayer1->IsOpen() && form.MediaPlayer1->FileName() == cue);
        QCOMPARE(form.laMode->text(), QString("Playing Game"));
        QCOMPARE(form.time_to_go->text(), QString("0:59"));
        // Again when the controller repeats that second, never at the seconds after it.
        QTRY_VERIFY(!form.MediaPlayer1->Playing());
        Feed(form, "MODE,GAMEACTIVE,59");
        QVERIFY(form.MediaPlayer1->Playing());
        QTRY_VERIFY(!form.MediaPlayer1->Playing());
        Feed(form, "MODE,GAMEACTIVE,58");
        QVERIFY(!form.MediaPlayer1->Playing());
        Feed(form, "MODE,GAMEACTIVE");
        QCOMPARE(form.time_to_go->text(), QString("0:58"));

        // During the game the packs go to their label only; after it, to the title too.
        Feed(form, "PACKSTATUS,128,128,0,160");
        Paint(form);
        Feed(form, "PACKSTATUS,128,128,0,160");
        QCOMPARE(form.Total_Packs_Label->text(), QString("3"));
        QCOMPARE(Title(form), QString("0:58  Tallivue"));
        Feed(form, "MODE,CALCULATE");
        QVERIFY(!form.StatusGrid1->isHidden() && form.time_to_go->isHidden());
        QCOMPARE(form.laMode->text(), QString("Calculating"));
        Feed(form, "PACKSTATUS,128,64,0,160,32");
        Paint(form);
        Feed(form, "PACKSTATUS,128,64,0,160,32");
        QCOMPARE(Title(form), QString("I:4  D:3  P:2  Tallivue"));

        // The grid grows for a pack in use beyond it, not for one out of the game.
        Feed(form, "PACKSTATUS" + std::string(6 * 3, ',') + ",0");
        QCOMPARE(form.StatusGrid1->PacksPerTeam(), 6);
        Feed(form, "PACKSTATUS" + std::string(6 * 3, ',') + ",128");
        QCOMPARE(form.StatusGrid1->PacksPerTeam(), 7);
    }

    void downloadsAreSpokenAndTheMessagesRotate() {
        const TTempFolder voices;
        for (const char* word : {"red", "01", "02", "Download_complete"})
            WriteTone(voices / (std::string(word) + ".wav"), 0.3, 8000);
        WriteSettings("\"Talking Download\"=dword:00000001\r\n\"Talking Folder\"=\"" +
                      voices.Path().string() + "/\"\r\n\"Msg2\"=\"Second\"\r\n");
        TDownload_Form form;
        form.FormActivate();
        Feed(form, "PACKSTATUS,128,0,0,128"); // the first is taken silently
        QVERIFY(form.Talking().PlayerIdle());
        Feed(form, "MODE,DOWNLOADPACKS");
        QVERIFY(form.Scroll_Message->ScrollText().starts_with("We hope you enjoyed your game."));
        QVERIFY(!form.Scroll_Timer->isActive());
        // A long and exact interval, at which a restart shows in the time left.
        form.Scroll_Timer->setTimerType(Qt::PreciseTimer);
        form.Scroll_Timer->setInterval(60'000);
        Feed(form, "PACKSTATUS,32,0,0,64");
        QVERIFY(!form.Talking().PlayerIdle()); // "red" plays, "01", "02" wait
        Feed(form, "MODE,IDLE");
        QCOMPARE(form.Talking().SpeakQueue(), std::deque<std::string>{"Download_complete"});
        QVERIFY(form.Scroll_Timer->isActive()); // the rotation is back on
        // A controller that repeats IDLE must not hold the rotation back: the timer runs on.
        QTest::qWait(100);
        Feed(form, "MODE,IDLE");
        QCOMPARE(form.Talking().SpeakQueue().size(), std::size_t{1});
        QVERIFY2(form.Scroll_Timer->remainingTime() < 59'950, "a repeated IDLE restarted it");

        // The download's thanks stay until the rotation comes round to the next message.
        QVERIFY(form.Scroll_Timer->isActive());
        for (int tick = 0; tick < 30; ++tick)
            form.Scroll_TimerTimer();
        QVERIFY(form.Scroll_Message->ScrollText().starts_with("We hope"));
        form.Scroll_TimerTimer();
        QCOMPARE(form.Scroll_Message->ScrollText(), std::string("Second          "));
        for (int tick = 31; tick < 91; ++tick)
            form.Scroll_TimerTimer();
        QVERIFY(form.Scroll_Message->ScrollText().starts_with("Birthday parties"));
        QCOMPARE(form.ScrollCount, 1);
    }

    // A controller's own mode word that spells the download's caption (here a translated one) is
    // a download to the voice: reminders, and the end at IDLE. The rest is any other mode's.
    void aModeWordSpellingTheDownloadCaptionIsSpokenAsADownload() {
        const TTempFolder voices;
        for (const char* word : {"Downloaded", "Download_complete"})
            WriteTone(voices / (std::string(word) + ".wav"), 0.3, 8000);
        WriteSettings("\"Talking Download\"=dword:00000001\r\n\"StillNeedDelayIncrement\"="
                      "dword:0000000a\r\n\"Talking Folder\"=\"" +
                      voices.Path().string() +
                      "/\"\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue\\"
                      "Language]\r\n\"Download Packs\"=\"Herunterladen\"\r\n");
        TDownload_Form form;
        form.FormActivate();
        Feed(form, "MODE,IDLE");
        form.SpeakTimerTimer(); // outside a download a tick only lengthens the wait
        QCOMPARE(form.SpeakTimer->interval(), 15000);
        const std::string message = form.Scroll_Message->ScrollText();

        Feed(form, "MODE,Herunterladen");
        QCOMPARE(form.laMode->text(), QString("Herunterladen"));
        QVERIFY(form.Scroll_Timer->isActive());
        QCOMPARE(form.Scroll_Message->ScrollText(), message);
        QCOMPARE(form.SpeakTimer->interval(), 15000);
        form.SpeakTimerTimer();
        QCOMPARE(form.Talking().SpeakMode(), TSpeakMode::Summary); // "Downloaded" plays
        Feed(form, "MODE,IDLE");
        QCOMPARE(form.Talking().SpeakQueue(), std::deque<std::string>{"Download_complete"});
    }

    // A kiosk is never activated again: a file changed on disk is read by itself, but only
    // once the properties dialog, which saves what it loaded, has gone.
    void aChangedSettingsFileIsReadWithoutAnActivation() {
        WriteSettings("\"Msg1\"=\"First\"\r\n");
        TDownload_Form form;
        form.FormActivate();
        QCOMPARE(form.Settings().Text(sMsg1), std::string("First"));
        WriteSettings("\"Msg1\"=\"Second\"\r\n");
        QTRY_COMPARE(form.Settings().Text(sMsg1), std::string("Second"));

        QTimer::singleShot(0, &form, [&form] {
            WriteSettings("\"Msg1\"=\"Third\"\r\n");
            QTest::qWait(TSettingsWatcher::kSettleMs + 1000);
            QCOMPARE(form.Settings().Text(sMsg1), std::string("Second"));
            static_cast<QDialog*>(QApplication::activeModalWidget())->reject();
        });
        form.PropertiesClick();
        QCOMPARE(form.Settings().Text(sMsg1), std::string("Third"));
    }

    // Copied in two parts, mistyped, or mended while the display reads it: the display reads
    // only a whole file, keeps what it has until then and what the mode put up, and never
    // touches the file.
    void aChangedSettingsFileIsReadOnlyWhole() {
        WriteSettings("\"Msg1\"=\"First\"\r\n");
        TDownload_Form form;
        form.FormActivate();
        Feed(form, "MODE,DOWNLOADPACKS");
        QStringList messages;
        std::string mend; // written while the display reads, as the message comes
        const TErrorReporter previous = SetErrorReporter([&](const QString& text) {
            messages << text;
            if (!mend.empty())
                WriteSettings(std::exchange(mend, ""));
        });

        const std::string whole = "\"Msg1\"=\"Second\"\r\n\"Msg4\"=\"Thanks for playing\"\r\n";
        WriteSettings(whole.substr(0, 20));
        QTest::qWait(1500);
        WriteSettings(whole);
        QTRY_COMPARE(form.Settings().Text(sMsg1), std::string("Second"));
        QCOMPARE(messages, QStringList());
        QCOMPARE(form.Scroll_Message->ScrollText(), std::string("Thanks for playing          "));
        QVERIFY(!form.Scroll_Timer->isActive());

        const std::filesystem::path file = SettingsFilePath();
        WriteSettings("\"Msg1\"=\"Third\r\n");
        const std::string typo = ReadBytes(file);
        QTRY_COMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains(QString::fromStdString(file.string())) &&
                     messages[0].contains("line 4"),
                 qPrintable(messages[0]));
        form.FormActivate();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(form.Settings().Text(sMsg1), std::string("Second"));
        QCOMPARE(ReadBytes(file), typo);
        QCOMPARE(std::distance(std::filesystem::directory_iterator(file.parent_path()), {}), 1);

        mend = "\"Msg1\"=\"Mended\"\r\n";
        WriteSettings("\"Msg1\"=\"Fourth\r\n");
        QTRY_COMPARE(form.Settings().Text(sMsg1), std::string("Mended"));
        SetErrorReporter(previous);
    }

    // A Unicode settings file's Greek caption and message with a euro and a dash show as they
    // are, and so do the dialog's fields; a Save writes them back as they were (a text typed in
    // the dialog is the properties' test's). A datagram's own text is single-byte Latin-1, as the
    // controller sends it.
    void textsBeyondLatin1ShowAndSaveAsTheyAre() {
        const std::string idle = "\xCE\x91\xCE\xBD\xCE\xB1\xCE\xBC\xCE\xBF\xCE\xBD\xCE\xAE";
        const std::string message = "Book now \xE2\x80\x93 parties from \xE2\x82\xAC"
                                    "99";
        const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue";
        WriteBytes(SettingsFilePath(), "\xEF\xBB\xBFREGEDIT4\r\n\r\n" + key + "]\r\n\"Msg1\"=\"" +
                                           message + "\"\r\n\r\n" + key +
                                           "\\Language]\r\n\"Idle\"=\"" + idle + "\"\r\n");
        TDownload_Form form;
        form.FormActivate();
        Feed(form, "MODE,IDLE");
        QCOMPARE(form.laMode->text(), QString::fromUtf8(idle));
        QCOMPARE(form.Scroll_Message->ScrollText(), message + std::string(10, ' '));
        Feed(form, "MODE,GAMEACTIVE,300,Caf\xE9");
        QCOMPARE(form.laMode->text(), QString::fromUtf8("Playing Game Caf\xC3\xA9"));
        Feed(form, "MODE,R\xC9SULTATS");
        QCOMPARE(form.laMode->text(), QString::fromUtf8("R\xC3\x89SULTATS"));

        QString shown;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TProp_Form*>(QApplication::activeModalWidget());
            QTest::qWait(50); // it loads once shown
            shown = dialog->Idle->text() + "|" + dialog->Msg1->text();
            dialog->SaveButton->click();
        });
        form.PropertiesClick();
        QCOMPARE(shown, QString::fromUtf8(idle + "|" + message));
        const std::string saved = ReadBytes(SettingsFilePath());
        for (const std::string& value : {"\"Idle\"=\"" + idle, "\"Msg1\"=\"" + message})
            QVERIFY2(saved.find(value + "\"\r\n") != std::string::npos, value.c_str());
    }

    // F5 holds the datagrams back while the dialog is open and hands them over in order after
    // it; from the menu the display goes on behind it.
    void thePropertiesDialogFromTheKeyAndFromTheMenu() {
        TDownload_Form form;
        form.FormActivate();
        QString whileOpen = "not opened";
        const auto state = [&form] {
            return form.laMode->text() + " " +
                   QString::number(form.StatusGrid1->GetPackState(1, 1));
        };
        QTimer::singleShot(0, [&] {
            // Applied in any other order, the pack would end up played, not downloaded.
            for (const char* datagram : {"PACKSTATUS,32", "PACKSTATUS,64", "MODE,CHARLIE"})
                Send(datagram);
            QTest::qWait(300);
            whileOpen = state();
            QApplication::activeModalWidget()->close();
        });
        form.FormKeyUp(Qt::Key_F5);
        QCOMPARE(whileOpen, QString("Offline 0"));
        QTRY_COMPARE(state(), QString("CHARLIE 3"));
        QVERIFY(!form.StaysOnTop());

        QTimer::singleShot(0, [&] {
            Send("MODE,CALCULATE");
            (void)QTest::qWaitFor([&] { return form.laMode->text() == "Calculating"; }, 3000);
            whileOpen = form.laMode->text();
            QApplication::activeModalWidget()->close();
        });
        form.PropertiesClick();
        QCOMPARE(whileOpen, QString("Calculating"));
    }

    // Save lays the display out at once, as the floating window staying on top.
    void aSaveTakesEffectAtOnce() {
        TDownload_Form form;
        form.FormActivate();
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<TProp_Form*>(QApplication::activeModalWidget());
            dialog->Mode->setCurrentIndex(1);
            dialog->Always_On_Top->setChecked(true);
            dialog->SaveButton->click();
        });
        QSignalSpy changed(form.SettingsWatcher, &TSettingsWatcher::Changed);
        form.PropertiesClick();
        QCOMPARE(form.geometry(), QRect(440, 552, 360, form.StatusGrid1->height()));
        QVERIFY(form.StaysOnTop() && form.back_image->isHidden());
        // The display's own save has been read: it is no change to read again.
        QTest::qWait(TSettingsWatcher::kSettleMs + 500);
        QCOMPARE(changed.count(), 0);
    }

    void theMenuOpensWhereTheOverlayReaches() {
        TDownload_Form form;
        form.FormActivate();
        form.show();
        QStringList captions;
        for (QAction* action : form.PopupMenu1->actions())
            captions << action->text();
        QCOMPARE(captions, (QStringList{"&About", "Properties", "Mi&nimise", "E&xit"}));
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Clicks on the window, so that they reach whatever lies on top at that point.
        QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, QPoint(100, 450));
        QTRY_VERIFY(form.PopupMenu1->isVisible());
        form.PopupMenu1->hide();
        // The polygon lies above it too, and opens the menu as the overlay would.
        QVERIFY(form.Polygon->isVisible());
        QTest::mouseClick(form.windowHandle(), Qt::RightButton, {},
                          form.Polygon->geometry().center());
        QTRY_VERIFY(form.PopupMenu1->isVisible());
        form.PopupMenu1->hide();
        // The grid lies above the overlay and keeps its clicks.
        QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, QPoint(20, 104));
        QTest::qWait(50);
        QVERIFY(!form.PopupMenu1->isVisible());
    }
};

QTEST_MAIN(DisplayWindowTest)
#include "DisplayWindowTest.moc"
