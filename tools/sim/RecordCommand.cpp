#include "tools/sim/CommandLine.h"
#include "tools/sim/Commands.h"
#include "tools/sim/RecordFormat.h"
#include "tools/sim/Udp.h"

#include <QDateTime>
#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

// Ctrl-C or SIGTERM ends the recording through this pipe, which the wait for datagrams also
// watches, so a signal that comes just before the wait cannot be missed.
int gStopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(gStopPipe[1], &byte, 1);
    errno = saved;
}

bool CatchStopSignals(std::string& error) {
    if (::pipe(gStopPipe) != 0) {
        const int code = errno;
        error = std::string("cannot make a pipe for signals: ") + std::strerror(code);
        return false;
    }
    for (const int end : gStopPipe)
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    // A flood of signals must not block the handler on a full pipe.
    ::fcntl(gStopPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    return true;
}

class TOutput {
public:
    ~TOutput() {
        if (FFile && FFile != stdout)
            std::fclose(FFile);
    }

    bool Open(const QString& path) {
        FFile = path == u'-' ? stdout : std::fopen(QFile::encodeName(path).constData(), "w");
        return FFile != nullptr;
    }

    // Each line goes out whole at once, so an interrupted recording ends on a complete line.
    bool WriteLine(const std::string& line) {
        return std::fputs(line.c_str(), FFile) >= 0 && std::fputc('\n', FFile) != EOF &&
               std::fflush(FFile) == 0;
    }

    bool Close() {
        const bool ok = std::fflush(FFile) == 0 && !std::ferror(FFile);
        const bool closed = FFile == stdout || std::fclose(FFile) == 0;
        FFile = nullptr;
        return ok && closed;
    }

private:
    std::FILE* FFile = nullptr;
};

} // namespace

int RunRecord(const QStringList& arguments) {
    TCommandLine line(
        QStringLiteral("record"), QStringLiteral("FILE"),
        QStringLiteral("Writes every datagram that arrives on the port to FILE, one a\n"
                       "line with the seconds since the start, until Ctrl-C, SIGTERM,\n"
                       "--duration or --count ends it. Each line is written whole at\n"
                       "once, so an interrupted recording stays complete.\n"
                       "The port is shared with a display on the same machine: both\n"
                       "receive broadcasts, but a datagram sent to the machine's own\n"
                       "address reaches only one of the two, on Linux the one started\n"
                       "last."),
        TCommandLine::THostRole::ListenOn);
    const QCommandLineOption timeLimit(
        {QStringLiteral("d"), QStringLiteral("duration")},
        QStringLiteral("Ends the recording after this many seconds."), QStringLiteral("seconds"));
    const QCommandLineOption countLimit(
        {QStringLiteral("c"), QStringLiteral("count")},
        QStringLiteral("Ends the recording after this many datagrams."), QStringLiteral("n"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Shows nothing but errors."));
    for (const auto& option : {timeLimit, countLimit, quiet})
        line.AddOption(option);
    line.AddArgument(QStringLiteral("FILE"),
                     QStringLiteral("The recording to write (replaced if it exists); - writes to "
                                    "standard output."));
    if (!line.Parse(arguments))
        return line.ExitCode();
    double seconds = 0;
    long long limit = std::numeric_limits<long long>::max();
    sockaddr_in local{};
    if ((line.IsSet(timeLimit) && !line.Number(timeLimit, 0.001, 1e7, seconds)) ||
        (line.IsSet(countLimit) &&
         !line.Integer(countLimit, 1, std::numeric_limits<long long>::max(), limit)) ||
        !line.Address(local))
        return line.ExitCode();
    const QStringList files = line.Arguments();
    if (files.size() != 1)
        return line.UsageError(QStringLiteral("record takes one FILE"));
    const QString& path = files.front();
    const bool silent = line.IsSet(quiet);
    auto writeFailure = [&] {
        const int code = errno;
        return line.Failure("cannot write " + path.toStdString() + ": " + std::strerror(code));
    };

    TUdpSocket socket;
    std::string error;
    if (!socket.OpenListener(local, error))
        return line.Failure(error);
    using namespace std::chrono;
    const auto start = steady_clock::now();
    TOutput output;
    if (!output.Open(path))
        return writeFailure();
    const std::string header = "# tallivue-sim recording of " + line.AddressText().toStdString() +
                               ", started " +
                               QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
    if (!output.WriteLine(header) || !output.WriteLine(std::string(kRecordFormatNote)))
        return writeFailure();
    if (!CatchStopSignals(error))
        return line.Failure(error);
    if (!silent)
        std::fprintf(stderr, "tallivue-sim record: listening on %s, writing %s; Ctrl-C ends\n",
                     qPrintable(line.AddressText()), qPrintable(path));

    const auto deadline = start + duration_cast<steady_clock::duration>(duration<double>(seconds));
    long long recorded = 0;
    std::string datagram;
    while (recorded < limit) {
        int timeout = -1;
        if (line.IsSet(timeLimit)) {
            const auto left = ceil<milliseconds>(deadline - steady_clock::now()).count();
            if (left <= 0)
                break;
            timeout = static_cast<int>(std::min<long long>(left, std::numeric_limits<int>::max()));
        }
        pollfd waits[2] = {{socket.Descriptor(), POLLIN, 0}, {gStopPipe[0], POLLIN, 0}};
        if (::poll(waits, 2, timeout) < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            return line.Failure(std::string("cannot wait for datagrams: ") + std::strerror(code));
        }
        if (waits[1].revents != 0)
            break;
        while (recorded < limit && socket.Receive(datagram, error)) {
            const auto at = duration_cast<milliseconds>(steady_clock::now() - start).count();
            if (!output.WriteLine(RecordLine(at, datagram)))
                return writeFailure();
            ++recorded;
        }
        if (!error.empty())
            return line.Failure(error);
    }
    if (!output.Close())
        return writeFailure();
    if (!silent)
        std::fprintf(stderr, "tallivue-sim record: %lld datagram%s in %s\n", recorded,
                     recorded == 1 ? "" : "s", qPrintable(path));
    return 0;
}
