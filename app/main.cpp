#include "app/DisplayRules.h"
#include "app/KeepRunning.h"
#include "app/MainU.h"
#include "app/ServiceWatchdog.h"
#include "controls/Fonts.h"
#include "settings/Platform.h"
#ifdef TALLIVUE_FRONT_DESK
#include "web/SetWebPassword.h"
#include "web/WebService.h"
#endif

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// The options, declared once for both readings of the command line.
struct TCommandLine {
    QCommandLineParser Parser;
    const QCommandLineOption Screenshot{
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the display to <file> (PNG) and end."),
        QStringLiteral("file")};
    const QCommandLineOption After{
        QStringLiteral("after"),
        QStringLiteral("With --screenshot: how long to run first, in seconds (default 3)."),
        QStringLiteral("seconds"), QStringLiteral("3")};
    const QCommandLineOption Scale{
        QStringLiteral("scale"),
        QStringLiteral("Show everything <factor> times as large (1 to 8), or with \"auto\" as "
                       "large as on a 1920x1080 screen, unless the desktop or QT_SCALE_FACTOR "
                       "already sets a scale."),
        QStringLiteral("factor")};
    const QCommandLineOption KeepRunning{
        QStringLiteral("keep-running"),
        QStringLiteral("Run the display, with the other options given, and start it again "
                       "whenever it ends other than by its Exit menu (the logon start on "
                       "Windows).")};
    const QCommandLineOption SetPassword{
        QStringLiteral("set-web-password"),
        QStringLiteral("Set the password of the front desk's settings page (asked twice, or read "
                       "from standard input) and end.")};
#ifdef _WIN32
    const QCommandLineOption PrepareSettings{
        QStringLiteral("prepare-settings"),
        QStringLiteral("As an administrator: take over the settings an older 32-bit display left "
                       "on this PC, let every user save the settings, and end. The installer "
                       "runs this.")};
#endif

    TCommandLine() {
        QCoreApplication::setApplicationName(QStringLiteral("Tallivue"));
        QCoreApplication::setApplicationVersion(QStringLiteral(TALLIVUE_VERSION));
        Parser.setApplicationDescription(QStringLiteral(
            "Laser-tag arena display: shows what the game controller sends to UDP port 12001."));
        Parser.addHelpOption();
        Parser.addVersionOption();
        Parser.addOptions({Screenshot, After, Scale, KeepRunning});
#ifdef TALLIVUE_FRONT_DESK
        Parser.addOption(SetPassword);
#endif
#ifdef _WIN32
        Parser.addOption(PrepareSettings);
#endif
    }
};

// --help and --version are answered, and the scale read, by a plain core application before
// any window system is asked for, so that they work over SSH too. Qt's own options (-platform
// and the like) are known only to the GUI application, which reads the command line again.
QString EarlyOptions(int& argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    TCommandLine line;
    line.Parser.parse(QCoreApplication::arguments());
    if (line.Parser.isSet(QStringLiteral("help")) || line.Parser.isSet(QStringLiteral("help-all")))
        line.Parser.showHelp();
    if (line.Parser.isSet(QStringLiteral("version")))
        line.Parser.showVersion();
#ifdef _WIN32
    if (line.Parser.isSet(line.PrepareSettings)) {
        std::string error;
        if (PrepareSettingsForAllUsers(error))
            std::exit(0);
        std::fprintf(stderr, "tallivue: %s\n", error.c_str());
        std::exit(1);
    }
#endif
#ifdef TALLIVUE_FRONT_DESK
    if (line.Parser.isSet(line.SetPassword))
        std::exit(SetWebPassword());
#endif
    if (line.Parser.isSet(line.KeepRunning)) {
        QStringList arguments = QCoreApplication::arguments().mid(1);
        arguments.removeAll(QStringLiteral("--keep-running"));
        std::exit(KeepRunning(QCoreApplication::applicationFilePath(), arguments));
    }
    const QString scale = line.Parser.value(line.Scale);
    bool factorOk = false;
    const double factor = scale.toDouble(&factorOk);
    if (line.Parser.isSet(line.Scale) && scale != QStringLiteral("auto") &&
        (!factorOk || factor < 1 || factor > 8)) {
        std::fprintf(stderr, "tallivue: --scale takes \"auto\" or a factor from 1 to 8\n");
        std::exit(2);
    }
    return scale;
}

// Qt reads the scale when the application starts, so a screen has to be measured by an
// application of its own first.
void ApplyScale(const QString& scale, int& argc, char* argv[]) {
    if (scale.isEmpty() || qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ||
        qEnvironmentVariableIsSet("QT_SCREEN_SCALE_FACTORS"))
        return;
    if (scale != QStringLiteral("auto")) {
        qputenv("QT_SCALE_FACTOR", scale.toLatin1());
        return;
    }
    int factor = 1;
    {
        QGuiApplication probe(argc, argv);
        const QScreen* screen = QGuiApplication::primaryScreen();
        // A desktop that scales already has its reasons.
        if (screen && screen->devicePixelRatio() == 1)
            factor = AutoScaleFactor(screen->geometry().width(), screen->geometry().height());
    }
    if (factor > 1)
        qputenv("QT_SCALE_FACTOR", QByteArray::number(factor));
}

} // namespace

int main(int argc, char* argv[]) {
    ApplyScale(EarlyOptions(argc, argv), argc, argv);

    QApplication application(argc, argv);
    TCommandLine line;
    line.Parser.process(application);
    bool secondsOk = false;
    const double seconds = line.Parser.value(line.After).toDouble(&secondsOk);
    if (line.Parser.isSet(line.Screenshot) && (!secondsOk || seconds < 0 || seconds > 86400)) {
        std::fprintf(stderr, "tallivue: --after takes a number of seconds from 0 to 86400\n");
        return 2;
    }

    PrepareFaces();
    TDownload_Form display;
#ifdef TALLIVUE_FRONT_DESK
    // Off until the settings name a port; it follows every reading of the settings.
    TWebService frontDesk(display);
    QObject::connect(&display, &TDownload_Form::BoardChanged, &frontDesk, [&frontDesk, &display] {
        frontDesk.Configure(display.Settings());
        frontDesk.BoardChanged();
    });
#endif
    display.show();
#ifdef TALLIVUE_FRONT_DESK
    frontDesk.Configure(display.Settings());
#endif
    // Ready once the loop runs, the window mapped by then.
    TServiceWatchdog watchdog;
    QTimer::singleShot(0, &watchdog, &TServiceWatchdog::Ready);
    if (line.Parser.isSet(line.Screenshot)) {
        const QString file = line.Parser.value(line.Screenshot);
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
    const int status = QApplication::exec();
    TellKeeperOfEnd(status);
    return status;
}
