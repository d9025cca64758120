#pragma once
// ScanProgressDialog, the scanning window: shown modally while a scan walks its folders. The walk
// runs on a thread of its own, so the window repaints and shows the folder being searched; Cancel
// (or Escape, or the close button) stops the walk and the scan adds nothing.

#include "scan/Scan.h"

#include <QDialog>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

class QLabel;
class QPushButton;
class QTimer;

namespace tw {

class ScanProgressDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ScanProgressDialog(QWidget* parent = nullptr);
  ~ScanProgressDialog() override;

  // Shows the window modally and walks `criteria` in it; returns what the walk found when the
  // window has closed (Cancelled when the user stopped it).
  ScanFound execScan(const ScanCriteria& criteria,
                     std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

  bool scanning() const { return m_walker.joinable(); }
  // The folder shown as being searched.
  QString shownFolder() const;
  QPushButton* cancelButton() const { return m_cancelButton; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  // The walk's side of the window, called on the walk's thread.
  class Observer : public ScanObserver {
   public:
    void searching(const std::string& folder) override;
    bool cancelRequested() override { return cancel.load(std::memory_order_relaxed); }

    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    std::mutex mutex;
    std::string folder;  // guarded by mutex
  };

  void startWalk();
  void showProgress();
  void onCancel();
  void finishWalk();

  QLabel* m_scanningLabel = nullptr;  // "Scanning. "
  QLabel* m_waitLabel = nullptr;      // "Please wait..."
  QLabel* m_folderLabel = nullptr;    // the folder being searched
  QPushButton* m_cancelButton = nullptr;
  QTimer* m_pollTimer = nullptr;

  const ScanCriteria* m_criteria = nullptr;
  std::chrono::system_clock::time_point m_now;
  ScanFound m_found;
  Observer m_observer;
  std::thread m_walker;
  bool m_started = false;
};

}  // namespace tw
