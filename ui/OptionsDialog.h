#pragma once
// OptionsDialog, the options dialog: the program-wide switches on three pages, bound to the live
// AppOptions. A change takes effect at once; there is no apply step. Each showing takes a
// snapshot of the fourteen check boxes, and Cancel (or Escape) sets them back to it; the RTF
// choice and the language are not part of it. OK and the title-bar close button keep every
// change. "Confirm every replacement" is the configuration's Confirm switch, seen from here.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "ui/LanguageTexts.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace tw {

class OptionsDialog : public QDialog, public ShowsTexts {
  Q_OBJECT
 public:
  OptionsDialog(AppOptions& options, Configuration& config, QWidget* parent = nullptr);

  // The check box of `option`, or with nullptr the box "Confirm every replacement" (which is
  // the configuration's Confirm switch).
  QCheckBox* box(bool AppOptions::*option) const;
  // The two choices for RTF files.
  QRadioButton* rtfAsTextButton() const { return m_rtfAsText; }
  QRadioButton* rtfAsRichTextButton() const { return m_rtfAsRichText; }
  QTabWidget* pages() const { return m_pages; }
  QPushButton* okButton() const { return m_okButton; }
  QPushButton* cancelButton() const { return m_cancelButton; }
  // The Language page's list of language files; filled by whoever applies languages.
  QComboBox* languageList() const { return m_languageList; }

  // ShowsTexts
  void applyTexts(const TextTable& texts) override;

 signals:
  // "Confirm every replacement" changed the configuration's Confirm switch.
  void confirmChanged();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  static constexpr size_t kSwitches = 14;
  // Shows the live switches and takes the snapshot that Cancel returns to.
  void showSwitches();
  void onSwitchToggled(size_t which, bool on);

  AppOptions& m_options;
  Configuration& m_config;
  std::array<QCheckBox*, kSwitches> m_boxes{};  // in the order of the switch table
  std::array<bool, kSwitches> m_snapshot{};
  QTabWidget* m_pages = nullptr;
  QGroupBox* m_outputGroup = nullptr;
  QRadioButton* m_rtfAsText = nullptr;
  QRadioButton* m_rtfAsRichText = nullptr;
  QLabel* m_languageLabel = nullptr;
  QComboBox* m_languageList = nullptr;
  QPushButton* m_okButton = nullptr;
  QPushButton* m_cancelButton = nullptr;
};

}  // namespace tw
