#pragma once
// UTF-16 files read into UTF-8 and written back, such that any bytes come back unchanged.
//
// UTF-16 in files is not always well formed: a surrogate may stand alone, and a file may end
// in half a unit. A lone surrogate is read as the three-byte form its value would have in
// UTF-8 (U+D800-U+DFFF, which strict UTF-8 forbids: "generalized UTF-8"), and an odd last
// byte is kept aside, so that writing the text back gives the same bytes. Text that is
// ordinary UTF-8 is written as ordinary UTF-16.

#include <string>
#include <string_view>

#include "text/Utf8.h"

namespace tw::text {

enum class ByteOrder { LittleEndian, BigEndian };

struct Utf16Text {
  std::string text;      // generalized UTF-8: lone surrogates in their three-byte form
  std::string trailing;  // the last byte of an odd number of bytes, else empty
};

// The text of UTF-16 `bytes` in `order`; a byte-order mark is read as U+FEFF like any other
// character. Never fails.
Utf16Text decodeUtf16(std::string_view bytes, ByteOrder order);

// UTF-16 in `order` of generalized UTF-8 `text`; fails (with empty bytes) at the first byte
// that is not generalized UTF-8.
// A surrogate pair written as two three-byte forms is written as that pair. For any bytes b,
// encodeUtf16(decodeUtf16(b).text) followed by decodeUtf16(b).trailing is b.
EncodedText encodeUtf16(std::string_view text, ByteOrder order);

}  // namespace tw::text
