#pragma once
// Byte tables shared by the matchers (internal to the engine).

#include <array>
#include <cstdint>

namespace tw {

using ByteTable = std::array<bool, 256>;

constexpr unsigned char asciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}
constexpr unsigned char asciiUpper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

// The 31 ASCII punctuation characters that are not word characters for \w (the
// underscore is a word character there, unlike for the whole-words test).
constexpr bool isRegexPunctuation(unsigned c) {
  return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 94) || c == 96 ||
         (c >= 123 && c <= 126);
}

constexpr ByteTable makeWordDelimiters() {
  ByteTable t{};
  for (unsigned c = 0; c < 256; ++c) {
    t[c] = c == 32 || (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
           (c >= 123 && c <= 126) || (c >= 9 && c <= 13);
  }
  return t;
}
inline constexpr ByteTable kWordDelimiters = makeWordDelimiters();

// The characters at which the filename-reference test stops looking back.
constexpr ByteTable makeReferenceStops() {
  ByteTable t{};
  for (int c : {34, 35, 36, 37, 38, 42, 43, 60, 62, 92, 94, 96}) {
    t[c] = true;
  }
  return t;
}
inline constexpr ByteTable kReferenceStops = makeReferenceStops();

}  // namespace tw
