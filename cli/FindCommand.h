#pragma once
// `find`: the lines that hold occurrences of find texts, printed as grep prints them, found
// with the matching of `replace` and `run`. It reads the files and writes nothing.

#include "cli/Cli.h"

#include <span>
#include <string>

namespace tw::cli {

inline constexpr const char* kFindUsage =
    "find [switches] [options] FIND FILE...\nfind CONFIG.rpl [switches] [options]";

// The exit statuses of find, as grep's: something found, nothing found, and trouble (a usage
// error, an invalid configuration, or a file that could not be searched). With --quiet a
// find stops at the first occurrence and succeeds, whatever went wrong before.
enum FindStatus : int { kFindFound = kExitOk, kFindNothing = 1, kFindTrouble = kExitUsage };

int findCommand(std::span<const std::string> args, CliIo& io);

}  // namespace tw::cli
