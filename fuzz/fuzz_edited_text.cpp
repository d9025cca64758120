// The editor's reading and writing of a file on any bytes: a file it accepts comes back byte
// for byte when every line end already has the file's own style, and a text it writes reads
// back as the same text. A UTF-16 file's line ends are those of its text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/EditedText.h"
#include "text/Encoding.h"

namespace {

std::string withLineEnds(std::string_view s, std::string_view eol) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' || s[i] == '\n') {
      out += eol;
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tw;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (bool forceLatin1 : {false, true}) {
    const auto text =
        forceLatin1 ? decodeForEditing(bytes, TextEncoding::Latin1) : decodeForEditing(bytes);
    if (!text) {
      if (bytes.find('\0') == std::string::npos) std::abort();
      return 0;
    }
    const EncodedText saved = encodeEdited(text->text, text->format);
    if (!saved.ok()) std::abort();
    // The same line ends throughout: the bytes themselves.
    const char* eol = text->format.lineEnd == LineEndStyle::CrLf ? "\r\n"
                      : text->format.lineEnd == LineEndStyle::Cr ? "\r"
                                                                 : "\n";
    std::string normal;
    if (text->format.encoding == TextEncoding::Utf16Le ||
        text->format.encoding == TextEncoding::Utf16Be) {
      const text::TextEncoding utf16 = text->format.encoding == TextEncoding::Utf16Le
                                           ? text::TextEncoding::Utf16Le
                                           : text::TextEncoding::Utf16Be;
      text::DecodedText read = text::decodeText(bytes, utf16);
      read.text = withLineEnds(read.text, eol);
      normal = text::encodeText(read, utf16).bytes;
    } else {
      normal = withLineEnds(bytes, eol);
    }
    if (saved.bytes != normal) std::abort();
    const auto again = decodeForEditing(saved.bytes, text->format.encoding);
    if (!again || again->text != text->text || again->format != text->format) std::abort();
  }
  return 0;
}
