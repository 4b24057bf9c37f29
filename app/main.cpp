#include "app/MainU.h"
#include "controls/Fonts.h"

#include <QApplication>
#include <QCommandLineParser>

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
    options.process(application);

    RegisterWineFonts();
    TDownload_Form display;
    display.show();
    return QApplication::exec();
}
