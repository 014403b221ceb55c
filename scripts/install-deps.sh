#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, running and testing Heliodial need. Idempotent:
# when everything is present it only checks. Prints one line; the package manager's own output
# goes to the log file given as the first argument (default build/logs/install.log).
set -euo pipefail

log="${1:-build/logs/install.log}"
packages=(
  build-essential g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libqt6opengl6-dev
  libgl-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-core fonts-dejavu-core
  # the Swiss Ephemeris and its data files for 1800-2399: the precise positions
  libswe-dev swe-basic-data
  # GeoNames' towns (cities15000.txt, regions, countries): the offline atlas
  libtimezonemap-data
  xvfb xauth openbox x11-utils dbus dbus-x11 at-spi2-core python3 python3-pyatspi x11-apps netpbm
  # gdbus and Python with Gio: the real clients of the automation tests
  libglib2.0-bin python3-gi
  clang libclang-rt-dev llvm
  poppler-utils appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

command_line="apt-get install -y --no-install-recommends ${missing[*]}"
count="${#missing[@]} packages"
[ ${#missing[@]} -eq 1 ] && count="1 package"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  # Without root, sudo must be there and able to ask (a terminal) or not need to ask.
  if ! command -v sudo > /dev/null || { ! [ -t 0 ] && ! sudo -n true 2> /dev/null; }; then
    echo "Set-up: $count missing, and installing them needs root. Ask an" >&2
    echo "administrator to run:" >&2
    echo "  sudo apt-get update && sudo $command_line" >&2
    exit 3
  fi
  sudo_cmd=(sudo)
fi

mkdir -p "$(dirname "$log")"
echo "Installing $count (log: $log)"
export DEBIAN_FRONTEND=noninteractive
if ! { "${sudo_cmd[@]}" apt-get update -q && "${sudo_cmd[@]}" apt-get install -y -q \
         --no-install-recommends "${missing[@]}"; } > "$log" 2>&1; then
  tail -n 15 "$log" >&2
  echo "Set-up failed; the whole log is $log. An administrator can run:" >&2
  echo "  sudo apt-get update && sudo $command_line" >&2
  exit 3
fi
