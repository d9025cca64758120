// UTF-16 read into UTF-8 and written back, alone (no file I/O), over 64 MiB of ASCII-heavy
// text with some accented letters: the two conversions a run over a UTF-16 file makes.
#include "text/Utf16.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>

namespace {

using tw::text::ByteOrder;

// About 64 MiB of UTF-8: words and spaces, "colour" every ~90 bytes, one accented letter
// (two bytes) in about one word of twenty.
const std::string& utf8Text() {
  static const std::string text = [] {
    std::mt19937 rng(11);
    const char* words[] = {
        "the",  "paint", "of", "grey", "harbour", "and", "a", "caf\xC3\xA9", "r\xC3\xA9sum\xC3\xA9",
        "stone"};
    std::string t;
    t.reserve((64u << 20) + 64);
    while (t.size() < (64u << 20)) {
      const auto pick = static_cast<unsigned>(rng() % 200);
      t += pick < 12 ? "colour" : words[pick % 10 < 8 ? pick % 7 : pick % 10];
      t += (rng() % 14 == 0) ? "\r\n" : " ";
    }
    return t;
  }();
  return text;
}

const std::string& utf16Bytes(ByteOrder order) {
  static const std::string le = tw::text::encodeUtf16(utf8Text(), ByteOrder::LittleEndian).bytes;
  static const std::string be = tw::text::encodeUtf16(utf8Text(), ByteOrder::BigEndian).bytes;
  return order == ByteOrder::LittleEndian ? le : be;
}

void decode(benchmark::State& state, ByteOrder order) {
  const std::string& bytes = utf16Bytes(order);
  for (auto _ : state) {
    benchmark::DoNotOptimize(tw::text::decodeUtf16(bytes, order));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}

// As a run writes a file back: the text encoded in stretches of 16 KiB.
void encode(benchmark::State& state, ByteOrder order) {
  const std::string_view text = utf8Text();
  constexpr std::size_t kStretch = std::size_t{16} << 10;
  for (auto _ : state) {
    std::size_t total = 0;
    for (std::size_t at = 0; at < text.size();) {
      std::size_t cut = std::min(kStretch, text.size() - at);
      while (at + cut < text.size() && (static_cast<unsigned char>(text[at + cut]) & 0xC0) == 0x80)
        --cut;
      const tw::text::EncodedText encoded = tw::text::encodeUtf16(text.substr(at, cut), order);
      total += encoded.bytes.size();
      at += cut;
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

// As a run reads one file after another: into storage kept from each to the next, so that
// only the first read touches new memory.
void readKept(benchmark::State& state, ByteOrder order) {
  const std::string& bytes = utf16Bytes(order);
  tw::text::Utf16Reader reader;
  for (auto _ : state) {
    benchmark::DoNotOptimize(reader.read(bytes, order).text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}

// As a run writes a file back now: the text encoded in stretches of 256 KiB, each into the
// one buffer kept for them.
void writeStretches(benchmark::State& state, ByteOrder order) {
  const std::string_view text = utf8Text();
  constexpr std::size_t kStretch = std::size_t{256} << 10;
  const std::unique_ptr<char[]> buffer(new char[2 * kStretch]);
  for (auto _ : state) {
    std::size_t total = 0;
    for (std::size_t at = 0; at < text.size();) {
      std::size_t cut = std::min(kStretch, text.size() - at);
      while (at + cut < text.size() && (static_cast<unsigned char>(text[at + cut]) & 0xC0) == 0x80)
        --cut;
      const tw::text::WrittenUtf16 written =
          tw::text::writeUtf16(text.substr(at, cut), order, buffer.get());
      total += static_cast<std::size_t>(written.end - buffer.get());
      at += cut;
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

void BM_DecodeUtf16Le(benchmark::State& state) {
  decode(state, ByteOrder::LittleEndian);
}
void BM_DecodeUtf16Be(benchmark::State& state) {
  decode(state, ByteOrder::BigEndian);
}
void BM_EncodeUtf16Le(benchmark::State& state) {
  encode(state, ByteOrder::LittleEndian);
}
void BM_EncodeUtf16Be(benchmark::State& state) {
  encode(state, ByteOrder::BigEndian);
}

void BM_ReadUtf16KeptLe(benchmark::State& state) {
  readKept(state, ByteOrder::LittleEndian);
}
void BM_WriteUtf16StretchesLe(benchmark::State& state) {
  writeStretches(state, ByteOrder::LittleEndian);
}

BENCHMARK(BM_DecodeUtf16Le)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeUtf16Be)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeUtf16Le)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeUtf16Be)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadUtf16KeptLe)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteUtf16StretchesLe)->Unit(benchmark::kMillisecond);

}  // namespace
