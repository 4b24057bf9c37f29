#pragma once

// The subcommands, each given the words after its name; each returns the exit code.

#include <QStringList>

int RunSend(const QStringList& arguments);
int RunGame(const QStringList& arguments);
int RunRecord(const QStringList& arguments);
int RunReplay(const QStringList& arguments);
