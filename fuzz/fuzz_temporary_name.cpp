// Any file name in a folder the user shares with others is outside input: the names of the
// write-back's temporaries are read back from folder listings. A name that is read must make
// the same name again (apart from its random part and the file name's cut).

#include "writeback/TemporaryName.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  const std::optional<tw::writeback::TemporaryName> parsed =
      tw::writeback::parseTemporaryName(name);
  if (!parsed) return 0;
  const std::string again = tw::writeback::makeTemporaryName("f", *parsed);
  std::optional<tw::writeback::TemporaryName> reread = tw::writeback::parseTemporaryName(again);
  if (!reread || reread->kind != parsed->kind || reread->newInode != parsed->newInode ||
      !(reread->rewrite == parsed->rewrite)) {
    std::abort();
  }
  if (parsed->kind == tw::writeback::TemporaryKind::OldContent) {
    const std::string kept =
        tw::writeback::renamedTemporary(name, tw::writeback::TemporaryKind::KeptOldContent);
    if (!tw::writeback::parseTemporaryName(kept)) std::abort();
  }
  return 0;
}
