#include "ui/ProcessingDialog.h"
#include "ui/ElidedLabel.h"
#include "ui/QtText.h"

#include "engine/RunHost.h"
#include "lang/TextTable.h"
#include "platform/FileIo.h"
#include "ui/ConfirmDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <utility>

namespace tw {

namespace {

// How often the window follows the run: often enough to look live, rarely enough that
// shaping the file name and repainting stay a small part of a run over many small files.
constexpr auto kRefreshInterval = std::chrono::milliseconds(100);

// The slots of the window's captions.
constexpr int kFilesToProcessSlot = 79;
constexpr int kCurrentFileSlot = 80;
constexpr int kTotalProgressSlot = 81;

}  // namespace

// The run's host, called on the run's thread only. It touches no widget: what the window shows
// goes there as queued calls, and a question as a blocking call that the window's thread
// answers with the confirmation dialog.
class ProcessingDialog::RunReport final : public RunHost {
 public:
  explicit RunReport(ProcessingDialog& window) : m_window(window) {}

  ConfirmDecision confirm(const ConfirmRequest& request) override {
    ConfirmDecision answer = ConfirmDecision::SkipThis;
    // The question names its file; the window behind it says the same. When the call is
    // dropped unanswered (the program quits under the run), the answer stays "skip this".
    QMetaObject::invokeMethod(
        &m_window,
        [window = &m_window, &request, &answer, path = m_path, percent = m_percent] {
          window->showProgress(path, percent);
          answer = window->m_confirm.ask(request);
        },
        Qt::BlockingQueuedConnection);
    m_changed = false;
    m_sent = std::chrono::steady_clock::now();
    return answer;
  }

  void fileStarted(const std::string& path) override {
    m_path = path;
    m_changed = true;
    sendIfDue();
  }

  void progress(int percent) override {
    m_percent = std::clamp(percent, 0, 100);
    m_changed = true;
    sendIfDue();
  }

  void yield() override { sendIfDue(); }

  bool cancelRequested() override {
    return m_window.m_cancelRequested.load(std::memory_order_relaxed);
  }

  // Sends what changed since the last sending, now.
  void send() {
    if (!m_changed) return;
    m_changed = false;
    m_sent = std::chrono::steady_clock::now();
    QMetaObject::invokeMethod(
        &m_window,
        [window = &m_window, path = m_path, percent = m_percent] {
          window->showProgress(path, percent);
        },
        Qt::QueuedConnection);
  }

 private:
  void sendIfDue() {
    if (m_changed && std::chrono::steady_clock::now() - m_sent >= kRefreshInterval) send();
  }

  ProcessingDialog& m_window;
  std::string m_path;
  int m_percent = 0;
  bool m_changed = false;
  std::chrono::steady_clock::time_point m_sent;  // the first report goes at once
};

ProcessingDialog::ProcessingDialog(ConfirmDialog& confirm, Prompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_confirm(confirm),
      m_prompts(prompts),
      m_filesToProcessText(builtinCaption(kFilesToProcessSlot)),
      m_currentFileText(builtinCaption(kCurrentFileSlot)) {
  setObjectName(QStringLiteral("ProcessingDialog"));
  setWindowTitle(QStringLiteral("Processing files"));
  setModal(true);

  m_filesToProcessLabel = new QLabel(m_filesToProcessText, this);
  m_filesToProcessLabel->setObjectName(QStringLiteral("filesToProcessLabel"));
  m_currentFileLabel = new QLabel(m_currentFileText, this);
  m_currentFileLabel->setObjectName(QStringLiteral("currentFileLabel"));
  m_currentFileLabel->setTextFormat(Qt::PlainText);
  m_currentFileLabel->setFixedWidth(360);  // a long file name is cut, the window keeps its width
  m_progressLabel = new QLabel(builtinCaption(kTotalProgressSlot), this);
  m_progressLabel->setObjectName(QStringLiteral("progressLabel"));
  m_progressBar = new QProgressBar(this);
  m_progressBar->setObjectName(QStringLiteral("progressBar"));
  m_progressBar->setRange(0, 100);
  m_progressBar->setValue(0);
  m_progressBar->setTextVisible(true);
  m_progressLabel->setBuddy(m_progressBar);
  m_progressBar->setAccessibleName(m_progressLabel->text());
  m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
  m_cancelButton->setAutoDefault(false);
  connect(m_cancelButton, &QPushButton::clicked, this, &ProcessingDialog::onCancel);
  m_closeTimer = new QTimer(this);
  m_closeTimer->setSingleShot(true);
  m_closeTimer->setInterval(10);
  connect(m_closeTimer, &QTimer::timeout, this, &ProcessingDialog::onCloseTimer);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_cancelButton);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_filesToProcessLabel);
  layout->addWidget(m_currentFileLabel);
  layout->addSpacing(6);
  layout->addWidget(m_progressLabel);
  layout->addWidget(m_progressBar);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

ProcessingDialog::~ProcessingDialog() {
  if (m_worker.joinable()) stopRunAndWait();
}

void ProcessingDialog::applyTexts(const TextTable& table) {
  m_filesToProcessText = fromStd(table.text(kFilesToProcessSlot));
  m_currentFileText = fromStd(table.text(kCurrentFileSlot));
  m_filesToProcessLabel->setText(m_filesToProcessText);
  m_currentFileLabel->setText(m_currentFileText);
  m_progressLabel->setText(fromStd(table.text(kTotalProgressSlot)));
  m_progressBar->setAccessibleName(m_progressLabel->text());
}

RunOutcome ProcessingDialog::execRun(const Configuration& config, const AppOptions& options,
                                     Clock& clock, RunSummary& summary,
                                     const PreviewChoices* choices) {
  m_choices = choices;
  m_askUser = config.Flags.Confirm;
  if (choices) {
    m_chosenConfig = ConfigurationForChoices(config, *choices);
    m_config = &m_chosenConfig;
  } else {
    m_config = &config;
  }
  m_options = &options;
  m_clock = &clock;
  // The run works on its own summary; the caller's comes back, as the run left it, at the end.
  m_summary = std::move(summary);
  m_outcome = {};
  m_error = nullptr;
  m_started = false;
  m_running = true;
  m_cancelRequested.store(false);
  m_runEnded.store(false);
  m_filesToProcessLabel->setText(m_filesToProcessText);
  m_currentFileLabel->setText(m_currentFileText);
  m_progressBar->setValue(0);
  m_cancelButton->setEnabled(true);
  exec();
  // The window closes only once the run has stopped, unless the program quits under it.
  if (m_worker.joinable()) stopRunAndWait();
  m_running = false;
  m_closeTimer->stop();
  m_report.reset();
  m_config = nullptr;
  m_choices = nullptr;
  m_chosenConfig = {};
  m_options = nullptr;
  m_clock = nullptr;
  summary = std::move(m_summary);
  m_summary = {};
  if (m_error) std::rethrow_exception(std::exchange(m_error, nullptr));
  return m_outcome;
}

bool ProcessingDialog::askToStop() {
  if (!isRunning()) return true;
  if (m_prompts.ask("A replacement is running. Stop it and exit?", "Textwright",
                    PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes) {
    return false;
  }
  onCancel();
  // A question the run is waiting for closes as Escape closes it: "skip this occurrence".
  if (m_confirm.isVisible()) static_cast<QDialog&>(m_confirm).reject();
  return true;
}

void ProcessingDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The run starts once per showing, as soon as the window is on the screen.
  if (!m_started && m_config) {
    m_started = true;
    QTimer::singleShot(0, this, &ProcessingDialog::startRun);
  }
}

void ProcessingDialog::startRun() {
  if (!m_config || m_worker.joinable()) return;
  const auto checked = std::count_if(m_config->Files.begin(), m_config->Files.end(),
                                     [](const FileEntry& e) { return e.Checked; });
  m_filesToProcessLabel->setText(m_filesToProcessText + QStringLiteral(": ") +
                                 QString::number(qint64(checked)));
  m_report = std::make_unique<RunReport>(*this);
  m_worker = std::thread([this] {
    try {
      if (m_choices) {
        // Confirmation was on before the preview when the chosen run still asks the user.
        PreviewChoiceHost chosen(*m_report, *m_config, *m_choices, m_askUser);
        m_outcome = RunReplacement(*m_config, *m_options, chosen, *m_clock, m_summary);
      } else {
        m_outcome = RunReplacement(*m_config, *m_options, *m_report, *m_clock, m_summary);
      }
    } catch (...) {
      m_error = std::current_exception();
    }
    m_report->send();
    m_runEnded.store(true, std::memory_order_release);
    QMetaObject::invokeMethod(this, &ProcessingDialog::onRunEnded, Qt::QueuedConnection);
  });
}

void ProcessingDialog::onRunEnded() {
  if (!m_worker.joinable()) return;  // already waited for
  m_worker.join();
  m_running = false;
  m_cancelButton->setEnabled(false);
  m_closeTimer->start();
}

void ProcessingDialog::onCloseTimer() {
  accept();
}

void ProcessingDialog::stopRunAndWait() {
  m_cancelRequested.store(true);
  // A question or report the run has sent is dropped rather than answered: a dropped question
  // returns at once ("skip this occurrence"), and the run then reads Cancel.
  while (!m_runEnded.load(std::memory_order_acquire)) {
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  m_worker.join();
  QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
}

void ProcessingDialog::onCancel() {
  // The run stops as soon as it reads this; a further press changes nothing more, and the
  // window closes as soon as the run has stopped.
  m_cancelRequested.store(true, std::memory_order_relaxed);
}

void ProcessingDialog::showProgress(const std::string& path, int percent) {
  if (!path.empty()) {
    setElidedText(m_currentFileLabel, QStringLiteral("Procesing file : "),
                  fromStd(platform::fileNameOf(path)), Qt::ElideMiddle);
  }
  m_progressBar->setValue(percent);
}

void ProcessingDialog::reject() {
  // Escape during a run is Cancel; the window closes on its own when the run ends.
  if (isRunning() || m_closeTimer->isActive()) {
    onCancel();
    return;
  }
  QDialog::reject();
}

void ProcessingDialog::closeEvent(QCloseEvent* event) {
  if (isRunning() || m_closeTimer->isActive()) {
    onCancel();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace tw
