#include "cli/Cli.h"

#include "config/Configuration.h"
#include "config/RplFile.h"

#include "support/AsNobody.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <ctime>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>

namespace tw::cli {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

class ScanCommandTest : public test::TempDirTest {
 protected:
  CliRun scan(std::vector<std::string> options) {
    std::vector<std::string> args{"scan", dir.path().string()};
    args.insert(args.end(), options.begin(), options.end());
    return runArgs(args);
  }

  static CliRun runArgs(const std::vector<std::string>& args) {
    std::istringstream in;
    std::ostringstream out, err;
    int status = runCli(args, {in, out, err, false});
    return {status, out.str(), err.str()};
  }

  // The lines expected on standard output: each name as a full path under the directory.
  std::string lines(std::initializer_list<const char*> names) const {
    std::string text;
    for (const char* name : names) text += dir.file(name) + "\n";
    return text;
  }

  // A file modified `daysAgo` calendar days before today, at noon local time.
  void writeAged(const char* name, int daysAgo) {
    time_t now = std::time(nullptr);
    std::tm parts{};
    ::localtime_r(&now, &parts);
    parts.tm_mday -= daysAgo;
    parts.tm_hour = 12;
    parts.tm_min = parts.tm_sec = 0;
    parts.tm_isdst = -1;
    time_t when = std::mktime(&parts);
    timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.write(name, "x").c_str(), times, 0), 0);
  }
};

TEST_F(ScanCommandTest, PrintsEachPathOnceInWalkOrder) {
  for (const char* name : {"b.txt", "a.htm", "page.htm", "sub/c.html", "sub/d.txt", ".hid.htm",
                           ".git/e.htm", "z.htm.bak"}) {
    dir.write(name, "x");
  }
  CliRun r = scan({});  // the default mask is *.htm*
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, lines({"a.htm", "page.htm", "sub/c.html"}));
  EXPECT_EQ(r.err, "");

  r = scan({"--mask", "*.txt;*.htm;page.*", "--no-recurse"});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, lines({"b.txt", "a.htm", "page.htm"}));

  r = scan({"--mask", "*.txt;"});  // a trailing ";" is accepted
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, lines({"b.txt", "sub/d.txt"}));
}

TEST_F(ScanCommandTest, TakesTheDirectoryWithATrailingSlashOrRelative) {
  dir.write("a.htm", "x");
  CliRun r = runArgs({"scan", dir.path().string() + "/"});
  EXPECT_EQ(r.out, lines({"a.htm"}));
  std::string cwd = std::filesystem::current_path().string();
  std::filesystem::current_path(dir.path());
  r = runArgs({"scan", "."});
  std::filesystem::current_path(cwd);
  EXPECT_EQ(r.out, lines({"a.htm"}));
}

TEST_F(ScanCommandTest, SizeOptionHoldsAtItsBounds) {
  dir.write("small.htm", std::string(10239, 'x'));
  dir.write("exact.htm", std::string(10240, 'x'));
  dir.write("large.htm", std::string(10241, 'x'));
  EXPECT_EQ(scan({"--size", "=10k"}).out, lines({"exact.htm"}));
  EXPECT_EQ(scan({"--size", ">10240b"}).out, lines({"exact.htm", "large.htm"}));
  EXPECT_EQ(scan({"--size", "<10240"}).out, lines({"exact.htm", "small.htm"}));
  EXPECT_EQ(scan({"--size", ">0"}).out, lines({"exact.htm", "large.htm", "small.htm"}));
  EXPECT_EQ(scan({"--size", "=0m"}).out, "");
}

TEST_F(ScanCommandTest, DateAndAgeOptionsIncludeTheirBounds) {
  writeAged("d0.htm", 0);
  writeAged("d7.htm", 7);
  writeAged("d8.htm", 8);
  EXPECT_EQ(scan({"--not-older", "1w"}).out, lines({"d0.htm", "d7.htm"}));
  EXPECT_EQ(scan({"--not-older", "0d"}).out, lines({"d0.htm"}));
  EXPECT_EQ(scan({"--not-older", "8D"}).out, lines({"d0.htm", "d7.htm", "d8.htm"}));

  std::string first = dir.write("first.txt", "x"), last = dir.write("last.txt", "x");
  std::string out = dir.write("out.txt", "x");
  auto setDate = [](const std::string& path, int year, int month, int day, int hour) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_isdst = -1;
    time_t when = std::mktime(&parts);
    timespec times[2] = {{when, 0}, {when, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  };
  setDate(first, 2002, 1, 1, 0);
  setDate(last, 2002, 12, 31, 23);
  setDate(out, 2003, 1, 1, 0);
  CliRun r = scan({"--mask", "*.txt", "--date-between", "01.01.2002", "31.12.2002"});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, lines({"first.txt", "last.txt"}));
}

TEST_F(ScanCommandTest, RefusesBadInputBeforeWalking) {
  dir.write("a.htm", "x");
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--size", "=12x"}, "--size: '12x' is not a valid integer value"},
      {{"--size", "10k"}, "--size: '10k' must start with =, > or <"},
      {{"--size", "=k"}, "--size: '' is not a valid integer value"},
      {{"--size", "=99999999999999m"}, "--size: '99999999999999' is too large"},
      {{"--date-between", "31.02.2002", "01.03.2002"},
       "--date-between: '31.02.2002' is not a valid date (use DD.MM.YYYY)"},
      {{"--date-between", "01.01.2002", "2002"},
       "--date-between: '2002' is not a valid date (use DD.MM.YYYY)"},
      {{"--date-between", "01.01.2002"}, "--date-between needs two dates (DD.MM.YYYY)"},
      {{"--not-older", "5"}, "--not-older: '5' must end with a unit: h, d, w, m or y"},
      {{"--not-older", "-5d"}, "--not-older: '-5' must be 0 or more"},
      {{"--size", ">-1k"}, "--size: '-1' must be 0 or more"},
      {{"--mask"}, "--mask needs a value"},
      {{"--recurse"}, "unknown option \"--recurse\""},
      {{"second"}, "only one directory may be given (\"second\" is a second)"},
  };
  for (const auto& [options, message] : cases) {
    CliRun r = scan(options);
    EXPECT_EQ(r.status, kExitUsage) << message;
    EXPECT_EQ(r.out, "") << message;
    EXPECT_EQ(r.err, std::string("textwright-cli scan: ") + message + "\n");
  }
  CliRun r = runArgs({"scan", dir.file("a.htm")});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_EQ(r.err, "textwright-cli scan: '" + dir.file("a.htm") + "' is not a directory\n");
  r = runArgs({"scan", dir.file("nowhere")});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_EQ(r.err, "textwright-cli scan: cannot open '" + dir.file("nowhere") +
                       "': No such file or directory\n");
  r = runArgs({"scan"});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_NE(r.err.find("no directory given"), std::string::npos);
}

TEST_F(ScanCommandTest, NamesAFolderItCouldNotListAndExitsOne) {
  namespace fs = std::filesystem;
  dir.write("a/locked/secret.htm", "x");
  dir.write("b/open.htm", "x");
  for (const fs::path& p : {dir.path(), dir.path() / "a", dir.path() / "b"}) {
    fs::permissions(p, fs::perms::all, fs::perm_options::add);
  }
  fs::permissions(dir.path() / "a" / "locked", fs::perms::none);
  std::string seen = test::runAsNobody([&] {
    CliRun r = scan({});
    return std::to_string(r.status) + "\n" + r.out + r.err;
  });
  EXPECT_EQ(seen, "1\n" + dir.file("b/open.htm") + "\ntextwright-cli scan: cannot list '" +
                      dir.file("a/locked") + "': Permission denied\n");
}

std::vector<std::string> filesOf(const std::string& rplPath) {
  std::optional<RplContent> content = parseRpl(test::TempDir::read(rplPath));
  EXPECT_TRUE(content) << rplPath;
  std::vector<std::string> paths;
  if (content) {
    for (const FileEntry& entry : content->Files) paths.push_back(entry.Path);
  }
  return paths;
}

TEST_F(ScanCommandTest, AddToCreatesTheConfigurationWhenMissing) {
  std::string a = dir.write("site/a.htm", "x"), b = dir.write("site/b.html", "x");
  std::string rpl = dir.file("new.rpl");
  CliRun r = runArgs({"scan", dir.file("site"), "--mask", "*.htm*;a.*", "--add-to", rpl});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, a + "\n" + b + "\n");
  EXPECT_EQ(filesOf(rpl), (std::vector<std::string>{a, b}));

  std::string emptyRpl = dir.file("empty.rpl");  // created even when nothing is found
  r = runArgs({"scan", dir.file("site"), "--mask", "*.none", "--add-to", emptyRpl});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(filesOf(emptyRpl), std::vector<std::string>{});
}

TEST_F(ScanCommandTest, AddToKeepsWhatTheConfigurationHoldsAndSkipsDuplicates) {
  std::string a = dir.write("site/a.htm", "x"), b = dir.write("site/b.htm", "x");
  Configuration config;
  config.Flags.CaseSensitive = true;
  config.Files = {{"/elsewhere/z.htm", false}, {a, false}, {dir.file("site/A.htm"), true}};
  config.setPairs({{"find", "replace"}});
  std::string rpl = dir.write("work.rpl", formatRpl(config));

  CliRun r = runArgs({"scan", dir.file("site"), "--add-to", rpl});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, a + "\n" + b + "\n");
  std::optional<RplContent> content = parseRpl(test::TempDir::read(rpl));
  ASSERT_TRUE(content);
  config.Files.push_back({b, true});
  EXPECT_EQ(content->Files, config.Files);
  EXPECT_TRUE(content->Flags.CaseSensitive);
  EXPECT_EQ(content->Pairs, config.Pairs());

  // Nothing new: the file is not written again.
  struct stat before {
  }, after{};
  ASSERT_EQ(::stat(rpl.c_str(), &before), 0);
  r = runArgs({"scan", dir.file("site"), "--add-to", rpl});
  EXPECT_EQ(r.status, kExitOk);
  ASSERT_EQ(::stat(rpl.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(ScanCommandTest, AddToRefusesAnInvalidConfigurationBeforeWalking) {
  dir.write("site/a.htm", "x");
  std::string rpl = dir.write("broken.rpl", "not a configuration\r\n");
  CliRun r = runArgs({"scan", dir.file("site"), "--add-to", rpl});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "textwright-cli scan: --add-to '" + rpl +
                       "': Not a valid Textwright configuration file\n");
  EXPECT_EQ(test::TempDir::read(rpl), "not a configuration\r\n");
}

TEST_F(ScanCommandTest, AddToLeavesOutAPathWithALineBreak) {
  std::string odd = dir.write("site/two\nlines.htm", "x");
  std::string fine = dir.write("site/fine.htm", "x");
  std::string rpl = dir.file("out.rpl");
  CliRun r = runArgs({"scan", dir.file("site"), "--add-to", rpl});
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_EQ(r.err, "textwright-cli scan: not added to '" + rpl +
                       "' (a configuration file cannot hold a path with a line break): " + odd +
                       "\n");
  EXPECT_EQ(filesOf(rpl), std::vector<std::string>{fine});
}

}  // namespace
}  // namespace tw::cli
