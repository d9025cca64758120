#include "engine/ConfirmDecision.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(RunDecision, StartsAskingAndReplacing) {
  RunDecision d;
  EXPECT_EQ(d.value(), ConfirmDecision::ReplaceThis);
  EXPECT_TRUE(d.asks());
  EXPECT_TRUE(d.replaces());
}

TEST(RunDecision, FileWideAnswersEndWithTheFile) {
  RunDecision d;
  d.set(ConfirmDecision::ReplaceAllInFile);
  EXPECT_EQ(d.value(), ConfirmDecision::ReplaceAllInFile);
  EXPECT_FALSE(d.asks());
  EXPECT_TRUE(d.replaces());
  d.startFile();
  EXPECT_EQ(d.value(), ConfirmDecision::ReplaceThis);

  d.set(ConfirmDecision::SkipAllInFile);
  EXPECT_FALSE(d.asks());
  EXPECT_FALSE(d.replaces());
  d.startFile();
  EXPECT_EQ(d.value(), ConfirmDecision::ReplaceThis);
}

TEST(RunDecision, RunWideAndSingleAnswersSurviveANewFile) {
  for (ConfirmDecision answer : {ConfirmDecision::SkipThis, ConfirmDecision::ReplaceAllFiles,
                                 ConfirmDecision::SkipAllFiles}) {
    RunDecision d;
    d.set(answer);
    d.startFile();
    EXPECT_EQ(d.value(), answer);
  }
  RunDecision skip;
  skip.set(ConfirmDecision::SkipThis);
  EXPECT_TRUE(skip.asks());
  EXPECT_FALSE(skip.replaces());
  RunDecision all;
  all.set(ConfirmDecision::SkipAllFiles);
  EXPECT_FALSE(all.asks());
  EXPECT_FALSE(all.replaces());
}

}  // namespace
}  // namespace tw
