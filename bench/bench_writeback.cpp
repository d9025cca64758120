// The write path on the small-files corpus: 20,000 files of 4-16 KB in nested folders, of
// which 5,000 hold the word to replace. Each iteration loads every file and writes back the
// 5,000 that change ("colour" -> "color"), as a run does; the changed files are reset
// between iterations outside the timing. The corpus lives under $TEXTWRIGHT_BENCH_DIR (else
// the temporary folder) and is made once per process with a fixed seed.

#include "writeback/WriteBack.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tw::writeback;

constexpr int kFiles = 20000;
constexpr int kChanged = 5000;

struct Corpus {
  fs::path root;
  std::vector<std::string> paths;
  std::vector<std::string> contents;  // the original content of every file
  std::vector<bool> changes;
};

// "d" + number, built by appending (GCC 12 warns falsely on literal + string at -O3).
std::string numbered(const char* prefix, int n, const char* suffix = "") {
  std::string s(prefix);
  s += std::to_string(n);
  s += suffix;
  return s;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Corpus& corpus() {
  static Corpus c = [] {
    Corpus made;
    const char* base = std::getenv("TEXTWRIGHT_BENCH_DIR");
    made.root = fs::path(base ? base : fs::temp_directory_path().string()) / "tw-bench-writeback";
    fs::remove_all(made.root);
    std::mt19937 random(20261208);
    static const char* kWords[] = {"the ",  "of ",     "text ", "file ", "replace ",
                                   "many ", "folder ", "line ", "word ", "and "};
    for (int i = 0; i < kFiles; ++i) {
      fs::path folder = made.root / numbered("d", i % 20) / numbered("s", i % 10);
      fs::create_directories(folder);
      bool changes = i % 4 == 0;
      bool crlf = i % 2 == 0;
      size_t size = 4096 + random() % (12 * 1024);
      std::string text;
      text.reserve(size + 64);
      int column = 0;
      while (text.size() < size) {
        text += kWords[random() % 10];
        if (changes && random() % 200 == 0) text += "colour ";
        if (++column == 12) {
          text += crlf ? "\r\n" : "\n";
          column = 0;
        }
      }
      if (changes) text += "colour\n";
      std::string path = (folder / numbered("f", i, ".html")).string();
      writeFile(path, text);
      made.paths.push_back(path);
      made.contents.push_back(std::move(text));
      made.changes.push_back(changes);
    }
    return made;
  }();
  return c;
}

std::string replaced(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  for (size_t at; (at = text.find("colour", from)) != std::string::npos; from = at + 6) {
    out.append(text, from, at - from);
    out += "color";
  }
  out.append(text, from, std::string::npos);
  return out;
}

void resetChangedFiles(Corpus& c) {
  for (int i = 0; i < kFiles; ++i) {
    if (!c.changes[i]) continue;
    writeFile(c.paths[i], c.contents[i]);
    std::string backup = c.paths[i];
    backup += ".rpf";
    fs::remove(backup);
  }
  ::sync();
}

void BM_LoadOnly(benchmark::State& state) {
  Corpus& c = corpus();
  for (auto _ : state) {
    size_t bytes = 0;
    for (const std::string& path : c.paths) {
      LoadedFile file;
      std::string error;
      loadFile(path, file, error);
      bytes += file.content.size();
    }
    benchmark::DoNotOptimize(bytes);
  }
}

// Argument: backups on.
void BM_LoadAndWriteBackChanged(benchmark::State& state) {
  Corpus& c = corpus();
  WriteBackOptions options;
  options.createBackup = state.range(0) != 0;
  int written = 0;
  for (auto _ : state) {
    state.PauseTiming();
    resetChangedFiles(c);
    state.ResumeTiming();
    written = 0;
    for (const std::string& path : c.paths) {
      LoadedFile file;
      std::string error;
      if (loadFile(path, file, error) != LoadResult::Loaded) continue;
      std::string now = replaced(file.content);
      if (now == file.content) continue;
      if (writeBack(file, now, options)) ++written;
    }
  }
  if (written != kChanged) state.SkipWithError("not every changed file was written");
}

// The same through WriteBackBatch, committing every `batch` files. Arguments: backups on,
// files per commit.
void BM_LoadAndWriteBackBatched(benchmark::State& state) {
  Corpus& c = corpus();
  WriteBackOptions options;
  options.createBackup = state.range(0) != 0;
  const size_t perCommit = static_cast<size_t>(state.range(1));
  int written = 0;
  for (auto _ : state) {
    state.PauseTiming();
    resetChangedFiles(c);
    state.ResumeTiming();
    written = 0;
    WriteBackBatch batch(options);
    auto commit = [&] {
      for (const WriteBackBatch::Outcome& outcome : batch.commit())
        written += outcome.status ? 1 : 0;
    };
    for (const std::string& path : c.paths) {
      LoadedFile file;
      std::string error;
      if (loadFile(path, file, error) != LoadResult::Loaded) continue;
      std::string now = replaced(file.content);
      if (now == file.content) continue;
      if (!batch.add(file, now)) continue;
      if (batch.staged() >= perCommit) commit();
    }
    commit();
  }
  if (written != kChanged) state.SkipWithError("not every changed file was written");
}

BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadAndWriteBackChanged)
    ->ArgNames({"backup"})
    ->Args({0})
    ->Args({1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_LoadAndWriteBackBatched)
    ->ArgNames({"backup", "batch"})
    ->Args({0, 256})
    ->Args({1, 256})
    ->Args({1, 1024})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
