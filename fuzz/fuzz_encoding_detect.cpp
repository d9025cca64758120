// Any bytes: the encoding detected for them reads them as text and writes that text back as
// the same bytes; what reads as UTF-8 or Windows-1252 is well-formed UTF-8; and the
// word-at-a-time UTF-8 check agrees with reading one code point at a time.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "text/Encoding.h"
#include "text/Utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tw::text;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (isValidUtf8(bytes) != decodeUtf8(bytes).has_value()) std::abort();
  const TextEncoding detected = detectEncoding(bytes);
  if (encodingName(detected).empty()) std::abort();
  // Windows-1252 and UTF-16 read any bytes, so they must come back whatever was detected.
  for (TextEncoding encoding :
       {detected, TextEncoding::Windows1252, TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
    const DecodedText read = decodeText(bytes, encoding);
    if ((encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf8WithMark ||
         encoding == TextEncoding::Windows1252) &&
        !isValidUtf8(read.text))
      std::abort();
    const EncodedText back = encodeText(read, encoding);
    if (!back.ok()) std::abort();
    // A forced UTF-16 reading puts a mark on bytes that had none.
    std::string_view expected = back.bytes;
    if (encoding != detected &&
        (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be)) {
      const std::string_view mark = encoding == TextEncoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF";
      if (!bytes.starts_with(mark)) expected.remove_prefix(mark.size());
    }
    if (expected != bytes) std::abort();
  }
  return 0;
}
