#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a tracked text file still holds a merge-conflict marker, so that a half-resolved
# merge never reaches a build, a test run or the README.
#
# "<<<<<<< ", "||||||| " and ">>>>>>> " at the start of a line are never anything else. A line of
# exactly "=======" can also be a Markdown heading's underline, so it counts only in a file that
# holds one of the other markers as well. Binary files (the golden PNGs) are not searched.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "conflict markers: not a git checkout, nothing tracked to check"
  exit 0
fi

edges='^(<<<<<<<|\|\|\|\|\|\|\||>>>>>>>)( |$)'
hits=$(git grep -n -I -E "$edges" || true)
if [ -n "$hits" ]; then
  separators=$(git grep -l -z -I -E "$edges" | xargs -0 git grep -n -I -E '^=======$' -- || true)
  hits=$(printf '%s\n%s\n' "$hits" "$separators" | sed '/^$/d' | sort -t: -k1,1 -k2,2n)
fi

if [ -n "$hits" ]; then
  echo "conflict markers: unresolved merge conflict in tracked files:" >&2
  printf '%s\n' "$hits" | sed 's/^/  /' >&2
  echo "conflict markers: resolve these lines (keep what each side meant), then commit" >&2
  exit 1
fi
echo "conflict markers: none"
