#pragma once
// Windows-1252, the single-byte code page of Western European Windows text. Every byte has a
// code point: the five bytes the code page leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) stand
// for the C1 control of the same value, as Windows itself reads them, so that any bytes read
// as Windows-1252 are written back as the same bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/Utf8.h"

namespace tw::text {

// The code point that `byte` stands for.
char32_t windows1252CodePoint(std::uint8_t byte);

// True for the five bytes the code page leaves undefined (read as U+0081, U+008D, ...).
bool isUndefinedInWindows1252(std::uint8_t byte);

// The byte that stands for `codePoint`; nothing when Windows-1252 cannot hold it.
std::optional<std::uint8_t> windows1252Byte(char32_t codePoint);

// UTF-8 of Windows-1252 `bytes`; never fails.
std::string windows1252ToUtf8(std::string_view bytes);

// Windows-1252 of UTF-8 `text`; fails (with empty bytes) at the first character the code
// page cannot hold.
EncodedText utf8ToWindows1252(std::string_view text);

}  // namespace tw::text
