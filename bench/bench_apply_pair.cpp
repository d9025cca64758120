// One pass of one pair over 16 MiB of text in memory (no file I/O): the engine's own cost,
// separate from reading and writing files.
#include "engine/ApplyPair.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

const std::string& corpus() {
  static const std::string text = [] {
    std::mt19937 rng(7);
    const char* words[] = {"the", "paint", "of",    "grey", "harbour",
                           "<p>", "</p>",  "color", "and",  "a"};
    std::string t;
    while (t.size() < (16u << 20)) {
      t += (rng() % 200 == 0) ? "colour" : words[rng() % 10];
      t += (rng() % 12 == 0) ? "\r\n" : " ";
    }
    return t;
  }();
  return text;
}

class NullHost : public tw::RunHost {
 public:
  tw::ConfirmDecision confirm(const tw::ConfirmRequest&) override {
    return tw::ConfirmDecision::ReplaceThis;
  }
};

void runPass(benchmark::State& state, const tw::StringPair& pair, bool regular,
             bool unixPair = false, bool caseSensitive = false) {
  tw::PassSettings settings;
  settings.Flags.Regular = regular;
  settings.Flags.CaseSensitive = caseSensitive;
  NullHost host;
  tw::RunDecision decision;
  tw::YieldThrottle throttle(host);
  tw::PreparedPair prepared(pair, settings, unixPair);
  tw::PassContext context{host, decision, throttle, settings, "bench"};
  std::string output;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tw::ApplyPair(corpus(), prepared, context, output));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(corpus().size()));
}

void BM_LiteralPass(benchmark::State& state) {
  runPass(state, {"colour", "color"}, false);
}
void BM_LiteralPassCaseSensitive(benchmark::State& state) {
  runPass(state, {"colour", "color"}, false, false, true);
}
void BM_LiteralPassNoOccurrence(benchmark::State& state) {
  runPass(state, {"zebra", "x"}, false);
}
void BM_RegexPass(benchmark::State& state) {
  runPass(state, {"col[aeiou]ur", "color"}, true);
}
void BM_UnixPass(benchmark::State& state) {
  runPass(state, {"\\r\\n", "\n"}, false, true);
}

// The worst case of the filename-reference test: a run of N characters with no character
// at which its look-back stops, every one of them an occurrence. Inside an href value (the
// second case) no occurrence is replaced, so each one is asked about in turn.
void filenameReferencePass(benchmark::State& state, const std::string& prefix) {
  const std::string text = prefix + std::string(static_cast<size_t>(state.range(0)), 'a');
  tw::PassSettings settings;
  settings.DoNotChangeFilenameReferences = true;
  NullHost host;
  tw::RunDecision decision;
  tw::YieldThrottle throttle(host);
  tw::PreparedPair prepared({"a", "b"}, settings);
  tw::PassContext context{host, decision, throttle, settings, "bench"};
  std::string output;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tw::ApplyPair(text, prepared, context, output));
  }
  state.SetComplexityN(state.range(0));
}
void BM_FilenameReferencesNoStop(benchmark::State& state) {
  filenameReferencePass(state, "");
}
void BM_FilenameReferencesInHref(benchmark::State& state) {
  filenameReferencePass(state, "<a href=\"");
}

BENCHMARK(BM_LiteralPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiteralPassCaseSensitive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiteralPassNoOccurrence)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnixPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilenameReferencesNoStop)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 1 << 16)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();
BENCHMARK(BM_FilenameReferencesInHref)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 1 << 16)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();

}  // namespace
