#pragma once
// Test documents of the RTF reader and writer: tests/data/rtf (word-processor output) and
// tests/data/rtf/cases (hand-written cases).

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace tw::test {

inline std::string rtfDataPath(const std::string& name) {
  return std::string(TEXTWRIGHT_TEST_DATA_DIR) + "/rtf/" + name;
}

inline std::string readRtfData(const std::string& name) {
  std::ifstream in(rtfDataPath(name), std::ios::binary);
  if (!in) throw std::runtime_error("missing test document " + name);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every .rtf of the corpus, as names relative to tests/data/rtf, sorted.
inline std::vector<std::string> rtfCorpus() {
  std::vector<std::string> names;
  const std::filesystem::path root = rtfDataPath("");
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.is_regular_file() && entry.path().extension() == ".rtf") {
      names.push_back(std::filesystem::relative(entry.path(), root).string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tw::test
