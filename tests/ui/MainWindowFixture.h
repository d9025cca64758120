#pragma once
// A shown main window over a fresh configuration, options, scripted prompts and a settings
// file in a temporary folder; the window's children are found by their object names.

#include "ui/MainWindow.h"
#include "ui/QSettingsStore.h"

#include "support/FakePrompts.h"
#include "support/TempDir.h"

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

  template <class T>
  T* child(const char* name) {
    T* w = form.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  TempDir dir;
  Configuration config;
  AppOptions options;
  FakePrompts prompts;
  QSettingsStore settings;
  MainWindow form;
};

}  // namespace tw::test
