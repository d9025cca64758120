#include "config/Configuration.h"

#include "support/FakePrompts.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

using test::FakePrompts;

std::vector<StringPair> numbered(int n) {
  std::vector<StringPair> pairs;
  for (int k = 1; k <= n; ++k) pairs.push_back({std::to_string(k), "r" + std::to_string(k)});
  return pairs;
}

std::string order(const Configuration& config) {
  std::string out;
  for (const StringPair& pair : config.Pairs()) out += pair.Find + " ";
  return out;
}

bool add(Configuration& config, FakePrompts& prompts, std::string find, std::string replace) {
  config.FindField = std::move(find);
  config.ReplaceField = std::move(replace);
  return config.AddPair(prompts);
}

TEST(Configuration, StartsEmptyWithProgramStartSwitches) {
  Configuration config;
  EXPECT_TRUE(config.pairListEmpty());
  EXPECT_EQ(config.Pairs().size(), 1u);
  EXPECT_EQ(config.Flags, (ReplaceFlags{false, false, true, false, true, false}));
  EXPECT_FALSE(config.Changed);
  EXPECT_FALSE(config.SaveButtonEnabled);
  EXPECT_TRUE(config.FileName.empty());
}

TEST(Configuration, AddPairRefusesInOrderAndStillMarksAChange) {
  struct Case {
    std::string find, replace, text;
    PromptIcon icon;
  };
  const std::vector<Case> cases = {
      {"", "", "You must enter Find and Replace text!!!", PromptIcon::Warning},
      {"same", "same", "You've entered the identical text blocks!!!", PromptIcon::Warning},
      {"", "x", "You didn't specify the Find text block!!!", PromptIcon::Warning},
      {"a", "b", "These text blocks are already in the strings list!", PromptIcon::None},
  };
  for (const Case& c : cases) {
    Configuration config;
    config.setPairs({{"a", "b"}});
    FakePrompts prompts;
    EXPECT_FALSE(add(config, prompts, c.find, c.replace));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, "inform");
    EXPECT_EQ(prompts.shown[0].text, c.text);
    EXPECT_EQ(prompts.shown[0].caption, "Warning");
    EXPECT_EQ(prompts.shown[0].icon, c.icon);
    EXPECT_TRUE(config.Changed);
    EXPECT_TRUE(config.SaveButtonEnabled);
    EXPECT_EQ(config.Pairs(), (std::vector<StringPair>{{"a", "b"}}));
    EXPECT_EQ(config.FindField, c.find) << "fields stay as they were";
    EXPECT_EQ(config.ReplaceField, c.replace);
  }
}

TEST(Configuration, AddPairFillsTheBlankRowThenAppends) {
  Configuration config;
  FakePrompts prompts;
  EXPECT_TRUE(add(config, prompts, "a", "b"));
  EXPECT_EQ(config.Pairs(), (std::vector<StringPair>{{"a", "b"}}));
  EXPECT_TRUE(config.FindField.empty());
  EXPECT_TRUE(config.ReplaceField.empty());
  EXPECT_TRUE(add(config, prompts, "a", "B")) << "same find, other replace";
  EXPECT_TRUE(add(config, prompts, "Case", "case")) << "differs only in case";
  EXPECT_TRUE(add(config, prompts, "gone", "")) << "empty replace";
  EXPECT_EQ(config.Pairs().size(), 4u);
  EXPECT_EQ(config.Pairs().back(), (StringPair{"gone", ""}));
  EXPECT_TRUE(prompts.shown.empty());
}

TEST(Configuration, RemovePairWaysDifferInAskingAndMarking) {
  AppOptions asking;
  asking.ConfirmDeletePair = true;
  const std::string question = "Really delete the selcted string from the find/replace list?";

  Configuration config;
  config.setPairs(numbered(3));
  FakePrompts prompts;
  prompts.answers = {PromptAnswer::No, PromptAnswer::Yes};
  EXPECT_FALSE(config.RemovePair(1, PairRemoval::Button, asking, prompts));
  EXPECT_EQ(config.Pairs().size(), 3u);
  EXPECT_FALSE(config.Changed);
  EXPECT_TRUE(config.RemovePair(1, PairRemoval::Button, asking, prompts));
  EXPECT_EQ(order(config), "1 3 ");
  EXPECT_TRUE(config.Changed);
  EXPECT_TRUE(config.SaveButtonEnabled);
  ASSERT_EQ(prompts.shown.size(), 2u);
  EXPECT_EQ(prompts.shown[0].text, question);
  EXPECT_EQ(prompts.shown[0].caption, "Question");
  EXPECT_EQ(prompts.shown[0].buttons, PromptButtons::YesNo);
  EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Question);

  config.markSaved();
  FakePrompts menu;  // the menu entry never asks and leaves Changed alone
  EXPECT_TRUE(config.RemovePair(0, PairRemoval::MenuEntry, asking, menu));
  EXPECT_EQ(order(config), "3 ");
  EXPECT_TRUE(menu.shown.empty());
  EXPECT_FALSE(config.Changed);

  FakePrompts key;  // the keys ask but leave Changed alone
  key.answers = {PromptAnswer::Yes};
  EXPECT_TRUE(config.RemovePair(0, PairRemoval::Key, asking, key));
  EXPECT_TRUE(config.pairListEmpty()) << "the only pair leaves one blank row";
  EXPECT_EQ(config.Pairs().size(), 1u);
  EXPECT_FALSE(config.Changed);
  EXPECT_FALSE(config.SaveButtonEnabled);

  FakePrompts quiet;  // with the option off nothing asks; an empty list stays empty
  EXPECT_TRUE(config.RemovePair(0, PairRemoval::Button, AppOptions{}, quiet));
  EXPECT_TRUE(config.pairListEmpty());
  EXPECT_TRUE(quiet.shown.empty());
  EXPECT_TRUE(config.Changed);
}

TEST(Configuration, TakePairForEditingMovesTheTextsIntoTheFields) {
  Configuration config;
  config.setPairs(numbered(2));
  config.TakePairForEditing(0);
  EXPECT_EQ(config.FindField, "1");
  EXPECT_EQ(config.ReplaceField, "r1");
  EXPECT_EQ(order(config), "2 ");
  config.TakePairForEditing(0);
  EXPECT_EQ(config.FindField, "2");
  EXPECT_TRUE(config.pairListEmpty());
  config.TakePairForEditing(0);
  EXPECT_TRUE(config.FindField.empty()) << "an empty list empties both fields";
  EXPECT_TRUE(config.ReplaceField.empty());
  EXPECT_FALSE(config.Changed);
}

TEST(Configuration, MovePairReordersAndNormalisesLineBreaks) {
  Configuration config;
  config.setPairs(numbered(6));
  EXPECT_TRUE(config.MovePair(5, 2));
  EXPECT_EQ(order(config), "1 5 2 3 4 6 ");
  config.setPairs(numbered(6));
  EXPECT_TRUE(config.MovePair(2, 5));
  EXPECT_EQ(order(config), "1 3 4 5 2 6 ");

  for (auto [from, to] :
       std::vector<std::pair<int, int>>{{3, 3}, {3, 0}, {0, 3}, {3, 7}, {7, 3}, {-1, 2}, {2, -1}}) {
    config.setPairs(numbered(6));
    EXPECT_FALSE(config.MovePair(from, to)) << from << " -> " << to;
    EXPECT_EQ(order(config), "1 2 3 4 5 6 ");
  }

  config.setPairs({{"one\ntwo", "x\r\n"}, {"b", "c\rd\r\n\r\n"}});
  EXPECT_TRUE(config.MovePair(1, 2));
  EXPECT_EQ(config.Pairs()[1], (StringPair{"one\r\ntwo", "x"}));
  EXPECT_EQ(config.Pairs()[0], (StringPair{"b", "c\rd\r\n\r\n"})) << "only the moved pair";
  EXPECT_FALSE(config.Changed);
}

TEST(Configuration, NormalizeLineBreaks) {
  EXPECT_EQ(normalizeLineBreaks(""), "");
  EXPECT_EQ(normalizeLineBreaks("\r\n"), "");
  EXPECT_EQ(normalizeLineBreaks("a\rb\nc\r\nd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(normalizeLineBreaks("a\n\r"), "a\r\n");
  EXPECT_EQ(normalizeLineBreaks("a\r\n\r\n"), "a\r\n");
}

TEST(Configuration, AddFilesSkipsPathsAlreadyThereByteForByteAndPathsWithANul) {
  Configuration config;
  config.Files = {{"/a/x.htm", false}};
  config.AddFiles({"/a/x.htm", "/a/X.htm", "/b", "/b", std::string("/b\0.htm", 7)});
  EXPECT_EQ(config.Files,
            (std::vector<FileEntry>{{"/a/x.htm", false}, {"/a/X.htm", true}, {"/b", true}}));
  EXPECT_TRUE(config.Changed);
  config.markSaved();
  config.AddFiles({"/b"});
  EXPECT_EQ(config.Files.size(), 3u);
  EXPECT_TRUE(config.Changed) << "also when every path was skipped";
}

TEST(Configuration, RemoveFileAsksWhenTheOptionIsOn) {
  AppOptions asking;
  asking.ConfirmDeleteFile = true;
  Configuration config;
  config.Files = {{"/a", true}, {"/b", true}};
  FakePrompts prompts;
  prompts.answers = {PromptAnswer::No, PromptAnswer::Yes};
  EXPECT_FALSE(config.RemoveFile(0, asking, prompts));
  EXPECT_EQ(config.Files.size(), 2u);
  EXPECT_FALSE(config.Changed);
  EXPECT_TRUE(config.RemoveFile(0, asking, prompts));
  EXPECT_EQ(config.Files, (std::vector<FileEntry>{{"/b", true}}));
  EXPECT_EQ(prompts.shown[0].text, "Really delete the selcted file from the list?");
  EXPECT_EQ(prompts.shown[0].caption, "Question");

  config.markSaved();
  FakePrompts quiet;
  EXPECT_TRUE(config.RemoveFile(std::nullopt, AppOptions{}, quiet));
  EXPECT_EQ(config.Files.size(), 1u);
  EXPECT_TRUE(config.Changed) << "marked even with nothing selected";
}

TEST(Configuration, ClearFilesEmptiesFilesAndScanResults) {
  AppOptions asking;
  asking.ConfirmDeleteAllFiles = true;
  Configuration config;
  config.Files = {{"/a", true}};
  config.ScanResults = {"/a", "/c"};
  FakePrompts prompts;
  prompts.answers = {PromptAnswer::No, PromptAnswer::Yes};
  EXPECT_FALSE(config.ClearFiles(asking, prompts));
  EXPECT_EQ(config.Files.size(), 1u);
  EXPECT_EQ(config.ScanResults.size(), 2u);
  EXPECT_TRUE(config.ClearFiles(asking, prompts));
  EXPECT_TRUE(config.Files.empty());
  EXPECT_TRUE(config.ScanResults.empty());
  EXPECT_EQ(prompts.shown[1].text, "Really delete all files from the list?");
  EXPECT_FALSE(config.Changed);
}

TEST(Configuration, CheckMarksDoNotMarkAChange) {
  Configuration config;
  config.Files = {{"/a", true}, {"/b", false}};
  config.SetAllChecked(false);
  EXPECT_FALSE(config.Files[0].Checked);
  config.SetAllChecked(true);
  EXPECT_TRUE(config.Files[1].Checked);
  config.setChecked(0, false);
  config.setChecked(5, false);
  EXPECT_FALSE(config.Files[0].Checked);
  EXPECT_FALSE(config.Changed);
  EXPECT_FALSE(config.SaveButtonEnabled);
}

TEST(Configuration, SwitchChangesFollowTheChangedTable) {
  Configuration config;
  config.setAnything(false);
  config.setRegular(true);
  config.Advanced.ReplaceOnlyInFirst = true;
  EXPECT_FALSE(config.Changed);
  EXPECT_FALSE(config.wholeWordsOnlyEnabled());
  EXPECT_FALSE(config.anythingEnabled());
  config.setRegular(false);
  EXPECT_TRUE(config.wholeWordsOnlyEnabled());
  EXPECT_TRUE(config.anythingEnabled());

  config.setCreateBackupFiles(true);
  EXPECT_FALSE(config.Changed) << "the same value is no change";
  for (void (Configuration::*set)(bool) :
       {&Configuration::setCaseSensitive, &Configuration::setWholeWordsOnly,
        &Configuration::setCreateBackupFiles, &Configuration::setConfirm,
        &Configuration::setConfirmEveryReplacement}) {
    Configuration c;
    (c.*set)(set == &Configuration::setCreateBackupFiles ? false : true);
    EXPECT_TRUE(c.Changed);
    EXPECT_TRUE(c.SaveButtonEnabled);
  }

  config.setConfirmEveryReplacement(true);
  EXPECT_TRUE(config.Flags.Confirm);
  config.setConfirm(false);
  EXPECT_FALSE(config.ConfirmEveryReplacement());

  config.markSaved();
  config.enableSaveButton();
  EXPECT_FALSE(config.Changed);
  EXPECT_TRUE(config.SaveButtonEnabled);
  config.ClearPairs();
  EXPECT_FALSE(config.Changed);
}

TEST(Configuration, ResetKeepsAnythingRegularAdvancedAndFileName) {
  Configuration config;
  config.setPairs(numbered(2));
  config.Files = {{"/a", true}};
  config.FindField = "f";
  config.ReplaceField = "r";
  config.Flags = {true, true, false, true, false, true};
  config.Advanced.FirstCount = "7";
  config.FileName = "/x.rpl";
  config.markChanged();
  config.ResetConfiguration();
  EXPECT_TRUE(config.pairListEmpty());
  EXPECT_TRUE(config.Files.empty());
  EXPECT_TRUE(config.FindField.empty());
  EXPECT_TRUE(config.ReplaceField.empty());
  EXPECT_EQ(config.Flags, (ReplaceFlags{false, false, true, false, false, true}));
  EXPECT_EQ(config.Advanced.FirstCount, "7");
  EXPECT_EQ(config.FileName, "/x.rpl");
  EXPECT_FALSE(config.Changed);
  EXPECT_FALSE(config.SaveButtonEnabled);
}

}  // namespace
}  // namespace tw
