#include "cli/RunFrontEnd.h"

#include "cli/TerminalHost.h"
#include "config/WindowCommands.h"
#include "engine/ApplyPair.h"
#include "engine/Clock.h"
#include "engine/FindOccurrences.h"
#include "engine/ProcessRtfFile.h"
#include "engine/Run.h"
#include "engine/RunSummary.h"
#include "report/Report.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <set>

namespace tw::cli {

namespace {

// Which commands take an option: the replacing ones (`run`, `replace`), `find`, or both.
enum Takers : unsigned { kReplacing = 1, kFinding = 2, kBoth = kReplacing | kFinding };

unsigned takerOf(CommandKind kind) {
  return kind == CommandKind::Finding ? kFinding : kReplacing;
}

struct SwitchOption {
  const char* on;
  const char* off;
  std::optional<bool> RunArguments::*field;
  unsigned takers;
};

constexpr SwitchOption kSwitches[] = {
    {"--case-sensitive", "--ignore-case", &RunArguments::caseSensitive, kBoth},
    {"--whole-words", "--no-whole-words", &RunArguments::wholeWords, kBoth},
    {"--anything", "--no-anything", &RunArguments::anything, kBoth},
    {"--regex", "--no-regex", &RunArguments::regex, kBoth},
    {"--backup", "--no-backup", &RunArguments::backup, kReplacing},
    {"--confirm", "--no-confirm", &RunArguments::confirm, kReplacing},
};

struct FlagOption {
  const char* name;
  const char* shortName;  // nullptr when there is none
  bool RunArguments::*field;
  unsigned takers;
};

constexpr FlagOption kFlags[] = {
    {"--no-filename-references", nullptr, &RunArguments::noFilenameReferences, kBoth},
    {"--keep-leading-spaces", nullptr, &RunArguments::keepLeadingSpaces, kBoth},
    {"--keep-trailing-spaces", nullptr, &RunArguments::keepTrailingSpaces, kBoth},
    {"--unix", nullptr, &RunArguments::unix, kReplacing},
    {"--touch", nullptr, &RunArguments::touch, kReplacing},
    {"--no-keep-attributes", nullptr, &RunArguments::noKeepAttributes, kReplacing},
    {"--rtf-as-text", nullptr, &RunArguments::rtfAsText, kBoth},
    {"--unicode", nullptr, &RunArguments::unicode, kBoth},
    {"--quiet", nullptr, &RunArguments::quiet, kBoth},
    {"--dry-run", nullptr, &RunArguments::dryRun, kReplacing},
    {"--stat", nullptr, &RunArguments::stat, kReplacing},
    {"--files-with-matches", "-l", &RunArguments::filesWithMatches, kBoth},
    {"--count", "-c", &RunArguments::count, kFinding},
};

struct ValueOption {
  const char* name;
  std::optional<std::string> RunArguments::*field;
  unsigned takers;
};

constexpr ValueOption kValues[] = {
    {"--first", &RunArguments::first, kBoth},
    {"--unit", &RunArguments::unit, kBoth},
    {"--report", &RunArguments::report, kReplacing},
    {"--html-report", &RunArguments::htmlReport, kReplacing},
};

// The message for an option that another command takes.
std::string notTakenBy(CommandKind kind, const std::string& option) {
  if (kind == CommandKind::Finding) return "find does not take " + option + ": it writes nothing";
  return option + " is an option of find only";
}

// The usage errors of options that exclude or need each other.
std::optional<std::string> checkCombinations(const RunArguments& parsed, CommandKind kind) {
  if (parsed.report && parsed.report->empty()) return "--report needs a file name";
  if (parsed.htmlReport && parsed.htmlReport->empty()) return "--html-report needs a file name";
  if (parsed.dryRun && (parsed.report || parsed.htmlReport)) {
    return "a dry run writes nothing, so it cannot write a report";
  }
  const char* otherOutput = kind == CommandKind::Finding ? "--count" : "--stat";
  const bool otherWanted = kind == CommandKind::Finding ? parsed.count : parsed.stat;
  if (otherWanted && parsed.filesWithMatches) {
    return std::string(otherOutput) + " and --files-with-matches are two different outputs";
  }
  if (parsed.quiet && (otherWanted || parsed.filesWithMatches)) {
    return std::string("--quiet prints nothing, so it cannot go with ") +
           (otherWanted ? otherOutput : "--files-with-matches");
  }
  if (kind == CommandKind::Replacing && !parsed.dryRun &&
      (otherWanted || parsed.filesWithMatches)) {
    return std::string(otherWanted ? otherOutput : "--files-with-matches") +
           " works only with --dry-run";
  }
  return std::nullopt;
}

// The dry run's --stat: "<path> | <count>" for each file with replacements, in list order and
// with the bars aligned, then "<files> file(s), <replacements> replacement(s)".
void PrintStat(const Configuration& config, const RunSummary& summary, std::ostream& out) {
  const size_t listed = std::min(config.Files.size(), summary.FileCounts.size());
  size_t width = 0;
  for (size_t i = 0; i < listed; ++i) {
    if (summary.FileCounts[i] > 0) width = std::max(width, config.Files[i].Path.size());
  }
  for (size_t i = 0; i < listed; ++i) {
    if (summary.FileCounts[i] == 0) continue;
    const std::string& path = config.Files[i].Path;
    out << path << std::string(width - path.size(), ' ') << " | " << summary.FileCounts[i] << "\n";
  }
  out << summary.FilesWithReplacements << " file(s), " << summary.TotalReplacements
      << " replacement(s)\n";
}

}  // namespace

const char* RunOptionsHelp() {
  return "Switches (override the configuration's):\n"
         "  --case-sensitive | --ignore-case      --whole-words | --no-whole-words\n"
         "  --anything | --no-anything            --regex | --no-regex\n"
         "  --backup | --no-backup                --confirm | --no-confirm\n"
         "Options:\n"
         "  --no-filename-references  leave values of HREF=\"...\" alone\n"
         "  --first N [--unit lines|bytes]  search only the first N lines (or bytes)\n"
         "  --keep-leading-spaces, --keep-trailing-spaces  do not trim find texts\n"
         "  --unix                  turn every CR LF into LF\n"
         "  --touch                 do not keep the old modification time\n"
         "  --no-keep-attributes    do not keep the old mode, owner and attributes\n"
         "  --rtf-as-text           process .rtf files as plain text\n"
         "  --unicode               in UTF-8 and UTF-16 files: ignore case for every letter\n"
         "                          (Ä/ä), end whole words at any punctuation, symbol or\n"
         "                          space, let a pattern's . and [...] take characters, not\n"
         "                          bytes (also in RTF text); Windows-1252 files keep bytes\n"
         "  --report FILE, --html-report FILE  write the text or HTML report\n"
         "  --quiet                 print nothing on success\n"
         "  --dry-run               write nothing; print a unified diff of every change\n"
         "  --stat                  with --dry-run: instead of the diff, each file that would\n"
         "                          change with its count of replacements, then the totals\n"
         "  -l, --files-with-matches  with --dry-run: only the paths of the files that would\n"
         "                          change, one a line\n"
         "With --confirm each occurrence is offered on the terminal and answered with one line:\n"
         "  y replace this, n skip this, f all in this file, s skip this file,\n"
         "  a all in all files, q skip all files (an empty line is y; end of input is q).\n";
}

int UsageError(CliIo& io, const std::string& command, const std::string& message) {
  io.err << "textwright-cli: " << message << " (see textwright-cli " << command << " --help)\n";
  return kExitUsage;
}

std::optional<std::string> ParseRunArguments(std::span<const std::string> args,
                                             RunArguments& parsed, CommandKind kind) {
  const unsigned taker = takerOf(kind);
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-' || arg == "-") {
      parsed.positionals.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    bool known = false;
    unsigned takers = 0;
    for (const SwitchOption& option : kSwitches) {
      if (arg == option.on || arg == option.off) {
        parsed.*option.field = arg == option.on;
        known = true;
        takers = option.takers;
      }
    }
    for (const FlagOption& option : kFlags) {
      if (arg == option.name || (option.shortName != nullptr && arg == option.shortName)) {
        parsed.*option.field = true;
        known = true;
        takers = option.takers;
      }
    }
    for (const ValueOption& option : kValues) {
      const std::string name = option.name;
      if (arg == name) {
        if (i + 1 >= args.size()) return name + " needs a value";
        parsed.*option.field = args[++i];
        known = true;
        takers = option.takers;
      } else if (arg.rfind(name + "=", 0) == 0) {
        parsed.*option.field = arg.substr(name.size() + 1);
        known = true;
        takers = option.takers;
      }
    }
    if (!known) return "unknown option \"" + arg + "\"";
    if ((takers & taker) == 0) return notTakenBy(kind, arg.substr(0, arg.find('=')));
  }
  if (parsed.unit) {
    if (*parsed.unit == "lines" || *parsed.unit == "Lines") {
      parsed.unit = "Lines";
    } else if (*parsed.unit == "bytes" || *parsed.unit == "Bytes") {
      parsed.unit = "Bytes";
    } else {
      return "--unit must be lines or bytes, not \"" + *parsed.unit + "\"";
    }
    if (!parsed.first) return "--unit needs --first N";
  }
  return checkCombinations(parsed, kind);
}

void ApplyRunArguments(const RunArguments& parsed, Configuration& config, AppOptions& options) {
  ReplaceFlags& flags = config.Flags;
  if (parsed.caseSensitive) flags.CaseSensitive = *parsed.caseSensitive;
  if (parsed.wholeWords) flags.WholeWordsOnly = *parsed.wholeWords;
  if (parsed.anything) flags.Anything = *parsed.anything;
  if (parsed.regex) flags.Regular = *parsed.regex;
  if (parsed.backup) flags.CreateBackupFiles = *parsed.backup;
  if (parsed.confirm) flags.Confirm = *parsed.confirm;
  AdvancedSwitches& advanced = config.Advanced;
  advanced.DoNotChangeFilenameReferences = parsed.noFilenameReferences;
  if (parsed.first) {
    advanced.ReplaceOnlyInFirst = true;
    advanced.FirstCount = *parsed.first;
    advanced.FirstUnit = regionUnitOf(parsed.unit.value_or("Lines"));
  }
  options.RemoveLeadingSpaces = !parsed.keepLeadingSpaces;
  options.RemoveTrailingSpaces = !parsed.keepTrailingSpaces;
  options.SaveAsUnix = parsed.unix;
  options.SaveOldDate = !parsed.touch;
  options.SaveOldAttributes = !parsed.noKeepAttributes;
  options.RtfAsRichText = !parsed.rtfAsText;
  options.UnicodeLetters = parsed.unicode;
}

int ExecuteRun(const Configuration& config, const AppOptions& options, const RunArguments& parsed,
               CliIo& io) {
  // The checks of "Go": files first, then pairs.
  if (config.Files.empty()) {
    io.err << kErrorPrefix << kNoFilesMessage << "\n";
    return kExitUsage;
  }
  if (config.pairListEmpty()) {
    io.err << kErrorPrefix << kNoPairsMessage << "\n";
    return kExitUsage;
  }

  const bool showDiffs = parsed.dryRun && !parsed.stat && !parsed.filesWithMatches;
  const PassSettings settings = PassSettings::from(config.Flags, config.Advanced, options);
  std::vector<std::unique_ptr<PreparedPair>> pairs;
  for (const StringPair& pair : config.Pairs())
    pairs.push_back(std::make_unique<PreparedPair>(pair, settings));
  TerminalHost host(io, {io.errIsTerminal && !parsed.quiet, showDiffs, true, AnyNonAscii(pairs)});
  SystemClock clock;
  RunSummary summary;
  RunMode mode;
  mode.dryRun = parsed.dryRun;
  const RunOutcome outcome = RunReplacement(config, options, host, clock, summary, mode);
  host.finish();
  if (outcome.refused) {
    io.err << "textwright-cli: " << outcome.refusal << "\n";
    return kExitUsage;
  }

  if (parsed.stat) {
    PrintStat(config, summary, io.out);
  } else if (parsed.filesWithMatches) {
    for (size_t i = 0; i < config.Files.size() && i < summary.FileCounts.size(); ++i) {
      if (summary.FileCounts[i] > 0) io.out << config.Files[i].Path << "\n";
    }
  } else if (!parsed.quiet) {
    io.out << resultSummaryLine(summary) << "\n";
    for (const std::string& line : summary.ResultLines) io.out << line << "\n";
  }
  bool reportFailed = false;
  for (const auto& [path, format] : {std::pair{parsed.report, ReportFormat::Text},
                                     std::pair{parsed.htmlReport, ReportFormat::Html}}) {
    if (!path) continue;
    if (const platform::IoStatus written = writeReport(*path, format, summary, config.Files);
        !written) {
      io.err << "textwright-cli: the report was not written: " << written.error << "\n";
      reportFailed = true;
    }
  }

  bool richTextRefused = false;
  int64_t failedFiles = 0;
  std::set<std::string> filesWithRefusals;
  for (const FailedFile& failed : summary.FailedFiles) {
    io.err << kErrorPrefix << (failed.path.empty() ? "" : failed.path + ": ") << failed.reason
           << "\n";
    richTextRefused = richTextRefused || failed.reason == kNotAnRtfDocument;
    if (failed.kind == FailedFile::Kind::Failed) ++failedFiles;
    if (failed.kind == FailedFile::Kind::Refused) filesWithRefusals.insert(failed.path);
  }
  if (richTextRefused) {
    io.err << kErrorPrefix << "use --rtf-as-text to process RTF files as plain text\n";
  }
  if (parsed.dryRun && !parsed.quiet && !parsed.filesWithMatches)
    io.err << kErrorPrefix << "dry run, no file was written\n";
  if (!filesWithRefusals.empty()) {
    // Those files were processed: only some of their occurrences were left alone.
    io.err << kErrorPrefix << "occurrences were left alone in " << filesWithRefusals.size()
           << " file(s)\n";
  }
  if (failedFiles > 0) io.err << kErrorPrefix << failedFiles << " file(s) could not be processed\n";
  if (failedFiles > 0 || !filesWithRefusals.empty()) return kExitFailed;
  if (outcome.cancelled || reportFailed) return kExitFailed;
  return kExitOk;
}

}  // namespace tw::cli
