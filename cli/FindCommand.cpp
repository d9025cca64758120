#include "cli/FindCommand.h"

#include "cli/RunFrontEnd.h"
#include "config/WindowCommands.h"
#include "engine/FindOccurrences.h"
#include "engine/OccurrenceLines.h"
#include "engine/Region.h"
#include "engine/Run.h"
#include "writeback/LoadFile.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <ostream>
#include <vector>

namespace tw::cli {

namespace {

const char* FindHelp() {
  return "Usage: textwright-cli find [switches] [options] FIND FILE...\n"
         "       textwright-cli find CONFIG.rpl [switches] [options]\n"
         "Prints \"path:line:text\" for every line of every FILE (or of every checked file of\n"
         "the configuration) that holds an occurrence of FIND (or of any pair's find text),\n"
         "found as replace and run find them. Each find text is searched in the file as it\n"
         "is; nothing is replaced or written. An RTF file is searched in its visible text,\n"
         "and its lines are that text's paragraphs. Use -- before FIND if it begins with a\n"
         "hyphen. Exit status: 0 something found, 1 nothing found, 2 a usage error or a file\n"
         "that could not be searched.\n\n"
         "Switches (override the configuration's):\n"
         "  --case-sensitive | --ignore-case      --whole-words | --no-whole-words\n"
         "  --anything | --no-anything            --regex | --no-regex\n"
         "Options:\n"
         "  --no-filename-references  pass over occurrences in values of HREF=\"...\"\n"
         "  --first N [--unit lines|bytes]  search only the first N lines (or bytes)\n"
         "  --keep-leading-spaces, --keep-trailing-spaces  do not trim find texts\n"
         "  --rtf-as-text           search .rtf files as plain text\n"
         "  --unicode               in UTF-8 and UTF-16 files: ignore case for every letter\n"
         "                          (Ä/ä), end whole words at any punctuation, symbol or\n"
         "                          space, let a pattern's . and [...] take characters, not\n"
         "                          bytes (also in RTF text); Windows-1252 files keep bytes\n"
         "  -c, --count             print \"path:count\" of matching lines for each file\n"
         "  -l, --files-with-matches  print only the paths of files with an occurrence\n"
         "  --quiet                 print nothing; stop at the first occurrence\n";
}

// What `find` asks for: the configuration holding the pairs and files, and what to print.
struct FindJob {
  Configuration config;
  AppOptions options;
  RunArguments parsed;
  int64_t firstCount = 0;
  std::vector<std::unique_ptr<PreparedPair>> pairs;  // the active ones
  bool guardFilenameReferences = false;
};

enum class Searched { Nothing, Found, Failed };

// Where the files are read: one buffer kept from file to file (a big file's memory is
// touched once, not again for each file), and each folder opened once.
struct FileReader {
  writeback::FolderCache folders{platform::systemFileOps()};
  writeback::ReadBuffer buffer;

  writeback::LoadResult load(const std::string& path, std::string& error) {
    writeback::FileFacts facts;
    return writeback::loadFile(folders, path, facts, buffer, error);
  }
};

// Searches one file and prints what the job asks for.
Searched searchFile(const FindJob& job, const std::string& path, FileReader& reader, CliIo& io) {
  std::string error;
  switch (reader.load(path, error)) {
    case writeback::LoadResult::Missing:
      io.err << kErrorPrefix << path << ": " << (error.empty() ? "the file does not exist" : error)
             << "\n";
      return Searched::Failed;
    case writeback::LoadResult::Failed:
      io.err << kErrorPrefix << path << ": "
             << (error.empty() ? "the file could not be read" : error) << "\n";
      return Searched::Failed;
    case writeback::LoadResult::Empty:
    case writeback::LoadResult::Loaded:
      break;
  }
  const SearchedText searched = TextToSearch(path, reader.buffer.view(), job.config.Advanced,
                                             job.options, job.firstCount, AnyNonAscii(job.pairs));
  if (!searched.failure.empty()) {
    io.err << kErrorPrefix << path << ": " << searched.failure << "\n";
    return Searched::Failed;
  }
  const RunArguments& parsed = job.parsed;
  // Whether one occurrence answers everything asked.
  const bool firstIsEnough = parsed.quiet || parsed.filesWithMatches;
  std::vector<LineSpan> spans;
  for (const auto& pair : job.pairs) {
    LineSpanCollector collector(searched.text());
    ForEachOccurrence(searched.searched(), searched.pass(*pair),
                      job.guardFilenameReferences && !searched.richText,
                      [&](const Occurrence& found) {
                        collector.add(found);
                        return !firstIsEnough;
                      });
    spans = UniteLineSpans(spans, collector.take());
    if (firstIsEnough && !spans.empty()) break;
  }

  if (parsed.quiet) return spans.empty() ? Searched::Nothing : Searched::Found;
  if (parsed.filesWithMatches) {
    if (!spans.empty()) io.out << path << "\n";
  } else if (parsed.count) {
    int64_t lines = 0;
    ForEachLine(searched.text(), spans, [&](int64_t, std::string_view) { ++lines; });
    io.out << path << ":" << lines << "\n";
  } else {
    ForEachLine(searched.text(), spans, [&](int64_t number, std::string_view line) {
      io.out << path << ":" << number << ":" << searched.shown(line) << "\n";
    });
  }
  return spans.empty() ? Searched::Nothing : Searched::Found;
}

}  // namespace

int findCommand(std::span<const std::string> args, CliIo& io) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    io.out << FindHelp();
    return kExitOk;
  }
  FindJob job;
  RunArguments& parsed = job.parsed;
  if (std::optional<std::string> error = ParseRunArguments(args, parsed, CommandKind::Finding)) {
    return UsageError(io, "find", *error);
  }
  Configuration& config = job.config;
  const std::vector<std::string>& positionals = parsed.positionals;
  if (positionals.size() == 1 && HasExtension(positionals[0], ".rpl")) {
    std::optional<RplContent> content = LoadConfiguration(positionals[0], io);
    if (!content) return kFindTrouble;
    config.Flags = content->Flags;
    config.setPairs(content->Pairs);
    config.Files = std::move(content->Files);
  } else if (positionals.size() >= 2) {
    if (positionals[0].empty()) return UsageError(io, "find", "the find text must not be empty");
    config.setPairs({StringPair{positionals[0], ""}});
    for (size_t i = 1; i < positionals.size(); ++i)
      config.Files.push_back(FileEntry{positionals[i], true});
  } else {
    return UsageError(io, "find", "find needs FIND and at least one FILE, or one CONFIG.rpl");
  }
  ApplyRunArguments(parsed, config, job.options);
  if (config.Files.empty()) {
    io.err << kErrorPrefix << kNoFilesMessage << "\n";
    return kFindTrouble;
  }
  if (config.pairListEmpty()) {
    io.err << kErrorPrefix << kNoPairsMessage << "\n";
    return kFindTrouble;
  }
  const std::optional<int64_t> firstCount = RunFirstCount(config.Advanced);
  if (!firstCount) {
    io.err << kErrorPrefix << FirstCountRefusal(config.Advanced.FirstCount) << "\n";
    return kFindTrouble;
  }
  job.firstCount = *firstCount;
  const PassSettings settings = PassSettings::from(config.Flags, config.Advanced, job.options);
  job.guardFilenameReferences = settings.DoNotChangeFilenameReferences;
  for (const StringPair& pair : config.Pairs()) {
    auto prepared = std::make_unique<PreparedPair>(pair, settings);
    if (prepared->active()) job.pairs.push_back(std::move(prepared));
  }

  bool found = false;
  bool failed = false;
  FileReader reader;
  for (const FileEntry& entry : config.Files) {
    if (!entry.Checked || TreatmentOf(entry.Path, job.options) == FileTreatment::PassedOver)
      continue;
    Searched searched = Searched::Failed;
    try {
      searched = searchFile(job, entry.Path, reader, io);
    } catch (const std::bad_alloc&) {
      io.err << kErrorPrefix << entry.Path << ": it is too large to be searched in memory\n";
    } catch (const std::exception& e) {
      io.err << kErrorPrefix << entry.Path << ": " << e.what() << "\n";
    }
    found = found || searched == Searched::Found;
    failed = failed || searched == Searched::Failed;
    if (found && parsed.quiet) return kFindFound;
  }
  if (failed) return kFindTrouble;
  return found ? kFindFound : kFindNothing;
}

}  // namespace tw::cli
