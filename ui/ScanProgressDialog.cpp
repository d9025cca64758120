#include "ui/ScanProgressDialog.h"
#include "ui/ElidedLabel.h"
#include "ui/QtText.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tw {

namespace {

// The width the folder line is cut to; the window never grows with a long path.
constexpr int kFolderWidth = 380;

}  // namespace

ScanProgressDialog::ScanProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("ScanProgressDialog"));
  setWindowTitle(QStringLiteral("Scanning"));
  setModal(true);
  m_scanningLabel = new QLabel(QStringLiteral("Scanning. "), this);
  m_waitLabel = new QLabel(QStringLiteral("Please wait..."), this);
  m_folderLabel = new QLabel(this);
  m_folderLabel->setTextFormat(Qt::PlainText);
  m_folderLabel->setFixedWidth(kFolderWidth);
  m_folderLabel->setAccessibleName(QStringLiteral("Folder being searched"));
  m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  m_cancelButton->setAutoDefault(false);
  connect(m_cancelButton, &QPushButton::clicked, this, &ScanProgressDialog::onCancel);
  m_pollTimer = new QTimer(this);
  m_pollTimer->setInterval(100);
  connect(m_pollTimer, &QTimer::timeout, this, &ScanProgressDialog::showProgress);

  auto* top = new QHBoxLayout;
  top->addWidget(m_scanningLabel);
  top->addWidget(m_waitLabel);
  top->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_cancelButton);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(m_folderLabel);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

ScanProgressDialog::~ScanProgressDialog() {
  m_observer.cancel = true;
  if (m_walker.joinable()) m_walker.join();
}

ScanFound ScanProgressDialog::execScan(const ScanCriteria& criteria,
                                       std::chrono::system_clock::time_point now) {
  m_criteria = &criteria;
  m_now = now;
  m_found = {};
  m_observer.cancel = false;
  m_observer.done = false;
  {
    std::lock_guard lock(m_observer.mutex);
    m_observer.folder = criteria.Directory;
  }
  m_started = false;
  m_folderLabel->clear();
  m_cancelButton->setEnabled(true);
  exec();
  m_criteria = nullptr;
  return std::move(m_found);
}

void ScanProgressDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The walk starts once per showing, when the window is on the screen.
  if (!m_started && m_criteria) {
    m_started = true;
    QTimer::singleShot(0, this, &ScanProgressDialog::startWalk);
  }
}

void ScanProgressDialog::startWalk() {
  showProgress();
  m_walker = std::thread([this] {
    m_found = findScanFiles(*m_criteria, m_now, &m_observer);
    m_observer.done = true;
  });
  m_pollTimer->start();
}

void ScanProgressDialog::Observer::searching(const std::string& path) {
  std::lock_guard lock(mutex);
  folder = path;
}

QString ScanProgressDialog::shownFolder() const {
  return m_folderLabel->toolTip();
}

void ScanProgressDialog::showProgress() {
  QString folder;
  {
    std::lock_guard lock(m_observer.mutex);
    folder = fromStd(m_observer.folder);
  }
  if (m_folderLabel->toolTip() != folder) setElidedText(m_folderLabel, {}, folder, Qt::ElideMiddle);
  if (m_observer.done) finishWalk();
}

void ScanProgressDialog::finishWalk() {
  m_pollTimer->stop();
  if (m_walker.joinable()) m_walker.join();
  accept();
}

void ScanProgressDialog::onCancel() {
  m_observer.cancel = true;
  m_cancelButton->setEnabled(false);
}

void ScanProgressDialog::reject() {
  // Escape while the walk runs is Cancel; the window closes when the walk has stopped.
  if (scanning()) {
    onCancel();
    return;
  }
  QDialog::reject();
}

void ScanProgressDialog::closeEvent(QCloseEvent* event) {
  if (scanning()) {
    onCancel();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace tw
