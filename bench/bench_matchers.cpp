// Search speed of the matchers over 64 MB of generated prose and HTML (fixed seed): one
// full pass per iteration, resuming after each occurrence as a replacement pass does.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "engine/Searcher.h"

namespace {

constexpr size_t kTextSize = 64u << 20;

const std::string& proseText() {
  static const std::string text = [] {
    static const std::vector<std::string> words = {
        "the",        "of",        "and",     "to",        "a",        "in",         "is",
        "that",       "for",       "it",      "as",        "was",      "with",       "be",
        "by",         "on",        "not",     "he",        "this",     "are",        "or",
        "his",        "from",      "at",      "which",     "but",      "have",       "an",
        "had",        "they",      "you",     "were",      "their",    "one",        "all",
        "we",         "can",       "her",     "has",       "there",    "been",       "if",
        "more",       "when",      "will",    "would",     "who",      "so",         "no",
        "about",      "time",      "people",  "into",      "could",    "state",      "years",
        "other",      "new",       "some",    "first",     "made",     "over",       "world",
        "after",      "work",      "between", "system",    "house",    "number",     "program",
        "color",      "colour",    "window",  "file",      "files",    "replace",    "search",
        "interface",  "data",      "record",  "morning",   "garden",   "river",      "account",
        "language",   "character", "backup",  "options",   "settings", "question",   "answer",
        "because",    "through",   "public",  "important", "example",  "government", "development",
        "information"};
    std::mt19937 rng(20261208);
    // Zipf-like: earlier words are more common.
    std::vector<double> weights;
    for (size_t k = 0; k < words.size(); ++k) weights.push_back(1.0 / static_cast<double>(k + 2));
    std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> digit(0, 9);
    std::string t;
    t.reserve(kTextSize + 4096);
    t += "<html>\n<head><title>Generated</title></head>\n<body>\n";
    while (t.size() < kTextSize) {
      const int kind = percent(rng);
      if (kind < 10) {
        t += "<div class=\"section\">\n<h2>";
        t += words[pick(rng)];
        t += "</h2>\n";
      }
      t += "<p>";
      const int sentences = 2 + percent(rng) % 5;
      for (int s = 0; s < sentences; ++s) {
        const int length = 6 + percent(rng) % 18;
        for (int w = 0; w < length; ++w) {
          std::string word = words[pick(rng)];
          if (w == 0) word[0] = static_cast<char>(word[0] - 32);
          const int r = percent(rng);
          if (r < 2) {
            t += "<a href=\"" + word + ".html\">" + word + "</a>";
          } else if (r < 4) {
            t += "<b>" + word + "</b>";
          } else if (r == 4 && percent(rng) < 20) {
            for (int d = 0; d < 3; ++d) t += static_cast<char>('0' + digit(rng));
            t += '-';
            for (int d = 0; d < 4; ++d) t += static_cast<char>('0' + digit(rng));
          } else if (r == 5) {
            t += std::to_string(1900 + percent(rng) + percent(rng));
          } else {
            t += word;
          }
          t += (w + 1 == length) ? ". " : (percent(rng) < 8 ? ", " : " ");
        }
        if (percent(rng) < 30) t += '\n';
      }
      t += "</p>\n";
      if (kind < 10) t += "</div>\n";
    }
    t.resize(kTextSize);
    return t;
  }();
  return text;
}

const std::string& runOfA() {
  static const std::string text(kTextSize, 'a');
  return text;
}

// Runs of 4095 "a", each ended by one "b": every start scans to the same "b".
const std::string& runsOfAThenB() {
  static const std::string text = [] {
    std::string block(4095, 'a');
    block += 'b';
    std::string t;
    t.reserve(kTextSize);
    while (t.size() < kTextSize) t += block;
    return t;
  }();
  return text;
}

void runPass(benchmark::State& state, const tw::Searcher& searcher, const std::string& text) {
  int64_t occurrences = 0;
  for (auto _ : state) {
    occurrences = 0;
    int64_t from = 0;
    while (auto occ = searcher.findFrom(text, from)) {
      ++occurrences;
      from = occ->last + 1;
    }
    benchmark::DoNotOptimize(occurrences);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
  state.counters["occurrences"] = static_cast<double>(occurrences);
}

tw::LiteralOptions literal(bool caseSensitive, bool wholeWords) {
  return tw::LiteralOptions{caseSensitive, wholeWords, true};
}

void LiteralCaseSensitive(benchmark::State& state) {
  runPass(state, tw::Searcher::literal("interface", literal(true, false)), proseText());
}
void LiteralCaseInsensitive(benchmark::State& state) {
  runPass(state, tw::Searcher::literal("interface", literal(false, false)), proseText());
}
void LiteralWholeWords(benchmark::State& state) {
  runPass(state, tw::Searcher::literal("data", literal(false, true)), proseText());
}
void LiteralScriptToken(benchmark::State& state) {
  runPass(state, tw::Searcher::literal("<b>%anything%</b>", literal(false, false)), proseText());
}
void RegexOptional(benchmark::State& state) {
  runPass(state, tw::Searcher::regex("colou?r", false), proseText());
}
void RegexDigits(benchmark::State& state) {
  runPass(state, tw::Searcher::regex("\\d{3}-\\d{4}", false), proseText());
}
void RegexGroup(benchmark::State& state) {
  runPass(state, tw::Searcher::regex("(ab|cd)+x", false), proseText());
}
void ScriptTokenWorstCase(benchmark::State& state) {
  runPass(state, tw::Searcher::literal("a%anything%b", literal(false, false)), runOfA());
}

// Every "a" starts an attempt whose look-ahead reaches the next "b", where "c" then fails.
void ScriptTokenRememberedScan(benchmark::State& state) {
  runPass(state, tw::Searcher::literal("a%anything%bc", literal(false, false)), runsOfAThenB());
}

// The same passes with Unicode letters off and on: "interface" and "data" have no letter
// with forms beyond ASCII, so their whole find string is scanned for as bytes; "section"
// begins with an s, which the long s (U+017F) also matches, so its scan is for the first
// character's three first bytes.
void Letters(benchmark::State& state, const char* find, bool regex, bool wholeWords, bool unicode) {
  runPass(state,
          regex ? tw::Searcher::regex(find, false, unicode)
                : tw::Searcher::literal(find, tw::LiteralOptions{false, wholeWords, true, unicode}),
          proseText());
}
BENCHMARK_CAPTURE(Letters, interface_bytes, "interface", false, false, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Letters, interface_unicode, "interface", false, false, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Letters, section_bytes, "section", false, false, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Letters, section_unicode, "section", false, false, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Letters, whole_data_bytes, "data", false, true, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Letters, whole_data_unicode, "data", false, true, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Letters, script_bytes, "<b>%anything%</b>", false, false, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Letters, script_unicode, "<b>%anything%</b>", false, false, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Letters, pattern_bytes, "colou?r", true, false, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Letters, pattern_unicode, "colou?r", true, false, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Letters, digits_bytes, "\\d{3}-\\d{4}", true, false, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Letters, digits_unicode, "\\d{3}-\\d{4}", true, false, true)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(LiteralCaseSensitive)->Unit(benchmark::kMillisecond);
BENCHMARK(LiteralCaseInsensitive)->Unit(benchmark::kMillisecond);
BENCHMARK(LiteralWholeWords)->Unit(benchmark::kMillisecond);
BENCHMARK(LiteralScriptToken)->Unit(benchmark::kMillisecond);
BENCHMARK(RegexOptional)->Unit(benchmark::kMillisecond);
BENCHMARK(RegexDigits)->Unit(benchmark::kMillisecond);
BENCHMARK(RegexGroup)->Unit(benchmark::kMillisecond);
BENCHMARK(ScriptTokenWorstCase)->Unit(benchmark::kMillisecond);
BENCHMARK(ScriptTokenRememberedScan)->Unit(benchmark::kMillisecond);

}  // namespace
