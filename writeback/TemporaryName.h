#pragma once
// The names of the files the write-back makes beside a file while it works on it. A name
// tells what the file holds, whose file it belongs to (a hash of that file's whole name, so
// a name of any length fits) and, for a copy of old content, what it was made for:
//   .<name, cut>.twtmp-<hash>-<random>                new content, not yet in place
//   .<name, cut>.twbak-<hash>-<random>-<inode>        old content on its way to the backup;
//                                                      <inode>: the new content's file
//   .<name, cut>.twold-<hash>-<random>-<record>       old content of a file rewritten in place
//   .<name, cut>.twkept-<hash>-<random>-<record>      the same, kept: never put back by a run
// <record>: device, inode, size, seconds and nanoseconds of the modification time of the
// file before the rewrite, the new content's size and hash, and 1 when the copy is to become
// the backup (else 0), in hexadecimal.
// A name proves nothing: a file is trusted only when it is this user's, regular and has one
// name (see Trust.h). Whether its writer is alive is told by the lock it holds (TempFile.h).

#include "platform/FileIdentity.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw::writeback {

enum class TemporaryKind { NewContent, PendingBackup, OldContent, KeptOldContent };

// What an old-content copy was made for: the file and its state before the rewrite, and the
// content the rewrite was writing.
struct RewriteRecord {
  platform::FileId file;
  platform::FileStamp before;
  int64_t newSize = 0;
  uint64_t newHash = 0;
  bool forBackup = false;  // the copy becomes the backup once the rewrite is done
  friend bool operator==(const RewriteRecord&, const RewriteRecord&) = default;
};

struct TemporaryName {
  TemporaryKind kind = TemporaryKind::NewContent;
  uint64_t ownerHash = 0;  // nameHash of the name of the file it belongs to
  uint64_t newInode = 0;   // PendingBackup
  RewriteRecord rewrite;   // OldContent and KeptOldContent
};

// The hash that ties a temporary name to the file name it belongs to.
uint64_t nameHash(std::string_view fileName);
// A hash of a file's content, to recognise it again later (not against an adversary: only
// files this user made are ever compared with it).
uint64_t contentHash(std::string_view bytes);

// A new name for `what`, beside the file named `fileName`, with a fresh random part.
std::string makeTemporaryName(std::string_view fileName, const TemporaryName& what);
// The same name under another kind (a copy of old content that is kept).
std::string renamedTemporary(std::string_view name, TemporaryKind kind);

// `name` taken apart; nothing for a name the write-back does not make (any other file).
std::optional<TemporaryName> parseTemporaryName(std::string_view name);

inline bool isTemporaryName(std::string_view name) {
  return parseTemporaryName(name).has_value();
}

}  // namespace tw::writeback
