// The program's icon and Qt's own translations.

#include "ui/AppIcon.h"
#include "ui/QtTranslations.h"

#include <QImage>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(AppIconTest, IsDrawnAtEverySizeAWindowAsksFor) {
  const QIcon icon = appIcon();
  ASSERT_FALSE(icon.isNull());
  for (int size : {16, 32, 48, 256}) {
    const QImage image = icon.pixmap(size, size).toImage();
    EXPECT_EQ(image.width(), size);
    // Drawn, not blank: the corner stays clear and the middle is painted.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
  }
}

QString cancelText() {
  QMessageBox box;
  box.setStandardButtons(QMessageBox::Cancel);
  return box.button(QMessageBox::Cancel)->text().remove(QLatin1Char('&'));
}

TEST(QtTranslationsTest, StandardButtonsSpeakTheChosenLanguage) {
  struct Case {
    const char* language;
    bool loaded;
    const char* cancel;
  };
  // Each case replaces the translation of the one before.
  const Case cases[] = {
      {"German.lng", true, "Abbrechen"}, {"English.lng", false, "Cancel"},
      {"Français", true, "Annuler"},     {"", false, "Cancel"},
      {"spanish", true, "Cancelar"},     {"Klingon.lng", false, "Cancel"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(useQtTranslations(QString::fromUtf8(c.language)), c.loaded) << c.language;
    EXPECT_EQ(cancelText(), QString::fromUtf8(c.cancel)) << c.language;
  }
}

}  // namespace
}  // namespace tw
