#include "cli/UnifiedDiff.h"

#include <gtest/gtest.h>

namespace tw::cli {
namespace {

TEST(UnifiedDiff, EqualTextsGiveNothing) {
  EXPECT_EQ(UnifiedDiff("f", "a\nb\n", "a\nb\n"), "");
}

TEST(UnifiedDiff, OneChangedLineWithThreeLinesOfContext) {
  const std::string before = "1\n2\n3\n4\ncolour\n6\n7\n8\n9\n";
  const std::string after = "1\n2\n3\n4\ncolor\n6\n7\n8\n9\n";
  EXPECT_EQ(UnifiedDiff("p.txt", before, after),
            "--- p.txt\n+++ p.txt\n"
            "@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-colour\n+color\n 6\n 7\n 8\n");
}

TEST(UnifiedDiff, DistantChangesMakeSeparateHunksAndNearOnesOne) {
  std::string before, after;
  for (int i = 1; i <= 20; ++i) {
    before += std::to_string(i) + "\n";
    after += (i == 2 || i == 18 ? "x" : std::to_string(i)) + "\n";
  }
  EXPECT_EQ(UnifiedDiff("f", before, after),
            "--- f\n+++ f\n"
            "@@ -1,5 +1,5 @@\n 1\n-2\n+x\n 3\n 4\n 5\n"
            "@@ -15,6 +15,6 @@\n 15\n 16\n 17\n-18\n+x\n 19\n 20\n");
  std::string nearAfter = before;
  nearAfter.replace(nearAfter.find("\n2\n") + 1, 1, "y");
  nearAfter.replace(nearAfter.find("\n8\n") + 1, 1, "z");
  const std::string near = UnifiedDiff("f", before, nearAfter);
  EXPECT_EQ(near.substr(0, 29), "--- f\n+++ f\n@@ -1,11 +1,11 @@");
  EXPECT_EQ(near.find("\n@@", 12), std::string::npos);  // one hunk only
}

TEST(UnifiedDiff, LineEndsAndAMissingFinalLineEndAreShown) {
  EXPECT_EQ(UnifiedDiff("f", "a\r\nb", "a\nb"),
            "--- f\n+++ f\n@@ -1,2 +1,2 @@\n-a\r\n+a\n b\n\\ No newline at end of file\n");
  EXPECT_EQ(UnifiedDiff("f", "", "new\n"), "--- f\n+++ f\n@@ -0,0 +1 @@\n+new\n");
}

TEST(UnifiedDiff, InsertedAndRemovedLinesAreMinimal) {
  EXPECT_EQ(UnifiedDiff("f", "a\nb\nc\n", "a\nx\nb\nc\n"),
            "--- f\n+++ f\n@@ -1,3 +1,4 @@\n a\n+x\n b\n c\n");
  EXPECT_EQ(UnifiedDiff("f", "a\nb\nc\n", "a\nc\n"), "--- f\n+++ f\n@@ -1,3 +1,2 @@\n a\n-b\n c\n");
}

}  // namespace
}  // namespace tw::cli
