#include "cli/Cli.h"

#include "support/TempDir.h"

#include "support/CliRun.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <sstream>
#include <thread>

namespace tw::cli {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

using test::CliRun;

CliRun run(const std::vector<std::string>& args, const std::string& input = "") {
  return test::runCliWith(args, input);
}

std::string rpl(const std::string& switches, const std::vector<std::string>& files,
                const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::string text = switches;
  for (const std::string& f : files) text += "File=" + f + "\r\n";
  for (const auto& [find, replace] : pairs) {
    text += "Strings=1\r\n" + find + "\r\n";
    text += replace.empty() ? "Strings=0\r\n\r\n" : "Strings=1\r\n" + replace + "\r\n";
  }
  if (pairs.empty()) text += "Strings=0\r\nStrings=0\r\n";
  return text;
}

const std::string kDefaults =
    "CaseSensitive=false\r\nWholeWordsOnly=false\r\nCreateBackupFiles=true\r\nConfirm=false\r\n"
    "Anything=true\r\nRegular=false\r\n";

class RunCommand : public test::TempDirTest {};

TEST_F(RunCommand, RunsCheckedFilesInListOrderWithTheConfigurationsSwitches) {
  const std::string a = dir.write("site/a.html", "Colour colour");
  const std::string b = dir.write("site/b.html", "colour");
  const std::string c = dir.write("c.txt", "colour");
  const std::string switches =
      "CaseSensitive=true\r\nWholeWordsOnly=false\r\nCreateBackupFiles=false\r\nConfirm=false\r\n"
      "Anything=true\r\nRegular=false\r\n";
  const std::string config = dir.write("job.rpl", rpl(switches, {b + ",1", a + ",1", c + ",0"},
                                                      {{"colour", "color"}, {"<gone>", ""}}));
  CliRun r = run({"run", config});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "Textwright made 2 replacement(s) in 2 following file(s).\n" + b +
                       " - 1 replacements made\n" + a + " - 1 replacements made\n");
  EXPECT_EQ(TempDir::read(a), "Colour color");
  EXPECT_EQ(TempDir::read(c), "colour");
  EXPECT_FALSE(fs::exists(a + ".rpf"));
}

TEST_F(RunCommand, RelativePathsAreTakenFromTheConfigurationsFolder) {
  const std::string a = dir.write("proj/site/a.html", "colour");
  const std::string config =
      dir.write("proj/job.rpl", rpl(kDefaults, {"site/a.html,1"}, {{"colour", "color"}}));
  CliRun r = run({"run", config});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(TempDir::read(a), "color");
  EXPECT_NE(r.out.find(dir.file("proj/site/a.html") + " - 1 replacements made"), std::string::npos);
}

TEST_F(RunCommand, DryRunStatNamesTheFilesAsTheListHoldsThem) {
  const std::string a = dir.write("proj/site/a.html", "colour colour");
  dir.write("proj/site/b.html", "colour");
  const std::string config = dir.write(
      "proj/job.rpl",
      rpl(kDefaults, {"site/a.html,1", "site/b.html,0"}, {{"colour", "color"}, {"color", "c"}}));
  CliRun r = run({"run", config, "--dry-run", "--stat"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, a + " | 4\n1 file(s), 4 replacement(s)\n");
  r = run({"run", "-l", config, "--dry-run"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, a + "\n");
  EXPECT_EQ(TempDir::read(a), "colour colour");
}

// Every reader of a configuration takes a relative path from the configuration's folder,
// never from the current folder, where an unrelated file of the same name waits.
TEST_F(RunCommand, EveryReaderTakesRelativePathsFromTheConfigurationsFolder) {
  struct InFolder {
    fs::path before = fs::current_path();
    explicit InFolder(const std::string& folder) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(before); }
  } inDir(dir.path().string());
  const std::string mine = dir.write("sub/a.txt", "colour");
  const std::string unrelated = dir.write("a.txt", "unrelated");
  dir.write("a.txt.rpf", "unrelated backup");
  dir.write("sub/w.rpl", rpl(kDefaults, {"a.txt,1"}, {{"colour", "color"}}));

  CliRun r = run({"run", "sub/w.rpl"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(TempDir::read(mine), "color");
  r = run({"restore-backups", "sub/w.rpl"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "1 backup file(s) restored.\n");
  EXPECT_EQ(TempDir::read(mine), "colour");
  ASSERT_EQ(run({"run", "sub/w.rpl"}).status, kExitOk);
  r = run({"delete-backups", "--yes", "sub/w.rpl"});
  EXPECT_EQ(r.out, "1 backup file(s) deleted.\n");
  EXPECT_FALSE(fs::exists(mine + ".rpf"));
  EXPECT_EQ(TempDir::read(unrelated), "unrelated");
  EXPECT_EQ(TempDir::read(dir.file("a.txt.rpf")), "unrelated backup");

  // scan --add-to keeps the listed file and saves it with its full path.
  dir.write("found/b.htm", "x");
  ASSERT_EQ(run({"scan", "found", "--add-to", "sub/w.rpl"}).status, kExitOk);
  const std::string saved = TempDir::read(dir.file("sub/w.rpl"));
  EXPECT_NE(saved.find("File=" + mine + ",1\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("File=" + dir.file("found/b.htm") + ",1\r\n"), std::string::npos);
}

TEST_F(RunCommand, CommandLineSwitchesOverrideTheConfiguration) {
  const std::string a = dir.write("a.txt", "Colour");
  const std::string config =
      dir.write("job.rpl", rpl(kDefaults, {a + ",1"}, {{"colour", "color"}}));
  CliRun r = run({"run", config, "--case-sensitive", "--no-backup"});
  EXPECT_EQ(TempDir::read(a), "Colour");
  r = run({"run", "--ignore-case", "--no-backup", config});
  EXPECT_EQ(TempDir::read(a), "color");
  EXPECT_FALSE(fs::exists(a + ".rpf"));
}

TEST_F(RunCommand, InvalidOrMissingConfigurationsAreUsageErrors) {
  const std::string bad = dir.write("bad.rpl", "Xase=true\r\n");
  CliRun r = run({"run", bad});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_EQ(r.err, "textwright-cli: " + bad + ": Not a valid Textwright configuration file\n");

  r = run({"run", dir.file("absent.rpl")});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_NE(r.err.find("absent.rpl"), std::string::npos);

  EXPECT_EQ(run({"run"}).status, kExitUsage);
}

TEST_F(RunCommand, EmptyListsAreRefusedWithTheMessagesOfGo) {
  const std::string a = dir.write("a.txt", "colour");
  const std::string noFiles = dir.write("nofiles.rpl", rpl(kDefaults, {}, {{"colour", "color"}}));
  CliRun r = run({"run", noFiles});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_EQ(r.err, "textwright-cli: You didn't specify files to perform replacement at!\n");
  const std::string noPairs = dir.write("nopairs.rpl", rpl(kDefaults, {a + ",1"}, {}));
  r = run({"run", noPairs});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_EQ(r.err, "textwright-cli: You didn't specify find and replace string!\n");
  EXPECT_EQ(TempDir::read(a), "colour");
}

// A configuration naming a path with a NUL byte (the system would take the path cut there: the
// listed file itself) or one that is not a regular file (a FIFO would keep the reader waiting)
// is refused by every command that reads one, before anything is touched.
TEST_F(RunCommand, UnusableConfigurationsAreRefusedByEveryReaderAndChangeNothing) {
  const std::string a = dir.write("a.txt", "colour");
  const std::string b = dir.write("b.txt", "colour");
  dir.write("a.txt.rpf", "old a");
  const std::string nulEntry = a + std::string("\0x,1", 4);
  const std::string withNul =
      dir.write("nul.rpl", rpl(kDefaults, {b + ",0", nulEntry}, {{"colour", "color"}}));
  const std::string fifo = dir.file("fifo.rpl");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

  const std::pair<std::string, std::string> cases[] = {
      {withNul, "textwright-cli: " + withNul +
                    ": Not a valid Textwright configuration file: line 8: the file entry \"File=" +
                    a + "\\0x,1\" holds a NUL byte\n"},
      {fifo, "textwright-cli: Cannot read \"" + fifo + "\": Not a regular file\n"},
  };
  for (const auto& [config, error] : cases) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"run"}, {"restore-backups"}, {"delete-backups", "--yes"}}) {
      args.push_back(config);
      // A reader that waits for a writer of the FIFO gets one after a while, and an empty
      // file: the test then fails instead of waiting for ever.
      std::promise<void> finished;
      std::jthread writer([&fifo, done = finished.get_future()] {
        if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return;
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
      });
      const CliRun r = run(args);
      finished.set_value();
      EXPECT_EQ(r.status, kExitUsage) << args[0];
      EXPECT_EQ(r.err, error) << args[0];
      EXPECT_EQ(TempDir::read(a), "colour") << args[0];
      EXPECT_EQ(TempDir::read(a + ".rpf"), "old a") << args[0];
    }
  }
}

// A report is never written through a symbolic link in a folder such as /tmp, where someone
// else may have put it to have the file it leads to overwritten.
TEST_F(RunCommand, ReportsAreNotWrittenThroughALinkInAFolderOthersCanWrite) {
  const std::string a = dir.write("a.txt", "colour");
  const std::string secret = dir.write("private/secret.txt", "secret");
  const std::string config =
      dir.write("job.rpl", rpl(kDefaults, {a + ",1"}, {{"colour", "color"}}));
  const std::string shared = dir.file("shared");
  fs::create_directory(shared);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  const std::string planted = shared + "/report.txt";
  fs::create_symlink(secret, planted);

  CliRun r = run({"run", config, "--report", planted, "--html-report", shared + "/report.html"});
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_EQ(r.err, "textwright-cli: the report was not written: \"" + planted +
                       "\" is a symbolic link in a folder others can write; it was not followed\n");
  EXPECT_EQ(TempDir::read(secret), "secret");
  EXPECT_TRUE(fs::is_symlink(planted));
  EXPECT_EQ(TempDir::read(shared + "/report.html").rfind("<HTML>\r\n", 0), 0u);
  EXPECT_EQ(TempDir::read(a), "color");
}

}  // namespace
}  // namespace tw::cli
