// The activation step: every setting read afresh, handed to the controls, and the window laid
// out as the full screen or as the floating window with the grid alone.

#include "app/DisplayRules.h"
#include "app/Listener.h"
#include "app/MainU.h"

#include "app/MonitorPower.h"
#include "app/ScreenSchedule.h"
#include "app/SettingsWatcher.h"
#include "app/SilenceWatch.h"
#include "app/TalkingDownload.h"
#include "app/UsableSettings.h"
#include "controls/GIFImage.h"
#include "controls/Marquee.h"
#include "controls/Polygon.h"
#include "controls/StatusGrid.h"
#include "core/ErrorReporter.h"
#include "core/MessageLog.h"
#include "core/QtText.h"
#include "core/TextEncoding.h"
#include "settings/Platform.h"
#include "settings/RegistryDef.h"
#include "settings/Welcome.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

// A hint shows its text as it stands: a tip takes a text that looks like HTML for HTML, pictures
// and all. A message longer than any screen is wide is cut to what a tip can show, as laying out
// a megabyte of text for it would hold the display up for a second at every hover.
QString PlainHint(std::string_view text) {
    constexpr std::size_t kHintBytes = 1000;
    QString hint = FromUtf8(Utf8Prefix(text, kHintBytes));
    if (text.size() > kHintBytes)
        hint += QStringLiteral("...");
    return Qt::convertFromPlainText(hint, Qt::WhiteSpaceNormal);
}

TDesktop Desktop() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect all = screen->virtualGeometry();
    return {all.x(), all.y(), all.width(), all.height()};
}

} // namespace

void TDownload_Form::FormActivate() {
    FActivated = true;
    const bool first = FFirstActivation;
    if (FFirstActivation) {
        FFirstActivation = false;
        Welcome->ShowWelcome();
    }
    BringModalToFront();
    Listener->Arm();
    ApplySettings(TScrollRestart::FromFirst);
    // With the captions read, and before any datagram is taken.
    if (first)
        RestoreKeptState();
}

void TDownload_Form::ApplySettings(TScrollRestart scroll) {
    FApplyingSettings = true;
    const TSettingsEnvironment environment = PlatformSettingsEnvironment();
    // Before reading, so that a change landing while the settings are read is told as well.
    SettingsWatcher->Taken();
    FSettingsChangedMeanwhile = false;
    TRegistryDef registry(PlatformRegistryStore());
    TSettingValues read = ReadAllSettings(registry, environment);
    // A file caught half written, or one typo away from what was meant, holds no settings: the
    // display goes on with those it last read, and its store has said what is wrong.
    if (registry.ReadWhole() || !FSettingsRead) {
        FSettings = std::move(read);
        FSettingsRead = registry.ReadWhole();
    }
    TellMissingFiles(environment);
    for (const std::string& problem : MakeSettingsUsable(FSettings, environment, Desktop()))
        ReportOnce(FromUtf8(problem));
    FState.Configure(FSettings);
    ApplyControllerFilter();
    Silence->Configure(std::int64_t{FSettings.Integer(sNoSignalMinutes)} * 60'000);
    ApplyTalkingSettings();
    CheckTalkingFolder();
    ApplyGridSettings();
    blank_overlay->setVisible(FSettings.Bool(sRightClickMenu));
    if (WindowMode() == TWindowMode::Floating)
        LayOutFloatingWindow();
    else
        LayOutFullScreen(scroll);

    time_to_go->move(time_to_go->x(), StatusGrid1->y());
    time_left_label->move(time_left_label->x(),
                          TimeLeftLabelTop(time_to_go->y(), time_to_go->height()));
    blank_overlay->resize(size());
    // Last: a display woken by these settings is laid out already, and one still asleep is
    // held still again after the layout started its animations.
    for (const std::string& problem : Schedule->Configure(FSettings))
        ReportOnce(FromUtf8(problem));
    if (Schedule->Asleep())
        HoldStill();
    FApplyingSettings = false;
    emit BoardChanged();
}

void TDownload_Form::SetAsleep(bool asleep) {
    if (asleep) {
        LogLine("outside the opening hours: the screen sleeps");
        HoldStill();
        FMonitor->Sleep(*this);
        return;
    }
    LogLine("the screen wakes");
    sleep_cover->hide();
    for (TGIFImage* picture : {back_image, TitleBanner, center_logo})
        picture->SetPaused(false);
    FMonitor->Wake(*this);
    // The board as the datagrams left it, every animation as the settings have it.
    if (!FApplyingSettings)
        ApplySettings(TScrollRestart::KeepPhase);
}

void TDownload_Form::HoldStill() {
    sleep_cover->setGeometry(rect());
    sleep_cover->show();
    sleep_cover->raise();
    clock_timer->stop();
    Polygon->SetEnabled(false);
    Scroll_Message->setEnabled(false);
    for (TGIFImage* picture : {back_image, TitleBanner, center_logo})
        picture->SetPaused(true);
}

void TDownload_Form::BringModalToFront() {
    // A dialog or message box of the program stays in front of the display it belongs to.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this && modal->isVisible() && modal->isEnabled()) {
        modal->raise();
        modal->activateWindow();
    }
}

void TDownload_Form::ApplyControllerFilter() {
    const std::string& text = FSettings.Text(sControllerAddress);
    TControllerFilter filter;
    const std::vector<std::string> rejected = filter.Set(text);
    Listener->SetControllerFilter(filter);
    // Activations come often; a faulty setting is told once, until it is changed.
    if (rejected.empty() || text == FReportedControllerAddress)
        return;
    FReportedControllerAddress = text;
    QString names;
    for (const std::string& entry : rejected)
        names += QStringLiteral("\n    ") + FromUtf8(entry);
    ReportError(QStringLiteral("The setting \"ControllerAddress\" names what is not an IPv4 "
                               "address such as 192.168.1.20 (names are not looked up):%1\n%2")
                    .arg(names, filter.Addresses().empty()
                                    ? QStringLiteral("No datagram is believed until it is mended.")
                                    : QStringLiteral("Datagrams are believed only from the "
                                                     "other addresses it names.")));
}

void TDownload_Form::ApplyTalkingSettings() {
    TTalkingSettings talking;
    talking.TalkingDownload = FSettings.Bool(sTalkingDownload);
    talking.StillNeedDelayIncrement = FSettings.Integer(sStillNeedDelayIncrement);
    talking.TalkingFolder = FSettings.Text(sTalkingFolder);
    FTalking->SetSettings(talking);
}

void TDownload_Form::CheckTalkingFolder() {
    // Missing words are skipped one by one without a word, as an arena may leave some out; a
    // folder that is not there at all silences the whole download, which staff should hear of.
    const std::string& folder = FSettings.Text(sTalkingFolder);
    if (FSettings.Bool(sTalkingDownload) && !QFileInfo(FromUtf8(folder)).isDir())
        ReportOnce(QStringLiteral("The setting \"Talking Folder\" names %1, which is not a "
                                  "folder; the download goes on without the spoken words.")
                       .arg(FromUtf8(folder)));
}

void TDownload_Form::ReportOnce(const QString& message) {
    // Activations come at every return of the focus, the one after a message box's among them:
    // each problem is told once.
    if (FReported.insert(message).second)
        ReportError(message);
}

void TDownload_Form::ApplyGridSettings() {
    StatusGrid1->SetTeamColour(2, Team2ColourOf(FSettings.Text(sTeam2Colour)));
    StatusGrid1->SetTeamColour(3, Team3ColourOf(FSettings.Text(sTeam3Colour)));
    StatusGrid1->SetPacksPerTeam(FState.PacksPerTeam());
    StatusGrid1->SetShowCaptions(FSettings.Bool(sShowCaptions));
    StatusGrid1->SetShowLittleNumbers(FSettings.Bool(sShowLittleNumbers));
    StatusGrid1->SetShowBars(FSettings.Bool(sShowBars));
    StatusGrid1->SetShowOverallTotals(FSettings.Bool(sShowOverallTotals));
    StatusGrid1->SetShowTeamTotals(FSettings.Bool(sShowTeamTotals));
    StatusGrid1->SetDownloadedCaption(FSettings.Text(sTextDownloaded));
    StatusGrid1->SetPlayedCaption(FSettings.Text(sTextPlayed));
}

void TDownload_Form::LayOutFloatingWindow() {
    move(FSettings.Integer(sSetFloatX), FSettings.Integer(sSetFloatY));
    const int floatWidth = FSettings.Integer(sSetFloatWidth);
    StatusGrid1->move(0, 0);
    StatusGrid1->SetWidth(floatWidth);
    resize(floatWidth, StatusGrid1->height());
    FHideWhenIdle = FSettings.Bool(sHideWhenIdle);
    FHideWhenGame = FSettings.Bool(sHideWhenGame);

    for (QWidget* element : {static_cast<QWidget*>(back_image), static_cast<QWidget*>(TitleBanner),
                             static_cast<QWidget*>(center_logo), static_cast<QWidget*>(Polygon)})
        element->hide();
    Scroll_Message->setEnabled(false);
    Scroll_Message->hide();
    clock_timer->stop();
    time_label->hide();
    Total_Packs_Label->hide();
    Total_Packs_Text->hide();
    SetStayOnTop(true);
}

void TDownload_Form::LayOutFullScreen(TScrollRestart scroll) {
    setGeometry(FSettings.Integer(sSetFullX), FSettings.Integer(sSetFullY),
                FSettings.Integer(sSetWidth), FSettings.Integer(sSetHeight));
    StatusGrid1->SetWidth(width());
    back_image->show();
    TitleBanner->show();
    center_logo->show();
    LoadPicture(*back_image, sBackgroundBMP);
    back_image->setGeometry(0, 0, width(), height());
    LoadPicture(*TitleBanner, sTitle);
    LoadPicture(*center_logo, sCenterLogo);

    const bool polygon = FSettings.Bool(sPolygon);
    Polygon->SetEnabled(polygon);
    Polygon->setVisible(polygon);
    LayOutScrollMessage(scroll);

    if (FSettings.Bool(sShowClock)) {
        TurnOn(*clock_timer);
        clock_timerTimer(); // the time at once, not a blank clock for a second
    } else {
        clock_timer->stop();
    }
    time_label->setVisible(clock_timer->isActive());
    const bool totals = FSettings.Bool(sShowTotalPacks);
    Total_Packs_Label->setVisible(totals);
    Total_Packs_Text->setVisible(totals);
    Total_Packs_Text->setText(FromUtf8(FSettings.Text(sTextTotalPacks)));

    TFullScreenInput in;
    in.Width = width();
    in.Height = height();
    in.PolygonTop = Polygon->y();
    in.PolygonWidth = Polygon->width();
    in.PolygonHeight = Polygon->height();
    in.PolygonShown = polygon;
    in.TitleWidth = TitleBanner->width();
    in.GridHeight = StatusGrid1->height();
    in.LogoWidth = center_logo->width();
    in.LogoHeight = center_logo->height();
    in.ScrollShown = FSettings.Bool(sShowScrollMsg);
    in.ScrollHeight = Scroll_Message->height();
    in.ScrollTop = Scroll_Message->y();
    in.ClockPosition = static_cast<TClockPosition>(FSettings.Integer(sClockPosition));
    in.ClockWidth = time_label->width();
    in.ClockHeight = time_label->height();
    in.TotalLabelWidth = Total_Packs_Label->width();
    in.TotalLabelHeight = Total_Packs_Label->height();
    in.TotalTextWidth = Total_Packs_Text->width();
    const TFullScreenLayout layout = FullScreenLayout(in);

    Polygon->move(layout.PolygonLeft, Polygon->y());
    TitleBanner->move(layout.Title.Left, TitleBanner->y());
    StatusGrid1->move(StatusGrid1->x(), layout.GridTop);
    center_logo->move(layout.Logo.Left, layout.Logo.Top);
    laMode->move(laMode->x(), layout.ModeTop);
    Scroll_Message->move(Scroll_Message->x(), layout.ScrollTop);
    if (layout.Clock)
        time_label->move(layout.Clock->Left, layout.Clock->Top);
    if (totals) {
        Total_Packs_Label->move(layout.TotalLabel.Left, layout.TotalLabel.Top);
        Total_Packs_Text->move(layout.TotalText.Left, layout.TotalText.Top);
    }
    SetStayOnTop(FSettings.Bool(sAlwaysOnTop));
}

void TDownload_Form::LayOutScrollMessage(TScrollRestart scroll) {
    if (!FSettings.Bool(sShowScrollMsg)) {
        Scroll_Message->setEnabled(false);
        Scroll_Message->hide();
        Scroll_Timer->stop();
        return;
    }
    SetScrollMessage(scroll == TScrollRestart::FromFirst ? sMsg1 : FScrollShown);
    Scroll_Message->SetScrollAmount(static_cast<std::uint8_t>(FSettings.Integer(sScrollSpeed)));
    Scroll_Message->setEnabled(true);
    Scroll_Message->show();
    Scroll_Message->resize(width(), Scroll_Message->height());
    Scroll_Message->setToolTip(PlainHint(Scroll_Message->ScrollText()));
    Scroll_Message->SetActive(true);
    // The thanks stay up for the whole download, whatever is changed meanwhile.
    if (scroll == TScrollRestart::FromFirst || FState.Mode() != TDisplayMode::Downloading)
        TurnOn(*Scroll_Timer);
}

void TDownload_Form::TellMissingFiles(const TSettingsEnvironment& environment) {
    // Settings carried over from a Windows PC name files there ("C:\Program Files\..."): the
    // display goes on without them, and the journal says which settings to point elsewhere,
    // once for each file. The built-in pictures are the installation's business, not a setting.
    for (const TSettingId id : {sBackgroundBMP, sTitle, sCenterLogo, sAudioFile}) {
        const TSettingDef& setting = SettingDef(id);
        const std::string& file = FSettings.Text(id);
        if (file.empty() || QFileInfo::exists(FromUtf8(file)) ||
            file == std::get<std::string>(ResolveDefault(setting, setting.Default, environment)))
            continue;
        std::string line = "\"";
        line.append(setting.Name).append("\" names ").append(file).append(", which is not there");
        if (FToldMissing.insert(line).second)
            LogLine(line);
    }
}

void TDownload_Form::LoadPicture(TGIFImage& picture, TSettingId setting) {
    const QString file = FromUtf8(FSettings.Text(setting));
    // A picture that is not there is simply not shown, and a folder is no picture either.
    const QFileInfo info(file);
    if (!info.exists() || info.isDir())
        return;
    try {
        picture.LoadFromFile(file);
    } catch (const TPictureError& failure) {
        ReportOnce(QStringLiteral("%1\n\n%2\n\nThe setting \"%3\" names it; the display keeps "
                                  "the picture it showed before, if any.")
                       .arg(FromUtf8(failure.what()), file,
                            QString::fromLatin1(SettingDef(setting).Name)));
    }
}

void TDownload_Form::SetStayOnTop(bool onTop) {
    // Qt makes a window anew, hidden, for a new widget style; the window on the screen takes
    // the new state as it stands instead, without a flicker, as the taskbar and kiosks expect.
    if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, onTop);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

bool TDownload_Form::StaysOnTop() const {
    const QWindow* window = windowHandle();
    return window ? window->flags().testFlag(Qt::WindowStaysOnTopHint)
                  : windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}
