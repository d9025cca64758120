#include "text/EditedText.h"

#include <cstring>

namespace tw {

namespace {

constexpr std::string_view kBom = text::kUtf8Mark;

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
      text::appendUtf8(out.text, b);
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
