#pragma once

// The logon start of a PC without a service manager to watch the display (Windows): this
// program, started with --keep-running, runs the display as a process of its own and starts it
// again whenever it ends other than by its Exit menu (which ends it with status 0): after a
// crash, or when someone ends it in the Task Manager. A display that keeps ending at once is
// started after a pause that doubles each time, up to a minute.

#include <QString>
#include <QStringList>

// Runs `program` with `arguments` until it ends well, and returns 0 then.
int KeepRunning(const QString& program, const QStringList& arguments);

// A display run by the keeper is told, through this variable, a file to make when it ends well:
// a process ended from outside may report status 0 as well (Wine reports it for every kill).
constexpr const char* kEndedWellVariable = "TALLIVUE_ENDED_WELL_FILE";
// The display's end: with `status` 0, tells the keeper it ended well.
void TellKeeperOfEnd(int status);
