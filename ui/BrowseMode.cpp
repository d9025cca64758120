#include "ui/BrowseMode.h"

#include "ui/QtText.h"

#include "engine/rtf/RtfDocument.h"
#include "engine/rtf/RtfFormattedText.h"
#include "platform/ErrorText.h"
#include "platform/Retry.h"
#include "platform/UniqueFd.h"
#include "text/EditedText.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextBrowser>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

namespace tw {

namespace {

// How much of a file's start decides whether it is text.
constexpr std::size_t kSniffBytes = 8192;

void place(QWidget* w, const LayoutRect& r) {
  w->setGeometry(r.x, r.y, r.width, r.height);
}

bool endsWithNoCase(const std::string& s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    char c = s[s.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}

bool isHtmlName(const std::string& path) {
  for (std::string_view ext : {".htm", ".html", ".xhtml", ".shtml", ".xht"})
    if (endsWithNoCase(path, ext)) return true;
  return false;
}

bool isPictureName(const QString& path) {
  const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
  return !suffix.isEmpty() && QImageReader::supportedImageFormats().contains(suffix);
}

bool startsWithUtf16Mark(std::string_view bytes) {
  return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

// The start of a file as read for showing: at most a limit of bytes.
struct FileStart {
  std::string bytes;
  std::int64_t size = 0;  // the whole file's, as it was when opened
  bool cut() const { return std::int64_t(bytes.size()) < size; }
};

// Reads at most `limit` bytes from the start of the file at `path`, never more, and never
// waits: a FIFO or a device is refused as the run refuses it. False with `error` set, or
// empty for a file that does not exist.
bool readStart(const std::string& path, std::int64_t limit, FileStart& out, std::string& error) {
  platform::FileOps& ops = platform::systemFileOps();
  platform::UniqueFd fd(ops,
                        ops.open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0));
  if (!fd) {
    if (errno != ENOENT) error = platform::failureText("Cannot open", path, errno);
    return false;
  }
  struct stat st {};
  if (ops.fstat(fd.get(), &st) != 0) {
    error = platform::failureText("Cannot read", path, errno);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    error = platform::failureText("Cannot read", path, EISDIR);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = "Cannot read " + platform::quoted(path) + ": Not a regular file";
    return false;
  }
  out.bytes.resize(std::size_t(std::min<std::int64_t>(st.st_size, limit)));
  std::size_t have = 0;
  while (have < out.bytes.size()) {
    const ssize_t n = platform::retryOnInterrupt(
        [&] { return ops.read(fd.get(), out.bytes.data() + have, out.bytes.size() - have); });
    if (n < 0) {
      error = platform::failureText("Cannot read", path, errno);
      return false;
    }
    if (n == 0) break;  // it shrank meanwhile
    have += std::size_t(n);
  }
  out.bytes.resize(have);
  out.size = std::max<std::int64_t>(st.st_size, std::int64_t(have));
  return true;
}

// A cut through the last character would make valid UTF-8 look like another encoding: an
// unfinished sequence at the end of the bytes read is left out.
void dropUnfinishedUtf8(std::string& bytes) {
  std::size_t back = 0;
  while (back < 3 && back < bytes.size() && (bytes[bytes.size() - 1 - back] & 0xC0) == 0x80) ++back;
  if (back == bytes.size()) return;
  const auto lead = static_cast<unsigned char>(bytes[bytes.size() - 1 - back]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (length > back + 1) bytes.resize(bytes.size() - 1 - back);
}

// Plain text as it is: UTF-16 after its byte-order mark, UTF-8 when it is valid, else one
// character per byte. `cut`: the bytes end where the reading stopped, not with the file.
QString plainText(std::string& bytes, bool cut) {
  if (startsWithUtf16Mark(bytes)) {
    if (cut) bytes.resize(bytes.size() & ~std::size_t{1});
    QStringDecoder decoder(bytes[0] == '\xFF' ? QStringConverter::Utf16LE
                                              : QStringConverter::Utf16BE);
    return decoder(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  }
  if (cut) dropUnfinishedUtf8(bytes);
  if (isValidUtf8(bytes)) return fromStd(bytes);
  return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

QString sizeText(std::int64_t bytes, int decimals) {
  return QLocale::c().formattedDataSize(bytes, decimals, QLocale::DataSizeIecFormat);
}

QTextBrowser* makeView(QWidget* group, const QString& accessibleName) {
  auto* view = new QTextBrowser(group);
  view->setAccessibleName(accessibleName);
  view->setOpenExternalLinks(true);
  view->setTextInteractionFlags(Qt::TextBrowserInteraction);
  return view;
}

Qt::Alignment qtAlignment(rtf::Alignment alignment) {
  switch (alignment) {
    case rtf::Alignment::Left:
      break;
    case rtf::Alignment::Right:
      return Qt::AlignRight;
    case rtf::Alignment::Centred:
      return Qt::AlignHCenter;
    case rtf::Alignment::Justified:
      return Qt::AlignJustify;
  }
  return Qt::AlignLeft;
}

}  // namespace

bool looksBinary(std::string_view start) {
  start = start.substr(0, kSniffBytes);
  if (startsWithUtf16Mark(start)) return false;
  std::size_t odd = 0;
  for (char c : start) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == 0) return true;
    // Tab, line feed, vertical tab, form feed, carriage return, backspace and escape (colour
    // codes in logs) are text.
    const bool control = (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\v' &&
                          byte != '\f' && byte != '\r' && byte != '\b' && byte != 0x1B) ||
                         byte == 0x7F;
    odd += control;
  }
  return odd * 10 > start.size();
}

QString binaryFileMessage(std::int64_t size) {
  return QStringLiteral("This file holds binary data (%1 bytes) and is not shown.").arg(size);
}

QString partShownNote(std::int64_t shown, std::int64_t size) {
  return QStringLiteral("Only the first %1 of %2 are shown.")
      .arg(sizeText(shown, 0), sizeText(size, 1));
}

BrowseMode::BrowseMode(QWidget* group, Prompts& prompts) : QObject(group), m_prompts(prompts) {
  m_rtfView = makeView(group, QStringLiteral("RTF File"));
  m_rtfView->setOpenLinks(false);
  m_pageView = makeView(group, QStringLiteral("HTML preview"));
  m_returnButton = new QPushButton(group);
  m_returnButton->setAutoDefault(false);
  // The note looks like a tool tip: it is about the view, not part of the file.
  m_note = new QLabel(group);
  m_note->setTextFormat(Qt::PlainText);
  m_note->setAutoFillBackground(true);
  m_note->setForegroundRole(QPalette::ToolTipText);
  m_note->setBackgroundRole(QPalette::ToolTipBase);
  m_note->setFrameShape(QFrame::StyledPanel);
  m_note->setMargin(3);
  applyTexts(TextTable());
  setVisible(false);
}

void BrowseMode::applyTexts(const TextTable& table) {
  m_returnButton->setText(fromStd(table.text(44)));
  m_returnButton->setAccessibleName(m_returnButton->text());
}

BrowseMode::View BrowseMode::viewFor(const std::string& path) {
  return endsWithNoCase(path, ".rtf") ? View::Rtf : View::Html;
}

QString BrowseMode::captionFor(View view) {
  return view == View::Rtf ? QStringLiteral("RTF File") : QStringLiteral("HTML preview");
}

void BrowseMode::setVisible(bool visible) {
  m_visible = visible;
  m_rtfView->setVisible(visible && m_view == View::Rtf);
  m_pageView->setVisible(visible && m_view == View::Html);
  m_returnButton->setVisible(visible);
  arrange();
}

void BrowseMode::place(const MainLayout& layout) {
  m_viewer = layout.viewer;
  tw::place(m_returnButton, layout.returnButton);
  arrange();
}

// The views fill the viewer's place, below the note when there is one.
void BrowseMode::arrange() {
  const bool noted = m_visible && !m_note->text().isEmpty();
  m_note->setVisible(noted);
  LayoutRect view = m_viewer;
  if (noted) {
    const int height = m_note->sizeHint().height();
    tw::place(m_note, {m_viewer.x, m_viewer.y, m_viewer.width, height});
    view.y += height + 2;
    view.height = std::max(0, view.height - height - 2);
  }
  tw::place(m_rtfView, view);
  tw::place(m_pageView, view);
}

void BrowseMode::setFocusToView() {
  shownView()->setFocus();
}

void BrowseMode::clear() {
  m_rtfView->clear();
  m_pageView->setSource(QUrl());
  m_pageView->clear();
  m_note->clear();
  arrange();
}

bool BrowseMode::open(const std::string& path) {
  clear();
  m_view = viewFor(path);
  const QString name = fromStd(path);
  const bool html = m_view == View::Html && isHtmlName(path);
  const bool picture = m_view == View::Html && !html && isPictureName(name);
  // A picture is read by the view itself; its start only shows that it can be read.
  const std::int64_t limit = m_view == View::Rtf ? kShownRtfBytes
                             : picture           ? std::int64_t(kSniffBytes)
                                                 : kShownBytes;
  FileStart file;
  std::string error;
  if (!readStart(path, limit, file, error)) {
    m_prompts.inform("Cannot open file " + path + (error.empty() ? "" : "\n\n" + error),
                     "Textwright", PromptIcon::Error);
    return false;
  }
  if (file.cut() && !picture)
    m_note->setText(partShownNote(std::int64_t(file.bytes.size()), file.size));
  const QUrl url = QUrl::fromLocalFile(QFileInfo(name).absoluteFilePath());
  if (m_view == View::Rtf) {
    fillRtfDocument(*m_rtfView->document(), file.bytes);
  } else if (picture) {
    m_pageView->document()->setBaseUrl(url);
    m_pageView->setHtml(QStringLiteral("<img src=\"%1\">").arg(url.toString().toHtmlEscaped()));
  } else if (html && !file.cut()) {
    // The page's relative links and pictures resolve against its own address.
    m_pageView->setSource(url, QTextDocument::HtmlResource);
  } else if (looksBinary(file.bytes)) {
    m_note->clear();
    m_pageView->setPlainText(binaryFileMessage(file.size));
  } else if (html) {
    m_pageView->document()->setBaseUrl(url);
    m_pageView->setHtml(plainText(file.bytes, true));
  } else {
    m_pageView->setPlainText(plainText(file.bytes, file.cut()));
  }
  arrange();
  return true;
}

void fillRtfDocument(QTextDocument& document, const std::string& rtfSource) {
  document.clear();
  const rtf::Document doc = rtf::parse(rtfSource);
  const std::vector<rtf::FormattedParagraph> paragraphs = rtf::formattedText(doc);
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  bool first = true;
  for (const rtf::FormattedParagraph& p : paragraphs) {
    QTextBlockFormat block;
    block.setAlignment(qtAlignment(p.alignment));
    if (first)
      cursor.setBlockFormat(block);
    else
      cursor.insertBlock(block);
    first = false;
    for (const rtf::TextRun& run : p.runs) {
      QTextCharFormat f;
      f.setFontWeight(run.format.bold ? QFont::Bold : QFont::Normal);
      f.setFontItalic(run.format.italic);
      f.setFontUnderline(run.format.underline);
      f.setFontPointSize(run.pointSize() > 0 ? run.pointSize() : 12);
      if (run.format.colour) f.setForeground(QColor(QRgb(*run.format.colour)));
      if (auto font = doc.fonts.find(run.format.font); font != doc.fonts.end()) {
        if (!font->second.name.empty()) f.setFontFamilies({fromStd(font->second.name)});
        if (font->second.fixedPitch) {
          f.setFontFixedPitch(true);
          f.setFontStyleHint(QFont::TypeWriter);
        }
      }
      QString text = fromStd(run.text);
      // A line break inside a paragraph (\line) stays inside it.
      text.replace(QChar(0x0B), QChar::LineSeparator);
      cursor.insertText(text, f);
    }
  }
  cursor.endEditBlock();
}

}  // namespace tw
