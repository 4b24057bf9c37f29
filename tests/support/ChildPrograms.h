#pragma once

#include <QTest>
#include <QtGlobal>

// The Arm build's tests run on an amd64 machine through qemu-user, which refuses the clone()
// flags QProcess starts a program with: there a case that needs another program (ImageMagick to
// make its GIFs, lame its .mp3, the simulator) is skipped, as the build tells it, rather than
// failing for the emulator's sake. The package check runs the Arm program where it can.
#define SKIP_WITHOUT_CHILD_PROGRAMS()                                                              \
    do {                                                                                           \
        if (qEnvironmentVariableIsSet("TALLIVUE_NO_CHILD_PROGRAMS"))                               \
            QSKIP("this emulator cannot start other programs");                                    \
    } while (false)
