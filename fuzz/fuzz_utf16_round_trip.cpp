// Any bytes in either byte order: read as UTF-16 and written back they are the same bytes,
// and the text read, written and read again is the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "text/Utf16.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tw::text;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    const Utf16Text read = decodeUtf16(bytes, order);
    if (read.trailing.size() != size % 2) std::abort();
    const EncodedText back = encodeUtf16(read.text, order);
    if (!back.ok() || back.bytes + read.trailing != bytes) std::abort();
    if (decodeUtf16(back.bytes, order).text != read.text) std::abort();
  }
  return 0;
}
