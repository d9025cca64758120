#pragma once
// Reference renditions made by iconv (tests/data/text/generate.sh).

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace tw::test {

inline std::string readTextData(const std::string& name) {
  std::ifstream in(std::string(TEXTWRIGHT_TEST_DATA_DIR) + "/text/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("missing test data text/" + name);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tw::test
