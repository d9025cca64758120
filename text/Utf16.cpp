#include "text/Utf16.h"

#include "text/Utf8.h"

#include <bit>
#include <cstdint>
#include <cstring>

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

void appendUnit(std::string& out, char32_t unit, ByteOrder order) {
  const char high = static_cast<char>(unit >> 8);
  const char low = static_cast<char>(unit & 0xFF);
  if (order == ByteOrder::LittleEndian) {
    out += low;
    out += high;
  } else {
    out += high;
    out += low;
  }
}

void appendSurrogate(std::string& out, char32_t unit) {
  out += static_cast<char>(0xE0 | (unit >> 12));
  out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (unit & 0x3F));
}

// The surrogate in its three-byte form at the start of `text` (ED A0..BF 80..BF), or 0.
char32_t surrogateAt(std::string_view text) {
  if (text.size() < 3 || static_cast<unsigned char>(text[0]) != 0xED) return 0;
  const auto b1 = static_cast<unsigned char>(text[1]);
  const auto b2 = static_cast<unsigned char>(text[2]);
  if (b1 < 0xA0 || b1 > 0xBF || (b2 & 0xC0) != 0x80) return 0;
  return 0xD000 | char32_t((b1 & 0x3F) << 6) | (b2 & 0x3F);
}

// The number of units from unit `k` on that are ASCII, four at a time while it can.
std::size_t asciiUnits(std::string_view bytes, std::size_t k, std::size_t units, ByteOrder order) {
  // A unit is ASCII when its low byte is below 0x80 and its high byte is 0.
  const bool lowFirst =
      (order == ByteOrder::LittleEndian) == (std::endian::native == std::endian::little);
  const std::uint64_t mask = lowFirst ? 0xFF80FF80FF80FF80ull : 0x80FF80FF80FF80FFull;
  std::size_t r = k;
  for (std::uint64_t v = 0; r + 4 <= units; r += 4) {
    std::memcpy(&v, bytes.data() + 2 * r, sizeof v);
    if ((v & mask) != 0) break;
  }
  while (r < units && unitAt(bytes, 2 * r, order) < 0x80) ++r;
  return r - k;
}

}  // namespace

Utf16Text decodeUtf16(std::string_view bytes, ByteOrder order) {
  Utf16Text out;
  const std::size_t units = bytes.size() / 2;
  out.text.reserve(units + units / 2);
  const std::size_t low = order == ByteOrder::LittleEndian ? 0 : 1;
  for (std::size_t k = 0; k < units; ++k) {
    // A run of ASCII, one byte a unit.
    if (const std::size_t ascii = asciiUnits(bytes, k, units, order); ascii > 0) {
      const std::size_t at = out.text.size();
      out.text.resize(at + ascii);
      char* to = out.text.data() + at;
      const char* from = bytes.data() + 2 * k + low;
      for (std::size_t i = 0; i < ascii; ++i) to[i] = from[2 * i];
      k += ascii;
      if (k == units) break;
    }
    const char32_t unit = unitAt(bytes, 2 * k, order);
    if (isHighSurrogate(unit) && k + 1 < units) {
      const char32_t next = unitAt(bytes, 2 * k + 2, order);
      if (isLowSurrogate(next)) {
        appendUtf8(out.text, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        ++k;
        continue;
      }
    }
    if (isHighSurrogate(unit) || isLowSurrogate(unit))
      appendSurrogate(out.text, unit);
    else
      appendUtf8(out.text, unit);
  }
  if (bytes.size() % 2 != 0) out.trailing = bytes.substr(bytes.size() - 1);
  return out;
}

EncodedText encodeUtf16(std::string_view text, ByteOrder order) {
  EncodedText encoded;
  std::string& out = encoded.bytes;
  out.reserve(2 * text.size());
  const bool little = order == ByteOrder::LittleEndian;
  for (std::size_t i = 0; i < text.size();) {
    // A run of ASCII, each byte widened to a unit.
    if (const std::size_t ascii = asciiPrefixLength(text.substr(i)); ascii > 0) {
      const std::size_t at = out.size();
      out.resize(at + 2 * ascii);
      char* to = out.data() + at;
      const char* from = text.data() + i;
      for (std::size_t k = 0; k < ascii; ++k) {
        to[2 * k + (little ? 0 : 1)] = from[k];
        to[2 * k + (little ? 1 : 0)] = 0;
      }
      i += ascii;
      if (i == text.size()) break;
    }
    const DecodedCodePoint d = decodeCodePoint(text.substr(i));
    if (d.length != 0) {
      if (d.codePoint >= 0x10000) {
        appendUnit(out, 0xD800 + ((d.codePoint - 0x10000) >> 10), order);
        appendUnit(out, 0xDC00 + ((d.codePoint - 0x10000) & 0x3FF), order);
      } else {
        appendUnit(out, d.codePoint, order);
      }
      i += d.length;
      continue;
    }
    const char32_t surrogate = surrogateAt(text.substr(i));
    if (surrogate == 0) {
      out.clear();
      encoded.unencodable = i;
      return encoded;
    }
    appendUnit(out, surrogate, order);
    i += 3;
  }
  return encoded;
}

}  // namespace tw::text
