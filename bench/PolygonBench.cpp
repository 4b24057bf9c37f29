// What the running polygon costs: one timer tick (the step and the frame it paints at once) at
// the main window's 50 x 73, yellow on black.

#include "bench/Fastest.h"
#include "bench/QtBenchMain.h"
#include "controls/Polygon.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

void PolygonTick(benchmark::State& state) {
    TPolygon polygon;
    polygon.setGeometry(570, 10, 50, 73);
    polygon.SetLineColor(Qt::yellow);
    polygon.SetBackColor(Qt::black);
    polygon.show();
    QCoreApplication::processEvents();
    for (auto _ : state)
        polygon.Step(); // repaints through the window's backing store before it returns
}
BENCHMARK(PolygonTick)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
