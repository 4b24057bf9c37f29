#include "settings/Properties.h"

#include "controls/GIFImage.h"
#include "controls/MediaPlayer.h"
#include "controls/SpinEdit.h"
#include "controls/StatusGrid.h"
#include "core/QtText.h"
#include "settings/ControlTags.h"
#include "settings/Platform.h"
#include "settings/RegFile.h"
#include "settings/RegistryDef.h"
#include "settings/Welcome.h"
#include "support/Ink.h"
#include "support/RecordingReporter.h"
#include "support/TempFolder.h"
#include "support/Tone.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <csignal>
#include <map>
#include <sys/resource.h>

namespace {

const std::string kTallivue = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue";

// The settings file as an arena would leave it, with the given value lines in the settings key.
void WriteSettings(const std::string& values) {
    WriteBytes(SettingsFilePath(), "REGEDIT4\r\n\r\n[" + kTallivue + "]\r\n" + values);
}

// Key and value name -> type and data, as the file holds them.
std::map<std::pair<std::string, std::string>, TRegValue> SavedValues() {
    TRegDocument document;
    TRegParseError error;
    if (!ParseRegFile(ReadBytes(SettingsFilePath()), document, error))
        qFatal("the settings file does not parse");
    std::map<std::pair<std::string, std::string>, TRegValue> values;
    for (const auto& key : document.Keys)
        for (const auto& value : key.Values)
            values[{key.Path, value.Name}] = value.Value;
    return values;
}

class TRecordingHost : public TPropertiesHost {
public:
    void SetStayOnTop(bool onTop) override {
        Calls << (onTop ? "SetStayOnTop(true)" : "SetStayOnTop(false)");
    }
    void FormActivate() override { Calls << "FormActivate"; }
    QStringList Calls;
};

// The welcome window, hidden as it is once its start-up showing is over.
struct THiddenWelcome : TWelcome_Form {
    explicit THiddenWelcome(QWidget* parent = nullptr) : TWelcome_Form(parent) { OKButtonClick(); }
};

// A window manager's giving the focus back. Waits for the program's own idea of the active
// window: the platform's may already point at a window whose transient child had it.
bool ActivateAndWait(QWidget& window) {
    window.activateWindow();
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; });
}

} // namespace

class PropertiesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { std::filesystem::remove(SettingsFilePath()); }

    void anEmptyStoreShowsTheDialogsDefaultsAndSaveWritesThemAll() {
        RecordingReporter reporter;
        THiddenWelcome welcome;
        TRecordingHost host;
        TProp_Form form(&welcome, &host);
        form.FormActivate();

        QCOMPARE(form.windowTitle(), QString("Tallivue -- Properties"));
        QStringList tabs;
        for (int i = 0; i < form.PageControl1->count(); ++i)
            tabs << form.PageControl1->tabText(i);
        QCOMPARE(tabs, QStringList({"Mode", "Full screen", "Floating window", "Scroll message",
                                    "Status Grid", "Audio", "International", "Network",
                                    "Opening hours"}));
        QCOMPARE(form.PageControl1->currentIndex(), 0);
        QCOMPARE(form.Mode->currentText(), QString("Full screen"));
        QVERIFY(form.Show_Time_Left->isChecked() && form.Time_Remaining->isEnabled());
        QCOMPARE(form.Time_Remaining->Value(), 5);
        QCOMPARE(form.SetFloatY->Value(), 552);
        QCOMPARE(form.StillNeedDelayIncrement->Value(), 10);
        QCOMPARE(form.Audio_Time_Left->singleStep(), 30);
        QCOMPARE(form.Msg3->text(), FromUtf8(kAdvertisingLine));
        QCOMPARE(form.ClockPosition->currentText(), QString("Bottom Centre"));
        QVERIFY(!form.ClockPosition->isEnabled()); // "ShowClock" is off
        const TSettingsEnvironment environment = PlatformSettingsEnvironment();
        QCOMPARE(form.SetHeight->Value(), environment.ScreenHeight);
        QCOMPARE(form.Talking_Folder->text(), FromUtf8(environment.ProgramFolder + "Sounds/"));
        QVERIFY(form.Team2Green->isChecked() && form.Team3Yellow->isChecked());
        QCOMPARE(form.Team3Green->text(), QString("Green"));
        QCOMPARE(form.Calculating->text(), QString("Calculating"));
        QCOMPARE(form.StatusGrid1->GetPackState(1, 1), psPlayed); // (team + pack) mod 4
        QCOMPARE(form.StatusGrid1->GetPackState(3, 20), psDownloaded);

        form.SaveButtonClick();
        QCOMPARE(reporter.Messages, QStringList());
        QCOMPARE(host.Calls, QStringList({"SetStayOnTop(false)", "FormActivate"}));
        // Every value the dialog edits, under its name and key, typed by its kind.
        const auto saved = SavedValues();
        std::size_t expected = 0;
        for (const TSettingDef& setting : AllSettings()) {
            const bool byHand = setting.Id == sTeam2Colour || setting.Id == sTeam3Colour;
            if (!*setting.Control && !byHand)
                continue;
            ++expected;
            const std::string key =
                kTallivue + (setting.Key == TSettingsKey::Language ? "\\Language" : "");
            const auto found = saved.find({key, setting.Name});
            QVERIFY2(found != saved.end(), setting.Name);
            const TSettingValue value = ResolveDefault(setting, setting.DialogDefault, environment);
            const TRegValue want = setting.Kind == TSettingKind::Text
                                       ? MakeStringValue(std::get<std::string>(value))
                                       : MakeIntegerValue(setting.Kind == TSettingKind::Boolean
                                                              ? std::int32_t{std::get<bool>(value)}
                                                              : std::get<std::int32_t>(value));
            QVERIFY2(found->second == want, setting.Name);
        }
        QCOMPARE(saved.size(), expected);
        QCOMPARE(saved.at({kTallivue, "SetFloatY"}), MakeIntegerValue(552));
        QCOMPARE(saved.at({kTallivue, "StillNeedDelayIncrement"}), MakeIntegerValue(10));
        QCOMPARE(saved.at({kTallivue, "ClockPosition"}), MakeIntegerValue(3));
    }

    void boxesEnableTheirFieldsAndUntickingClearsTheMinutes() {
        WriteSettings("\"Time Remaining\"=dword:00000000\r\n\"ShowClock\"=dword:00000001\r\n"
                      "\"ShowScrollMsg\"=dword:00000000\r\n\"Mode\"=dword:00000005\r\n"
                      "\"ClockPosition\"=dword:00000009\r\n");
        TRecordingHost host;
        {
            TProp_Form form(nullptr, &host);
            form.FormActivate();
            QVERIFY(!form.Show_Time_Left->isChecked() && !form.Time_Remaining->isEnabled());
            QVERIFY(form.ClockPosition->isEnabled());
            QCOMPARE(form.Mode->currentText(), QString("Full screen")); // no item 5
            QCOMPARE(form.ClockPosition->currentText(), QString("Bottom Centre"));
            for (QWidget* message : std::initializer_list<QWidget*>{
                     form.Msg1, form.Msg2, form.Msg3, form.Msg4, form.Msg1Label, form.Msg2Label,
                     form.Msg3Label, form.Msg4Label})
                QVERIFY2(!message->isEnabled(), qPrintable(message->objectName()));
            QVERIFY(form.ScrollSpeed->isEnabled() && form.ScrollSpeedLabel->isEnabled());
            form.ShowScrollMsg->click();
            QVERIFY(form.Msg4->isEnabled() && form.Msg4Label->isEnabled());
        }

        std::filesystem::remove(SettingsFilePath());
        TProp_Form form(nullptr, &host);
        form.FormActivate();
        QCOMPARE(form.Time_Remaining->Value(), 5);
        form.Show_Time_Left->click();
        QVERIFY(!form.Time_Remaining->isEnabled());
        QCOMPARE(form.Time_Remaining->Value(), 0);
        form.Show_Time_Left->click();
        QVERIFY(form.Time_Remaining->isEnabled());
        QCOMPARE(form.Time_Remaining->Value(), 0); // until the operator types one
        form.Show_Time_Left->click();
        form.Always_On_Top->click();
        form.SaveButtonClick();
        QCOMPARE(SavedValues().at({kTallivue, "Time Remaining"}), MakeIntegerValue(0));
        QCOMPARE(host.Calls, QStringList({"SetStayOnTop(true)", "FormActivate"}));

        // A number still being typed beyond its limits is saved as leaving the field clamps it.
        form.PacksPerTeam->findChild<QLineEdit*>()->setText("25");
        form.SaveButtonClick();
        QCOMPARE(SavedValues().at({kTallivue, "PacksPerTeam"}), MakeIntegerValue(20));
    }

    void thePreviewFollowsTheGridSettings() {
        WriteSettings("\"PacksPerTeam\"=dword:0000001e\r\n\"Team3Colour\"=\"Blue\"\r\n"
                      "\"ShowBars\"=dword:00000001\r\n");
        TProp_Form form(nullptr, nullptr);
        form.PageControl1->setCurrentIndex(4);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form)); // loaded once shown
        QCOMPARE(form.PacksPerTeam->Value(), 20);
        QCOMPARE(form.StatusGrid1->PacksPerTeam(), 20);
        QVERIFY(form.Team3Blue->isChecked() && !form.Team3Yellow->isChecked());
        QVERIFY(form.StatusGrid1->ShowBars());
        const QImage preview = form.StatusGrid1->grab().toImage();
        const int pitch = form.StatusGrid1->BoxSize() + form.StatusGrid1->BorderSize();
        const QRect team3(0, 2 * pitch, preview.width(), pitch);
        QVERIFY(Contains(preview, team3, QColor(128, 128, 255)));  // played, light blue
        QVERIFY(!Contains(preview, team3, QColor(255, 255, 128))); // no yellow left

        form.PacksPerTeam->SetValue(12);
        form.PacksPerTeam->setFocus();
        form.PacksPerTeam->selectAll();
        QTest::keyClicks(form.PacksPerTeam, "25");
        QCOMPARE(form.PacksPerTeam->Value(), 25);
        QCOMPARE(form.StatusGrid1->PacksPerTeam(), 2); // as it stood at "2"
        form.ShowBars->setFocus();
        QCOMPARE(form.PacksPerTeam->Value(), 20);
        QCOMPARE(form.StatusGrid1->PacksPerTeam(), 20);
        form.ShowBars->click();
        QVERIFY(!form.StatusGrid1->ShowBars());
        // Any character is taken, and a single-byte file that cannot hold it is saved as a
        // Unicode export, as regedit writes one.
        form.Idle->setFocus();
        form.Idle->end(false);
        for (const QString& typed : {QString::fromUtf8("\xC5\x81"), QString::fromUtf8("\xC3\xA9")})
            QTest::sendKeyEvent(QTest::Click, form.Idle, Qt::Key_unknown, typed, Qt::NoModifier);
        QCOMPARE(form.Idle->text(), QString::fromUtf8("Idle\xC5\x81\xC3\xA9"));
        form.Team3Green->click();
        QCOMPARE(form.StatusGrid1->GetTeamColour(3), tcGreen);
        form.SaveButtonClick();
        QCOMPARE(SavedValues().at({kTallivue + "\\Language", "Idle"}),
                 MakeStringValue("Idle\xC5\x81\xC3\xA9"));
        QCOMPARE(SavedValues().at({kTallivue, "Team3Colour"}), MakeStringValue("Green"));
    }

    // About lends the display's welcome window to the modal dialog; coming back from it loads
    // afresh, while coming back from a picker or an error box keeps the edits.
    void onlyAWindowOfTheProgramReloads() {
        WriteSettings("\"Msg1\"=\"Stored text\"\r\n");
        QWidget display;
        display.show();
        THiddenWelcome welcome(&display);
        TProp_Form form(&welcome, nullptr, &display);
        form.setWindowModality(Qt::ApplicationModal);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.Msg1->setText("unsaved");
        form.Msg2->setText("unsaved, and nothing stored");

        QTest::mouseClick(form.AboutButton, Qt::LeftButton);
        QTRY_COMPARE(QApplication::activeWindow(), &welcome);
        // Through the window system, which keeps a click from a window that a modal one blocks.
        QTest::mouseClick(welcome.windowHandle(), Qt::LeftButton, {},
                          welcome.OKButton->mapTo(&welcome, welcome.OKButton->rect().center()));
        QVERIFY(!welcome.isVisible());
        // With no window manager to do it, the dialog takes the keyboard back itself.
        QTRY_COMPARE(QApplication::activeWindow(), &form);
        QCOMPARE(form.Msg1->text(), QString("Stored text"));
        QCOMPARE(form.Msg2->text(), FromUtf8(kAdvertisingLine));

        const TTempFolder folder;
        const QString picture = QString::fromStdString((folder / "sample.png").string());
        QImage(8, 6, QImage::Format_RGB32).save(picture);
        form.Msg1->setText("kept");
        form.Pick = [&](const TPickRequest&) {
            QFileDialog picker(&form);
            picker.setOption(QFileDialog::DontUseNativeDialog);
            picker.show();
            if (!ActivateAndWait(picker))
                qWarning("the picker never became active");
            return picture;
        };
        form.BackgroundBmpButton->click();
        QTRY_COMPARE(QApplication::activeWindow(), &form);
        QCOMPARE(form.BackgroundBMP->text(), picture);
        QCOMPARE(form.Msg1->text(), QString("kept"));

        form.Audio_File->setText(QString::fromStdString((folder / "missing.wav").string()));
        form.PlayButton->click();
        QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box->text().contains("missing.wav"));
        QTRY_COMPARE(QApplication::activeWindow(), box);
        box->accept();
        QTRY_COMPARE(QApplication::activeWindow(), &form);
        QCOMPARE(form.Msg1->text(), QString("kept"));
    }

    void thePickersFillTheirFields() {
        RecordingReporter reporter;
        const TTempFolder folder;
        const QString title = QString::fromStdString((folder / "title.png").string());
        QImage(40, 30, QImage::Format_RGB32).save(title);
        const QString sound = QString::fromStdString((folder / "voice" / "red.wav").string());
        WriteTone(folder / "voice" / "red.wav", 0.1, 1000);
        WriteSettings("\"BackgroundBMP\"=\"" + (folder / "broken.bmp").string() +
                      "\"\r\n\"Team2Colour\"=\"Blue\"\r\n");
        WriteBytes(folder / "broken.bmp", "not a picture");
        TProp_Form form(nullptr, nullptr);
        form.FormActivate();
        // The broken background is told of, and loading goes on to its end.
        QCOMPARE(reporter.Messages.size(), 1);
        QVERIFY(reporter.Messages[0].startsWith("Bitmap image is not valid"));
        QVERIFY(form.Team2Blue->isChecked());

        QList<TPickRequest> asked;
        QString answer = title;
        form.Pick = [&](const TPickRequest& request) {
            asked << request;
            return answer;
        };
        const QString background = form.BackgroundBMP->text();
        form.TitleButton->click();
        QCOMPARE(form.Title_->text(), title);
        QCOMPARE(form.BackgroundBMP->text(), background);
        QCOMPARE(form.SampleIMG->PictureSize(), QSize(40, 30));
        const TPickRequest picture = asked.at(0);
        QVERIFY(picture.Title.isEmpty() && !picture.MustExist && picture.FileName.isEmpty());
        QStringList filters;
        for (const TFileFilter& filter : picture.Filters)
            filters << filter.Caption + " | " + filter.Patterns;
        QCOMPARE(
            filters,
            QStringList({"All files (*.*) | *.*",
                         "All graphics files (*.bmp;*.gif;*.jpg;*.jpeg;*.ico;*.emf;*.wmf) | "
                         "*.bmp;*.gif;*.jpg;*.jpeg;*.ico;*.emf;*.wmf",
                         "Bitmap (*.bmp) | *.bmp", "Graphics Interchange Format (*.gif) | *.gif",
                         "JPEG image (*.jpg; *.jpeg) | *.jpg; *.jpeg"}));
        QCOMPARE(picture.FilterIndex, 1);
        answer.clear(); // cancelled: nothing changes, and it started from the last pick
        QTest::mouseClick(form.SampleIMG, Qt::LeftButton);
        QCOMPARE(asked.at(1).FileName, title);
        QCOMPARE(form.Title_->text(), title);

        const QString folderBefore = form.Talking_Folder->text();
        answer = sound;
        form.TalkingFolderButton->click();
        QCOMPARE(form.Talking_Folder->text(),
                 QString::fromStdString((folder / "voice").string()) + "/");
        const TPickRequest audio = asked.at(2);
        QCOMPARE(audio.Title, QString("Open Audio File"));
        QCOMPARE(audio.FileName, folderBefore);
        QVERIFY(audio.MustExist && audio.HideReadOnly && audio.Filters.size() == 1);
        QCOMPARE(audio.Filters[0].Caption, QString("Audio Files (.wav,.mp3,.mid,.midi)"));
        QCOMPARE(audio.Filters[0].Patterns, QString("*.wav;*.mp3;*.mid;*.midi"));
        form.AudioFileButton->click();
        QCOMPARE(form.Audio_File->text(), sound);

        // The trial sound plays until the dialog closes, by whatever means.
        form.show();
        form.PlayButton->click();
        QVERIFY(form.MediaPlayer1->Playing());
        form.close();
        QVERIFY(!form.MediaPlayer1->Playing());
        QCOMPARE(reporter.Messages.size(), 1);

        // Qt's picker lists the patterns the captions name, and "*.*" is every file.
        QStringList shown, listed;
        form.Pick = [&](const TPickRequest& request) {
            QTimer::singleShot(0, [&] {
                auto* picker = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                auto* files = picker->findChild<QFileSystemModel*>();
                shown << picker->selectedNameFilter();
                listed << files->nameFilters().join(' ');
                QTest::keyClick(picker->findChild<QComboBox*>("fileTypeCombo"), Qt::Key_Up);
                listed << files->nameFilters().join(' ');
                picker->selectFile(title);
                static_cast<QDialog*>(picker)->accept(); // as its Open button does
            });
            return RunFilePicker(&form, request);
        };
        form.CenterLogoButton->click();
        QCOMPARE(shown, QStringList(picture.Filters[1].Caption));
        QCOMPARE(listed, QStringList({"*.bmp *.gif *.jpg *.jpeg *.ico *.emf *.wmf", "*"}));
        QCOMPARE(form.Center_Logo->text(), title);
    }

    // A store that stops taking writes halfway: what was written stays, whole and readable,
    // and the display is left alone.
    void aRefusedSaveStopsWhereItWasRefused() {
        RecordingReporter reporter;
        TRecordingHost host;
        TProp_Form form(nullptr, &host);
        form.FormActivate();
        // The dialog's order is the table's, whichever tabs were shown.
        form.PageControl1->setCurrentIndex(form.PageControl1->count() - 1);
        form.PageControl1->setCurrentIndex(2);
        QStringList order;
        QList<QWidget*> controls;
        for (const TSettingDef& setting : AllSettings())
            if (*setting.Control && setting.Key == TSettingsKey::Settings) {
                order << QString::fromLatin1(setting.Name);
                controls << form.findChild<QWidget*>(QString::fromLatin1(setting.Control));
            }

        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = previous;
        full.rlim_cur = 520; // room for the two keys and a few values
        QVERIFY(!std::filesystem::exists(SettingsFilePath()));
        setrlimit(RLIMIT_FSIZE, &full);
        form.SaveButtonClick();
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);

        QCOMPARE(reporter.Messages.size(), 1);
        const auto refusal =
            QRegularExpression("^Failed to set data for '(.+)'$").match(reporter.Messages[0]);
        QVERIFY(refusal.hasMatch());
        QVERIFY(host.Calls.isEmpty());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QStringList written;
        for (const auto& [key, value] : SavedValues())
            written << QString::fromStdString(key.second);
        QVERIFY(!written.isEmpty());
        // The first ones in the dialog's order, then spin fields skipped, then the refusal.
        const qsizetype refused = order.indexOf(refusal.captured(1));
        QVERIFY(refused >= written.size());
        for (qsizetype i = 0; i < order.size(); ++i)
            QCOMPARE(written.contains(order[i]), i < written.size());
        for (qsizetype i = written.size(); i < refused; ++i)
            QVERIFY(qobject_cast<TSpinEdit*>(controls[i]));
    }
};

QTEST_MAIN(PropertiesTest)
#include "PropertiesTest.moc"
