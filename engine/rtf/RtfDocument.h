#pragma once
// The RTF document model. A document is never re-serialised: reading it gives its visible
// text as UTF-8 ("plain text") and, for each visible character, the source bytes it came
// from. Replacements splice the original bytes (RtfSplice.h), so every control word, group,
// picture and line break that is not part of a replaced character stays byte for byte.
//
// Plain text conventions: paragraphs (\par, \sect, \row) are CR LF, \line is VT, \tab and
// \cell are TAB, \page and \column are FF, special characters are their Unicode characters.
// Destinations (font table, pictures, field instructions, headers, footnotes, list numbers,
// every {\*...} group), hidden text and \bin data are kept but are not part of the text.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::rtf {

// How the lines of a paragraph are aligned: \ql (or none, or \pard) left, \qr right, \qc
// centred, \qj justified.
enum class Alignment : std::uint8_t { Left, Right, Centred, Justified };

// One visible character (or paragraph mark) of the plain text.
struct Unit {
  enum Flag : std::uint8_t {
    ParaMark = 1,   // a paragraph end (CR LF in the plain text)
    Protected = 2,  // table or section structure: an occurrence containing it is not replaced
  };
  std::uint32_t plainBegin = 0, plainEnd = 0;  // its bytes in the plain text (1-4, CR LF = 2)
  // Its source: one byte range, or two for a surrogate pair written with something between
  // its halves (\uc0 \u55357\uc1 \u56832\'3f). The ranges cover \uN's fallback too.
  std::uint32_t src[2][2] = {{0, 0}, {0, 0}};
  std::uint8_t pieces = 1;
  std::uint16_t codePage = 1252;  // code page in force at the unit's first source byte
  std::uint16_t uc = 1;           // \uc in force at the unit's first source byte
  std::uint8_t flags = 0;
  // The paragraph alignment in force at the unit; a paragraph takes that of its mark.
  Alignment alignment = Alignment::Left;
  std::uint32_t format = 0;  // index into Document::formats

  std::uint32_t srcBegin() const { return src[0][0]; }
  std::uint32_t srcEnd() const { return src[pieces - 1][1]; }
};

// The character formatting of a unit, as far as browse mode shows it.
struct CharFormat {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::uint16_t halfPoints = 24;        // \fsN
  std::optional<std::uint32_t> colour;  // 0xRRGGBB; none for the automatic colour
  int font = -1;                        // \fN, a key of Document::fonts; -1 for none

  bool operator==(const CharFormat&) const = default;
};

struct ParseOptions {
  bool includeHidden = false;  // hidden text (\v) becomes part of the plain text
};

// An entry of the font table.
struct FontInfo {
  std::string name;         // as written, without the closing ";"
  bool fixedPitch = false;  // \fmodern: a typewriter font
};

struct Document {
  std::string source;               // the RTF bytes as read
  std::string plain;                // the visible text, UTF-8
  std::vector<Unit> units;          // in plain-text order, contiguous over `plain`
  std::vector<CharFormat> formats;  // distinct formats the units refer to
  std::map<int, FontInfo> fonts;    // the font table, by font number
  // Source offsets where a bare control word ends (sorted): writing a letter, digit, space
  // or '-' right there would change that word.
  std::vector<std::uint32_t> bareWordEnds;
  // Source ranges of {\listtext...} and {\pntext...} groups (sorted): the list number of a
  // paragraph, deleted with the paragraph mark in front of it.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> listNumberGroups;
  ParseOptions options;
  // Set when the source holds what word processors do not write: a broken \'hh escape, a
  // stray or missing brace, truncated \bin data or \uN fallback, a broken multi-byte
  // character, a lone surrogate. Such a document reads leniently, but the read-back check
  // after an edit may refuse more often.
  bool irregular = false;

  // The index of the unit whose plain text starts at `plainOffset`, units.size() for the end
  // of the text, or nullopt when the offset lies inside a unit (inside CR LF or a UTF-8
  // sequence).
  std::optional<std::size_t> unitAt(std::size_t plainOffset) const;
  bool endsBareWord(std::uint32_t sourceOffset) const;
};

// True when `source` starts like an RTF document ("{\rtf", after blanks or a UTF-8 BOM).
bool looksLikeRtf(std::string_view source);

// Reads an RTF document. Never fails on malformed input: unbalanced groups, unknown words
// and truncated escapes are read as leniently as word processors do. Sources of 4 GiB or
// more are refused with std::length_error.
Document parse(std::string source, ParseOptions options = {});

}  // namespace tw::rtf
