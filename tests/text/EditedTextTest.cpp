#include "text/EditedText.h"

#include <gtest/gtest.h>

#include <string>

namespace tw {
namespace {

using namespace std::string_literals;

// What the editor would show for `bytes`, and the bytes saved back from it unedited.
std::string roundTrip(const std::string& bytes) {
  const std::optional<EditableText> t = decodeForEditing(bytes);
  if (!t) return "refused";
  const EncodedText e = encodeEdited(t->text, t->format);
  return e.ok() ? e.bytes : "unencodable";
}

TEST(EditedText, UneditedTextIsSavedByteForByte) {
  const std::string cases[] = {
      "",
      "no line end",
      "one\ntwo\n",
      "one\ntwo",            // no final line break stays without one
      "one\r\ntwo\r\n\r\n",  // CR LF stays CR LF
      "one\rtwo\r",          // lone CR
      "\xEF\xBB\xBF"
      "caf\xC3\xA9\n",                    // BOM kept
      "caf\xE9 \xA0 \x80\x9F\xFF\r\n",    // not UTF-8: Latin-1, every byte back
      "\xF0\x9F\x98\x80 \xE2\x80\xA8\n",  // four-byte character and U+2028
      "\xED\xA0\x80 surrogate is not UTF-8\n",
      "\xC0\xAF overlong\n",
  };
  for (const std::string& bytes : cases) EXPECT_EQ(roundTrip(bytes), bytes) << bytes;
  // UTF-16 after its mark: CR LF, a lone surrogate, a non-BMP character, an odd last byte.
  const std::string utf16Cases[] = {
      "\xFF\xFE"
      "a\0\r\0\n\0\x00\xD8\x3D\xD8\x00\xDE\r\0\n\0\x41"s,  // LE
      "\xFE\xFF\0a\0\r\0\n\xDC\x00\xD8\x3D\xDE\x00\0b"s,   // BE
      "\xFF\xFE\x00\xDC\x00\xD8x\0\r\0y\0"s,               // low before high: two lone surrogates
      "\xFF\xFE",                                          // the mark alone
      "\xFE\xFF\xFE\xFF",                                  // the mark, then U+FEFF as text
  };
  for (const std::string& bytes : utf16Cases) EXPECT_EQ(roundTrip(bytes), bytes) << bytes;
}

TEST(EditedText, EveryByteButNulSurvivesLatin1) {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  // Without LF the one line end is the lone CR (with it the file would mix two styles).
  bytes.erase(bytes.find('\n'), 1);
  const std::optional<EditableText> t = decodeForEditing(bytes);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->format.encoding, TextEncoding::Latin1);
  EXPECT_EQ(t->format.lineEnd, LineEndStyle::Cr);
  EXPECT_EQ(roundTrip(bytes), bytes);
  // Forced Latin-1 on valid UTF-8 keeps the bytes too (the editor's fallback).
  const std::string utf8 = "caf\xC3\xA9\n";
  const auto forced = decodeForEditing(utf8, TextEncoding::Latin1);
  ASSERT_TRUE(forced);
  EXPECT_EQ(forced->text, "caf\xC3\x83\xC2\xA9\n");
  EXPECT_EQ(encodeEdited(forced->text, forced->format).bytes, utf8);
}

TEST(EditedText, LineEndsAndEditsFollowTheFilesStyle) {
  struct Case {
    std::string file;
    std::string edited;  // the editor's text after an edit
    std::string saved;
  };
  const Case cases[] = {
      {"a\r\nb\n", "a\nb\nnew", "a\r\nb\r\nnew"},  // mixed: the first line end decides
      {"a\nb\r\n", "a\nb\n", "a\nb\n"},
      {"a\rb", "a\nb\nc", "a\rb\rc"},
      {"", "x\ny", "x\ny"},
      {"\xEF\xBB\xBFx", "\xE2\x82\xAC", "\xEF\xBB\xBF\xE2\x82\xAC"},
      {"\xE9\n", "\xC3\xA9t\xC3\xA9\n", "\xE9t\xE9\n"},
      {"\xFF\xFE"
       "a\0\r\0\n\0"s,
       "a\nb\xF0\x9F\x98\x80\xC3\xA9",
       "\xFF\xFE"
       "a\0\r\0\n\0b\0\x3D\xD8\x00\xDE\xE9\0"s},
      {"\xFE\xFF\0a\0\r\x7F"s, "a\nb\n", "\xFE\xFF\0a\0\r\0b\0\r\x7F"s},  // the odd byte stays last
  };
  for (const Case& c : cases) {
    const auto t = decodeForEditing(c.file);
    ASSERT_TRUE(t) << c.file;
    EXPECT_EQ(encodeEdited(c.edited, t->format).bytes, c.saved) << c.file;
  }
}

TEST(EditedText, RefusesNulAndCharactersLatin1CannotHold) {
  EXPECT_FALSE(decodeForEditing("text\0more"s));
  EXPECT_FALSE(decodeForEditing("\0"s, TextEncoding::Latin1));
  EXPECT_FALSE(decodeForEditing("\xFF\xFEx\0\0\0"s));  // U+0000 in UTF-16
  const auto t = decodeForEditing("\xE9");
  ASSERT_TRUE(t);
  const EncodedText e = encodeEdited("ab\xE2\x82\xAC", t->format);  // the euro sign
  EXPECT_FALSE(e.ok());
  EXPECT_EQ(e.unencodable, 2u);
  EXPECT_TRUE(e.bytes.empty());
}

}  // namespace
}  // namespace tw
