#include "cli/Cli.h"

#include "support/TempDir.h"

#include "support/CliRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace tw::cli {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

using test::CliRun;

CliRun run(const std::vector<std::string>& args, const std::string& input = "") {
  return test::runCliWith(args, input);
}

class BackupCommands : public test::TempDirTest {
 protected:
  // A configuration listing a.txt (checked) and b.txt (unchecked) of the folder.
  std::string config() {
    return dir.write("job.rpl",
                     "CaseSensitive=false\r\nWholeWordsOnly=false\r\nCreateBackupFiles=true\r\n"
                     "Confirm=false\r\nAnything=true\r\nRegular=false\r\n"
                     "File=" +
                         dir.file("a.txt") + ",1\r\nFile=" + dir.file("b.txt") +
                         ",0\r\n"
                         "Strings=1\r\ncolour\r\nStrings=1\r\ncolor\r\n");
  }
};

TEST_F(BackupCommands, RestorePutsBackEveryListedBackup) {
  std::string rpl = config();
  dir.write("a.txt", "color");
  dir.write("a.txt.rpf", std::string("col\0our", 7));
  dir.write("b.txt.rpf", "old b");
  dir.write("c.txt.rpf", "not listed");
  CliRun r = run({"restore-backups", rpl});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "2 backup file(s) restored.\n");
  EXPECT_EQ(TempDir::read(dir.file("a.txt")), std::string("col\0our", 7));
  EXPECT_EQ(TempDir::read(dir.file("b.txt")), "old b");
  EXPECT_FALSE(fs::exists(dir.file("a.txt.rpf")));
  EXPECT_TRUE(fs::exists(dir.file("c.txt.rpf")));

  r = run({"restore-backups", rpl});
  EXPECT_EQ(r.out, "0 backup file(s) restored.\n");
}

TEST_F(BackupCommands, RestoreFailureNamesTheFileAndExitsOne) {
  std::string rpl = config();
  fs::create_directory(dir.file("a.txt"));
  dir.write("a.txt.rpf", "old a");
  CliRun r = run({"restore-backups", rpl});
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_NE(r.err.find("Cannot read \"" + dir.file("a.txt") + "\": Is a directory"),
            std::string::npos)
      << r.err;
  EXPECT_TRUE(fs::exists(dir.file("a.txt.rpf")));
}

TEST_F(BackupCommands, DeleteAsksOnTheTerminalAndEndOfInputIsNo) {
  std::string rpl = config();
  dir.write("a.txt.rpf", "old a");
  dir.write("b.txt.rpf", "old b");
  dir.write("a.txt.rpf1", "work copy");

  CliRun r = run({"delete-backups", rpl});  // no input at all
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_NE(r.err.find("Really delete all backup files? [y/N]"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir.file("a.txt.rpf")));
  r = run({"delete-backups", rpl}, "n\n");
  EXPECT_TRUE(fs::exists(dir.file("a.txt.rpf")));

  r = run({"delete-backups", rpl}, "y\n");
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "2 backup file(s) deleted.\n");
  EXPECT_FALSE(fs::exists(dir.file("a.txt.rpf")));
  EXPECT_FALSE(fs::exists(dir.file("b.txt.rpf")));
  EXPECT_TRUE(fs::exists(dir.file("a.txt.rpf1")));
}

TEST_F(BackupCommands, DeleteWithYesDoesNotAskAndNamesWhatItCouldNotDelete) {
  std::string rpl = config();
  dir.write("a.txt.rpf", "old a");
  fs::create_directory(dir.file("b.txt.rpf"));
  CliRun r = run({"delete-backups", "--yes", rpl});
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_EQ(r.out, "1 backup file(s) deleted.\n");
  EXPECT_EQ(r.err, "textwright-cli: Cannot delete \"" + dir.file("b.txt.rpf") +
                       "\": it is not a regular file; it was left as it is\n");
}

TEST_F(BackupCommands, UsageAndConfigurationErrorsExitTwo) {
  EXPECT_EQ(run({"restore-backups"}).status, kExitUsage);
  EXPECT_EQ(run({"restore-backups", "a.rpl", "b.rpl"}).status, kExitUsage);
  EXPECT_EQ(run({"delete-backups", "--force", "a.rpl"}).status, kExitUsage);
  CliRun missing = run({"restore-backups", dir.file("none.rpl")});
  EXPECT_EQ(missing.status, kExitUsage);
  EXPECT_NE(missing.err.find(dir.file("none.rpl")), std::string::npos);
  std::string bogus = dir.write("bogus.rpl", "not a configuration\n");
  dir.write("x.rpf", "kept");
  CliRun invalid = run({"delete-backups", "--yes", bogus});
  EXPECT_EQ(invalid.status, kExitUsage);
  EXPECT_EQ(invalid.err,
            "textwright-cli: " + bogus + ": Not a valid Textwright configuration file\n");
  EXPECT_TRUE(fs::exists(dir.file("x.rpf")));
}

}  // namespace
}  // namespace tw::cli
