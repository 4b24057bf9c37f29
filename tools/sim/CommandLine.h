#pragma once

// A subcommand's command line: Qt's parser with the options every subcommand shares, checks of
// the values with messages that name the option, and the exit codes: 0 done, 1 failed while
// working, 2 wrong arguments.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <netinet/in.h>

#include <cstdint>
#include <string>

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

class TCommandLine {
public:
    enum class THostRole { SendTo, ListenOn };

    // `usage` follows "tallivue-sim NAME [options]" on the help's first line.
    TCommandLine(QString name, const QString& usage, const QString& description, THostRole role);

    void AddOption(const QCommandLineOption& option) { FParser.addOption(option); }
    void AddArgument(const QString& name, const QString& description) {
        FParser.addPositionalArgument(name, description);
    }

    // False when the subcommand is to end at once with ExitCode(): its help was asked for, or
    // the arguments are wrong (said on standard error).
    bool Parse(const QStringList& arguments);
    int ExitCode() const { return FExitCode; }

    bool IsSet(const QCommandLineOption& option) const { return FParser.isSet(option); }
    QString Value(const QCommandLineOption& option) const { return FParser.value(option); }
    QStringList Arguments() const { return FParser.positionalArguments(); }

    // The option's value in the range, else a message and false.
    bool Integer(const QCommandLineOption& option, long long lowest, long long highest,
                 long long& value);
    bool Number(const QCommandLineOption& option, double lowest, double highest, double& value);
    // --host and --port.
    bool Address(sockaddr_in& address);
    // --host and --port as given, for messages.
    QString AddressText() const;

    // Say what is wrong on standard error, prefixed with the subcommand, and give the exit code.
    int UsageError(const QString& message);
    int Failure(const std::string& message) const;

private:
    QString FName;
    QString FUsage;
    QCommandLineParser FParser;
    QCommandLineOption FHelp;
    QCommandLineOption FHost;
    QCommandLineOption FPort;
    int FExitCode = 0;
};
