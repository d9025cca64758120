#pragma once
// ConfirmDialog, the confirmation dialog: one occurrence in its excerpt, answered with one of six
// buttons. Enter answers with the first ("replace this occurrence"); Escape or closing the
// window counts as "skip this occurrence".

#include "engine/ConfirmDecision.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;

namespace tw {

class ConfirmDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ConfirmDialog(QWidget* parent = nullptr);

  // Shows the occurrence modally and returns the answer.
  ConfirmDecision ask(const ConfirmRequest& request);

  // The buttons, top to bottom, and the answer each gives.
  static constexpr int kButtonCount = 6;
  QPushButton* button(int topToBottom) const { return m_buttons[topToBottom]; }
  static ConfirmDecision answerOf(int topToBottom);

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
  QTextEdit* m_text = nullptr;
  QPushButton* m_buttons[kButtonCount] = {};
  ConfirmDecision m_answer = ConfirmDecision::SkipThis;
  int m_selectionStart = 0;
  int m_selectionLength = 0;
};

}  // namespace tw
