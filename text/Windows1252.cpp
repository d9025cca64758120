#include "text/Windows1252.h"

#include "text/Utf8.h"

namespace tw::text {

namespace {

// Bytes 0x80-0x9F; from 0xA0 on, a byte is the code point of the same value.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t windows1252CodePoint(std::uint8_t byte) {
  return byte >= 0x80 && byte <= 0x9F ? char32_t{kHigh[byte - 0x80]} : char32_t{byte};
}

bool isUndefinedInWindows1252(std::uint8_t byte) {
  return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

std::optional<std::uint8_t> windows1252Byte(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
    return static_cast<std::uint8_t>(codePoint);
  for (std::uint8_t i = 0; i < 32; ++i) {
    if (kHigh[i] == codePoint) return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

std::string windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  while (!bytes.empty()) {
    const std::size_t ascii = asciiPrefixLength(bytes);
    out.append(bytes.substr(0, ascii));
    bytes.remove_prefix(ascii);
    if (bytes.empty()) break;
    appendUtf8(out, windows1252CodePoint(static_cast<std::uint8_t>(bytes.front())));
    bytes.remove_prefix(1);
  }
  return out;
}

EncodedText utf8ToWindows1252(std::string_view text) {
  EncodedText out;
  out.bytes.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t ascii = asciiPrefixLength(text.substr(i));
    out.bytes.append(text.substr(i, ascii));
    i += ascii;
    if (i == text.size()) break;
    const DecodedCodePoint d = decodeCodePoint(text.substr(i));
    const std::optional<std::uint8_t> byte =
        d.length == 0 ? std::nullopt : windows1252Byte(d.codePoint);
    if (!byte) {
      out.bytes.clear();
      out.unencodable = i;
      return out;
    }
    out.bytes += static_cast<char>(*byte);
    i += d.length;
  }
  return out;
}

}  // namespace tw::text
