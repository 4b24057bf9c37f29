#!/usr/bin/env bash
# The Debian package on a bare Debian 12: built at the top of SOURCE_DIR into build/ by the
# README's own package command, as a new user builds it, and installed with apt-get into a fresh
# minimal chroot, so that what it declares is all it gets. There its programs must find every
# library they link, and its copyright and user guide must be in place; then the display is
# started through /usr/bin/tallivue under Xvfb and fed a game by the packaged simulator
# (installed_display.sh: the title and background must show, the download must be heard), with
# the game's screen saved to SCREENSHOT. The desktop entries and the systemd unit it ships are
# checked there too, by the tools that read them.
#
# Needs root, Debian's package mirrors and a few minutes. The base system that debootstrap makes
# is kept as a tarball, and the packages apt-get fetches beside it, in $TALLIVUE_CHROOT_CACHE
# (default ~/.cache/tallivue-chroot), so later runs neither bootstrap nor download again;
# delete that folder to start from a newer Debian 12.
# Usage: install_check.sh SOURCE_DIR SCREENSHOT
set -euo pipefail

fail() { echo "install_check: $*" >&2; exit 1; }
(($# == 2)) || fail "usage: install_check.sh SOURCE_DIR SCREENSHOT"
[ "$(id -u)" = 0 ] || fail "must run as root: it makes a chroot and mounts into it"
tree=$(cd "$1" && pwd) || fail "no source folder $1"
[ -f "$tree/README.md" ] && [ -f "$tree/tests/package/installed_display.sh" ] ||
    fail "$tree is not the top of a Tallivue source tree"
build=$tree/build
shot=$(realpath -m "$2")
cache=${TALLIVUE_CHROOT_CACHE:-$HOME/.cache/tallivue-chroot}
base=$cache/bookworm-minbase.tar.gz
started=$SECONDS

export DEBIAN_FRONTEND=noninteractive LC_ALL=C
for tool in debootstrap:debootstrap ip:iproute2; do
    command -v "${tool%%:*}" >/dev/null && continue
    echo "== Installing ${tool#*:}"
    apt-get update -qq && apt-get install -y -qq "${tool#*:}" >/dev/null ||
        fail "cannot install ${tool#*:}"
done

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
deb=$build/$(sed -n 's/^set(CPACK_DEBIAN_FILE_NAME "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -f "$deb" ] || fail "cpack made no $deb"

root=$(mktemp -d "${TMPDIR:-/tmp}/tallivue-chroot.XXXXXX")
chmod 755 "$root" # it becomes /, which every user of the chroot must be able to enter
cleanup() {
    local status=$? process mounted
    # Whatever still runs inside (a display left by a failed step) would hold the mounts.
    for process in /proc/[0-9]*; do
        [ "$(readlink "$process/root" 2>/dev/null)" = "$root" ] && kill -9 "${process#/proc/}"
    done
    for mount in var/cache/apt/archives dev proc; do
        mountpoint -q "$root/$mount" && { umount "$root/$mount" || umount -l "$root/$mount"; }
    done
    mounted=$(findmnt -rn -o TARGET | grep -F "$root/" || true)
    if [ -n "$mounted" ]; then
        echo "install_check: still mounted, so $root is left in place:" $mounted >&2
    else
        rm -rf --one-file-system "$root"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$cache/archives"
if [ ! -f "$base" ]; then
    echo "== Bootstrapping Debian 12 (minbase) into $root, kept in $base"
    debootstrap --variant=minbase bookworm "$root" >"$root.debootstrap.log" 2>&1 ||
        fail "debootstrap failed: see $root.debootstrap.log"
    rm -f "$root.debootstrap.log"
    # Without the packages it installed from: their place is the cache's archives/.
    tar -C "$root" --numeric-owner --exclude='./var/cache/apt/archives/*.deb' \
        -czf "$base.part" . || { rm -f "$base.part"; fail "cannot keep the base system in $base"; }
    mv "$base.part" "$base"
else
    echo "== Unpacking the cached Debian 12 of $base"
    tar -C "$root" --numeric-owner -xzf "$base" ||
        fail "cannot unpack $base: delete it, and the next run bootstraps anew"
fi

mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind "$cache/archives" "$root/var/cache/apt/archives"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C \
    DEBIAN_FRONTEND=noninteractive "$@"; }
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$tree/tests/package/installed_display.sh" "$root/tmp/"

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
echo "== Installing Xvfb, ImageMagick and the checkers of the desktop entries and the unit"
in_root apt-get install -y -qq --no-install-recommends xvfb xauth x11-utils imagemagick \
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
# A network of its own (loopback only), so that neither the machine's own displays nor its
# tests share UDP port 12001 with this one.
status=0
unshare --net sh -c 'ip link set lo up && exec "$@"' sh \
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C \
    bash /tmp/installed_display.sh /usr/bin /tmp/screen.png || status=$?
if [ -f "$root/tmp/screen.png" ]; then
    mkdir -p "$(dirname "$shot")"
    cp "$root/tmp/screen.png" "$shot"
    echo "== The game's screen: $shot"
fi
((status == 0)) || fail "the installed display failed its check"
echo "PASS: $(basename "$deb") installs on a bare Debian 12 and runs ($((SECONDS - started)) s)"
