// What the controller's two kinds of message do to the display: a mode message switches it
// between playing, idle, downloading, calculating and any other mode; a pack status message
// updates the grid, the spoken commentary, the packs-in-use figure and the title.

#include "app/DisplayRules.h"
#include "app/FormSpeechHost.h"
#include "app/MainU.h"
#include "app/Protocol.h"
#include "app/TalkingDownload.h"
#include "controls/Marquee.h"
#include "controls/MediaPlayer.h"
#include "controls/StatusGrid.h"
#include "core/Latin1.h"

#include <QLabel>
#include <QTimer>

void TDownload_Form::ModeMessage(std::span<const std::string_view> fields) {
    if (fields[1] == "GAMEACTIVE") {
        GameActiveMessage(fields);
        return;
    }
    GameActive = false;
    StatusGrid1->show();
    time_to_go->hide();
    time_left_label->hide();
    OtherModeMessage(fields[1]);
}

void TDownload_Form::GameActiveMessage(std::span<const std::string_view> fields) {
    GameActive = true;
    StatusGrid1->hide();
    // A message too short to name the game shows the caption alone, and one without the seconds
    // leaves the countdown as it was, rather than stopping half-way.
    std::string caption = FSettings.Text(sPlayingGame);
    if (fields.size() > 3)
        caption.append(" ").append(fields[3]);
    laMode->setText(FromLatin1(caption));
    if (fields.size() > 2) {
        const std::int32_t seconds = NumberField(fields[2]);
        const bool shows =
            seconds <= static_cast<std::int64_t>(FSettings.Integer(sTimeRemaining)) * 60;
        time_to_go->setVisible(shows);
        time_left_label->setVisible(shows);
        const std::string countdown = CountdownText(seconds);
        time_to_go->setText(FromLatin1(countdown));
        SetTitle(CountdownTitle(countdown));
        if (FSettings.Bool(sSpecialEvent) && seconds == FSettings.Integer(sAudioTimeLeft))
            PlaySpecialAudio();
    }
    if (WindowMode() == 1) {
        if (FHideWhenGame)
            hide();
        else if (isHidden())
            show();
    }
}

void TDownload_Form::OtherModeMessage(std::string_view mode) {
    const bool floating = WindowMode() == 1;
    if (mode == "IDLE") {
        // Still the previous mode's caption: a download that ends is announced.
        if (FSettings.Bool(sTalkingDownload) &&
            laMode->text() == FromLatin1(FSettings.Text(sDownloadPacks)))
            SpeakDownloadComplete();
        laMode->setText(FromLatin1(FSettings.Text(sIdle)));
        TurnOn(*Scroll_Timer);
        if (floating) {
            if (FHideWhenIdle)
                hide();
            else if (isHidden())
                show();
        }
        return;
    }
    if (mode == "DOWNLOADPACKS") {
        laMode->setText(FromLatin1(FSettings.Text(sDownloadPacks)));
        SetScrollMessage(sMsg4);
        Scroll_Timer->stop(); // the thanks stay up for the whole download
        FSpeechHost->SetSpeakTimerInterval(TTalkingDownload::kSpeakInterval);
    } else if (mode == "CALCULATE") {
        laMode->setText(FromLatin1(FSettings.Text(sCalculating)));
    } else {
        laMode->setText(FromLatin1(mode));
    }
    if (floating)
        ShowAndBringToFront();
}

void TDownload_Form::SetScrollMessage(TSettingId message) {
    Scroll_Message->SetScrollText(ScrollMessageText(FSettings.Text(message)));
}

void TDownload_Form::ShowAndBringToFront() {
    show();
    raise();
}

void TDownload_Form::PlaySpecialAudio() {
    // The cue is a nicety: a missing or broken file, or no sound device, passes in silence.
    try {
        MediaPlayer1->SetFileName(FSettings.Text(sAudioFile));
        MediaPlayer1->Open();
        MediaPlayer1->Play();
    } catch (...) {
    }
}

void TDownload_Form::SetTitle(const std::string& title) {
    setWindowTitle(FromLatin1(title));
}

void TDownload_Form::PackStatusMessage(std::span<const std::string_view> fields) {
    const bool speak = !FirstStatus && FSettings.Bool(sTalkingDownload);
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const TPackEntry entry = DecodePackEntry(i, fields[i]);
        // Before the grid takes it, so the announcement compares with the state it held.
        if (speak)
            SpeakStatus(entry.Team, entry.Pack, entry.State);
        StatusGrid1->SetPackState(entry.Team, entry.Pack, entry.State);
        // The grid grows to show a pack in use beyond it, but only as far as it holds states.
        if (entry.State != psNotInUse && entry.Pack > StatusGrid1->PacksPerTeam() &&
            entry.Pack <= kMaxPacksPerTeam) {
            StatusGrid1->SetPacksPerTeam(entry.Pack);
            StatusGrid1->SetWidth(width());
        }
    }
    FirstStatus = false;
    Total_Packs_Label->setText(QString::number(StatusGrid1->InUseTotal()));
    if (!GameActive)
        SetTitle(TotalsTitle(StatusGrid1->InUseTotal(), StatusGrid1->DownloadedTotal(),
                             StatusGrid1->PlayedTotal()));
}

void TDownload_Form::SpeakStatus(int team, int pack, TPackState state) {
    FTalking->SpeakStatus(team, pack, state);
}

void TDownload_Form::SpeakDownloadComplete() {
    FTalking->SpeakDownloadComplete();
}

void TDownload_Form::MediaPlayer1Notify() {
    FTalking->MediaPlayer1Notify();
}

void TDownload_Form::SpeakTimerTimer() {
    FTalking->SpeakTimerTimer();
}
