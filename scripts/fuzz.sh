#!/usr/bin/env bash
# Fuzzes the settings file parser and loader with libFuzzer for a bounded time (FUZZ_SECONDS,
# default 60). Exits non-zero when the fuzzer finds a crash, a sanitizer report or a broken check.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${FUZZ_BUILD:-build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
mkdir -p "$out/corpus"
# shellcheck disable=SC2046  # pkg-config prints several words on purpose
clang++ -std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -Iclock -Iephemlib/include $(pkg-config --cflags Qt6Core) \
  fuzz/settings_fuzz.cpp clock/settings/IniFile.cpp clock/settings/Settings.cpp \
  $(pkg-config --libs Qt6Core) -o "$out/settings_fuzz"
# New inputs go to the build folder; the seed corpus in the tree stays as committed.
"$out/settings_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$out/" "$out/corpus" fuzz/corpus
