#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Kovrinta needs.
# Idempotent: packages already present are left alone, and apt is not touched at all
# when nothing is missing. Runs as root or through sudo.
#   --bench    also what the timing benchmarks compare with (FluidSynth's own file player)
#   --package  also what tools/package.sh holds the Debian package to (lintian)
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config ninja-build clang-format
  # toolkit and libraries
  qt6-base-dev qt6-svg-dev libgl-dev
  # X11: how the X server repeats held keys (its keyboard extension)
  libxcb1-dev libxcb-xkb-dev
  libfluidsynth-dev librtmidi-dev libjack-jackd2-dev libasound2-dev
  libturbojpeg0-dev
  # the windows' font (DejaVu Sans) and the condensed one the language pictures use
  fonts-dejavu-core fonts-dejavu-extra
  # the built-in synthesizer's General MIDI sounds
  fluid-soundfont-gm
  # tests: real JACK ports, a display, sanitizers and the fuzzer
  jackd2 xvfb xauth xdotool libgtest-dev libgmock-dev googletest
  clang libclang-rt-14-dev llvm
  # independent MIDI file reader the tests compare with
  python3-mido
  # packaging checks: the AppStream metadata, the desktop entry and the manual pages
  appstream desktop-file-utils groff-base man-db
)

for option in "$@"; do
  case "$option" in
    --bench) packages+=(fluidsynth) ;;
    --package) packages+=(lintian) ;;
    *) echo "install-deps: unknown option $option" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is installed"
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
  sudo_cmd=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# jackd2 asks whether to enable real-time priority; answer it here.
echo "jackd2 jackd/tweak_rt_limits boolean false" | "${sudo_cmd[@]}" debconf-set-selections
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
