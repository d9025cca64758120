#pragma once
// Code pages of RTF text: the document's \ansicpgN, a font's \fcharsetN or \cpgN, and how a
// byte of text decodes to a code point in them.

#include <cstdint>
#include <optional>

namespace tw::rtf {

// Text in a font with the symbol charset: byte hh reads as U+F0hh.
inline constexpr std::uint16_t kCodePageSymbol = 42;
inline constexpr std::uint16_t kCodePageUtf8 = 65001;

// The code page that font charset `charset` selects, or 0 when the charset leaves the
// document's code page in force (\fcharset1, unknown values).
std::uint16_t codePageOfCharset(int charset);

// True for the code pages whose lead bytes start two-byte characters (932, 936, 949, 950, 1361).
bool isDoubleByteCodePage(std::uint16_t codePage);
// True when `byte` starts a two-byte character in double-byte `codePage`.
bool isLeadByte(std::uint16_t codePage, std::uint8_t byte);

// The code point of one byte of text in a single-byte code page (or the symbol charset).
// Bytes below 0x80 are ASCII except in the symbol charset; an undefined byte, a byte of a
// multi-byte code page above 0x7F or an unknown code page give U+FFFD.
char32_t decodeByte(std::uint16_t codePage, std::uint8_t byte);

// The one byte that stands for `ch` in `codePage`, if there is one: the inverse of decodeByte.
std::optional<std::uint8_t> encodeByte(std::uint16_t codePage, char32_t ch);

}  // namespace tw::rtf
