#pragma once
// ScanDialog, the scan dialog: the start folder (a folder tree with its path above it), the masks,
// "Recurse Subdirectories", and behind "Advanced >>" the size, date and age criteria. Each
// criterion's check box enables its fields. Scan captures the criteria as a whole: a malformed
// field is refused with a message naming the field and its text, and the dialog stays open
// with that field focused. The controls keep their state from one opening to the next; each
// opening moves the tree to the shared last folder and keeps it in view while the tree reads
// the folders in the background.

#include "config/Prompts.h"
#include "config/SettingsStore.h"
#include "scan/ScanCriteria.h"
#include "ui/LanguageTexts.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeView;

namespace tw {

class ScanDialog : public QDialog, public ShowsTexts {
  Q_OBJECT
 public:
  ScanDialog(Prompts& prompts, SettingsStore& settings, QWidget* parent = nullptr);

  // The captions of the language: the buttons, the check boxes, the mask's label, and the
  // path line's prompt shown until a folder is chosen.
  void applyTexts(const TextTable& table) override;

  // The criteria of the last accepted Scan.
  const ScanCriteria& criteria() const { return m_criteria; }
  // The folder the tree shows as chosen ("/" when none is).
  QString directory() const;
  // Chooses `folder` in the tree (when it exists), and keeps it selected and in view while
  // the tree reads its folders, until the user scrolls, clicks or types in the tree.
  void setDirectory(const QString& folder);
  bool expanded() const { return m_expanded; }

  QTreeView* folderTree() const { return m_folderTree; }
  // The chosen folder's path, above the tree.
  QLabel* folderLabel() const { return m_folderLabel; }

 protected:
  // Each showing chooses the last folder and brings the chosen folder into view.
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void moveToLastFolder();
  void revealChosenFolder();
  void onScan();
  void onAdvanced();  // "Advanced >>" / "Normal <<"
  void showChosenFolder();
  void enableFields();
  ScanFields fields() const;
  QWidget* fieldOf(ScanField field) const;

  Prompts& m_prompts;
  SettingsStore& m_settings;
  ScanCriteria m_criteria;
  bool m_expanded = false;
  bool m_folderChosen = false;  // the path line shows a folder rather than its prompt
  bool m_revealing = false;     // the chosen folder is kept in view while the tree loads
  QString m_folderPrompt;
  QString m_advancedCaption;

  QFileSystemModel* m_folders = nullptr;
  QTimer* m_revealTimer = nullptr;
  QLabel* m_folderLabel = nullptr;
  QTreeView* m_folderTree = nullptr;
  QPushButton* m_scanButton = nullptr;
  QPushButton* m_cancelButton = nullptr;
  QPushButton* m_advancedButton = nullptr;
  QCheckBox* m_recurseBox = nullptr;
  QLabel* m_extensionLabel = nullptr;  // "Specify extension:"
  QLineEdit* m_extensionField = nullptr;
  QGroupBox* m_advancedGroup = nullptr;  // "Advanced Search"
  QCheckBox* m_sizeBox = nullptr;
  QComboBox* m_sizeCompareBox = nullptr;  // "=", ">", "<"
  QLineEdit* m_sizeField = nullptr;
  QComboBox* m_sizeUnitBox = nullptr;  // "bytes", "Kbytes", "Mbytes"
  QCheckBox* m_dateBox = nullptr;
  QLineEdit* m_dateFromField = nullptr;
  QLineEdit* m_dateToField = nullptr;
  QCheckBox* m_ageBox = nullptr;
  QLineEdit* m_ageField = nullptr;
  QComboBox* m_ageUnitBox = nullptr;  // "Hour(s)" ... "Year(s)"
  QCheckBox* m_attributesBox = nullptr;
  QCheckBox* m_archiveBox = nullptr;
  QCheckBox* m_readOnlyBox = nullptr;
  QCheckBox* m_systemBox = nullptr;  // never shown
};

}  // namespace tw
