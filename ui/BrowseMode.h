#pragma once
// The controls of browse mode inside the "Files" group of the main window: a read-only view
// of a listed file and "Return to normal state". An RTF file (name ending in ".rtf", any case)
// is shown formatted from the core's own RTF reader; an HTML page in an HTML view that follows
// its relative links and shows its pictures from the page's folder; a picture as a picture;
// any other file as plain text, unless its first bytes say it holds binary data: then only a
// message with its size is shown. Only the start of a large file is read (kShownBytes, for an
// RTF file kShownRtfBytes), with a note above the view saying so. Nothing here can change the
// file.

#include "config/Prompts.h"
#include "lang/TextTable.h"
#include "ui/MainLayout.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

class QLabel;
class QPushButton;
class QTextBrowser;
class QTextDocument;
class QWidget;

namespace tw {

class BrowseMode : public QObject {
  Q_OBJECT
 public:
  // How much of a file is read and shown at most.
  static constexpr std::int64_t kShownBytes = std::int64_t{4} << 20;
  static constexpr std::int64_t kShownRtfBytes = std::int64_t{32} << 20;

  // The controls are made children of `group`, hidden.
  BrowseMode(QWidget* group, Prompts& prompts);

  enum class View { Rtf, Html };
  // Which view shows `path`: the rich-text viewer for a name ending in ".rtf" (any case).
  static View viewFor(const std::string& path);
  // The caption of the "Files" group while `view` is shown.
  static QString captionFor(View view);

  // Shows `path` in its view. False after "Cannot open file %s" was shown: the view is empty
  // and the mode is left with "Return to normal state".
  bool open(const std::string& path);
  // Shows or hides the controls (the view of the file last opened).
  void setVisible(bool visible);
  void place(const MainLayout& layout);
  // Captions from the language's texts: "Return to normal state".
  void applyTexts(const TextTable& table);
  void setFocusToView();
  // Empties both views, so that a large file is not kept while the mode is closed.
  void clear();

  View view() const { return m_view; }
  // The view that shows the file last opened.
  QTextBrowser* shownView() const { return m_view == View::Rtf ? m_rtfView : m_pageView; }
  QTextBrowser* rtfView() const { return m_rtfView; }    // RTF files
  QTextBrowser* pageView() const { return m_pageView; }  // every other file
  QPushButton* returnButton() const { return m_returnButton; }
  // The line above the view that says when only part of the file is shown; hidden otherwise.
  QLabel* note() const { return m_note; }

 private:
  void arrange();

  QTextBrowser* m_rtfView = nullptr;
  QTextBrowser* m_pageView = nullptr;
  QPushButton* m_returnButton = nullptr;
  QLabel* m_note = nullptr;
  LayoutRect m_viewer;
  bool m_visible = false;
  Prompts& m_prompts;
  View m_view = View::Html;
};

// Whether the start of a file (its first few KiB) looks like binary data rather than text: a
// NUL byte, or more than one byte in ten that is a control character text does not use. A
// UTF-16 text with its byte-order mark is text.
bool looksBinary(std::string_view start);

// The message shown in place of a binary file of `size` bytes.
QString binaryFileMessage(std::int64_t size);
// The note above a file of `size` bytes of which only the first `shown` are shown.
QString partShownNote(std::int64_t shown, std::int64_t size);

// The formatted text of an RTF document as a rich-text document: paragraphs and their
// alignment, bold, italic, underline, point sizes, colours and fonts as the core's reader
// gives them.
void fillRtfDocument(QTextDocument& document, const std::string& rtfSource);

}  // namespace tw
