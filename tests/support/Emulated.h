#pragma once

#include <QTest>
#include <QtGlobal>

// The Arm build's tests run on an amd64 machine through qemu-user, as the build tells them in
// TALLIVUE_UNDER_QEMU. There the process's resident memory holds the emulator's cache of
// translated code too, which grows with every code path run for the first time, so a test's
// bound on the program's memory does not apply, and code run the first time is many times slower.
inline bool UnderQemu() {
    return qEnvironmentVariableIsSet("TALLIVUE_UNDER_QEMU");
}

// qemu-user refuses the clone() flags QProcess starts a program with: a case that needs another
// program (ImageMagick to make its GIFs, lame its .mp3) is skipped there rather than failing for
// the emulator's sake. The package check runs the Arm program where it can.
#define SKIP_WITHOUT_CHILD_PROGRAMS()                                                              \
    do {                                                                                           \
        if (UnderQemu())                                                                           \
            QSKIP("this emulator cannot start other programs");                                    \
    } while (false)
