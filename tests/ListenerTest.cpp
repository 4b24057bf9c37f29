#include "app/Listener.h"
#include "app/MainU.h"
#include "app/StateKeeper.h"
#include "controls/StatusGrid.h"
#include "support/CapturedStderr.h"
#include "support/RecordingReporter.h"

#include <QFile>
#include <QHostAddress>
#include <QLabel>
#include <QMessageBox>
#include <QUdpSocket>
#include <QtTest>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void Send(const QByteArray& datagram) {
    QUdpSocket socket;
    QCOMPARE(socket.writeDatagram(datagram, QHostAddress::LocalHost, kDatagramPort),
             qint64(datagram.size()));
}

// Sends datagrams and waits until the display has read them all; the display handles each one
// as it reads it.
void SendAndWait(TDownload_Form& display, const QList<QByteArray>& datagrams) {
    const auto before = display.Listener->Received();
    for (const QByteArray& datagram : datagrams)
        Send(datagram);
    QTRY_COMPARE(display.Listener->Received(), before + datagrams.size());
}

void SendAndWait(TDownload_Form& display, const QByteArray& datagram) {
    SendAndWait(display, QList<QByteArray>{datagram});
}

// A socket on port 12001 that does not share the address, as another program may hold it.
class PortBlocker {
public:
    PortBlocker() {
        FSocket = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(kDatagramPort);
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        Bound = ::bind(FSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~PortBlocker() { ::close(FSocket); }
    bool Bound = false;

private:
    int FSocket = -1;
};

} // namespace

class ListenerTest : public QObject {
    Q_OBJECT

private slots:
    // Each case starts with nothing kept by the display of the case before.
    void init() { QFile::remove(StateFilePath()); }
    void datagramsOverLoopbackChangeTheGrid() {
        RecordingReporter reporter;
        TDownload_Form display;
        QVERIFY(display.Listener->SocketReady());
        QVERIFY(reporter.Messages.isEmpty());

        Send("PACKSTATUS,160,0,64,128");
        QTRY_COMPARE(display.StatusGrid1->GetPackState(1, 1), psPlayed);
        QCOMPARE(display.StatusGrid1->GetPackState(2, 1), psNotInUse);
        QCOMPARE(display.StatusGrid1->GetPackState(3, 1), psDownloaded);
        QCOMPARE(display.StatusGrid1->GetPackState(1, 2), psInUse);

        // Packs a message does not list keep their states.
        SendAndWait(display, "PACKSTATUS,32");
        QCOMPARE(display.StatusGrid1->GetPackState(3, 1), psDownloaded);
        QCOMPARE(display.StatusGrid1->GetPackState(1, 2), psInUse);
    }

    void datagramsAreHandledInTheOrderSent() {
        TDownload_Form display;
        QList<QByteArray> datagrams;
        for (int i = 0; i < 40; ++i)
            datagrams << (i % 2 ? "PACKSTATUS,32,0,0,128" : "PACKSTATUS,64,0,0,0");
        datagrams << "PACKSTATUS,$40,$20";
        SendAndWait(display, datagrams);
        QCOMPARE(display.StatusGrid1->GetPackState(1, 1), psDownloaded);
        QCOMPARE(display.StatusGrid1->GetPackState(2, 1), psPlayed);
        QCOMPARE(display.StatusGrid1->GetPackState(1, 2), psInUse);
    }

    void otherMessagesChangeNoPack() {
        TDownload_Form display;
        SendAndWait(display, "PACKSTATUS,32,32,32");
        SendAndWait(display,
                    {"packstatus,0,0,0", "PACKSTATUS", "", "MODE", "MODE,IDLE", "SCORES,0,0,0",
                     " PACKSTATUS ,", QByteArray("\0PACKSTATUS,0,0,0", 17)});
        for (int team = 1; team <= 3; ++team)
            QCOMPARE(display.StatusGrid1->GetPackState(team, 1), psPlayed);
    }

    void aLongDatagramIsCutAfter999Bytes() {
        TDownload_Form display;
        // Field 1 sets team 1 pack 1. Blanks carry field 2 to bytes 997..999, so only "16" of
        // its "160" survives the cut, and field 3, after the cut, is lost.
        QByteArray datagram = "PACKSTATUS,32,";
        datagram += QByteArray(997 - datagram.size(), ' ');
        datagram += "160,32";
        datagram += QByteArray(1200 - datagram.size(), ' ');
        QCOMPARE(datagram.size(), 1200);
        SendAndWait(display, "PACKSTATUS,0,128,128");
        SendAndWait(display, datagram);
        QCOMPARE(display.StatusGrid1->GetPackState(1, 1), psPlayed);
        QCOMPARE(display.StatusGrid1->GetPackState(2, 1), psNotInUse); // 16, not 160
        QCOMPARE(display.StatusGrid1->GetPackState(3, 1), psInUse);    // never arrived

        // A zero byte ends the text.
        SendAndWait(display, QByteArray("PACKSTATUS,0,0\0,0", 17));
        QCOMPARE(display.StatusGrid1->GetPackState(1, 1), psNotInUse);
        QCOMPARE(display.StatusGrid1->GetPackState(3, 1), psInUse);
    }

    void theGridGrowsForPacksInUseUpToTwenty() {
        TDownload_Form display;
        TStatusGrid& grid = *display.StatusGrid1;
        QCOMPARE(grid.PacksPerTeam(), 6);

        // Field 19 is team 1 pack 7: not in use, no growth.
        SendAndWait(display, "PACKSTATUS" + QByteArray(",0").repeated(18) + ",0");
        QCOMPARE(grid.PacksPerTeam(), 6);
        SendAndWait(display, "PACKSTATUS" + QByteArray(",0").repeated(18) + ",128");
        QCOMPARE(grid.PacksPerTeam(), 7);
        QCOMPARE(grid.width(), display.width());

        // Pack 21 and beyond: no state, and no growth past the 20 packs the grid holds.
        SendAndWait(display, "PACKSTATUS" + QByteArray(",0").repeated(60) + ",32,32,32,128");
        QCOMPARE(grid.PacksPerTeam(), 7);
        SendAndWait(display, "PACKSTATUS" + QByteArray(",128").repeated(90));
        QCOMPARE(grid.PacksPerTeam(), 20);
        QCOMPARE(grid.GetPackState(1, 20), psInUse);
    }

    void suspendedDatagramsWaitForReArming() {
        TDownload_Form display;
        display.Listener->Suspend();
        QVERIFY(!display.Listener->Armed());
        Send("PACKSTATUS,32");
        QTest::qWait(200);
        QCOMPARE(display.StatusGrid1->GetPackState(1, 1), psNotInUse);
        display.Listener->Arm();
        QTRY_COMPARE(display.StatusGrid1->GetPackState(1, 1), psPlayed);
    }

    void aTakenPortIsReportedOnceAndTheDisplayGoesOn() {
        PortBlocker blocker;
        QVERIFY(blocker.Bound);
        RecordingReporter reporter;
        TDownload_Form display;
        QCOMPARE(reporter.Messages,
                 QStringList{
                     QStringLiteral(
                         "Socket error %1 occurred.\nNote that Tallivue will _not_ run on the same "
                         "machine as Game Control Centre.")
                         .arg(EADDRINUSE)});
        QVERIFY(display.Listener->SocketReady());
        QVERIFY(display.Listener->Armed());
        QVERIFY(display.Listener->Receive().empty());
        display.FormActivate(); // which does not tell it again

        // Closing still closes the socket, once.
        display.close();
        QVERIFY(!display.Listener->SocketReady());
        display.Listener->Close();
        QCOMPARE(reporter.Messages.size(), 1);
    }

    // Nobody reads the box on an unattended display: the journal gets the message too.
    void aTakenPortIsWrittenToStandardErrorToo() {
        PortBlocker blocker;
        QVERIFY(blocker.Bound);
        const TCapturedStderr journal;
        {
            TDownload_Form display;
            QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
            QApplication::activeModalWidget()->close();
        }
        QCOMPARE(QString::fromStdString(journal.Text()),
                 QStringLiteral("tallivue: Socket error %1 occurred. Note that Tallivue will _not_ "
                                "run on the same machine as Game Control Centre.\n")
                     .arg(EADDRINUSE));
    }

    void aSocketThatCannotBeCreatedIsReported() {
        // With no descriptors left to this process, the socket cannot be created.
        rlimit limits{};
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &limits), 0);
        const rlimit none{0, limits.rlim_max};
        RecordingReporter reporter;
        TListener listener;
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &none), 0);
        listener.Open();
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &limits), 0);

        QCOMPARE(reporter.Messages.size(), 1);
        QVERIFY(reporter.Messages[0].startsWith(
            QStringLiteral("Socket error %1 occurred.\n").arg(EMFILE)));
        QVERIFY(!listener.SocketReady());
        QVERIFY(!listener.Armed());
        QVERIFY(listener.Receive().empty());
        listener.Close();
    }

    // A second display on the machine shares the port without a word. A datagram sent to the
    // machine reaches the display started last alone, and the first again once that one is gone;
    // a program that wants the port to itself cannot have it meanwhile.
    void twoDisplaysShareThePort() {
        RecordingReporter reporter;
        TDownload_Form first;
        auto second = std::make_unique<TDownload_Form>();
        QVERIFY(reporter.Messages.isEmpty());
        QVERIFY(!PortBlocker().Bound);
        Send("MODE,SECOND");
        QTRY_COMPARE(second->laMode->text(), QString("SECOND"));
        QCOMPARE(first.laMode->text(), QString("Offline"));
        second.reset();
        Send("MODE,FIRST");
        QTRY_COMPARE(first.laMode->text(), QString("FIRST"));
    }

    void closingReleasesThePort() {
        {
            TDownload_Form display;
            display.close();
        }
        PortBlocker blocker;
        QVERIFY(blocker.Bound);
    }
};

QTEST_MAIN(ListenerTest)
#include "ListenerTest.moc"
