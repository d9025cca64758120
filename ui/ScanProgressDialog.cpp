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
  setObjectName(QStringLiteral("Form8"));
  setWindowTitle(QStringLiteral("Scanning"));
  setModal(true);
  Label1 = new QLabel(QStringLiteral("Scanning. "), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label2 = new QLabel(QStringLiteral("Please wait..."), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label3 = new QLabel(this);
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->setTextFormat(Qt::PlainText);
  Label3->setFixedWidth(kFolderWidth);
  Label3->setAccessibleName(QStringLiteral("Folder being searched"));
  Button1 = new QPushButton(QStringLiteral("Cancel"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, &ScanProgressDialog::Button1Click);
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(100);
  connect(Timer1, &QTimer::timeout, this, &ScanProgressDialog::Timer1Timer);

  auto* top = new QHBoxLayout;
  top->addWidget(Label1);
  top->addWidget(Label2);
  top->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Button1);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(Label3);
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
  Label3->clear();
  Button1->setEnabled(true);
  exec();
  m_criteria = nullptr;
  return std::move(m_found);
}

void ScanProgressDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The walk starts once per showing, when the window is on the screen.
  if (!m_started && m_criteria) {
    m_started = true;
    QTimer::singleShot(0, this, &ScanProgressDialog::FormActivate);
  }
}

void ScanProgressDialog::FormActivate() {
  Timer1Timer();
  m_walker = std::thread([this] {
    m_found = findScanFiles(*m_criteria, m_now, &m_observer);
    m_observer.done = true;
  });
  Timer1->start();
}

void ScanProgressDialog::Observer::searching(const std::string& path) {
  std::lock_guard lock(mutex);
  folder = path;
}

QString ScanProgressDialog::shownFolder() const {
  return Label3->toolTip();
}

void ScanProgressDialog::Timer1Timer() {
  QString folder;
  {
    std::lock_guard lock(m_observer.mutex);
    folder = fromStd(m_observer.folder);
  }
  if (Label3->toolTip() != folder) setElidedText(Label3, {}, folder, Qt::ElideMiddle);
  if (m_observer.done) finishWalk();
}

void ScanProgressDialog::finishWalk() {
  Timer1->stop();
  if (m_walker.joinable()) m_walker.join();
  accept();
}

void ScanProgressDialog::Button1Click() {
  m_observer.cancel = true;
  Button1->setEnabled(false);
}

void ScanProgressDialog::reject() {
  // Escape while the walk runs is Cancel; the window closes when the walk has stopped.
  if (scanning()) {
    Button1Click();
    return;
  }
  QDialog::reject();
}

void ScanProgressDialog::closeEvent(QCloseEvent* event) {
  if (scanning()) {
    Button1Click();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace tw
