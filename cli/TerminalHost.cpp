#include "cli/TerminalHost.h"

#include "cli/UnifiedDiff.h"
#include "platform/FileIo.h"
#include "text/Encoding.h"

#include <csignal>
#include <istream>
#include <optional>
#include <ostream>

namespace tw::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
struct sigaction g_previous {};

extern "C" void onInterrupt(int) {
  if (g_interrupted != 0) {
    // A second Ctrl-C stops at once; every file still holds its old or its new content.
    ::sigaction(SIGINT, &g_previous, nullptr);
    ::raise(SIGINT);
    return;
  }
  g_interrupted = 1;
}

constexpr int kBarWidth = 30;

}  // namespace

std::optional<ConfirmDecision> ParseConfirmAnswer(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  if (line.empty()) return ConfirmDecision::ReplaceThis;
  if (line.size() != 1) return std::nullopt;
  switch (line[0]) {
    case 'y':
    case 'Y':
      return ConfirmDecision::ReplaceThis;
    case 'n':
    case 'N':
      return ConfirmDecision::SkipThis;
    case 'f':
    case 'F':
      return ConfirmDecision::ReplaceAllInFile;
    case 's':
    case 'S':
      return ConfirmDecision::SkipAllInFile;
    case 'a':
    case 'A':
      return ConfirmDecision::ReplaceAllFiles;
    case 'q':
    case 'Q':
      return ConfirmDecision::SkipAllFiles;
    default:
      return std::nullopt;
  }
}

TerminalHost::TerminalHost(CliIo& io, Settings settings) : m_io(io), m_settings(settings) {
  if (m_settings.watchInterrupt) {
    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &g_previous);
  }
}

TerminalHost::~TerminalHost() {
  if (m_settings.watchInterrupt) ::sigaction(SIGINT, &g_previous, nullptr);
}

ConfirmDecision TerminalHost::confirm(const ConfirmRequest& request) {
  clearBar();
  std::ostream& err = m_io.err;
  const std::string& excerpt = request.excerpt;
  const size_t start = static_cast<size_t>(request.occurrenceStart);
  const size_t length = static_cast<size_t>(request.occurrenceLength);
  err << "File : " << platform::fileNameOf(request.path) << "\n"
      << "Find : " << request.find << "\n"
      << "Replace with : " << request.replace << "\n"
      << "Text:\n"
      << excerpt.substr(0, start) << "[[" << excerpt.substr(start, length) << "]]"
      << excerpt.substr(start + length) << "\n";
  while (true) {
    err << "Replace? y = this, n = skip this, f = all in this file, s = skip this file, "
           "a = all files, q = skip all files [y]: "
        << std::flush;
    std::string line;
    if (m_inputEnded || !std::getline(m_io.in, line)) {
      m_inputEnded = true;
      err << "q\n";
      return ConfirmDecision::SkipAllFiles;
    }
    if (std::optional<ConfirmDecision> answer = ParseConfirmAnswer(line)) return *answer;
    err << "Please answer y, n, f, s, a or q.\n";
  }
}

// The bar follows the run at every new percent and otherwise ten times a second at most:
// a terminal drawing a line for each of a hundred thousand small files would slow the run.
void TerminalHost::fileStarted(const std::string& path) {
  m_current = path;
  drawBarIfDue(false);
}

void TerminalHost::progress(int percent) {
  const bool changed = percent != m_percent;
  m_percent = percent;
  drawBarIfDue(changed);
}

void TerminalHost::yield() {
  if (m_barBehind) drawBar();
}

void TerminalHost::drawBarIfDue(bool percentChanged) {
  if (!m_settings.progressBar) return;
  m_barBehind = true;
  if (!percentChanged && m_barShown &&
      std::chrono::steady_clock::now() - m_drawn < std::chrono::milliseconds(100))
    return;
  drawBar();
}

bool TerminalHost::cancelRequested() {
  if (g_interrupted == 0) return false;
  clearBar();
  m_io.err << "textwright-cli: interrupted; the files that follow were not touched\n";
  return true;
}

void TerminalHost::fileChanged(const std::string& path, std::string_view oldContent,
                               std::string_view newContent) {
  if (!m_settings.showDiffs) return;
  clearBar();
  // A file in UTF-16 is shown as its text, in UTF-8; so is one in Windows-1252 when the run read
  // it as text.
  const text::TextEncoding encoding = text::detectEncoding(oldContent);
  if (encoding == text::TextEncoding::Utf16Le || encoding == text::TextEncoding::Utf16Be ||
      (encoding == text::TextEncoding::Windows1252 && m_settings.windows1252AsText)) {
    m_io.out << UnifiedDiff(path, text::decodeText(oldContent, encoding).text,
                            text::decodeText(newContent, encoding).text);
    return;
  }
  m_io.out << UnifiedDiff(path, oldContent, newContent);
}

void TerminalHost::finish() {
  clearBar();
}

void TerminalHost::drawBar() {
  if (!m_settings.progressBar) return;
  const int filled = m_percent * kBarWidth / 100;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kBarWidth - filled), ' ');
  std::string name = platform::fileNameOf(m_current);
  if (name.size() > 40) name = name.substr(0, 37) + "...";
  m_io.err << "\r[" << bar << "] " << m_percent << "%  " << name << "\x1b[K" << std::flush;
  m_barShown = true;
  m_barBehind = false;
  m_drawn = std::chrono::steady_clock::now();
}

void TerminalHost::clearBar() {
  if (!m_barShown) return;
  m_io.err << "\r\x1b[K" << std::flush;
  m_barShown = false;
}

}  // namespace tw::cli
