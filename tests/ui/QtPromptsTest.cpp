#include "ui/QSettingsStore.h"
#include "ui/QtPrompts.h"

#include "support/TempDir.h"
#include "ui/ModalScript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include "ui/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>

namespace tw {
namespace {

using test::ModalScript;

TEST(QtPrompts, NameFiltersKeepTheCaptionAndGiveQtCleanPatterns) {
  EXPECT_EQ(qtNameFilter({"HTML files (*.htm; *.html; *.asp; *.jsp; *.css)",
                          "*.htm; *.html; *.asp; *.jsp; *.css"}),
            QStringLiteral("HTML files (*.htm; *.html; *.asp; *.jsp; *.css) "
                           "(*.htm *.html *.asp *.jsp *.css)"));
  // "*.*" means every file, also one without a dot; a stray space inside a pattern goes.
  EXPECT_EQ(qtNameFilter({"All Files (*.*)", "*.*"}), QStringLiteral("All Files (*.*) (*)"));
  EXPECT_EQ(qtNameFilter({"Pascal files (*. pas; *.dpr)", "*. pas; *.dpr"}),
            QStringLiteral("Pascal files (*. pas; *.dpr) (*.pas *.dpr)"));
}

TEST(QtPrompts, AskShowsCaptionTextAndIconAndMapsTheButtons) {
  QtPrompts prompts;
  ModalScript script;
  QString caption, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  script.then(nullptr, [&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    caption = box->windowTitle();
    text = box->text();
    icon = box->icon();
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(prompts.ask("Really delete all files from the list?", "Question", PromptButtons::YesNo,
                        PromptIcon::Question),
            PromptAnswer::No);
  EXPECT_EQ(caption, QStringLiteral("Question"));
  EXPECT_EQ(text, QStringLiteral("Really delete all files from the list?"));
  EXPECT_EQ(icon, QMessageBox::Question);

  script.then(nullptr,
              [](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click(); });
  EXPECT_EQ(prompts.ask("q", "Warning", PromptButtons::YesNoCancel, PromptIcon::Warning),
            PromptAnswer::Yes);

  // Closing the box without a button: Cancel, or No where there is no Cancel.
  script.then(nullptr, [](QWidget* w) { w->close(); });
  EXPECT_EQ(prompts.ask("q", "Warning", PromptButtons::YesNoCancel, PromptIcon::Warning),
            PromptAnswer::Cancel);
  script.then(nullptr, [](QWidget* w) { w->close(); });
  EXPECT_EQ(prompts.ask("q", "Question", PromptButtons::YesNo, PromptIcon::Question),
            PromptAnswer::No);
}

TEST(QtPrompts, SaveDialogGivesTheNameAndTheSelectedFilter) {
  test::TempDir dir;
  QtPrompts prompts;
  ModalScript script;
  QStringList filtersShown;
  script.then(nullptr, [&](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    filtersShown = dialog->nameFilters();
    dialog->selectNameFilter(filtersShown.at(1));
    dialog->selectFile(QString::fromStdString(dir.file("report")));
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
  });
  const auto choice = prompts.chooseSaveFile(
      "Save results", {{"Text file (*.txt)", "*.txt"}, {"HTML file (*.html)", "*.html"}},
      dir.path().string() + "/");
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(choice->path, dir.file("report"));  // no extension added by the dialog
  EXPECT_EQ(choice->filterIndex, 1);
  EXPECT_EQ(filtersShown.size(), 2);

  script.then(nullptr, [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
  EXPECT_FALSE(prompts.chooseSaveFile("Save", {{"Any file (*.*)", "*.*"}}, "").has_value());
}

TEST(QSettingsStore, KeepsNamedStringsAndIntegers) {
  test::TempDir dir;
  const QString ini = QString::fromStdString(dir.file("Textwright.conf"));
  {
    QSettingsStore store(ini);
    EXPECT_FALSE(store.hasValue("LastDir"));
    EXPECT_EQ(store.readString("LastDir"), std::nullopt);
    EXPECT_EQ(store.readInteger("Tips"), std::nullopt);
    store.writeString("LastDir", "/home/u/Dokumente \xc3\xa4/");
    store.writeInteger("Left", -4);
    store.writeInteger("SavePosition", 1);
  }
  // A second store over the same file sees every value: nothing is held back.
  QSettingsStore again(ini);
  EXPECT_TRUE(again.hasValue("LastDir"));
  EXPECT_EQ(again.readString("LastDir"), "/home/u/Dokumente \xc3\xa4/");
  EXPECT_EQ(again.readInteger("Left"), -4);
  EXPECT_EQ(again.readInteger("SavePosition"), 1);
  // A value that is not a number is no integer.
  again.writeString("Width", "wide");
  EXPECT_EQ(again.readInteger("Width"), std::nullopt);
}

}  // namespace
}  // namespace tw
