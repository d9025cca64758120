#pragma once
// A fresh temporary directory per test, removed with everything in it afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace tw::test {

class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "textwright-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
  }

  const std::filesystem::path& path() const { return m_path; }
  // Full path of `name` inside the directory, as a string.
  std::string file(std::string_view name) const { return (m_path / name).string(); }

  // Writes `bytes` to `name` (creating folders on the way) and returns its full path.
  std::string write(std::string_view name, std::string_view bytes) const {
    std::filesystem::path p = m_path / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p.string();
  }

  static std::string read(const std::string& fullPath) {
    std::ifstream in(fullPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path m_path;
};

// A test fixture that owns a TempDir named `dir`.
class TempDirTest : public ::testing::Test {
 protected:
  TempDir dir;
};

}  // namespace tw::test
