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

  // The controls, as the user meets them.
  QLabel* tipText() const { return m_tipText; }
  QCheckBox* showAtStartupBox() const { return m_showAtStartup; }
  QPushButton* nextButton() const { return m_nextButton; }
  QPushButton* previousButton() const { return m_previousButton; }
  QPushButton* okButton() const { return m_okButton; }

 private:
  void onNextTip();
  void onPreviousTip();
  void onOk();  // writes "Tips", closes

  SettingsStore& m_settings;
  int m_index = 0;
  QLabel* m_tipText = nullptr;
  QCheckBox* m_showAtStartup = nullptr;
  QPushButton* m_nextButton = nullptr;
  QPushButton* m_previousButton = nullptr;
  QPushButton* m_okButton = nullptr;
};

}  // namespace tw
