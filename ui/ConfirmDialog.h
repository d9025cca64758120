#pragma once
// ConfirmDialog, the confirmation dialog: one occurrence in its excerpt, answered with one of six
// buttons. Enter answers with the first ("replace this occurrence"); Escape or closing the
// window counts as "skip this occurrence". It is always shown on the window thread; the run on
// its own thread asks through the processing window (ProcessingDialog).

#include "engine/ConfirmDecision.h"
#include "ui/LanguageTexts.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;

namespace tw {

class ConfirmDialog : public QDialog, public ShowsTexts {
  Q_OBJECT
 public:
  explicit ConfirmDialog(QWidget* parent = nullptr);

  // The captions of the language: slots 93 to 98 for the buttons, and 2, 39 and 40 for the
  // three lines, which each question then fills with its file, find and replace texts.
  void applyTexts(const TextTable& table) override;

  // Shows the occurrence modally and returns the answer.
  ConfirmDecision ask(const ConfirmRequest& request);

  // The buttons, top to bottom, and the answer each gives.
  static constexpr int kButtonCount = 6;
  QPushButton* button(int topToBottom) const { return m_buttons[topToBottom]; }
  static ConfirmDecision answerOf(int topToBottom);

  QLabel* fileLine() const { return m_fileLine; }
  QLabel* findLine() const { return m_findLine; }
  QLabel* replaceLine() const { return m_replaceLine; }
  QTextEdit* excerptView() const { return m_excerptView; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void setExcerpt(const ConfirmRequest& request);
  void answer(ConfirmDecision decision);

  QLabel* m_fileLine = nullptr;
  QLabel* m_findLine = nullptr;
  QLabel* m_replaceLine = nullptr;
  QTextEdit* m_excerptView = nullptr;
  QPushButton* m_buttons[kButtonCount] = {};
  ConfirmDecision m_answer = ConfirmDecision::SkipThis;
  int m_selectionStart = 0;
  int m_selectionLength = 0;
};

}  // namespace tw
