#pragma once
// ResultsDialog, the results window: the summary of the last run, one line per file with
// replacements, the files that could not be processed with the reason, OK and "Save results".
// It reads the run's summary and the live file list (for the report); it changes nothing.

#include "config/Configuration.h"
#include "config/Prompts.h"
#include "engine/RunSummary.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace tw {

class ResultsDialog : public QDialog {
  Q_OBJECT
 public:
  ResultsDialog(Prompts& prompts, QWidget* parent = nullptr);

  // Shows the results of `summary` modally; the report covers the checked entries of `files`
  // at the moment it is saved.
  void showResults(const RunSummary& summary, const std::vector<FileEntry>& files);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FormActivate();
  void FormResize();
  void Button2Click();

  Prompts& m_prompts;
  const RunSummary* m_summary = nullptr;
  const std::vector<FileEntry>* m_files = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QLabel* Label3 = nullptr;         // "Files that could not be processed:"
  QListWidget* ListBox2 = nullptr;  // those files, with the reason
  QPushButton* Button1 = nullptr;   // "OK"
  QPushButton* Button2 = nullptr;   // "Save results"
};

}  // namespace tw
