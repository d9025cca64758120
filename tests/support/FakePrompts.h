#pragma once
// A scripted Prompts: answers are queued before the code under test runs, and every prompt
// shown is recorded so that tests can compare texts, captions, buttons and icons exactly.

#include "config/Prompts.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace tw::test {

class FakePrompts : public Prompts {
 public:
  struct Shown {
    std::string kind;  // "ask", "inform", "open" or "save"
    std::string text;  // the message, or the dialog title
    std::string caption;
    PromptButtons buttons = PromptButtons::Ok;
    PromptIcon icon = PromptIcon::None;
    std::vector<FileFilter> filters;
    std::string folder;
  };

  std::vector<Shown> shown;
  std::deque<PromptAnswer> answers;                  // for ask(); missing answers fail the test
  std::deque<std::optional<std::string>> openNames;  // for chooseOpenFile(); nullopt = cancel
  std::deque<std::optional<SaveChoice>> saveNames;   // for chooseSaveFile(); nullopt = cancel
  // for chooseOpenFiles(); an empty list = cancel. When none is queued, a single name is
  // taken from openNames.
  std::deque<std::vector<std::string>> openNameLists;

  PromptAnswer ask(const std::string& text, const std::string& caption, PromptButtons buttons,
                   PromptIcon icon) override {
    shown.push_back({"ask", text, caption, buttons, icon, {}, {}});
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text;
      return PromptAnswer::Cancel;
    }
    PromptAnswer a = answers.front();
    answers.pop_front();
    return a;
  }

  void inform(const std::string& text, const std::string& caption, PromptIcon icon) override {
    shown.push_back({"inform", text, caption, PromptButtons::Ok, icon, {}, {}});
  }

  std::optional<std::string> chooseOpenFile(const std::string& title,
                                            const std::vector<FileFilter>& filters,
                                            const std::string& folder) override {
    shown.push_back({"open", title, {}, PromptButtons::Ok, PromptIcon::None, filters, folder});
    if (openNames.empty()) {
      ADD_FAILURE() << "unexpected open dialog: " << title;
      return std::nullopt;
    }
    auto name = openNames.front();
    openNames.pop_front();
    return name;
  }

  std::vector<std::string> chooseOpenFiles(const std::string& title,
                                           const std::vector<FileFilter>& filters,
                                           const std::string& folder) override {
    if (openNameLists.empty()) return Prompts::chooseOpenFiles(title, filters, folder);
    shown.push_back({"open", title, {}, PromptButtons::Ok, PromptIcon::None, filters, folder});
    auto names = openNameLists.front();
    openNameLists.pop_front();
    return names;
  }

  std::optional<SaveChoice> chooseSaveFile(const std::string& title,
                                           const std::vector<FileFilter>& filters,
                                           const std::string& folder) override {
    shown.push_back({"save", title, {}, PromptButtons::Ok, PromptIcon::None, filters, folder});
    if (saveNames.empty()) {
      ADD_FAILURE() << "unexpected save dialog: " << title;
      return std::nullopt;
    }
    auto choice = saveNames.front();
    saveNames.pop_front();
    return choice;
  }
};

}  // namespace tw::test
