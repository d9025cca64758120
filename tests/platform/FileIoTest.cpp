#include "platform/FileIo.h"
#include "support/FaultyFileOps.h"
#include "support/TempDir.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace tw::platform {
namespace {

using test::TempDir;
using FileIo = test::TempDirTest;

TEST_F(FileIo, ReadWholeFileKeepsEveryByte) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  bytes += std::string(200000, '\r');
  std::string path = dir.write("all.bin", bytes);
  std::string read = "stale";
  ASSERT_TRUE(readWholeFile(path, read));
  EXPECT_EQ(read, bytes);
}

// Only a regular file is read; a device or a FIFO is refused at once, never waited for or
// read without end.
TEST_F(FileIo, ReadWholeFileRefusesWhatIsNotARegularFile) {
  const std::string missing = dir.file("missing.txt");
  const std::string folder = dir.path().string();
  const std::pair<std::string, std::string> cases[] = {
      {missing, "Cannot open \"" + missing + "\": No such file or directory"},
      {folder, "Cannot read \"" + folder + "\": Is a directory"},
      {"/dev/null", "Cannot read \"/dev/null\": Not a regular file"},
  };
  for (const auto& [path, error] : cases) {
    std::string read;
    EXPECT_EQ(readWholeFile(path, read).error, error);
  }
}

TEST_F(FileIo, WriteFileAtomicallyReplacesContentAndKeepsMode) {
  std::string path = dir.write("conf.rpl", "old content");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(writeFileAtomically(path, std::string("new\0content", 11)));
  EXPECT_EQ(TempDir::read(path), std::string("new\0content", 11));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // Nothing but the file itself is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  // A new file gets the mode of a created file.
  const std::string created = dir.file("new.rpl");
  ASSERT_TRUE(writeFileAtomically(created, "new"));
  ASSERT_EQ(::stat(created.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, newFileMode());
}

// A link at the target is followed (and stays a link) only in a folder no one else can
// write; elsewhere it may have been put there to have the file it leads to overwritten.
TEST_F(FileIo, WriteFileAtomicallyFollowsALinkOnlyInAFolderOfItsOwn) {
  const std::string target = dir.write("real.rpl", "old");
  for (const mode_t mode : {0700, 0770, 0707}) {
    const std::filesystem::path folder = dir.path() / std::to_string(mode);
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::chmod(folder.c_str(), mode), 0);
    const std::string link = (folder / "link.rpl").string();
    std::filesystem::create_symlink(target, link);
    const IoStatus status = writeFileAtomically(link, "new");
    const bool own = mode == 0700;
    EXPECT_EQ(status.error, own ? ""
                                : "\"" + link + "\" is a symbolic link in a folder others " +
                                      "can write; it was not followed");
    EXPECT_EQ(TempDir::read(target), own ? "new" : "old") << mode;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    dir.write("real.rpl", "old");
  }
}

TEST_F(FileIo, WriteFileAtomicallyFailureNamesTheFileAndLeavesNothing) {
  IoStatus status = writeFileAtomically(dir.file("no/such/folder/x.rpl"), "data");
  EXPECT_FALSE(status);
  EXPECT_NE(status.error.find("x.rpl"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Each call of a write failed in turn: the file keeps its old content or has the whole new
// one, success only with the new, and no temporary is left beside it.
TEST_F(FileIo, WriteFileAtomicallyFailingAnyCallLeavesTheOldFileAndNothingElse) {
  const std::string path = dir.write("x.rpl", "old");
  test::FaultyFileOps faulty;
  ASSERT_TRUE(writeFileAtomically(path, "new", faulty));
  const size_t calls = faulty.calls().size();
  for (size_t n = 1; n <= calls; ++n) {
    dir.write("x.rpl", "old");
    faulty.reset();
    faulty.failCall(static_cast<int>(n), EIO);
    const IoStatus status = writeFileAtomically(path, "new", faulty);
    // A failed flush of the folder after the rename is reported, the new content in place.
    const std::string content = TempDir::read(path);
    EXPECT_TRUE(content == "new" || (!status && content == "old")) << "call " << n;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << n;
  }
}

// Every page of the range is in memory afterwards, whichever thread touched it, and no page
// past its end: a buffer faulted in ahead of a read costs no more memory than the read.
TEST(FaultIn, TouchesEveryPageOfTheRangeAndNoneBeyond) {
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  for (size_t size : {size_t{1}, page + 1, (size_t{5} << 20) + 123, size_t{33} << 20}) {
    SCOPED_TRACE(size);
    const size_t mapped = size + (size_t{8} << 20);
    void* data =
        ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(data, MAP_FAILED);
    // Small pages here, so that residence is told page by page.
    ::madvise(data, mapped, MADV_NOHUGEPAGE);
    // Off a page boundary, as a buffer from the heap is.
    constexpr size_t kOffset = 100;
    faultIn(static_cast<char*>(data) + kOffset, size);
    std::vector<unsigned char> resident((mapped + page - 1) / page);
    ASSERT_EQ(::mincore(data, mapped, resident.data()), 0);
    const size_t pages = (kOffset + size + page - 1) / page;
    const auto in = [](unsigned char r) { return (r & 1) != 0; };
    EXPECT_TRUE(std::all_of(resident.begin(), resident.begin() + pages, in));
    EXPECT_TRUE(std::none_of(resident.begin() + pages, resident.end(), in));
    ::munmap(data, mapped);
  }
}

TEST(FileIoPaths, FolderAndNameParts) {
  EXPECT_EQ(folderOf("/work/a.rpl"), "/work/");
  EXPECT_EQ(folderOf("a.rpl"), "");
  EXPECT_EQ(folderOf("/"), "/");
  EXPECT_EQ(fileNameOf("/work/a.rpl"), "a.rpl");
  EXPECT_EQ(fileNameOf("a.rpl"), "a.rpl");
}

}  // namespace
}  // namespace tw::platform
