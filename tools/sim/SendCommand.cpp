#include "tools/sim/CommandLine.h"
#include "tools/sim/Commands.h"
#include "tools/sim/Udp.h"

#include <QTextStream>

#include <chrono>
#include <thread>

int RunSend(const QStringList& arguments) {
    TCommandLine line(
        QStringLiteral("send"), QStringLiteral("[TEXT...]"),
        QStringLiteral("Sends each TEXT as one datagram, or, with none, each line of\n"
                       "standard input as it comes. Text goes out as Latin-1, with\n"
                       "\"?\" for other characters."),
        TCommandLine::THostRole::SendTo);
    const QCommandLineOption interval({QStringLiteral("i"), QStringLiteral("interval")},
                                      QStringLiteral("Pause between datagrams in ms (default 0)."),
                                      QStringLiteral("ms"), QStringLiteral("0"));
    line.AddOption(interval);
    line.AddArgument(QStringLiteral("TEXT"),
                     QStringLiteral("A datagram, such as MODE,IDLE or PACKSTATUS,160,0,64."));
    if (!line.Parse(arguments))
        return line.ExitCode();
    long long pause = 0;
    sockaddr_in to{};
    if (!line.Integer(interval, 0, 3'600'000, pause) || !line.Address(to))
        return line.ExitCode();

    TUdpSocket socket;
    std::string error;
    if (!socket.OpenSender(error))
        return line.Failure(error);
    // A failed datagram does not stop the others, as when each is sent by a command of its own.
    int failures = 0;
    bool first = true;
    auto send = [&](const QString& text) {
        if (!first)
            std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        first = false;
        const QByteArray bytes = text.toLatin1();
        if (!socket.Send(to, {bytes.constData(), static_cast<std::size_t>(bytes.size())}, error)) {
            line.Failure(error);
            ++failures;
        }
    };

    const QStringList texts = line.Arguments();
    for (const QString& text : texts)
        send(text);
    if (texts.isEmpty()) {
        QTextStream input(stdin);
        for (QString text; input.readLineInto(&text);)
            send(text);
    }
    return failures == 0 ? 0 : kExitFailed;
}
