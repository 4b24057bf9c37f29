// One step of the running scroll message on a 1920-pixel-wide screen with the main window's
// 48-pixel Arial text: the style's step, the strip composed off screen, and the window's paint
// of that strip.

#include "bench/Fastest.h"
#include "bench/QtBenchMain.h"
#include "controls/Marquee.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

void MarqueeStep(benchmark::State& state) {
    TMarquee marquee;
    QFont font("Arial");
    font.setPixelSize(48);
    marquee.setFont(font);
    marquee.SetBorderStyle(bsNone);
    marquee.SetColor(Qt::black);
    marquee.SetFontColor(Qt::white);
    marquee.SetAutoSizeHeight(true);
    marquee.SetScrollAmount(5);
    marquee.SetScrollStyle(static_cast<TScrollStyle>(state.range(0)));
    marquee.setGeometry(0, 0, 1920, 57);
    marquee.show();
    marquee.SetScrollText("Birthday parties, team building and league nights: ask at the desk "
                          "to book your next battle!          ");
    marquee.SetActive(true);
    for (int warm = 0; warm < 500; ++warm) // past the entry, into the steady band
        marquee.TimerTick();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        marquee.TimerTick();
        QCoreApplication::processEvents(); // the window paints the strip
    }
}

BENCHMARK(MarqueeStep)
    ->Arg(ssScroll)
    ->Arg(ssBounce)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", Fastest);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
