#include "ui/ModalScript.h"

#include <QMessageBox>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace tw {
namespace {

using test::ModalScript;

// A script waiting for a window that never comes up used to leave the other window open
// until the CTest timeout: now the test fails with a message and the window is closed.
TEST(ModalScript, AWindowThatNeverComesUpFailsTheTestInsteadOfHanging) {
  bool answered = false;
  EXPECT_NONFATAL_FAILURE(
      {
        ModalScript script(std::chrono::milliseconds(100));
        script.then("ResultsDialog", [&](QWidget*) { answered = true; });
        QMessageBox box(QMessageBox::Information, "Question", "Not the window the script wants");
        box.setObjectName("Other");
        box.exec();
      },
      "window \"ResultsDialog\" did not come up within 100 ms; the modal window up is \"Other\" "
      "(Question)");
  EXPECT_FALSE(answered);
  // A window that is still expected when the script ends is named too.
  EXPECT_NONFATAL_FAILURE(
      {
        ModalScript script;
        script.then("ConfirmDialog", [](QWidget*) {});
      },
      "window \"ConfirmDialog\" never came up");
}

}  // namespace
}  // namespace tw
