#pragma once
// Escaping of inserted text: UTF-8 to RTF source that reads back as the same text where it
// is inserted, without changing how anything after it is read.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw::rtf {

// RTF source for `utf8`, to be inserted where code page `codePage` and \uc `uc` are in force.
// Line ends (CR LF, lone CR, lone LF) become \par, TAB \tab, VT \line, FF \page; \ { } are
// escaped; printable ASCII stays as it is; every other character becomes \uN followed by
// exactly `uc` fallback characters (its byte in `codePage` as \'hh if it has one, else '?').
// Never writes \ucN, and every control word written ends with a space. nullopt when the text
// holds another control character, DEL, a character the reader drops (U+FFF9-U+FFFB) or
// invalid UTF-8.
std::optional<std::string> escapeText(std::string_view utf8, std::uint16_t codePage,
                                      std::uint16_t uc);

// The plain text that escapeText(utf8) reads back as: every line end becomes CR LF.
std::string normalisedPlain(std::string_view utf8);

}  // namespace tw::rtf
