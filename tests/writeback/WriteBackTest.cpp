#include "writeback/WriteBack.h"

#include "writeback/TemporaryName.h"

#include "support/FaultyFileOps.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>

namespace tw::writeback {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Every byte value, NUL and 128-255 included, in a file of a few kilobytes.
std::string binaryText(char salt) {
  std::string s;
  for (int round = 0; round < 20; ++round) {
    for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b ^ salt));
  }
  return s;
}

// Every byte value, over a mebibyte: a file whose old content leaves the page cache at its swap.
std::string bigBinaryText(char salt) {
  std::string s;
  while (s.size() <= (size_t{1} << 20)) s += binaryText(salt);
  return s;
}

std::vector<std::string> namesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The descriptors this process has open now.
size_t openDescriptors() {
  return namesIn("/proc/self/fd").size();
}

// Waits (a few seconds at most) until no more descriptors than `count` are open: old files
// swapped out are closed on a thread of their own.
size_t openDescriptorsSettled(size_t count) {
  for (int i = 0; i < 500 && openDescriptors() > count; ++i) ::usleep(10000);
  return openDescriptors();
}

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st;
}

LoadedFile load(const std::string& path, platform::FileOps& ops = platform::systemFileOps()) {
  LoadedFile file;
  std::string error;
  EXPECT_EQ(loadFile(path, file, error, ops), LoadResult::Loaded) << error;
  return file;
}

class FileReplaceTest : public test::TempDirTest {};

TEST_F(FileReplaceTest, LoadsEveryByteAndTellsMissingEmptyAndFolder) {
  std::string old = binaryText(0);
  std::string path = dir.write("a.bin", old);
  LoadedFile file = load(path);
  EXPECT_EQ(file.content, old);
  EXPECT_EQ(file.listedPath, path);
  EXPECT_EQ(file.identity.stamp.size, static_cast<int64_t>(old.size()));

  LoadedFile other;
  std::string error;
  EXPECT_EQ(loadFile(dir.file("none"), other, error), LoadResult::Missing);
  dir.write("empty", "");
  EXPECT_EQ(loadFile(dir.file("empty"), other, error), LoadResult::Empty);
  fs::create_directory(dir.file("sub"));
  EXPECT_EQ(loadFile(dir.file("sub"), other, error), LoadResult::Failed);
  EXPECT_EQ(error, "Cannot read \"" + dir.file("sub") + "\": Is a directory");
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  EXPECT_EQ(loadFile(dir.file("fifo"), other, error), LoadResult::Failed);
  EXPECT_NE(error.find("Not a regular file"), std::string::npos);
}

TEST_F(FileReplaceTest, WritesNewContentByteExactAndKeepsOldInBackup) {
  std::string old = binaryText(0), now = binaryText(0x5a);
  std::string path = dir.write("a.bin", old);
  dir.write("a.bin.rpf1", "left by an interrupted older run");
  ino_t oldInode = statOf(path).st_ino;

  ASSERT_TRUE(writeBack(load(path), now, {})) << "";
  EXPECT_EQ(TempDir::read(path), now);
  EXPECT_EQ(TempDir::read(path + ".rpf"), old);
  EXPECT_EQ(statOf(path + ".rpf").st_ino, oldInode);  // the old file itself, linked
  EXPECT_EQ(TempDir::read(path + ".rpf1"), "left by an interrupted older run");
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"a.bin", "a.bin.rpf", "a.bin.rpf1"}));
}

TEST_F(FileReplaceTest, WithoutBackupLeavesNothingBesideAndReplacesOlderBackupOnlyWithOne) {
  std::string path = dir.write("a.txt", "old");
  IoStatus s = writeBack(load(path), "new", {.createBackup = false});
  ASSERT_TRUE(s) << s.error;
  EXPECT_EQ(TempDir::read(path), "new");
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"a.txt"}));

  dir.write("a.txt.rpf", "older backup");
  ASSERT_TRUE(writeBack(load(path), "newer", {}));
  EXPECT_EQ(TempDir::read(path + ".rpf"), "new");
}

TEST_F(FileReplaceTest, KeepsModeAndModificationTimeToTheNanosecond) {
  std::string path = dir.write("a.txt", "old");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  struct timespec times[2] = {{0, UTIME_OMIT}, {1234567890, 123456789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  bool hasXattr = ::setxattr(path.c_str(), "user.note", "kept", 4, 0) == 0;

  ASSERT_TRUE(writeBack(load(path), "new", {}));
  struct stat st = statOf(path);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
  if (hasXattr) {
    char value[16] = {};
    EXPECT_EQ(::getxattr(path.c_str(), "user.note", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
  }

  ASSERT_TRUE(writeBack(load(path), "newer", {.createBackup = false, .keepDate = false}));
  EXPECT_NE(statOf(path).st_mtim.tv_sec, 1234567890);
}

TEST_F(FileReplaceTest, NameOfTheLongestLengthIsWrittenBack) {
  std::string path = dir.write(std::string(251, 'n'), "old");  // its backup's name: 255 bytes
  IoStatus s = writeBack(load(path), "new", {});
  ASSERT_TRUE(s) << s.error;
  EXPECT_EQ(TempDir::read(path), "new");
  EXPECT_EQ(TempDir::read(path + ".rpf"), "old");
}

TEST_F(FileReplaceTest, WithoutKeepingAttributesNeverWidensAccess) {
  std::string path = dir.write("secret", "old");
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ASSERT_TRUE(writeBack(load(path), "new", {.createBackup = false, .keepAttributes = false}));
  EXPECT_EQ(statOf(path).st_mode & 077, 0u);
}

TEST_F(FileReplaceTest, SymbolicLinkStaysALinkAndItsTargetGetsTheContent) {
  std::string target = dir.write("real/target.txt", "old");
  std::string link = dir.file("link.txt");
  fs::create_symlink("real/target.txt", link);

  LoadedFile file = load(link);
  EXPECT_EQ(file.resolvedPath, fs::canonical(target).string());
  ASSERT_TRUE(writeBack(file, "new", {}));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "real/target.txt");
  EXPECT_EQ(TempDir::read(target), "new");
  EXPECT_EQ(TempDir::read(link + ".rpf"), "old");  // the backup sits beside the listed name
  EXPECT_FALSE(fs::is_symlink(link + ".rpf"));
}

// A link in the file's path re-pointed to another user's folder between the read and the
// write changes nothing: the file and its backup are written in the folder that was read.
TEST_F(FileReplaceTest, AFolderSwappedAfterTheReadChangesNothing) {
  const std::string mine = dir.write("mine/f.txt", "old");
  const std::string theirs = dir.write("theirs/f.txt", "their file");
  dir.write("theirs/f.txt.rpf", "their backup");
  const std::string link = dir.file("d");
  fs::create_directory_symlink("mine", link);
  LoadedFile file = load(link + "/f.txt");
  fs::remove(link);
  fs::create_directory_symlink("theirs", link);
  ASSERT_TRUE(writeBack(file, "new", {}));
  EXPECT_EQ(TempDir::read(mine), "new");
  EXPECT_EQ(TempDir::read(mine + ".rpf"), "old");
  EXPECT_EQ(TempDir::read(theirs), "their file");
  EXPECT_EQ(TempDir::read(theirs + ".rpf"), "their backup");
}

TEST_F(FileReplaceTest, LinkToItsOwnBackupNameIsRefused) {
  std::string target = dir.write("x.rpf", "old");
  fs::create_symlink("x.rpf", dir.file("x"));
  IoStatus s = writeBack(load(dir.file("x")), "new", {});
  EXPECT_FALSE(s);
  EXPECT_EQ(s.error,
            "Cannot create the backup \"" + dir.file("x.rpf") + "\": it is the file itself");
  EXPECT_EQ(TempDir::read(target), "old");
}

TEST_F(FileReplaceTest, HardLinkedFileStaysOneFile) {
  for (bool backup : {true, false}) {
    TempDir d;
    std::string path = d.write("a.txt", "old content");
    std::string other = d.file("b.txt");
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    ino_t inode = statOf(path).st_ino;

    IoStatus s = writeBack(load(path), "new", {.createBackup = backup});
    ASSERT_TRUE(s) << s.error;
    EXPECT_EQ(TempDir::read(other), "new");
    EXPECT_EQ(statOf(path).st_ino, inode);
    EXPECT_EQ(statOf(path).st_nlink, 2u);
    if (backup) {
      EXPECT_EQ(TempDir::read(path + ".rpf"), "old content");
      EXPECT_NE(statOf(path + ".rpf").st_ino, inode);
      EXPECT_EQ(namesIn(d.path()), (std::vector<std::string>{"a.txt", "a.txt.rpf", "b.txt"}));
    } else {
      EXPECT_EQ(namesIn(d.path()), (std::vector<std::string>{"a.txt", "b.txt"}));
    }
  }
}

TEST_F(FileReplaceTest, FileChangedByAnotherProgramIsLeftAlone) {
  std::string path = dir.write("a.txt", "old");
  LoadedFile file = load(path);
  dir.write("a.txt", "theirs");
  IoStatus s = writeBack(file, "new", {});
  EXPECT_FALSE(s);
  EXPECT_EQ(s.error, "\"" + path +
                         "\" was changed by another program since it was read; it was "
                         "left as it is");
  EXPECT_EQ(TempDir::read(path), "theirs");
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"a.txt"}));

  // Replaced by another file of the same size and time: the inode tells.
  LoadedFile again = load(path);
  struct stat st = statOf(path);
  dir.write("other", "THEIRS");
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, dir.file("other").c_str(), times, 0), 0);
  fs::rename(dir.file("other"), path);
  EXPECT_FALSE(writeBack(again, "new", {}));
  EXPECT_EQ(TempDir::read(path), "THEIRS");
}

// Every call of the write path fails in turn, with each errno: the file keeps its old
// content (or, when the report says it was written, holds the new), nothing temporary stays
// behind, an existing backup holds an old content, and the message names the file.
struct FaultCase {
  bool hardLinked;
  bool backup;
  bool big = false;  // over a mebibyte: its old content is dropped from the page cache
};

class FileReplaceFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FileReplaceFaults, EveryFailingCallLeavesOldContentAndNoTemporaries) {
  const FaultCase c = GetParam();
  for (int errnum : {EIO, ENOSPC, EACCES, EROFS}) {
    for (int nth = 1;; ++nth) {
      TempDir d;
      std::string old = c.big ? bigBinaryText(1) : binaryText(1);
      std::string now = c.big ? bigBinaryText(2) : binaryText(2);
      std::string path = d.write("f.txt", old);
      d.write("f.txt.rpf", "older backup");
      if (c.hardLinked) {
        ASSERT_EQ(::link(path.c_str(), d.file("g.txt").c_str()), 0);
      }
      std::vector<std::string> before = namesIn(d.path());
      test::FaultyFileOps ops;
      LoadedFile file = load(path, ops);
      ops.reset();
      ops.failCall(nth, errnum);
      IoStatus s = writeBack(file, now, {.createBackup = c.backup});
      SCOPED_TRACE("errno " + std::to_string(errnum) + ", call " + std::to_string(nth) + " (" +
                   (nth <= static_cast<int>(ops.calls().size()) ? ops.calls()[nth - 1] : "-") +
                   ")");
      if (!ops.failed()) {
        ASSERT_TRUE(s) << s.error;
        EXPECT_EQ(TempDir::read(path), now);
        EXPECT_EQ(TempDir::read(d.file("f.txt.rpf")), c.backup ? old : "older backup");
        break;  // past the last call
      }
      std::string content = TempDir::read(path);
      if (s) {
        // A failure the write path may ignore (a read-only descriptor's close, say).
        EXPECT_EQ(content, now);
      } else {
        EXPECT_NE(s.error.find(path), std::string::npos) << s.error;
        bool written = s.error.find("was written") != std::string::npos;
        EXPECT_EQ(content, written ? now : old) << s.error;
        if (s.error.find("old content is kept in") == std::string::npos &&
            s.error.find("could not be removed") == std::string::npos) {
          std::vector<std::string> after = namesIn(d.path());
          EXPECT_EQ(after, before) << s.error;
        }
      }
      std::string backup = TempDir::read(d.file("f.txt.rpf"));
      EXPECT_TRUE(backup == old || backup == "older backup");
      if (c.hardLinked) {
        EXPECT_EQ(TempDir::read(d.file("g.txt")), content);
      }
      ASSERT_LT(nth, 200);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, FileReplaceFaults,
                         ::testing::Values(FaultCase{false, true}, FaultCase{false, false},
                                           FaultCase{true, true}, FaultCase{true, false},
                                           FaultCase{false, true, true},
                                           FaultCase{false, false, true}),
                         [](const auto& param) {
                           return std::string(param.param.hardLinked ? "HardLinked" : "Single") +
                                  (param.param.backup ? "WithBackup" : "NoBackup") +
                                  (param.param.big ? "Big" : "");
                         });

// How many of the pages of the file at `path` are in the page cache (without reading any).
size_t residentPages(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  EXPECT_GE(fd, 0) << path;
  struct stat st {};
  EXPECT_EQ(::fstat(fd, &st), 0);
  const size_t size = static_cast<size_t>(st.st_size);
  void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
  ::close(fd);
  EXPECT_NE(mapped, MAP_FAILED);
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  std::vector<unsigned char> resident((size + page - 1) / page);
  EXPECT_EQ(::mincore(mapped, size, resident.data()), 0);
  ::munmap(mapped, size);
  return static_cast<size_t>(std::count_if(resident.begin(), resident.end(),
                                           [](unsigned char r) { return (r & 1) != 0; }));
}

// A big file's old content, read whole, leaves the page cache before its new content is
// written, so the new pages can be the ones it freed; a small file's stays, and a failed
// advice changes nothing but that. The backup is the old file itself, so its pages show it.
TEST_F(FileReplaceTest, BigFilesOldContentLeavesThePageCacheAtTheSwap) {
  struct Case {
    const char* what;
    bool big;
    int adviceFails;  // errno of the advice, 0: it works
    bool dropped;
  };
  for (const Case& c : {Case{"small", false, 0, false}, Case{"big", true, 0, true},
                        Case{"big, the advice fails", true, EINVAL, false}}) {
    SCOPED_TRACE(c.what);
    TempDir d;
    const std::string old = c.big ? bigBinaryText(3) : binaryText(3);
    const std::string path = d.write("f.bin", old);
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::fsync(fd), 0);  // clean pages: only those can be dropped
    ::close(fd);
    test::FaultyFileOps ops;
    LoadedFile file = load(path, ops);
    ops.reset();
    if (c.adviceFails != 0) ops.failCall(1, c.adviceFails, "fadvise");
    WriteBackBatch batch({}, ops);
    ASSERT_TRUE(batch.add(file, "new"));
    EXPECT_EQ(std::count(ops.calls().begin(), ops.calls().end(), "fadvise"), c.big ? 1 : 0);
    const std::vector<WriteBackBatch::Outcome> outcomes = batch.commit();
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].status) << outcomes[0].status.error;
    EXPECT_EQ(TempDir::read(path), "new");
    const size_t resident = residentPages(path + ".rpf");
    if (c.dropped) {
      EXPECT_EQ(resident, 0u);
    } else {
      EXPECT_GT(resident, 0u);
    }
    EXPECT_TRUE(TempDir::read(path + ".rpf") == old);
  }
}

// A big file's new content starts on its way to disk as it is written, in order and whole,
// before the flush that precedes its swap; a small file's does not start early at all.
TEST_F(FileReplaceTest, BigFilesNewContentStartsToDiskAsItIsWritten) {
  struct RecordingOps : test::FaultyFileOps {
    std::vector<std::pair<off_t, off_t>> started;
    int startWriteOut(int fd, off_t offset, off_t length) override {
      started.emplace_back(offset, length);
      return FaultyFileOps::startWriteOut(fd, offset, length);
    }
  };
  struct Case {
    const char* what;
    int mebibytes;         // of new content, about; 0: a few kilobytes
    size_t piece;          // 0: the whole content through add()
    off_t firstStartedTo;  // where the first started stretch ends, 0: none started
  };
  constexpr size_t kPiece = 300000;
  auto newContent = [](int mebibytes) {
    std::string s = mebibytes == 0 ? binaryText(4) : "";
    for (int i = 0; i < mebibytes; ++i) s += bigBinaryText(static_cast<char>(4 + i));
    return s;
  };
  for (const Case& c : {Case{"small", 0, 0, 0}, Case{"small in pieces", 0, 1000, 0},
                        Case{"big", 1, 0, static_cast<off_t>(newContent(1).size())},
                        Case{"big in pieces", 2, kPiece, 4 * kPiece}}) {
    SCOPED_TRACE(c.what);
    TempDir d;
    const std::string path = d.write("f.bin", c.mebibytes > 0 ? bigBinaryText(3) : binaryText(3));
    const std::string now = newContent(c.mebibytes);
    RecordingOps ops;
    LoadedFile file = load(path, ops);
    ops.reset();
    WriteBackBatch batch({}, ops);
    if (c.piece == 0) {
      ASSERT_TRUE(batch.add(file, now));
    } else {
      bool inPlace = true;
      ASSERT_TRUE(batch.beginStaged(file, inPlace));
      ASSERT_FALSE(inPlace);
      for (size_t at = 0; at < now.size(); at += c.piece)
        ASSERT_TRUE(batch.appendStaged(std::string_view(now).substr(at, c.piece)));
      ASSERT_TRUE(batch.appendStaged(""));  // as a pass that ends on a replacement does
      ASSERT_TRUE(batch.finishStaged());
    }
    const std::vector<WriteBackBatch::Outcome> outcomes = batch.commit();
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].status) << outcomes[0].status.error;
    EXPECT_EQ(TempDir::read(path), now);
    if (c.firstStartedTo == 0) {
      EXPECT_TRUE(ops.started.empty());
      continue;
    }
    ASSERT_FALSE(ops.started.empty());
    EXPECT_EQ(ops.started.front(), std::make_pair(off_t{0}, c.firstStartedTo));
    off_t next = 0;
    for (const auto& [offset, length] : ops.started) {
      EXPECT_EQ(offset, next);
      EXPECT_GT(length, 0);
      next = offset + length;
    }
    EXPECT_EQ(next, static_cast<off_t>(now.size()));
    const std::vector<std::string>& calls = ops.calls();
    const auto lastStart = std::find(calls.rbegin(), calls.rend(), "startwriteout");
    const auto firstFlush = std::find(calls.begin(), calls.end(), "fsync");
    ASSERT_NE(firstFlush, calls.end());
    EXPECT_LT(calls.rend() - lastStart - 1, firstFlush - calls.begin());
  }
}

TEST_F(FileReplaceTest, ReadErrorIsAnErrorNeverAnEnd) {
  std::string path = dir.write("a.txt", binaryText(3));
  test::FaultyFileOps ops;
  ops.failCall(1, EIO, "read");
  LoadedFile file;
  std::string error;
  EXPECT_EQ(loadFile(path, file, error, ops), LoadResult::Failed);
  EXPECT_EQ(error, "Cannot read \"" + path + "\": Input/output error");
  EXPECT_TRUE(file.content.empty());
}

TEST_F(FileReplaceTest, BatchSwapsOnlyAtCommitAndReportsEachFile) {
  std::vector<std::string> paths;
  for (int i = 0; i < 5; ++i)
    paths.push_back(dir.write("f" + std::to_string(i), binaryText(static_cast<char>(i))));
  std::string twin = dir.file("twin");
  ASSERT_EQ(::link(paths[4].c_str(), twin.c_str()), 0);
  test::FaultyFileOps ops;
  {
    WriteBackBatch batch({}, ops);
    std::vector<LoadedFile> files;
    for (const std::string& p : paths) files.push_back(load(p, ops));
    ops.reset();
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(batch.add(files[i], "new " + std::to_string(i)));
    EXPECT_EQ(batch.staged(), 4u);  // the hard-linked one is written at once
    EXPECT_EQ(TempDir::read(twin), "new 4");
    EXPECT_EQ(TempDir::read(paths[0]), binaryText(0));
    dir.write("f2", "theirs");  // changed by another program before the commit
    std::vector<WriteBackBatch::Outcome> outcomes = batch.commit();
    ASSERT_EQ(outcomes.size(), 4u);
    EXPECT_EQ(outcomes[0].listedPath, paths[0]);
    EXPECT_TRUE(outcomes[0].status);
    EXPECT_FALSE(outcomes[2].status);
    EXPECT_NE(outcomes[2].status.error.find("changed by another program"), std::string::npos);
    EXPECT_EQ(batch.staged(), 0u);
  }
  // So few files are flushed one by one, not with the file system: four staged files and their
  // folder, and four flushes of the rewrite in place (its copy, the folder, the file, the folder).
  EXPECT_EQ(std::count(ops.calls().begin(), ops.calls().end(), "syncfs"), 0);
  EXPECT_EQ(std::count(ops.calls().begin(), ops.calls().end(), "fsync"), 4 + 1 + 4);
  EXPECT_EQ(TempDir::read(paths[0]), "new 0");
  EXPECT_EQ(TempDir::read(paths[0] + ".rpf"), binaryText(0));
  EXPECT_EQ(TempDir::read(paths[2]), "theirs");
  EXPECT_EQ(TempDir::read(paths[3]), "new 3");
  for (const std::string& name : namesIn(dir.path())) {
    EXPECT_FALSE(isTemporaryName(name)) << name;
  }

  // Many files: two flushes of the file system, none of a single file.
  {
    test::FaultyFileOps many;
    WriteBackBatch batch({.createBackup = false}, many);
    for (int i = 0; i < 20; ++i)
      ASSERT_TRUE(batch.add(load(dir.write("m" + std::to_string(i), "old")), "new"));
    for (const WriteBackBatch::Outcome& o : batch.commit()) EXPECT_TRUE(o.status) << o.listedPath;
    EXPECT_EQ(std::count(many.calls().begin(), many.calls().end(), "syncfs"), 2);
    EXPECT_EQ(std::count(many.calls().begin(), many.calls().end(), "fsync"), 0);
    EXPECT_EQ(TempDir::read(dir.file("m19")), "new");
  }

  // Without backups the old files are held open until they are swapped out, then all closed.
  {
    const size_t before = openDescriptors();
    WriteBackBatch batch({.createBackup = false});
    for (int i = 0; i < 20; ++i)
      ASSERT_TRUE(batch.add(load(dir.file("m" + std::to_string(i))), "newer"));
    EXPECT_GE(openDescriptors(), before + 20);
    for (const WriteBackBatch::Outcome& o : batch.commit()) EXPECT_TRUE(o.status) << o.listedPath;
    EXPECT_EQ(TempDir::read(dir.file("m0")), "newer");
    EXPECT_LE(openDescriptorsSettled(before), before);
  }

  // A batch dropped before its commit leaves the files as they were and nothing beside.
  {
    WriteBackBatch batch({.createBackup = false});
    ASSERT_TRUE(batch.add(load(paths[0]), "dropped"));
  }
  EXPECT_EQ(TempDir::read(paths[0]), "new 0");
  for (const std::string& name : namesIn(dir.path())) {
    EXPECT_FALSE(isTemporaryName(name)) << name;
  }
}

// A TCP connection whose close waits up to a second: its peer never reads what is unsent.
int slowToClose() {
  int server = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (server < 0 || ::bind(server, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(server, 1) != 0 ||
      ::getsockname(server, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return -1;
  int client = ::socket(AF_INET, SOCK_STREAM, 0);
  if (::connect(client, reinterpret_cast<sockaddr*>(&address), length) != 0) return -1;
  ::fcntl(client, F_SETFL, O_NONBLOCK);
  const std::string chunk(65536, 'x');
  while (::send(client, chunk.data(), chunk.size(), MSG_NOSIGNAL) > 0) {
  }
  linger wait{1, 1};
  ::setsockopt(client, SOL_SOCKET, SO_LINGER, &wait, sizeof wait);
  ::fcntl(client, F_SETFL, 0);
  ::close(server);  // the accepted-to-be connection stays queued, unread
  return client;
}

// The thread that closes old files may fall behind: the descriptors waiting for it stay few,
// so that the process never runs out of them.
TEST(CloseLater, DescriptorsWaitingToBeClosedStayFew) {
  struct rlimit was {};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &was), 0);
  const int blocker = slowToClose();
  if (blocker < 0) GTEST_SKIP() << "no loopback connection to hold the closing thread with";
  struct rlimit few = was;
  few.rlim_cur = openDescriptors() + 64;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
  platform::systemFileOps().closeLater(blocker);  // the closing thread is stuck on it for a second
  int failedAt = -1;
  for (int i = 0; i < 1000 && failedAt < 0; ++i) {
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
      failedAt = i;
    else
      platform::systemFileOps().closeLater(fd);
  }
  ::setrlimit(RLIMIT_NOFILE, &was);
  EXPECT_EQ(failedAt, -1) << "out of descriptors after " << failedAt << " files";
}

TEST(FileReplaceBatchFaults, EveryFailingCallLeavesEachFileOldOrReportedNew) {
  for (int errnum : {EIO, ENOSPC}) {
    for (int nth = 1;; ++nth) {
      TempDir d;
      std::vector<std::string> paths, olds;
      for (int i = 0; i < 3; ++i) {
        olds.push_back(binaryText(static_cast<char>(10 + i)));
        paths.push_back(d.write("f" + std::to_string(i), olds.back()));
      }
      d.write("f0.rpf", "older backup");
      test::FaultyFileOps ops;
      std::vector<LoadedFile> files;
      for (const std::string& p : paths) files.push_back(load(p, ops));
      ops.reset();
      ops.failCall(nth, errnum);
      std::vector<bool> reportedWritten(3, false), addFailed(3, false);
      std::string keptIn;  // a backup that could not get its name, as the report says
      const size_t openBefore = openDescriptors();
      {
        WriteBackBatch batch({}, ops);
        for (int i = 0; i < 3; ++i) addFailed[i] = !batch.add(files[i], "new");
        for (const WriteBackBatch::Outcome& o : batch.commit()) {
          for (int i = 0; i < 3; ++i) {
            if (o.listedPath == paths[i]) {
              reportedWritten[i] =
                  o.status || o.status.error.find("was written") != std::string::npos;
              const size_t kept = o.status.error.find("old content is kept in \"");
              if (kept != std::string::npos) {
                keptIn = o.status.error.substr(kept + 24);
                keptIn = keptIn.substr(0, keptIn.find('"'));
                EXPECT_EQ(TempDir::read(keptIn), olds[i]);
              }
            }
          }
        }
      }
      SCOPED_TRACE("errno " + std::to_string(errnum) + ", call " + std::to_string(nth));
      EXPECT_LE(openDescriptors(), openBefore);  // nothing left open, whatever failed
      for (int i = 0; i < 3; ++i) {
        std::string now = TempDir::read(paths[i]);
        EXPECT_EQ(now, reportedWritten[i] ? "new" : olds[i]) << paths[i];
        if (now == "new" && keptIn.empty()) {
          EXPECT_EQ(TempDir::read(paths[i] + ".rpf"), olds[i]);
        }
      }
      for (const std::string& name : namesIn(d.path())) {
        if (!keptIn.empty() && keptIn.ends_with("/" + name)) continue;
        EXPECT_FALSE(isTemporaryName(name)) << name;
      }
      if (!ops.failed()) break;
      ASSERT_LT(nth, 300);
    }
  }
}

}  // namespace
}  // namespace tw::writeback
