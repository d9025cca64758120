#pragma once
// A shown main window over a fresh configuration, options, scripted prompts and a settings
// file in a temporary folder; the window's controls and commands are reached as the window
// exposes them, and a pop-up menu's entries by the caption the user reads.

#include "ui/MainWindow.h"
#include "ui/QSettingsStore.h"

#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace tw::test {

class MainWindowFixture : public ::testing::Test {
 protected:
  MainWindowFixture()
      : settings(QString::fromStdString(dir.file("settings.conf"))),
        form(config, options, prompts, settings) {
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
  }

  const MainWindowControls& ui() const { return form.controls(); }
  const MainActions& actions() const { return form.actions(); }

  // The entry of `menu` captioned `caption` (its mnemonic left out).
  static QAction* entry(QMenu* menu, const char* caption) {
    for (QAction* a : menu->actions())
      if (QString(a->text()).remove(u'&') == QLatin1String(caption)) return a;
    ADD_FAILURE() << "no entry " << caption;
    return nullptr;
  }

  TempDir dir;
  Configuration config;
  AppOptions options;
  FakePrompts prompts;
  QSettingsStore settings;
  MainWindow form;
};

}  // namespace tw::test
