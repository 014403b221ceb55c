#!/usr/bin/env bash
# Fuzzes the settings file parser, loader and writers with libFuzzer for a bounded time
# (FUZZ_SECONDS, default 60). Exits non-zero when the fuzzer finds a crash, a sanitizer report or
# a broken check. The target is built by CMake (option HELIODIAL_FUZZ) in FUZZ_BUILD.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${FUZZ_BUILD:-build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
cmake -S . -B "$out" -G Ninja -DHELIODIAL_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$out" --target settings_fuzz -j "${JOBS:-$(nproc)}"
mkdir -p "$out/corpus"
# The writers work on real files in a private folder, removed however the run ends. A memory
# file system when there is one: every write is flushed to disk.
base=/dev/shm
[[ -d $base && -w $base ]] || base="$out"
scratch="$(mktemp -d "$base/heliodial-fuzz-XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
# New inputs go to the build folder; the seed corpus in the tree stays as committed.
HELIODIAL_FUZZ_DIR="$scratch" "$out/fuzz/settings_fuzz" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=2048 -artifact_prefix="$out/" "$out/corpus" fuzz/corpus
