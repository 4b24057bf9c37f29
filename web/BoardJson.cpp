#include "web/BoardJson.h"

#include "app/FrontDeskSource.h"
#include "controls/GridPalette.h"
#include "core/QtText.h"

#include <QJsonArray>

namespace {

const char* ModeName(TDisplayMode mode) {
    switch (mode) {
    case TDisplayMode::Offline:
        return "offline";
    case TDisplayMode::Playing:
        return "playing";
    case TDisplayMode::Idle:
        return "idle";
    case TDisplayMode::Downloading:
        return "downloading";
    case TDisplayMode::Calculating:
        return "calculating";
    case TDisplayMode::Other:
        break;
    }
    return "other";
}

TTeamColour TeamColour(const TSettingValues& settings, int team) {
    switch (team) {
    case 1:
        return tcRed;
    case 2:
        return Team2ColourOf(settings.Text(sTeam2Colour));
    default:
        return Team3ColourOf(settings.Text(sTeam3Colour));
    }
}

} // namespace

QString CssColour(const TRgb& colour) {
    return QStringLiteral("#%1%2%3")
        .arg(colour.Red, 2, 16, QLatin1Char('0'))
        .arg(colour.Green, 2, 16, QLatin1Char('0'))
        .arg(colour.Blue, 2, 16, QLatin1Char('0'));
}

QJsonObject BoardJson(const TFrontDeskSource& source) {
    const TDisplayState& state = source.State();
    const TSettingValues& settings = source.Settings();
    const TPackTotals& totals = state.Totals();
    const int packs = state.PacksPerTeam();

    QJsonArray teams;
    for (int team = 1; team <= kTeamCount; ++team) {
        const TTeamColour colour = TeamColour(settings, team);
        QJsonArray states;
        QJsonArray fills;
        for (int pack = 1; pack <= packs; ++pack) {
            const TPackState packState = state.PackState(team, pack);
            states.append(static_cast<int>(packState));
            fills.append(CssColour(PackFill(packState, colour)));
        }
        teams.append(QJsonObject{{QStringLiteral("states"), states},
                                 {QStringLiteral("fills"), fills},
                                 {QStringLiteral("colour"), CssColour(kLightShades.at(colour))},
                                 {QStringLiteral("downloaded"), totals.TeamDownloaded.at(team - 1)},
                                 {QStringLiteral("played"), totals.TeamPlayed.at(team - 1)}});
    }
    return {
        {QStringLiteral("mode"), QString::fromLatin1(ModeName(state.Mode()))},
        {QStringLiteral("caption"), FromUtf8(state.ModeCaption())},
        {QStringLiteral("countdownShown"), state.CountdownShown()},
        {QStringLiteral("countdown"), FromUtf8(state.Countdown())},
        {QStringLiteral("title"), FromUtf8(state.Title())},
        {QStringLiteral("message"), FromUtf8(source.ScrollText())},
        {QStringLiteral("packsPerTeam"), packs},
        {QStringLiteral("teams"), teams},
        {QStringLiteral("inUse"), totals.InUse},
        {QStringLiteral("downloaded"), totals.Downloaded},
        {QStringLiteral("played"), totals.Played},
        {QStringLiteral("playedCaption"), FromUtf8(settings.Text(sTextPlayed))},
        {QStringLiteral("downloadedCaption"), FromUtf8(settings.Text(sTextDownloaded))},
        {QStringLiteral("totalCaption"), FromUtf8(settings.Text(sTextTotalPacks))},
        {QStringLiteral("show"),
         QJsonObject{{QStringLiteral("teamTotals"), settings.Bool(sShowTeamTotals)},
                     {QStringLiteral("overallTotals"), settings.Bool(sShowOverallTotals)},
                     {QStringLiteral("captions"), settings.Bool(sShowCaptions)},
                     {QStringLiteral("numbers"), settings.Bool(sShowLittleNumbers)},
                     {QStringLiteral("bars"), settings.Bool(sShowBars)},
                     {QStringLiteral("totalPacks"), settings.Bool(sShowTotalPacks)}}},
        {QStringLiteral("palette"),
         QJsonObject{{QStringLiteral("background"), CssColour(kGridBlack)},
                     {QStringLiteral("bar"), CssColour(kGridBar)},
                     {QStringLiteral("text"), CssColour(kGridWhite)},
                     {QStringLiteral("notInUse"), CssColour(kGridNotInUse)}}},
    };
}
