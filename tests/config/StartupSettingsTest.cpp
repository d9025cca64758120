#include "config/StartupSettings.h"

#include "config/Settings.h"
#include "support/MemorySettingsStore.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

using namespace settings;

TEST(StartupSettings, FirstRunReadsNothing) {
  MemorySettingsStore store;
  AppOptions options;
  const StartupSettings s = readStartupSettings(store, options, 1024, 768);
  EXPECT_TRUE(s.firstRun);
  EXPECT_FALSE(s.showTips);
  EXPECT_FALSE(s.placement);
  EXPECT_EQ(options, AppOptions{});
}

TEST(StartupSettings, PlacementLimitsAndCentring) {
  struct Case {
    int savePosition, left, top, height, width, maximized;
    WindowPlacement expected;
  };
  // Screen 1024 x 768: centred left (1024 - 570) / 2 = 227, top (768 - 420) / 2 = 174.
  const Case cases[] = {
      {1, 10, 20, 500, 700, 0, {10, 20, 700, 500, false}},
      {1, -4, -4, 450, 570, 1, {227, 174, 570, 450, true}},
      {1, 0, 0, 0, 3500, 0, {0, 0, 570, 450, false}},
      {1, 5, 5, 3499, 1, 2, {5, 5, 1, 3499, false}},
      {0, 10, 20, 500, 700, 1, {227, 174, 570, 450, false}},
  };
  for (const Case& c : cases) {
    MemorySettingsStore store;
    store.writeInteger(kSavePosition, c.savePosition);
    store.writeInteger(kLeft, c.left);
    store.writeInteger(kTop, c.top);
    store.writeInteger(kHeight, c.height);
    store.writeInteger(kWidth, c.width);
    store.writeInteger(kIsMaximized, c.maximized);
    AppOptions options;
    const StartupSettings s = readStartupSettings(store, options, 1024, 768);
    ASSERT_TRUE(s.placement);
    EXPECT_EQ(*s.placement, c.expected) << c.left << "," << c.top;
    EXPECT_EQ(options.AutoSavePosition, c.savePosition == 1);
    EXPECT_TRUE(s.showTips) << "a missing Tips value counts as 1";
  }
}

TEST(StartupSettings, PreviousProjectAndLanguage) {
  MemorySettingsStore store;
  store.writeInteger(kTips, 0);
  store.writeInteger(kLoadPrevious, 1);
  store.writeString(kPreviousProject, "/work/site.rpl");
  store.writeString(kLanguage, "German.lng");
  store.writeString(kPath, "/opt/textwright");
  AppOptions options;
  StartupSettings s = readStartupSettings(store, options, 800, 600);
  EXPECT_FALSE(s.showTips);
  EXPECT_FALSE(s.placement);
  EXPECT_TRUE(options.LoadPreviousProject);
  EXPECT_EQ(s.previousProject, "/work/site.rpl");
  EXPECT_EQ(s.language, "German.lng");
  EXPECT_EQ(s.helpFolder, "/opt/textwright");

  store.writeInteger(kLoadPrevious, 0);
  s = readStartupSettings(store, options, 800, 600);
  EXPECT_FALSE(options.LoadPreviousProject);
  EXPECT_EQ(s.previousProject, "") << "the previous project is opened only when asked for";
}

// "UnicodeLetters" is read at start; a settings file from before it existed leaves it off, and
// confirming an unchanged choice writes nothing, not even on a first run.
TEST(StartupSettings, UnicodeLettersIsKeptOnlyWhenChosen) {
  MemorySettingsStore store;
  EXPECT_FALSE(storeUnicodeLetters(store, false));
  EXPECT_FALSE(store.hasValue(kUnicodeLetters));
  store.writeInteger(kLoadPrevious, 0);
  AppOptions options;
  readStartupSettings(store, options, 800, 600);
  EXPECT_FALSE(options.UnicodeLetters);

  for (const bool on : {true, false}) {
    EXPECT_TRUE(storeUnicodeLetters(store, on));
    EXPECT_FALSE(storeUnicodeLetters(store, on));
    AppOptions next;
    next.UnicodeLetters = !on;
    readStartupSettings(store, next, 800, 600);
    EXPECT_EQ(next.UnicodeLetters, on);
  }
  MemorySettingsStore onlyUnicode;
  storeUnicodeLetters(onlyUnicode, true);
  AppOptions next;
  EXPECT_FALSE(readStartupSettings(onlyUnicode, next, 800, 600).firstRun);
  EXPECT_TRUE(next.UnicodeLetters);
}

TEST(StartupSettings, ExitWritesWhatTheNextStartReads) {
  MemorySettingsStore store;
  AppOptions options;
  options.AutoSavePosition = true;
  options.LoadPreviousProject = true;
  writeExitSettings(store, options, "/work/a.rpl", {30, 40, 800, 600, true});
  EXPECT_EQ(store.readInteger(kIsMaximized), 1);
  EXPECT_EQ(store.readInteger(kHeight), 450) << "a maximized window keeps the built-in size";
  EXPECT_EQ(store.readInteger(kWidth), 570);
  EXPECT_EQ(store.readString(kPreviousProject), "/work/a.rpl");
  AppOptions next;
  const StartupSettings s = readStartupSettings(store, next, 1024, 768);
  EXPECT_EQ(*s.placement, (WindowPlacement{30, 40, 570, 450, true}));
  EXPECT_EQ(s.previousProject, "/work/a.rpl");

  options = AppOptions{};
  writeExitSettings(store, options, "/work/a.rpl", {30, 40, 800, 600, false});
  for (const char* name : {kSavePosition, kLeft, kTop, kHeight, kWidth, kLoadPrevious})
    EXPECT_EQ(store.readInteger(name), 0) << name;
  EXPECT_EQ(store.readInteger(kIsMaximized), 1) << "kept while the position is not saved";
  EXPECT_EQ(store.readString(kPreviousProject), "");
}

}  // namespace
}  // namespace tw
