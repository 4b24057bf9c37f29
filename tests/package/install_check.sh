#!/usr/bin/env bash
# The Debian package on a bare Debian: built at the top of SOURCE_DIR into build/ by the README's
# own package command, as a new user builds it, and installed with apt-get into a fresh minimal
# chroot, so that what it declares is all it gets. There its programs must find every library
# they link, and its copyright and user guide must be in place; then the display is started
# through /usr/bin/tallivue under Xvfb and fed a game by the packaged simulator
# (installed_display.sh: the title and background must show, the download must be heard), with
# the game's screen saved to SCREENSHOT. The desktop entries and the systemd unit it ships are
# checked there too, by the tools that read them.
#
# The release is this machine's, Debian 12 (bookworm), unless TALLIVUE_SUITE names another;
# a package built elsewhere, on that release, is given as TALLIVUE_DEB and not built here. Roots
# and their cache: chroot.sh.
#
# TALLIVUE_ARCH=arm64 checks an Arm package (tools/build-arm64.sh makes it; give it as
# TALLIVUE_DEB) in an arm64 root, where every program, X server and tool included, runs through
# qemu; there the display is started as the kiosk starts it, by the xinitrc the package ships
# (installed_display.sh), with the clock shown.
# Usage: install_check.sh SOURCE_DIR SCREENSHOT
set -euo pipefail

check_name=install_check
suite=${TALLIVUE_SUITE:-bookworm}
arch=${TALLIVUE_ARCH:-$(dpkg --print-architecture)}
# shellcheck source=tests/package/chroot.sh
source "$(dirname "$0")/chroot.sh"
(($# == 2)) || fail "usage: install_check.sh SOURCE_DIR SCREENSHOT"
tree=$(cd "$1" && pwd) || fail "no source folder $1"
[ -f "$tree/README.md" ] && [ -f "$tree/tests/package/installed_display.sh" ] ||
    fail "$tree is not the top of a Tallivue source tree"
build=$tree/build
shot=$(realpath -m "$2")
started=$SECONDS

[ "$arch" = "$(dpkg --print-architecture)" ] || [ -n "${TALLIVUE_DEB:-}" ] ||
    fail "a package for $arch is not built here: make it with tools/build-arm64.sh, name it in TALLIVUE_DEB"
if [ -n "${TALLIVUE_DEB:-}" ]; then
    deb=$(realpath "$TALLIVUE_DEB") || fail "no package $TALLIVUE_DEB"
else
# The command of the README's "Installing" section, read from it rather than copied, so that
# what a new user runs is what is checked.
package_command=$(awk '/^ *bash tools\/install-deps\.sh .*--target package$/ {
    sub(/^ +/, ""); print; exit }' "$tree/README.md")
[ -n "$package_command" ] || fail "no package command in $tree/README.md"
echo "== Building the package in $tree: $package_command"
mkdir -p "$build"
# A package left by an earlier build must not stand in for one this build failed to make.
rm -f "$build"/tallivue_*.deb
log=$build/install_check-package.log
(cd "$tree" && bash -c "$package_command") >"$log" 2>&1 ||
    fail "building the package failed: see $log"
deb=$(ls "$build"/tallivue_*.deb 2>/dev/null | head -n 1)
[ -f "$deb" ] || fail "cpack made no package in $build"
fi

make_root "$suite" "$arch"
cp "$deb" "$root/tmp/"
# The check and the X server it starts, where it looks for that.
mkdir -p "$root/tmp/tests/package" "$root/tmp/tools"
cp "$tree/tools/xserver.sh" "$root/tmp/tools/"
cp "$tree/tests/package/installed_display.sh" "$root/tmp/tests/package/"

echo "== Installing $(basename "$deb") with apt-get: its dependencies, and nothing it recommends"
in_root apt-get update -qq || fail "apt-get update failed in the chroot"
in_root apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" \
    >"$root/tmp/apt.log" 2>&1 || { cat "$root/tmp/apt.log" >&2; fail "the package did not install"; }
# Before anything else is installed, which could bring a library that the package forgot.
echo "== Checking that the programs find every library they link"
for program in tallivue tallivue-sim; do
    libraries=$(in_root ldd "/usr/lib/tallivue/$program" 2>&1) ||
        fail "ldd cannot read /usr/lib/tallivue/$program: $libraries"
    ! grep 'not found' <<<"$libraries" ||
        fail "/usr/lib/tallivue/$program lacks libraries that the package does not depend on"
done
# Only now the test's own tools, which cannot stand in for a dependency the package forgot.
echo "== Installing Xvfb, xdotool, ImageMagick and the checkers of the desktop entries and the unit"
in_root apt-get install -y -qq --no-install-recommends xvfb xauth x11-utils xdotool imagemagick \
    desktop-file-utils systemd >"$root/tmp/apt.log" 2>&1 ||
    { cat "$root/tmp/apt.log" >&2; fail "the test's tools did not install"; }

echo "== Checking the desktop entries and the systemd unit"
examples=/usr/share/doc/tallivue/examples
in_root desktop-file-validate /usr/share/applications/tallivue.desktop \
    "$examples/tallivue-autostart.desktop" || fail "a desktop entry is not valid"
# verify also looks for the program the unit starts, which is why it runs here and not on the
# host. It only warns of an unknown key or a wrong value, so any word from it is a failure.
unit=$examples/tallivue.service
verdict=$(in_root sh -c "XDG_RUNTIME_DIR=\$(mktemp -d) systemd-analyze verify --user $unit 2>&1") &&
    [ -z "$verdict" ] || fail "systemd-analyze does not accept $unit: $verdict"
for file in /usr/share/icons/hicolor/256x256/apps/tallivue.png \
    /usr/share/icons/hicolor/48x48/apps/tallivue.png "$examples/xinitrc"; do
    [ -f "$root$file" ] || fail "the package has no $file"
done

echo "== Checking the copyright and the user guide"
doc=/usr/share/doc/tallivue
head -n1 "$root$doc/copyright" 2>/dev/null |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the package has no machine-readable $doc/copyright"
[ -f "$root$doc/README.md" ] || fail "the package has no user guide $doc/README.md"
# Every picture the guide shows, where its link leads from the guide's own folder.
pictures=$(grep -o '!\[[^]]*\]([^)]*)' "$root$doc/README.md" || true)
[ -n "$pictures" ] || fail "$doc/README.md shows no pictures"
for picture in $(sed 's/.*(\(.*\))$/\1/' <<<"$pictures"); do
    [ -f "$root$doc/$picture" ] || fail "$doc/README.md shows $picture, which is not in $doc"
done

echo "== Starting /usr/bin/tallivue under Xvfb, fed a game by tallivue-sim"
status=0
kiosk=()
[ "$arch" = "$(dpkg --print-architecture)" ] || kiosk=(TALLIVUE_KIOSK_START="$examples/xinitrc")
in_root_offline env "${kiosk[@]}" bash /tmp/tests/package/installed_display.sh /usr/bin /tmp/screen.png ||
    status=$?
if [ -f "$root/tmp/screen.png" ]; then
    mkdir -p "$(dirname "$shot")"
    cp "$root/tmp/screen.png" "$shot"
    echo "== The game's screen: $shot"
fi
if [ -f "$root/tmp/screen-board.png" ]; then
    cp "$root/tmp/screen-board.png" "${shot%.png}-board.png"
    echo "== The board after the download: ${shot%.png}-board.png"
fi
((status == 0)) || fail "the installed display failed its check"
echo "PASS: $(basename "$deb") installs on a bare Debian $suite $arch and runs ($((SECONDS - started)) s)"
