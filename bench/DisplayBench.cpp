// The whole display measured from its socket to its screen: the real window, the real listener
// on UDP port 12001, the real platform (run it under Xvfb at 1920x1080 through
// bench/display_bench.sh), fed by a sender on loopback.
//
//   display_bench pipeline | flood | smoothness | latency | startup | soak MINUTES SIM
//
// Every figure is printed as "name value unit" lines, one per line, for the script to tabulate.

#include "app/Listener.h"
#include "app/MainU.h"
#include "app/Protocol.h"
#include "app/StateKeeper.h"
#include "bench/Figures.h"
#include "bench/LoopbackSender.h"
#include "controls/Fonts.h"
#include "controls/Marquee.h"
#include "controls/StatusGrid.h"
#include "tools/sim/GameCycle.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <netinet/in.h>
#include <random>
#include <signal.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Runs the event loop for a while.
void RunFor(double ms) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

// Tells when a paint of the display's window has gone to the screen, and whether the grid was
// part of it.
class TBenchApplication : public QApplication {
public:
    using QApplication::QApplication;
    QWidget* Window = nullptr;
    QWidget* Grid = nullptr;
    std::function<void(bool gridPainted)> OnFramePainted;

    bool notify(QObject* receiver, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::Paint && receiver == Grid)
            FGridPainted = true;
        const bool result = QApplication::notify(receiver, event);
        if (type == QEvent::UpdateRequest && receiver == Window && OnFramePainted) {
            OnFramePainted(FGridPainted);
            FGridPainted = false;
        }
        return result;
    }

private:
    bool FGridPainted = false;
};

TBenchApplication* App() {
    return static_cast<TBenchApplication*>(QCoreApplication::instance());
}

// What the display's own main() does, then a few seconds for the first activation to settle.
struct TDisplay {
    TDisplay() {
        PrepareFaces();
        Form.show();
        App()->Window = &Form;
        App()->Grid = Form.StatusGrid1;
        RunFor(1500);
    }
    TDownload_Form Form;
};

// Paint times of a widget: how steadily it moves.
class TPaintTimes : public QObject {
public:
    explicit TPaintTimes(QWidget* widget) { widget->installEventFilter(this); }
    std::vector<double> Gaps() const {
        std::vector<double> gaps;
        for (std::size_t i = 1; i < FTimes.size(); ++i)
            gaps.push_back(
                std::chrono::duration<double, std::milli>(FTimes[i] - FTimes[i - 1]).count());
        return gaps;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            FTimes.push_back(TClock::now());
        return false;
    }

private:
    std::vector<TClock::time_point> FTimes;
};

// A plain receive loop, the most a program could take: recvmmsg in batches, nothing done.
double CeilingRate(double seconds, const std::vector<std::string>& datagrams) {
    const int port = 12002;
    const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("display_bench: port 12002");
        std::exit(1);
    }
    timeval wait{0, 200'000};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    std::atomic<bool> done = false;
    std::thread sender([&] {
        SendFor(port, seconds, 0, datagrams);
        done = true;
    });
    constexpr int kBatch = 64;
    std::vector<std::array<char, 1000>> buffers(kBatch);
    std::vector<iovec> vectors(kBatch);
    std::vector<mmsghdr> messages(kBatch);
    for (int i = 0; i < kBatch; ++i) {
        vectors[i] = {buffers[i].data(), 999};
        messages[i] = {};
        messages[i].msg_hdr.msg_iov = &vectors[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    std::uint64_t received = 0;
    for (;;) {
        const int count = ::recvmmsg(socket, messages.data(), kBatch, 0, nullptr);
        if (count > 0)
            received += static_cast<std::uint64_t>(count);
        else if (done)
            break;
    }
    sender.join();
    ::close(socket);
    return static_cast<double>(received) / seconds;
}

double DisplayRate(TDisplay& display, double seconds, const std::vector<std::string>& datagrams) {
    TListener& listener = *display.Form.Listener;
    const std::uint64_t before = listener.Received();
    std::atomic<bool> done = false;
    std::thread sender([&] {
        SendFor(kDatagramPort, seconds, 0, datagrams);
        done = true;
    });
    while (!done)
        RunFor(50);
    RunFor(200); // what is still in the socket
    sender.join();
    return static_cast<double>(listener.Received() - before) / seconds;
}

// The grid shows one of the two messages whole, and then a last, different one.
bool GridFollows(TDisplay& display) {
    TStatusGrid& grid = *display.Form.StatusGrid1;
    const TPackState first = grid.GetPackState(1, 1);
    for (int team = 1; team <= 3; ++team)
        for (int pack = 1; pack <= 20; ++pack)
            if (grid.GetPackState(team, pack) != first ||
                (first != psPlayed && first != psDownloaded))
                return false;
    TSender(kDatagramPort).Send("PACKSTATUS,128");
    QElapsedTimer waited;
    waited.start();
    while (grid.GetPackState(1, 1) != psInUse && waited.elapsed() < 2000)
        RunFor(10);
    return grid.GetPackState(1, 1) == psInUse;
}

int Pipeline() {
    TDisplay display;
    const auto datagrams = AlternatingDatagrams();
    std::vector<double> ceiling, taken;
    for (int round = 0; round < 3; ++round) {
        ceiling.push_back(CeilingRate(3, datagrams));
        taken.push_back(DisplayRate(display, 3, datagrams));
    }
    const double ceilingMedian = Percentile(ceiling, 0.5), takenMedian = Percentile(taken, 0.5);
    Print("pipeline_ceiling", ceilingMedian, "datagrams/s");
    Print("pipeline_display", takenMedian, "datagrams/s");
    Print("pipeline_share", 100 * takenMedian / ceilingMedian, "%");
    Print("pipeline_grid_follows", GridFollows(display) ? 1 : 0, "bool");
    return 0;
}

// The display flooded at `perSecond` for `seconds`: how steadily the scroll message and the
// clock go on meanwhile, and how many datagrams it took.
void Steadiness(const char* name, double perSecond, double seconds) {
    TDisplay display;
    TPaintTimes scroll(display.Form.Scroll_Message);
    std::vector<TClock::time_point> ticks;
    QObject::connect(display.Form.clock_timer, &QTimer::timeout,
                     [&ticks] { ticks.push_back(TClock::now()); });
    const std::uint64_t before = display.Form.Listener->Received();
    std::atomic<bool> done = false;
    std::uint64_t sent = 0;
    std::thread sender([&] {
        sent = SendFor(kDatagramPort, seconds, perSecond, AlternatingDatagrams());
        done = true;
    });
    while (!done)
        RunFor(50);
    RunFor(200);
    sender.join();
    const auto gaps = scroll.Gaps();
    std::vector<double> tickGaps;
    for (std::size_t i = 1; i < ticks.size(); ++i)
        tickGaps.push_back(
            std::chrono::duration<double, std::milli>(ticks[i] - ticks[i - 1]).count());
    const std::string prefix = name;
    Print((prefix + "_sent").c_str(), static_cast<double>(sent), "datagrams");
    Print((prefix + "_taken").c_str(),
          static_cast<double>(display.Form.Listener->Received() - before), "datagrams");
    Print((prefix + "_scroll_steps").c_str(), static_cast<double>(gaps.size()), "steps");
    Print((prefix + "_scroll_gap_p50").c_str(), Percentile(gaps, 0.5), "ms");
    Print((prefix + "_scroll_gap_p99").c_str(), Percentile(gaps, 0.99), "ms");
    Print((prefix + "_scroll_gap_max").c_str(), Percentile(gaps, 1), "ms");
    Print((prefix + "_clock_ticks").c_str(), static_cast<double>(ticks.size()), "ticks");
    Print((prefix + "_clock_gap_max").c_str(), Percentile(tickGaps, 1), "ms");
}

// From a datagram's arrival to the end of the paint that shows it, one datagram at a time.
int Latency() {
    TDisplay display;
    const auto datagrams = AlternatingDatagrams();
    constexpr int kCount = 10'000;
    std::vector<double> latencies;
    latencies.reserve(kCount);
    std::atomic<int> awaited = -1; // the datagram whose paint is awaited
    std::atomic<bool> painted = false;
    TClock::time_point sentAt;
    TStatusGrid& grid = *display.Form.StatusGrid1;
    App()->OnFramePainted = [&](bool gridPainted) {
        const int index = awaited;
        const TPackState shows = index % 2 ? psDownloaded : psPlayed;
        if (index >= 0 && gridPainted && grid.GetPackState(3, 20) == shows && !painted) {
            latencies.push_back(MsSince(sentAt));
            painted = true;
        }
    };
    std::thread sender([&] {
        TSender socket(kDatagramPort);
        std::mt19937 random(1);
        for (int i = 0; i < kCount; ++i) {
            std::this_thread::sleep_for(
                std::chrono::microseconds(std::uniform_int_distribution(500, 3000)(random)));
            painted = false;
            sentAt = TClock::now();
            awaited = i;
            socket.Send(datagrams[i % 2]);
            while (!painted)
                std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
        awaited = -2;
    });
    while (awaited != -2)
        RunFor(20);
    sender.join();
    App()->OnFramePainted = nullptr;
    Print("latency_count", static_cast<double>(latencies.size()), "datagrams");
    Print("latency_p50", Percentile(latencies, 0.5), "ms");
    Print("latency_p99", Percentile(latencies, 0.99), "ms");
    Print("latency_max", Percentile(latencies, 1), "ms");
    return 0;
}

// Process start to the first frame on the screen: this program started afresh, doing what the
// display's main() does, over and over.
int StartupChild(const char* startedAt) {
    const long long started = std::atoll(startedAt);
    int argc = 1;
    char name[] = "tallivue";
    char* argv[] = {name, nullptr};
    TBenchApplication application(argc, argv);
    PrepareFaces();
    TDownload_Form form;
    application.Window = &form;
    application.OnFramePainted = [started](bool) {
        const long long now =
            std::chrono::duration_cast<std::chrono::nanoseconds>(TClock::now().time_since_epoch())
                .count();
        std::printf("%.3f\n", (now - started) / 1e6);
        std::fflush(stdout);
        std::_Exit(0);
    };
    form.show();
    return QApplication::exec();
}

int Startup(const char* self) {
    std::vector<double> times;
    for (int run = 0; run < 10; ++run) {
        int output[2];
        if (::pipe(output) != 0)
            return 1;
        const long long now =
            std::chrono::duration_cast<std::chrono::nanoseconds>(TClock::now().time_since_epoch())
                .count();
        const std::string startedAt = std::to_string(now);
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(output[1], 1);
            ::execl(self, self, "startup-child", startedAt.c_str(), nullptr);
            std::_Exit(127);
        }
        ::close(output[1]);
        char text[64] = {};
        const auto length = ::read(output[0], text, sizeof text - 1);
        ::close(output[0]);
        ::waitpid(child, nullptr, 0);
        if (length > 0)
            times.push_back(std::atof(text));
    }
    Print("startup_runs", static_cast<double>(times.size()), "runs");
    Print("startup_fastest", Percentile(times, 0), "ms");
    Print("startup_median", Percentile(times, 0.5), "ms");
    Print("startup_slowest", Percentile(times, 1), "ms");
    return 0;
}

double ResidentMB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024;
    return 0;
}

// One arena day, sped up to `minutes`: whole cycles from the simulator through the real socket,
// the resident memory every minute, and at the end the display must hold what the last cycle
// left: every datagram taken, the grid, the mode and the title as the cycles say.
// What a display shows that a restart must keep: the caption, the packs in use, every pack,
// and the title but for a game's, whose countdown rightly goes on by the time the restart took.
QString Board(TDownload_Form& form) {
    QString board = form.laMode->text() + "|" + form.Total_Packs_Label->text() + "|" +
                    (form.State().GameActive() ? QString() : form.windowTitle()) + "|";
    for (int team = 1; team <= 3; ++team)
        for (int pack = 1; pack <= 20; ++pack)
            board += QString::number(form.StatusGrid1->GetPackState(team, pack));
    return board;
}

int Soak(double minutes, const QString& simulator) {
    auto display = std::make_unique<TDisplay>();
    constexpr std::uint32_t kSeed = 2026;
    constexpr int kPacks = 20;
    const double arenaDaySeconds = 12 * 3600;
    // The expected datagrams, from the simulator's own cycle code and seed.
    TRandom random(kSeed);
    TGameOptions options;
    options.PacksPerTeam = kPacks;
    std::vector<std::string> expected;
    double arenaSeconds = 0;
    int cycles = 0;
    while (arenaSeconds < arenaDaySeconds) {
        const TGameCycle cycle = GameCycle(options, random);
        for (const TTimedDatagram& datagram : cycle.Datagrams)
            expected.push_back(datagram.Text);
        arenaSeconds += cycle.LengthMs / 1000.0;
        ++cycles;
    }
    expected.emplace_back(kEndOfDownload);
    const double speed = arenaSeconds / (minutes * 60);
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(simulator, {"game", "--cycles", QString::number(cycles), "--speed",
                          QString::number(speed, 'f', 3), "--seed", QString::number(kSeed),
                          "--packs", QString::number(kPacks), "--quiet"});
    if (!sim.waitForStarted()) {
        std::fprintf(stderr, "display_bench: %s does not start\n", qPrintable(simulator));
        return 1;
    }
    std::uint64_t before = display->Form.Listener->Received(), taken = 0;
    int writes = 0;
    bool restarted = false, kept = false;
    QElapsedTimer elapsed;
    elapsed.start();
    Print("soak_cycles", cycles, "cycles");
    Print("soak_speed", speed, "x");
    Print("soak_rss_start", ResidentMB(), "MB");
    int minute = 0;
    while (sim.state() != QProcess::NotRunning) {
        RunFor(200);
        if (elapsed.elapsed() >= (minute + 1) * 60'000LL) {
            ++minute;
            std::printf("soak_rss_minute_%d %.1f MB\n", minute, ResidentMB());
            std::fflush(stdout);
        }
        // Half-way, the display is started again, the arena held still meanwhile: the new one
        // must show at once what the old one showed, from the state file alone.
        if (!restarted && elapsed.elapsed() >= minutes * 30'000) {
            restarted = true;
            ::kill(static_cast<pid_t>(sim.processId()), SIGSTOP);
            RunFor(500); // what is on its way
            const QString board = Board(display->Form);
            taken += display->Form.Listener->Received() - before;
            writes += display->Form.Keeper().Writes();
            Print("soak_rss_before_restart", ResidentMB(), "MB");
            display.reset();
            display = std::make_unique<TDisplay>();
            kept = Board(display->Form) == board;
            if (!kept)
                std::printf("soak_restart_board_before %s\nsoak_restart_board_after %s\n",
                            qPrintable(board), qPrintable(Board(display->Form)));
            before = display->Form.Listener->Received();
            Print("soak_rss_after_restart", ResidentMB(), "MB");
            Print("soak_restart_board_kept", kept ? 1 : 0, "bool");
            ::kill(static_cast<pid_t>(sim.processId()), SIGCONT);
        }
    }
    RunFor(2000);
    Print("soak_rss_end", ResidentMB(), "MB");
    Print("soak_minutes", elapsed.elapsed() / 60000.0, "min");
    writes += display->Form.Keeper().Writes();
    Print("soak_state_writes_per_minute", writes / (elapsed.elapsed() / 60000.0), "writes/min");

    // What the datagrams should have left.
    std::array<TPackState, 60> packs{};
    for (std::string text : expected) {
        std::vector<std::string_view> fields;
        SplitFields(text, fields);
        if (ClassifyMessage(fields) == TMessageKind::PackStatus)
            for (std::size_t i = 1; i < fields.size() && i <= 60; ++i)
                packs[i - 1] = DecodePackEntry(i, fields[i]).State;
    }
    bool gridRight = true;
    for (std::size_t i = 0; i < packs.size(); ++i)
        gridRight =
            gridRight && display->Form.StatusGrid1->GetPackState(
                             static_cast<int>(i % 3) + 1, static_cast<int>(i / 3) + 1) == packs[i];
    taken += display->Form.Listener->Received() - before;
    Print("soak_datagrams_expected", static_cast<double>(expected.size()), "datagrams");
    Print("soak_datagrams_taken", static_cast<double>(taken), "datagrams");
    Print("soak_grid_right", gridRight ? 1 : 0, "bool");
    Print("soak_mode_idle", display->Form.laMode->text() == "Idle" ? 1 : 0, "bool");
    std::printf("soak_title %s\n", qPrintable(display->Form.windowTitle()));
    return sim.exitCode() == 0 && taken == expected.size() && gridRight && kept ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "startup-child" && argc > 2)
        return StartupChild(argv[2]);
    if (command == "startup")
        return Startup(argv[0]);
    TBenchApplication application(argc, argv);
    if (command == "pipeline")
        return Pipeline();
    if (command == "flood") {
        Steadiness("flood", 50'000, 10);
        return 0;
    }
    if (command == "smoothness") {
        Steadiness("smoothness", 1'000, 60);
        return 0;
    }
    if (command == "latency")
        return Latency();
    if (command == "soak" && argc > 3)
        return Soak(std::atof(argv[2]), QString::fromLocal8Bit(argv[3]));
    std::fprintf(stderr, "usage: display_bench pipeline | flood | smoothness | latency | startup "
                         "| soak MINUTES SIMULATOR\n");
    return 2;
}
