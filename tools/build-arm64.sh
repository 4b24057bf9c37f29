#!/usr/bin/env bash
# Builds Tallivue for 64-bit Arm (a Raspberry Pi 4 or 5, any arm64 Debian) on this amd64
# machine, and makes its Debian package: the source tree is copied into a fresh root of the
# release SUITE (bookworm for Debian 12, trixie for Debian 13), which gets Debian's cross
# compiler and the arm64 libraries beside its own through multiarch, and the same CMake files
# build there with cmake/aarch64-linux-gnu.cmake. Qt's moc, rcc and uic, the pictures and the
# voice come from the build machine's side. The package, tallivue_<version>_arm64.deb, and the
# build's logs end up in OUT_DIR (default build-arm64/SUITE in the source tree).
#
# --test also runs the tests through qemu (qemu-user-static), in a network of its own: the
# logic's and the Qt tests drawn off-screen. The Arm program itself is checked where it is to
# run, in an arm64 root: tests/package/arm64_check.sh.
#
# Needs root (it makes a chroot) and Debian's mirrors; the roots' base systems and packages are
# kept in ~/.cache/tallivue-chroot (tests/package/chroot.sh), the compiler's objects in
# ~/.cache/tallivue-ccache, so that a second build takes minutes.
# Usage: build-arm64.sh SUITE [--test] [SOURCE_DIR [OUT_DIR]]
set -euo pipefail

check_name=build-arm64
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/package/chroot.sh
source "$here/../tests/package/chroot.sh"
(($# >= 1)) || fail "usage: build-arm64.sh SUITE [--test] [SOURCE_DIR [OUT_DIR]]"
suite=$1
shift
run_tests=0
if [ "${1:-}" = --test ]; then
    run_tests=1
    shift
fi
tree=$(cd "${1:-$here/..}" && pwd) || fail "no source folder ${1:-}"
[ -f "$tree/cmake/aarch64-linux-gnu.cmake" ] || fail "$tree is not the top of a Tallivue source tree"
out=$(realpath -m "${2:-$tree/build-arm64/$suite}")
logs=$out # where step puts its logs
mkdir -p "$out"
started=$SECONDS

# The build's packages: the cross compiler and the Arm libraries with their headers, next to the
# build machine's Qt (its tools, and the CMake files that find them), and what makes the
# pictures and the voice. The test programs run through qemu, with the fonts, sounds and
# soundfont the tests draw and play.
arm_packages=(qt6-base-dev libgl-dev qt6-httpserver-dev qt6-websockets-dev libsdl2-mixer-dev
    libsystemd-dev libxcb-dpms0-dev libfluidsynth3)
host_packages=(crossbuild-essential-arm64 cmake make pkg-config ccache qt6-base-dev
    qt6-base-dev-tools googletest espeak-ng sox imagemagick fonts-wine fonts-liberation2
    fonts-roboto-unhinted fluid-soundfont-gm lame file dpkg-dev qemu-user-static)

qemu_ready
make_root "$suite"
echo "== Copying the source tree (the files git knows) into $root/src"
mkdir "$root/src"
git -C "$tree" ls-files -z | tar -C "$tree" --null -T - -cf - | tar -C "$root/src" -xf -
# The objects of earlier builds, by the same paths inside the root.
ccache_dir=$HOME/.cache/tallivue-ccache
mkdir -p "$ccache_dir" "$root/ccache"
mount --bind "$ccache_dir" "$root/ccache"

in_root dpkg --add-architecture arm64
in_root apt-get update -qq >/dev/null || fail "apt-get update failed in the root"
step "Installing the cross compiler and the arm64 libraries" install.log \
    in_root apt-get install -y --no-install-recommends "${host_packages[@]}" \
    "${arm_packages[@]/%/:arm64}"

build=(env CCACHE_DIR=/ccache CCACHE_BASEDIR=/src CCACHE_MAXSIZE=8G
    CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache ${CI:+CI=$CI})
tests=OFF
((run_tests)) && tests=ON
step "Building for arm64" build.log in_root "${build[@]}" sh -c "cd /src &&
    cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
        -DBUILD_TESTING=$tests && cmake --build build-arm64 -j2"
if ((run_tests)); then
    step "The tests through qemu" test.log in_root_offline sh -c \
        'cd /src && ctest --test-dir build-arm64 --output-on-failure -j2'
    grep -E '^[0-9]+% tests passed' "$out/test.log"
fi
step "Making the package" package.log in_root "${build[@]}" sh -c \
    'cd /src && cmake --build build-arm64 --target package'
deb=$(ls "$root"/src/build-arm64/tallivue_*_arm64.deb) || fail "the build made no arm64 package"
rm -f "$out"/tallivue_*_arm64.deb
cp "$deb" "$out/"
in_root dpkg-deb -f "/src/build-arm64/$(basename "$deb")" Depends >"$out/depends.txt"
echo "PASS: $out/$(basename "$deb") ($(du -k "$deb" | cut -f1) KiB) for Debian $suite arm64," \
    "depending on: $(cat "$out/depends.txt") ($((SECONDS - started)) s)"
