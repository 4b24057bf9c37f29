#include "tools/sim/CommandLine.h"
#include "tools/sim/Commands.h"
#include "tools/sim/RecordFormat.h"
#include "tools/sim/TimedSender.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Far beyond any arena's recording, and a stop for a path such as /dev/zero that never ends.
constexpr std::size_t kMaxRecordingBytes = 256u << 20;

// The whole file, else false with a message.
bool ReadWhole(const QString& path, std::string& text, std::string& error) {
    const auto fail = [&](const char* what) {
        const int code = errno;
        error =
            "cannot " + std::string(what) + " " + path.toStdString() + ": " + std::strerror(code);
        return false;
    };
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(QFile::encodeName(path).constData(), "rb"), std::fclose);
    if (!file)
        return fail("open");
    char block[1 << 16];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, file.get())) > 0;) {
        text.append(block, got);
        if (text.size() > kMaxRecordingBytes) {
            error = path.toStdString() + " is larger than " +
                    std::to_string(kMaxRecordingBytes >> 20) + " MiB, too large for a recording";
            return false;
        }
    }
    return !std::ferror(file.get()) || fail("read");
}

} // namespace

int RunReplay(const QStringList& arguments) {
    TCommandLine line(QStringLiteral("replay"), QStringLiteral("FILE"),
                      QStringLiteral("Sends the datagrams of a recording made by \"tallivue-sim\n"
                                     "record\" again, spaced as they arrived, from the first on.\n"
                                     "The whole file is read before anything is sent."),
                      TCommandLine::THostRole::SendTo);
    const QCommandLineOption speed(
        {QStringLiteral("s"), QStringLiteral("speed")},
        QStringLiteral("How many times faster than recorded: 2 halves every pause, 0.5 doubles "
                       "it (default 1)."),
        QStringLiteral("factor"), QStringLiteral("1"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Shows nothing but errors."));
    line.AddOption(speed);
    line.AddOption(quiet);
    line.AddArgument(QStringLiteral("FILE"), QStringLiteral("The recording to send."));
    if (!line.Parse(arguments))
        return line.ExitCode();
    double factor = 0;
    sockaddr_in to{};
    if (!line.Number(speed, 0.01, 10'000, factor) || !line.Address(to))
        return line.ExitCode();
    const QStringList files = line.Arguments();
    if (files.size() != 1)
        return line.UsageError(QStringLiteral("replay takes one FILE"));
    const QString& path = files.front();

    std::string text, error;
    if (!ReadWhole(path, text, error))
        return line.Failure(error);
    const TRecording recording = ParseRecording(text);
    if (recording.BadLine != 0)
        return line.Failure(path.toStdString() + ":" + std::to_string(recording.BadLine) + ": " +
                            recording.Problem);
    if (recording.Datagrams.empty())
        return line.Failure(path.toStdString() + " holds no datagrams to replay");

    TTimedSender sender(to, factor, line.IsSet(quiet));
    if (!sender.Open(error))
        return line.Failure(error);
    const std::int64_t first = recording.Datagrams.front().AtMs;
    for (const TRecordedDatagram& datagram : recording.Datagrams)
        if (!sender.Send(datagram.AtMs - first, datagram.Bytes, error))
            return line.Failure(error);
    return 0;
}
