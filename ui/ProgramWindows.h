#pragma once
// Every window of the desktop program, created once in their fixed order and wired to the main
// window. All but the main window are modal and owned by it; the main window puts the texts of
// the chosen language into all of them.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "config/SettingsStore.h"
#include "ui/About.h"
#include "ui/Confirm.h"
#include "ui/Mainform.h"
#include "ui/Option.h"
#include "ui/Processing.h"
#include "ui/QtPrompts.h"
#include "ui/Result.h"
#include "ui/Scan.h"
#include "ui/Scanning.h"
#include "ui/Tips.h"

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
      : form1(config, options, prompts, settings),
        form2(&form1),
        form5(prompts, &form1),
        form7(prompts, settings, &form1),
        form8(&form1),
        aboutBox(&form1),
        form9(form2, &form1),
        optionsDialog(options, config, &form1),
        form10(settings, &form1) {
    prompts.setParent(&form1);
    form1.setRunWindows(&form9, &form5);
    form1.setScanWindows(&form7, &form8);
    form1.setOptionsWindow(&optionsDialog);
    form1.setInfoWindows(&form10, &aboutBox);
  }
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  // In the order of creation.
  TForm1 form1;
  TForm2 form2;
  TForm5 form5;
  TForm7 form7;
  TForm8 form8;
  TAboutBox aboutBox;
  TForm9 form9;
  TOptions optionsDialog;
  TForm10 form10;
};

}  // namespace tw
