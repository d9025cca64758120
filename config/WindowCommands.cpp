#include "config/WindowCommands.h"

#include "config/ConfigurationCommands.h"
#include "config/Settings.h"
#include "platform/FileIo.h"

namespace tw {

const std::vector<FileFilter>& addFilesFilters() {
  static const std::vector<FileFilter> filters{
      {"HTML files (*.htm; *.html; *.asp; *.jsp; *.css)", "*.htm; *.html; *.asp; *.jsp; *.css"},
      {"C++ files (*.cpp; *.c; *.h)", "*.cpp; *.c; *.h"},
      {"Pascal files (*. pas; *.dpr)", "*. pas; *.dpr"},
      {"Text files (*.txt; *.diz)", "*.txt; *.diz"},
      {"Rich Text Format files (*.rtf)", "*.rtf"},
      {"Mp3 files (*.mp3)", "*.mp3"},
      {"All Files (*.*)", "*.*"}};
  return filters;
}

bool AddFilesCommand(Configuration& config, Prompts& prompts, SettingsStore& settings) {
  const std::vector<std::string> names =
      prompts.chooseOpenFiles(kAddFilesTitle, addFilesFilters(), ReadLastDir(settings));
  if (names.empty()) return false;
  StoreLastDir(settings, names.front());
  config.AddFiles(names);
  return true;
}

bool LoadFieldFromFile(Configuration& config, PairField field, Prompts& prompts,
                       SettingsStore& settings) {
  const char* title =
      field == PairField::Find ? "Load Find string from file" : "Load Replace string from file";
  static const std::vector<FileFilter> anyFile{{"Any file (*.*)", "*.*"}};
  const std::optional<std::string> name =
      prompts.chooseOpenFile(title, anyFile, ReadLastDir(settings));
  if (!name) return false;
  StoreLastDir(settings, *name);
  std::string bytes;
  if (platform::IoStatus status = platform::readWholeFile(*name, bytes); !status) {
    prompts.inform(status.error, "Textwright", PromptIcon::Error);
    return false;
  }
  (field == PairField::Find ? config.FindField : config.ReplaceField) = withCrLfLineBreaks(bytes);
  return true;
}

bool CheckGoInput(const Configuration& config, Prompts& prompts, const std::string& noFilesMessage,
                  const std::string& noPairsMessage) {
  if (config.Files.empty()) {
    prompts.inform(noFilesMessage, "Textwright", PromptIcon::Information);
    return false;
  }
  if (config.pairListEmpty()) {
    prompts.inform(noPairsMessage, "Textwright", PromptIcon::Information);
    return false;
  }
  return true;
}

bool isEmptyState(const Configuration& config) {
  const ReplaceFlags& f = config.Flags;
  return !f.CaseSensitive && !f.WholeWordsOnly && f.CreateBackupFiles && !f.Confirm &&
         config.Files.empty() && config.pairListEmpty();
}

bool ConfirmClose(Configuration& config, const AppOptions& options, Prompts& prompts,
                  SettingsStore& settings) {
  if (!options.ConfirmOnExit) return true;
  if (isEmptyState(config)) config.Changed = false;
  if (!config.Changed) return true;
  switch (
      prompts.ask(kExitQuestion, "Question", PromptButtons::YesNoCancel, PromptIcon::Question)) {
    case PromptAnswer::No:
      config.ResetConfiguration();
      config.Changed = false;
      config.enableSaveButton();
      return true;
    case PromptAnswer::Yes:
      // A save that was cancelled or failed keeps the window, and the unsaved work, open.
      return SaveConfiguration(config, prompts, settings) == SaveOutcome::Saved;
    default:
      return false;
  }
}

}  // namespace tw
