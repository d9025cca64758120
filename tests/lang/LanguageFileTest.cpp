#include "lang/LanguageFile.h"
#include "lang/TextBindings.h"
#include "platform/FileIo.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace tw {
namespace {

using Entries = std::vector<LanguageEntry>;

TEST(TextTable, BuiltinTextsFillTheFirst105SlotsOnly) {
  TextTable table;
  EXPECT_EQ(table.text(2), "File");
  EXPECT_EQ(table.text(93), "Repalce this occurence");
  EXPECT_EQ(table.text(105), "You didn't specify find and replace string!");
  for (int empty : {0, 1, 30, 31, 72, 73, 88, 92, 106, 300, 301}) EXPECT_EQ(table.text(empty), "");
  int filled = 0;
  for (int slot = 1; slot <= kTextSlots; ++slot) filled += !table.text(slot).empty();
  EXPECT_EQ(filled, 105 - 10);
  table.set(200, "kept");
  table.set(2, "Datei");
  table.loadBuiltinTexts();
  EXPECT_EQ(table.text(2), "File");
  EXPECT_EQ(table.text(200), "kept");
}

TEST(LanguageFile, ReadsEntriesAsWritten) {
  struct Case {
    const char* bytes;
    Entries entries;
  };
  const Case cases[] = {
      {"", {}},
      {"# only a comment\r\n\r\n   \n#16=\"x\"\n", {}},
      {"16=\"Suchen\"", {{16, "Suchen"}}},
      {"12=\"\"\r\n12=\"Add\" old\r\n", {{12, ""}, {12, "Add"}}},
      {"2=\"a\"\r3=\"b\"\n4=\"c\"\r\n", {{2, "a"}, {3, "b"}, {4, "c"}}},
      {"-1=\"ignored\"\n+7=\"plus\"\n300=\"last\"", {{7, "plus"}, {300, "last"}}},
      {"5= junk \"Sauvegarde\" = \"x\"", {{5, "Sauvegarde"}}},
      {"3=\"a=b # c\"", {{3, "a=b # c"}}},
      {"\xEF\xBB\xBF"
       "2=\"Datei\"",
       {{2, "Datei"}}},
      {"39=\"Gr\xC3\xB6\xC3\x9F"
       "e\"",
       {{39,
         "Gr\xC3\xB6\xC3\x9F"
         "e"}}},
      // Not UTF-8: read as Windows-1252 (o umlaut, euro sign, C1 byte kept).
      {"39=\"Gr\xF6\xDF"
       "e \x80\x81\"",
       {{39,
         "Gr\xC3\xB6\xC3\x9F"
         "e \xE2\x82\xAC\xC2\x81"}}},
  };
  for (const Case& c : cases) {
    LanguageFileResult r = parseLanguageFile(c.bytes, "German.lng");
    EXPECT_EQ(r.error, "") << c.bytes;
    EXPECT_EQ(r.entries, c.entries) << c.bytes;
  }
}

TEST(LanguageFile, MalformedLineNamesFileAndLine) {
  const std::string prefix = "The language file German.lng cannot be used: line 3: ";
  const std::pair<const char*, std::string> cases[] = {
      {"Suchen", "there is no \"=\" after the slot number."},
      {"=\"x\"", "'' is not a slot number."},
      {"abc=\"x\"", "'abc' is not a slot number."},
      {" 16=\"x\"", "' 16' is not a slot number."},
      {"99999999999=\"x\"", "'99999999999' is not a slot number."},
      {"0=\"x\"", "slot 0 is outside 1 to 300."},
      {"301=\"x\"", "slot 301 is outside 1 to 300."},
      {"-2=\"x\"", "slot -2 is outside 1 to 300."},
      {"16=Suchen", "the text has no opening double quote."},
      {"16=\"Suchen", "the text has no closing double quote."},
  };
  for (const auto& [line, problem] : cases) {
    const std::string bytes = std::string("2=\"Datei\"\r\n# x\r\n") + line + "\r\n4=\"y\"\r\n";
    LanguageFileResult r = parseLanguageFile(bytes, "German.lng");
    EXPECT_EQ(r.error, prefix + problem) << line;
  }
}

TEST(LanguageFile, LoadAppliesAllOrNothing) {
  test::TempDir dir;
  TextTable table;
  table.set(2, "previous");
  EXPECT_EQ(loadLanguageFile(dir.file("Missing.lng"), table), "Cannot open file Missing.lng");
  dir.write("Bad.lng", "2=\"Datei\"\n16=Suchen\n");
  EXPECT_NE(loadLanguageFile(dir.file("Bad.lng"), table), "");
  EXPECT_EQ(table.text(2), "previous") << "nothing of a refused file is applied";
  dir.write("Good.lng", "16=\"Suchen\"\n");
  EXPECT_EQ(loadLanguageFile(dir.file("Good.lng"), table), "");
  EXPECT_EQ(table.text(2), "File") << "slots the file does not set are built-in";
  EXPECT_EQ(table.text(16), "Suchen");
}

// Every shipped language loads cleanly and translates every slot the program shows.
TEST(LanguageFile, ShippedLanguagesAreComplete) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TEXTWRIGHT_LANGUAGE_DIR)) {
    if (entry.path().extension() != ".lng") continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    std::string bytes;
    ASSERT_TRUE(platform::readWholeFile(entry.path().string(), bytes));
    LanguageFileResult r = parseLanguageFile(bytes, entry.path().filename().string());
    ASSERT_EQ(r.error, "");
    std::set<int> set;
    for (const LanguageEntry& e : r.entries) {
      EXPECT_FALSE(e.text.empty()) << "slot " << e.slot;
      set.insert(e.slot);
    }
    for (int slot : usedSlots()) EXPECT_TRUE(set.count(slot)) << "slot " << slot << " missing";
  }
  EXPECT_GE(files, 3);
}

TEST(TextBindings, EveryShownSlotHasABuiltinText) {
  for (int slot : shownSlots()) EXPECT_STRNE(builtinText(slot), "") << slot;
}

}  // namespace
}  // namespace tw
