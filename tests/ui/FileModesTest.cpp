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
#include <QToolBar>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include <functional>

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
    auto* list = ui().fileList;
    const QModelIndex row = form.fileModel().index(0, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(row).center());
    ASSERT_TRUE(list->selectionModel()->isSelected(row));
  }
  static void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  static bool enabled(const QAction* command) { return command->isEnabled(); }
  QRect rect(const LayoutRect& r) { return QRect(r.x, r.y, r.width, r.height); }
  QPlainTextEdit* editor() { return form.editMode().Memo3; }
  QString title() { return ui().filesGroup->title(); }
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

  EXPECT_FALSE(ui().browseButton->isEnabled());
  struct Case {
    std::string path;
    std::function<void()> enter;  // the command that opens the mode, as the user gives it
    QWidget* view;                // the control showing the file
    QString title;
    QPushButton* leave;
  };
  BrowseMode& browse = form.browseMode();
  EditMode& edit = form.editMode();
  const Case cases[] = {
      {rtf, [&] { actions().browseFile->trigger(); }, browse.RichEdit1, "RTF File", browse.Button2},
      {page, [&] { entry(actions().fileListMenu, "Browse File")->trigger(); },
       browse.CppWebBrowser1, "HTML preview", browse.Button2},
      {text, [&] { click(ui().browseButton); }, browse.CppWebBrowser1, "HTML preview",
       browse.Button2},
      {text, [&] { entry(actions().fileListMenu, "Edit File")->trigger(); }, edit.Memo3,
       "Edit File", edit.Button5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.view->metaObject()->className() + (" " + c.path));
    listAndSelect(c.path);
    ASSERT_TRUE(ui().browseButton->isEnabled());
    ASSERT_TRUE(enabled(actions().editFile));
    c.enter();
    EXPECT_EQ(title(), c.title);
    QWidget* view = c.view;
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->geometry(), rect(form.currentLayout().viewer));
    EXPECT_EQ(view->toolTip(), QString::fromStdString(c.path));
    EXPECT_FALSE(ui().fileList->isVisible());
    EXPECT_FALSE(ui().optionsGroup->isVisible());
    EXPECT_FALSE(ui().stringsGroup->isVisible());
    EXPECT_EQ(ui().filesGroup->geometry().size(), form.centralWidget()->size());
    // Guards: nothing may change the list, run, or open the other mode meanwhile.
    // Every place a command is shown follows it: menu bar, pop-up menu, tool bar, button.
    for (const QAction* command :
         {actions().newConfiguration, actions().openConfiguration, actions().addFiles,
          actions().deleteAllFiles, actions().restoreBackups, actions().browseFile,
          actions().options, entry(actions().fileListMenu, "Edit File")})
      EXPECT_FALSE(enabled(command)) << command->text().toStdString();
    EXPECT_FALSE(ui().toolBar->widgetForAction(actions().deleteFile)->isEnabled());
    EXPECT_FALSE(ui().addFilesButton->isEnabled());
    click(c.leave);
    EXPECT_EQ(form.fileMode(), FileMode::Normal);
    EXPECT_EQ(title(), QStringLiteral("Files"));
    EXPECT_FALSE(view->isVisible());
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui().fileList, ui().addFilesButton, ui().deleteFileButton,
                                         ui().browseButton, ui().editButton})
      EXPECT_TRUE(w->isVisible()) << w->accessibleName().toStdString();
    EXPECT_TRUE(ui().addFilesButton->isEnabled());
    EXPECT_TRUE(ui().stringsGroup->isVisible());
    EXPECT_TRUE(enabled(actions().newConfiguration));
    EXPECT_TRUE(enabled(actions().addFiles));
    EXPECT_TRUE(enabled(actions().options));
    EXPECT_EQ(ui().editButton->geometry(), rect(form.currentLayout().editFile));
  }

  // What each view showed: the RTF formatted, the page with its picture, text as text.
  listAndSelect(rtf);
  click(ui().browseButton);
  QTextDocument* doc = form.browseMode().RichEdit1->document();
  EXPECT_TRUE(doc->toPlainText().contains(QStringLiteral("crème brûlée")));
  const QTextCursor seeds = doc->find(QStringLiteral("seeds"));
  ASSERT_FALSE(seeds.isNull());
  EXPECT_EQ(seeds.charFormat().fontWeight(), QFont::Bold);
  click(form.browseMode().Button2);
  listAndSelect(page);
  click(ui().browseButton);
  auto* browser = form.browseMode().CppWebBrowser1;
  EXPECT_EQ(browser->toPlainText().left(5), QStringLiteral("Hello"));
  EXPECT_FALSE(browser->loadResource(QTextDocument::ImageResource, QUrl("pic.png")).isNull());
  click(form.browseMode().Button2);
  listAndSelect(text);
  click(ui().browseButton);
  EXPECT_EQ(browser->toPlainText(), QStringLiteral("<b>not bold</b>\n"));
  click(form.browseMode().Button2);

  // A mode follows the window's size.
  click(ui().editButton);
  form.resize(900, 700);
  QApplication::processEvents();
  EXPECT_EQ(form.editMode().Button5->geometry(), rect(form.currentLayout().discardButton));
  EXPECT_EQ(editor()->geometry(), rect(form.currentLayout().viewer));
  EXPECT_EQ(form.currentLayout().viewer.width, form.centralWidget()->width() - 15);
  click(form.editMode().Button5);

  // Emptying the list disables both commands.
  actions().deleteAllFiles->trigger();
  EXPECT_FALSE(ui().browseButton->isEnabled());
  EXPECT_FALSE(enabled(actions().editFile));
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
    click(ui().editButton);
    ASSERT_EQ(form.fileMode(), FileMode::Edit);
    editor()->moveCursor(QTextCursor::End);
    editor()->insertPlainText(QString::fromStdString(c.typed));
    click(form.editMode().Button4);
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
  click(ui().editButton);
  EXPECT_EQ(form.fileMode(), FileMode::Normal);
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_NE(prompts.shown[0].text.find("NUL"), std::string::npos);

  // A file that cannot be read: the mode opens with its own buttons, and cannot save.
  const std::string missing = dir.file("missing.txt");
  listAndSelect(missing);
  click(ui().editButton);
  EXPECT_EQ(prompts.shown.back().text, "Cannot open file " + missing);
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_FALSE(form.editMode().Button4->isEnabled());
  click(form.editMode().Button5);
  click(ui().browseButton);
  EXPECT_EQ(form.fileMode(), FileMode::Browse);
  EXPECT_EQ(prompts.shown.back().text, "Cannot open file " + missing);
  click(form.browseMode().Button2);
  // A named pipe is refused, not waited on.
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  listAndSelect(fifo);
  click(ui().browseButton);
  EXPECT_EQ(prompts.shown.back().text.rfind("Cannot open file " + fifo + "\n\n", 0), 0u);
  click(form.browseMode().Button2);

  // A failed save keeps the mode, the text and the file.
  const std::string path = dir.write("sub/keep.txt", "old\n");
  listAndSelect(path);
  click(ui().editButton);
  editor()->setPlainText(QStringLiteral("new\n"));
  ::chmod(dir.file("sub").c_str(), 0555);
  test::FaultyFileOps faulty;
  if (::geteuid() == 0) faulty.failCall(1, EACCES, "open");  // root writes anywhere
  form.editMode().setFileOps(faulty);
  click(form.editMode().Button4);
  EXPECT_EQ(prompts.shown.back().text.rfind("Cannot create file " + path + "\n\n", 0), 0u);
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_EQ(editor()->toPlainText(), QStringLiteral("new\n"));
  EXPECT_EQ(test::TempDir::read(path), "old\n");
  ::chmod(dir.file("sub").c_str(), 0755);
  form.editMode().setFileOps(platform::systemFileOps());

  // Changed by another program meanwhile: asked first; No keeps both texts.
  dir.write("sub/keep.txt", "theirs, longer\n");
  prompts.answers = {PromptAnswer::No, PromptAnswer::Yes};
  click(form.editMode().Button4);
  EXPECT_EQ(prompts.shown.back().kind, "ask");
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_EQ(test::TempDir::read(path), "theirs, longer\n");
  click(form.editMode().Button4);
  EXPECT_EQ(form.fileMode(), FileMode::Normal);
  EXPECT_EQ(test::TempDir::read(path), "new\n");

  // A file the user made read-only meanwhile is not saved over.
  listAndSelect(path);
  click(ui().editButton);
  editor()->setPlainText(QStringLiteral("newer\n"));
  ::chmod(path.c_str(), 0444);
  click(form.editMode().Button4);
  EXPECT_EQ(prompts.shown.back().text, "Cannot create file " + path + "\n\nThe file is read-only.");
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_EQ(test::TempDir::read(path), "new\n");
  prompts.answers = {PromptAnswer::No};  // leave without saving, if asked
  click(form.editMode().Button5);
  EXPECT_EQ(form.fileMode(), FileMode::Normal);
  EXPECT_EQ(test::TempDir::read(path), "new\n");

  // A Latin-1 file cannot take a character beyond it.
  const std::string latin1 = dir.write("l1.txt", "caf\xE9");
  listAndSelect(latin1);
  click(ui().editButton);
  editor()->insertPlainText(QStringLiteral("\u20AC"));
  click(form.editMode().Button4);
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_EQ(test::TempDir::read(latin1), "caf\xE9");
  click(form.editMode().Button5);
}

// Adding files, or cancelling Add Files, keeps the entry the user selected, and with it the
// file commands.
TEST_F(FileModes, AddingFilesKeepsTheSelection) {
  const std::string first = dir.write("a.txt", "a\n"), second = dir.write("b.txt", "b\n");
  listAndSelect(first);
  auto* list = ui().fileList;
  for (const std::vector<std::string>& chosen : {std::vector<std::string>{}, {second}}) {
    prompts.openNameLists.push_back(chosen);
    actions().addFiles->trigger();
    EXPECT_EQ(form.fileModel().rowCount(), chosen.empty() ? 1 : 2);
    EXPECT_TRUE(list->selectionModel()->isSelected(form.fileModel().index(0, 0)));
    EXPECT_TRUE(ui().browseButton->isEnabled());
    EXPECT_TRUE(enabled(actions().editFile));
  }
}

TEST_F(FileModes, ClosingIsRefusedWhileAModeIsOpenAndWrapIsKept) {
  const std::string path = dir.write("a.txt", "a long line\n");
  listAndSelect(path);
  for (QPushButton* mode : {ui().browseButton, ui().editButton}) {
    const bool browsing = mode == ui().browseButton;
    click(mode);
    EXPECT_FALSE(form.close());
    EXPECT_EQ(prompts.shown.back().text,
              browsing ? "You must close the Browse mode" : "You must close the Edit mode");
    EXPECT_EQ(prompts.shown.back().caption, "Warning");
    EXPECT_TRUE(form.isVisible());
    click(browsing ? form.browseMode().Button2 : form.editMode().Button5);
  }

  click(ui().editButton);
  auto* wrap = form.editMode().CheckBox6;
  EXPECT_FALSE(wrap->isChecked());
  EXPECT_EQ(editor()->lineWrapMode(), QPlainTextEdit::NoWrap);
  wrap->click();
  EXPECT_EQ(editor()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(editor()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  click(form.editMode().Button5);
  click(ui().editButton);
  EXPECT_TRUE(wrap->isChecked());
  EXPECT_EQ(editor()->lineWrapMode(), QPlainTextEdit::WidgetWidth);

  options.ConfirmOnExit = false;
  EXPECT_TRUE(form.close());
}

}  // namespace
}  // namespace tw
