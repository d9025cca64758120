#pragma once
// Every window of the desktop program, created once in their fixed order and wired to the main
// window. All but the main window are modal and owned by it; the main window puts the texts of
// the chosen language into all of them.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "config/SettingsStore.h"
#include "ui/AboutDialog.h"
#include "ui/ConfirmDialog.h"
#include "ui/MainWindow.h"
#include "ui/OptionsDialog.h"
#include "ui/ProcessingDialog.h"
#include "ui/QtPrompts.h"
#include "ui/ResultsDialog.h"
#include "ui/ScanDialog.h"
#include "ui/ScanProgressDialog.h"
#include "ui/TipsDialog.h"

#include <QApplication>
#include <QFont>

namespace tw {

// One font for every window, dialogs and message boxes as well as the main window.
inline void useProgramFont() {
  QFont font = QApplication::font();
  font.setPointSize(kWindowFontPointSize);
  QApplication::setFont(font);
}

class ProgramWindows {
 public:
  ProgramWindows(Configuration& config, AppOptions& options, QtPrompts& prompts,
                 SettingsStore& settings)
      : mainWindow(config, options, prompts, settings),
        confirmDialog(&mainWindow),
        resultsDialog(prompts, &mainWindow),
        scanDialog(prompts, settings, &mainWindow),
        scanProgressDialog(&mainWindow),
        aboutDialog(&mainWindow),
        processingDialog(confirmDialog, prompts, &mainWindow),
        optionsDialog(options, config, &mainWindow),
        tipsDialog(settings, &mainWindow) {
    prompts.setParent(&mainWindow);
    mainWindow.setRunWindows(&processingDialog, &resultsDialog);
    mainWindow.setScanWindows(&scanDialog, &scanProgressDialog);
    mainWindow.setOptionsWindow(&optionsDialog);
    mainWindow.setInfoWindows(&tipsDialog, &aboutDialog);
  }
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  // In the order of creation.
  MainWindow mainWindow;
  ConfirmDialog confirmDialog;
  ResultsDialog resultsDialog;
  ScanDialog scanDialog;
  ScanProgressDialog scanProgressDialog;
  AboutDialog aboutDialog;
  ProcessingDialog processingDialog;
  OptionsDialog optionsDialog;
  TipsDialog tipsDialog;
};

}  // namespace tw
