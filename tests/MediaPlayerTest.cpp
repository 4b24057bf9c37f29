#include "controls/MediaPlayer.h"
#include "app/TalkingDownload.h"
#include "support/Emulated.h"
#include "support/TalkingDoubles.h"
#include "support/TempFolder.h"
#include "support/Tone.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <tuple>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// The loudest sample of each 10 ms that the disk audio driver has written since `offset`.
std::vector<int> BlockPeaks(std::size_t offset) {
    const std::string raw = ReadBytes(qEnvironmentVariable("SDL_DISKAUDIOFILE").toStdString());
    const std::size_t block = 441 * 4; // 10 ms of 16-bit stereo at 44100 Hz
    std::vector<int> peaks;
    for (std::size_t at = offset; at + block <= raw.size(); at += block) {
        int peak = 0;
        for (std::size_t i = at; i < at + block; i += 2)
            peak = std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(
                                      static_cast<unsigned char>(raw[i]) |
                                      static_cast<unsigned char>(raw[i + 1]) << 8))));
        peaks.push_back(peak);
    }
    return peaks;
}

std::size_t OutputSize() {
    std::error_code ignored;
    const auto size = std::filesystem::file_size(
        qEnvironmentVariable("SDL_DISKAUDIOFILE").toStdString(), ignored);
    return size == static_cast<std::uintmax_t>(-1) ? 0 : size;
}

// A WAV file of 16-bit samples, all zero, with `extra` parts before the samples; `samples`
// decides whether the mixer decodes it whole or streams it.
std::string Wave(int channels, std::size_t samples, const std::string& extra = {},
                 std::uint32_t rate = 22050) {
    std::string wav;
    const auto put = [&wav](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            wav += static_cast<char>(value >> 8 * i & 0xFF);
    };
    wav += "WAVEfmt ";
    put(16, 4);
    put(1, 2); // PCM
    put(static_cast<std::uint32_t>(channels), 2);
    put(rate, 4);
    put(rate * 2 * static_cast<std::uint32_t>(channels), 4);
    put(2 * static_cast<std::uint32_t>(channels), 2);
    put(16, 2);
    wav += extra + "data";
    put(static_cast<std::uint32_t>(samples * 2), 4);
    wav += std::string(samples * 2, '\0');
    std::string riff = "RIFF";
    for (int i = 0; i < 4; ++i)
        riff += static_cast<char>(wav.size() >> 8 * i & 0xFF);
    return riff + wav;
}

// A player that counts its completion reports.
struct TCountingPlayer : TMediaPlayer {
    int Notifications = 0;
    TCountingPlayer() {
        OnNotify = [this] {
            ++Notifications;
        };
    }
    // Opens `file` and starts it.
    bool Start(const std::filesystem::path& file) {
        SetFileName(file.string());
        Open();
        return Play();
    }
};

// The talking download over the real player: each completion takes the next name.
struct TSpeech {
    THost Host;
    TMediaPlayer Player;
    TTalkingDownload Talking{Host, Player};
    int Notifications = 0;

    explicit TSpeech(const std::filesystem::path& folder) {
        TTalkingSettings settings;
        settings.TalkingDownload = true;
        settings.TalkingFolder = folder.string() + "/";
        Talking.SetSettings(settings);
        Player.OnNotify = [this] {
            ++Notifications;
            Talking.MediaPlayer1Notify();
        };
    }
};

} // namespace

class MediaPlayerTest : public QObject {
    Q_OBJECT

    TTempFolder FFolder;

private slots:
    // These come first: the device is opened lazily, so this process has none yet.
    void soundLeavesTheStopSignalsToTheProgram() {
        WriteTone(FFolder / "01.wav", 0.1, 8000);
        const pid_t child = fork();
        if (child == 0) {
            std::signal(SIGTERM, SIG_DFL); // the test harness's own handler would hide SDL's
            TMediaPlayer player;
            player.SetFileName((FFolder / "01.wav").string());
            player.Open();
            raise(SIGTERM);
            _exit(0); // still running: the sound system took the signal
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    }

    void withoutASoundDeviceItReportsAndCarriesOn() {
        const QByteArray driver = qgetenv("SDL_AUDIODRIVER");
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        WriteTone(FFolder / "01.wav", 0.1, 8000);
        WriteTone(FFolder / "02.wav", 0.1, 8000);
        TSpeech speech(FFolder.Path());
        speech.Talking.SpeakNumber(1);
        speech.Talking.SpeakNumber(2);
        speech.Talking.MediaPlayer1Notify();
        QVERIFY(speech.Talking.PlayerIdle());
        QVERIFY(speech.Talking.SpeakQueue().empty());
        QCOMPARE(speech.Host.Errors.size(), std::size_t{1});
        QVERIFY2(speech.Host.Errors[0].find("sound device") != std::string::npos,
                 speech.Host.Errors[0].c_str());
        qputenv("SDL_AUDIODRIVER", driver);
    }

    void aQueuePlaysInOrderEachEndStartingTheNext() {
        const std::vector<int> amplitudes = {6000, 14000, 24000};
        const double seconds[] = {0.3, 0.2, 0.4};
        for (int n = 0; n < 3; ++n)
            WriteTone(FFolder / std::string("0").append(std::to_string(n + 1)).append(".wav"),
                      seconds[n], amplitudes[n]);
        TSpeech speech(FFolder.Path());
        speech.Talking.SpeakNumber(1);
        speech.Talking.SpeakNumber(2);
        speech.Talking.SpeakNumber(3);
        speech.Talking.MediaPlayer1Notify(); // opens the device
        const std::size_t start = OutputSize();
        QTRY_VERIFY_WITH_TIMEOUT(speech.Talking.PlayerIdle(), 5000);
        QCOMPARE(speech.Notifications, 3);
        QTest::qWait(150); // the driver's last buffers

        std::vector<int> order;
        int heard[4] = {};
        for (const int peak : BlockPeaks(start)) {
            // Which tone sounded, by its loudness; 0 for silence.
            int level = 0;
            for (std::size_t n = 0; n < amplitudes.size(); ++n)
                if (std::abs(peak - amplitudes[n]) < amplitudes[n] / 8)
                    level = static_cast<int>(n) + 1;
            ++heard[level];
            if (level && (order.empty() || order.back() != level))
                order.push_back(level);
        }
        QCOMPARE(order, (std::vector<int>{1, 2, 3}));
        // Each as long as its clip, in 10 ms blocks, give or take the blocks at its edges.
        for (int n = 0; n < 3; ++n)
            QVERIFY2(std::abs(heard[n + 1] - seconds[n] * 100) <= 3,
                     qPrintable(QString("clip %1: %2 blocks").arg(n + 1).arg(heard[n + 1])));
    }

    void aNewOpenStopsTheSoundAndStillReportsIt() {
        WriteTone(FFolder / "long.wav", 3.0, 8000);
        WriteTone(FFolder / "short.wav", 0.2, 8000);
        TCountingPlayer player;
        QVERIFY(player.Start(FFolder / "long.wav"));
        QTest::qWait(100);
        QVERIFY(player.Playing());
        QVERIFY(player.Start(FFolder / "short.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(player.Notifications, 1, 500);
        QTRY_COMPARE_WITH_TIMEOUT(player.Notifications, 2, 2000);
        QVERIFY(!player.Playing());

        // Two players sound at once: one never cuts the other short.
        TCountingPlayer other;
        player.Start(FFolder / "long.wav");
        other.Start(FFolder / "short.wav");
        QTRY_COMPARE_WITH_TIMEOUT(other.Notifications, 1, 2000);
        QVERIFY(player.Playing());
        player.Close();
        QTRY_COMPARE_WITH_TIMEOUT(player.Notifications, 3, 500);
        QVERIFY(!player.IsOpen());
    }

    void anUnplayableFileIsReportedAndTheQueueGoesOn() {
        WriteTone(FFolder / "01.wav", 0.1, 8000);
        WriteBytes(FFolder / "02.wav", "This is not a sound.\n");
        WriteTone(FFolder / "03.wav", 0.1, 8000);
        TSpeech speech(FFolder.Path());
        speech.Talking.SpeakNumber(1);
        speech.Talking.SpeakNumber(2);
        speech.Talking.SpeakNumber(3);
        speech.Talking.MediaPlayer1Notify();
        QTRY_VERIFY_WITH_TIMEOUT(speech.Talking.PlayerIdle(), 3000);
        QCOMPARE(speech.Notifications, 2);
        QCOMPARE(speech.Host.Errors.size(), std::size_t{1});
        QVERIFY2(speech.Host.Errors[0].find("02.wav") != std::string::npos,
                 speech.Host.Errors[0].c_str());
    }

    // Files that made the mixer divide by zero, or read or write past its memory, taking the
    // display with it, between two good ones; and files that are merely no sound. Each is
    // told, with its name, and the words around it are spoken.
    void hostileSoundFilesAreReportedAndTheQueueGoesOn() {
        const std::size_t whole = 1000;       // decoded whole when opened
        const std::size_t streamed = 1 << 17; // streamed as it plays, past 128 kB
        // A sampler part declaring 100000 loop points in 36 bytes.
        std::string loops = std::string("smpl\x24\0\0\0", 8) + std::string(28, '\0');
        loops += std::string("\xA0\x86\x01\0\0\0\0\0", 8);
        // A title whose text has no end within its list.
        const std::string title = std::string("LIST\x10\0\0\0INFOINAM\x04\0\0\0Tone", 24);
        const std::string aiffNoChannels = std::string("FORM\0\0\0\x2E"
                                                       "AIFF"
                                                       "COMM\0\0\0\x12"
                                                       "\0\0\0\0\x03\xE8\0\x10"
                                                       "\x40\x0D\xAC\x44\0\0\0\0\0\0"
                                                       "SSND\0\0\0\x08\0\0\0\0\0\0\0\0",
                                                       54);
        const std::tuple<std::string, std::string, std::string> files[] = {
            {"01.wav", Wave(1, whole), ""},
            {"02.wav", "", ""},
            {"03.wav", Wave(1, whole).substr(0, 30), ""},
            {"04.wav", Wave(0, whole), "0 sound channels"},
            {"05.wav", Wave(256, streamed), "256 sound channels"},
            {"06.wav", Wave(1, streamed, loops), "loop points"},
            {"07.wav", aiffNoChannels, "0 sound channels"},
            {"08.wav", "Creative Voice File\x1A\x1A\0\x0A\x01\x29\x11", "Creative Voice"},
            {"09.wav", Wave(1, streamed, title), "tag"},
            {"10.wav", Wave(1, whole, "", 100000000), "100000000 samples a second"},
            {"11.wav", "WAVE" + Wave(1, streamed, loops).substr(4), "loop points"},
            {"12.wav", Wave(2, whole), ""},
        };
        for (const auto& [name, bytes, why] : files)
            WriteBytes(FFolder / "hostile" / name, bytes);
        TSpeech speech(FFolder / "hostile");
        for (int n = 1; n <= 12; ++n)
            speech.Talking.SpeakNumber(n);
        speech.Talking.MediaPlayer1Notify();
        QTRY_VERIFY_WITH_TIMEOUT(speech.Talking.PlayerIdle(), 5000);
        QCOMPARE(speech.Notifications, 2);
        QCOMPARE(speech.Host.Errors.size(), std::size_t{10});
        for (std::size_t n = 1; n <= 10; ++n) {
            const auto& [name, bytes, why] = files[n];
            const std::string& error = speech.Host.Errors[n - 1];
            QVERIFY2(error.find(name) != std::string::npos, error.c_str());
            QVERIFY2(error.find(why) != std::string::npos, error.c_str());
        }
    }

    // Paths are UTF-8 texts inside the program, as on the disk; only a file counts.
    void aFolderBeyondAsciiIsHeardAndAFolderNamedLikeASoundIsNot() {
        const std::filesystem::path folder = FFolder / "Talliv\xC3\xBC"
                                                       "e";
        WriteTone(folder / "01.wav", 0.1, 8000);
        std::filesystem::create_directories(folder / "red.wav");
        TSpeech speech(FFolder.Path());
        TTalkingSettings settings = speech.Talking.Settings();
        settings.TalkingFolder = FFolder.Path().string() + "/Talliv\xC3\xBC"
                                                           "e/";
        speech.Talking.SetSettings(settings);
        speech.Talking.SpeakTeamColour(tcRed);
        speech.Talking.SpeakNumber(1);
        speech.Talking.MediaPlayer1Notify();
        QTRY_VERIFY_WITH_TIMEOUT(speech.Talking.PlayerIdle(), 3000);
        QCOMPARE(speech.Notifications, 1);
        QVERIFY(speech.Host.Errors.empty());
    }

    void mp3PlaysToTheEnd() {
        SKIP_WITHOUT_CHILD_PROGRAMS();
        WriteTone(FFolder / "tone.wav", 0.5, 12000);
        QProcess lame;
        lame.start("lame", {"--quiet", QString::fromStdString((FFolder / "tone.wav").string()),
                            QString::fromStdString((FFolder / "tone.mp3").string())});
        QVERIFY2(lame.waitForFinished(10000) && lame.exitCode() == 0, "lame could not encode");
        TCountingPlayer player;
        const std::size_t start = OutputSize();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(player.Start(FFolder / "tone.mp3"));
        QTRY_COMPARE_WITH_TIMEOUT(player.Notifications, 1, 2000);
        QVERIFY2(clock.elapsed() >= 450, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(100);
        const std::vector<int> peaks = BlockPeaks(start);
        QVERIFY(std::count_if(peaks.begin(), peaks.end(), [](int peak) { return peak > 10000; }) >=
                40);
    }

    void midiPlaysOnTheMusicStream() {
        // One middle C of half a second: the smallest standard MIDI file.
        const char midi[] = "MThd\0\0\0\x06\0\0\0\x01\x01\xE0"
                            "MTrk\0\0\0\x0D\0\x90\x3C\x64\x83\x60\x80\x3C\0\0\xFF\x2F\0";
        WriteBytes(FFolder / "note.mid", std::string(midi, sizeof midi - 1));
        TCountingPlayer player;
        const std::size_t start = OutputSize();
        QVERIFY(player.Start(FFolder / "note.mid"));
        QTRY_COMPARE_WITH_TIMEOUT(player.Notifications, 1, 5000);
        QTest::qWait(100);
        const std::vector<int> peaks = BlockPeaks(start);
        QVERIFY(!peaks.empty());
        QVERIFY2(*std::max_element(peaks.begin(), peaks.end()) > 1000, "the note was silent");
    }
};

QTEST_MAIN(MediaPlayerTest)
#include "MediaPlayerTest.moc"
