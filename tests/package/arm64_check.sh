#!/usr/bin/env bash
# The Arm package as a Raspberry Pi's owner meets it, on this amd64 machine: built for Debian
# SUITE (bookworm, trixie) by the README's own arm64 command (tools/build-arm64.sh), with the
# tests run through qemu on the way, then installed with apt-get into a fresh arm64 root of that
# release and started there as the kiosk starts it (install_check.sh), fed a game, with the
# game's screen saved to SCREENSHOT. The build's logs and the package stay in build-arm64/SUITE.
# Usage: arm64_check.sh SUITE SOURCE_DIR SCREENSHOT
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "arm64_check: $*" >&2; exit 1; }
(($# == 3)) || fail "usage: arm64_check.sh SUITE SOURCE_DIR SCREENSHOT"
suite=$1
tree=$(cd "$2" && pwd) || fail "no source folder $2"
shot=$(realpath -m "$3")
started=$SECONDS

# The README's command, read from it as a new user reads it, with the tests added.
build_command=$(grep -m1 -o 'bash tools/build-arm64\.sh [a-z]*' "$tree/README.md") ||
    fail "no arm64 package command in $tree/README.md"
out=$tree/build-arm64/$suite
(cd "$tree" && bash -c "${build_command% *} $suite --test") || fail "the arm64 build failed"
deb=$(ls "$out"/tallivue_*_arm64.deb) || fail "the arm64 build made no package in $out"

TALLIVUE_SUITE=$suite TALLIVUE_ARCH=arm64 TALLIVUE_DEB=$deb \
    bash "$here/install_check.sh" "$tree" "$shot" || fail "the $suite arm64 package failed its check"
echo "PASS: $(basename "$deb") built, tested through qemu, installed and run on Debian $suite" \
    "arm64 ($((SECONDS - started)) s)"
