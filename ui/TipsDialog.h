#pragma once
// TipsDialog, the tip of the day: one of twenty fixed hints about the program, next and previous
// with wrapping, and "Show tips at startup", which only OK writes to the settings ("Tips").
// The current tip is kept between showings; the first is chosen at random.

#include "config/SettingsStore.h"

#include <QDialog>
#include <QString>

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tw {

inline constexpr const char* kHomePageAddress = "https://www.brindlecove.example/textwright/";
inline constexpr const char* kOnlineHelpAddress =
    "https://www.brindlecove.example/textwright/help/";
inline constexpr const char* kSupportAddress = "support@brindlecove.example";

class TipsDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kTipCount = 20;

  // Reads "Tips" once (missing: show at start-up) and picks the first tip at random.
  explicit TipsDialog(SettingsStore& settings, QWidget* parent = nullptr);

  static const std::array<QString, kTipCount>& tips();
  int tipIndex() const { return m_index; }
  // Shows tip `index` (0 to 19).
  void showTip(int index);

 private:
  void BitBtn1Click();  // "Next tip"
  void BitBtn2Click();  // "Previous tip"
  void BitBtn3Click();  // "OK": writes "Tips", closes

  SettingsStore& m_settings;
  int m_index = 0;
  QLabel* Label2 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
};

}  // namespace tw
