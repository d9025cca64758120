#include "cli/Cli.h"

#include "support/CliRun.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tw::cli {
namespace {

using test::CliRun;

CliRun run(const std::vector<std::string>& args, const std::string& input = "") {
  return test::runCliWith(args, input);
}

TEST(Cli, HelpListsEveryCommand) {
  CliRun r = run({"--help"});
  EXPECT_EQ(r.status, kExitOk);
  for (const Command& command : commands()) {
    for (const std::string& form : usageForms(command))
      EXPECT_NE(r.out.find("\n  textwright-cli " + form + "\n"), std::string::npos) << form;
  }
  EXPECT_NE(r.out.find("--version"), std::string::npos);
}

TEST(Cli, UsageErrorsExitTwoWithAMessage) {
  CliRun none = run({});
  EXPECT_EQ(none.status, kExitUsage);
  EXPECT_NE(none.err.find("Usage:"), std::string::npos);
  CliRun unknown = run({"frobnicate"});
  EXPECT_EQ(unknown.status, kExitUsage);
  EXPECT_NE(unknown.err.find("unknown command \"frobnicate\""), std::string::npos);
}

TEST(Cli, VersionNamesTheProgram) {
  CliRun r = run({"--version"});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out.rfind("textwright-cli ", 0), 0u);
}

}  // namespace
}  // namespace tw::cli
