#include "core/PackTypes.h"
#include "tools/sim/CommandLine.h"
#include "tools/sim/Commands.h"
#include "tools/sim/GameCycle.h"
#include "tools/sim/TimedSender.h"

#include <cstdio>
#include <limits>
#include <random>

namespace {

constexpr double kDefaultSpeed = 4;

} // namespace

int RunGame(const QStringList& arguments) {
    const TGameOptions defaults;
    TCommandLine line(
        QStringLiteral("game"), QString(),
        QStringLiteral("Plays whole arena cycles as the game controller would: idle for %1 s; a\n"
                       "game counting down every second, with its packs in use; calculating for\n"
                       "%2 s; the download, the packs arriving one every %3 s, played or unused,\n"
                       "a random few never; and idle again %4 s after the last arrival. These\n"
                       "are arena times, which --speed shortens.\n"
                       "Each datagram is shown as a line that \"tallivue-sim replay\" can send.")
            .arg(kIdleMs / 1000)
            .arg(kCalculateMs / 1000)
            .arg(kArrivalGapMs / 1000)
            .arg(kStragglerWaitMs / 1000),
        TCommandLine::THostRole::SendTo);
    const QCommandLineOption cycles(
        {QStringLiteral("c"), QStringLiteral("cycles")},
        QStringLiteral("How many cycles to play; 0 plays for ever (default 1)."),
        QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption untilStopped({QStringLiteral("f"), QStringLiteral("forever")},
                                          QStringLiteral("Plays cycles until stopped."));
    const QCommandLineOption length(
        {QStringLiteral("l"), QStringLiteral("length")},
        QStringLiteral("Game length in seconds (default %1).").arg(defaults.GameSeconds),
        QStringLiteral("seconds"), QString::number(defaults.GameSeconds));
    const QCommandLineOption name(
        {QStringLiteral("n"), QStringLiteral("name")},
        QStringLiteral("The game's name (default %1).").arg(QString::fromLatin1(defaults.GameName)),
        QStringLiteral("text"), QString::fromLatin1(defaults.GameName));
    const QCommandLineOption speed(
        {QStringLiteral("s"), QStringLiteral("speed")},
        QStringLiteral("How many times faster than the arena's clock: at 10 a game second lasts "
                       "100 ms (default %1).")
            .arg(kDefaultSpeed),
        QStringLiteral("factor"), QString::number(kDefaultSpeed));
    const QCommandLineOption teams({QStringLiteral("t"), QStringLiteral("teams")},
                                   QStringLiteral("Teams in the game, 1 to %1 (default %2).")
                                       .arg(kTeamCount)
                                       .arg(defaults.Teams),
                                   QStringLiteral("n"), QString::number(defaults.Teams));
    const QCommandLineOption packs(QStringLiteral("packs"),
                                   QStringLiteral("Packs per team, 1 to %1 (default %2).")
                                       .arg(kMaxPacksPerTeam)
                                       .arg(defaults.PacksPerTeam),
                                   QStringLiteral("n"), QString::number(defaults.PacksPerTeam));
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral("Seed of the random choices, to play the same cycles again (default: "
                       "a new one, shown at the start)."),
        QStringLiteral("n"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Shows nothing but errors."));
    for (const auto& option :
         {cycles, untilStopped, length, name, speed, teams, packs, seed, quiet})
        line.AddOption(option);
    if (!line.Parse(arguments))
        return line.ExitCode();

    TGameOptions options;
    long long cycleCount = 0, seconds = 0, teamCount = 0, packCount = 0, seedValue = 0;
    double factor = 0;
    sockaddr_in to{};
    if (!line.Integer(cycles, 0, std::numeric_limits<int>::max(), cycleCount) ||
        !line.Integer(length, 1, 86'400, seconds) || !line.Number(speed, 0.01, 10'000, factor) ||
        !line.Integer(teams, 1, kTeamCount, teamCount) ||
        !line.Integer(packs, 1, kMaxPacksPerTeam, packCount) || !line.Address(to))
        return line.ExitCode();
    if (line.IsSet(seed)) {
        if (!line.Integer(seed, 0, std::numeric_limits<std::uint32_t>::max(), seedValue))
            return line.ExitCode();
    } else {
        seedValue = std::random_device()();
    }
    if (line.IsSet(untilStopped) && line.IsSet(cycles) && cycleCount != 0)
        return line.UsageError(
            QStringLiteral("--forever and --cycles %1 disagree").arg(cycleCount));
    if (!line.Arguments().isEmpty())
        return line.UsageError(QStringLiteral("game takes no arguments, only options"));
    options.GameSeconds = static_cast<int>(seconds);
    options.Teams = static_cast<int>(teamCount);
    options.PacksPerTeam = static_cast<int>(packCount);
    options.GameName = line.Value(name).toLatin1().toStdString();
    const bool endless = line.IsSet(untilStopped) || cycleCount == 0;
    const bool silent = line.IsSet(quiet);

    if (!silent) {
        std::printf("# tallivue-sim game to %s at speed %g, seed %lld\n",
                    qPrintable(line.AddressText()), factor, seedValue);
        std::fflush(stdout);
    }
    TTimedSender sender(to, factor, silent);
    std::string error;
    if (!sender.Open(error))
        return line.Failure(error);
    TRandom random(static_cast<std::uint32_t>(seedValue));
    std::int64_t cycleStart = 0;
    for (long long played = 0; endless || played < cycleCount; ++played) {
        const TGameCycle cycle = GameCycle(options, random);
        for (const TTimedDatagram& datagram : cycle.Datagrams)
            if (!sender.Send(cycleStart + datagram.AtMs, datagram.Text, error))
                return line.Failure(error);
        cycleStart += cycle.LengthMs;
    }
    if (!sender.Send(cycleStart, kEndOfDownload, error))
        return line.Failure(error);
    return 0;
}
