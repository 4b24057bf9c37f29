#pragma once

#include "controls/Fonts.h"

#include <QApplication>

#include <benchmark/benchmark.h>

// Widgets need an application: off-screen, with the fonts the display is laid out for.
inline int RunQtBenchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    PrepareFaces();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
