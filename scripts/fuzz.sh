#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes, with libFuzzer for a bounded time (FUZZ_SECONDS, default 60, shared three to one), the
# settings file's parser, loader and writers, then heliodial-chart's command line. Exits non-zero
# when a fuzzer finds a crash, a sanitizer report or a broken check. The targets are built by
# CMake (option HELIODIAL_FUZZ) in FUZZ_BUILD.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${FUZZ_BUILD:-build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
settings_seconds=$(( seconds * 3 / 4 ))
arguments_seconds=$(( seconds - settings_seconds ))
cmake -S . -B "$out" -G Ninja -DHELIODIAL_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$out" --target settings_fuzz arguments_fuzz -j "${JOBS:-$(nproc)}"
mkdir -p "$out/corpus" "$out/corpus-arguments"
# The writers work on real files in a private folder, removed however the run ends. A memory
# file system when there is one: every write is flushed to disk.
base=/dev/shm
[[ -d $base && -w $base ]] || base="$out"
scratch="$(mktemp -d "$base/heliodial-fuzz-XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
# New inputs go to the build folder; the seed corpora in the tree stay as committed.
HELIODIAL_FUZZ_DIR="$scratch" "$out/fuzz/settings_fuzz" -max_total_time="$settings_seconds" \
  -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$out/" "$out/corpus" fuzz/corpus
"$out/fuzz/arguments_fuzz" -max_total_time="$arguments_seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$out/arguments-" "$out/corpus-arguments" fuzz/corpus-arguments
