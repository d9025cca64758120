// Loads each file named on the command line (or listed, one per line, in the file after
// --list), changes its content the way ReliabilityTest expects (newContent below) and
// writes it back, as a run does: what a killed run left beside a file is mended first, and
// without backups an older backup of a changed file goes. Failures go to standard error, one line
// each; the exit status is 1 when a file failed. Options: --no-backup, --no-keep-date,
// --no-keep-attributes, --batch N (write back through WriteBackBatch, committing every N files and
// at the end).

#include "writeback/FileSite.h"
#include "writeback/Mending.h"
#include "writeback/WriteBack.h"

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Every "o" becomes "0". A file without one is left alone, so a second run over the same
// files writes only those the first did not get to.
std::string newContent(std::string text) {
  for (char& c : text) {
    if (c == 'o') c = '0';
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  tw::writeback::WriteBackOptions options;
  options.removeOlderBackup = true;
  std::vector<std::string> files;
  size_t batchSize = 0;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--no-backup") {
      options.createBackup = false;
    } else if (arg == "--no-keep-date") {
      options.keepDate = false;
    } else if (arg == "--no-keep-attributes") {
      options.keepAttributes = false;
    } else if (arg == "--batch" && i + 1 < argc) {
      batchSize = std::stoul(argv[++i]);
    } else if (arg == "--list" && i + 1 < argc) {
      std::ifstream list(argv[++i]);
      for (std::string line; std::getline(list, line);) files.push_back(line);
    } else {
      files.push_back(arg);
    }
  }
  int status = 0;
  auto report = [&](const tw::platform::IoStatus& written) {
    if (!written) {
      std::cerr << written.error << "\n";
      status = 1;
    }
  };
  tw::writeback::WriteBackBatch batch(options);
  auto commit = [&] {
    for (const auto& outcome : batch.commit()) report(outcome.status);
  };
  tw::writeback::FolderCache folders(tw::platform::systemFileOps());
  tw::writeback::Leftovers leftovers;
  for (const std::string& path : files) {
    tw::writeback::FileSite site;
    if (const tw::platform::SysError located = tw::writeback::locate(folders, path, site);
        located.failed()) {
      if (located.errnum() != ENOENT) report(located.status());
      continue;
    }
    std::vector<std::string> notes;
    if (tw::platform::IoStatus mended = leftovers.mend(site, notes); !mended) {
      report(mended);
      continue;
    }
    for (const std::string& note : notes) std::cerr << note << "\n";
    tw::writeback::LoadedFile file;
    std::string error;
    tw::writeback::LoadResult loaded = tw::writeback::loadFile(site, file, error);
    if (loaded == tw::writeback::LoadResult::Failed) {
      std::cerr << error << "\n";
      status = 1;
      continue;
    }
    if (loaded != tw::writeback::LoadResult::Loaded) continue;
    if (newContent(file.content) == file.content) continue;
    if (batchSize == 0) {
      report(tw::writeback::writeBack(file, newContent(file.content), options));
      continue;
    }
    report(batch.add(file, newContent(file.content)).status);
    if (batch.staged() >= batchSize) commit();
  }
  commit();
  return status;
}
