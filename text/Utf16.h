#pragma once
// UTF-16 files read into UTF-8 and written back, such that any bytes come back unchanged.
//
// UTF-16 in files is not always well formed: a surrogate may stand alone, and a file may end
// in half a unit. A lone surrogate is read as the three-byte form its value would have in
// UTF-8 (U+D800-U+DFFF, which strict UTF-8 forbids: "generalized UTF-8"), and an odd last
// byte is kept aside, so that writing the text back gives the same bytes. Text that is
// ordinary UTF-8 is written as ordinary UTF-16.

#include <cstddef>
#include <memory>
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

// What writeUtf16 wrote: up to `end`, or nothing usable when `unencodable` is not npos (the
// offset in the text of the first byte that is not generalized UTF-8).
struct WrittenUtf16 {
  char* end = nullptr;
  std::size_t unencodable = std::string::npos;
  bool ok() const { return unencodable == std::string::npos; }
};

// encodeUtf16 written at `to`, which has room for 2 x text.size() bytes (the most it makes).
WrittenUtf16 writeUtf16(std::string_view text, ByteOrder order, char* to);

// UTF-16 read one text after another into storage kept from each to the next, as a run reads
// its files: the storage grows to what the largest needs, is never zero-filled and never
// shrinks, so that after the first big file the next ones touch no new memory.
class Utf16Reader {
 public:
  struct Text {
    std::string_view text;      // as decodeUtf16's, valid until the next read
    std::string_view trailing;  // a view of the last byte of `bytes`, or empty
  };
  // decodeUtf16(bytes, order).
  Text read(std::string_view bytes, ByteOrder order);

 private:
  std::unique_ptr<char[]> m_data;
  std::size_t m_capacity = 0;
};

}  // namespace tw::text
