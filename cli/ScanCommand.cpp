#include "cli/ScanCommand.h"

#include "config/ConfigurationCommands.h"
#include "platform/FileIo.h"
#include "scan/Scan.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string_view>

#include <sys/stat.h>

namespace tw::cli {

namespace {

constexpr std::string_view kPrefix = "textwright-cli scan: ";

constexpr const char* kScanHelp =
    "Lists the files under DIR whose names match the masks, one full path per line.\n\n"
    "Scan options:\n"
    "  --mask TEXT             name masks separated by \";\" (default *.htm*)\n"
    "  --no-recurse            stay in DIR\n"
    "  --size OPN[b|k|m]       keep files by size: OP is =, > or <, e.g. --size '=10k'\n"
    "  --date-between FROM TO  keep files modified on these dates (DD.MM.YYYY), both included\n"
    "  --not-older N{h|d|w|m|y}  keep files no older than N hours, days, weeks, months, years\n"
    "  --add-to CONFIG.rpl     add the files found to this configuration and save it\n";

int usageError(CliIo& io, const std::string& message) {
  io.err << kPrefix << message << "\n";
  return kExitUsage;
}

// The option of the command line that fills a field of the scan dialog.
const char* optionOf(ScanField field) {
  switch (field) {
    case ScanField::SizeAmount:
    case ScanField::SizeCompare:
      return "--size";
    case ScanField::DateFrom:
    case ScanField::DateTo:
      return "--date-between";
    case ScanField::AgeCount:
    case ScanField::AgeUnit:
      return "--not-older";
  }
  return "";
}

// The unit a letter (either case) stands for at the end of a --size or --not-older value.
template <class Unit>
struct UnitLetter {
  char letter;
  Unit unit;
};
constexpr UnitLetter<SizeUnit> kSizeUnits[] = {
    {'b', SizeUnit::Bytes}, {'k', SizeUnit::Kbytes}, {'m', SizeUnit::Mbytes}};
constexpr UnitLetter<AgeUnit> kAgeUnits[] = {{'h', AgeUnit::Hours},
                                             {'d', AgeUnit::Days},
                                             {'w', AgeUnit::Weeks},
                                             {'m', AgeUnit::Months},
                                             {'y', AgeUnit::Years}};

template <class Unit, std::size_t N>
std::optional<Unit> unitOf(const std::string& text, const UnitLetter<Unit> (&units)[N]) {
  if (text.empty()) return std::nullopt;
  char last = text.back();
  if (last >= 'A' && last <= 'Z') last = static_cast<char>(last - 'A' + 'a');
  for (const UnitLetter<Unit>& unit : units) {
    if (unit.letter == last) return unit.unit;
  }
  return std::nullopt;
}

// "=10k": the comparison, then the amount, then an optional unit letter (bytes without one).
std::optional<std::string> takeSize(const std::string& text, ScanFields& fields) {
  if (text.empty() || (text[0] != '=' && text[0] != '>' && text[0] != '<')) {
    return "--size: '" + text + "' must start with =, > or <";
  }
  fields.SizeOn = true;
  fields.SizeCompareText = text.substr(0, 1);
  std::string amount = text.substr(1);
  std::optional<SizeUnit> unit = unitOf(amount, kSizeUnits);
  if (unit) amount.pop_back();
  fields.SizeUnitChoice = unit.value_or(SizeUnit::Bytes);
  fields.SizeText = amount;
  return std::nullopt;
}

// "2w": the count, then its unit letter.
std::optional<std::string> takeAge(const std::string& text, ScanFields& fields) {
  std::optional<AgeUnit> unit = unitOf(text, kAgeUnits);
  if (!unit) return "--not-older: '" + text + "' must end with a unit: h, d, w, m or y";
  fields.AgeOn = true;
  fields.AgeUnitChoice = *unit;
  fields.AgeCountText = text.substr(0, text.size() - 1);
  return std::nullopt;
}

// The start directory as a full path without a trailing "/" (unless it is "/").
std::string startDirectory(const std::string& given) {
  const std::string full = platform::absolutePath(given).value_or(given);
  std::string text = std::filesystem::path(full).lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// The configuration named by --add-to, read before anything is walked; a missing file starts
// as an empty configuration.
struct Target {
  std::string path;
  bool exists = false;
  Configuration config;
};

std::optional<std::string> loadTarget(Target& target) {
  struct stat st {};
  if (platform::systemFileOps().stat(target.path.c_str(), &st) != 0 && errno == ENOENT)
    return std::nullopt;
  target.exists = true;
  std::string error;
  std::optional<RplContent> content = readConfigurationFile(target.path, error);
  if (!content) return "--add-to '" + target.path + "': " + error;
  target.config.Flags = content->Flags;
  target.config.Files = std::move(content->Files);
  target.config.setPairs(std::move(content->Pairs));
  target.config.FileName = target.path;
  return std::nullopt;
}

// Adds `found` to the target's file list and saves it when something was added or the file is
// new. A path with a line break cannot be kept in the file: it is named and left out.
int addToTarget(Target& target, const std::vector<std::string>& found, CliIo& io) {
  int status = kExitOk;
  std::vector<std::string> keepable;
  keepable.reserve(found.size());
  for (const std::string& path : found) {
    if (path.find_first_of("\r\n") == std::string::npos) {
      keepable.push_back(path);
    } else {
      io.err << kPrefix << "not added to '" << target.path << "' (a configuration file cannot hold "
             << "a path with a line break): " << path << "\n";
      status = kExitFailed;
    }
  }
  addScanResults(target.config, keepable);
  if (target.config.Changed || !target.exists) {
    if (platform::IoStatus written = writeConfigurationFile(target.path, target.config); !written) {
      io.err << kPrefix << written.error << "\n";
      return kExitFailed;
    }
  }
  return status;
}

}  // namespace

int scanCommand(std::span<const std::string> args, CliIo& io) {
  ScanFields fields;
  std::optional<std::string> directory;
  std::optional<std::string> addTo;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::size_t count) { return i + count < args.size(); };
    if (arg == "--help" || arg == "-h") {
      io.out << "Usage: textwright-cli " << kScanUsage << "\n" << kScanHelp;
      return kExitOk;
    } else if (arg == "--no-recurse") {
      fields.Recurse = false;
    } else if (arg == "--mask" || arg == "--size" || arg == "--not-older" || arg == "--add-to") {
      if (!value(1)) return usageError(io, arg + " needs a value");
      const std::string& text = args[++i];
      std::optional<std::string> error;
      if (arg == "--mask") fields.MaskText = text;
      if (arg == "--size") error = takeSize(text, fields);
      if (arg == "--not-older") error = takeAge(text, fields);
      if (arg == "--add-to") addTo = text;
      if (error) return usageError(io, *error);
    } else if (arg == "--date-between") {
      if (!value(2)) return usageError(io, "--date-between needs two dates (DD.MM.YYYY)");
      fields.DateOn = true;
      fields.DateFromText = args[++i];
      fields.DateToText = args[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usageError(io, "unknown option \"" + arg + "\"");
    } else if (directory) {
      return usageError(io, "only one directory may be given (\"" + arg + "\" is a second)");
    } else {
      directory = arg;
    }
  }
  if (!directory) {
    return usageError(io, "no directory given. Usage: textwright-cli " + std::string(kScanUsage));
  }

  struct stat st {};
  if (platform::systemFileOps().stat(directory->c_str(), &st) != 0) {
    return usageError(io, "cannot open '" + *directory + "': " + platform::errorText(errno));
  }
  if (!S_ISDIR(st.st_mode)) return usageError(io, "'" + *directory + "' is not a directory");
  fields.Directory = startDirectory(*directory);

  ScanCriteria criteria;
  if (auto error = captureScanCriteria(fields, criteria)) {
    return usageError(
        io, std::string(optionOf(error->field)) + ": '" + error->text + "' " + error->problem);
  }
  std::optional<Target> target;
  if (addTo) {
    target.emplace();
    target->path = *addTo;
    if (auto error = loadTarget(*target)) return usageError(io, *error);
  }

  const ScanFound found = findScanFiles(criteria);
  std::string text;
  for (const std::string& path : found.paths) {
    text += path;
    text += '\n';
  }
  io.out << text;
  for (const ScanProblem& problem : found.problems) {
    io.err << kPrefix << "cannot list '" << problem.path << "': " << problem.reason << "\n";
  }

  int status = found.problems.empty() ? kExitOk : kExitFailed;
  if (target && addToTarget(*target, found.paths, io) != kExitOk) status = kExitFailed;
  return status;
}

}  // namespace tw::cli
