// The front desk's board under load: a running display (bench/web_load.sh starts it under Xvfb
// with its web service on and a simulated game going), watched by many board pages at once.
//
//   web_load_bench WEB_PORT CLIENTS SECONDS DISPLAY_PID
//
// Among the game's own datagrams it sends probes, MODE,GAMEACTIVE datagrams whose game name
// numbers them; each board client notes when the board first names a probe. The display's CPU
// is read from /proc, first with no board open, then with every client connected, and its
// datagram rate under a flood, both ways. Figures are "name value unit" lines.

#include "app/Protocol.h"
#include "bench/Figures.h"
#include "bench/LoopbackSender.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QWebSocket>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

const QString kProbeName = QStringLiteral("Probe");

void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The process's user and system time so far.
double CpuMs(int pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto nameEnds = text.rfind(')');
    if (nameEnds == std::string::npos) {
        std::fprintf(stderr, "web_load_bench: no process %d\n", pid);
        std::exit(1);
    }
    std::istringstream fields(text.substr(nameEnds + 2));
    std::string field;
    // After the name: state is the first field, utime the twelfth, stime the thirteenth.
    for (int i = 0; i < 11; ++i)
        fields >> field;
    long long user = 0, system = 0;
    fields >> user >> system;
    return 1000.0 * static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// What the display's /status.json says now, or an empty object.
QJsonObject Status(QNetworkAccessManager& network, int port) {
    std::unique_ptr<QNetworkReply> reply(network.get(
        QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/status.json").arg(port)))));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return reply->isFinished() && reply->error() == QNetworkReply::NoError
               ? QJsonDocument::fromJson(reply->readAll()).object()
               : QJsonObject();
}

// The probes sent so far and when; the clients read them on the same thread.
struct TProbes {
    std::vector<TClock::time_point> SentAt;
    std::vector<double> Latencies;
};

// One board page: the board's WebSocket, noting each probe the first time the board names it.
class TBoardClient : public QObject {
public:
    TBoardClient(int port, TProbes& probes) : FProbes(probes) {
        connect(&FSocket, &QWebSocket::textMessageReceived, this, &TBoardClient::Read);
        FSocket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)));
    }
    bool HasBoard() const { return FBoards > 0; }
    int Boards() const { return FBoards; }

private:
    void Read(const QString& text) {
        ++FBoards;
        const QString caption = QJsonDocument::fromJson(text.toUtf8())
                                    .object()
                                    .value(QStringLiteral("caption"))
                                    .toString();
        const qsizetype at = caption.lastIndexOf(kProbeName);
        if (at < 0)
            return;
        bool number = false;
        const int probe = caption.mid(at + kProbeName.size()).toInt(&number);
        if (!number || probe <= FLastProbe || probe >= static_cast<int>(FProbes.SentAt.size()))
            return;
        FLastProbe = probe;
        FProbes.Latencies.push_back(MsSince(FProbes.SentAt[static_cast<std::size_t>(probe)]));
    }

    TProbes& FProbes;
    QWebSocket FSocket;
    int FBoards = 0;
    int FLastProbe = -1;
};

// Probes every 50 to 150 ms for `seconds`, the event loop running between them; the display's
// CPU meanwhile, as a share of one core.
double ProbeFor(double seconds, int pid, TProbes& probes) {
    TSender sender(kDatagramPort);
    std::mt19937 random(1);
    const double cpuBefore = CpuMs(pid);
    const auto start = TClock::now();
    while (MsSince(start) < seconds * 1000) {
        const auto number = static_cast<int>(probes.SentAt.size());
        probes.SentAt.push_back(TClock::now());
        sender.Send("MODE,GAMEACTIVE,100," + kProbeName.toStdString() + std::to_string(number));
        RunFor(std::uniform_int_distribution(50, 150)(random));
    }
    return 100 * (CpuMs(pid) - cpuBefore) / MsSince(start);
}

// The display's datagram rate, from its own count, while a sender floods it for three seconds.
double FloodRate(QNetworkAccessManager& network, int port) {
    const qint64 before = Status(network, port).value(QStringLiteral("datagramsTaken")).toInteger();
    std::atomic<bool> done = false;
    std::thread flood([&] {
        SendFor(kDatagramPort, 3, 0, AlternatingDatagrams());
        done = true;
    });
    while (!done)
        RunFor(50);
    flood.join();
    RunFor(500); // what is still in the socket
    const qint64 after = Status(network, port).value(QStringLiteral("datagramsTaken")).toInteger();
    return static_cast<double>(after - before) / 3;
}

int Run(int port, int clientCount, double seconds, int pid) {
    QNetworkAccessManager network;
    for (int waited = 0; Status(network, port).isEmpty(); waited += 200) {
        if (waited > 15000) {
            std::fprintf(stderr, "web_load_bench: nothing answers on port %d\n", port);
            return 1;
        }
        RunFor(200);
    }

    TProbes alone;
    Print("web_load_cpu_without_clients", ProbeFor(seconds, pid, alone), "%");
    Print("web_load_rate_without_clients", FloodRate(network, port), "datagrams/s");

    TProbes probes;
    std::vector<std::unique_ptr<TBoardClient>> clients;
    for (int i = 0; i < clientCount; ++i)
        clients.push_back(std::make_unique<TBoardClient>(port, probes));
    const auto connecting = TClock::now();
    while (!std::all_of(clients.begin(), clients.end(), [](auto& c) { return c->HasBoard(); })) {
        if (MsSince(connecting) > 15000) {
            std::fprintf(stderr, "web_load_bench: not every client got a board in 15 s\n");
            return 1;
        }
        RunFor(20);
    }
    const double cpu = ProbeFor(seconds, pid, probes);
    RunFor(500); // the last probe's board
    Print("web_load_clients", clientCount, "clients");
    Print("web_load_cpu_with_clients", cpu, "%");
    Print("web_load_probes", static_cast<double>(probes.SentAt.size()), "datagrams");
    Print("web_load_seen",
          100.0 * static_cast<double>(probes.Latencies.size()) /
              static_cast<double>(probes.SentAt.size() * clients.size()),
          "%");
    Print("web_load_latency_p50", Percentile(probes.Latencies, 0.5), "ms");
    Print("web_load_latency_p99", Percentile(probes.Latencies, 0.99), "ms");
    Print("web_load_latency_max", Percentile(probes.Latencies, 1), "ms");
    Print("web_load_rate_with_clients", FloodRate(network, port), "datagrams/s");
    const auto connected =
        std::count_if(clients.begin(), clients.end(), [&](auto& c) { return c->Boards() > 1; });
    Print("web_load_clients_followed", static_cast<double>(connected), "clients");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: web_load_bench WEB_PORT CLIENTS SECONDS DISPLAY_PID\n");
        return 2;
    }
    return Run(std::atoi(argv[1]), std::atoi(argv[2]), std::atof(argv[3]), std::atoi(argv[4]));
}
