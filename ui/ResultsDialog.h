#pragma once
// ResultsDialog, the results window: the summary of the last run, one line per file with
// replacements, and below it, each under its own caption and only when there are any, the files
// that could not be processed (with the reason; also the file a Cancel stopped), the RTF files
// in which occurrences were left alone, and notes on processed files; OK and "Save results".
// It reads the run's summary and the live file list (for the report); it changes nothing.

#include "config/Configuration.h"
#include "config/Prompts.h"
#include "engine/RunSummary.h"
#include "ui/LanguageTexts.h"

#include <QDialog>

#include <array>

class QLabel;
class QListWidget;
class QPushButton;

namespace tw {

class ResultsDialog : public QDialog, public ShowsTexts {
  Q_OBJECT
 public:
  ResultsDialog(Prompts& prompts, QWidget* parent = nullptr);

  // Shows the results of `summary` modally; the report covers the checked entries of `files`
  // at the moment it is saved.
  void showResults(const RunSummary& summary, const std::vector<FileEntry>& files);

  // The caption of the language: slot 82 for "Save results".
  void applyTexts(const TextTable& table) override;

  QLabel* resultLabel() const { return m_resultLabel; }
  QLabel* summaryLabel() const { return m_summaryLabel; }
  QListWidget* resultList() const { return m_resultList; }
  // The caption and the list of the files of one kind (FailedFile::Kind).
  QLabel* messageCaption(FailedFile::Kind kind) const { return sectionOf(kind).caption; }
  QListWidget* messageList(FailedFile::Kind kind) const { return sectionOf(kind).list; }
  QPushButton* okButton() const { return m_okButton; }
  QPushButton* saveButton() const { return m_saveButton; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The files of one kind, under their caption.
  struct Section {
    FailedFile::Kind kind;
    QLabel* caption = nullptr;
    QListWidget* list = nullptr;
  };

  const Section& sectionOf(FailedFile::Kind kind) const;
  void fillLists();
  void layOutControls();
  void onSaveResults();

  Prompts& m_prompts;
  const RunSummary* m_summary = nullptr;
  const std::vector<FileEntry>* m_files = nullptr;
  QLabel* m_resultLabel = nullptr;   // "Textwright made "
  QLabel* m_summaryLabel = nullptr;  // "<n> replacement(s) in <m> following file(s)."
  QListWidget* m_resultList = nullptr;
  std::array<Section, 3> m_sections;  // failed, refused, notes: top to bottom
  QPushButton* m_okButton = nullptr;
  QPushButton* m_saveButton = nullptr;
};

}  // namespace tw
