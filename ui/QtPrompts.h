#pragma once
// The desktop program's answers to the core's questions: message boxes and file dialogs.

#include "config/Prompts.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace tw {

// The name filter Qt shows and applies for one filter entry: the caption exactly as given,
// followed by the entry's patterns in the form Qt parses (spaces between patterns, no
// spaces inside one, "*.*" meaning every file). The dialogs hide that second part, so the
// user sees the caption alone.
QString qtNameFilter(const FileFilter& filter);

// Qt's button and icon for each of the core's message-box kinds; closing a box without a
// button answers Cancel, or No where there is no Cancel.
class QtPrompts : public Prompts {
 public:
  explicit QtPrompts(QWidget* parent = nullptr) : m_parent(parent) {}

  void setParent(QWidget* parent) { m_parent = parent; }

  PromptAnswer ask(const std::string& text, const std::string& caption, PromptButtons buttons,
                   PromptIcon icon) override;
  void inform(const std::string& text, const std::string& caption, PromptIcon icon) override;
  std::optional<std::string> chooseOpenFile(const std::string& title,
                                            const std::vector<FileFilter>& filters,
                                            const std::string& folder) override;
  std::optional<SaveChoice> chooseSaveFile(const std::string& title,
                                           const std::vector<FileFilter>& filters,
                                           const std::string& folder) override;

  // The open dialog of "Add files": several files at once, in the order the dialog gives
  // them; empty when cancelled.
  std::vector<std::string> chooseOpenFiles(const std::string& title,
                                           const std::vector<FileFilter>& filters,
                                           const std::string& folder) override;

 private:
  QWidget* m_parent;
};

}  // namespace tw
