// The command line shared by the matching commands (run, replace and its dry run, find): which
// options they take and what reaches the run's options.

#include "cli/RunFrontEnd.h"

#include "cli/FindCommand.h"

#include "support/CliRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tw::cli {
namespace {

using test::CliRun;
using test::TempDir;

class RunFrontEnd : public test::TempDirTest {};

// --unicode is taken by every command that matches text and turns on Unicode letters; without
// it they stay off; a near spelling is refused as any unknown option, before anything runs.
TEST_F(RunFrontEnd, UnicodeIsAnOptionOfEveryMatchingCommand) {
  const std::string file = dir.write("a.txt", "apple\n");
  const std::string config =
      dir.write("c.rpl",
                "CaseSensitive=false\r\nWholeWordsOnly=false\r\nCreateBackupFiles=false\r\n"
                "Confirm=false\r\nAnything=true\r\nRegular=false\r\nFile=a.txt,1\r\n"
                "Strings=1\r\napple\r\nStrings=1\r\npear\r\n");
  struct Case {
    std::string command;
    CommandKind kind;
    std::vector<std::string> args;  // after the command, without --unicode
    int status;
  };
  const std::vector<Case> cases = {
      {"replace", CommandKind::Replacing, {"--dry-run", "apple", "pear", file}, kExitOk},
      {"find", CommandKind::Finding, {"apple", file}, kFindFound},
      {"run", CommandKind::Replacing, {config}, kExitOk},
      {"replace", CommandKind::Replacing, {"--no-backup", "pear", "apple", file}, kExitOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command + " " + c.args.front());
    for (const bool given : {false, true}) {
      std::vector<std::string> args = c.args;
      if (given) args.insert(args.begin(), "--unicode");
      RunArguments parsed;
      EXPECT_EQ(ParseRunArguments(args, parsed, c.kind), std::nullopt);
      Configuration parsedConfig;
      AppOptions options;
      ApplyRunArguments(parsed, parsedConfig, options);
      EXPECT_EQ(options.UnicodeLetters, given);

      args.insert(args.begin(), c.command);
      const CliRun r = test::runCliWith(args);
      EXPECT_EQ(r.status, c.status) << r.err;
    }
    for (const char* misspelt : {"--unicod", "--Unicode", "--unicode=yes", "-unicode"}) {
      std::vector<std::string> args = c.args;
      args.insert(args.begin(), {c.command, misspelt});
      const CliRun r = test::runCliWith(args);
      EXPECT_EQ(r.status, kExitUsage);
      EXPECT_EQ(r.err, "textwright-cli: unknown option \"" + std::string(misspelt) +
                           "\" (see textwright-cli " + c.command + " --help)\n");
    }
  }
}

}  // namespace
}  // namespace tw::cli
