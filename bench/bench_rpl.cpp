// Writing and reading a large configuration file: 10000 file entries and 1000 pairs of
// three-line texts (about 1 MB).
#include "config/RplFile.h"

#include <benchmark/benchmark.h>

namespace {

tw::Configuration largeConfiguration() {
  tw::Configuration config;
  for (int k = 0; k < 10000; ++k) {
    config.Files.push_back(
        {"/srv/www/site/section" + std::to_string(k % 97) + "/page" + std::to_string(k) + ".htm",
         k % 3 != 0});
  }
  for (int k = 0; k < 1000; ++k) {
    const std::string n = std::to_string(k);
    config.appendPair({"<td class=\"old" + n + "\">\r\n  cell text " + n + "\r\n</td>",
                       "<td class=\"new" + n + "\">\r\n  cell " + n + "\r\n</td>"});
  }
  return config;
}

void BM_FormatRpl(benchmark::State& state) {
  const tw::Configuration config = largeConfiguration();
  size_t bytes = 0;
  for (auto _ : state) {
    std::string file = tw::formatRpl(config);
    bytes = file.size();
    benchmark::DoNotOptimize(file);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_FormatRpl)->Unit(benchmark::kMillisecond);

void BM_ParseRpl(benchmark::State& state) {
  const std::string file = tw::formatRpl(largeConfiguration());
  for (auto _ : state) {
    std::optional<tw::RplContent> content = tw::parseRpl(file);
    benchmark::DoNotOptimize(content);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ParseRpl)->Unit(benchmark::kMillisecond);

}  // namespace
