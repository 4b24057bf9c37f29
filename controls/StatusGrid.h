#pragma once

#include "controls/GridModel.h"
#include "core/PackTypes.h"

#include <QWidget>

#include <array>
#include <functional>
#include <string>

class QPainter;

// The grid of every team's packs: a coloured box per pack with its number, separator bars,
// each team's downloaded and played totals, and the overall totals with their captions. Its
// height follows from its width; the totals are recounted at every paint.
class TStatusGrid : public QWidget {
    Q_OBJECT

public:
    explicit TStatusGrid(QWidget* parent = nullptr);

    // Setters store without comparing, then relayout or repaint as each says.
    int PacksPerTeam() const { return FPacksPerTeam; }
    void SetPacksPerTeam(int packs); // clamped to 0..20; relayout
    int BorderSize() const { return FBorderSize; }
    void SetBorderSize(int size); // repaint; holds until the next layout
    int BoxSize() const { return FBoxSize; }
    void SetBoxSize(int size); // repaint; holds until the next layout
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool show); // repaint
    bool ShowLittleNumbers() const { return FShowLittleNumbers; }
    void SetShowLittleNumbers(bool show); // repaint
    bool ShowBars() const { return FShowBars; }
    void SetShowBars(bool show); // repaint
    bool ShowOverallTotals() const { return FShowOverallTotals; }
    void SetShowOverallTotals(bool show); // relayout
    bool ShowTeamTotals() const { return FShowTeamTotals; }
    void SetShowTeamTotals(bool show); // relayout
    const std::string& DownloadedCaption() const { return FDownloadedCaption; }
    void SetDownloadedCaption(const std::string& caption); // repaint
    const std::string& PlayedCaption() const { return FPlayedCaption; }
    void SetPlayedCaption(const std::string& caption); // repaint

    // Teams 1..3. The colour shows at the next paint; colour indices outside 1..4 are ignored.
    TTeamColour GetTeamColour(int team) const;
    void SetTeamColour(int team, int colour);

    // Teams 1..3, packs 1..20; anything else, or a state above 3, changes nothing. Repaints only
    // when the state really changes.
    TPackState GetPackState(int team, int pack) const { return FPacks.Get(team, pack); }
    void SetPackState(int team, int pack, int state);

    // As counted by the last paint.
    int InUseTotal() const { return FTotals.InUse; }
    int DownloadedTotal() const { return FTotals.Downloaded; }
    int PlayedTotal() const { return FTotals.Played; }

    // Takes a new width and lays out at once, so the caller can read the height it gives even
    // while the grid is hidden.
    void SetWidth(int width);

    // Called with the grid before every layout that an outside resize causes.
    std::function<void(TStatusGrid*)> OnResize;

protected:
    void RecalcLayout();
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Paint(QPainter& canvas);

    std::array<TTeamColour, kTeamCount> FTeamColours{tcRed, tcGreen, tcYellow};
    TPackTable FPacks;
    // A repaint is already asked for: a datagram changes up to 60 packs, and asking Qt again
    // for each costs more than deciding the state.
    bool FRepaintPending = false;
    int FPacksPerTeam = 10;
    int FBorderSize = 0;
    int FBoxSize = 0;
    bool FShowCaptions = false;
    bool FShowLittleNumbers = false;
    bool FShowBars = false;
    bool FShowOverallTotals = false;
    bool FShowTeamTotals = false;
    TPackTotals FTotals;
    std::string FDownloadedCaption = "Downloaded";
    std::string FPlayedCaption = "Played";
};
