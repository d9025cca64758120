#include "config/Settings.h"

#include "support/MemorySettingsStore.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(Settings, LastDirIsTheFolderWithItsSlash) {
  MemorySettingsStore store;
  EXPECT_EQ(ReadLastDir(store), "");
  StoreLastDir(store, "/work/a.rpl");
  EXPECT_EQ(ReadLastDir(store), "/work/");
  StoreLastDir(store, "/data/temp.rtf");  // how the scan stores its folder
  EXPECT_EQ(ReadLastDir(store), "/data/");
  StoreLastDir(store, "/root.rpl");
  EXPECT_EQ(ReadLastDir(store), "/");
  EXPECT_EQ(store.readString("LastDir"), "/");
}

TEST(Settings, MissingValuesTakeTheirDefaults) {
  MemorySettingsStore store;
  EXPECT_TRUE(settings::readShowTips(store));
  AppOptions options;
  options.AutoSavePosition = true;
  settings::readKeptOptions(store, options);
  EXPECT_FALSE(options.AutoSavePosition);
  EXPECT_FALSE(options.LoadPreviousProject);

  store.writeInteger(settings::kTips, 0);
  store.writeInteger(settings::kSavePosition, 1);
  store.writeInteger(settings::kLoadPrevious, 2);
  settings::readKeptOptions(store, options);
  EXPECT_FALSE(settings::readShowTips(store));
  EXPECT_TRUE(options.AutoSavePosition);
  EXPECT_FALSE(options.LoadPreviousProject) << "only 1 is on";
  EXPECT_EQ(settings::readString(store, settings::kLanguage), "");
}

TEST(Settings, MemoryStoreKeepsTypes) {
  MemorySettingsStore store;
  store.writeString("Language", "Deutsch.lng");
  store.writeInteger("Width", 570);
  EXPECT_TRUE(store.hasValue("Width"));
  EXPECT_FALSE(store.hasValue("Height"));
  EXPECT_EQ(store.readInteger("Width"), 570);
  EXPECT_EQ(store.readString("Width"), std::nullopt);
  EXPECT_EQ(store.readInteger("Language"), std::nullopt);
  EXPECT_EQ(settings::readInteger(store, "Language", 7), 7);
}

}  // namespace
}  // namespace tw
