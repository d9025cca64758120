#pragma once
// A file rewritten in place: its content is written over the old one, so that its hard links
// stay one file and its owner stays. That cannot be one atomic step, so a complete copy of
// the old content is on disk first, beside the real file, under a name that records what it
// was made for (TemporaryName.h) and locked while the rewrite goes on. Should the process die
// while the file is torn, the next run puts the old content back from that copy (Mending.h).
// Afterwards the copy becomes the backup, or goes when backups are off; a copy that cannot
// be settled is kept under a name that no run puts back.

#include "platform/Attributes.h"
#include "platform/FileOps.h"
#include "platform/Folder.h"
#include "platform/SysError.h"
#include "platform/UniqueFd.h"
#include "writeback/WriteBack.h"

#include <sys/stat.h>

#include <string>
#include <string_view>

namespace tw::writeback {

IoStatus rewriteInPlace(const FileFacts& file, std::string_view oldContent,
                        std::string_view newContent, const WriteBackOptions& options,
                        const struct stat& old);

// Opens `name` of `folder` for writing in place, into `out`. A read-only file of this user's
// is made writable for its owner meanwhile (`madeWritable`); its mode is given back after
// the write.
platform::SysError openForRewrite(const platform::Folder& folder, const std::string& name,
                                  const struct stat& old, platform::UniqueFd& out,
                                  bool& madeWritable);

// Writes `bytes` over the file `path` open as `fd` and cuts it to their length, gives back the
// mode when asked and the date `mtime` when given, and flushes it.
platform::SysError overwrite(platform::FileOps& ops, int fd, std::string_view bytes,
                             const mode_t* mode, const struct timespec* mtime,
                             const std::string& path);

}  // namespace tw::writeback
