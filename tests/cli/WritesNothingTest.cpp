// The outputs that only look at files (find, and a dry run's diff, --stat and
// --files-with-matches) leave every file and folder as they were: no backup, no temporary
// file, no report, no mending of what a killed run left.

#include "cli/Cli.h"
#include "writeback/TemporaryName.h"

#include "support/CliRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tw::cli {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Every entry below a folder with its kind, size, modification time and bytes. A folder's
// time changes when a name is made or removed in it, even a name gone again at once.
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    struct stat info {};
    EXPECT_EQ(::lstat(entry.path().c_str(), &info), 0);
    std::string facts = std::to_string(info.st_mode) + " " + std::to_string(info.st_size) + " " +
                        std::to_string(info.st_mtim.tv_sec) + "." +
                        std::to_string(info.st_mtim.tv_nsec);
    if (entry.is_regular_file()) facts += " " + TempDir::read(entry.path().string());
    entries[entry.path().string()] = facts;
  }
  struct stat info {};
  EXPECT_EQ(::lstat(root.c_str(), &info), 0);
  entries["."] = std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec);
  return entries;
}

TEST(WritesNothing, FindAndDryRunOutputsLeaveEveryFileAndFolderAsItWas) {
  TempDir dir;
  const std::string a = dir.write("site/a.txt", "colour\nColour\n");
  const std::string rtf = dir.write("site/d.rtf", "{\\rtf1\\ansi {\\b colour}\\par}");
  const std::string linked = dir.write("site/l.txt", "colour");
  fs::create_hard_link(linked, dir.file("site/twin.txt"));
  dir.write("site/a.txt.rpf", "older backup");
  // New content a killed run left: a run that writes removes it.
  dir.write("site/" + writeback::makeTemporaryName("a.txt", {}), "never named");
  const std::string config = dir.write(
      "job.rpl",
      "CaseSensitive=false\r\nWholeWordsOnly=false\r\nCreateBackupFiles=true\r\nConfirm=false\r\n"
      "Anything=true\r\nRegular=false\r\nFile=site/a.txt,1\r\nFile=site/d.rtf,1\r\n"
      "File=site/l.txt,1\r\nStrings=1\r\ncolour\r\nStrings=1\r\ncolor\r\n");
  const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir.path()))
    fs::last_write_time(entry.path(), longAgo);
  fs::last_write_time(dir.path(), longAgo);
  const std::map<std::string, std::string> before = snapshot(dir.path());

  const std::vector<std::vector<std::string>> commands = {
      {"find", "colour", a, rtf, linked},
      {"find", "-c", "colour", a, rtf, linked},
      {"find", "-l", "colour", a, rtf, linked},
      {"find", "--quiet", "colour", a},
      {"find", config},
      {"replace", "--dry-run", "colour", "color", a, rtf, linked},
      {"replace", "--dry-run", "--stat", "colour", "color", a, rtf, linked},
      {"replace", "--dry-run", "-l", "colour", "color", a, rtf, linked},
      {"run", config, "--dry-run", "--stat"},
      {"run", config, "--dry-run", "--files-with-matches"},
      {"run", config, "--dry-run", "--unix", "--touch"},
  };
  for (const std::vector<std::string>& args : commands) {
    const test::CliRun r = test::runCliWith(args);
    EXPECT_EQ(r.status, kExitOk) << args[0] << " " << args[1] << ": " << r.err;
    EXPECT_EQ(snapshot(dir.path()), before) << args[0] << " " << args[1] << " " << args[2];
  }
}

}  // namespace
}  // namespace tw::cli
