#include "cli/RunFrontEnd.h"

#include "cli/TerminalHost.h"
#include "config/WindowCommands.h"
#include "engine/Clock.h"
#include "engine/ProcessRtfFile.h"
#include "engine/Run.h"
#include "engine/RunSummary.h"
#include "report/Report.h"

#include <ostream>
#include <set>

namespace tw::cli {

namespace {

struct SwitchSpec {
  const char* on;
  const char* off;
  std::optional<bool> RunArguments::*field;
};

constexpr SwitchSpec kSwitches[] = {
    {"--case-sensitive", "--ignore-case", &RunArguments::caseSensitive},
    {"--whole-words", "--no-whole-words", &RunArguments::wholeWords},
    {"--anything", "--no-anything", &RunArguments::anything},
    {"--regex", "--no-regex", &RunArguments::regex},
    {"--backup", "--no-backup", &RunArguments::backup},
    {"--confirm", "--no-confirm", &RunArguments::confirm},
};

struct FlagSpec {
  const char* name;
  bool RunArguments::*field;
};

constexpr FlagSpec kFlags[] = {
    {"--no-filename-references", &RunArguments::noFilenameReferences},
    {"--keep-leading-spaces", &RunArguments::keepLeadingSpaces},
    {"--keep-trailing-spaces", &RunArguments::keepTrailingSpaces},
    {"--unix", &RunArguments::unix},
    {"--touch", &RunArguments::touch},
    {"--no-keep-attributes", &RunArguments::noKeepAttributes},
    {"--rtf-as-text", &RunArguments::rtfAsText},
    {"--quiet", &RunArguments::quiet},
    {"--dry-run", &RunArguments::dryRun},
};

struct ValueSpec {
  const char* name;
  std::optional<std::string> RunArguments::*field;
};

constexpr ValueSpec kValues[] = {
    {"--first", &RunArguments::first},
    {"--unit", &RunArguments::unit},
    {"--report", &RunArguments::report},
    {"--html-report", &RunArguments::htmlReport},
};

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
         "  --report FILE, --html-report FILE  write the text or HTML report\n"
         "  --quiet                 print nothing on success\n"
         "  --dry-run               write nothing; print a unified diff of every change\n"
         "With --confirm each occurrence is offered on the terminal and answered with one line:\n"
         "  y replace this, n skip this, f all in this file, s skip this file,\n"
         "  a all in all files, q skip all files (an empty line is y; end of input is q).\n";
}

int UsageError(CliIo& io, const std::string& command, const std::string& message) {
  io.err << "textwright-cli: " << message << " (see textwright-cli " << command << " --help)\n";
  return kExitUsage;
}

std::optional<std::string> ParseRunArguments(std::span<const std::string> args,
                                             RunArguments& parsed) {
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
    for (const SwitchSpec& option : kSwitches) {
      if (arg == option.on || arg == option.off) {
        parsed.*option.field = arg == option.on;
        known = true;
      }
    }
    for (const FlagSpec& option : kFlags) {
      if (arg == option.name) {
        parsed.*option.field = true;
        known = true;
      }
    }
    for (const ValueSpec& option : kValues) {
      const std::string name = option.name;
      if (arg == name) {
        if (i + 1 >= args.size()) return name + " needs a value";
        parsed.*option.field = args[++i];
        known = true;
      } else if (arg.rfind(name + "=", 0) == 0) {
        parsed.*option.field = arg.substr(name.size() + 1);
        known = true;
      }
    }
    if (!known) return "unknown option \"" + arg + "\"";
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
  if (parsed.report && parsed.report->empty()) return "--report needs a file name";
  if (parsed.htmlReport && parsed.htmlReport->empty()) return "--html-report needs a file name";
  if (parsed.dryRun && (parsed.report || parsed.htmlReport)) {
    return "a dry run writes nothing, so it cannot write a report";
  }
  return std::nullopt;
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

  TerminalHost host(io, {io.errIsTerminal && !parsed.quiet, parsed.dryRun, true});
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

  if (!parsed.quiet) {
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
  if (parsed.dryRun && !parsed.quiet) io.err << kErrorPrefix << "dry run, no file was written\n";
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
