#pragma once
// The expectations about Unicode characters that tests/data/unicode/generate.py wrote from
// Python's own database: a character's case folding, or whether it is a word character.

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tw::test {

struct UnicodeExpectation {
  std::string line;  // as written, for messages
  bool fold;         // a folding (else a word-character answer)
  char32_t code;
  char32_t folded;  // fold only
  bool word;        // word answers only
};

inline std::vector<UnicodeExpectation> ReadUnicodeExpectations() {
  std::ifstream in(std::string(TEXTWRIGHT_TEST_DATA_DIR) + "/unicode/expected.txt");
  if (!in) throw std::runtime_error("missing test data unicode/expected.txt");
  std::vector<UnicodeExpectation> all;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string kind;
    unsigned code = 0;
    unsigned value = 0;
    fields >> kind >> std::hex >> code >> value;
    all.push_back({line, kind == "FOLD", static_cast<char32_t>(code), static_cast<char32_t>(value),
                   value == 1});
  }
  return all;
}

}  // namespace tw::test
