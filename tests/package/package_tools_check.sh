#!/usr/bin/env bash
# The Debian package is not made without the tools that find its libraries: with `file` and
# dpkg-shlibdeps off the PATH, cpack must fail, name the Debian packages to install and leave no
# .deb behind, rather than make one that installs and then cannot start.
# Usage: package_tools_check.sh BUILD_DIR CPACK
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
(($# == 2)) || fail "usage: package_tools_check.sh BUILD_DIR CPACK"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# An empty PATH hides both; cpack itself is named by its path.
PATH=$work "$2" -G DEB --config "$1/CPackConfig.cmake" -B "$work/out" >"$work/log" 2>&1 &&
    fail "cpack made a package without file and dpkg-shlibdeps"
# CMake wraps its messages, wherever the words fall.
tr -s ' \n' '  ' <"$work/log" | grep -q "apt-get install file dpkg-dev\b" ||
    fail "cpack did not name the packages to install: $(cat "$work/log")"
[ -z "$(find "$work/out" -name '*.deb' 2>/dev/null)" ] || fail "cpack left a package behind"
echo "PASS: no package is made without file or dpkg-shlibdeps"
