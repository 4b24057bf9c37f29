// The controller simulator run as a program, its datagrams caught on ports of the test's own.

#include "app/Protocol.h"
#include "tools/sim/GameCycle.h"
#include "tools/sim/RecordFormat.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct TCaught {
    qint64 AtMs;
    QByteArray Bytes;
};

// Takes every datagram on a free port as it arrives, with the time of arrival.
class TCatcher {
public:
    explicit TCatcher(const QHostAddress& on = QHostAddress::LocalHost) {
        Bound = FSocket.bind(on, 0);
        FClock.start();
        QObject::connect(&FSocket, &QUdpSocket::readyRead, [this] {
            while (FSocket.hasPendingDatagrams()) {
                QByteArray bytes(FSocket.pendingDatagramSize(), '\0');
                FSocket.readDatagram(bytes.data(), bytes.size());
                Caught.push_back({FClock.elapsed(), bytes});
            }
        });
    }
    QString Port() const { return QString::number(FSocket.localPort()); }

    bool Bound = false;
    std::vector<TCaught> Caught;

private:
    QUdpSocket FSocket;
    QElapsedTimer FClock;
};

QStringList Texts(const std::vector<TCaught>& caught) {
    QStringList texts;
    for (const TCaught& datagram : caught)
        texts << QString::fromLatin1(datagram.Bytes);
    return texts;
}

struct TRun {
    int ExitCode = -1;
    QString Errors;
    QByteArray Output;
};

// Runs the simulator to its end; the catchers take datagrams meanwhile.
TRun Run(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.start(QStringLiteral(TALLIVUE_SIM), arguments);
    process.write(input);
    process.closeWriteChannel();
    QSignalSpy finished(&process, &QProcess::finished);
    if (!finished.wait(30'000))
        process.kill();
    process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError()),
            process.readAllStandardOutput()};
}

// A port that no socket holds, for a recorder: the system picks it, so that the test never
// meets another on a port of its choosing.
quint16 FreePort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}

// Waits until the recorder says it listens.
bool Listening(QProcess& recorder) {
    QByteArray said;
    QElapsedTimer clock;
    clock.start();
    while (!said.contains("listening") && recorder.state() != QProcess::NotRunning &&
           clock.elapsed() < 10'000) {
        recorder.waitForReadyRead(100);
        said += recorder.readAllStandardError();
    }
    return said.contains("listening");
}

} // namespace

class SimulatorToolTest : public QObject {
    Q_OBJECT

private slots:
    // Exactly the cycles that the seed makes, in order, each at its time at the given speed,
    // and shown as a recording of them.
    void gameSendsTheCyclesOfItsSeedOnTime() {
        TCatcher catcher;
        QVERIFY(catcher.Bound);
        const TGameOptions options{2, 4, 30, "Capture the flag"};
        constexpr double kSpeed = 100;
        const TRun run =
            Run({"game", "-p", catcher.Port(), "--cycles", "2", "--seed", "99", "--speed", "100",
                 "--length", "30", "--teams", "2", "--packs", "4", "--name", "Capture the flag"});
        QCOMPARE(run.ExitCode, 0);
        QTRY_VERIFY(!catcher.Caught.empty() && catcher.Caught.back().Bytes == "MODE,IDLE");

        std::vector<TTimedDatagram> expected;
        TRandom random(99);
        std::int64_t start = 0;
        for (int cycle = 0; cycle < 2; ++cycle) {
            const TGameCycle next = GameCycle(options, random);
            for (const TTimedDatagram& datagram : next.Datagrams)
                expected.push_back({start + datagram.AtMs, datagram.Text});
            start += next.LengthMs;
        }
        expected.push_back({start, std::string(kEndOfDownload)});
        QCOMPARE(catcher.Caught.size(), expected.size());
        const TRecording shown = ParseRecording(run.Output.toStdString());
        QCOMPARE(shown.Datagrams.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(catcher.Caught[i].Bytes.toStdString(), expected[i].Text);
            QCOMPARE(shown.Datagrams[i].Bytes, expected[i].Text);
            const double due = static_cast<double>(expected[i].AtMs) / kSpeed;
            const qint64 came = catcher.Caught[i].AtMs - catcher.Caught[0].AtMs;
            QVERIFY2(std::abs(came - due) <= 100,
                     qPrintable(QStringLiteral("datagram %1 came at %2 ms, due at %3")
                                    .arg(i)
                                    .arg(came)
                                    .arg(due)));
        }
    }

    // Any bytes, recorded until SIGTERM a line at a time, come back in order and spaced as
    // they were sent, halved at speed 2.
    void recordThenReplayKeepsBytesOrderAndSpacing() {
        QByteArray everyByte(256, '\0');
        for (int i = 0; i < 256; ++i)
            everyByte[i] = char(i);
        QByteArray longest(int(kMaxDatagramBytes), '\0');
        for (int i = 0; i < longest.size(); ++i)
            longest[i] = char(i * 7 % 251 + 1);
        const std::vector<std::pair<int, QByteArray>> sends = {
            {0, "MODE,IDLE"},   {150, everyByte},
            {30, QByteArray()}, {250, R"("quoted" \back\)"},
            {0, longest},       {100, "PACKSTATUS,224,192,128"}};

        const QString file = FFolder.filePath(QStringLiteral("arena.txt"));
        const quint16 port = FreePort();
        QProcess recorder;
        recorder.start(QStringLiteral(TALLIVUE_SIM), {"record", "-p", QString::number(port), file});
        QVERIFY(Listening(recorder));
        QUdpSocket sender;
        QElapsedTimer clock;
        clock.start();
        std::vector<qint64> sentAt;
        for (const auto& [gap, bytes] : sends) {
            QTest::qWait(gap);
            sentAt.push_back(clock.elapsed());
            QCOMPARE(sender.writeDatagram(bytes, QHostAddress::LocalHost, port),
                     qint64(bytes.size()));
        }
        // Each line is in the file as soon as its datagram came.
        auto recorded = [&] {
            QFile reading(file);
            return reading.open(QIODevice::ReadOnly) ? reading.readAll() : QByteArray();
        };
        QTRY_COMPARE(ParseRecording(recorded().toStdString()).Datagrams.size(), sends.size());
        recorder.terminate();
        QVERIFY(recorder.waitForFinished());
        QCOMPARE(recorder.exitStatus(), QProcess::NormalExit);
        QCOMPARE(recorder.exitCode(), 0);
        QVERIFY(recorded().endsWith('\n'));

        TCatcher catcher;
        QCOMPARE(Run({"replay", "-p", catcher.Port(), "--speed", "2", "--quiet", file}).ExitCode,
                 0);
        QTRY_COMPARE(catcher.Caught.size(), sends.size());
        for (std::size_t i = 0; i < sends.size(); ++i) {
            QCOMPARE(catcher.Caught[i].Bytes, sends[i].second);
            const double due = (sentAt[i] - sentAt[0]) / 2.0;
            const qint64 came = catcher.Caught[i].AtMs - catcher.Caught[0].AtMs;
            QVERIFY2(std::abs(came - due) <= 50,
                     qPrintable(QStringLiteral("datagram %1 came at %2 ms, due at %3")
                                    .arg(i)
                                    .arg(came)
                                    .arg(due)));
        }
    }

    void recordEndsAtItsCountOrDuration() {
        const QString file = FFolder.filePath(QStringLiteral("three.txt"));
        const quint16 port = FreePort();
        QProcess recorder;
        recorder.start(QStringLiteral(TALLIVUE_SIM), {"record", "-p", QString::number(port),
                                                      "--count", "2", "--duration", "20", file});
        QVERIFY(Listening(recorder));
        QUdpSocket sender;
        for (const char* text : {"one", "two", "three"})
            QCOMPARE(sender.writeDatagram(text, QHostAddress::LocalHost, port),
                     qint64(std::strlen(text)));
        QVERIFY(recorder.waitForFinished(5'000));
        QCOMPARE(recorder.exitCode(), 0);
        QFile reading(file);
        QVERIFY(reading.open(QIODevice::ReadOnly));
        const TRecording recording = ParseRecording(reading.readAll().toStdString());
        QCOMPARE(recording.Datagrams.size(), 2u);
        QCOMPARE(recording.Datagrams[1].Bytes, "two");

        QElapsedTimer clock;
        clock.start();
        QCOMPARE(Run({"record", "-p", QString::number(port), "--duration", "0.3", file}).ExitCode,
                 0);
        QVERIFY(clock.elapsed() >= 300 && clock.elapsed() < 5'000);
    }

    // As the display's own tests and scripts call it: no subcommand, arguments or standard
    // input, an interval between datagrams.
    void sendKeepsItsOldForms() {
        TCatcher catcher;
        QCOMPARE(Run({"-p", catcher.Port(), "--interval", "40", "a", "b"}).ExitCode, 0);
        QCOMPARE(Run({"send", "-p", catcher.Port()}, "c\r\nd\n").ExitCode, 0);
        QTRY_COMPARE(Texts(catcher.Caught), (QStringList{"a", "b", "c", "d"}));
        QVERIFY(catcher.Caught[1].AtMs - catcher.Caught[0].AtMs >= 35);
    }

    // Without the socket's broadcast option the system refuses these addresses.
    void sendsToTheBroadcastAddress() {
        TCatcher catcher(QHostAddress::AnyIPv4);
        const TRun run = Run({"send", "-H", "255.255.255.255", "-p", catcher.Port(), "all"});
        if (run.Errors.contains(QStringLiteral("unreachable")))
            QSKIP("this machine has no route for broadcasts");
        QCOMPARE(run.ExitCode, 0);
        QTRY_COMPARE(Texts(catcher.Caught), QStringList{"all"});
    }

    void badInputFailsClearly_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString port = QString::number(FreePort());
        QTest::newRow("unknown subcommand") << QStringList{"gmae"} << 2 << "unknown subcommand";
        QTest::newRow("port") << QStringList{"send", "-p", "65536", "x"} << 2 << "--port";
        QTest::newRow("address") << QStringList{"send", "-H", "999.1.1.1", "x"} << 2 << "999.1.1.1";
        QTest::newRow("IPv6") << QStringList{"game", "-H", "::1"} << 2 << "IPv4";
        QTest::newRow("teams") << QStringList{"game", "--teams", "4"} << 2 << "--teams";
        QTest::newRow("speed") << QStringList{"replay", "--speed", "0", "f"} << 2 << "--speed";
        QTest::newRow("unreadable")
            << QStringList{"replay", FFolder.filePath("none.txt")} << 1 << "none.txt";
        QTest::newRow("unwritable")
            << QStringList{"record", "-p", port, FFolder.filePath("no/such/folder.txt")} << 1
            << "no/such/folder.txt";
        QTest::newRow("help") << QStringList{"game", "--help"} << 0 << "--cycles";
    }

    void badInputFailsClearly() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QProcess process;
        process.start(QStringLiteral(TALLIVUE_SIM), arguments);
        QVERIFY(process.waitForFinished(10'000));
        QCOMPARE(process.exitCode(), exitCode);
        const QString said = QString::fromLocal8Bit(exitCode == 0 ? process.readAllStandardOutput()
                                                                  : process.readAllStandardError());
        QVERIFY2(said.contains(message), qPrintable(said));
    }

    // The whole file is read first: a malformed last line stops the replay before any datagram.
    void malformedRecordingSendsNothing() {
        const QString file = FFolder.filePath(QStringLiteral("edited.txt"));
        QFile writing(file);
        QVERIFY(writing.open(QIODevice::WriteOnly));
        writing.write("0.000 \"MODE,IDLE\"\n0.100 \"MODE,CALCULATE\"\n0.200 \"bad \\q\"\n");
        writing.close();
        TCatcher catcher;
        const TRun run = Run({"replay", "-p", catcher.Port(), file});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Errors.contains(file + QStringLiteral(":3:")), qPrintable(run.Errors));
        QTest::qWait(100);
        QCOMPARE(catcher.Caught.size(), 0u);
    }

private:
    QTemporaryDir FFolder;
};

QTEST_GUILESS_MAIN(SimulatorToolTest)
#include "SimulatorToolTest.moc"
