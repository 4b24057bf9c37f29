// A stand-in for the arena's game controller, for trying a display without one: sends
// datagrams by hand, plays whole arena cycles, and records the real controller to replay later.

#include "tools/sim/Commands.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cstdio>

namespace {

const char kHelp[] =
    "Usage: tallivue-sim SUBCOMMAND [options] [arguments]\n"
    "Stands in for the arena's game controller: sends the datagrams a Tallivue display listens\n"
    "for on UDP port 12001, to 127.0.0.1 unless --host names another address.\n"
    "\n"
    "Subcommands:\n"
    "  send TEXT...   Sends each TEXT, or each line of standard input, as one datagram.\n"
    "  game           Plays whole arena cycles: idle, a game counting down, calculating, and the\n"
    "                 packs' download.\n"
    "  record FILE    Writes every datagram arriving on the port to FILE, with its time.\n"
    "  replay FILE    Sends a recording again, spaced as it was recorded.\n"
    "\n"
    "\"tallivue-sim SUBCOMMAND --help\" lists a subcommand's options. Arguments that do not\n"
    "start with a subcommand are sent as \"send\" sends them:\n"
    "  tallivue-sim MODE,IDLE\n"
    "  tallivue-sim --interval 500 PACKSTATUS,32 PACKSTATUS,64\n";

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tallivue-sim"));
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString first = arguments.value(0);

    if (first == u"-h" || first == u"--help" || first == u"help") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (first == u"send")
        return RunSend(arguments.mid(1));
    if (first == u"game")
        return RunGame(arguments.mid(1));
    if (first == u"record")
        return RunRecord(arguments.mid(1));
    if (first == u"replay")
        return RunReplay(arguments.mid(1));
    // The controller's words are capitals and commas; a lower-case word is a mistyped
    // subcommand, which would otherwise go out as a datagram unnoticed.
    static const QRegularExpression subcommandLike(QStringLiteral("^[a-z][a-z-]*$"));
    if (subcommandLike.match(first).hasMatch()) {
        std::fprintf(stderr,
                     "tallivue-sim: unknown subcommand \"%s\"; the subcommands are send, game, "
                     "record and replay.\n\"tallivue-sim send %s\" sends it as a datagram.\n",
                     qPrintable(first), qPrintable(first));
        return 2;
    }
    return RunSend(arguments);
}
