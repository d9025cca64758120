#pragma once
// textwright-cli scan: collects files by a directory scan and prints them, or adds them to the
// file list of a configuration file.

#include "cli/Cli.h"

namespace tw::cli {

inline constexpr const char* kScanUsage =
    "scan DIR [--mask TEXT] [--no-recurse] [--size OPN[b|k|m]] [--date-between DD.MM.YYYY "
    "DD.MM.YYYY] [--not-older N{h|d|w|m|y}] [--add-to CONFIG.rpl]";

// Prints the paths found under DIR, one per line in walk order, each path once. With --add-to
// the paths are added to that configuration's file list and the file is saved (created when
// missing). Malformed input exits with kExitUsage before anything is walked; a folder that
// could not be listed is named on `err` and gives kExitFailed.
int scanCommand(std::span<const std::string> args, CliIo& io);

}  // namespace tw::cli
