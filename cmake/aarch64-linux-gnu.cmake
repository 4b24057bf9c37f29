# Cross-compiles for 64-bit Arm Linux (Raspberry Pi 4 and 5, any arm64 Debian) with Debian's own
# cross compiler, against Debian's arm64 libraries installed beside the build machine's own
# through multiarch (qt6-base-dev:arm64 and the rest, in /usr/lib/aarch64-linux-gnu):
# tools/build-arm64.sh makes a root with all of it. Qt's moc, rcc and uic are the build machine's
# own, of the same version; the pictures and the voice are made on the build machine as always.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# Multiarch has no separate system root: the Arm libraries and their CMake files lie under /usr,
# in their own architecture's folders, which CMake picks through CMAKE_LIBRARY_ARCHITECTURE.
# What must never be found is a build machine's library in the generic folders.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)
set(CMAKE_PREFIX_PATH /usr/lib/aarch64-linux-gnu/cmake)

# pkg-config reads the Arm libraries' .pc files only.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
unset(ENV{PKG_CONFIG_PATH})

set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# The tests run through qemu; binfmt_misc would do it as well, but naming the emulator makes a
# missing one fail at configure time, not as a puzzling "Exec format error" in every test.
find_program(TALLIVUE_QEMU_AARCH64 qemu-aarch64-static qemu-aarch64 NO_CMAKE_FIND_ROOT_PATH)
if(TALLIVUE_QEMU_AARCH64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TALLIVUE_QEMU_AARCH64})
endif()
