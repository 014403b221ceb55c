#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The comparison ephemeris the accuracy tools need; not needed to build, run or test Heliodial.
set -euo pipefail
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
for p in libswe-dev swe-basic-data; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "$p"
  fi
done
