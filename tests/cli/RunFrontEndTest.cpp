// The command line shared by the matching commands (run, replace and its dry run, find): which
// options they take and what reaches the run's options.

#include "cli/RunFrontEnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tw::cli {
namespace {

// --unicode is taken by every command that matches text (run, replace and its dry run, find)
// and turns on Unicode letters; without it they stay off. (Its effect: CliEncodings.)
TEST(RunFrontEnd, UnicodeIsAnOptionOfEveryMatchingCommand) {
  struct Case {
    CommandKind kind;
    std::vector<std::string> args;  // without --unicode
  };
  const std::vector<Case> cases = {
      {CommandKind::Replacing, {"--dry-run", "apple", "pear", "a.txt"}},
      {CommandKind::Finding, {"apple", "a.txt"}},
      {CommandKind::Replacing, {"c.rpl"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    for (const bool given : {false, true}) {
      std::vector<std::string> args = c.args;
      if (given) args.insert(args.begin(), "--unicode");
      RunArguments parsed;
      EXPECT_EQ(ParseRunArguments(args, parsed, c.kind), std::nullopt);
      Configuration config;
      AppOptions options;
      ApplyRunArguments(parsed, config, options);
      EXPECT_EQ(options.UnicodeLetters, given);
    }
  }
}

}  // namespace
}  // namespace tw::cli
