#include "cli/Cli.h"

#include <unistd.h>
#include <iostream>

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  int status =
      tw::cli::runCli(args, {std::cin, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1});
  std::cout.flush();
  return status;
}
