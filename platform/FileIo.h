#pragma once
// The operating-system layer for whole-file reading and safe whole-file writing.
// Every call reports failure with a message that names the file and the reason;
// a read error is never taken for the end of a file.

#include "platform/FileOps.h"

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace tw::platform {

// The outcome of a file operation: ok, or a user-facing message naming the file.
struct IoStatus {
  bool ok = true;
  std::string error;

  static IoStatus success() { return {}; }
  static IoStatus failure(std::string message) { return {false, std::move(message)}; }
  explicit operator bool() const { return ok; }
};

// Text of an errno value, e.g. "No such file or directory".
std::string errorText(int errnum);

// Reads the whole file at `path` into `out` (replacing its content). Follows symbolic links.
// Only a regular file is read, and never waited for: anything else (a FIFO, a device, a
// socket, a folder) is refused at once. A file whose size changes while it is read is refused
// too, so a file that never ends cannot fill the memory.
IoStatus readWholeFile(const std::string& path, std::string& out, FileOps& ops = systemFileOps());

// Replaces the file at `path` with exactly `bytes`: writes a complete temporary file in the
// same folder (created exclusively, mode 0666 less the umask for a new file or one of another
// user, else the old file's mode), flushes it, renames it over `path` and flushes the folder.
// Only the folder part of `path` is resolved; every step is then made relative to that open
// folder. A symbolic link at `path` is followed (the file it leads to is replaced) only in a
// folder that no one else can write; elsewhere it is refused. On any failure `path` keeps its
// old content and no temporary file is left behind.
IoStatus writeFileAtomically(const std::string& path, std::string_view bytes,
                             FileOps& ops = systemFileOps());

// Asks the system to back the memory from `data` on, `size` bytes, with large pages where it
// can: a big buffer is then faulted in 2 MiB at a time instead of 4 KiB. Only a hint.
void adviseLargePages(void* data, size_t size);

// Touches every page of the fresh memory from `data` on, `size` bytes (writing them), on two
// threads at once: on a virtual machine that hands memory it has not used for a while back to
// its host, each page of it costs a fault in the host when it is touched again, and two
// processors take those faults side by side in about half the time. Nothing beyond `size` is
// touched.
void faultIn(void* data, size_t size);

// The mode of a newly created file: 0666 less the process's umask.
mode_t newFileMode();

// The backup of the file at `path`, beside it: the full path (or name) followed by ".rpf".
// Every part of the program that makes, finds or restores a backup takes its name from here.
std::string backupNameOf(const std::string& path);

// The folder part of `path`, up to and including its last "/"; empty when there is none.
std::string folderOf(const std::string& path);

// The name part of `path`, after its last "/".
std::string fileNameOf(const std::string& path);

// `path` as it stands when it begins with "/", else joined to the current folder (nothing is
// resolved or tidied); nothing when `path` is empty or the current folder cannot be read.
std::optional<std::string> absolutePath(const std::string& path, FileOps& ops = systemFileOps());

// Whether `path` names something that exists (a symbolic link: what it leads to). A path
// that cannot be looked at counts as missing.
bool pathExists(const std::string& path, FileOps& ops = systemFileOps());

}  // namespace tw::platform
