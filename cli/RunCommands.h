#pragma once
// The commands that run replacements: `run CONFIG.rpl` and `replace FIND REPLACE FILE...`.

#include "cli/Cli.h"

#include <span>
#include <string>

namespace tw::cli {

int runCommand(std::span<const std::string> args, CliIo& io);
int replaceCommand(std::span<const std::string> args, CliIo& io);

}  // namespace tw::cli
