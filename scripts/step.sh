#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One line per step of the set-up: runs a command with its output in a log file, and on failure
# shows the end of the log and names it.
# usage: scripts/step.sh "Building" build/logs/build.log command...
set -uo pipefail
title="$1"
log="$2"
shift 2
mkdir -p "$(dirname "$log")"
start=$(date +%s)
printf '%s (log: %s)... ' "$title" "$log"
if "$@" > "$log" 2>&1; then
  echo "done in $(( $(date +%s) - start )) s"
else
  status=$?
  echo "failed"
  tail -n 25 "$log"
  echo "$title failed with status $status; the whole log is $log" >&2
  exit "$status"
fi
