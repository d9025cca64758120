#include "text/Encoding.h"

#include "text/Utf16.h"
#include "text/Windows1252.h"

namespace tw::text {

namespace {

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

std::string_view markOf(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8WithMark:
      return kUtf8Mark;
    case TextEncoding::Utf16Le:
      return kUtf16LeMark;
    case TextEncoding::Utf16Be:
      return kUtf16BeMark;
    case TextEncoding::Utf8:
    case TextEncoding::Windows1252:
      break;
  }
  return {};
}

}  // namespace

TextEncoding detectEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf16LeMark)) return TextEncoding::Utf16Le;
  if (bytes.starts_with(kUtf16BeMark)) return TextEncoding::Utf16Be;
  if (isValidUtf8(bytes))
    return bytes.starts_with(kUtf8Mark) ? TextEncoding::Utf8WithMark : TextEncoding::Utf8;
  return TextEncoding::Windows1252;
}

std::string_view encodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return "UTF-8";
    case TextEncoding::Utf8WithMark:
      return "UTF-8 with mark";
    case TextEncoding::Utf16Le:
      return "UTF-16 LE";
    case TextEncoding::Utf16Be:
      return "UTF-16 BE";
    case TextEncoding::Windows1252:
      return "Windows-1252";
  }
  return "UTF-8";
}

DecodedText decodeText(std::string_view bytes, TextEncoding encoding) {
  if (bytes.starts_with(markOf(encoding))) bytes.remove_prefix(markOf(encoding).size());
  switch (encoding) {
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be: {
      Utf16Text read =
          decodeUtf16(bytes, encoding == TextEncoding::Utf16Le ? ByteOrder::LittleEndian
                                                               : ByteOrder::BigEndian);
      return {std::move(read.text), std::move(read.trailing)};
    }
    case TextEncoding::Windows1252:
      return {windows1252ToUtf8(bytes), {}};
    case TextEncoding::Utf8:
    case TextEncoding::Utf8WithMark:
      break;
  }
  return {std::string(bytes), {}};
}

EncodedText encodeText(const DecodedText& decoded, TextEncoding encoding) {
  EncodedText out;
  switch (encoding) {
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
      out = encodeUtf16(decoded.text, encoding == TextEncoding::Utf16Le ? ByteOrder::LittleEndian
                                                                        : ByteOrder::BigEndian);
      break;
    case TextEncoding::Windows1252:
      out = utf8ToWindows1252(decoded.text);
      break;
    case TextEncoding::Utf8:
    case TextEncoding::Utf8WithMark:
      out.bytes = decoded.text;
      break;
  }
  if (!out.ok()) return out;
  out.bytes.insert(0, markOf(encoding));
  out.bytes += decoded.trailing;
  return out;
}

}  // namespace tw::text
