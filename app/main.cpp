#include "app/MainU.h"
#include "controls/Fonts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallivue"));
    QApplication::setApplicationVersion(QStringLiteral(TALLIVUE_VERSION));

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Laser-tag arena display: shows what the game controller sends to UDP port "
                       "12001."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the display to <file> (PNG) and end."),
        QStringLiteral("file"));
    const QCommandLineOption after(
        QStringLiteral("after"),
        QStringLiteral("With --screenshot: how long to run first, in seconds (default 3)."),
        QStringLiteral("seconds"), QStringLiteral("3"));
    options.addOptions({screenshot, after});
    options.process(application);

    bool secondsOk = false;
    const double seconds = options.value(after).toDouble(&secondsOk);
    if (options.isSet(screenshot) && (!secondsOk || seconds < 0 || seconds > 86400)) {
        std::fprintf(stderr, "tallivue: --after takes a number of seconds from 0 to 86400\n");
        return 2;
    }

    RegisterWineFonts();
    TDownload_Form display;
    display.show();
    if (options.isSet(screenshot)) {
        const QString file = options.value(screenshot);
        QTimer::singleShot(static_cast<int>(seconds * 1000), &display, [&display, file] {
            // The window's own drawing, not the screen's: boxes over it stay out of the picture.
            if (!display.grab().save(file, "PNG")) {
                std::fprintf(stderr, "tallivue: the picture could not be saved to %s\n",
                             qPrintable(file));
                QApplication::exit(1);
                return;
            }
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
