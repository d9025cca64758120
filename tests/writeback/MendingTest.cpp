#include "writeback/Mending.h"

#include "support/FaultyFileOps.h"
#include "support/TempDir.h"
#include "writeback/WriteBack.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace tw::writeback {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const std::string kOld = "needle one\nneedle two\nlast line\n";
const std::string kNew = "pin one\npin two\nlast line\n";

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

// Mends the leftovers of `path` as a run does before reading it; the notes it gives.
std::vector<std::string> mendFile(const std::string& path, IoStatus* result = nullptr) {
  FolderCache folders(platform::systemFileOps());
  FileSite site;
  EXPECT_TRUE(locate(folders, path, site).ok());
  std::vector<std::string> notes;
  Leftovers leftovers;
  IoStatus status = leftovers.mend(site, notes);
  if (result != nullptr) *result = status;
  return notes;
}

// The names in `dir` that the write-back made.
std::vector<std::string> temporariesIn(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (isTemporaryName(name)) names.push_back(name);
  }
  return names;
}

enum class Copy { Plain, Kept, HeldByAWriter, SecondName, Link };
enum class Then { OldBack, NewWithBackup, NewNoBackup, Untouched };

struct MendCase {
  const char* what;
  std::string now;  // the file's content when the next run comes
  bool sameFile;    // the copy records this file (else another inode)
  bool forBackup;
  Copy copy;
  Then then;
  const char* note;  // a part of the one note said, or "" for none
};

// A copy of a rewrite in place is put back only over the file it was made for, and only while
// that file is still torn by that rewrite; a finished rewrite is settled as it would have
// been; a file changed since keeps its change. Copies that are not this user's own work, or
// that a live writer holds, are not touched.
TEST(Mending, ACopyOfARewriteIsPutBackOnlyWhileItsFileIsTornByIt) {
  const std::string torn = kNew + kOld.substr(kNew.size());
  const std::vector<MendCase> cases = {
      {"torn", torn, true, true, Copy::Plain, Then::OldBack, "was interrupted"},
      {"torn before a byte was written", kOld, true, true, Copy::Plain, Then::Untouched, ""},
      {"finished, with a backup", kNew, true, true, Copy::Plain, Then::NewWithBackup, ""},
      {"finished, without", kNew, true, false, Copy::Plain, Then::NewNoBackup, ""},
      {"edited since", "my own edit\n", true, true, Copy::Plain, Then::Untouched,
       "was changed after a rewrite"},
      {"another file", torn, false, true, Copy::Plain, Then::Untouched, "is gone"},
      {"kept, edited since", "my own edit\n", true, true, Copy::Kept, Then::Untouched, ""},
      {"kept, finished", kNew, true, true, Copy::Kept, Then::NewWithBackup, ""},
      {"kept, torn", torn, true, true, Copy::Kept, Then::Untouched, ""},
      {"held by a live writer", torn, true, true, Copy::HeldByAWriter, Then::Untouched, ""},
      {"with a second name", torn, true, true, Copy::SecondName, Then::Untouched, "other names"},
      {"a symbolic link", torn, true, true, Copy::Link, Then::Untouched, "symbolic link"},
  };
  for (const std::string& fileName : {std::string("f.txt"), std::string(250, 'l')}) {
    for (const MendCase& c : cases) {
      SCOPED_TRACE(std::string(c.what) + ", " + fileName.substr(0, 10));
      TempDir dir;
      const std::string path = dir.write(fileName, c.now);
      fs::create_hard_link(path, dir.file("twin"));
      const struct stat file = statOf(path);
      TemporaryName name{
          c.copy == Copy::Kept ? TemporaryKind::KeptOldContent : TemporaryKind::OldContent,
          0,
          0,
          {}};
      name.rewrite = {platform::FileId::of(file),
                      {},
                      static_cast<int64_t>(kNew.size()),
                      contentHash(kNew),
                      c.forBackup};
      if (!c.sameFile) ++name.rewrite.file.inode;
      const std::string copyName = makeTemporaryName(fileName, name);
      const std::string copy = dir.file(copyName);
      if (c.copy == Copy::Link) {
        fs::create_symlink(dir.write("elsewhere", kOld), copy);
      } else {
        dir.write(copyName, kOld);
      }
      if (c.copy == Copy::SecondName) fs::create_hard_link(copy, dir.file("copy-twin"));
      const int held = c.copy == Copy::HeldByAWriter ? ::open(copy.c_str(), O_RDONLY) : -1;
      if (held >= 0) {
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
      }

      IoStatus result;
      const std::vector<std::string> notes = mendFile(path, &result);
      if (held >= 0) ::close(held);
      EXPECT_TRUE(result) << result.error;
      const std::string content = TempDir::read(path);
      EXPECT_EQ(TempDir::read(dir.file("twin")), content) << "the file stays one file";
      switch (c.then) {
        case Then::OldBack:
          EXPECT_EQ(content, kOld);
          break;
        case Then::NewWithBackup:
          EXPECT_EQ(content, kNew);
          EXPECT_EQ(TempDir::read(path + ".rpf"), kOld);
          break;
        case Then::NewNoBackup:
          EXPECT_EQ(content, kNew);
          EXPECT_FALSE(fs::exists(path + ".rpf"));
          break;
        case Then::Untouched:
          EXPECT_EQ(content, c.now);
          EXPECT_FALSE(fs::exists(path + ".rpf"));
          break;
      }
      const bool gone = c.then != Then::Untouched || c.now == kOld;
      EXPECT_EQ(temporariesIn(dir).empty(), gone);
      if (std::string(c.note).empty()) {
        EXPECT_TRUE(notes.empty()) << notes.front();
      } else {
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_NE(notes[0].find(c.note), std::string::npos) << notes[0];
      }
    }
  }
}

// A rewrite in place that was done but could not make its backup keeps its copy under a name
// that no run puts back: a later edit of the file is never rolled back by it.
TEST(Mending, AFinishedRewriteIsNeverRolledBack) {
  TempDir dir;
  const std::string path = dir.write("f.txt", kOld);
  fs::create_hard_link(path, dir.file("twin"));
  test::FaultyFileOps ops;
  LoadedFile file;
  std::string error;
  ASSERT_EQ(loadFile(path, file, error, ops), LoadResult::Loaded) << error;
  ops.reset();
  ops.failCall(2, EIO, "renameat");  // the copy's rename to the backup's name
  const IoStatus written = writeBack(file, kNew, {});
  ASSERT_FALSE(written);
  EXPECT_NE(written.error.find("was written, but its backup"), std::string::npos) << written.error;
  EXPECT_NE(written.error.find(".twkept-"), std::string::npos) << written.error;
  dir.write("f.txt", "edited after the run\n");
  EXPECT_TRUE(mendFile(path).empty());
  EXPECT_EQ(TempDir::read(path), "edited after the run\n");
  EXPECT_EQ(temporariesIn(dir).size(), 1u) << "the old content is still kept";
}

// Pending backups and new content: a pending backup becomes the backup only when the file
// holds the new content it was made for; one of a swap that never happened goes, as does new
// content that never got its name; anything of another kind stays where it is.
TEST(Mending, PendingBackupsAndNewContentAreSettledOrRemoved) {
  TempDir dir;
  const std::string path = dir.write("g.txt", "new content");
  const uint64_t inode = statOf(path).st_ino;
  const auto plant = [&](TemporaryName what, const std::string& bytes) {
    return dir.write(makeTemporaryName("g.txt", what), bytes);
  };
  const std::string swapped = plant({TemporaryKind::PendingBackup, 0, inode, {}}, "old content");
  const std::string other = plant({TemporaryKind::PendingBackup, 0, inode + 1, {}}, "older");
  const std::string stale = plant({TemporaryKind::NewContent, 0, 0, {}}, "never named");
  const std::string copied = plant({TemporaryKind::PendingBackup, 0, inode + 2, {}}, "new content");
  const std::string notSwapped =
      dir.file(makeTemporaryName("g.txt", {TemporaryKind::PendingBackup, 0, 1, {}}));
  fs::create_hard_link(path, notSwapped);
  const std::vector<std::string> notes = mendFile(path);
  EXPECT_EQ(TempDir::read(path + ".rpf"), "old content");
  EXPECT_FALSE(fs::exists(swapped));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_FALSE(fs::exists(notSwapped));
  EXPECT_FALSE(fs::exists(copied)) << "a copy of the file as it still is";
  EXPECT_EQ(TempDir::read(path), "new content");
  EXPECT_TRUE(fs::exists(other));
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("has changed since"), std::string::npos) << notes[0];
}

}  // namespace
}  // namespace tw::writeback
