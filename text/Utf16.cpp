#include "text/Utf16.h"

#include "text/Utf8.h"

#include "platform/FileIo.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace tw::text {

namespace {

bool isHighSurrogate(char32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}

bool isLowSurrogate(char32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

char32_t unitAt(std::string_view bytes, std::size_t i, ByteOrder order) {
  const auto b0 = static_cast<unsigned char>(bytes[i]);
  const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
  return order == ByteOrder::LittleEndian ? char32_t(b0 | (b1 << 8)) : char32_t((b0 << 8) | b1);
}

// The surrogate in its three-byte form at the start of `text` (ED A0..BF 80..BF), or 0.
char32_t surrogateAt(std::string_view text) {
  if (text.size() < 3 || static_cast<unsigned char>(text[0]) != 0xED) return 0;
  const auto b1 = static_cast<unsigned char>(text[1]);
  const auto b2 = static_cast<unsigned char>(text[2]);
  if (b1 < 0xA0 || b1 > 0xBF || (b2 & 0xC0) != 0x80) return 0;
  return 0xD000 | char32_t((b1 & 0x3F) << 6) | (b2 & 0x3F);
}

// The generalized UTF-8 of `unit` at `to` (a surrogate in its three-byte form); its end.
char* putUnit(char* to, char32_t unit) {
  if (unit < 0x80) {
    *to++ = static_cast<char>(unit);
  } else if (unit < 0x800) {
    *to++ = static_cast<char>(0xC0 | (unit >> 6));
    *to++ = static_cast<char>(0x80 | (unit & 0x3F));
  } else {
    *to++ = static_cast<char>(0xE0 | (unit >> 12));
    *to++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    *to++ = static_cast<char>(0x80 | (unit & 0x3F));
  }
  return to;
}

char* putUnitBytes(char* to, char32_t unit, bool little) {
  const char high = static_cast<char>(unit >> 8);
  const char low = static_cast<char>(unit & 0xFF);
  to[0] = little ? low : high;
  to[1] = little ? high : low;
  return to + 2;
}

// Units [k, end) of `from` that are ASCII, from the first on, written one byte a unit at `to`;
// `k` and `to` are moved past them. Room for 16 bytes at `to` is needed only while 16 units
// are left, and bytes written past the run's end are garbage for the caller to overwrite.
void copyAsciiUnits(const char* from, std::size_t& k, std::size_t end, char*& to, bool little) {
#if defined(__SSE2__) || defined(_M_X64)
  // Sixteen units at a time: packed to bytes, then kept up to the first that is not ASCII.
  const __m128i notAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  while (k + 16 <= end) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 2 * k));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 2 * k + 16));
    if (!little) {
      a = _mm_or_si128(_mm_slli_epi16(a, 8), _mm_srli_epi16(a, 8));
      b = _mm_or_si128(_mm_slli_epi16(b, 8), _mm_srli_epi16(b, 8));
    }
    const auto ascii = static_cast<std::uint32_t>(
        _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(a, notAscii), zero)) |
        (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(b, notAscii), zero)) << 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_packus_epi16(a, b));
    if (ascii != 0xFFFFFFFFu) {
      const std::size_t n = static_cast<std::size_t>(std::countr_one(ascii)) / 2;
      k += n;
      to += n;
      return;
    }
    k += 16;
    to += 16;
  }
#endif
  const std::size_t low = little ? 0 : 1;
  for (; k < end; ++k) {
    const auto lo = static_cast<unsigned char>(from[2 * k + low]);
    if (lo >= 0x80 || from[2 * k + 1 - low] != 0) return;
    *to++ = static_cast<char>(lo);
  }
}

// Bytes [i, end) of `from` that are ASCII, from the first on, written one unit each at `to`;
// `i` and `to` are moved past them. Room for 32 bytes at `to` is needed only while 16 bytes
// are left, and bytes written past the run's end are garbage for the caller to overwrite.
void widenAscii(const char* from, std::size_t& i, std::size_t end, char*& to, bool little) {
#if defined(__SSE2__) || defined(_M_X64)
  const __m128i zero = _mm_setzero_si128();
  while (i + 16 <= end) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    const auto high = static_cast<unsigned>(_mm_movemask_epi8(v));
    const __m128i first = little ? _mm_unpacklo_epi8(v, zero) : _mm_unpacklo_epi8(zero, v);
    const __m128i second = little ? _mm_unpackhi_epi8(v, zero) : _mm_unpackhi_epi8(zero, v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), first);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16), second);
    if (high != 0) {
      const auto n = static_cast<std::size_t>(std::countr_zero(high));
      i += n;
      to += 2 * n;
      return;
    }
    i += 16;
    to += 32;
  }
#endif
  for (; i < end && static_cast<unsigned char>(from[i]) < 0x80; ++i)
    to = putUnitBytes(to, static_cast<unsigned char>(from[i]), little);
}

// Units [k, end) of the `units` in `from` decoded at `to`, which has room for 3 x (end - k) + 1
// bytes (three bytes a unit, one more for a pair that ends past `end`); `k` is moved past
// them. Returns the end of what it wrote.
char* decodeUnits(const char* from, std::size_t& k, std::size_t end, std::size_t units, char* to,
                  bool little) {
  const std::string_view bytes(from, 2 * units);
  const ByteOrder order = little ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
  while (k < end) {
    copyAsciiUnits(from, k, end, to, little);
    if (k == end) break;
    const char32_t unit = unitAt(bytes, 2 * k, order);
    ++k;
    if (unit < 0x80) {
      *to++ = static_cast<char>(unit);
      continue;
    }
    if (isHighSurrogate(unit) && k < units) {
      const char32_t next = unitAt(bytes, 2 * k, order);
      if (isLowSurrogate(next)) {
        const char32_t cp = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
        *to++ = static_cast<char>(0xF0 | (cp >> 18));
        *to++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *to++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *to++ = static_cast<char>(0x80 | (cp & 0x3F));
        ++k;
        continue;
      }
    }
    // A lone surrogate has the three-byte form its value would have, as any other unit.
    to = putUnit(to, unit);
  }
  return to;
}

// Each small page touched for the first time is a fault, and a big text has very many.
void adviseLargePagesIfBig(char* data, std::size_t size) {
  if (size >= (std::size_t{8} << 20)) platform::adviseLargePages(data, size);
}

}  // namespace

Utf16Text decodeUtf16(std::string_view bytes, ByteOrder order) {
  Utf16Text out;
  std::string& text = out.text;
  const std::size_t units = bytes.size() / 2;
  text.reserve(units + units / 2);
  adviseLargePagesIfBig(text.data(), text.capacity());
  // A block of units at a time, written straight into room for the most it can make, then
  // cut to what it made.
  constexpr std::size_t kBlock = 4096;
  std::size_t made = 0;
  for (std::size_t k = 0; k < units;) {
    const std::size_t end = std::min(units, k + kBlock);
    text.resize(made + 3 * (end - k) + 1);
    char* const start = text.data();
    made = static_cast<std::size_t>(
        decodeUnits(bytes.data(), k, end, units, start + made, order == ByteOrder::LittleEndian) -
        start);
    text.resize(made);
  }
  if (bytes.size() % 2 != 0) out.trailing = bytes.substr(bytes.size() - 1);
  return out;
}

Utf16Reader::Text Utf16Reader::read(std::string_view bytes, ByteOrder order) {
  const std::size_t units = bytes.size() / 2;
  const std::size_t most = 3 * units + 1;
  if (most > m_capacity) {
    // An eighth more than asked, so that files of about one size do not move it; only the
    // pages a text is written on are ever touched.
    const std::size_t grown = most + most / 8;
    m_data.reset();
    m_capacity = 0;  // as it is, should the new storage not be had
    m_data.reset(new char[grown]);
    m_capacity = grown;
    adviseLargePagesIfBig(m_data.get(), grown);
    // Every unit makes at least one byte of text: those bytes are faulted in on two processors
    // before the decoding writes them, as a big read buffer is.
    if (grown >= (std::size_t{8} << 20)) platform::faultIn(m_data.get(), units);
  }
  std::size_t k = 0;
  char* const end =
      decodeUnits(bytes.data(), k, units, units, m_data.get(), order == ByteOrder::LittleEndian);
  Text read;
  read.text = std::string_view(m_data.get(), static_cast<std::size_t>(end - m_data.get()));
  if (bytes.size() % 2 != 0) read.trailing = bytes.substr(bytes.size() - 1);
  return read;
}

WrittenUtf16 writeUtf16(std::string_view text, ByteOrder order, char* to) {
  WrittenUtf16 written;
  const bool little = order == ByteOrder::LittleEndian;
  const char* const from = text.data();
  for (std::size_t i = 0; i < text.size();) {
    widenAscii(from, i, text.size(), to, little);
    if (i == text.size()) break;
    const auto b0 = static_cast<unsigned char>(from[i]);
    if (b0 < 0x80) {
      to = putUnitBytes(to, b0, little);
      ++i;
      continue;
    }
    // Two bytes, the common letter with an accent, at once.
    if (b0 >= 0xC2 && b0 <= 0xDF && i + 1 < text.size() &&
        (static_cast<unsigned char>(from[i + 1]) & 0xC0) == 0x80) {
      const char32_t unit =
          char32_t((b0 & 0x1F) << 6) | (static_cast<unsigned char>(from[i + 1]) & 0x3F);
      to = putUnitBytes(to, unit, little);
      i += 2;
      continue;
    }
    const DecodedCodePoint d = decodeCodePoint(text.substr(i));
    if (d.length != 0) {
      if (d.codePoint >= 0x10000) {
        to = putUnitBytes(to, 0xD800 + ((d.codePoint - 0x10000) >> 10), little);
        to = putUnitBytes(to, 0xDC00 + ((d.codePoint - 0x10000) & 0x3FF), little);
      } else {
        to = putUnitBytes(to, d.codePoint, little);
      }
      i += d.length;
      continue;
    }
    const char32_t surrogate = surrogateAt(text.substr(i));
    if (surrogate == 0) {
      written.unencodable = i;
      return written;
    }
    to = putUnitBytes(to, surrogate, little);
    i += 3;
  }
  written.end = to;
  return written;
}

EncodedText encodeUtf16(std::string_view text, ByteOrder order) {
  EncodedText encoded;
  std::string& out = encoded.bytes;
  // Room for the most it can make (two bytes of UTF-16 a byte of generalized UTF-8), written
  // straight in, then cut to what it made.
  out.resize(2 * text.size());
  const WrittenUtf16 written = writeUtf16(text, order, out.data());
  if (!written.ok()) {
    out.clear();
    encoded.unencodable = written.unencodable;
    return encoded;
  }
  out.resize(static_cast<std::size_t>(written.end - out.data()));
  return encoded;
}

}  // namespace tw::text
