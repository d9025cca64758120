#pragma once
// OptionsDialog, the options dialog: the program-wide switches on three pages, bound to the live
// AppOptions. A change takes effect at once; there is no apply step. Each showing takes a
// snapshot of the thirteen check boxes, and Cancel (or Escape) sets them back to it; the RTF
// choice and the language are not part of it. OK and the title-bar close button keep every
// change. "Confirm every replacement" is the configuration's Confirm switch, seen from here.

#include "config/AppOptions.h"
#include "config/Configuration.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace tw {

class OptionsDialog : public QDialog {
  Q_OBJECT
 public:
  OptionsDialog(AppOptions& options, Configuration& config, QWidget* parent = nullptr);

  // The check box CheckBox`n` (1 to 13).
  QCheckBox* checkBox(int n) const { return m_boxes[size_t(n - 1)]; }
  // The Language page's list of language files; filled by whoever applies languages.
  QComboBox* languageList() const { return ComboBox1; }

 signals:
  // "Confirm every replacement" changed the configuration's Confirm switch.
  void confirmChanged();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void FormActivate();
  void OKClick();
  void CancelClick();
  void CheckBoxChange(int n, bool on);
  void RadioButton2Change(bool on);

  AppOptions& m_options;
  Configuration& m_config;
  std::array<QCheckBox*, 13> m_boxes{};
  std::array<bool, 13> m_snapshot{};
  QTabWidget* PageControl1 = nullptr;
  QRadioButton* RadioButton1 = nullptr;  // "Process RTF files as simple text files"
  QRadioButton* RadioButton2 = nullptr;  // "Process RTF files as rich text format files"
  QLabel* Label1 = nullptr;              // "Language:"
  QComboBox* ComboBox1 = nullptr;
  QPushButton* OK = nullptr;
  QPushButton* Cancel = nullptr;
};

}  // namespace tw
