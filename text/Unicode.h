#pragma once
// Characters as the matchers see them when the user asks for Unicode letters: UTF-8 text read
// one character at a time, case folded and classified by the Unicode Character Database (through
// ICU, which the system keeps up to date).
//
// Text is taken as it comes, valid or not: a well-formed sequence (surrogates included, which a
// UTF-16 file's lone surrogate decodes to) is one character; any other byte is a character of
// its own, a "raw byte" that equals only itself, folds to itself and counts as a word character,
// as every byte above 127 does when matching by bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tw::text {

// Raw bytes are numbered past the last code point, so no character can equal one.
inline constexpr char32_t kRawByteBase = 0x110000;

constexpr bool isRawByte(char32_t c) {
  return c >= kRawByteBase;
}

struct TextCharacter {
  char32_t value;  // a code point, or kRawByteBase + the byte
  int length;      // 1 to 4 bytes
};

// The character that begins at t[p] (p < n).
TextCharacter characterAt(const unsigned char* t, int64_t n, int64_t p);

// The character that ends just before t[p] (0 < p): the well-formed sequence ending at p - 1
// if there is one, else the byte t[p - 1].
TextCharacter characterBefore(const unsigned char* t, int64_t p);

// Whether t[p] lies inside a well-formed multi-byte sequence that begins before it, so that
// no character begins there.
bool insideCharacter(const unsigned char* t, int64_t n, int64_t p);

// Unicode simple case folding (one character to one character; ß stays ß, Σ σ ς all fold to
// σ). Raw bytes fold to themselves.
char32_t foldCase(char32_t c);

// Every character whose folding is `folded` (a folded character): `folded` itself and its
// other cases, in increasing order; at most a handful. Empty for a character that is not
// folded (no character folds to it).
std::span<const char32_t> caseVariants(char32_t folded);

// Letters (L*), combining marks (M*) and decimal digits (Nd) are word characters; everything
// else (punctuation, symbols, separators of every kind, controls) delimits words. Raw bytes
// are word characters.
bool isWordCharacter(char32_t c);

// The classes the pattern language's escapes take beyond ASCII.
bool isDecimalDigit(char32_t c);         // Nd
bool isPunctuationOrSymbol(char32_t c);  // P* and S*
bool isSpaceSeparator(char32_t c);       // Zs

// Appends the UTF-8 bytes of a code point (a surrogate written as its three-byte sequence,
// as decoded from a lone UTF-16 surrogate); the byte itself for a raw byte. Returns the count.
int encodeCharacter(char32_t c, unsigned char out[4]);

}  // namespace tw::text
