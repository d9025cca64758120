#include "report/Report.h"

#include "platform/FileIo.h"

#include <optional>

namespace tw {

namespace {

std::string twoDigits(int value) {
  std::string digits = std::to_string(value);
  return value >= 0 && value < 10 ? "0" + digits : digits;
}

struct Lines {
  std::string begin;
  std::string finish;
  std::string duration;
  std::string processed;
  std::string totals;
};

struct CheckedFile {
  const std::string* path;
  int64_t count;
};

std::vector<CheckedFile> checkedFiles(const RunSummary& summary,
                                      const std::vector<FileEntry>& files) {
  std::vector<CheckedFile> checked;
  for (size_t i = 0; i < files.size(); ++i) {
    if (!files[i].Checked) continue;
    // A position the run never reached has no count yet.
    const int64_t count = i < summary.FileCounts.size() ? summary.FileCounts[i] : 0;
    checked.push_back({&files[i].Path, count});
  }
  return checked;
}

Lines commonLines(const RunSummary& summary, size_t checkedCount) {
  const RunDuration d = runDuration(summary.BeginTime, summary.EndTime);
  return {
      "The replacement process began at " + formatRunTime(summary.BeginTime) + ", " +
          formatRunDate(summary.BeginDate),
      "The replacement process finished at " + formatRunTime(summary.EndTime) + ", " +
          formatRunDate(summary.EndDate),
      "The replacement process continued for " + std::to_string(d.hours) + " hours " +
          std::to_string(d.minutes) + " minutes " + std::to_string(d.seconds) + " seconds",
      std::to_string(checkedCount) + " files have been processed",
      std::to_string(summary.TotalReplacements) + " replacements made in " +
          std::to_string(summary.ResultLines.size()) + " files",
  };
}

const std::string kLoneLf = "\n";

}  // namespace

std::string resultSummary(const RunSummary& summary) {
  return std::to_string(summary.TotalReplacements) + " replacement(s) in " +
         std::to_string(summary.FilesWithReplacements) + " following file(s).";
}

std::string resultSummaryLine(const RunSummary& summary) {
  return kResultLabel + resultSummary(summary);
}

std::string formatRunTime(const RunTime& time) {
  return twoDigits(time.hour) + ":" + twoDigits(time.minute) + ":" + twoDigits(time.second);
}

std::string formatRunDate(const RunDate& date) {
  return std::to_string(date.month) + "." + std::to_string(date.day) + "." +
         std::to_string(date.year);
}

RunDuration runDuration(const RunTime& begin, const RunTime& end) {
  RunDuration d{end.hour - begin.hour, end.minute - begin.minute, end.second - begin.second};
  if (d.seconds < 0) {
    d.seconds += 60;
    d.minutes -= 1;
  }
  if (d.minutes < 0) {
    d.minutes += 60;
    d.hours -= 1;
  }
  if (d.hours < 0) d.hours += 24;
  return d;
}

std::vector<std::string> reportLines(ReportFormat format, const RunSummary& summary,
                                     const std::vector<FileEntry>& files) {
  const std::vector<CheckedFile> checked = checkedFiles(summary, files);
  const Lines common = commonLines(summary, checked.size());
  std::vector<std::string> lines;
  if (format == ReportFormat::Text) {
    lines.push_back(common.begin);
    for (const CheckedFile& file : checked) {
      lines.push_back("File to scan - " + *file.path);
      lines.push_back(*file.path + " - " + std::to_string(file.count) + " replacements made");
    }
    lines.push_back(common.finish);
    lines.push_back(kLoneLf);
    lines.push_back(common.duration);
    lines.push_back(common.processed);
    lines.push_back(common.totals);
    return lines;
  }

  lines = {
      "<HTML>",
      "<HEAD><TITLE>Replacement results</TITLE></HEAD>",
      "<BODY>",
      "<TABLE WIDTH=100%\"300\" BORDER=\"0\" ALIGN=\"left\">",
      "<TR>",
      "<div align=\"center\"><p><font color=\"#0000FF\" size=\"5\"><b>Replacements "
      "result</b></font></p><br>",
      common.begin,
      "</div>",
      "</TR>",
      "<TR>",
      "<HR>",
      "</TR>",
  };
  for (const CheckedFile& file : checked) {
    lines.push_back("<TR>File to scan - <A HREF=\"" + fileUrl(*file.path) + "\">" +
                    htmlEscape(*file.path) + "</A>   -   " + std::to_string(file.count) +
                    " replacements made</TR><BR>");
  }
  for (const std::string& line :
       {std::string("<TR>"), std::string("<HR>"), std::string("</TR>"), std::string("<TR>"),
        common.finish, std::string("</TR>"), kLoneLf}) {
    lines.push_back(line);
  }
  for (const std::string* text : {&common.duration, &common.processed, &common.totals}) {
    lines.push_back("<TR>");
    lines.push_back(*text);
    lines.push_back("</TR>");
    lines.push_back("<BR>");
  }
  lines.push_back("</BODY>");
  lines.push_back("</HTML>");
  return lines;
}

std::string buildReport(ReportFormat format, const RunSummary& summary,
                        const std::vector<FileEntry>& files) {
  std::string bytes;
  for (const std::string& line : reportLines(format, summary, files)) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

platform::IoStatus writeReport(const std::string& path, ReportFormat format,
                               const RunSummary& summary, const std::vector<FileEntry>& files) {
  return platform::writeFileAtomically(path, buildReport(format, summary, files));
}

const std::vector<FileFilter>& reportFilters() {
  static const std::vector<FileFilter> filters{
      {"Text file (*.txt)", "*.txt"}, {"HTML file (*.html)", "*.html"}, {"All Files (*.*)", "*.*"}};
  return filters;
}

ReportFormat reportFormatForFilter(int filterIndex) {
  return filterIndex == 1 ? ReportFormat::Html : ReportFormat::Text;
}

std::string reportFileName(const std::string& entered, ReportFormat format) {
  return entered + (format == ReportFormat::Html ? ".html" : ".txt");
}

std::string SaveResults(Prompts& prompts, const RunSummary& summary,
                        const std::vector<FileEntry>& files) {
  std::optional<SaveChoice> choice = prompts.chooseSaveFile(kSaveReportTitle, reportFilters(), {});
  if (!choice) return {};
  const ReportFormat format = reportFormatForFilter(choice->filterIndex);
  const std::string path = reportFileName(choice->path, format);
  if (platform::IoStatus status = writeReport(path, format, summary, files); !status) {
    prompts.inform(status.error, "Textwright", PromptIcon::Error);
    return {};
  }
  return path;
}

std::string htmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string fileUrl(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "file://";
  std::string full(path);
  if (!full.empty() && full.front() != '/') {
    if (std::optional<std::string> absolute = platform::absolutePath(full)) full = *absolute;
  }
  for (char c : full) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' ||
                       c == '~' || c == '/';
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  return out;
}

}  // namespace tw
