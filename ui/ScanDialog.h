#pragma once
// ScanDialog, the scan dialog: the start folder (a folder tree with its path above it), the masks,
// "Recurse Subdirectories", and behind "Advanced >>" the size, date and age criteria. Each
// criterion's check box enables its fields. Scan captures the criteria as a whole: a malformed
// field is refused with a message naming the field and its text, and the dialog stays open
// with that field focused. The controls keep their state from one opening to the next; each
// opening moves the tree to the shared last folder.

#include "config/Prompts.h"
#include "config/SettingsStore.h"
#include "scan/ScanCriteria.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace tw {

class ScanDialog : public QDialog {
  Q_OBJECT
 public:
  ScanDialog(Prompts& prompts, SettingsStore& settings, QWidget* parent = nullptr);

  // The criteria of the last accepted Scan.
  const ScanCriteria& criteria() const { return m_criteria; }
  // The folder the tree shows as chosen ("/" when none is).
  QString directory() const;
  // Chooses `folder` in the tree (when it exists).
  void setDirectory(const QString& folder);
  bool expanded() const { return m_expanded; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormActivate();
  void Button1Click();  // "Scan"
  void Button3Click();  // "Advanced >>" / "Normal <<"
  void DirectoryChange();
  void enableFields();
  ScanFields fields() const;
  QWidget* fieldOf(ScanField field) const;

  Prompts& m_prompts;
  SettingsStore& m_settings;
  ScanCriteria m_criteria;
  bool m_expanded = false;

  QFileSystemModel* m_folders = nullptr;
  QLabel* Label1 = nullptr;  // the chosen folder's path
  QTreeView* DirectoryListBox1 = nullptr;
  QPushButton* Button1 = nullptr;  // "Scan"
  QPushButton* Button2 = nullptr;  // "Cancel"
  QPushButton* Button3 = nullptr;  // "Advanced >>"
  QCheckBox* CheckBox1 = nullptr;  // "Recurse Subdirectories"
  QLabel* Label2 = nullptr;        // "Specify extension:"
  QLineEdit* Edit1 = nullptr;
  QGroupBox* GroupBox1 = nullptr;  // "Advanced Search"
  QCheckBox* CheckBox2 = nullptr;  // "File size"
  QComboBox* ComboBox1 = nullptr;  // "=", ">", "<"
  QLineEdit* Edit2 = nullptr;
  QComboBox* ComboBox3 = nullptr;  // "bytes", "Kbytes", "Mbytes"
  QCheckBox* CheckBox3 = nullptr;  // "Date between"
  QLineEdit* Edit3 = nullptr;
  QLineEdit* Edit4 = nullptr;
  QCheckBox* CheckBox4 = nullptr;  // "Not older than"
  QLineEdit* Edit5 = nullptr;
  QComboBox* ComboBox2 = nullptr;  // "Hour(s)" ... "Year(s)"
  QCheckBox* CheckBox5 = nullptr;  // "With attributes"
  QCheckBox* CheckBox6 = nullptr;  // "Archive"
  QCheckBox* CheckBox8 = nullptr;  // "Read only"
  QCheckBox* CheckBox9 = nullptr;  // "System", never shown
};

}  // namespace tw
