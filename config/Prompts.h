#pragma once
// Every question, message and file dialog of the core goes through Prompts. The desktop
// program answers with real dialogs, the command-line tool on the terminal, tests with a
// scripted fake (tests/support/FakePrompts.h).

#include <optional>
#include <string>
#include <vector>

namespace tw {

enum class PromptIcon { None, Warning, Question, Error, Information };
enum class PromptButtons { Ok, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Yes, No, Cancel };

// One entry of a file dialog's filter list, e.g. {"Any file (*.*)", "*.*"}.
struct FileFilter {
  std::string caption;
  std::string pattern;

  bool operator==(const FileFilter&) const = default;
};

// What a confirmed save dialog gives back: the name as entered and the filter selected.
struct SaveChoice {
  std::string path;
  int filterIndex = 0;
};

class Prompts {
 public:
  virtual ~Prompts() = default;

  // A message box with a question; closing it without a button counts as Cancel (or No
  // where there is no Cancel).
  virtual PromptAnswer ask(const std::string& text, const std::string& caption,
                           PromptButtons buttons, PromptIcon icon) = 0;
  // A message box with an OK button.
  virtual void inform(const std::string& text, const std::string& caption, PromptIcon icon) = 0;
  // An open dialog in `folder` (empty: the default folder); nothing when cancelled.
  virtual std::optional<std::string> chooseOpenFile(const std::string& title,
                                                    const std::vector<FileFilter>& filters,
                                                    const std::string& folder) = 0;
  // An open dialog that allows several files at once; the chosen full paths in the dialog's
  // order, none when cancelled. Front ends without a multiple choice offer one file.
  virtual std::vector<std::string> chooseOpenFiles(const std::string& title,
                                                   const std::vector<FileFilter>& filters,
                                                   const std::string& folder) {
    std::vector<std::string> names;
    if (std::optional<std::string> name = chooseOpenFile(title, filters, folder))
      names.push_back(std::move(*name));
    return names;
  }
  // A save dialog that asks before overwriting the name as entered; nothing when cancelled.
  virtual std::optional<SaveChoice> chooseSaveFile(const std::string& title,
                                                   const std::vector<FileFilter>& filters,
                                                   const std::string& folder) = 0;
};

}  // namespace tw
