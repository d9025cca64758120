#include "text/EditedText.h"

#include <cstring>

#include "text/Encoding.h"

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

// The UTF-16 reading `bytes` start with the mark of, if any.
std::optional<TextEncoding> utf16MarkOf(std::string_view bytes) {
  switch (text::detectEncoding(bytes.substr(0, 2))) {
    case text::TextEncoding::Utf16Le:
      return TextEncoding::Utf16Le;
    case text::TextEncoding::Utf16Be:
      return TextEncoding::Utf16Be;
    default:
      return std::nullopt;
  }
}

text::TextEncoding fileEncoding(TextEncoding utf16) {
  return utf16 == TextEncoding::Utf16Le ? text::TextEncoding::Utf16Le : text::TextEncoding::Utf16Be;
}

bool isUtf16(TextEncoding encoding) {
  return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
}

// The offset in `text` of what is at `at` in the same text with `eol` line breaks.
std::size_t offsetInText(std::string_view text, std::string_view eol, std::size_t at) {
  std::size_t written = 0, i = 0;
  for (; i < text.size() && written < at; ++i) {
    const char c = text[i];
    if (c == '\n' || c == '\r') {
      written += eol.size();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      ++written;
    }
  }
  return i;
}

}  // namespace

LineEndStyle firstLineEnd(std::string_view bytes) {
  const std::size_t at = bytes.find_first_of("\r\n");
  if (at == std::string_view::npos || bytes[at] == '\n') return LineEndStyle::Lf;
  return at + 1 < bytes.size() && bytes[at + 1] == '\n' ? LineEndStyle::CrLf : LineEndStyle::Cr;
}

std::optional<EditableText> decodeForEditing(std::string_view bytes,
                                             std::optional<TextEncoding> encoding) {
  EditableText out;
  // UTF-16 is read into (generalized) UTF-8 first; its line ends are then taken as UTF-8's.
  std::string utf16Text;
  bool utf8 = true;
  if (const auto marked = utf16MarkOf(bytes); marked && (!encoding || *encoding == *marked)) {
    text::DecodedText read = text::decodeText(bytes, fileEncoding(*marked));
    utf16Text = std::move(read.text);
    out.format.encoding = *marked;
    out.format.byteOrderMark = true;
    out.format.trailing = std::move(read.trailing);
    bytes = utf16Text;
  } else {
    utf8 = encoding && *encoding != TextEncoding::Utf8 ? false : isValidUtf8(bytes);
    out.format.encoding = utf8 ? TextEncoding::Utf8 : TextEncoding::Latin1;
    if (utf8 && bytes.substr(0, kBom.size()) == kBom) {
      out.format.byteOrderMark = true;
      bytes.remove_prefix(kBom.size());
    }
  }
  if (std::memchr(bytes.data(), 0, bytes.size()) != nullptr) return std::nullopt;
  out.format.lineEnd = firstLineEnd(bytes);
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
  const bool utf8 = format.encoding != TextEncoding::Latin1;
  const bool utf16 = isUtf16(format.encoding);
  out.bytes.reserve(text.size() + 3);
  if (utf8 && !utf16 && format.byteOrderMark) out.bytes += kBom;
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
  if (!utf16) return out;
  EncodedText encoded =
      text::encodeText({std::move(out.bytes), format.trailing}, fileEncoding(format.encoding));
  if (!encoded.ok()) encoded.unencodable = offsetInText(text, eol, encoded.unencodable);
  return encoded;
}

}  // namespace tw
