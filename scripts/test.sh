#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The whole suite, headless (offscreen Qt, a private D-Bus session bus): the full output goes to
# the log; the summary, every failed test's output and the reason of every skipped test are shown.
# usage: scripts/test.sh BUILD_FOLDER JOBS [extra environment...]
set -uo pipefail
build="$1"
jobs="$2"
shift 2
log="$build/logs/test.log"
mkdir -p "$build/logs"
echo "Testing (log: $log)..."
status=0
( cd "$build" && env QT_QPA_PLATFORM=offscreen "$@" dbus-run-session -- \
    ctest --output-on-failure -j "$jobs" ) > "$log" 2>&1 || status=$?
# The summary and the failures from ctest's own report.
sed -n '/tests passed/,$p' "$log" | grep -v '^$'
if [ "$status" -ne 0 ]; then
  sed -n '/\*\*\*Failed\|Failed  /,/^ *[0-9]*\/[0-9]* Test/p' "$log" | head -n 200
fi
# ctest lists a skipped test without its reason; the test's own output has it, on the line after
# "Skipped".
last="$build/Testing/Temporary/LastTest.log"
if [ -f "$last" ]; then
  awk '/: Skipped$/ { getline reason; next_reason = reason }
       /^\[  SKIPPED \] [^ ]+ \(/ { if (next_reason != "") print "  skipped " $4 ": " next_reason;
                                     next_reason = "" }' "$last"
fi
[ "$status" -eq 0 ] || echo "Tests failed; the whole log is $log" >&2
exit "$status"
