// What the controller's two kinds of message do to the display: the display's state takes them,
// and the window shows that state and does what a change of mode asks of it: the cue at a set
// time, the scroll messages, the spoken commentary, the floating window's hiding.

#include "app/FormSpeechHost.h"
#include "app/MainU.h"
#include "app/ScreenSchedule.h"
#include "app/StateKeeper.h"
#include "app/TalkingDownload.h"
#include "controls/Marquee.h"
#include "controls/MediaPlayer.h"
#include "controls/StatusGrid.h"
#include "core/QtText.h"

#include <QDateTime>
#include <QLabel>
#include <QTimer>

void TDownload_Form::ModeMessage(std::span<const std::string_view> fields) {
    FKeeper->ModeHeard(fields);
    const bool wasDownloading = FState.Downloading();
    const std::optional<std::int32_t> seconds = FState.ModeMessage(fields);
    ShowModeState();
    // The arena is open while it plays, whatever the hours say.
    if (FState.Mode() == TDisplayMode::Playing || FState.Mode() == TDisplayMode::Calculating ||
        FState.Downloading())
        Schedule->Played();
    const bool floating = WindowMode() == TWindowMode::Floating;
    switch (FState.Mode()) {
    case TDisplayMode::Playing:
        if (seconds && FSettings.Bool(sSpecialEvent) &&
            *seconds == FSettings.Integer(sAudioTimeLeft))
            PlaySpecialAudio();
        if (floating)
            ShowUnless(FHideWhenGame);
        return;
    case TDisplayMode::Idle:
        if (FSettings.Bool(sTalkingDownload) && wasDownloading)
            SpeakDownloadComplete();
        TurnOn(*Scroll_Timer);
        if (floating)
            ShowUnless(FHideWhenIdle);
        return;
    case TDisplayMode::Downloading:
        SetScrollMessage(sMsg4);
        Scroll_Timer->stop(); // the thanks stay up for the whole download
        FSpeechHost->SetSpeakTimerInterval(TTalkingDownload::kSpeakInterval);
        break;
    default:
        break;
    }
    if (floating)
        ShowAndBringToFront();
}

void TDownload_Form::RestoreKeptState() {
    const std::optional<TKeptState> kept = FKeeper->Kept();
    if (!kept)
        return;
    FState.RestorePacks(kept->Packs, kept->PacksPerTeam);
    for (int team = 1; team <= kTeamCount; ++team)
        for (int pack = 1; pack <= kMaxPacksPerTeam; ++pack)
            StatusGrid1->SetPackState(team, pack, FState.PackState(team, pack));
    StatusGrid1->SetPacksPerTeam(FState.PacksPerTeam());
    StatusGrid1->SetWidth(width());
    Total_Packs_Label->setText(QString::number(FState.Totals().InUse));
    setWindowTitle(FromUtf8(FState.Title()));
    if (!kept->ModeFields.empty()) {
        // As the controller would say it now: a game's countdown goes on from where it was.
        const std::vector<std::string> fields = ModeFieldsAfter(
            kept->ModeFields, QDateTime::currentMSecsSinceEpoch() - kept->ModeHeardAtMs);
        const std::vector<std::string_view> views(fields.begin(), fields.end());
        ModeMessage(views);
    }
    emit BoardChanged();
}

void TDownload_Form::ShowModeState() {
    laMode->setText(FromUtf8(FState.ModeCaption()));
    StatusGrid1->setVisible(!FState.GameActive());
    time_to_go->setText(FromUtf8(FState.Countdown()));
    time_to_go->setVisible(FState.CountdownShown());
    time_left_label->setVisible(FState.CountdownShown());
    setWindowTitle(FromUtf8(FState.Title()));
}

void TDownload_Form::ShowUnless(bool hidden) {
    if (hidden)
        hide();
    else if (isHidden())
        show();
}

void TDownload_Form::SetScrollMessage(TSettingId message) {
    FScrollShown = message;
    Scroll_Message->SetScrollText(ScrollMessageText(FSettings.Text(message)));
    emit BoardChanged();
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

void TDownload_Form::PackStatusMessage(std::span<const std::string_view> fields) {
    const bool speak =
        !FState.FirstStatus() && FSettings.Bool(sTalkingDownload) && !Schedule->Asleep();
    FState.PackStatusMessage(fields, [this, speak](const TPackEntry& entry) {
        // Before the state takes it, so the announcement compares with the state it held.
        if (speak)
            SpeakStatus(entry.Team, entry.Pack, entry.State);
        StatusGrid1->SetPackState(entry.Team, entry.Pack, entry.State);
    });
    if (StatusGrid1->PacksPerTeam() != FState.PacksPerTeam()) {
        StatusGrid1->SetPacksPerTeam(FState.PacksPerTeam());
        StatusGrid1->SetWidth(width());
    }
    Total_Packs_Label->setText(QString::number(FState.Totals().InUse));
    setWindowTitle(FromUtf8(FState.Title()));
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
