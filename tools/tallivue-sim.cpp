// A stand-in for the arena's game controller: sends datagrams to a display, each command-line
// argument (or, with none, each line of standard input) as one datagram.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QTextStream>
#include <QThread>
#include <QUdpSocket>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tallivue-sim"));

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral(
        "Sends controller datagrams such as MODE,IDLE or PACKSTATUS,160,0,64 to a display.\n"
        "Each argument is one datagram; with none, each line of standard input is one."));
    options.addHelpOption();
    const QCommandLineOption host({QStringLiteral("H"), QStringLiteral("host")},
                                  QStringLiteral("Address to send to (default 127.0.0.1)."),
                                  QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")},
                                  QStringLiteral("UDP port (default 12001)."),
                                  QStringLiteral("port"), QStringLiteral("12001"));
    const QCommandLineOption interval({QStringLiteral("i"), QStringLiteral("interval")},
                                      QStringLiteral("Pause between datagrams in ms (default 0)."),
                                      QStringLiteral("ms"), QStringLiteral("0"));
    options.addOptions({host, port, interval});
    options.addPositionalArgument(QStringLiteral("datagram"), QStringLiteral("Text to send."),
                                  QStringLiteral("[datagram...]"));
    options.process(application);

    const QHostAddress address(options.value(host));
    bool portOk = false;
    const auto portNumber = options.value(port).toUShort(&portOk);
    bool intervalOk = false;
    const int pause = options.value(interval).toInt(&intervalOk);
    if (address.isNull() || !portOk || portNumber == 0 || !intervalOk || pause < 0) {
        std::fprintf(stderr, "tallivue-sim: give a numeric address, a port 1-65535 and a "
                             "non-negative interval (see --help)\n");
        return 2;
    }

    QStringList datagrams = options.positionalArguments();
    if (datagrams.isEmpty()) {
        QTextStream input(stdin);
        for (QString line; input.readLineInto(&line);)
            datagrams << line;
    }

    QUdpSocket socket;
    int failures = 0;
    for (qsizetype i = 0; i < datagrams.size(); ++i) {
        if (i > 0 && pause > 0)
            QThread::msleep(static_cast<unsigned long>(pause));
        const QByteArray bytes = datagrams[i].toLatin1();
        if (socket.writeDatagram(bytes, address, portNumber) != bytes.size()) {
            std::fprintf(stderr, "tallivue-sim: could not send \"%s\": %s\n", bytes.constData(),
                         qPrintable(socket.errorString()));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
