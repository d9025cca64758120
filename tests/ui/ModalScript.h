#pragma once
// Answers the modal windows that the code under test opens, one scripted step per window, in
// the order given. A window that does not come up within the deadline fails the test with a
// message naming it, and from then on every modal window is closed as soon as it shows, so
// the test ends instead of waiting for the CTest timeout.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tw::test {

class ModalScript {
 public:
  using Step = std::function<void(QWidget*)>;

  explicit ModalScript(std::chrono::milliseconds deadline = std::chrono::seconds(10))
      : m_deadline(deadline) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    m_timer.start(5);
    m_waiting.start();
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;
  ~ModalScript() {
    for (const auto& [name, step] : m_steps)
      ADD_FAILURE() << "window " << label(name) << " never came up";
  }

  // The next window to answer: the modal window with this object name (any modal window for
  // nullptr), answered by `step`.
  ModalScript& then(const char* windowName, Step step) {
    if (m_steps.empty()) m_waiting.restart();
    m_steps.push_back({windowName, std::move(step)});
    return *this;
  }
  bool done() const { return m_steps.empty(); }

  std::vector<std::string> seen;  // the object names of the windows answered, in order

 private:
  static std::string label(const char* name) {
    return name != nullptr ? "\"" + std::string(name) + "\"" : std::string("(any modal window)");
  }

  void tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (m_failed) {
      if (modal != nullptr) closeWindow(modal);
      return;
    }
    if (m_steps.empty()) return;
    const char* name = m_steps.front().first;
    const bool wanted = modal != nullptr && modal != m_last &&
                        (name == nullptr || modal->objectName() == QString::fromLatin1(name));
    if (!wanted) {
      if (m_waiting.hasExpired(m_deadline.count())) giveUp(modal);
      return;
    }
    m_last = modal;
    Step step = std::move(m_steps.front().second);
    m_steps.pop_front();
    m_waiting.restart();
    seen.push_back(modal->objectName().toStdString());
    step(modal);
    // The same window object may come up again (the next occurrence, the next box). Tied to
    // the timer, so that a script ended meanwhile is not written to.
    QTimer::singleShot(0, &m_timer, [this] { m_last = nullptr; });
  }

  void giveUp(QWidget* modal) {
    ADD_FAILURE() << "window " << label(m_steps.front().first) << " did not come up within "
                  << m_deadline.count() << " ms; the modal window up is "
                  << (modal != nullptr ? "\"" + modal->objectName().toStdString() + "\" (" +
                                             modal->windowTitle().toStdString() + ")"
                                       : std::string("none"));
    m_steps.clear();
    m_failed = true;
    if (modal != nullptr) closeWindow(modal);
  }

  static void closeWindow(QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    } else {
      modal->close();
    }
  }

  std::chrono::milliseconds m_deadline;
  QTimer m_timer;
  QElapsedTimer m_waiting;  // since the first step became the next one
  QWidget* m_last = nullptr;
  bool m_failed = false;
  std::deque<std::pair<const char*, Step>> m_steps;
};

}  // namespace tw::test
