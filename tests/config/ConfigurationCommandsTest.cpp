#include "config/ConfigurationCommands.h"

#include "config/Settings.h"
#include "support/FakePrompts.h"
#include "support/MemorySettingsStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tw {
namespace {

using test::FakePrompts;

const std::string kValidFile =
    "CaseSensitive=true\r\nWholeWordsOnly=false\r\nCreateBackupFiles=false\r\n"
    "Confirm=true\r\nAnything=false\r\nRegular=true\r\nFile=/w/a.htm,1\r\nFile=/w/b.htm,0\r\n"
    "Strings=1\r\nfind\r\nStrings=1\r\nreplace\r\n";

class ConfigurationCommands : public test::TempDirTest {
 protected:
  // A configuration with unsaved edits, as the user leaves it before a command.
  Configuration edited() {
    Configuration config;
    config.setPairs({{"mine", "yours"}});
    config.Files = {{"/mine.txt", true}};
    config.FileName = dir.file("previous.rpl");
    config.markChanged();
    return config;
  }

  MemorySettingsStore settings;
  FakePrompts prompts;
};

TEST_F(ConfigurationCommands, TargetNameAppendsRplUnlessItEndsInLowerCaseRpl) {
  EXPECT_EQ(rplTargetName("conf"), "conf.rpl");
  EXPECT_EQ(rplTargetName("conf.rpl"), "conf.rpl");
  EXPECT_EQ(rplTargetName("conf.RPL"), "conf.RPL.rpl");
  EXPECT_EQ(rplTargetName("notes.txt"), "notes.txt.rpl");
}

TEST_F(ConfigurationCommands, SaveAsAsksForANameAndWritesTheTarget) {
  Configuration config;
  config.markChanged();
  settings.writeString(settings::kLastDir, "/start/");
  prompts.saveNames = {SaveChoice{dir.file("conf"), 0}};
  EXPECT_EQ(SaveConfiguration(config, prompts, settings), SaveOutcome::Saved);
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].kind, "save");
  EXPECT_EQ(prompts.shown[0].folder, "/start/");
  EXPECT_EQ(prompts.shown[0].filters, saveConfigurationFilters());
  EXPECT_EQ(saveConfigurationFilters()[0].caption, "TWright configuration file (*.rpl)");
  EXPECT_EQ(config.FileName, dir.file("conf.rpl"));
  EXPECT_FALSE(config.Changed);
  EXPECT_FALSE(config.SaveButtonEnabled);
  EXPECT_EQ(ReadLastDir(settings), dir.path().string() + "/");
  const std::string bytes = test::TempDir::read(dir.file("conf.rpl"));
  EXPECT_EQ(bytes, formatRpl(config));
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 8) << "an empty configuration";

  // With a name, Save writes without a dialog.
  config.setPairs({{"a", "b"}});
  config.markChanged();
  EXPECT_EQ(SaveConfiguration(config, prompts, settings), SaveOutcome::Saved);
  EXPECT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(test::TempDir::read(dir.file("conf.rpl")), formatRpl(config));
}

TEST_F(ConfigurationCommands, CancelledSaveDialogIsReportedAndChangesNothing) {
  Configuration config = edited();
  prompts.saveNames = {std::nullopt};
  EXPECT_EQ(SaveConfigurationAs(config, prompts, settings), SaveOutcome::Cancelled);
  EXPECT_EQ(config.FileName, dir.file("previous.rpl"));
  EXPECT_TRUE(config.Changed);
  EXPECT_FALSE(settings.hasValue(settings::kLastDir));
  EXPECT_FALSE(std::filesystem::exists(dir.file("previous.rpl")));
}

TEST_F(ConfigurationCommands, FailedSaveNamesTheFileAndKeepsTheOldContent) {
  const std::string target = dir.write("keep.rpl", kValidFile);
  Configuration config = edited();
  config.FileName = target;
  {
    // A folder that does not exist cannot take the file.
    Configuration lost = edited();
    lost.FileName = dir.file("no/such/folder/x.rpl");
    FakePrompts failing;
    EXPECT_EQ(SaveConfiguration(lost, failing, settings), SaveOutcome::Failed);
    ASSERT_EQ(failing.shown.size(), 1u);
    EXPECT_NE(failing.shown[0].text.find(lost.FileName), std::string::npos)
        << failing.shown[0].text;
    EXPECT_EQ(failing.shown[0].caption, "Textwright");
    EXPECT_EQ(failing.shown[0].icon, PromptIcon::Error);
    EXPECT_TRUE(lost.Changed);
    EXPECT_EQ(lost.FileName, dir.file("no/such/folder/x.rpl"));
  }

  // A path with a line break would not survive the file: refused, nothing written.
  FakePrompts refused;
  config.Files.push_back({"/odd\nname", true});
  EXPECT_EQ(SaveConfiguration(config, refused, settings), SaveOutcome::Failed);
  ASSERT_EQ(refused.shown.size(), 1u);
  EXPECT_EQ(refused.shown[0].text,
            "Cannot write \"" + target + "\": the file list holds a path with a line break");
  EXPECT_EQ(test::TempDir::read(target), kValidFile);
  EXPECT_EQ(config.FileName, target);
  EXPECT_TRUE(config.Changed);
}

TEST_F(ConfigurationCommands, OpenLoadsSwitchesFilesAndPairs) {
  const std::string path = dir.write("sub/good.rpl", kValidFile);
  Configuration config;
  config.FindField = "typed";
  config.Advanced.FirstCount = "3";
  prompts.openNames = {path};
  EXPECT_EQ(OpenConfiguration(config, prompts, settings), OpenOutcome::Loaded);
  EXPECT_EQ(prompts.shown[0].kind, "open");
  EXPECT_EQ(prompts.shown[0].filters, openConfigurationFilters());
  EXPECT_EQ(config.Flags, (ReplaceFlags{true, false, false, true, false, true}));
  EXPECT_FALSE(config.anythingEnabled());
  EXPECT_EQ(config.Files, (std::vector<FileEntry>{{"/w/a.htm", true}, {"/w/b.htm", false}}));
  EXPECT_EQ(config.Pairs(), (std::vector<StringPair>{{"find", "replace"}}));
  EXPECT_EQ(config.FileName, path);
  EXPECT_EQ(config.FindField, "typed");
  EXPECT_EQ(config.Advanced.FirstCount, "3");
  EXPECT_FALSE(config.Changed);
  EXPECT_FALSE(config.SaveButtonEnabled);
  EXPECT_EQ(ReadLastDir(settings), dir.file("sub/"));
}

// Open and the start-up file read a configuration as every other reader does: a path that is
// not absolute is taken from the configuration's folder, whatever the current folder, and the
// list then holds (and a save writes) the full path.
TEST_F(ConfigurationCommands, OpenTakesRelativePathsFromTheConfigurationsFolder) {
  const std::string text =
      "CaseSensitive=true\r\nWholeWordsOnly=false\r\nCreateBackupFiles=false\r\n"
      "Confirm=true\r\nAnything=false\r\nRegular=true\r\nFile=a.htm,1\r\n"
      "File=./b/c.htm,0\r\nFile=/w/d.htm,1\r\nStrings=1\r\nfind\r\nStrings=1\r\nreplace\r\n";
  const std::string path = dir.write("sub/rel.rpl", text);
  const std::vector<FileEntry> expected{
      {dir.file("sub/a.htm"), true}, {dir.file("sub/b/c.htm"), false}, {"/w/d.htm", true}};
  Configuration opened;
  prompts.openNames = {path};
  ASSERT_EQ(OpenConfiguration(opened, prompts, settings), OpenOutcome::Loaded);
  EXPECT_EQ(opened.Files, expected);

  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  Configuration started;
  const OpenOutcome outcome = OpenConfigurationFile(started, prompts, settings, "sub/rel.rpl");
  std::filesystem::current_path(before);
  ASSERT_EQ(outcome, OpenOutcome::Loaded);
  EXPECT_EQ(started.Files, expected);
  ASSERT_TRUE(writeConfigurationFile(path, started));
  EXPECT_NE(test::TempDir::read(path).find("File=" + dir.file("sub/a.htm") + ",1\r\n"),
            std::string::npos);
}

TEST_F(ConfigurationCommands, SaveQuestionGuardsOpen) {
  const std::string path = dir.write("good.rpl", kValidFile);
  {
    // Cancel: nothing happens.
    Configuration config = edited();
    prompts.answers = {PromptAnswer::Cancel};
    EXPECT_EQ(OpenConfiguration(config, prompts, settings), OpenOutcome::Kept);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "The configuration file has changed since your last save. Would you like to save "
              "changes?");
    EXPECT_EQ(prompts.shown[0].caption, "Warning");
    EXPECT_EQ(prompts.shown[0].buttons, PromptButtons::YesNoCancel);
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Warning);
    EXPECT_TRUE(config.Changed);
  }
  {
    // Yes: Save As runs and the file is not opened.
    Configuration config = edited();
    FakePrompts yes;
    yes.answers = {PromptAnswer::Yes};
    yes.saveNames = {SaveChoice{dir.file("saved"), 0}};
    EXPECT_EQ(OpenConfiguration(config, yes, settings), OpenOutcome::SavedInstead);
    ASSERT_EQ(yes.shown.size(), 2u);
    EXPECT_EQ(yes.shown[1].kind, "save");
    EXPECT_EQ(config.Pairs(), (std::vector<StringPair>{{"mine", "yours"}}));
    EXPECT_EQ(config.FileName, dir.file("saved.rpl"));
    EXPECT_FALSE(config.Changed);
  }
  {
    // No, then the dialog cancelled: the configuration stays, but Changed is cleared.
    Configuration config = edited();
    FakePrompts no;
    no.answers = {PromptAnswer::No};
    no.openNames = {std::nullopt};
    config.SaveButtonEnabled = true;
    EXPECT_EQ(OpenConfiguration(config, no, settings), OpenOutcome::Cancelled);
    EXPECT_EQ(config.Pairs(), (std::vector<StringPair>{{"mine", "yours"}}));
    EXPECT_FALSE(config.Changed);
    EXPECT_TRUE(config.SaveButtonEnabled);
  }
}

// A rejected file used to empty the file list and leave its own name in FileName, so that a
// later Save overwrote it.
TEST_F(ConfigurationCommands, RejectedFileChangesNothingButChanged) {
  std::string bad = kValidFile;
  bad[bad.find("Confirm")] = 'X';
  const std::string path = dir.write("bad.rpl", bad);
  Configuration config = edited();
  const Configuration before = config;
  prompts.answers = {PromptAnswer::No};
  prompts.openNames = {path};
  EXPECT_EQ(OpenConfiguration(config, prompts, settings), OpenOutcome::Rejected);
  ASSERT_EQ(prompts.shown.size(), 3u);
  EXPECT_EQ(prompts.shown[2].kind, "inform");
  EXPECT_EQ(prompts.shown[2].text, "Not a valid Textwright configuration file");
  EXPECT_EQ(prompts.shown[2].caption, "Warning");
  EXPECT_EQ(prompts.shown[2].icon, PromptIcon::Error);
  EXPECT_EQ(config.Files, before.Files);
  EXPECT_EQ(config.Pairs(), before.Pairs());
  EXPECT_EQ(config.Flags, before.Flags);
  EXPECT_EQ(config.FileName, before.FileName);
  EXPECT_FALSE(config.Changed);
  EXPECT_EQ(test::TempDir::read(path), bad);
}

TEST_F(ConfigurationCommands, UnreadableFileShowsAnErrorNamingIt) {
  const std::string folder = dir.file("folder.rpl");
  std::filesystem::create_directory(folder);
  Configuration config = edited();
  const Configuration before = config;
  prompts.answers = {PromptAnswer::No};
  prompts.openNames = {folder};
  EXPECT_EQ(OpenConfiguration(config, prompts, settings), OpenOutcome::Unreadable);
  ASSERT_EQ(prompts.shown.size(), 3u);
  EXPECT_NE(prompts.shown[2].text.find(folder), std::string::npos);
  EXPECT_EQ(prompts.shown[2].icon, PromptIcon::Error);
  EXPECT_EQ(config.Files, before.Files);
  EXPECT_EQ(config.FileName, before.FileName);
}

TEST_F(ConfigurationCommands, StartUpOpenLoadsANamedFileWithoutADialog) {
  const std::string path = dir.write("start.rpl", kValidFile);
  Configuration config;
  EXPECT_EQ(OpenConfigurationFile(config, prompts, settings, path), OpenOutcome::Loaded);
  EXPECT_TRUE(prompts.shown.empty());
  EXPECT_EQ(config.FileName, path);
  EXPECT_EQ(config.Pairs(), (std::vector<StringPair>{{"find", "replace"}}));
  EXPECT_EQ(ReadLastDir(settings), dir.path().string() + "/");

  Configuration empty;
  empty.Changed = false;
  EXPECT_EQ(OpenConfigurationFile(empty, prompts, settings, dir.file("gone.rpl")),
            OpenOutcome::Missing);
  EXPECT_TRUE(prompts.shown.empty()) << "a missing file shows nothing";
  EXPECT_EQ(empty.FileName, dir.file("gone.rpl")) << "a missing file keeps its name";
  EXPECT_TRUE(empty.pairListEmpty());
}

TEST_F(ConfigurationCommands, NewAsksResetsAndKeepsTheFileName) {
  Configuration config = edited();
  config.setRegular(true);
  prompts.answers = {PromptAnswer::Cancel, PromptAnswer::No};
  NewConfiguration(config, prompts, settings);
  EXPECT_TRUE(config.Changed);
  EXPECT_FALSE(config.pairListEmpty());
  NewConfiguration(config, prompts, settings);
  EXPECT_TRUE(config.pairListEmpty());
  EXPECT_TRUE(config.Files.empty());
  EXPECT_TRUE(config.Flags.Regular);
  EXPECT_FALSE(config.Changed);
  EXPECT_EQ(config.FileName, dir.file("previous.rpl"));

  // A following Save writes to the same name, without a dialog.
  EXPECT_EQ(SaveConfiguration(config, prompts, settings), SaveOutcome::Saved);
  EXPECT_TRUE(std::filesystem::exists(dir.file("previous.rpl")));

  // Yes saves instead of resetting; the next New asks nothing.
  Configuration other = edited();
  FakePrompts yes;
  yes.answers = {PromptAnswer::Yes};
  yes.saveNames = {SaveChoice{dir.file("other.rpl"), 1}};
  NewConfiguration(other, yes, settings);
  EXPECT_FALSE(other.pairListEmpty());
  EXPECT_EQ(other.FileName, dir.file("other.rpl"));
  NewConfiguration(other, yes, settings);
  EXPECT_TRUE(other.pairListEmpty());
  EXPECT_EQ(yes.shown.size(), 2u);
}

TEST_F(ConfigurationCommands, ReadConfigurationFileReportsWhy) {
  std::string error;
  EXPECT_FALSE(readConfigurationFile(dir.file("none.rpl"), error));
  EXPECT_NE(error.find(dir.file("none.rpl")), std::string::npos);
  EXPECT_FALSE(readConfigurationFile(dir.write("x.rpl", "hello\n"), error));
  EXPECT_EQ(error, "Not a valid Textwright configuration file");
  EXPECT_TRUE(readConfigurationFile(dir.write("y.rpl", kValidFile), error));
}

}  // namespace
}  // namespace tw
