#pragma once
// Text in the core: UTF-8 in memory, and the encodings files come in (Windows-1252, UTF-16)
// read into it and written back from it. One library, standard library only, used by the
// engine, the language files and the editor; every reading here is the only one in the program.
//
// UTF-8 here is strict: no overlong forms, no surrogates (U+D800-U+DFFF), nothing past
// U+10FFFF, no truncated sequence. Checking runs over whole files, so runs of ASCII are
// skipped a machine word at a time.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tw::text {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The number of bytes at the start of `bytes` that are ASCII (below 0x80).
std::size_t asciiPrefixLength(std::string_view bytes);

// True when `bytes` are well-formed UTF-8 throughout (an empty string is).
bool isValidUtf8(std::string_view bytes);

// One code point read from the front of some bytes: `length` bytes stand for `codePoint`.
// A length of 0 says the bytes there are not well-formed UTF-8 (or there are none).
struct DecodedCodePoint {
  char32_t codePoint = 0;
  std::size_t length = 0;
};

// The code point that the well-formed UTF-8 sequence at the start of `bytes` stands for.
DecodedCodePoint decodeCodePoint(std::string_view bytes);

// The code points of `bytes`; nothing when they are not well-formed UTF-8.
std::optional<std::u32string> decodeUtf8(std::string_view bytes);

// Text written in an encoding that may not hold all of it.
struct EncodedText {
  std::string bytes;
  // The byte offset in the text of the first character the encoding cannot hold (or of the
  // first byte that cannot be read); npos when everything was written.
  std::size_t unencodable = std::string::npos;
  bool ok() const { return unencodable == std::string::npos; }
};

// Appends the UTF-8 of `codePoint`; a surrogate or a value past U+10FFFF is written as
// U+FFFD, so the result is always well formed.
void appendUtf8(std::string& out, char32_t codePoint);

}  // namespace tw::text
