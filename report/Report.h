#pragma once
// What a run leaves for the user: the summary line and result list of the results window, and
// the report of a run saved as plain text or as an HTML page. Nothing here shows a window; the
// desktop program's results window and the command-line tool both build on these functions.
//
// A report is a list of lines written with CR LF after every line. It lists every checked
// entry of the file list (at the moment of saving) with its replacement count, so it reflects
// the current check marks. The HTML report escapes paths in its text and percent-encodes them
// in its file:// links.

#include "config/Prompts.h"
#include "config/StringPair.h"
#include "engine/RunSummary.h"
#include "platform/FileIo.h"

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The results window's label before the summary.
inline constexpr const char* kResultLabel = "Textwright made ";

// "<total> replacement(s) in <files> following file(s)."
std::string resultSummary(const RunSummary& summary);
// kResultLabel + resultSummary: the first line the command-line tool prints. The result list
// below it is RunSummary::ResultLines, shown unchanged and in order.
std::string resultSummaryLine(const RunSummary& summary);

// "hh:mm:ss" (two digits each); "month.day.year" without padding.
std::string formatRunTime(const RunTime& time);
std::string formatRunDate(const RunDate& date);

// The length of a run from its two times of day, hundredths and dates ignored; a run past
// midnight or longer than a day is counted modulo 24 hours.
struct RunDuration {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;

  bool operator==(const RunDuration&) const = default;
};
RunDuration runDuration(const RunTime& begin, const RunTime& end);

enum class ReportFormat { Text, Html };

// The report's lines, without line ends. One line holds a single LF character.
std::vector<std::string> reportLines(ReportFormat format, const RunSummary& summary,
                                     const std::vector<FileEntry>& files);
// The report's bytes: every line followed by CR LF.
std::string buildReport(ReportFormat format, const RunSummary& summary,
                        const std::vector<FileEntry>& files);

// Writes the report to exactly `path` as a whole (temporary file, then rename); an existing
// file is replaced. The error names the file.
platform::IoStatus writeReport(const std::string& path, ReportFormat format,
                               const RunSummary& summary, const std::vector<FileEntry>& files);

// The save dialog of the results window.
inline constexpr const char* kSaveReportTitle = "Saving replacement results";
// "Text file (*.txt)", "HTML file (*.html)", "All Files (*.*)"; the first is the default.
const std::vector<FileFilter>& reportFilters();
// The format follows the selected filter (index into reportFilters), not the name typed:
// the HTML filter gives HTML, every other the text report.
ReportFormat reportFormatForFilter(int filterIndex);
// The name as entered with ".txt" or ".html" appended, whatever it ends with
// (summary -> summary.txt, summary.txt -> summary.txt.txt).
std::string reportFileName(const std::string& entered, ReportFormat format);

// The results window's "Save results": the save dialog, then the report written under
// reportFileName; a failure is shown with the error naming the file. Returns the path written,
// or an empty text when the dialog was cancelled or the write failed.
std::string SaveResults(Prompts& prompts, const RunSummary& summary,
                        const std::vector<FileEntry>& files);

// Text made safe for HTML: & < > " ' as character references; other bytes unchanged.
std::string htmlEscape(std::string_view text);
// "file://" + the path with every byte but letters, digits, "-._~/" percent-encoded. A path
// that is not absolute is taken from the current folder first, so the link always leads to
// the file ("file:///...").
std::string fileUrl(std::string_view path);

}  // namespace tw
