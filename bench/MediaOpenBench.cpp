// Opening a sound on the display's thread, as the talking download opens each word and the
// special audio cue opens its file: a spoken word, the longest WAV still decoded whole when
// opened (resampled from 22050 Hz mono, the dearest kind), a three-minute WAV and a
// three-minute MP3. Opening must not cost more the longer the sound is.

#include "bench/Fastest.h"
#include "controls/MediaPlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

QTemporaryDir* Folder() {
    static QTemporaryDir folder;
    return &folder;
}

std::string FileOf(const char* name) {
    return QDir(Folder()->path()).filePath(name).toStdString();
}

// The sounds, made with sox and lame: sine tones, as long as a word or as a song.
bool MakeSounds() {
    const auto run = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        return process.waitForFinished(120000) && process.exitCode() == 0;
    };
    const QString word = QString::fromStdString(FileOf("word.wav"));
    const QString longest = QString::fromStdString(FileOf("longest.wav"));
    const QString song = QString::fromStdString(FileOf("song.wav"));
    return run("sox",
               {"-n", "-r", "22050", "-c", "1", "-b", "16", word, "synth", "0.6", "sine", "440"}) &&
           run("sox", {"-n", "-r", "22050", "-c", "1", "-b", "16", longest, "synth", "2.9", "sine",
                       "440"}) &&
           run("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", song, "synth", "180", "sine",
                       "440", "vol", "0.5"}) &&
           run("lame", {"--quiet", "-b", "128", song, QString::fromStdString(FileOf("song.mp3"))});
}

void OpenSound(benchmark::State& state, const char* name) {
    TMediaPlayer player;
    player.SetFileName(FileOf(name));
    for (auto _ : state)
        player.Open(); // each open closes the one before
    player.Close();
}

BENCHMARK_CAPTURE(OpenSound, word_wav_0_6_s, "word.wav")
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK_CAPTURE(OpenSound, longest_whole_wav_2_9_s, "longest.wav")
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK_CAPTURE(OpenSound, wav_3_min, "song.wav")
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK_CAPTURE(OpenSound, mp3_3_min, "song.mp3")
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("SDL_AUDIODRIVER"))
        setenv("SDL_AUDIODRIVER", "dummy", 1); // no sound card needed
    QCoreApplication application(argc, argv);
    if (!MakeSounds()) {
        std::fprintf(stderr, "media_open_bench: sox and lame are needed to make the sounds\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
