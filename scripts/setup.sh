#!/usr/bin/env bash
# Installs from Debian's archive whatever the program (and, with --tests, its tests) needs.
set -euo pipefail

packages=(
    cmake g++ pkg-config
    qt6-base-dev librtmidi-dev libjack-jackd2-dev libfluidsynth-dev libasound2-dev libsystemd-dev
    libpulse-dev libpipewire-0.3-dev
    libx11-dev libxtst-dev libxkbcommon-dev qt6-svg-dev fonts-dejavu-core
    libwayland-dev qt6-base-private-dev qt6-wayland
    fluid-soundfont-gm timgm6mb-soundfont
    libgtest-dev libgmock-dev libbenchmark-dev
    dpkg-dev file
)
if [[ "${1:-}" == "--tests" ]]; then
    packages+=(xvfb xauth x11-utils x11-xkb-utils xdotool imagemagick jackd2 midicsv
               pulseaudio pulseaudio-utils libasound2-plugins sox abcmidi python3-mido
               pipewire pipewire-pulse pipewire-jack wireplumber dbus
               desktop-file-utils appstream lintian clang libclang-rt-dev dbus-daemon openbox gawk
               dbus-bin at-spi2-core python3-pyatspi gir1.2-atspi-2.0 orca
               sway grim)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
