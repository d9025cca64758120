// Ways of writing a big file's new content back, side by side, outside the program: each
// file given is read whole, "colour" replaced by "color" (memmem), the new content written
// to a temporary file beside it, made durable, and renamed over the file. What differs is
// how the bytes reach the page cache and the disk. Timed by compare-write-ways.sh with
// hyperfine, a fresh copy of the files and `sync` charged to every command.
//
//   write-ways [--piece MIB] [--fallocate] [--mmap-out] [--mmap-in] [--start-early] [--drop-read]
//              [--flush fsync|syncfs|none] [--free-old now|later|thread] FILE...
//
// --piece: the size of each pwrite in MiB (default 1, as the program writes; it wrote 16).
// --fallocate: the temporary file's blocks reserved up front.
// --mmap-out: the new content built straight into the temporary file mapped (as sd does).
// --mmap-in: the old content mapped instead of read into a buffer.
// --drop-read: the old content's pages dropped from the page cache once it is read (it is
//   clean), so that the new content's pages can be the ones just freed.
// --start-early: the disk writes of each piece started at once (sync_file_range), so that
//   the flush before the rename finds most of the file written already.
// --flush: each file's fsync before its rename (default), one syncfs before the renames, or
//   none (the file's name may then lead to content not yet on disk after a power loss).
// --free-old: when the old content, renamed over, is freed: at once (the rename is the last
//   name), later (kept open until every file is written), or on a thread of its own.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

struct Options {
  size_t piece = size_t{1} << 20;
  bool fallocateFirst = false;
  bool mmapOut = false;
  bool mmapIn = false;
  bool startEarly = false;
  bool dropRead = false;
  std::string flush = "fsync";
  std::string freeOld = "now";
};

[[noreturn]] void die(const std::string& what) {
  std::perror(what.c_str());
  std::exit(1);
}

void writeAll(int fd, const char* p, size_t n, off_t at) {
  while (n > 0) {
    const ssize_t w = ::pwrite(fd, p, n, at);
    if (w <= 0) die("pwrite");
    p += w;
    n -= static_cast<size_t>(w);
    at += w;
  }
}

constexpr std::string_view kFind = "colour";
constexpr std::string_view kReplace = "color";

// The size of the new content of `text`.
size_t newSize(std::string_view text) {
  size_t count = 0;
  for (const char* p = text.data();
       const char* hit = static_cast<const char*>(::memmem(
           p, static_cast<size_t>(text.data() + text.size() - p), kFind.data(), kFind.size()));) {
    ++count;
    p = hit + kFind.size();
  }
  return text.size() - count * (kFind.size() - kReplace.size());
}

// Calls `out(bytes)` with the new content of `text` in order.
template <typename Out>
void replaceAll(std::string_view text, Out&& out) {
  const char* p = text.data();
  const char* end = text.data() + text.size();
  while (const char* hit = static_cast<const char*>(
             ::memmem(p, static_cast<size_t>(end - p), kFind.data(), kFind.size()))) {
    out(std::string_view(p, static_cast<size_t>(hit - p)));
    out(kReplace);
    p = hit + kFind.size();
  }
  out(std::string_view(p, static_cast<size_t>(end - p)));
}

// Bytes never zero-filled, advised into large pages before they are first touched.
class Buffer {
 public:
  Buffer() = default;
  explicit Buffer(size_t size) : m_data(new char[size]), m_size(size) {
    const uintptr_t start = (reinterpret_cast<uintptr_t>(m_data.get()) + 4095) & ~uintptr_t{4095};
    ::madvise(reinterpret_cast<void*>(start),
              size - (start - reinterpret_cast<uintptr_t>(m_data.get())) - 4096, MADV_HUGEPAGE);
  }
  char* data() { return m_data.get(); }
  size_t size() const { return m_size; }

 private:
  std::unique_ptr<char[]> m_data;
  size_t m_size = 0;
};

struct Written {
  std::string temp;
  std::string name;
  int fd = -1;
  int oldFd = -1;
};

Written writeOne(const std::string& path, const Options& o, Buffer& readBuffer, Buffer& piece) {
  Written w;
  w.name = path;
  w.oldFd = ::open(path.c_str(), O_RDONLY);
  if (w.oldFd < 0) die("open " + path);
  struct stat st {};
  if (::fstat(w.oldFd, &st) != 0) die("fstat");
  const size_t size = static_cast<size_t>(st.st_size);
  std::string_view text;
  void* mapped = nullptr;
  if (o.mmapIn) {
    mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, w.oldFd, 0);
    if (mapped == MAP_FAILED) die("mmap in");
    text = {static_cast<const char*>(mapped), size};
  } else {
    if (readBuffer.size() < size + 1) {
      // Never zero-filled, in large pages where the system has them, as the program's.
      readBuffer = Buffer(size + size / 8);
    }
    size_t have = 0;
    while (have < size) {
      const ssize_t n = ::read(w.oldFd, readBuffer.data() + have, size + 1 - have);
      if (n <= 0) break;
      have += static_cast<size_t>(n);
    }
    text = {readBuffer.data(), size};
    if (o.dropRead) ::posix_fadvise(w.oldFd, 0, 0, POSIX_FADV_DONTNEED);
  }
  w.temp = path + ".ww-tmp";
  w.fd = ::open(w.temp.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  if (w.fd < 0) die("open temp");
  const size_t outSize = o.mmapOut || o.fallocateFirst ? newSize(text) : 0;
  if (o.fallocateFirst && ::fallocate(w.fd, 0, 0, static_cast<off_t>(outSize)) != 0)
    die("fallocate");
  if (o.mmapOut) {
    if (::ftruncate(w.fd, static_cast<off_t>(outSize)) != 0) die("ftruncate");
    char* out =
        static_cast<char*>(::mmap(nullptr, outSize, PROT_READ | PROT_WRITE, MAP_SHARED, w.fd, 0));
    if (out == MAP_FAILED) die("mmap out");
    size_t at = 0;
    replaceAll(text, [&](std::string_view bytes) {
      std::memcpy(out + at, bytes.data(), bytes.size());
      at += bytes.size();
    });
    ::munmap(out, outSize);
  } else {
    if (piece.size() != o.piece) piece = Buffer(o.piece);
    size_t filled = 0;
    off_t at = 0;
    auto send = [&] {
      writeAll(w.fd, piece.data(), filled, at);
      if (o.startEarly)
        ::sync_file_range(w.fd, at, static_cast<off_t>(filled), SYNC_FILE_RANGE_WRITE);
      at += static_cast<off_t>(filled);
      filled = 0;
    };
    replaceAll(text, [&](std::string_view bytes) {
      while (!bytes.empty()) {
        const size_t n = std::min(bytes.size(), piece.size() - filled);
        std::memcpy(piece.data() + filled, bytes.data(), n);
        filled += n;
        bytes.remove_prefix(n);
        if (filled == piece.size()) send();
      }
    });
    if (filled > 0) send();
  }
  if (mapped != nullptr) ::munmap(mapped, size);
  if (o.flush == "fsync" && ::fsync(w.fd) != 0) die("fsync");
  return w;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) die("missing value after " + a);
      return argv[++i];
    };
    if (a == "--piece") {
      o.piece = static_cast<size_t>(std::stod(next()) * (1 << 20));
    } else if (a == "--fallocate") {
      o.fallocateFirst = true;
    } else if (a == "--mmap-out") {
      o.mmapOut = true;
    } else if (a == "--mmap-in") {
      o.mmapIn = true;
    } else if (a == "--drop-read") {
      o.dropRead = true;
    } else if (a == "--start-early") {
      o.startEarly = true;
    } else if (a == "--flush") {
      o.flush = next();
    } else if (a == "--free-old") {
      o.freeOld = next();
    } else {
      files.push_back(a);
    }
  }
  Buffer readBuffer;
  Buffer piece;
  std::vector<Written> done;
  std::vector<std::thread> closers;
  for (const std::string& file : files) done.push_back(writeOne(file, o, readBuffer, piece));
  if (o.flush == "syncfs" && !done.empty() && ::syncfs(done.front().fd) != 0) die("syncfs");
  for (Written& w : done) {
    if (::rename(w.temp.c_str(), w.name.c_str()) != 0) die("rename");
    ::close(w.fd);
    if (o.freeOld == "now") {
      ::close(w.oldFd);
    } else if (o.freeOld == "thread") {
      closers.emplace_back([fd = w.oldFd] { ::close(fd); });
    }
  }
  if (!done.empty()) {
    const std::string& name = done.front().name;
    const std::string folder =
        name.find('/') == std::string::npos ? std::string(".") : name.substr(0, name.rfind('/'));
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folderFd < 0 || ::fsync(folderFd) != 0) die("fsync folder");
    ::close(folderFd);
  }
  for (std::thread& t : closers) t.join();
  for (Written& w : done) {
    if (o.freeOld == "later") ::close(w.oldFd);
  }
  return 0;
}
