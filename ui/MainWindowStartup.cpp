// The main window's start-up, activation and exit, its choice of language, and the tips
// window and about box it opens.

#include "ui/AboutDialog.h"
#include "ui/BrowseMode.h"
#include "ui/EditMode.h"
#include "ui/LanguageTexts.h"
#include "ui/MainWindow.h"
#include "ui/PairTableModel.h"
#include "ui/QtText.h"
#include "ui/QtTranslations.h"
#include "ui/TipsDialog.h"

#include "config/Settings.h"
#include "config/StartupSettings.h"
#include "lang/LanguageFile.h"
#include "lang/TextBindings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

namespace tw {

void MainWindow::setInfoWindows(TipsDialog* tips, AboutDialog* about) {
  m_tipsDialog = tips;
  m_aboutDialog = about;
  findChild<QAction*>(QStringLiteral("TipoftheDay1"))->setEnabled(tips != nullptr);
  findChild<QAction*>(QStringLiteral("About1"))->setEnabled(about != nullptr);
}

void MainWindow::ShowTips1Click() {
  if (!m_tipsDialog) return;
  m_tipsDialog->show();
  m_tipsDialog->raise();
  m_tipsDialog->activateWindow();
}

void MainWindow::About2Click() {
  if (m_aboutDialog) m_aboutDialog->exec();
}

// ---------------------------------------------------------------------------------------
// Language

bool MainWindow::applyLanguage(const QString& fileName) {
  if (fileName.isEmpty() || fileName == QLatin1String(kEnglishLanguage)) {
    m_texts.loadBuiltinTexts();
  } else {
    const QString path = languageFilePath(fileName);
    const std::string error = path.isEmpty() ? "Cannot open file " + toStd(fileName)
                                             : loadLanguageFile(toStd(path), m_texts);
    if (!error.empty()) {
      m_prompts.inform(error, "Warning", PromptIcon::Warning);
      return false;
    }
  }
  m_language = fileName == QLatin1String(kEnglishLanguage) ? QString() : fileName;
  // Qt's own dialogs and buttons follow, where Qt has a translation for the language.
  useQtTranslations(m_language);
  applyTexts(m_texts, this);
  m_browseMode->applyTexts(m_texts);
  m_editMode->applyTexts(m_texts);
  fitSwitchCaptions();
  fitButtonCaptions();
  return true;
}

bool MainWindow::changeLanguage(const QString& fileName) {
  if (!applyLanguage(fileName)) return false;
  m_settings.writeString(settings::kLanguage, toStd(m_language));
  return true;
}

QString MainWindow::languageName() const {
  return m_language.isEmpty() ? QString::fromLatin1(kEnglishLanguage) : m_language;
}

void MainWindow::attachLanguageList(QComboBox* list) {
  fillLanguageList(list, languageName());
  connect(list, &QComboBox::textActivated, this, [this, list](const QString& name) {
    if (!changeLanguage(name)) fillLanguageList(list, languageName());
  });
}

// The options box has a fixed width; a caption too wide for it (a wide desktop font, a
// longer language) gets a slightly smaller size rather than being cut off.
void MainWindow::fitSwitchCaptions() {
  const int switchWidth =
      computeMainLayout(MainLayout::kMinimumWidth, 400, false).switches[0].width;
  QFont optionsFont = GroupBox2->font();
  for (QCheckBox* box : CheckBox) box->setFont(optionsFont);
  auto widest = [this] {
    int w = 0;
    for (QCheckBox* box : CheckBox) w = std::max(w, box->sizeHint().width());
    return w;
  };
  while (widest() > switchWidth && optionsFont.pointSizeF() > 6.5) {
    optionsFont.setPointSizeF(optionsFont.pointSizeF() - 0.5);
    for (QCheckBox* box : CheckBox) box->setFont(optionsFont);
  }
}

// The buttons have fixed widths too; a caption that does not fit gets a smaller size.
void MainWindow::fitButtonCaptions() {
  auto needed = [](const QPushButton* b) {
    const QStyle* s = b->style();
    int w = b->fontMetrics().horizontalAdvance(QString(b->text()).remove(QLatin1Char('&')));
    if (!b->icon().isNull()) w += b->iconSize().width() + 4;
    return w + 2 * s->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) +
           2 * s->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
  };
  for (QPushButton* button :
       {BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6, Button1, Button3}) {
    QFont font = button->parentWidget()->font();
    if (button == Button1 || button == Button3) font.setPointSizeF(font.pointSizeF() * 0.85);
    button->setFont(font);
    while (needed(button) > button->width() && font.pointSizeF() > 6.5) {
      font.setPointSizeF(font.pointSizeF() - 0.5);
      button->setFont(font);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Start-up

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!m_shown && !event->spontaneous()) {
    m_shown = true;
    FormShow();
    // Where the window system does not make the new window active (no window manager, some
    // compositors), the first activation's work is done all the same.
    QTimer::singleShot(0, this, [this] {
      if (!m_activated) FormActivate();
    });
  }
}

void MainWindow::FormShow() {
  const QRect screenArea = screen()->availableGeometry();
  const StartupSettings s =
      readStartupSettings(m_settings, m_options, screenArea.width(), screenArea.height());
  m_showTips = s.showTips;
  if (s.firstRun) return;

  if (s.placement) {
    WindowPlacement p = *s.placement;
    // A place on a screen that is no longer there would put the window out of reach.
    if (!QGuiApplication::screenAt(QPoint(p.left + 40, p.top + 10))) {
      p.left = screenArea.x() + (screenArea.width() - kStartWidth) / 2;
      p.top = screenArea.y() + (screenArea.height() - kCentringHeight) / 2;
    }
    move(p.left, p.top);
    resize(p.width, p.height);
    if (p.maximized) setWindowState(windowState() | Qt::WindowMaximized);
  }

  // A language file that cannot be used is reported; the built-in texts stay, and the rest
  // of the start-up goes on.
  if (!applyLanguage(QString::fromStdString(s.language))) applyLanguage({});
  if (!s.previousProject.empty()) openAtStart(s.previousProject);
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void MainWindow::FormActivate() {
  m_pairModel->setHeaderData(0, Qt::Horizontal, fromStd(m_texts.text(39)));
  m_pairModel->setHeaderData(1, Qt::Horizontal, fromStd(m_texts.text(40)));
  if (m_activated) return;
  m_activated = true;
  QTimer::singleShot(1, this, [this] {
    if (m_showTips && m_tipsDialog) m_tipsDialog->exec();
  });
}

// ---------------------------------------------------------------------------------------
// Exit

void MainWindow::storeExitSettings() {
  const bool maximized = isMaximized();
  writeExitSettings(m_settings, m_options, m_config.FileName,
                    {x(), y(), width(), height(), maximized});
  const std::string error = m_settings.takeWriteError();
  if (error.empty() || m_settingsErrorShown) return;
  m_settingsErrorShown = true;
  m_prompts.inform(error +
                       " The window's place and the open configuration will not be "
                       "remembered for the next start.",
                   "Warning", PromptIcon::Warning);
}

}  // namespace tw
