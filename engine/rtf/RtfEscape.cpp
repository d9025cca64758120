#include "engine/rtf/RtfEscape.h"

#include "config/Configuration.h"
#include "engine/rtf/CodePages.h"

namespace tw::rtf {

bool decodeUtf8(std::string_view utf8, std::vector<char32_t>& out) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    int need;
    char32_t ch;
    char32_t min;
    if (b >= 0xC2 && b <= 0xDF)
      need = 1, ch = b & 0x1F, min = 0x80;
    else if (b >= 0xE0 && b <= 0xEF)
      need = 2, ch = b & 0x0F, min = 0x800;
    else if (b >= 0xF0 && b <= 0xF4)
      need = 3, ch = b & 0x07, min = 0x10000;
    else
      return false;
    if (i + static_cast<std::size_t>(need) >= utf8.size()) return false;
    for (int k = 1; k <= need; ++k) {
      const auto c = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      if ((c & 0xC0) != 0x80) return false;
      ch = (ch << 6) | (c & 0x3F);
    }
    if (ch < min || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) return false;
    out.push_back(ch);
    i += static_cast<std::size_t>(need) + 1;
  }
  return true;
}

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
  std::vector<char32_t> chars;
  if (!decodeUtf8(utf8, chars)) return std::nullopt;
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
