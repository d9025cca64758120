#include "engine/rtf/RtfLexer.h"

#include <limits>

namespace tw::rtf {

namespace {

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Token RtfLexer::next() {
  Token t;
  const std::uint32_t size = static_cast<std::uint32_t>(m_src.size());
  t.begin = m_pos;
  if (m_pos >= size) {
    t.kind = TokenKind::End;
    t.end = m_pos;
    return t;
  }
  const char c = m_src[m_pos];
  if (c == '{' || c == '}') {
    t.kind = c == '{' ? TokenKind::GroupOpen : TokenKind::GroupClose;
    t.end = ++m_pos;
    return t;
  }
  if (c == '\r' || c == '\n') {
    t.kind = TokenKind::LineBreak;
    t.end = ++m_pos;
    return t;
  }
  if (c != '\\') {
    t.kind = TokenKind::Text;
    t.param = static_cast<unsigned char>(c);
    t.end = ++m_pos;
    return t;
  }
  // A backslash.
  std::uint32_t p = m_pos + 1;
  if (p >= size) {
    t.kind = TokenKind::ControlSymbol;
    t.broken = true;
    t.end = m_pos = p;
    return t;
  }
  if (!isLetter(m_src[p])) {
    if (m_src[p] == '\'' && p + 2 < size && hexValue(m_src[p + 1]) >= 0 &&
        hexValue(m_src[p + 2]) >= 0) {
      t.kind = TokenKind::HexByte;
      t.param = hexValue(m_src[p + 1]) * 16 + hexValue(m_src[p + 2]);
      t.end = m_pos = p + 3;
      return t;
    }
    t.kind = TokenKind::ControlSymbol;
    t.broken = m_src[p] == '\'';
    t.name = m_src.substr(p, 1);
    t.end = m_pos = p + 1;
    return t;
  }
  const std::uint32_t nameBegin = p;
  while (p < size && isLetter(m_src[p])) ++p;
  t.kind = TokenKind::ControlWord;
  t.name = m_src.substr(nameBegin, p - nameBegin);
  bool negative = false;
  if (p + 1 < size && m_src[p] == '-' && isDigit(m_src[p + 1])) {
    negative = true;
    ++p;
  }
  if (p < size && isDigit(m_src[p])) {
    t.hasParam = true;
    std::int64_t value = 0;
    while (p < size && isDigit(m_src[p])) {
      if (value <= std::numeric_limits<std::int32_t>::max()) value = value * 10 + (m_src[p] - '0');
      ++p;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
      value = std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
      value = std::numeric_limits<std::int32_t>::min();
    t.param = static_cast<std::int32_t>(value);
  }
  if (p < size && m_src[p] == ' ') {
    ++p;
  } else {
    t.bare = true;
  }
  if (t.name == "bin" && t.hasParam && t.param > 0) {
    t.kind = TokenKind::Binary;
    const std::uint32_t length = static_cast<std::uint32_t>(t.param);
    t.broken = length > size - p;
    p = t.broken ? size : p + length;
    t.bare = false;
  }
  t.end = m_pos = p;
  return t;
}

}  // namespace tw::rtf
