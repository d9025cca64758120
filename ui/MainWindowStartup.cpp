// The main window's start-up, activation and exit, and its choice of language.

#include "ui/LanguageTexts.h"
#include "ui/MainWindow.h"
#include "ui/PairTableModel.h"
#include "ui/ProcessingDialog.h"
#include "ui/QtText.h"
#include "ui/QtTranslations.h"
#include "ui/TipsDialog.h"

#include "config/ConfigurationCommands.h"
#include "config/Settings.h"
#include "config/StartupSettings.h"
#include "lang/LanguageFile.h"
#include "lang/TextBindings.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

namespace tw {

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
  tw::applyTexts(m_texts, this);
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

// ---------------------------------------------------------------------------------------
// Start-up

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!m_shown && !event->spontaneous()) {
    m_shown = true;
    restoreStartupState();
    // Where the window system does not make the new window active (no window manager, some
    // compositors), the first activation's work is done all the same.
    QTimer::singleShot(0, this, [this] {
      if (!m_activated) onActivated();
    });
  }
}

void MainWindow::restoreStartupState() {
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
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) onActivated();
}

void MainWindow::onActivated() {
  m_pairModel->setHeaderData(0, Qt::Horizontal, fromStd(m_texts.text(39)));
  m_pairModel->setHeaderData(1, Qt::Horizontal, fromStd(m_texts.text(40)));
  if (m_activated) return;
  m_activated = true;
  QTimer::singleShot(1, this, [this] {
    if (m_showTips && m_tipsDialog) m_tipsDialog->exec();
  });
}

// ---------------------------------------------------------------------------------------
// Exit, and the choices the options dialog keeps at once

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

void MainWindow::storeChosenOptions() {
  if (!settings::storeUnicodeLetters(m_settings, m_options.UnicodeLetters)) return;
  const std::string error = m_settings.takeWriteError();
  if (error.empty() || m_settingsErrorShown) return;
  m_settingsErrorShown = true;
  m_prompts.inform(error +
                       " The choice of Unicode letters will not be remembered for the next "
                       "start.",
                   "Warning", PromptIcon::Warning);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // During a run the user is asked first; on Yes the run stops within the file in progress and
  // the window closes as soon as it has (onGo), with the usual questions of a close.
  if (m_processingDialog && m_processingDialog->isRunning()) {
    if (m_processingDialog->askToStop()) m_closeWhenRunEnds = true;
    event->ignore();
    return;
  }
  // An open mode is closed by its own buttons first (unless exits are not confirmed).
  if (m_mode != FileMode::Normal && m_options.ConfirmOnExit) {
    m_prompts.inform(
        m_texts.text(m_mode == FileMode::Edit ? kCloseEditModeSlot : kCloseBrowseModeSlot),
        m_texts.text(kWarningSlot), PromptIcon::Warning);
    // The settings are written at every close request, also a refused one.
    storeExitSettings();
    event->ignore();
    return;
  }
  const bool mayClose = ConfirmClose(m_config, m_options, m_prompts, m_settings);
  showConfiguration();
  // Also when the window stays open: the placement and the previous project are kept.
  storeExitSettings();
  if (mayClose)
    event->accept();
  else
    event->ignore();
}

}  // namespace tw
