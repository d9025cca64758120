#pragma once
// A file's bytes as the text of the plain-text editor, and the editor's text back as bytes,
// such that every byte the user did not edit is written back unchanged.
//
// The editor holds UTF-8 text with "\n" line breaks. A file that starts with a UTF-16 byte-order
// mark (LE or BE) is edited as UTF-16: its text as text/Utf16.h reads it (a lone surrogate in
// its three-byte form, an odd last byte kept aside), saved back in the same byte order after
// the same mark. A file that is valid UTF-8 is edited as UTF-8 (a byte-order mark is taken
// off for editing and put back on saving); any other file as Latin-1, one character per byte,
// so that every byte has a character and returns to itself. Every line break is saved in the
// file's own line-end style, the style of its first line end (LF, CR LF or a lone CR; LF for
// a file without one); no final line break is added or removed. A file with NUL bytes (in
// UTF-16, NUL characters) is not edited at all: an editor cannot hold them.
//
// The editor's own readings keep the names its windows use, in namespace tw; the encodings
// files are detected in are text::TextEncoding (text/Encoding.h).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/Utf8.h"

namespace tw {

using text::EncodedText;
using text::isValidUtf8;

enum class TextEncoding { Utf8, Latin1, Utf16Le, Utf16Be };
enum class LineEndStyle { Lf, CrLf, Cr };

// How a file's text is stored, as found when it was read.
struct TextFormat {
  TextEncoding encoding = TextEncoding::Utf8;
  bool byteOrderMark = false;  // always with UTF-16
  LineEndStyle lineEnd = LineEndStyle::Lf;
  std::string trailing;  // UTF-16: the odd last byte of the file, else empty

  bool operator==(const TextFormat&) const = default;
};

struct EditableText {
  std::string text;  // UTF-8, line breaks "\n"
  TextFormat format;
};

// The line-end style of the first line end in `bytes`; LF when there is none.
LineEndStyle firstLineEnd(std::string_view bytes);

// The text of a file for editing; nothing when the file holds a NUL byte (a NUL character in
// UTF-16). `encoding` forces one reading (Latin-1 always succeeds; UTF-16 only for bytes with
// its mark); by default UTF-16 is taken after its mark, UTF-8 when the bytes are valid.
std::optional<EditableText> decodeForEditing(std::string_view bytes,
                                             std::optional<TextEncoding> encoding = {});

// The file's bytes for the editor's `text` (UTF-8, "\n" line breaks; a lone "\r" counts as a
// line break too) in `format`; fails at a character the format cannot store (above U+00FF in
// a Latin-1 file; in a UTF-16 file, bytes that are not even generalized UTF-8).
EncodedText encodeEdited(std::string_view text, const TextFormat& format);

}  // namespace tw
