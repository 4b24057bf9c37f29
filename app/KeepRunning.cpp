#include "app/KeepRunning.h"

#include "core/MessageLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <algorithm>

namespace {

// A display that ran this long was not failing at its start.
constexpr qint64 kSettledMs = 60'000;
constexpr int kLongestPauseS = 60;

} // namespace

void TellKeeperOfEnd(int status) {
    const QString file = qEnvironmentVariable(kEndedWellVariable);
    if (status == 0 && !file.isEmpty()) {
        QFile ended(file);
        (void)ended.open(QIODevice::WriteOnly);
    }
}

int KeepRunning(const QString& program, const QStringList& arguments) {
    const QString endedWell = QDir::temp().filePath(
        QStringLiteral("tallivue-ended-well-%1").arg(QCoreApplication::applicationPid()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kEndedWellVariable), endedWell);
    int pauseS = 1;
    for (;;) {
        QFile::remove(endedWell);
        QProcess display;
        display.setProcessEnvironment(environment);
        display.setProcessChannelMode(QProcess::ForwardedChannels);
        display.setInputChannelMode(QProcess::ForwardedInputChannel);
        QElapsedTimer ran;
        ran.start();
        display.start(program, arguments);
        QString ending;
        if (!display.waitForStarted(-1)) {
            ending = QStringLiteral("could not be started (%1)").arg(display.errorString());
        } else {
            display.waitForFinished(-1);
            const bool statusZero =
                display.exitStatus() == QProcess::NormalExit && display.exitCode() == 0;
            if (statusZero && QFile::remove(endedWell))
                return 0;
            ending = statusZero || display.exitStatus() == QProcess::CrashExit
                         ? QStringLiteral("crashed or was ended")
                         : QStringLiteral("ended with status %1").arg(display.exitCode());
        }
        if (ran.elapsed() >= kSettledMs)
            pauseS = 1;
        LogLine(QStringLiteral("the display %1; it starts again in %2 s")
                    .arg(ending)
                    .arg(pauseS)
                    .toStdString());
        QThread::sleep(static_cast<unsigned long>(pauseS));
        pauseS = std::min(pauseS * 2, kLongestPauseS);
    }
}
