#pragma once
// A file's bytes as the text of the plain-text editor, and the editor's text back as bytes,
// such that every byte the user did not edit is written back unchanged.
//
// The editor holds UTF-8 text with "\n" line breaks. A file that is valid UTF-8 is edited as
// UTF-8 (a byte-order mark is taken off for editing and put back on saving); any other file
// as Latin-1, one character per byte, so that every byte has a character and returns to
// itself. Every line break is saved in the file's own line-end style, the style of its first
// line end (LF, CR LF or a lone CR; LF for a file without one); no final line break is added
// or removed. A file with NUL bytes is not edited at all: an editor cannot hold them.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

enum class TextEncoding { Utf8, Latin1 };
enum class LineEndStyle { Lf, CrLf, Cr };

// How a file's text is stored, as found when it was read.
struct TextFormat {
  TextEncoding encoding = TextEncoding::Utf8;
  bool byteOrderMark = false;  // UTF-8 only
  LineEndStyle lineEnd = LineEndStyle::Lf;

  bool operator==(const TextFormat&) const = default;
};

struct EditableText {
  std::string text;  // UTF-8, line breaks "\n"
  TextFormat format;
};

// Whether `bytes` are well-formed UTF-8: no overlong forms, surrogates or values past U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// The line-end style of the first line end in `bytes`; LF when there is none.
LineEndStyle firstLineEnd(std::string_view bytes);

// The text of a file for editing; nothing when the file holds a NUL byte. `encoding` forces
// one reading (Latin-1 always succeeds); by default UTF-8 is taken when the bytes are valid.
std::optional<EditableText> decodeForEditing(std::string_view bytes,
                                             std::optional<TextEncoding> encoding = {});

struct EncodedText {
  std::string bytes;
  // Where `text` holds a character that the format cannot store (above U+00FF in a Latin-1
  // file): the byte offset of that character in the text; npos when everything was stored.
  std::size_t unencodable = std::string::npos;
  bool ok() const { return unencodable == std::string::npos; }
};

// The file's bytes for the editor's `text` (UTF-8, "\n" line breaks; a lone "\r" counts as a
// line break too) in `format`.
EncodedText encodeEdited(std::string_view text, const TextFormat& format);

}  // namespace tw
