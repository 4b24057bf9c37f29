#include "tools/sim/GameCycle.h"

#include "app/Protocol.h"

#include <algorithm>
#include <utility>

TGameCycle GameCycle(const TGameOptions& options, TRandom& random) {
    TGameCycle cycle;
    auto send = [&](std::int64_t at, std::string text) {
        cycle.Datagrams.push_back({at, std::move(text)});
    };
    TPackTable packs;
    std::vector<std::pair<int, int>> inUse;
    for (int team = 1; team <= options.Teams; ++team)
        for (int pack = 1; pack <= options.PacksPerTeam; ++pack) {
            packs.Set(team, pack, psInUse);
            inUse.emplace_back(team, pack);
        }
    auto sendStatus = [&](std::int64_t at) {
        send(at, PackStatusDatagram(packs, options.PacksPerTeam));
    };

    send(0, std::string(kEndOfDownload));

    const std::string name = FieldText(options.GameName);
    for (int elapsed = 0; elapsed <= options.GameSeconds; ++elapsed) {
        const std::int64_t at = kIdleMs + std::int64_t{elapsed} * 1000;
        send(at, "MODE,GAMEACTIVE," + std::to_string(options.GameSeconds - elapsed) + "," + name);
        if (elapsed % kGameStatusEverySeconds == 0)
            sendStatus(at);
    }

    // The countdown's 0 stays up for its second before the controller moves on.
    const std::int64_t calculateAt = kIdleMs + (std::int64_t{options.GameSeconds} + 1) * 1000;
    send(calculateAt, "MODE,CALCULATE");
    std::int64_t at = calculateAt + kCalculateMs;
    send(at, "MODE,DOWNLOADPACKS");

    for (std::size_t i = inUse.size(); i > 1; --i)
        std::swap(inUse[i - 1], inUse[random.Random(static_cast<std::int32_t>(i))]);
    const auto count = static_cast<int>(inUse.size());
    const int missing = count >= 2 ? 1 + random.Random(std::max(1, count / 6)) : 0;
    for (int i = missing; i < count; ++i) {
        const auto [team, pack] = inUse[i];
        // Most players who take a pack play with it.
        packs.Set(team, pack, random.Random(4) == 0 ? psDownloaded : psPlayed);
        at += kArrivalGapMs;
        sendStatus(at);
    }
    cycle.LengthMs = at + kStragglerWaitMs;
    return cycle;
}
