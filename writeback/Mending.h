#pragma once
// What a killed run (or a failed one that could not clean up) left beside a file, mended
// before the file is read again. Only files this user made, that no live writer holds
// locked, are touched; anything else named like them is left where it is, and said:
// - new content that never got the file's name is removed;
// - the copy of a rewrite in place is put back into the file it was made for, only while
//   that file is still torn by that rewrite (its old content up to where the rewrite had
//   come, the rewrite's beyond); a finished rewrite's copy becomes the backup the rewrite
//   meant it to be (or goes), also one that its rewrite could not settle and kept; one whose
//   file has changed since is kept under a name no run puts back;
// - the old content on its way to the backup becomes the backup when the file holds the new
//   content it was made for, and goes when the file was never swapped.
// A folder is listed once while its files are reached one after another.

#include "platform/FileIo.h"
#include "platform/FileOps.h"
#include "writeback/FileSite.h"
#include "writeback/TemporaryName.h"

#include <map>
#include <string>
#include <vector>

namespace tw::writeback {

class Leftovers {
 public:
  // Mends the leftovers of the file at `site`. Messages for the user go to `notes`; a failure
  // names the file: the file must not be processed then.
  platform::IoStatus mend(const FileSite& site, std::vector<std::string>& notes);

 private:
  struct Found {
    std::string name;
    TemporaryName parsed;
  };
  // The temporaries in `folder` that belong to the file named `fileName`.
  std::vector<Found> leftoversOf(const platform::Folder& folder, const std::string& fileName);

  std::map<platform::FileId, std::vector<Found>> m_folders;  // by folder
};

}  // namespace tw::writeback
