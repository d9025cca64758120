#include "ui/ProcessingDialog.h"
#include "ui/ElidedLabel.h"
#include "ui/QtText.h"

#include "platform/FileIo.h"
#include "ui/ConfirmDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tw {

namespace {

// How often the window follows the run: often enough to look live, rarely enough that
// shaping the file name and repainting stay a small part of a run over many small files.
constexpr qint64 kRefreshMs = 100;

}  // namespace

ProcessingDialog::ProcessingDialog(ConfirmDialog& confirm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_confirm(confirm) {
  setObjectName(QStringLiteral("Form9"));
  setWindowTitle(QStringLiteral("Processing files"));
  setModal(true);

  Label1 = new QLabel(QStringLiteral("Files to process"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label2 = new QLabel(QStringLiteral("Processing file"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setTextFormat(Qt::PlainText);
  Label2->setFixedWidth(360);  // a long file name is cut, the window keeps its width
  Label3 = new QLabel(QStringLiteral("Total progress"), this);
  Label3->setObjectName(QStringLiteral("Label3"));
  CGauge1 = new QProgressBar(this);
  CGauge1->setObjectName(QStringLiteral("CGauge1"));
  CGauge1->setRange(0, 100);
  CGauge1->setValue(0);
  CGauge1->setTextVisible(true);
  Button1 = new QPushButton(QStringLiteral("Cancel"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, &ProcessingDialog::Button1Click);
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(10);
  connect(Timer1, &QTimer::timeout, this, &ProcessingDialog::Timer1Timer);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Button1);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(Label2);
  layout->addSpacing(6);
  layout->addWidget(Label3);
  layout->addWidget(CGauge1);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

RunOutcome ProcessingDialog::execRun(const Configuration& config, const AppOptions& options,
                                     Clock& clock, RunSummary& summary) {
  m_config = &config;
  m_options = &options;
  m_clock = &clock;
  m_summary = &summary;
  m_outcome = {};
  m_error = nullptr;
  m_started = false;
  m_cancelRequested = false;
  m_latestPath.clear();
  m_latestPercent = 0;
  m_latestShown = true;
  m_sinceRefresh.invalidate();
  Label1->setText(QStringLiteral("Files to process"));
  Label2->setText(QStringLiteral("Processing file"));
  CGauge1->setValue(0);
  Button1->setEnabled(true);
  exec();
  m_config = nullptr;
  if (m_error) std::rethrow_exception(m_error);
  return m_outcome;
}

void ProcessingDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The run starts once per showing, as soon as the window is on the screen.
  if (!m_started && m_config) {
    m_started = true;
    QTimer::singleShot(0, this, &ProcessingDialog::FormActivate);
  }
}

void ProcessingDialog::FormActivate() {
  const auto checked = std::count_if(m_config->Files.begin(), m_config->Files.end(),
                                     [](const FileEntry& e) { return e.Checked; });
  Label1->setText(QStringLiteral("Files to process: %1").arg(qint64(checked)));
  m_running = true;
  try {
    m_outcome = RunReplacement(*m_config, *m_options, *this, *m_clock, *m_summary);
  } catch (...) {
    m_error = std::current_exception();
  }
  m_running = false;
  showLatest();
  Button1->setEnabled(false);
  Timer1->start();
}

void ProcessingDialog::Timer1Timer() {
  Timer1->stop();
  accept();
}

void ProcessingDialog::Button1Click() {
  // The first press stops the run after the file in progress; a further press changes
  // nothing more: the window closes as soon as the run has stopped.
  m_cancelRequested = true;
  Button1->setText(QStringLiteral("Cancel"));
}

ConfirmDecision ProcessingDialog::confirm(const ConfirmRequest& request) {
  // The question names its file; the window behind it says the same.
  showLatest();
  return m_confirm.ask(request);
}

void ProcessingDialog::fileStarted(const std::string& path) {
  m_latestPath = path;
  m_latestShown = false;
  refreshIfDue();
}

void ProcessingDialog::progress(int percent) {
  m_latestPercent = std::clamp(percent, 0, 100);
  m_latestShown = false;
  refreshIfDue();
}

void ProcessingDialog::yield() {
  showLatest();
  m_sinceRefresh.start();
  QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void ProcessingDialog::refreshIfDue() {
  if (m_sinceRefresh.isValid() && m_sinceRefresh.elapsed() < kRefreshMs) return;
  yield();
}

void ProcessingDialog::showLatest() {
  if (m_latestShown) return;
  m_latestShown = true;
  if (!m_latestPath.empty()) {
    setElidedText(Label2, QStringLiteral("Procesing file : "),
                  fromStd(platform::fileNameOf(m_latestPath)), Qt::ElideMiddle);
  }
  CGauge1->setValue(m_latestPercent);
}

void ProcessingDialog::reject() {
  // Escape during a run is Cancel; the window closes on its own when the run ends.
  if (m_running || Timer1->isActive()) {
    Button1Click();
    return;
  }
  QDialog::reject();
}

void ProcessingDialog::closeEvent(QCloseEvent* event) {
  if (m_running || Timer1->isActive()) {
    Button1Click();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace tw
