#include "ui/BrowseMode.h"

#include "ui/QtText.h"

#include "engine/EditedText.h"
#include "engine/rtf/RtfDocument.h"
#include "engine/rtf/RtfFormattedText.h"
#include "writeback/WriteBack.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextBrowser>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

namespace tw {

namespace {

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

// Plain text as it is: UTF-8 when it is valid, else one character per byte.
QString plainText(const std::string& bytes) {
  if (isValidUtf8(bytes)) return fromStd(bytes);
  return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
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

BrowseMode::BrowseMode(QWidget* group, Prompts& prompts) : QObject(group), m_prompts(prompts) {
  m_rtfView = makeView(group, QStringLiteral("RTF File"));
  m_rtfView->setOpenLinks(false);
  m_pageView = makeView(group, QStringLiteral("HTML preview"));
  m_returnButton = new QPushButton(group);
  m_returnButton->setAutoDefault(false);
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
  m_rtfView->setVisible(visible && m_view == View::Rtf);
  m_pageView->setVisible(visible && m_view == View::Html);
  m_returnButton->setVisible(visible);
}

void BrowseMode::place(const MainLayout& layout) {
  tw::place(m_rtfView, layout.viewer);
  tw::place(m_pageView, layout.viewer);
  tw::place(m_returnButton, layout.returnButton);
}

void BrowseMode::setFocusToView() {
  shownView()->setFocus();
}

void BrowseMode::clear() {
  m_rtfView->clear();
  m_pageView->setSource(QUrl());
  m_pageView->clear();
}

bool BrowseMode::open(const std::string& path) {
  clear();
  m_view = viewFor(path);
  // Read as a run reads a file: a FIFO or a device is refused rather than waited on.
  writeback::LoadedFile file;
  std::string error;
  const writeback::LoadResult read = writeback::loadFile(path, file, error);
  if (read == writeback::LoadResult::Missing || read == writeback::LoadResult::Failed) {
    m_prompts.inform("Cannot open file " + path + (error.empty() ? "" : "\n\n" + error),
                     "Textwright", PromptIcon::Error);
    return false;
  }
  const std::string& bytes = file.content;
  if (m_view == View::Rtf) {
    fillRtfDocument(*m_rtfView->document(), bytes);
    return true;
  }
  const QString name = fromStd(path);
  const QUrl url = QUrl::fromLocalFile(QFileInfo(name).absoluteFilePath());
  if (isHtmlName(path)) {
    // The page's relative links and pictures resolve against its own address.
    m_pageView->setSource(url, QTextDocument::HtmlResource);
  } else if (isPictureName(name)) {
    m_pageView->document()->setBaseUrl(url);
    m_pageView->setHtml(QStringLiteral("<img src=\"%1\">").arg(url.toString().toHtmlEscaped()));
  } else {
    m_pageView->setPlainText(plainText(bytes));
  }
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
