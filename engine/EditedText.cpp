#include "engine/EditedText.h"

#include <cstdint>
#include <cstring>

namespace tw {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The length of the well-formed UTF-8 sequence at `i`, or 0.
std::size_t utf8Length(std::string_view s, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return 1;
  auto cont = [&](std::size_t k) {
    return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
  };
  const auto b1 = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) return cont(1) ? 2 : 0;
  if (b0 >= 0xE0 && b0 <= 0xEF) {
    if (!cont(1) || !cont(2)) return 0;
    if (b0 == 0xE0 && b1 < 0xA0) return 0;   // overlong
    if (b0 == 0xED && b1 >= 0xA0) return 0;  // surrogate
    return 3;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    if (!cont(1) || !cont(2) || !cont(3)) return 0;
    if (b0 == 0xF0 && b1 < 0x90) return 0;   // overlong
    if (b0 == 0xF4 && b1 >= 0x90) return 0;  // past U+10FFFF
    return 4;
  }
  return 0;
}

std::string_view lineBreak(LineEndStyle style) {
  switch (style) {
    case LineEndStyle::CrLf:
      return "\r\n";
    case LineEndStyle::Cr:
      return "\r";
    case LineEndStyle::Lf:
      break;
  }
  return "\n";
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = utf8Length(bytes, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

LineEndStyle firstLineEnd(std::string_view bytes) {
  const std::size_t at = bytes.find_first_of("\r\n");
  if (at == std::string_view::npos || bytes[at] == '\n') return LineEndStyle::Lf;
  return at + 1 < bytes.size() && bytes[at + 1] == '\n' ? LineEndStyle::CrLf : LineEndStyle::Cr;
}

std::optional<EditableText> decodeForEditing(std::string_view bytes,
                                             std::optional<TextEncoding> encoding) {
  if (std::memchr(bytes.data(), 0, bytes.size()) != nullptr) return std::nullopt;
  EditableText out;
  out.format.lineEnd = firstLineEnd(bytes);
  const bool utf8 =
      encoding ? *encoding == TextEncoding::Utf8 && isValidUtf8(bytes) : isValidUtf8(bytes);
  out.format.encoding = utf8 ? TextEncoding::Utf8 : TextEncoding::Latin1;
  if (utf8 && bytes.substr(0, kBom.size()) == kBom) {
    out.format.byteOrderMark = true;
    bytes.remove_prefix(kBom.size());
  }
  out.text.reserve(bytes.size() + bytes.size() / 8);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b == '\r') {
      out.text += '\n';
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else if (b < 0x80 || utf8) {
      out.text += static_cast<char>(b);
    } else {
      out.text += static_cast<char>(0xC0 | (b >> 6));
      out.text += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out;
}

EncodedText encodeEdited(std::string_view text, const TextFormat& format) {
  EncodedText out;
  const std::string_view eol = lineBreak(format.lineEnd);
  const bool utf8 = format.encoding == TextEncoding::Utf8;
  out.bytes.reserve(text.size() + 3);
  if (utf8 && format.byteOrderMark) out.bytes += kBom;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == '\n' || b == '\r') {
      out.bytes += eol;
      if (b == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (b < 0x80 || utf8) {
      out.bytes += static_cast<char>(b);
    } else if ((b == 0xC2 || b == 0xC3) && i + 1 < text.size() &&
               (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
      // U+0080 to U+00FF: the Latin-1 byte of the same value.
      out.bytes +=
          static_cast<char>(((b & 0x03) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F));
      ++i;
    } else {
      out.unencodable = i;
      out.bytes.clear();
      return out;
    }
  }
  return out;
}

}  // namespace tw
