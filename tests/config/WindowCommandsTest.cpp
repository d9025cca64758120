#include "config/WindowCommands.h"

#include "config/Settings.h"
#include "support/FakePrompts.h"
#include "support/MemorySettingsStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tw {
namespace {

using test::FakePrompts;

class WindowCommands : public test::TempDirTest {
 protected:
  Configuration config;
  AppOptions options;
  FakePrompts prompts;
  MemorySettingsStore settings;
};

TEST_F(WindowCommands, AddFilesAppendsTheNewPathsAndRemembersTheFolder) {
  config.Files = {{dir.file("a.htm"), false}};
  settings.writeString(settings::kLastDir, dir.path().string() + "/");
  prompts.openNameLists.push_back({dir.file("b.htm"), dir.file("a.htm"), dir.file("A.htm")});
  EXPECT_TRUE(AddFilesCommand(config, prompts, settings));

  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].text, kAddFilesTitle);
  EXPECT_EQ(prompts.shown[0].folder, dir.path().string() + "/");
  ASSERT_EQ(prompts.shown[0].filters.size(), 7u);
  EXPECT_EQ(prompts.shown[0].filters.front().caption,
            "HTML files (*.htm; *.html; *.asp; *.jsp; *.css)");
  EXPECT_EQ(prompts.shown[0].filters[2].caption, "Pascal files (*. pas; *.dpr)");
  EXPECT_EQ(prompts.shown[0].filters.back(), (FileFilter{"All Files (*.*)", "*.*"}));
  // The path already listed is skipped; one that differs in letter case is another file.
  EXPECT_EQ(config.Files,
            (std::vector<FileEntry>{
                {dir.file("a.htm"), false}, {dir.file("b.htm"), true}, {dir.file("A.htm"), true}}));
  EXPECT_TRUE(config.Changed);
  EXPECT_TRUE(config.SaveButtonEnabled);
}

TEST_F(WindowCommands, AddFilesOfOnlyListedPathsStillMarksAChangeButCancelDoesNot) {
  config.Files = {{"/w/a.htm", true}};
  prompts.openNameLists.push_back({"/w/a.htm"});
  EXPECT_TRUE(AddFilesCommand(config, prompts, settings));
  EXPECT_EQ(config.Files.size(), 1u);
  EXPECT_TRUE(config.Changed);
  EXPECT_EQ(ReadLastDir(settings), "/w/");

  Configuration untouched;
  prompts.openNameLists.push_back({});
  EXPECT_FALSE(AddFilesCommand(untouched, prompts, settings));
  EXPECT_FALSE(untouched.Changed);
  EXPECT_FALSE(untouched.SaveButtonEnabled);
}

TEST_F(WindowCommands, LoadFieldTurnsEveryLineBreakIntoCrLf) {
  const std::string path = dir.write("find.txt", "one\ntwo\rthree\r\nfour\n");
  prompts.openNames.push_back(path);
  EXPECT_TRUE(LoadFieldFromFile(config, PairField::Replace, prompts, settings));
  EXPECT_EQ(config.ReplaceField, "one\r\ntwo\r\nthree\r\nfour\r\n");
  EXPECT_EQ(config.FindField, "");
  EXPECT_EQ(prompts.shown[0].text, "Load Replace string from file");
  EXPECT_EQ(prompts.shown[0].filters, (std::vector<FileFilter>{{"Any file (*.*)", "*.*"}}));
  EXPECT_EQ(ReadLastDir(settings), dir.path().string() + "/");
  EXPECT_FALSE(config.Changed);

  // Cancelled: nothing changes.
  prompts.openNames.push_back(std::nullopt);
  EXPECT_FALSE(LoadFieldFromFile(config, PairField::Find, prompts, settings));
  EXPECT_EQ(config.FindField, "");
  EXPECT_EQ(prompts.shown[1].text, "Load Find string from file");
}

TEST_F(WindowCommands, LoadFieldFromAnUnreadableFileKeepsTheFieldAndSaysWhy) {
  config.FindField = "kept";
  prompts.openNames.push_back(dir.file("missing.txt"));
  EXPECT_FALSE(LoadFieldFromFile(config, PairField::Find, prompts, settings));
  EXPECT_EQ(config.FindField, "kept");
  ASSERT_EQ(prompts.shown.size(), 2u);
  EXPECT_EQ(prompts.shown[1].kind, "inform");
  EXPECT_NE(prompts.shown[1].text.find("missing.txt"), std::string::npos);
  EXPECT_EQ(prompts.shown[1].icon, PromptIcon::Error);
}

TEST_F(WindowCommands, WithCrLfKeepsAFinalBreakAndLeavesOtherBytes) {
  EXPECT_EQ(withCrLfLineBreaks(""), "");
  EXPECT_EQ(withCrLfLineBreaks("a\r\r\nb"), "a\r\n\r\nb");
  EXPECT_EQ(withCrLfLineBreaks("\n\n"), "\r\n\r\n");
  EXPECT_EQ(withCrLfLineBreaks(std::string("x\0y\xff", 4)), std::string("x\0y\xff", 4));
}

TEST_F(WindowCommands, GoChecksFilesFirstThenPairs) {
  // Empty file list and empty pair list: only the message about the files.
  EXPECT_FALSE(CheckGoInput(config, prompts));
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].text, kNoFilesMessage);
  EXPECT_EQ(prompts.shown[0].caption, "Textwright");
  EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Information);

  // Files, all unchecked, but no pairs.
  config.Files = {{"/w/a.htm", false}};
  EXPECT_FALSE(CheckGoInput(config, prompts));
  EXPECT_EQ(prompts.shown.back().text, kNoPairsMessage);

  // One pair whose replace text is empty is enough, with every file unchecked.
  config.setPairs({{"find", ""}});
  EXPECT_TRUE(CheckGoInput(config, prompts));
  EXPECT_EQ(prompts.shown.size(), 2u);
}

TEST_F(WindowCommands, CloseAsksOnlyWhenSomethingIsUnsaved) {
  // Nothing unsaved.
  EXPECT_TRUE(ConfirmClose(config, options, prompts, settings));
  // Changed but in the empty state: nothing worth keeping, no question.
  config.markChanged();
  EXPECT_TRUE(ConfirmClose(config, options, prompts, settings));
  EXPECT_FALSE(config.Changed);
  // Changed, with ConfirmOnExit off: closes without asking.
  config.setPairs({{"a", "b"}});
  config.markChanged();
  options.ConfirmOnExit = false;
  EXPECT_TRUE(ConfirmClose(config, options, prompts, settings));
  EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(WindowCommands, CloseQuestionAnswers) {
  config.setPairs({{"a", "b"}});
  config.FileName = dir.file("work.rpl");
  config.markChanged();

  prompts.answers = {PromptAnswer::Cancel};
  EXPECT_FALSE(ConfirmClose(config, options, prompts, settings));
  EXPECT_EQ(prompts.shown[0].text, kExitQuestion);
  EXPECT_EQ(prompts.shown[0].buttons, PromptButtons::YesNoCancel);
  EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Question);
  EXPECT_TRUE(config.Changed);

  // Yes saves to the configuration's file and closes.
  prompts.answers = {PromptAnswer::Yes};
  EXPECT_TRUE(ConfirmClose(config, options, prompts, settings));
  EXPECT_TRUE(std::filesystem::exists(dir.file("work.rpl")));
  EXPECT_FALSE(config.Changed);

  // No resets and closes; the Save tool button ends up enabled.
  config.markChanged();
  prompts.answers = {PromptAnswer::No};
  EXPECT_TRUE(ConfirmClose(config, options, prompts, settings));
  EXPECT_TRUE(config.pairListEmpty());
  EXPECT_FALSE(config.Changed);
  EXPECT_TRUE(config.SaveButtonEnabled);
}

TEST_F(WindowCommands, CloseStaysOpenWhenTheSaveDoesNotHappen) {
  config.setPairs({{"a", "b"}});
  config.markChanged();
  // No file name yet: Yes shows the save dialog; cancelling it keeps the window open.
  prompts.answers = {PromptAnswer::Yes};
  prompts.saveNames.push_back(std::nullopt);
  EXPECT_FALSE(ConfirmClose(config, options, prompts, settings));
  EXPECT_TRUE(config.Changed);

  // A save that fails keeps the window open too, so the unsaved work is not lost.
  prompts.answers = {PromptAnswer::Yes};
  prompts.saveNames.push_back(SaveChoice{dir.file("no/such/folder/work"), 0});
  EXPECT_FALSE(ConfirmClose(config, options, prompts, settings));
  EXPECT_TRUE(config.Changed);
  EXPECT_EQ(config.Pairs(), (std::vector<StringPair>{{"a", "b"}}));
}

}  // namespace
}  // namespace tw
