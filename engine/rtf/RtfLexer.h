#pragma once
// The RTF lexer: splits RTF source into tokens that keep their byte offsets, so that every
// visible character can be traced back to the bytes it came from.

#include <cstdint>
#include <string_view>

namespace tw::rtf {

enum class TokenKind : std::uint8_t {
  GroupOpen,      // {
  GroupClose,     // }
  ControlWord,    // \letters, optional -digits, optional one space
  ControlSymbol,  // \ and one other character (\\, \~, \* ...); \ and CR or LF too
  HexByte,        // \'hh; param holds the byte
  Text,           // one byte of text
  LineBreak,      // a raw CR or LF, which RTF ignores
  Binary,         // \binN with its space and its N raw bytes
  End,            // past the last byte
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::uint32_t begin = 0;  // first byte
  std::uint32_t end = 0;    // one past the last byte (the space and \bin data included)
  std::int32_t param = 0;   // the control word's parameter, the \'hh byte
  bool hasParam = false;
  // True for a control word that no space ended: the next byte, if a letter, digit, space or
  // '-', would be read as part of it.
  bool bare = false;
  std::string_view name;  // control word letters, or the control symbol's character
  // A \' without two hex digits, a backslash at the end, or \bin data cut short by the end.
  bool broken = false;
};

class RtfLexer {
 public:
  explicit RtfLexer(std::string_view source) : m_src(source) {}

  // The next token; TokenKind::End at the end of the source (and on every later call).
  Token next();
  std::uint32_t position() const { return m_pos; }

 private:
  std::string_view m_src;
  std::uint32_t m_pos = 0;
};

}  // namespace tw::rtf
