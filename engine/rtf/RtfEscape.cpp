#include "engine/rtf/RtfEscape.h"

#include "config/Configuration.h"
#include "engine/rtf/CodePages.h"
#include "text/Utf8.h"

namespace tw::rtf {

namespace {

void appendUnicode(std::string& out, char32_t unit, std::string_view fallback, std::uint16_t uc) {
  const int signedValue = unit >= 0x8000 ? static_cast<int>(unit) - 65536 : static_cast<int>(unit);
  out += "\\u";
  out += std::to_string(signedValue);
  out += ' ';
  for (std::uint16_t k = 0; k < uc; ++k) {
    if (k == 0)
      out += fallback;
    else
      out += '?';
  }
}

}  // namespace

std::optional<std::string> escapeText(std::string_view utf8, std::uint16_t codePage,
                                      std::uint16_t uc) {
  const std::optional<std::u32string> decoded = text::decodeUtf8(utf8);
  if (!decoded) return std::nullopt;
  const std::u32string& chars = *decoded;
  std::string out;
  out.reserve(utf8.size() + 8);
  static constexpr char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < chars.size(); ++i) {
    const char32_t ch = chars[i];
    switch (ch) {
      case '\r':
        if (i + 1 < chars.size() && chars[i + 1] == '\n') ++i;
        out += "\\par ";
        continue;
      case '\n':
        out += "\\par ";
        continue;
      case '\t':
        out += "\\tab ";
        continue;
      case 0x0B:
        out += "\\line ";
        continue;
      case 0x0C:
        out += "\\page ";
        continue;
      case '\\':
        out += "\\\\";
        continue;
      case '{':
        out += "\\{";
        continue;
      case '}':
        out += "\\}";
        continue;
      case 0x00A0:
        out += "\\~";
        continue;
      case 0x00AD:
        out += "\\-";
        continue;
      case 0x2011:
        out += "\\_";
        continue;
      default:
        break;
    }
    if (ch < 0x20 || ch == 0x7F || (ch >= 0xFFF9 && ch <= 0xFFFB)) return std::nullopt;
    const std::optional<std::uint8_t> byte = encodeByte(codePage, ch);
    if (ch < 0x7F && byte && *byte == ch) {
      out += static_cast<char>(ch);
      continue;
    }
    char hex[4] = {'\\', '\'', '0', '0'};
    std::string_view fallback = "?";
    if (byte) {
      hex[2] = kHex[*byte >> 4];
      hex[3] = kHex[*byte & 0x0F];
      fallback = std::string_view(hex, 4);
    }
    if (ch >= 0x10000) {
      appendUnicode(out, 0xD800 + ((ch - 0x10000) >> 10), "?", uc);
      appendUnicode(out, 0xDC00 + ((ch - 0x10000) & 0x3FF), "?", uc);
    } else {
      appendUnicode(out, ch, fallback, uc);
    }
  }
  return out;
}

std::string normalisedPlain(std::string_view utf8) {
  return withCrLfLineBreaks(utf8);
}

}  // namespace tw::rtf
