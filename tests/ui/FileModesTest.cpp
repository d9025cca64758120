#include "ui/BrowseMode.h"
#include "ui/EditMode.h"
#include "ui/FileListModel.h"
#include "ui/MainWindow.h"
#include "ui/OptionsDialog.h"

#include "MainWindowFixture.h"
#include "QtPrinters.h"
#include "support/FaultyFileOps.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
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

namespace tw {
namespace {

using namespace std::string_literals;

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
  void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
  void browseFile() { click(ui().browseButton); }
  void editFile() { click(ui().editButton); }
  void returnToNormal() { click(browse().returnButton()); }
  void saveAndClose() { click(form.editMode().saveButton()); }
  void discardAndClose() { click(form.editMode().discardButton()); }
  static bool enabled(const QAction* command) { return command->isEnabled(); }
  QRect rect(const LayoutRect& r) { return QRect(r.x, r.y, r.width, r.height); }
  BrowseMode& browse() { return form.browseMode(); }
  QPlainTextEdit* editor() { return form.editMode().editor(); }
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
  enum class Enter { BrowseFileCommand, BrowseFilePopUp, BrowseFileButton, EditFilePopUp };
  QTextBrowser* rtfView = browse().rtfView();
  QTextBrowser* pageView = browse().pageView();
  struct Case {
    std::string path;
    Enter enter;    // how the mode is opened
    QWidget* view;  // the control showing the file
    QString title;
    QPushButton* leave;
  };
  const Case cases[] = {
      {rtf, Enter::BrowseFileCommand, rtfView, "RTF File", browse().returnButton()},
      {page, Enter::BrowseFilePopUp, pageView, "HTML preview", browse().returnButton()},
      {text, Enter::BrowseFileButton, pageView, "HTML preview", browse().returnButton()},
      {text, Enter::EditFilePopUp, editor(), "Edit File", form.editMode().discardButton()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.view->accessibleName().toStdString() + " " + c.path);
    listAndSelect(c.path);
    ASSERT_TRUE(ui().browseButton->isEnabled());
    ASSERT_TRUE(enabled(actions().editFile));
    switch (c.enter) {
      case Enter::BrowseFileCommand:
        actions().browseFile->trigger();
        break;
      case Enter::BrowseFilePopUp:
        entry(actions().fileListMenu, "Browse File")->trigger();
        break;
      case Enter::BrowseFileButton:
        browseFile();
        break;
      case Enter::EditFilePopUp:
        entry(actions().fileListMenu, "Edit File")->trigger();
        break;
    }
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
  browseFile();
  QTextDocument* doc = rtfView->document();
  EXPECT_TRUE(doc->toPlainText().contains(QStringLiteral("crème brûlée")));
  const QTextCursor seeds = doc->find(QStringLiteral("seeds"));
  ASSERT_FALSE(seeds.isNull());
  EXPECT_EQ(seeds.charFormat().fontWeight(), QFont::Bold);
  returnToNormal();
  listAndSelect(page);
  browseFile();
  EXPECT_EQ(pageView->toPlainText().left(5), QStringLiteral("Hello"));
  EXPECT_FALSE(pageView->loadResource(QTextDocument::ImageResource, QUrl("pic.png")).isNull());
  returnToNormal();
  listAndSelect(text);
  browseFile();
  EXPECT_EQ(pageView->toPlainText(), QStringLiteral("<b>not bold</b>\n"));
  returnToNormal();

  // A mode follows the window's size.
  editFile();
  form.resize(900, 700);
  QApplication::processEvents();
  EXPECT_EQ(form.editMode().discardButton()->geometry(), rect(form.currentLayout().discardButton));
  EXPECT_EQ(editor()->geometry(), rect(form.currentLayout().viewer));
  EXPECT_EQ(form.currentLayout().viewer.width, form.centralWidget()->width() - 15);
  discardAndClose();

  // Emptying the list disables both commands.
  actions().deleteAllFiles->trigger();
  EXPECT_FALSE(ui().browseButton->isEnabled());
  EXPECT_FALSE(enabled(actions().editFile));
}

// Regression: browse read the whole file and showed anything that was not HTML as text, so a
// sound file showed its bytes and a log of gigabytes filled the memory.
TEST_F(FileModes, BrowseShowsBinaryDataAsSuchAndOnlyTheStartOfALargeFile) {
  constexpr std::int64_t kLimit = BrowseMode::kShownBytes;
  std::string sound = std::string("ID3\x04\0\0\0\0\0\x17", 10);
  for (int i = 0; sound.size() < 200'000; ++i) sound += char((i * 7919) % 251);
  std::string controls;
  for (int i = 0; controls.size() < 4096; ++i)
    controls +=
        "\x01\x02\x03\x04\x05\x06\x0E\x0F"
        "ab"[i % 10];
  // "ligne \xC3\xA9\n" is 9 bytes: the cut after 4 MiB falls inside the "é" of a line.
  std::string lines;
  while (std::int64_t(lines.size()) < kLimit + 1000) lines += "ligne \xC3\xA9\n";
  ASSERT_EQ(kLimit % 9, 7);
  std::string sparseStart;
  while (std::int64_t(sparseStart.size()) < kLimit + 10) sparseStart += "0123456789abcdef\n";
  const std::string utf16 = std::string("\xFF\xFEh\0i\0\n\0", 8);

  struct Case {
    const char* name;
    std::string bytes;
    std::int64_t size;  // with a sparse end after the bytes
    QString shown;
    QString note;  // empty: none shown
  };
  const Case cases[] = {
      {"song.mp3", sound, 0, "This file holds binary data (200000 bytes) and is not shown.", ""},
      {"table.dat", controls, 0, "This file holds binary data (4096 bytes) and is not shown.", ""},
      {"lines.log", lines, 0, QString::fromUtf8(lines.data(), kLimit - 1),
       "Only the first 4 MiB of 4.0 MiB are shown."},
      {"sparse.log", sparseStart, std::int64_t{64} << 20,
       QString::fromLatin1(sparseStart.data(), kLimit),
       "Only the first 4 MiB of 64.0 MiB are shown."},
      {"latin1.txt", "caf\xE9 cr\xE8me\n", 0, "caf\u00E9 cr\u00E8me\n", ""},
      {"utf16.txt", utf16, 0, "hi\n", ""},
      {"utf16be.txt", "\xFE\xFF\0h\xD8\x3D\xDE\x00"s, 0, "h\U0001F600", ""},
      {"colours.log", "\x1B[31mred\x1B[0m\tand\nplain\f\n", 0, "\x1B[31mred\x1B[0m\tand\nplain\f\n",
       ""},
      {"empty.txt", "", 0, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.write(c.name, c.bytes);
    if (c.size) {
      ASSERT_EQ(::truncate(path.c_str(), c.size), 0);
    }
    listAndSelect(path);
    browseFile();
    ASSERT_EQ(form.fileMode(), FileMode::Browse);
    QTextBrowser* view = browse().pageView();
    EXPECT_TRUE(view->isVisible());
    const QString text = view->toPlainText();
    EXPECT_EQ(text.size(), c.shown.size());
    EXPECT_TRUE(text == c.shown) << text.left(80).toStdString();
    QLabel* note = browse().note();
    EXPECT_EQ(note->isVisible(), !c.note.isEmpty());
    if (!c.note.isEmpty()) {
      EXPECT_EQ(note->text(), c.note);
      // The note sits above the view, both inside the viewer's place.
      const QRect viewer = rect(form.currentLayout().viewer);
      EXPECT_EQ(note->geometry().top(), viewer.top());
      EXPECT_GT(view->geometry().top(), note->geometry().bottom());
      EXPECT_EQ(view->geometry().bottom(), viewer.bottom());
    } else {
      EXPECT_EQ(view->geometry(), rect(form.currentLayout().viewer));
    }
    returnToNormal();
  }
  EXPECT_EQ(partShownNote(kLimit, std::int64_t{2} << 30),
            "Only the first 4 MiB of 2.0 GiB are shown.");
}

// Regression: every paragraph of an RTF file showed left-aligned.
TEST_F(FileModes, BrowsedRtfParagraphsKeepTheirAlignment) {
  const std::string rtf = dir.write(
      "aligned.rtf",
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\qc\\b Title\\b0\\par"
      "\\pard plain\\par\\qr right\\par\\qj justified\\par\\pard\\ql left\\par{\\qc last}}");
  listAndSelect(rtf);
  browseFile();
  ASSERT_EQ(form.fileMode(), FileMode::Browse);
  const QTextDocument* doc = browse().rtfView()->document();
  const std::pair<const char*, Qt::Alignment> expected[] = {
      {"Title", Qt::AlignHCenter},     {"plain", Qt::AlignLeft}, {"right", Qt::AlignRight},
      {"justified", Qt::AlignJustify}, {"left", Qt::AlignLeft},  {"last", Qt::AlignHCenter}};
  ASSERT_EQ(doc->blockCount(), int(std::size(expected)));
  for (const auto& [text, alignment] : expected) {
    const QTextBlock block = doc->find(QString::fromLatin1(text)).block();
    EXPECT_EQ(block.text(), QString::fromLatin1(text));
    EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, alignment) << text;
  }
  returnToNormal();
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
      // UTF-16 LE: a lone surrogate, a non-BMP character and an odd last byte are kept.
      {"utf16le.txt",
       "\xFF\xFE"
       "a\0\r\0\n\0\x00\xD8\x3D\xD8\x00\xDE\x41"s,
       "\n\xC3\xA9",
       "\xFF\xFE"
       "a\0\r\0\n\0\x00\xD8\x3D\xD8\x00\xDE\r\0\n\0\xE9\0\x41"s},
      {"utf16be.txt", "\xFE\xFF\0h\0i"s, "!", "\xFE\xFF\0h\0i\0!"s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.write(c.name, c.bytes);
    ::chmod(path.c_str(), 0640);
    listAndSelect(path);
    editFile();
    ASSERT_EQ(form.fileMode(), FileMode::Edit);
    editor()->moveCursor(QTextCursor::End);
    editor()->insertPlainText(QString::fromStdString(c.typed));
    saveAndClose();
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
  editFile();
  EXPECT_EQ(form.fileMode(), FileMode::Normal);
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_NE(prompts.shown[0].text.find("NUL"), std::string::npos);

  // A file that cannot be read: the mode opens with its own buttons, and cannot save.
  const std::string missing = dir.file("missing.txt");
  listAndSelect(missing);
  editFile();
  EXPECT_EQ(prompts.shown.back().text, "Cannot open file " + missing);
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_FALSE(form.editMode().saveButton()->isEnabled());
  discardAndClose();
  browseFile();
  EXPECT_EQ(form.fileMode(), FileMode::Browse);
  EXPECT_EQ(prompts.shown.back().text, "Cannot open file " + missing);
  returnToNormal();
  // A named pipe is refused, not waited on.
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  listAndSelect(fifo);
  browseFile();
  EXPECT_EQ(prompts.shown.back().text.rfind("Cannot open file " + fifo + "\n\n", 0), 0u);
  returnToNormal();

  // A failed save keeps the mode, the text and the file.
  const std::string path = dir.write("sub/keep.txt", "old\n");
  listAndSelect(path);
  editFile();
  editor()->setPlainText(QStringLiteral("new\n"));
  ::chmod(dir.file("sub").c_str(), 0555);
  test::FaultyFileOps faulty;
  if (::geteuid() == 0) faulty.failCall(1, EACCES, "open");  // root writes anywhere
  form.editMode().setFileOps(faulty);
  saveAndClose();
  EXPECT_EQ(prompts.shown.back().text.rfind("Cannot create file " + path + "\n\n", 0), 0u);
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_EQ(editor()->toPlainText(), QStringLiteral("new\n"));
  EXPECT_EQ(test::TempDir::read(path), "old\n");
  ::chmod(dir.file("sub").c_str(), 0755);
  form.editMode().setFileOps(platform::systemFileOps());

  // Changed by another program meanwhile: asked first; No keeps both texts.
  dir.write("sub/keep.txt", "theirs, longer\n");
  prompts.answers = {PromptAnswer::No, PromptAnswer::Yes};
  saveAndClose();
  EXPECT_EQ(prompts.shown.back().kind, "ask");
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_EQ(test::TempDir::read(path), "theirs, longer\n");
  saveAndClose();
  EXPECT_EQ(form.fileMode(), FileMode::Normal);
  EXPECT_EQ(test::TempDir::read(path), "new\n");

  // A file the user made read-only meanwhile is not saved over.
  listAndSelect(path);
  editFile();
  editor()->setPlainText(QStringLiteral("newer\n"));
  ::chmod(path.c_str(), 0444);
  saveAndClose();
  EXPECT_EQ(prompts.shown.back().text, "Cannot create file " + path + "\n\nThe file is read-only.");
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_EQ(test::TempDir::read(path), "new\n");
  prompts.answers = {PromptAnswer::No};  // leave without saving, if asked
  discardAndClose();
  EXPECT_EQ(form.fileMode(), FileMode::Normal);
  EXPECT_EQ(test::TempDir::read(path), "new\n");

  // A Latin-1 file cannot take a character beyond it.
  const std::string latin1 = dir.write("l1.txt", "caf\xE9");
  listAndSelect(latin1);
  editFile();
  editor()->insertPlainText(QStringLiteral("\u20AC"));
  saveAndClose();
  EXPECT_EQ(form.fileMode(), FileMode::Edit);
  EXPECT_EQ(test::TempDir::read(latin1), "caf\xE9");
  discardAndClose();
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
  const bool browsing[] = {true, false};
  for (bool browseMode : browsing) {
    browseMode ? browseFile() : editFile();
    EXPECT_FALSE(form.close());
    EXPECT_EQ(prompts.shown.back().text,
              browseMode ? "You must close the Browse mode" : "You must close the Edit mode");
    EXPECT_EQ(prompts.shown.back().caption, "Warning");
    EXPECT_TRUE(form.isVisible());
    browseMode ? returnToNormal() : discardAndClose();
  }

  editFile();
  QCheckBox* wrap = form.editMode().wrapTextBox();
  EXPECT_FALSE(wrap->isChecked());
  EXPECT_EQ(editor()->lineWrapMode(), QPlainTextEdit::NoWrap);
  wrap->click();
  EXPECT_EQ(editor()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(editor()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  discardAndClose();
  editFile();
  EXPECT_TRUE(wrap->isChecked());
  EXPECT_EQ(editor()->lineWrapMode(), QPlainTextEdit::WidgetWidth);

  options.ConfirmOnExit = false;
  EXPECT_TRUE(form.close());
}

}  // namespace
}  // namespace tw
