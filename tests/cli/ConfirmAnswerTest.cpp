#include "cli/TerminalHost.h"

#include <gtest/gtest.h>

namespace tw::cli {
namespace {

TEST(ParseConfirmAnswer, EveryAnswerLetter) {
  EXPECT_EQ(ParseConfirmAnswer("y"), ConfirmDecision::ReplaceThis);
  EXPECT_EQ(ParseConfirmAnswer(""), ConfirmDecision::ReplaceThis);
  EXPECT_EQ(ParseConfirmAnswer("n\r"), ConfirmDecision::SkipThis);
  EXPECT_EQ(ParseConfirmAnswer("f"), ConfirmDecision::ReplaceAllInFile);
  EXPECT_EQ(ParseConfirmAnswer(" s "), ConfirmDecision::SkipAllInFile);
  EXPECT_EQ(ParseConfirmAnswer("A"), ConfirmDecision::ReplaceAllFiles);
  EXPECT_EQ(ParseConfirmAnswer("q"), ConfirmDecision::SkipAllFiles);
  EXPECT_FALSE(ParseConfirmAnswer("yes").has_value());
  EXPECT_FALSE(ParseConfirmAnswer("x").has_value());
}

}  // namespace
}  // namespace tw::cli
