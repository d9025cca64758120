// The manual (docs/man/textwright-cli.1) is written once; the --help texts and the README are
// checked against it, so that none of the three names a command or an option the others lack.

#include "support/CliRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace tw {
namespace {

using test::runCliWith;

const std::string kSourceDir = std::string(TEXTWRIGHT_TEST_DATA_DIR) + "/../..";

std::string readText(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in) << path;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string collapseSpaces(const std::string& text) {
  return std::regex_replace(text, std::regex("\\s+"), " ");
}

// The manual as it reads: comment lines dropped, escaped hyphens and font changes undone.
std::string plainManual() {
  std::string roff = readText(kSourceDir + "/docs/man/textwright-cli.1");
  roff = std::regex_replace(roff, std::regex("^\\.\\\\\".*$", std::regex::multiline), "");
  roff = std::regex_replace(roff, std::regex("\\\\f[BIRP]"), "");
  roff = std::regex_replace(roff, std::regex("\\\\-"), "-");
  return collapseSpaces(roff);
}

std::set<std::string> longOptions(const std::string& text, const std::string& prefix = "") {
  std::set<std::string> found;
  const std::regex option(prefix + "(--[a-z][a-z-]*)");
  for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it)
    found.insert((*it)[1]);
  return found;
}

// Every option of every --help text, the overall one included.
std::set<std::string> helpOptions() {
  std::set<std::string> options = longOptions(runCliWith({"--help"}).out);
  for (const cli::Command& command : cli::commands()) {
    test::CliRun help = runCliWith({command.name, "--help"});
    if (help.status == cli::kExitOk) options.merge(longOptions(help.out));
  }
  return options;
}

TEST(ManualTest, ManualAndHelpNameTheSameCommandsAndOptions) {
  const std::string manual = plainManual();
  for (const cli::Command& command : cli::commands()) {
    for (const std::string& form : cli::usageForms(command)) {
      EXPECT_NE(manual.find(collapseSpaces("textwright-cli " + form)), std::string::npos)
          << "the manual's synopsis lacks: " << form;
    }
  }
  const std::set<std::string> inHelp = helpOptions();
  const std::set<std::string> inManual = longOptions(manual);
  for (const std::string& option : inHelp)
    EXPECT_TRUE(inManual.contains(option)) << "the manual lacks " << option;
  for (const std::string& option : inManual)
    EXPECT_TRUE(inHelp.contains(option)) << "no --help text names " << option;
  EXPECT_GT(inHelp.size(), 30u);
}

TEST(ManualTest, ReadmeNamesOnlyOptionsTheToolHas) {
  // Options are quoted in the README as `--option ...`.
  const std::set<std::string> inReadme = longOptions(readText(kSourceDir + "/README.md"), "`");
  const std::set<std::string> inHelp = helpOptions();
  for (const std::string& option : inReadme)
    EXPECT_TRUE(inHelp.contains(option)) << "the README names " << option;
  EXPECT_GT(inReadme.size(), 10u);
}

}  // namespace
}  // namespace tw
