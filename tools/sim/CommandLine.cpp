#include "tools/sim/CommandLine.h"

#include "app/Protocol.h"
#include "tools/sim/Udp.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace {

QString HostHelp(TCommandLine::THostRole role) {
    return role == TCommandLine::THostRole::SendTo
               ? QStringLiteral("Address or host name to send to, a broadcast address such as "
                                "192.168.1.255 too (default 127.0.0.1).")
               : QStringLiteral("Local address to listen on (default 0.0.0.0: every "
                                "interface).");
}

} // namespace

TCommandLine::TCommandLine(QString name, const QString& usage, const QString& description,
                           THostRole role)
    : FName(std::move(name)), FUsage(usage),
      FHelp({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help.")),
      FHost({QStringLiteral("H"), QStringLiteral("host")}, HostHelp(role),
            QStringLiteral("address"),
            role == THostRole::SendTo ? QStringLiteral("127.0.0.1") : QStringLiteral("0.0.0.0")),
      FPort({QStringLiteral("p"), QStringLiteral("port")},
            QStringLiteral("UDP port (default %1).").arg(kDatagramPort), QStringLiteral("port"),
            QString::number(kDatagramPort)) {
    FParser.setApplicationDescription(description);
    FParser.addOptions({FHelp, FHost, FPort});
}

bool TCommandLine::Parse(const QStringList& arguments) {
    // The parser skips its first word, the program's name.
    if (!FParser.parse(QStringList{QStringLiteral("tallivue-sim")} + arguments)) {
        UsageError(FParser.errorText());
        return false;
    }
    if (FParser.isSet(FHelp)) {
        QString help = FParser.helpText();
        help.replace(
            0, help.indexOf(u'\n'),
            QStringLiteral("Usage: tallivue-sim %1 [options] %2").arg(FName, FUsage).trimmed());
        std::fputs(qPrintable(help), stdout);
        FExitCode = 0;
        return false;
    }
    return true;
}

bool TCommandLine::Integer(const QCommandLineOption& option, long long lowest, long long highest,
                           long long& value) {
    bool ok = false;
    value = FParser.value(option).toLongLong(&ok);
    if (ok && value >= lowest && value <= highest)
        return true;
    UsageError(QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"")
                   .arg(option.names().constLast())
                   .arg(lowest)
                   .arg(highest)
                   .arg(FParser.value(option)));
    return false;
}

bool TCommandLine::Number(const QCommandLineOption& option, double lowest, double highest,
                          double& value) {
    bool ok = false;
    value = FParser.value(option).toDouble(&ok);
    if (ok && std::isfinite(value) && value >= lowest && value <= highest)
        return true;
    UsageError(QStringLiteral("--%1 takes a number from %2 to %3, not \"%4\"")
                   .arg(option.names().constLast())
                   .arg(lowest)
                   .arg(highest)
                   .arg(FParser.value(option)));
    return false;
}

bool TCommandLine::Address(sockaddr_in& address) {
    long long port = 0;
    if (!Integer(FPort, 1, 65535, port))
        return false;
    std::string error;
    if (ResolveIPv4(FParser.value(FHost).toStdString(), static_cast<std::uint16_t>(port), address,
                    error))
        return true;
    UsageError(QString::fromStdString(error));
    return false;
}

QString TCommandLine::AddressText() const {
    return FParser.value(FHost) + u':' + FParser.value(FPort);
}

int TCommandLine::UsageError(const QString& message) {
    std::fprintf(stderr, "tallivue-sim %s: %s\nTry \"tallivue-sim %s --help\".\n",
                 qPrintable(FName), qPrintable(message), qPrintable(FName));
    FExitCode = kExitUsage;
    return kExitUsage;
}

int TCommandLine::Failure(const std::string& message) const {
    std::fprintf(stderr, "tallivue-sim %s: %s\n", qPrintable(FName), message.c_str());
    return kExitFailed;
}
