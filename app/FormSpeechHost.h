#pragma once

#include "app/TalkingDownload.h"

class TDownload_Form;

// The main window as the talking download sees it: the display's state, the grid's team colours,
// its reminder timer, and the error reporter.
class TFormSpeechHost : public TTalkingDownloadHost {
public:
    explicit TFormSpeechHost(TDownload_Form& form) : FForm(form) {}

    TPackState GetPackState(int team, int pack) const override;
    TTeamColour TeamColour(int team) const override;
    int PacksPerTeam() const override;
    int DownloadedTotal() const override;
    int PlayedTotal() const override;
    bool Downloading() const override;
    int SpeakTimerInterval() const override;
    void SetSpeakTimerInterval(int milliseconds) override;
    void RestartSpeakTimer() override;
    void ReportError(const std::string& text) override;

private:
    TDownload_Form& FForm;
};
