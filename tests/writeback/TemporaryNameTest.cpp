#include "writeback/TemporaryName.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tw::writeback {
namespace {

// Every kind made and read back, for a short name, a name of 255 bytes and a name that looks
// like a temporary name itself: the name fits a folder entry and says whose it is.
TEST(TemporaryName, EveryKindIsReadBackWhateverTheFileIsCalled) {
  const RewriteRecord record{{0xfe00, 0x123456789}, {1 << 20, -5, 999999999}, 42, ~0ull, true};
  for (const std::string& file :
       {std::string("a.txt"), std::string(255, 'n'), std::string(".a.txt.twtmp-x")}) {
    for (const TemporaryName& what : {TemporaryName{TemporaryKind::NewContent, 0, 0, {}},
                                      TemporaryName{TemporaryKind::PendingBackup, 0, 77, {}},
                                      TemporaryName{TemporaryKind::OldContent, 0, 0, record},
                                      TemporaryName{TemporaryKind::KeptOldContent, 0, 0, record}}) {
      const std::string name = makeTemporaryName(file, what);
      SCOPED_TRACE(name);
      EXPECT_LE(name.size(), 255u);
      const std::optional<TemporaryName> read = parseTemporaryName(name);
      ASSERT_TRUE(read.has_value());
      EXPECT_EQ(read->kind, what.kind);
      EXPECT_EQ(read->ownerHash, nameHash(file));
      EXPECT_EQ(read->newInode, what.newInode);
      EXPECT_EQ(read->rewrite, what.rewrite);
      if (what.kind != TemporaryKind::OldContent) continue;
      const std::optional<TemporaryName> kept =
          parseTemporaryName(renamedTemporary(name, TemporaryKind::KeptOldContent));
      ASSERT_TRUE(kept.has_value());
      EXPECT_EQ(kept->kind, TemporaryKind::KeptOldContent);
      EXPECT_EQ(kept->rewrite, what.rewrite);
    }
  }
  EXPECT_NE(nameHash("a.txt"), nameHash("a.txT"));
}

// Names no writer makes: the user's own files, the names of older versions, and names cut,
// padded or bent anywhere.
TEST(TemporaryName, AnyOtherNameIsNoTemporary) {
  const std::string hash = "0123456789abcdef";
  for (const std::string& name : std::vector<std::string>{
           std::string("a.txt"),
           std::string(".a.txt"),
           std::string(".a.txt.twtmp-"),
           std::string(".a.txt.twtmp-1234-abcdef"),  // an older version's, with a process id
           std::string(".a.txt.twold-abcdef"),
           ".a.twtmp-" + hash + "-abcdefg",                     // random part too short
           ".a.twtmp-" + hash + "-abcdefgh-1",                  // new content takes no record
           ".a.twtmp-" + hash.substr(1) + "-abcdefgh",          // hash too short
           ".a.twtmp-" + hash + "0-abcdefgh",                   // hash too long
           ".a.twtmp-0123456789ABCDEF-abcdefgh",                // upper-case digits
           ".a.twtmp-" + hash + "-abcd.fgh",                    // not a random character
           ".a.twbak-" + hash + "-abcdefgh",                    // no inode
           ".a.twbak-" + hash + "-abcdefgh-",                   // empty inode
           ".a.twbak-" + hash + "-abcdefgh-12345678901234567",  // over 64 bits
           ".a.twold-" + hash + "-abcdefgh-1.2.3.4.5.6.7",      // a field short
           ".a.twold-" + hash + "-abcdefgh-1.2.3.4.5.6.7.2",    // backup flag not 0 or 1
           ".a.twold-" + hash + "-abcdefgh-1.2.3.4.5.6.7.1.",   // a dot too many
           ".a.twold-" + hash + "-abcdefgh-1.2..4.5.6.7.1",     // an empty field
           ".twtmp-" + hash + "-abcdefgh",  // no file name: the mark at the start
       }) {
    EXPECT_FALSE(isTemporaryName(name)) << name;
  }
  EXPECT_TRUE(isTemporaryName(".a.twtmp-" + hash + "-abcdefgh"));
  EXPECT_TRUE(isTemporaryName(".a.twold-" + hash + "-abcdefgh-1.2.3.4.5.6.7.1"));
}

}  // namespace
}  // namespace tw::writeback
