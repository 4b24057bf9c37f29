#!/usr/bin/env bash
# Builds what the Windows program links, for 64-bit Windows with Debian's MinGW-w64, from the
# very Debian source packages of the versions the Linux build uses: SDL2, SDL2_mixer (its own
# WAV, MP3, Ogg and FLAC decoders and Windows' MIDI, no other library), Qt's base (Core, Gui,
# Widgets, Network, Test, the Windows platform plugin and styles, the GIF, ICO and JPEG readers)
# and, for the front desk's web page, Qt WebSockets and Qt HTTP Server (their C++ modules alone).
# Everything goes to a cache outside the work tree, $TALLIVUE_WIN_CACHE (default
# ~/.cache/tallivue-win): src/ the unpacked sources, build/ the build trees, prefix/ what they
# install. A part already installed is reused, and an interrupted build goes on where it stopped.
# Runs apt-get as root, through sudo when started as another user.
# Usage: build-windows-deps.sh
set -euo pipefail

fail() { echo "build-windows-deps: $*" >&2; exit 1; }
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${TALLIVUE_WIN_CACHE:-$HOME/.cache/tallivue-win}
prefix=$cache/prefix
toolchain=$here/cmake/mingw-w64.cmake
jobs=${TALLIVUE_JOBS:-2}
started=$SECONDS
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

# The cross compiler, the build tools, Qt's own host tools (moc, rcc, uic of the same version),
# and what unpacks a source package.
packages=(g++-mingw-w64-x86-64-posix cmake ninja-build pkg-config qt6-base-dev
    qt6-base-dev-tools dpkg-dev)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    echo "== Installing ${missing[*]}"
    "${as_root[@]}" apt-get update -qq
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# apt-get source wants a deb-src line for the suite this machine runs.
. /etc/os-release
sources=/etc/apt/sources.list.d/tallivue-src.sources
if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -qx Sources; then
    echo "== Adding Debian's source packages of $VERSION_CODENAME ($sources)"
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$VERSION_CODENAME" | "${as_root[@]}" tee "$sources" >/dev/null
    "${as_root[@]}" apt-get update -qq
fi

mkdir -p "$cache/src" "$cache/build" "$prefix"
source_of() { # SOURCE BINARY: the unpacked source of the version of BINARY this machine has
    local version dir
    version=$(apt-cache policy "$2" | awk '/Candidate:/ { print $2 }')
    [ -n "$version" ] && [ "$version" != "(none)" ] || fail "no version of $2 to build"
    # The folder is named by the upstream version: no epoch, no Debian revision.
    dir=$cache/src/$1-$(sed 's/^[0-9]*://; s/-[^-]*$//' <<<"$version")
    if [ ! -d "$dir" ]; then
        echo "== Fetching the source of $1 $version" >&2
        (cd "$cache/src" && apt-get source -qq "$1=$version" >/dev/null 2>&1) ||
            fail "apt-get source $1=$version failed"
    fi
    [ -d "$dir" ] || fail "no $dir after apt-get source"
    echo "$dir"
}

build() { # NAME SOURCE_DIR CMAKE_OPTION...: configure, build and install, unless installed
    local name=$1 source=$2 begun=$SECONDS
    shift 2
    if [ -f "$prefix/.$name-installed" ]; then
        echo "== $name: installed already"
        return
    fi
    echo "== $name: configuring"
    cmake -S "$source" -B "$cache/build/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_PREFIX_PATH="$prefix" "$@" >"$cache/build/$name.configure.log" 2>&1 ||
        fail "configuring $name failed: see $cache/build/$name.configure.log"
    echo "== $name: building (progress in $cache/build/$name.build.log)"
    cmake --build "$cache/build/$name" -j "$jobs" >"$cache/build/$name.build.log" 2>&1 ||
        fail "building $name failed: see $cache/build/$name.build.log"
    cmake --install "$cache/build/$name" >"$cache/build/$name.install.log" 2>&1 ||
        fail "installing $name failed: see $cache/build/$name.install.log"
    touch "$prefix/.$name-installed"
    echo "   $name: $((SECONDS - begun)) s"
}

# The libraries are DLLs, installed beside the program.
build sdl2 "$(source_of libsdl2 libsdl2-dev)" -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF
build sdl2-mixer "$(source_of libsdl2-mixer libsdl2-mixer-dev)" -DSDL2MIXER_VENDORED=OFF \
    -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_CMD=OFF \
    -DSDL2MIXER_FLAC_LIBFLAC=OFF -DSDL2MIXER_FLAC_DRFLAC=ON -DSDL2MIXER_MOD=OFF \
    -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF -DSDL2MIXER_MIDI_FLUIDSYNTH=OFF \
    -DSDL2MIXER_MIDI_NATIVE=ON -DSDL2MIXER_MIDI_TIMIDITY=OFF -DSDL2MIXER_OPUS=OFF \
    -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_WAVE=ON
# Debian's repacked source lacks the Wintab headers, hence no tablet events; the Windows
# platform plugin of 6.4 does not build without OpenGL, which stays dynamic as by default.
build qtbase "$(source_of qt6-base qt6-base-dev)" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DQT_BUILD_EXAMPLES=OFF \
    -DQT_BUILD_TESTS=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_openssl=OFF \
    -DFEATURE_sql_sqlite=OFF -DFEATURE_vulkan=OFF -DFEATURE_androiddeployqt=OFF

# Qt's add-on modules build over the qtbase above, with the same host tools. Their QML parts
# would need Qt Quick, which the program (Widgets only) does without.
qt_module() { # NAME SOURCE BINARY: the module, unless installed; fails if its source cannot be had
    local dir=
    [ -f "$prefix/.$1-installed" ] || dir=$(source_of "$2" "$3") || return 1
    build "$1" "$dir" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Quick=ON
}
# The front desk stands on Qt HTTP Server, which stands on Qt WebSockets. A mirror may serve
# qtbase's source and not theirs: the program is then built without the front desk, and a later
# run, once the sources are there, adds them.
without=
if ! qt_module qtwebsockets qt6-websockets qt6-websockets-dev ||
    ! qt_module qthttpserver qt6-httpserver qt6-httpserver-dev; then
    without="; without Qt WebSockets and Qt HTTP Server"
    echo "== Qt WebSockets and Qt HTTP Server left out: the Windows program has no front desk" >&2
fi
echo "PASS: the Windows dependencies are in $prefix ($((SECONDS - started)) s$without)"
