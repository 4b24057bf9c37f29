#!/usr/bin/env bash
# Installs the Debian packages Tallivue needs to build, run and test it, skipping those that
# are already there. Runs apt-get as root, through sudo when started as another user.
# --windows also installs what builds the Windows program and its installer (the pictures and
# the voice are still made here) and runs it and its tests under Wine.
set -euo pipefail

packages=(
    # build
    cmake g++ make pkg-config qt6-base-dev libgl-dev libgtest-dev libbenchmark-dev
    # readiness and the watchdog's heartbeat for systemd; the monitor's sleep through DPMS
    libsystemd-dev libxcb-dpms0-dev
    # the front desk's web service
    qt6-httpserver-dev qt6-websockets-dev
    # sound: .wav, .mp3 and MIDI through SDL2_mixer, MIDI voiced by a General MIDI soundfont
    # (FluidSynth, which SDL2_mixer 2.8 only recommends, plays the MIDI)
    libsdl2-mixer-dev libfluidsynth3 fluid-soundfont-gm
    # the talking download's voice files, spoken and trimmed at build time
    espeak-ng sox
    # the faces the display is laid out for: Tahoma and friends, Arial's metric twin, and the
    # heavy face that stands in for Arial Black (also the default pictures' lettering)
    fonts-wine fonts-liberation2 fonts-roboto-unhinted
    # the default pictures, drawn at build time
    imagemagick
    # tests and screenshots without a screen: a bare X server, and keys typed into it
    xvfb xauth x11-utils xdotool
    # the front desk's pages in a real browser
    chromium chromium-driver python3-selenium
    # an .mp3 to play in the sound tests
    lame
    # the Debian package: file and dpkg-shlibdeps (dpkg-dev), with which CPack finds the
    # libraries it depends on
    file dpkg-dev
    # the fuzzing build: clang and its runtime, which holds libFuzzer and the sanitizers
    clang libclang-rt-dev
)
if [ "${1:-}" = --windows ]; then
    # wine64 holds only /usr/lib/wine/wine64; the wine package puts the wine command on the PATH
    # (on Debian 12 and 13 alike), which it would bring only as a recommendation
    packages+=(g++-mingw-w64-x86-64-posix wine64 wine nsis)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
((${#missing[@]} == 0)) && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"
