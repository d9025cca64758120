#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tw::cli {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun run(std::vector<std::string> args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  int status = runCli(args, {in, out, err, false});
  return {status, out.str(), err.str()};
}

TEST(Cli, HelpListsEveryCommand) {
  CliRun r = run({"--help"});
  EXPECT_EQ(r.status, kExitOk);
  for (const Command& command : commands()) {
    EXPECT_NE(r.out.find(std::string("textwright-cli ") + command.usage), std::string::npos);
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
