#!/usr/bin/env bash
# The Debian package is not made without the tools that find its libraries: with `file` or
# dpkg-shlibdeps missing from the PATH, cpack must fail, name the Debian package to install and
# leave no .deb behind, rather than make one that installs and then cannot start.
# Usage: package_tools_check.sh BUILD_DIR CPACK
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
(($# == 2)) || fail "usage: package_tools_check.sh BUILD_DIR CPACK"
build=$1
cpack=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every program of the PATH, the first of each name as the PATH finds it.
declare -A programs
IFS=: read -ra path_dirs <<<"$PATH"
for dir in "${path_dirs[@]}"; do
    for program in "$dir"/*; do
        name=${program##*/}
        if [ -x "$program" ] && [ -z "${programs[$name]:-}" ]; then
            programs[$name]=$program
        fi
    done
done

for case in file:file dpkg-shlibdeps:dpkg-dev; do
    hidden=${case%%:*}
    package=${case#*:}
    bin=$work/bin-$hidden
    mkdir "$bin"
    ln -s "${programs[@]}" "$bin/"
    rm -f "$bin/$hidden"
    out=$work/out-$hidden
    status=0
    PATH=$bin "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$work/log" 2>&1 ||
        status=$?
    ((status != 0)) || fail "cpack made a package without $hidden: $(cat "$work/log")"
    # CMake wraps its messages, wherever the words fall.
    tr -s ' \n' '  ' <"$work/log" | grep "apt-get install $package\b" >/dev/null ||
        fail "cpack without $hidden did not name $package: $(cat "$work/log")"
    if [ -d "$out" ]; then
        debs=$(find "$out" -name '*.deb')
        [ -z "$debs" ] || fail "cpack without $hidden left $debs"
    fi
done
echo "PASS: no package is made without file or dpkg-shlibdeps"
