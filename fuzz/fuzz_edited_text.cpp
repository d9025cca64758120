// The editor's reading and writing of a file on any bytes: a file it accepts comes back byte
// for byte when every line end already has the file's own style, and a text it writes reads
// back as the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/EditedText.h"

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
    std::string normal;
    const char* eol = text->format.lineEnd == LineEndStyle::CrLf ? "\r\n"
                      : text->format.lineEnd == LineEndStyle::Cr ? "\r"
                                                                 : "\n";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\r' || bytes[i] == '\n') {
        normal += eol;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      } else {
        normal += bytes[i];
      }
    }
    if (saved.bytes != normal) std::abort();
    const auto again = decodeForEditing(saved.bytes, text->format.encoding);
    if (!again || again->text != text->text || again->format != text->format) std::abort();
  }
  return 0;
}
