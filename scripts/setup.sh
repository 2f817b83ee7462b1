#!/usr/bin/env bash
# Installs the Debian packages KALVEX builds and tests with (and any named as arguments);
# quiet when all are present.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libcli11-dev googletest libgtest-dev
          libgmock-dev libbenchmark-dev xvfb xauth poppler-utils openbox xdotool python3
          desktop-file-utils appstream ser2net libqt6sql6-sqlite qt6-charts-dev libqt6opengl6-dev ccache
          "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
