#include "text/Utf8.h"

#include <cstdint>
#include <cstring>

namespace tw::text {

namespace {

bool isContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

}  // namespace

std::size_t asciiPrefixLength(std::string_view bytes) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, sizeof word);
    if ((word & kHighBits) != 0) break;
  }
  while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  return i;
}

DecodedCodePoint decodeCodePoint(std::string_view bytes) {
  if (bytes.empty()) return {};
  const auto b0 = static_cast<unsigned char>(bytes[0]);
  if (b0 < 0x80) return {b0, 1};
  std::size_t length;
  char32_t cp;
  // The allowed range of the second byte rules out overlong forms, surrogates and values
  // past U+10FFFF before any value is computed.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    cp = b0 & 0x0F;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED) high = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    cp = b0 & 0x07;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  } else {
    return {};
  }
  if (bytes.size() < length) return {};
  const auto b1 = static_cast<unsigned char>(bytes[1]);
  if (b1 < low || b1 > high) return {};
  cp = (cp << 6) | (b1 & 0x3F);
  for (std::size_t k = 2; k < length; ++k) {
    const auto b = static_cast<unsigned char>(bytes[k]);
    if (!isContinuation(b)) return {};
    cp = (cp << 6) | (b & 0x3F);
  }
  return {cp, length};
}

bool isValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (true) {
    i += asciiPrefixLength(bytes.substr(i));
    if (i == bytes.size()) return true;
    const std::size_t length = decodeCodePoint(bytes.substr(i)).length;
    if (length == 0) return false;
    i += length;
  }
}

std::optional<std::u32string> decodeUtf8(std::string_view bytes) {
  std::u32string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    const DecodedCodePoint d = decodeCodePoint(bytes);
    if (d.length == 0) return std::nullopt;
    out += d.codePoint;
    bytes.remove_prefix(d.length);
  }
  return out;
}

void appendUtf8(std::string& out, char32_t codePoint) {
  char32_t cp = codePoint;
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacementCharacter;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace tw::text
