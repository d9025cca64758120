#include "engine/Preview.h"

#include "engine/FindOccurrences.h"
#include "engine/ProcessRtfFile.h"
#include "engine/Run.h"
#include "engine/ScriptedHost.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tw {
namespace {

using test::FixedClock;
using test::ScriptedHost;
using test::TempDir;

constexpr int64_t kAll = int64_t{1} << 40;
constexpr int kWholeFile = 1 << 30;  // context lines enough to show every line

struct Collected : PreviewReceiver {
  std::vector<PreviewedFile> files;
  void found(PreviewedFile file) override { files.push_back(std::move(file)); }
};

// The lines of `text` as rows show them: without line ends, a CR before a LF dropped.
std::vector<std::string> LinesOf(std::string_view text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos)
      end = text.size();
    else if (end > at && text[end - 1] == '\r')
      --end;
    lines.emplace_back(text.substr(at, end - at));
    at = next;
  }
  return lines;
}

// The text after, line by line, as rows covering the whole file show it.
std::vector<std::string> LinesAfter(const std::vector<DiffRow>& rows) {
  std::vector<std::string> lines;
  for (const DiffRow& row : rows) {
    if (row.kind == DiffRow::Kind::Context || row.kind == DiffRow::Kind::Added)
      lines.push_back(row.text);
  }
  return lines;
}

std::string Describe(const std::vector<DiffRow>& rows, bool withGaps = true) {
  std::ostringstream out;
  for (const DiffRow& row : rows) {
    if (row.kind == DiffRow::Kind::Gap) {
      if (withGaps) out << "~\n";
      continue;
    }
    out << " -+"[static_cast<int>(row.kind)] << row.number << ":" << row.text;
    for (const auto& [b, e] : row.marks) out << " [" << b << "," << e << ")";
    for (size_t o : row.occurrences) out << " #" << o;
    out << "\n";
  }
  return out.str();
}

class PreviewTest : public test::TempDirTest {
 protected:
  Configuration config;
  AppOptions options;
  FixedClock clock;
  RunSummary summary;

  std::string add(const std::string& name, const std::string& content) {
    std::string path = dir.write(name, content);
    config.Files.push_back({path, true});
    return path;
  }
};

// What a preview shows is what the run that takes its choices writes: the declined
// occurrences stay, the rows' text after is the file's text after, the counts agree.
TEST_F(PreviewTest, TheRunWritesWhatThePreviewShowsWithTheOccurrencesDeclined) {
  struct Case {
    const char* name;
    const char* file;
    std::string content;
    std::vector<StringPair> pairs;
    std::vector<size_t> declined;  // indexes into the occurrences shown before any choice
    std::string written;
    bool firstLineOnly = false;
  };
  const std::vector<Case> cases = {
      {"one of three declined",
       "a.txt",
       "colour one\ncolour two\ncolour three\n",
       {{"colour", "color"}},
       {1},
       "color one\ncolour two\ncolor three\n"},
      // Skipping at 0 makes the run look again from 1, where the next one then begins.
      {"overlapping", "o.txt", "aaaa", {{"aa", "X"}}, {0}, "aXa"},
      {"line ends in the replacement",
       "c.txt",
       "a colour\r\nb\r\ncolour c\r\n",
       {{"colour", "red\r\nblue"}},
       {},
       "a red\r\nblue\r\nb\r\nred\r\nblue c\r\n"},
      {"first line only",
       "f.txt",
       "colour\ncolour\n",
       {{"colour", "color"}},
       {},
       "color\ncolour\n",
       true},
      {"rich text",
       "r.rtf",
       "{\\rtf1\\ansi colour\\par colour}",
       {{"colour", "color"}},
       {0},
       "{\\rtf1\\ansi colour\\par color}"},
      {"several pairs",
       "p.txt",
       "colour x\nplain\ncolor\n",
       {{"colour", "color"}, {"color", "hue"}},
       {},
       "hue x\nplain\nhue\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    config = {};
    config.setPairs(c.pairs);
    config.Advanced.ReplaceOnlyInFirst = c.firstLineOnly;
    config.Advanced.FirstCount = "1";
    const std::string path = add(c.file, c.content);

    Collected preview;
    RunPreview(config, options, PreviewKind::Replace, preview);
    ASSERT_EQ(preview.files.size(), 1u);
    const FileChanges shown =
        ChangesInFile(config, options, 0, PreviewKind::Replace, {}, 0, kAll, kWholeFile);
    EXPECT_EQ(shown.count, preview.files[0].count);
    EXPECT_EQ(shown.choosable, c.pairs.size() == 1);
    PreviewChoice choice{preview.files[0].fingerprint, {}};
    for (size_t i : c.declined) choice.declined.insert(shown.occurrences.at(i).offset);

    const FileChanges chosen = ChangesInFile(config, options, 0, PreviewKind::Replace,
                                             choice.declined, 0, kAll, kWholeFile);
    ASSERT_EQ(chosen.failure, "");
    EXPECT_EQ(chosen.fingerprint, preview.files[0].fingerprint);
    const PreviewChoices choices{{{0, choice}}};
    ScriptedHost inner;
    PreviewChoiceHost host(inner, config, choices, false);
    RunReplacement(ConfigurationForChoices(config, choices), options, host, clock, summary);
    EXPECT_EQ(TempDir::read(path), c.written);
    EXPECT_TRUE(summary.FailedFiles.empty());
    EXPECT_EQ(summary.TotalReplacements, chosen.count);
    EXPECT_TRUE(inner.asked.empty());
    const SearchedText written = TextToSearch(path, c.written, config.Advanced, options, 0);
    EXPECT_EQ(LinesAfter(chosen.rows), LinesOf(written.text()));
  }
}

// With confirmation on before the preview the user is asked about the occurrences not
// declined only, and "all in file" never reaches a declined one.
TEST_F(PreviewTest, TheUserIsAskedOnlyAboutWhatWasNotDeclined) {
  config.setPairs({{"colour", "color"}});
  const std::string path = add("a.txt", "colour colour colour colour");
  const PreviewChoices choices{{{0, {FingerprintOf(TempDir::read(path)), {7, 21}}}}};
  ScriptedHost inner;
  inner.answers = {ConfirmDecision::SkipThis, ConfirmDecision::ReplaceAllInFile};
  PreviewChoiceHost host(inner, config, choices, true);
  RunReplacement(ConfigurationForChoices(config, choices), options, host, clock, summary);
  EXPECT_EQ(TempDir::read(path), "colour colour color colour");
  EXPECT_EQ(inner.asked.size(), 2u);
}

TEST_F(PreviewTest, AFileChangedSinceThePreviewIsLeftAloneAndListed) {
  config.setPairs({{"colour", "color"}});
  const std::string changed = add("a.txt", "colour colour");
  const std::string kept = add("b.rtf", "{\\rtf1 colour}");
  Collected preview;
  RunPreview(config, options, PreviewKind::Replace, preview);
  ASSERT_EQ(preview.files.size(), 2u);
  PreviewChoices choices;
  for (const PreviewedFile& file : preview.files)
    choices.files.push_back({file.entry, {file.fingerprint, {}}});
  dir.write("a.txt", "colour-colour");  // as long as it was, one byte other

  ScriptedHost inner;
  PreviewChoiceHost host(inner, config, choices, false);
  RunReplacement(ConfigurationForChoices(config, choices), options, host, clock, summary);
  EXPECT_EQ(TempDir::read(changed), "colour-colour");
  EXPECT_EQ(TempDir::read(kept), "{\\rtf1 color}");
  EXPECT_EQ(summary.FailedFiles,
            (std::vector<FailedFile>{{changed, std::string(kChangedSincePreviewReason)}}));
  EXPECT_EQ(summary.TotalReplacements, 1);
}

TEST_F(PreviewTest, FindCountsOccurrencesAndTheLinesHoldingThem) {
  config.setPairs({{"cat", ""}, {"", "unused"}, {"dog", ""}});
  add("a.txt", "cat dog\nnone\ndog\n");
  add("b.txt", "nothing");
  add("c.rtf", "{\\rtf1 cat\\par cat dog\\par x}");
  add("d.rtf", "cat");
  config.Files.push_back({dir.file("missing.txt"), true});
  add("e.mp3", "cat");
  add("f.txt", "catcatcat\n");
  Collected found;
  const PreviewOutcome outcome = RunPreview(config, options, PreviewKind::Find, found);
  EXPECT_EQ(outcome.searchedCount, 5);
  std::ostringstream seen;
  for (const PreviewedFile& file : found.files)
    seen << file.entry << ":" << file.count << ":" << file.lines << ":" << file.failure << "\n";
  EXPECT_EQ(seen.str(),
            "0:3:2:\n"
            "2:3:2:\n"
            "3:0:0:" +
                std::string(kNotAnRtfDocument) +
                "\n"
                "4:0:0:the file does not exist\n"
                "6:3:1:\n");

  const FileChanges rows = ChangesInFile(config, options, 0, PreviewKind::Find, {}, 0, kAll, 0);
  EXPECT_EQ(rows.count, 3);
  EXPECT_EQ(rows.changeCount, 2);
  EXPECT_EQ(Describe(rows.rows), " 1:cat dog [0,3) [4,7)\n~\n 3:dog [0,3)\n");
}

// Pages laid end to end show each line once, as one page of every change does.
TEST_F(PreviewTest, PagesOfChangesMakeUpTheWholeFile) {
  config.setPairs({{"colour", "color"}});
  std::string content;
  for (int line = 1; line <= 30; ++line) {
    const bool holds = line == 1 || line == 2 || line == 5 || line == 9 || line == 12 ||
                       line == 13 || line == 14 || line == 25 || line == 30;
    content += holds ? "the colour " + std::to_string(line) + "\n" : "plain\n";
  }
  add("a.txt", content);
  for (PreviewKind kind : {PreviewKind::Replace, PreviewKind::Find}) {
    const std::set<int64_t> declined = {static_cast<int64_t>(content.find("colour 13"))};
    const FileChanges whole = ChangesInFile(config, options, 0, kind, declined, 0, kAll, 2);
    EXPECT_EQ(whole.changeCount, 9);
    for (int64_t size : {1, 2, 4}) {
      std::vector<DiffRow> paged;
      for (int64_t first = 0; first < whole.changeCount; first += size) {
        FileChanges page = ChangesInFile(config, options, 0, kind, declined, first, size, 2);
        EXPECT_EQ(page.changeCount, whole.changeCount);
        paged.insert(paged.end(), page.rows.begin(), page.rows.end());
      }
      EXPECT_EQ(Describe(paged, false), Describe(whole.rows, false)) << size;
    }
  }
}

// With several pairs the rows come from comparing lines; beyond what the shortest comparison
// takes on, the lines of texts as long as each other are still paired one by one.
TEST_F(PreviewTest, ManyChangedLinesOfSeveralPairsStaySeparateChanges) {
  config.setPairs({{"colour", "color"}, {"grey", "gray"}});
  std::string content;
  for (int i = 0; i < 2500; ++i) content += "colour\nplain\n";
  add("a.txt", content);
  const FileChanges page = ChangesInFile(config, options, 0, PreviewKind::Replace, {}, 1000, 1, 1);
  EXPECT_FALSE(page.choosable);
  EXPECT_EQ(page.count, 2500);
  EXPECT_EQ(page.changeCount, 2500);
  // The line before belongs to the change before it, on the page before.
  EXPECT_EQ(Describe(page.rows), "-2001:colour [4,5)\n+2001:color\n 2002:plain\n");
}

TEST_F(PreviewTest, AMillionOccurrencesMakeOnePageAtATime) {
  config.setPairs({{"colour", "color"}});
  std::string line = "the colour of it\n";
  std::string content;
  content.reserve(line.size() * 1000000);
  for (int i = 0; i < 1000000; ++i) content += line;
  add("big.txt", content);
  const FileChanges page =
      ChangesInFile(config, options, 0, PreviewKind::Replace, {}, 500000, 100, 2);
  EXPECT_EQ(page.count, 1000000);
  EXPECT_EQ(page.changeCount, 1000000);
  EXPECT_EQ(page.occurrences.size(), 1000000u);
  ASSERT_EQ(page.rows.size(), 200u);  // adjacent changes: no context lines between them
  EXPECT_EQ(page.rows.front().number, 500001);
  EXPECT_EQ(page.rows.front().occurrences, std::vector<size_t>{500000});
  EXPECT_EQ(page.rows.back().text, "the color of it");
}

}  // namespace
}  // namespace tw
