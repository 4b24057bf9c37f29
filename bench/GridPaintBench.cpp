// One full paint of the pack grid at 1920 pixels wide, every option on and every pack used.

#include "bench/Fastest.h"
#include "bench/QtBenchMain.h"
#include "controls/StatusGrid.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

void PaintGrid(benchmark::State& state) {
    TStatusGrid grid;
    grid.SetPacksPerTeam(20);
    grid.SetShowCaptions(true);
    grid.SetShowLittleNumbers(true);
    grid.SetShowBars(true);
    grid.SetShowOverallTotals(true);
    grid.SetShowTeamTotals(true);
    grid.SetWidth(static_cast<int>(state.range(0)));
    for (int team = 1; team <= 3; ++team)
        for (int pack = 1; pack <= 20; ++pack)
            grid.SetPackState(team, pack, (team + pack) % 4);

    QImage canvas(grid.size(), QImage::Format_RGB32);
    grid.render(&canvas); // fonts measured and cached once, as after the first real paint
    for (auto _ : state) {
        grid.render(&canvas);
        benchmark::DoNotOptimize(canvas.constBits());
    }
    state.counters["height"] = grid.height();
}
BENCHMARK(PaintGrid)
    ->Arg(1920)
    ->Arg(620)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
