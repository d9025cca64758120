#pragma once
// Tables of the single-byte code pages the RTF reader knows, generated from reference data.

namespace tw::rtf {

// The 128 code points of bytes 0x80-0xFF in `codePage` (0xFFFD for an undefined byte), or
// nullptr when the code page has no table here (1252 is in text/Windows1252.h).
const char16_t* upperHalfOf(unsigned codePage);

}  // namespace tw::rtf
