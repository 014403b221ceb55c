// SPDX-License-Identifier: GPL-3.0-or-later
// The offline atlas: reading Debian's place list on first use, and a search as the user types
// (one letter, the first letters of a name, a whole name with its country, no match).
#include <benchmark/benchmark.h>

#include <QString>

#include "atlas/Atlas.h"

namespace {

void BM_AtlasLoad(benchmark::State& state) {
  for (auto _ : state) {
    const Atlas atlas(AtlasFolder());
    benchmark::DoNotOptimize(atlas.Size());
  }
}
BENCHMARK(BM_AtlasLoad)->Unit(benchmark::kMillisecond);

void BM_AtlasSearch(benchmark::State& state, const char* typed) {
  const QString text = QString::fromUtf8(typed);
  SharedAtlas();  // loaded before timing
  for (auto _ : state) benchmark::DoNotOptimize(SearchPlaces(text, 12));
}
BENCHMARK_CAPTURE(BM_AtlasSearch, OneLetter, "s")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AtlasSearch, Berl, "Berl")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AtlasSearch, SaoPauloBrazil, "Sao Paulo, Brazil")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AtlasSearch, NoMatch, "Xqzxqz")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
