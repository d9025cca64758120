#include "ui/BrowseMode.h"
#include "ui/EditMode.h"
#include "ui/FileListModel.h"
#include "ui/MainWindow.h"
#include "ui/OptionsDialog.h"

#include "MainWindowFixture.h"
#include "support/FaultyFileOps.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

namespace tw {
namespace {

class FileModes : public test::MainWindowFixture {
 protected:
  // Lists `path` alone and selects it with a click of the mouse, as a user does.
  void listAndSelect(const std::string& path) {
    {
      FileListModel::Reset reset(form.fileModel());
      config.Files.clear();
      config.AddFiles({path});
    }
    form.showConfiguration();
    auto* list = child<QListView>("CheckListBox1");
    const QModelIndex row = form.fileModel().index(0, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(row).center());
    ASSERT_TRUE(list->selectionModel()->isSelected(row));
  }
  void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
  bool enabled(const char* name) { return child<QAction>(name)->isEnabled(); }
  QRect rect(const LayoutRect& r) { return QRect(r.x, r.y, r.width, r.height); }
  QPlainTextEdit* editor() { return child<QPlainTextEdit>("Memo3"); }
  QString title() { return child<QGroupBox>("GroupBox1")->title(); }
};

TEST_F(FileModes, EachModeTakesOverTheFileAreaAndGivesItBack) {
  const std::string rtf = std::string(TEXTWRIGHT_TEST_DATA_DIR) + "/rtf/pandoc-letter.rtf";
  QImage picture(8, 8, QImage::Format_RGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(QString::fromStdString(dir.file("pic.png"))));
  const std::string page = dir.write("Page.HTML", "<p>Hello <img src=\"pic.png\"></p>");
  const std::string text = dir.write("notes.txt", "<b>not bold</b>\n");
  OptionsDialog optionsWindow(options, config, &form);
  form.setOptionsWindow(&optionsWindow);

  EXPECT_FALSE(child<QPushButton>("Button1")->isEnabled());
  struct Case {
    std::string path;
    const char* enter;  // the command that opens the mode
    const char* view;   // the control showing the file
    QString title;
    const char* leave;
  };
  const Case cases[] = {
      {rtf, "BrowseFile1", "RichEdit1", "RTF File", "Button2"},
      {page, "BrowseFile2", "CppWebBrowser1", "HTML preview", "Button2"},
      {text, "Button1", "CppWebBrowser1", "HTML preview", "Button2"},
      {text, "EditFile2", "Memo3", "Edit File", "Button5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.view + (" " + c.path));
    listAndSelect(c.path);
    ASSERT_TRUE(child<QPushButton>("Button1")->isEnabled());
    ASSERT_TRUE(enabled("EditFile1"));
    if (c.enter[0] == 'B' && c.enter[1] == 'u')
      click(c.enter);
    else
      child<QAction>(c.enter)->trigger();
    EXPECT_EQ(title(), c.title);
    QWidget* view = child<QWidget>(c.view);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->geometry(), rect(form.currentLayout().viewer));
    EXPECT_EQ(view->toolTip(), QString::fromStdString(c.path));
    EXPECT_FALSE(child<QListView>("CheckListBox1")->isVisible());
    EXPECT_FALSE(child<QGroupBox>("GroupBox2")->isVisible());
    EXPECT_FALSE(child<QGroupBox>("GroupBox3")->isVisible());
    EXPECT_EQ(child<QGroupBox>("GroupBox1")->geometry().size(), form.centralWidget()->size());
    // Guards: nothing may change the list, run, or open the other mode meanwhile.
    for (const char* name : {"New1", "Open1", "AddFiles1", "DeleteallFiles1", "ToolButton6",
                             "RestoreBackupFiles1", "BrowseFile1", "EditFile2", "Options1"})
      EXPECT_FALSE(enabled(name)) << name;
    click(c.leave);
    EXPECT_EQ(form.fileMode(), FileMode::Normal);
    EXPECT_EQ(title(), QStringLiteral("Files"));
    EXPECT_FALSE(view->isVisible());
    for (const char* name : {"CheckListBox1", "BitBtn1", "BitBtn3", "Button1", "Button3"})
      EXPECT_TRUE(child<QWidget>(name)->isVisible()) << name;
    EXPECT_TRUE(child<QGroupBox>("GroupBox3")->isVisible());
    EXPECT_TRUE(enabled("New1"));
    EXPECT_TRUE(enabled("AddFiles1"));
    EXPECT_TRUE(enabled("Options1"));
    EXPECT_EQ(child<QWidget>("Button3")->geometry(), rect(form.currentLayout().editFile));
  }

  // What each view showed: the RTF formatted, the page with its picture, text as text.
  listAndSelect(rtf);
  click("Button1");
  QTextDocument* doc = child<QTextBrowser>("RichEdit1")->document();
  EXPECT_TRUE(doc->toPlainText().contains(QStringLiteral("crème brûlée")));
  const QTextCursor seeds = doc->find(QStringLiteral("seeds"));
  ASSERT_FALSE(seeds.isNull());
  EXPECT_EQ(seeds.charFormat().fontWeight(), QFont::Bold);
  click("Button2");
  listAndSelect(page);
  click("Button1");
  auto* browser = child<QTextBrowser>("CppWebBrowser1");
  EXPECT_EQ(browser->toPlainText().left(5), QStringLiteral("Hello"));
  EXPECT_FALSE(browser->loadResource(QTextDocument::ImageResource, QUrl("pic.png")).isNull());
  click("Button2");
  listAndSelect(text);
  click("Button1");
  EXPECT_EQ(browser->toPlainText(), QStringLiteral("<b>not bold</b>\n"));
  click("Button2");

  // A mode follows the window's size.
  click("Button3");
  form.resize(900, 700);
  QApplication::processEvents();
  EXPECT_EQ(child<QWidget>("Button5")->geometry(), rect(form.currentLayout().discardButton));
  EXPECT_EQ(editor()->geometry(), rect(form.currentLayout().viewer));
  EXPECT_EQ(form.currentLayout().viewer.width, form.centralWidget()->width() - 15);
  click("Button5");

  // Emptying the list disables both commands.
  form.findChild<QAction*>("DeleteallFiles1")->trigger();
  EXPECT_FALSE(child<QPushButton>("Button1")->isEnabled());
  EXPECT_FALSE(enabled("EditFile1"));
}

TEST_F(FileModes, SavingWritesBackEveryUneditedByte) {
  std::string latin1;
  for (int b = 1; b < 256; ++b)
    if (b != '\n') latin1 += char(b);
  std::string big;
  for (int i = 0; big.size() < 10'000'000; ++i)
    big += "line " + std::to_string(i) + " \xC3\xA9t\xC3\xA9\r\n";
  struct Case {
    const char* name;
    std::string bytes;
    std::string typed;  // typed at the end of the text
    std::string saved;
  };
  const Case cases[] = {
      {"lf.txt", "one\ntwo\n", "x", "one\ntwo\nx"},
      {"crlf.txt", "one\r\ntwo", "\n3", "one\r\ntwo\r\n3"},
      {"bom.txt", "\xEF\xBB\xBF\xC3\xA9\r\n", "\xC3\xA9", "\xEF\xBB\xBF\xC3\xA9\r\n\xC3\xA9"},
      {"latin1.txt", latin1, "\xC3\xA9", latin1 + "\xE9"},
      {"big.txt", big, "!", big + "!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.write(c.name, c.bytes);
    ::chmod(path.c_str(), 0640);
    listAndSelect(path);
    click("Button3");
    ASSERT_EQ(form.fileMode(), FileMode::Edit);
    editor()->moveCursor(QTextCursor::End);
    editor()->insertPlainText(QString::fromStdString(c.typed));
    click("Button4");
    EXPECT_EQ(form.fileMode(), FileMode::Normal);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(test::TempDir::read(path) == c.saved);
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_FALSE(std::filesystem::exists(path + ".rpf"));
  }
}

TEST_F(FileModes, FilesThatCannotBeEditedOrSavedSaySoAndLoseNothing) {
  // NUL bytes: no mode at all.
  const std::string binary = dir.write("data.bin", std::string("a\0b", 3));
  listAndSelect(binary);
  click("Button3");
  EXPECT_EQ(form.fileMode(), FileMode::Normal);
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_NE(prompts.shown[0].text.find("NUL"), std::string::npos);

  // A file that cannot be read: the mode opens with its own buttons, and cannot save.
  const std::string missing = dir.file("missing.txt");
  listAndSelect(missing);
  click("Button3");
  EXPECT_EQ(prompts.shown.back().text, "Cannot open file " + missing);
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_FALSE(child<QPushButton>("Button4")->isEnabled());
  click("Button5");
  click("Button1");
  EXPECT_EQ(form.fileMode(), FileMode::Browse);
  EXPECT_EQ(prompts.shown.back().text, "Cannot open file " + missing);
  click("Button2");
  // A named pipe is refused, not waited on.
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  listAndSelect(fifo);
  click("Button1");
  EXPECT_EQ(prompts.shown.back().text.rfind("Cannot open file " + fifo + "\n\n", 0), 0u);
  click("Button2");

  // A failed save keeps the mode, the text and the file.
  const std::string path = dir.write("sub/keep.txt", "old\n");
  listAndSelect(path);
  click("Button3");
  editor()->setPlainText(QStringLiteral("new\n"));
  ::chmod(dir.file("sub").c_str(), 0555);
  test::FaultyFileOps faulty;
  if (::geteuid() == 0) faulty.failCall(1, EACCES, "open");  // root writes anywhere
  form.editMode().setFileOps(faulty);
  click("Button4");
  EXPECT_EQ(prompts.shown.back().text.rfind("Cannot create file " + path + "\n\n", 0), 0u);
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_EQ(editor()->toPlainText(), QStringLiteral("new\n"));
  EXPECT_EQ(test::TempDir::read(path), "old\n");
  ::chmod(dir.file("sub").c_str(), 0755);
  form.editMode().setFileOps(platform::systemFileOps());

  // Changed by another program meanwhile: asked first; No keeps both texts.
  dir.write("sub/keep.txt", "theirs, longer\n");
  prompts.answers = {PromptAnswer::No, PromptAnswer::Yes};
  click("Button4");
  EXPECT_EQ(prompts.shown.back().kind, "ask");
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_EQ(test::TempDir::read(path), "theirs, longer\n");
  click("Button4");
  EXPECT_EQ(form.fileMode(), FileMode::Normal);
  EXPECT_EQ(test::TempDir::read(path), "new\n");

  // A file the user made read-only meanwhile is not saved over.
  listAndSelect(path);
  click("Button3");
  editor()->setPlainText(QStringLiteral("newer\n"));
  ::chmod(path.c_str(), 0444);
  click("Button4");
  EXPECT_EQ(prompts.shown.back().text, "Cannot create file " + path + "\n\nThe file is read-only.");
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_EQ(test::TempDir::read(path), "new\n");
  prompts.answers = {PromptAnswer::No};  // leave without saving, if asked
  click("Button5");
  EXPECT_EQ(form.fileMode(), FileMode::Normal);
  EXPECT_EQ(test::TempDir::read(path), "new\n");

  // A Latin-1 file cannot take a character beyond it.
  const std::string latin1 = dir.write("l1.txt", "caf\xE9");
  listAndSelect(latin1);
  click("Button3");
  editor()->insertPlainText(QStringLiteral("\u20AC"));
  click("Button4");
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_EQ(test::TempDir::read(latin1), "caf\xE9");
  click("Button5");
}

// Adding files, or cancelling Add Files, keeps the entry the user selected, and with it the
// file commands.
TEST_F(FileModes, AddingFilesKeepsTheSelection) {
  const std::string first = dir.write("a.txt", "a\n"), second = dir.write("b.txt", "b\n");
  listAndSelect(first);
  auto* list = child<QListView>("CheckListBox1");
  for (const std::vector<std::string>& chosen : {std::vector<std::string>{}, {second}}) {
    prompts.openNameLists.push_back(chosen);
    child<QAction>("AddFiles1")->trigger();
    EXPECT_EQ(form.fileModel().rowCount(), chosen.empty() ? 1 : 2);
    EXPECT_TRUE(list->selectionModel()->isSelected(form.fileModel().index(0, 0)));
    EXPECT_TRUE(child<QPushButton>("Button1")->isEnabled());
    EXPECT_TRUE(enabled("EditFile1"));
  }
}

TEST_F(FileModes, ClosingIsRefusedWhileAModeIsOpenAndWrapIsKept) {
  const std::string path = dir.write("a.txt", "a long line\n");
  listAndSelect(path);
  for (const char* mode : {"Button1", "Button3"}) {
    click(mode);
    EXPECT_FALSE(form.close());
    EXPECT_EQ(prompts.shown.back().text,
              mode[6] == '1' ? "You must close the Browse mode" : "You must close the Edit mode");
    EXPECT_EQ(prompts.shown.back().caption, "Warning");
    EXPECT_TRUE(form.isVisible());
    click(mode[6] == '1' ? "Button2" : "Button5");
  }

  click("Button3");
  auto* wrap = child<QCheckBox>("WrapText1");
  EXPECT_FALSE(wrap->isChecked());
  EXPECT_EQ(editor()->lineWrapMode(), QPlainTextEdit::NoWrap);
  wrap->click();
  EXPECT_EQ(editor()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(editor()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  click("Button5");
  click("Button3");
  EXPECT_TRUE(wrap->isChecked());
  EXPECT_EQ(editor()->lineWrapMode(), QPlainTextEdit::WidgetWidth);

  options.ConfirmOnExit = false;
  EXPECT_TRUE(form.close());
}

}  // namespace
}  // namespace tw
