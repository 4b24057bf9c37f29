#include "app/FormSpeechHost.h"

#include "app/MainU.h"
#include "controls/StatusGrid.h"
#include "core/ErrorReporter.h"
#include "core/QtText.h"

#include <QTimer>

TPackState TFormSpeechHost::GetPackState(int team, int pack) const {
    return FForm.State().PackState(team, pack);
}

TTeamColour TFormSpeechHost::TeamColour(int team) const {
    return FForm.StatusGrid1->GetTeamColour(team);
}

int TFormSpeechHost::PacksPerTeam() const {
    return FForm.State().PacksPerTeam();
}

int TFormSpeechHost::DownloadedTotal() const {
    return FForm.State().Totals().Downloaded;
}

int TFormSpeechHost::PlayedTotal() const {
    return FForm.State().Totals().Played;
}

bool TFormSpeechHost::Downloading() const {
    return FForm.State().Downloading();
}

int TFormSpeechHost::SpeakTimerInterval() const {
    return FForm.SpeakTimer->interval();
}

void TFormSpeechHost::SetSpeakTimerInterval(int milliseconds) {
    // A new interval starts the countdown again; the same one leaves it running.
    if (milliseconds != FForm.SpeakTimer->interval())
        FForm.SpeakTimer->setInterval(milliseconds);
}

void TFormSpeechHost::RestartSpeakTimer() {
    FForm.SpeakTimer->stop();
    FForm.SpeakTimer->start();
}

void TFormSpeechHost::ReportError(const std::string& text) {
    ::ReportError(FromUtf8(text));
}
