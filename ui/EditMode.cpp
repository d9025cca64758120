#include "ui/EditMode.h"

#include "ui/QtText.h"

#include "text/Utf16.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

void place(QWidget* w, const LayoutRect& r) {
  w->setGeometry(r.x, r.y, r.width, r.height);
}

// Whether the file behind `file` is still the one that was read: same inode, size and time.
bool unchangedOnDisk(const writeback::LoadedFile& file) {
  struct stat st {};
  const writeback::FileSite& site = file.site;
  return site.folder && site.folder->look(site.name, st).ok() && file.identity.unchangedIn(st);
}

// Whether the file's permission bits let this user write it: the owner's bits for its owner
// (and for root, who could write anything), else the group's or the others'.
bool writableByItsUser(const struct stat& st) {
  const uid_t user = ::geteuid();
  if (user == 0 || st.st_uid == user) return (st.st_mode & S_IWUSR) != 0;
  if (st.st_gid == ::getegid()) return (st.st_mode & S_IWGRP) != 0;
  return (st.st_mode & S_IWOTH) != 0;
}

// The editor's text for the core's, and back, for a UTF-16 file. Its text may hold lone
// surrogates, in their three-byte form, which Qt's UTF-8 would replace: the crossing goes
// through the core's UTF-16, which keeps each of them as one unit of the QString. Other files
// cross with fromStd and toStd, so that nothing but valid UTF-8 is ever saved into them.
QString toEditor(std::string_view text) {
  const EncodedText units = text::encodeUtf16(text, text::ByteOrder::LittleEndian);
  if (!units.ok()) return fromStd(text);
  QString out(qsizetype(units.bytes.size() / 2), Qt::Uninitialized);
  QChar* unit = out.data();
  for (std::size_t i = 0; i + 1 < units.bytes.size(); i += 2)
    *unit++ = QChar(char16_t(static_cast<unsigned char>(units.bytes[i]) |
                             static_cast<unsigned char>(units.bytes[i + 1]) << 8));
  return out;
}

bool isUtf16(TextEncoding encoding) {
  return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
}

std::string fromEditor(const QString& text) {
  std::string units;
  units.reserve(std::size_t(text.size()) * 2);
  for (const QChar c : text) {
    units += static_cast<char>(c.unicode() & 0xFF);
    units += static_cast<char>(c.unicode() >> 8);
  }
  return text::decodeUtf16(units, text::ByteOrder::LittleEndian).text;
}

}  // namespace

EditMode::EditMode(QWidget* group, Prompts& prompts)
    : QObject(group), m_prompts(prompts), m_ops(&platform::systemFileOps()) {
  m_editor = new QPlainTextEdit(group);
  m_editor->setAccessibleName(QStringLiteral("File text"));
  m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Plain text the way it is in the file: a fixed-width font, tabs at eight columns.
  QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  m_editor->setFont(mono);
  m_editor->setTabStopDistance(QFontMetricsF(mono).horizontalAdvance(QLatin1Char(' ')) * 8);

  // "Wrap text" keeps its state from one use of edit mode to the next: it lives as long as the
  // window.
  m_wrapTextBox = new QCheckBox(group);
  connect(m_wrapTextBox, &QCheckBox::toggled, this, &EditMode::onWrapTextToggled);

  auto button = [group] {
    auto* b = new QPushButton(group);
    b->setAutoDefault(false);
    return b;
  };
  m_saveButton = button();
  m_discardButton = button();
  applyTexts(TextTable());
  setVisible(false);
}

void EditMode::applyTexts(const TextTable& table) {
  const std::pair<QAbstractButton*, int> captions[] = {
      {m_saveButton, 41}, {m_discardButton, 42}, {m_wrapTextBox, 43}};
  for (auto [control, slot] : captions) {
    control->setText(fromStd(table.text(slot)));
    control->setAccessibleName(control->text());
  }
}

void EditMode::setVisible(bool visible) {
  for (QWidget* w :
       std::initializer_list<QWidget*>{m_editor, m_wrapTextBox, m_saveButton, m_discardButton})
    w->setVisible(visible);
}

void EditMode::place(const MainLayout& layout) {
  tw::place(m_editor, layout.viewer);
  tw::place(m_wrapTextBox, layout.wrapText);
  tw::place(m_saveButton, layout.saveButton);
  tw::place(m_discardButton, layout.discardButton);
}

void EditMode::onWrapTextToggled() {
  const bool wrap = m_wrapTextBox->isChecked();
  m_editor->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  m_editor->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
}

std::string EditMode::editorText() const {
  // The raw text keeps no-break spaces as they are; blocks are separated by U+2029.
  QString text = m_editor->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  return isUtf16(m_format.encoding) ? fromEditor(text) : toStd(text);
}

bool EditMode::loadIntoEditor(const EditableText& text) {
  m_format = text.format;
  m_editor->setPlainText(isUtf16(m_format.encoding) ? toEditor(text.text) : fromStd(text.text));
  return editorText() == text.text;
}

EditMode::Opened EditMode::open(const std::string& path) {
  m_loaded = false;
  m_file = {};
  m_editor->clear();
  m_saveButton->setEnabled(false);
  std::string error;
  const writeback::LoadResult read = writeback::loadFile(path, m_file, error, *m_ops);
  if (read == writeback::LoadResult::Missing || read == writeback::LoadResult::Failed) {
    m_prompts.inform("Cannot open file " + path + (error.empty() ? "" : "\n\n" + error),
                     "Textwright", PromptIcon::Error);
    return Opened::Unreadable;
  }
  std::optional<EditableText> text = decodeForEditing(m_file.content);
  if (!text) {
    m_prompts.inform("The file " + path +
                         " holds NUL bytes (binary data). It is not opened for editing: the "
                         "editor cannot keep them.",
                     "Warning", PromptIcon::Warning);
    return Opened::Refused;
  }
  // A character the editor would not give back as it was read (a paragraph separator, say)
  // falls back to one character per byte, which it always keeps.
  bool kept = loadIntoEditor(*text);
  if (!kept && text->format.encoding == TextEncoding::Utf8) {
    text = decodeForEditing(m_file.content, TextEncoding::Latin1);
    kept = loadIntoEditor(*text);
  }
  if (!kept) {
    m_editor->clear();
    m_prompts.inform("The file " + path +
                         " cannot be edited as text: the editor would change some of its "
                         "characters.",
                     "Warning", PromptIcon::Warning);
    return Opened::Refused;
  }
  m_format = text->format;
  m_loaded = true;
  m_saveButton->setEnabled(true);
  m_editor->document()->setModified(false);
  m_editor->moveCursor(QTextCursor::Start);
  return Opened::Editing;
}

bool EditMode::save() {
  if (!m_loaded) return false;
  const std::string& path = m_file.listedPath;
  const EncodedText encoded = encodeEdited(editorText(), m_format);
  if (!encoded.ok()) {
    m_prompts.inform("The text holds characters that cannot be saved in the 8-bit encoding of " +
                         path + ". Remove them, or save the text with another program.",
                     "Warning", PromptIcon::Warning);
    return false;
  }
  // Saving what the file already holds would change nothing but its date.
  if (encoded.bytes == m_file.content && unchangedOnDisk(m_file)) return true;

  // The file as it is now, read through the file operations the mode writes with.
  writeback::LoadedFile target;
  std::string error;
  const writeback::LoadResult now = writeback::loadFile(path, target, error, *m_ops);
  if (now == writeback::LoadResult::Failed) {
    m_prompts.inform("Cannot create file " + path + "\n\n" + error, "Textwright",
                     PromptIcon::Error);
    return false;
  }
  // A file made read-only is not saved over behind the user's back.
  struct stat st {};
  if (now != writeback::LoadResult::Missing &&
      target.site.folder->look(target.site.name, st).ok() && !writableByItsUser(st)) {
    m_prompts.inform("Cannot create file " + path + "\n\nThe file is read-only.", "Textwright",
                     PromptIcon::Error);
    return false;
  }
  const bool changed = now == writeback::LoadResult::Missing ||
                       target.identity.id != m_file.identity.id ||
                       target.identity.stamp != m_file.identity.stamp;
  if (changed) {
    const PromptAnswer answer =
        m_prompts.ask("The file " + path +
                          " has been changed by another program since it was opened for "
                          "editing.\nDo you want to save your text over it?",
                      "Question", PromptButtons::YesNo, PromptIcon::Question);
    if (answer != PromptAnswer::Yes) return false;
  }
  if (now == writeback::LoadResult::Missing) {
    // Deleted meanwhile: the text becomes the file again.
    const platform::IoStatus written = platform::writeFileAtomically(path, encoded.bytes);
    if (!written) {
      m_prompts.inform("Cannot create file " + path + "\n\n" + written.error, "Textwright",
                       PromptIcon::Error);
      return false;
    }
    return true;
  }
  writeback::WriteBackOptions options;
  options.createBackup = false;
  options.keepDate = false;
  options.keepAttributes = true;
  const platform::IoStatus written = writeback::writeBack(target, encoded.bytes, options);
  if (!written) {
    m_prompts.inform("Cannot create file " + path + "\n\n" + written.error, "Textwright",
                     PromptIcon::Error);
    return false;
  }
  return true;
}

}  // namespace tw
