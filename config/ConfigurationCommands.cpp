#include "config/ConfigurationCommands.h"

#include "config/Settings.h"
#include "platform/FileIo.h"

#include <optional>

namespace tw {

namespace {

// The caption of a message about a file that could not be read or written.
constexpr const char* kErrorCaption = "Textwright";

enum class Guard { Proceed, Stop, SavedInstead };

// The save question of New and Open.
Guard askToSave(Configuration& config, Prompts& prompts, SettingsStore& settings) {
  if (!config.Changed) return Guard::Proceed;
  switch (prompts.ask(kSaveQuestion, "Warning", PromptButtons::YesNoCancel, PromptIcon::Warning)) {
    case PromptAnswer::No:
      return Guard::Proceed;
    case PromptAnswer::Yes:
      SaveConfigurationAs(config, prompts, settings);
      return Guard::SavedInstead;
    default:
      return Guard::Stop;
  }
}

SaveOutcome writeTo(Configuration& config, Prompts& prompts, const std::string& target) {
  platform::IoStatus status = writeConfigurationFile(target, config);
  if (!status) {
    prompts.inform(status.error, kErrorCaption, PromptIcon::Error);
    return SaveOutcome::Failed;
  }
  config.FileName = target;
  config.markSaved();
  return SaveOutcome::Saved;
}

OpenOutcome load(Configuration& config, Prompts& prompts, SettingsStore& settings,
                 const std::string& path) {
  std::string error;
  std::optional<RplContent> content = readConfigurationFile(path, error);
  if (!content && !isNotValidConfiguration(error)) {
    prompts.inform(error, kErrorCaption, PromptIcon::Error);
    return OpenOutcome::Unreadable;
  }
  StoreLastDir(settings, path);
  config.Changed = false;
  if (!content) {
    prompts.inform(error, "Warning", PromptIcon::Error);
    return OpenOutcome::Rejected;
  }
  applyRplContent(config, std::move(*content));
  config.FileName = path;
  config.markSaved();
  return OpenOutcome::Loaded;
}

// The absolute folder of a configuration file, with its final slash.
std::string configurationFolder(const std::string& configPath) {
  const std::optional<std::string> full = platform::absolutePath(configPath);
  std::string folder = full ? platform::folderOf(*full) : std::string();
  if (folder.empty()) folder = platform::folderOf(configPath);
  return folder;
}

// A relative listed path taken from `folder` ("./" in front of it dropped).
std::string folderPlus(const std::string& folder, std::string_view path) {
  while (path.starts_with("./")) path.remove_prefix(2);
  return folder + std::string(path);
}

}  // namespace

const std::vector<FileFilter>& openConfigurationFilters() {
  static const std::vector<FileFilter> filters{{"Textwright configuration file (*.rpl)", "*.rpl"},
                                               {"Any file (*.*)", "*.*"}};
  return filters;
}

const std::vector<FileFilter>& saveConfigurationFilters() {
  static const std::vector<FileFilter> filters{{"TWright configuration file (*.rpl)", "*.rpl"},
                                               {"Any file (*.*)", "*.*"}};
  return filters;
}

std::string rplTargetName(const std::string& entered) {
  return entered.ends_with(".rpl") ? entered : entered + ".rpl";
}

platform::IoStatus writeConfigurationFile(const std::string& path, const Configuration& config) {
  for (const FileEntry& entry : config.Files) {
    if (entry.Path.find_first_of("\r\n") != std::string::npos) {
      return platform::IoStatus::failure("Cannot write \"" + path +
                                         "\": the file list holds a path with a line break");
    }
  }
  return platform::writeFileAtomically(path, formatRpl(config));
}

std::optional<RplContent> readConfigurationFile(const std::string& path, std::string& error) {
  std::string bytes;
  if (platform::IoStatus status = platform::readWholeFile(path, bytes); !status) {
    error = status.error;
    return std::nullopt;
  }
  std::string problem;
  std::optional<RplContent> content = parseRpl(bytes, problem);
  if (!content) {
    error = kNotValidConfiguration;
    if (!problem.empty()) error += ": " + problem;
    return content;
  }
  // Absolute paths stay as they are; the folder for the others is found once.
  std::string folder;
  for (FileEntry& entry : content->Files) {
    if (entry.Path.empty() || entry.Path.front() == '/') continue;
    if (folder.empty()) folder = configurationFolder(path);
    entry.Path = folderPlus(folder, entry.Path);
  }
  return content;
}

std::string resolveListedPath(const std::string& configPath, const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  return folderPlus(configurationFolder(configPath), path);
}

SaveOutcome SaveConfiguration(Configuration& config, Prompts& prompts, SettingsStore& settings) {
  if (config.FileName.empty()) return SaveConfigurationAs(config, prompts, settings);
  return writeTo(config, prompts, config.FileName);
}

SaveOutcome SaveConfigurationAs(Configuration& config, Prompts& prompts, SettingsStore& settings) {
  std::optional<SaveChoice> choice = prompts.chooseSaveFile(
      kSaveConfigurationTitle, saveConfigurationFilters(), ReadLastDir(settings));
  if (!choice) return SaveOutcome::Cancelled;
  StoreLastDir(settings, choice->path);
  return writeTo(config, prompts, rplTargetName(choice->path));
}

OpenOutcome OpenConfiguration(Configuration& config, Prompts& prompts, SettingsStore& settings) {
  switch (askToSave(config, prompts, settings)) {
    case Guard::Stop:
      return OpenOutcome::Kept;
    case Guard::SavedInstead:
      return OpenOutcome::SavedInstead;
    case Guard::Proceed:
      break;
  }
  std::optional<std::string> name = prompts.chooseOpenFile(
      kOpenConfigurationTitle, openConfigurationFilters(), ReadLastDir(settings));
  if (!name) {
    config.Changed = false;
    return OpenOutcome::Cancelled;
  }
  StoreLastDir(settings, *name);
  return load(config, prompts, settings, *name);
}

OpenOutcome OpenConfigurationFile(Configuration& config, Prompts& prompts, SettingsStore& settings,
                                  const std::string& path) {
  switch (askToSave(config, prompts, settings)) {
    case Guard::Stop:
      return OpenOutcome::Kept;
    case Guard::SavedInstead:
      return OpenOutcome::SavedInstead;
    case Guard::Proceed:
      break;
  }
  if (!platform::pathExists(path)) {
    // Nothing is loaded, but the name is kept: a later Save creates the file named.
    config.Changed = false;
    config.FileName = path;
    return OpenOutcome::Missing;
  }
  return load(config, prompts, settings, path);
}

void NewConfiguration(Configuration& config, Prompts& prompts, SettingsStore& settings) {
  if (askToSave(config, prompts, settings) != Guard::Proceed) return;
  config.ResetConfiguration();
}

}  // namespace tw
