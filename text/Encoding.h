#pragma once
// Which encoding a file's bytes are in, and the file's text read in it and written back.

#include <string>
#include <string_view>

#include "text/Utf8.h"

namespace tw::text {

enum class TextEncoding { Utf8, Utf8WithMark, Utf16Le, Utf16Be, Windows1252 };

// The encoding of a file's `bytes`: UTF-16 LE or BE when they start with its byte-order mark;
// UTF-8 (with mark when they start with one) when they are valid UTF-8 throughout, which
// includes pure ASCII and no bytes at all; else Windows-1252, which can read any bytes.
TextEncoding detectEncoding(std::string_view bytes);

// The short name the program shows for `encoding` ("UTF-8", "UTF-16 LE", ...).
std::string_view encodingName(TextEncoding encoding);

// A file's bytes read as text: UTF-8 (generalized UTF-8 for UTF-16 with lone surrogates),
// and what was left over that is not text (the odd last byte of UTF-16).
struct DecodedText {
  std::string text;
  std::string trailing;
};

// The text of `bytes` read in `encoding`, without the byte-order mark when the encoding has
// one and the bytes start with it. UTF-8 is taken as it is, unchecked; UTF-16 and
// Windows-1252 always read.
DecodedText decodeText(std::string_view bytes, TextEncoding encoding);

// The bytes of `decoded` in `encoding`: the byte-order mark first when the encoding has one,
// the trailing bytes last. Fails at the first character the encoding cannot hold. For the
// encoding detectEncoding(b) gives, encodeText(decodeText(b, e), e) is b again.
EncodedText encodeText(const DecodedText& decoded, TextEncoding encoding);

}  // namespace tw::text
