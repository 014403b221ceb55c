#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Heliodial need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libqt6opengl6-dev
  libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-core fonts-dejavu-core
  xvfb xauth dbus dbus-x11
  # gdbus and Python with Gio: the real clients of the automation tests
  libglib2.0-bin python3-gi
  clang libclang-rt-dev
  poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
