#include "backup/Backups.h"

#include "support/FakePrompts.h"
#include "support/FaultyFileOps.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace tw {
namespace {

namespace fs = std::filesystem;
using test::FakePrompts;
using test::TempDir;

class Backups : public test::TempDirTest {
 protected:
  std::vector<FileEntry> list(std::initializer_list<std::pair<const char*, bool>> entries) {
    std::vector<FileEntry> files;
    for (auto [name, checked] : entries) files.push_back({dir.file(name), checked});
    return files;
  }
  FakePrompts prompts;
};

// The folder of a listed file is opened once: a link in its path re-pointed to another user's
// folder between two steps changes nothing of what is read, written or removed.
TEST_F(Backups, AFolderSwappedMidwayChangesNothing) {
  const std::string mine = dir.write("mine/f.txt", "new");
  dir.write("mine/f.txt.rpf", "old");
  const std::string theirs = dir.write("theirs/f.txt", "their file");
  dir.write("theirs/f.txt.rpf", "their backup");
  const std::string link = dir.file("d");
  fs::create_directory_symlink("mine", link);
  for (const bool restoring : {true, false}) {
    SCOPED_TRACE(restoring ? "restore" : "delete");
    dir.write("mine/f.txt.rpf", "old");
    test::FaultyFileOps ops;
    bool swapped = false;
    ops.beforeCall = [&](const std::string&) {
      if (swapped || ops.calls().size() < 2) return;
      swapped = true;  // right after the first step (opening the folder)
      fs::remove(link);
      fs::create_directory_symlink("theirs", link);
    };
    AppOptions options;
    options.ConfirmDeleteBackups = false;
    const std::vector<FileEntry> files = {{link + "/f.txt", true}};
    const BackupOutcome out = restoring ? RestoreBackups(files, prompts, ops)
                                        : DeleteBackups(files, options, prompts, ops);
    ASSERT_TRUE(swapped);
    EXPECT_TRUE(out.failures.empty()) << out.failures.front();
    EXPECT_EQ(out.count, 1);
    EXPECT_EQ(TempDir::read(mine), restoring ? "old" : "new");
    EXPECT_FALSE(fs::exists(mine + ".rpf"));
    EXPECT_EQ(TempDir::read(theirs), "their file");
    EXPECT_EQ(TempDir::read(theirs + ".rpf"), "their backup");
    fs::remove(link);
    fs::create_directory_symlink("mine", link);
    dir.write("mine/f.txt", "new");
  }
}

TEST(BackupNames, AppendToTheFullName) {
  EXPECT_EQ(BackupName("/site/index.htm"), "/site/index.htm.rpf");
  EXPECT_EQ(WorkName("/site/index.htm"), "/site/index.htm.rpf1");
  EXPECT_EQ(BackupName("x.rpf"), "x.rpf.rpf");
}

TEST_F(Backups, RestorePutsBackBytesOfCheckedAndUncheckedEntriesAndRemovesBackups) {
  std::string binary("a\0b\x80\xff\r\n", 7);
  dir.write("a.txt", "new a");
  dir.write("a.txt.rpf", binary);
  dir.write("b.txt.rpf", "old b");  // b.txt itself is missing: it is created
  dir.write("c.txt", "no backup");
  dir.write("c.txt.rpf1", "work copy of an older program");
  dir.write("gone.txt.rpf", "not in the list");
  Configuration config;
  config.Files = list({{"a.txt", true}, {"b.txt", false}, {"c.txt", true}});

  BackupOutcome out = RestoreBackupsCommand(config, prompts);
  EXPECT_TRUE(out.completed);
  EXPECT_EQ(out.count, 2);
  EXPECT_EQ(TempDir::read(dir.file("a.txt")), binary);
  EXPECT_EQ(TempDir::read(dir.file("b.txt")), "old b");
  EXPECT_EQ(TempDir::read(dir.file("c.txt")), "no backup");
  EXPECT_FALSE(fs::exists(dir.file("a.txt.rpf")));
  EXPECT_FALSE(fs::exists(dir.file("b.txt.rpf")));
  EXPECT_TRUE(fs::exists(dir.file("c.txt.rpf1")));
  EXPECT_TRUE(fs::exists(dir.file("gone.txt.rpf")));
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].kind, "inform");
  EXPECT_EQ(prompts.shown[0].text, "2 backup file(s) restored.");
  EXPECT_EQ(prompts.shown[0].caption, "Backup Files");
  EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Information);
  EXPECT_TRUE(config.SaveButtonEnabled);
  EXPECT_FALSE(config.Changed);

  // A second restore finds nothing.
  out = RestoreBackupsCommand(config, prompts);
  EXPECT_EQ(out.count, 0);
  EXPECT_EQ(prompts.shown.back().text, "0 backup file(s) restored.");
}

TEST_F(Backups, RestoreKeepsModeAndHardLinksAndIgnoresLookalikes) {
  std::string a = dir.write("a.txt", "new");
  ASSERT_EQ(::chmod(a.c_str(), 0604), 0);
  ASSERT_EQ(::link(a.c_str(), dir.file("twin").c_str()), 0);
  dir.write("a.txt.rpf", "old");
  dir.write("b.txt", "b");
  dir.write("b.rpf", "not the backup of b.txt");

  RestoreBackups(list({{"a.txt", true}, {"b.txt", true}}), prompts);
  EXPECT_EQ(TempDir::read(dir.file("twin")), "old");
  struct stat st {};
  ASSERT_EQ(::stat(a.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  EXPECT_EQ(st.st_nlink, 2u);
  EXPECT_EQ(TempDir::read(dir.file("b.txt")), "b");
  EXPECT_TRUE(fs::exists(dir.file("b.rpf")));
  EXPECT_EQ(prompts.shown.back().text, "1 backup file(s) restored.");
}

TEST_F(Backups, RestoreGoesOnPastAFileItCannotWriteAndNamesIt) {
  dir.write("a.txt.rpf", "old a");
  fs::create_directory(dir.file("b.txt"));  // a folder where the file should be
  dir.write("b.txt.rpf", "old b");
  dir.write("c.txt.rpf", "old c");
  Configuration config;
  config.Files = list({{"a.txt", true}, {"b.txt", true}, {"c.txt", true}});

  BackupOutcome out = RestoreBackupsCommand(config, prompts);
  EXPECT_FALSE(out.completed);
  EXPECT_EQ(out.count, 2);
  EXPECT_EQ(TempDir::read(dir.file("a.txt")), "old a");
  EXPECT_EQ(TempDir::read(dir.file("c.txt")), "old c");
  EXPECT_TRUE(fs::exists(dir.file("b.txt.rpf")));
  EXPECT_FALSE(fs::exists(dir.file("c.txt.rpf")));
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].text, "2 backup file(s) restored.\nCannot read \"" +
                                       dir.file("b.txt") + "\": Is a directory");
  EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Warning);
}

TEST_F(Backups, DeleteAsksThenDeletesEveryBackupOfTheList) {
  dir.write("a.txt", "a");
  dir.write("a.txt.rpf", "old a");
  dir.write("b.txt.rpf", "old b");  // the file itself is missing
  dir.write("b.txt.rpf1", "work copy");
  dir.write("other.rpf", "not listed");
  Configuration config;
  config.Files = list({{"a.txt", true}, {"b.txt", false}, {"c.txt", true}});
  prompts.answers = {PromptAnswer::Yes};

  BackupOutcome out = DeleteBackupsCommand(config, AppOptions{}, prompts);
  EXPECT_EQ(out.count, 2);
  ASSERT_EQ(prompts.shown.size(), 2u);
  EXPECT_EQ(prompts.shown[0].kind, "ask");
  EXPECT_EQ(prompts.shown[0].text, "Really delete all backup files?");
  EXPECT_EQ(prompts.shown[0].caption, "Question");
  EXPECT_EQ(prompts.shown[0].buttons, PromptButtons::YesNo);
  EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Question);
  EXPECT_EQ(prompts.shown[1].text, "2 backup file(s) deleted.");
  EXPECT_EQ(prompts.shown[1].caption, "Backup Files");
  EXPECT_EQ(prompts.shown[1].icon, PromptIcon::Information);
  EXPECT_FALSE(fs::exists(dir.file("a.txt.rpf")));
  EXPECT_FALSE(fs::exists(dir.file("b.txt.rpf")));
  EXPECT_TRUE(fs::exists(dir.file("b.txt.rpf1")));
  EXPECT_TRUE(fs::exists(dir.file("other.rpf")));
  EXPECT_TRUE(config.Changed);
  EXPECT_TRUE(config.SaveButtonEnabled);
}

TEST_F(Backups, DeleteAnsweredNoChangesNothingAndWithoutTheOptionDoesNotAsk) {
  dir.write("a.txt.rpf", "old a");
  Configuration config;
  config.Files = list({{"a.txt", true}});
  prompts.answers = {PromptAnswer::No};
  BackupOutcome out = DeleteBackupsCommand(config, AppOptions{}, prompts);
  EXPECT_TRUE(out.cancelled);
  EXPECT_EQ(prompts.shown.size(), 1u);
  EXPECT_TRUE(fs::exists(dir.file("a.txt.rpf")));
  EXPECT_FALSE(config.Changed);
  EXPECT_FALSE(config.SaveButtonEnabled);

  AppOptions noQuestion;
  noQuestion.ConfirmDeleteBackups = false;
  out = DeleteBackupsCommand(config, noQuestion, prompts);
  EXPECT_EQ(out.count, 1);
  ASSERT_EQ(prompts.shown.size(), 2u);
  EXPECT_EQ(prompts.shown[1].text, "1 backup file(s) deleted.");
  EXPECT_FALSE(fs::exists(dir.file("a.txt.rpf")));
}

// Deleting a backup that cannot be deleted: it is named with the reason, not counted.
TEST_F(Backups, DeleteCountsOnlyRealDeletionsAndNamesTheRest) {
  dir.write("a.txt.rpf", "old a");
  fs::create_directory(dir.file("b.txt.rpf"));  // unlink refuses a folder
  AppOptions options;
  options.ConfirmDeleteBackups = false;
  BackupOutcome out = DeleteBackups(list({{"a.txt", true}, {"b.txt", true}}), options, prompts);
  EXPECT_EQ(out.count, 1);
  EXPECT_FALSE(out.completed);
  ASSERT_EQ(out.failures.size(), 1u);
  EXPECT_EQ(prompts.shown.back().text, "1 backup file(s) deleted.\nCannot delete \"" +
                                           dir.file("b.txt.rpf") +
                                           "\": it is not a regular file; it was left as it is");
  EXPECT_EQ(prompts.shown.back().icon, PromptIcon::Warning);
  EXPECT_TRUE(fs::exists(dir.file("b.txt.rpf")));
}

TEST_F(Backups, EntryWithoutAPathHasNoBackup) {
  std::string cwd = fs::current_path().string();
  fs::current_path(dir.path());
  dir.write(".rpf", "someone's file");
  AppOptions options;
  options.ConfirmDeleteBackups = false;
  BackupOutcome deleted = DeleteBackups({FileEntry{"", true}}, options, prompts);
  BackupOutcome restored = RestoreBackups({FileEntry{"", true}}, prompts);
  fs::current_path(cwd);
  EXPECT_EQ(deleted.count, 0);
  EXPECT_EQ(restored.count, 0);
  EXPECT_TRUE(fs::exists(dir.file(".rpf")));
}

TEST_F(Backups, NothingToDoReportsZero) {
  AppOptions options;
  prompts.answers = {PromptAnswer::Yes};
  DeleteBackups(list({{"a.txt", true}}), options, prompts);
  EXPECT_EQ(prompts.shown.back().text, "0 backup file(s) deleted.");
  RestoreBackups(list({{"a.txt", true}}), prompts);
  EXPECT_EQ(prompts.shown.back().text, "0 backup file(s) restored.");
}

// Every file-system call of a restore and of a delete, failed in turn: a failure is named,
// a file holds its old or its backup's content, and a backup goes only once it is not needed.
TEST_F(Backups, EveryFailingFileCallIsNamedAndLosesNothing) {
  const std::string file = dir.file("a.txt");
  const std::string backup = file + ".rpf";
  const auto lay = [&] {
    dir.write("a.txt", "new");
    dir.write("a.txt.rpf", "old");
  };
  for (const bool restoring : {true, false}) {
    test::FaultyFileOps faulty;
    const auto act = [&] {
      AppOptions options;
      options.ConfirmDeleteBackups = false;
      return restoring ? RestoreBackups(list({{"a.txt", true}}), prompts, faulty)
                       : DeleteBackups(list({{"a.txt", true}}), options, prompts, faulty);
    };
    lay();
    ASSERT_TRUE(act().failures.empty());
    const size_t calls = faulty.calls().size();
    for (size_t n = 1; n <= calls; ++n) {
      lay();
      faulty.reset();
      faulty.failCall(static_cast<int>(n), EIO);
      const BackupOutcome out = act();
      ASSERT_TRUE(faulty.failed()) << "call " << n;
      const std::string content = TempDir::read(file);
      EXPECT_TRUE(content == (restoring ? "old" : "new") || content == "new") << n;
      if (fs::exists(backup)) {
        EXPECT_EQ(TempDir::read(backup), "old");
        EXPECT_EQ(out.failures.size(), 1u) << "call " << n << (restoring ? " restoring" : "");
      } else {
        EXPECT_EQ(content, restoring ? "old" : "new") << "call " << n;
        EXPECT_EQ(out.count, 1) << "call " << n;
      }
    }
  }
}

}  // namespace
}  // namespace tw
