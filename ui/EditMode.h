#pragma once
// The controls of edit mode inside the "Files" group of the main window: the plain-text
// editor, "Wrap text", "Save changes and close" and "Discard changes and close". It reads a
// listed file into the editor and writes the editor's text back so that every byte the user
// did not edit stays as it was (text/EditedText.h); saving replaces the file atomically with
// its mode, owner and links kept, no backup made and the date not kept.

#include "config/Prompts.h"
#include "lang/TextTable.h"
#include "text/EditedText.h"
#include "ui/MainLayout.h"
#include "writeback/WriteBack.h"

#include <QObject>

#include <string>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace tw {

class EditMode : public QObject {
  Q_OBJECT
 public:
  // The controls are made children of `group`, hidden.
  EditMode(QWidget* group, Prompts& prompts);

  enum class Opened { Editing, Refused, Unreadable };
  // Reads `path` into the editor. Refused: the file holds NUL bytes or text the editor cannot
  // keep; the user was told and nothing else changed. Unreadable: "Cannot open file %s" was
  // shown; the editor is empty and cannot be saved, only left.
  Opened open(const std::string& path);
  // Shows or hides the controls (placed by `layout`).
  void setVisible(bool visible);
  void place(const MainLayout& layout);
  // Captions from the language's texts: the two buttons and "Wrap text".
  void applyTexts(const TextTable& table);

  // "Save changes and close": true when the text is on disk (or nothing had to be written)
  // and the mode may end; false keeps the mode and the text, after telling the user why.
  bool save();

  // Where the saving goes through; tests make single calls fail here.
  void setFileOps(platform::FileOps& ops) { m_ops = &ops; }

  // The editor's text as the editor holds it: UTF-8, line breaks "\n".
  std::string editorText() const;
  const TextFormat& format() const { return m_format; }

  QPlainTextEdit* editor() const { return m_editor; }
  QCheckBox* wrapTextBox() const { return m_wrapTextBox; }
  QPushButton* saveButton() const { return m_saveButton; }        // "Save changes and close"
  QPushButton* discardButton() const { return m_discardButton; }  // "Discard changes and close"

 private:
  void onWrapTextToggled();
  bool loadIntoEditor(const EditableText& text);

  QPlainTextEdit* m_editor = nullptr;
  QCheckBox* m_wrapTextBox = nullptr;
  QPushButton* m_saveButton = nullptr;
  QPushButton* m_discardButton = nullptr;
  Prompts& m_prompts;
  platform::FileOps* m_ops;
  writeback::LoadedFile m_file;
  bool m_loaded = false;
  TextFormat m_format;
};

}  // namespace tw
