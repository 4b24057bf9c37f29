# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads). The whole program
# links the Qt, SDL2 and SDL2_mixer that tools/build-windows-deps.sh builds into
# TALLIVUE_WIN_PREFIX (default ~/.cache/tallivue-win/prefix); the screenless logic needs none.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT TALLIVUE_WIN_PREFIX)
    if(DEFINED ENV{TALLIVUE_WIN_CACHE})
        set(TALLIVUE_WIN_PREFIX $ENV{TALLIVUE_WIN_CACHE}/prefix)
    else()
        set(TALLIVUE_WIN_PREFIX $ENV{HOME}/.cache/tallivue-win/prefix)
    endif()
endif()
set(TALLIVUE_WIN_PREFIX ${TALLIVUE_WIN_PREFIX} CACHE PATH
    "Where tools/build-windows-deps.sh installed Qt, SDL2 and SDL2_mixer for Windows")
set(CMAKE_FIND_ROOT_PATH ${TALLIVUE_WIN_PREFIX} /usr/x86_64-w64-mingw32)
set(CMAKE_PREFIX_PATH ${TALLIVUE_WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Qt's moc, rcc and uic are the build machine's own, of the same version (qt6-base-dev-tools).
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

find_program(WINE64 wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all ${WINE64})
endif()
