#!/usr/bin/env bash
# A Debian release as a new developer and a new kit-up room PC meet it: the source tree copied
# into a fresh minimal root of SUITE (bookworm for Debian 12, trixie for Debian 13), where the
# README's test command builds everything and runs every test (in a network of its own, since
# the tests use UDP port 12001) and the README's package command makes the package; then that
# package installed into another fresh root of the release and started there (install_check.sh),
# with the game's screen saved to SCREENSHOT. Roots and their cache: chroot.sh. Logs of the steps
# in the root stay in LOG_DIR (default build/SUITE).
# Usage: release_check.sh SUITE SOURCE_DIR SCREENSHOT [LOG_DIR]
set -euo pipefail

check_name=release_check
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/package/chroot.sh
source "$here/chroot.sh"
(($# == 3 || $# == 4)) || fail "usage: release_check.sh SUITE SOURCE_DIR SCREENSHOT [LOG_DIR]"
suite=$1
tree=$(cd "$2" && pwd) || fail "no source folder $2"
[ -f "$tree/README.md" ] || fail "$tree is not the top of a Tallivue source tree"
shot=$3
logs=$(realpath -m "${4:-$tree/build/$suite}")
mkdir -p "$logs"
started=$SECONDS

# The README's commands, read from it as a new user reads them: the second line of its first
# block, and the package command of its "Installing" section.
test_command=$(awk '/^```/ { block++; next } block == 1 && ++lines == 2 { print; exit }' \
    "$tree/README.md")
package_command=$(awk '/^ *bash tools\/install-deps\.sh .*--target package$/ {
    sub(/^ +/, ""); print; exit }' "$tree/README.md")
[ -n "$test_command" ] && [ -n "$package_command" ] || fail "README commands not found"

make_root "$suite"
echo "== Copying the source tree (the files git knows) into $root/src"
mkdir "$root/src"
git -C "$tree" ls-files -z | tar -C "$tree" --null -T - -cf - | tar -C "$root/src" -xf -
in_root apt-get update -qq >/dev/null || fail "apt-get update failed in the root"
# The installing needs the network; the test command then finds everything in place.
step "Installing the build's packages (tools/install-deps.sh)" install-deps.log \
    in_root sh -c 'cd /src && bash tools/install-deps.sh'
step "The README's test command: $test_command" test.log \
    in_root_offline sh -c "cd /src && $test_command"
grep -E '^[0-9]+% tests passed' "$logs/test.log"
step "The README's package command: $package_command" package.log \
    in_root sh -c "cd /src && $package_command"
deb=$(ls "$root"/src/build/tallivue_*.deb) || fail "the package command made no package"
cp "$deb" "$logs/"

echo "== The package installed and started in a fresh $suite root"
TALLIVUE_SUITE=$suite TALLIVUE_DEB=$logs/$(basename "$deb") \
    bash "$here/install_check.sh" "$tree" "$shot" || fail "the $suite package failed its check"
echo "PASS: the README's commands build, test and package Tallivue on Debian $suite," \
    "and the package runs there ($((SECONDS - started)) s)"
