#include "engine/rtf/CodePages.h"

#include "engine/rtf/CodePageTables.h"
#include "text/Windows1252.h"

namespace tw::rtf {

std::uint16_t codePageOfCharset(int charset) {
  switch (charset) {
    case 0:
      return 1252;
    case 2:
      return kCodePageSymbol;
    case 77:
      return 10000;
    case 128:
      return 932;
    case 129:
      return 949;
    case 130:
      return 1361;
    case 134:
      return 936;
    case 136:
      return 950;
    case 161:
      return 1253;
    case 162:
      return 1254;
    case 163:
      return 1258;
    case 177:
      return 1255;
    case 178:
      return 1256;
    case 186:
      return 1257;
    case 204:
      return 1251;
    case 222:
      return 874;
    case 238:
      return 1250;
    case 254:
      return 437;
    case 255:
      return 850;
    default:
      return 0;
  }
}

bool isDoubleByteCodePage(std::uint16_t codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 ||
         codePage == 1361;
}

bool isLeadByte(std::uint16_t codePage, std::uint8_t byte) {
  if (!isDoubleByteCodePage(codePage)) return false;
  if (codePage == 932) return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
  return byte >= 0x81 && byte <= 0xFE;
}

char32_t decodeByte(std::uint16_t codePage, std::uint8_t byte) {
  if (codePage == kCodePageSymbol) return byte >= 0x20 ? char32_t{0xF000} + byte : byte;
  if (byte < 0x80) return byte;
  if (codePage == 1252) {
    // The bytes 1252 leaves undefined read as U+FFFD, as in every other code page here.
    return text::isUndefinedInWindows1252(byte) ? char32_t{0xFFFD}
                                                : text::windows1252CodePoint(byte);
  }
  const char16_t* upper = upperHalfOf(codePage);
  return upper != nullptr ? char32_t{upper[byte - 0x80]} : char32_t{0xFFFD};
}

std::optional<std::uint8_t> encodeByte(std::uint16_t codePage, char32_t ch) {
  if (codePage == kCodePageSymbol) {
    if (ch < 0x20) return static_cast<std::uint8_t>(ch);
    if (ch >= 0xF020 && ch <= 0xF0FF) return static_cast<std::uint8_t>(ch - 0xF000);
    return std::nullopt;
  }
  if (ch < 0x80) return static_cast<std::uint8_t>(ch);
  if (ch == 0xFFFD) return std::nullopt;
  if (codePage == 1252) {
    const std::optional<std::uint8_t> byte = text::windows1252Byte(ch);
    if (byte && text::isUndefinedInWindows1252(*byte)) return std::nullopt;
    return byte;
  }
  const char16_t* upper = upperHalfOf(codePage);
  if (upper == nullptr) return std::nullopt;
  for (unsigned i = 0; i < 128; ++i) {
    if (upper[i] == ch) return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

}  // namespace tw::rtf
