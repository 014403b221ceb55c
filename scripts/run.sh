#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the clock when a display is there; otherwise prints the chart of the moment and writes the wheel.
set -euo pipefail
build="${1:-build}"
if [ -x "$build/clock/heliodial" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$build/clock/heliodial"
fi
"$build/clock/cli/heliodial-chart"
if "$build/clock/cli/heliodial-chart" --wheel "$build/wheel.png" >/dev/null 2>&1; then
  echo "Wheel written to $build/wheel.png"
fi
