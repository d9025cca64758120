#pragma once
// Runs textwright-cli in-process with string streams, for the command tests.

#include "cli/Cli.h"

#include <sstream>
#include <string>
#include <vector>

namespace tw::test {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

// The tool with `args` (no program name), `input` as its standard input, not on a terminal.
inline CliRun runCliWith(const std::vector<std::string>& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  int status = cli::runCli(args, {in, out, err, false});
  return {status, out.str(), err.str()};
}

}  // namespace tw::test
