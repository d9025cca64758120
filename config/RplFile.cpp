#include "config/RplFile.h"

#include <array>

namespace tw {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Splits at CR LF, CR or LF; a line break at the very end does not begin a further line.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

struct SwitchLine {
  bool ReplaceFlags::*flag;
  std::string_view key;
};

// The six switch lines in file order; a value's first character follows its key's "=".
constexpr std::array<SwitchLine, 6> kSwitchLines{{
    {&ReplaceFlags::CaseSensitive, "CaseSensitive="},
    {&ReplaceFlags::WholeWordsOnly, "WholeWordsOnly="},
    {&ReplaceFlags::CreateBackupFiles, "CreateBackupFiles="},
    {&ReplaceFlags::Confirm, "Confirm="},
    {&ReplaceFlags::Anything, "Anything="},
    {&ReplaceFlags::Regular, "Regular="},
}};

// "Strings=" is eight characters; the count is everything after them.
constexpr size_t kCountOffset = 8;

// The count of a block header, or nothing when it is not a decimal number of at most `limit`
// (a larger count would run past the end of the file).
std::optional<size_t> blockCount(std::string_view header, size_t limit) {
  if (header.size() <= kCountOffset) return std::nullopt;
  size_t value = 0;
  for (char c : header.substr(kCountOffset)) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<size_t>(c - '0');
    if (value > limit) return std::nullopt;
  }
  return value;
}

std::string joinLines(const std::vector<std::string_view>& lines, size_t first, size_t count) {
  std::string text;
  for (size_t k = 0; k < count; ++k) {
    if (k > 0) text += kCrLf;
    text += lines[first + k];
  }
  return text;
}

// `line` with each NUL byte written as \0, for a message.
std::string withNulShown(std::string_view line) {
  std::string shown;
  for (char c : line) {
    if (c == '\0') {
      shown += "\\0";
    } else {
      shown += c;
    }
  }
  return shown;
}

void appendLine(std::string& out, std::string_view line) {
  out += line;
  out += kCrLf;
}

}  // namespace

size_t rplLineCount(std::string_view text) {
  size_t count = 0;
  size_t i = 0;
  bool open = false;  // a line has begun and is not yet ended
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      ++count;
      open = false;
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    } else {
      open = true;
      ++i;
    }
  }
  return open ? count + 1 : count;
}

std::string formatRpl(const Configuration& config) {
  std::string out;
  for (const SwitchLine& line : kSwitchLines) {
    out += line.key;
    appendLine(out, config.Flags.*line.flag ? "true" : "false");
  }
  for (const FileEntry& file : config.Files) {
    out += "File=";
    out += file.Path;
    appendLine(out, file.Checked ? ",1" : ",0");
  }
  if (config.pairListEmpty()) {
    appendLine(out, "Strings=0");
    appendLine(out, "Strings=0");
    return out;
  }
  for (const StringPair& pair : config.Pairs()) {
    // An empty find text in a filled list (a row that loading or moving left empty) is
    // written as one empty line: with a count of 0 its header would be read again as the
    // replace header and the rest of the file misread or refused.
    const size_t findLines = pair.Find.empty() ? 1 : rplLineCount(pair.Find);
    appendLine(out, "Strings=" + std::to_string(findLines));
    appendLine(out, pair.Find);
    appendLine(out, "Strings=" + std::to_string(rplLineCount(pair.Replace)));
    appendLine(out, pair.Replace);
  }
  return out;
}

std::optional<RplContent> parseRpl(std::string_view bytes) {
  std::string problem;
  return parseRpl(bytes, problem);
}

std::optional<RplContent> parseRpl(std::string_view bytes, std::string& problem) {
  problem.clear();
  const std::vector<std::string_view> lines = splitLines(bytes);
  if (lines.size() < kSwitchLines.size()) return std::nullopt;
  // The format is known only by the first letters of its first four lines.
  constexpr std::string_view kInitials = "CWCC";
  for (size_t k = 0; k < kInitials.size(); ++k) {
    if (lines[k].empty() || lines[k][0] != kInitials[k]) return std::nullopt;
  }

  RplContent content;
  for (size_t k = 0; k < kSwitchLines.size(); ++k) {
    // Only the character at the value's fixed position counts; the key is not compared.
    const size_t position = kSwitchLines[k].key.size();
    if (lines[k].size() <= position) return std::nullopt;
    content.Flags.*kSwitchLines[k].flag = lines[k][position] == 't';
  }

  size_t i = kSwitchLines.size();
  // The list is sized once: a configuration may list a million files.
  size_t filesEnd = i;
  while (filesEnd < lines.size() && !lines[filesEnd].empty() && lines[filesEnd][0] == 'F')
    ++filesEnd;
  content.Files.reserve(filesEnd - i);
  for (; i < filesEnd; ++i) {
    const std::string_view line = lines[i];
    const size_t equals = line.find('=');
    const size_t comma = line.rfind(',');
    if (equals == std::string_view::npos || comma == std::string_view::npos || comma < equals) {
      return std::nullopt;
    }
    FileEntry entry;
    entry.Path = std::string(line.substr(equals + 1, comma - equals - 1));
    if (entry.Path.find('\0') != std::string::npos) {
      problem = "line " + std::to_string(i + 1) + ": the file entry \"" + withNulShown(line) +
                "\" holds a NUL byte";
      return std::nullopt;
    }
    entry.Checked = comma + 1 < line.size() && line[comma + 1] == '1';
    content.Files.push_back(std::move(entry));
  }

  if (i >= lines.size()) return std::nullopt;  // no pair block at all
  while (i < lines.size()) {
    std::optional<size_t> findCount = blockCount(lines[i], lines.size() - i - 1);
    if (!findCount) return std::nullopt;
    size_t findFirst = i;
    if (*findCount > 0) {
      findFirst = i + 1;
      i = findFirst + *findCount;
      if (i < lines.size() && lines[i].empty()) ++i;
    }
    // With a count of 0 the same header is read again as the replace header.
    if (i >= lines.size()) return std::nullopt;
    std::optional<size_t> replaceCount = blockCount(lines[i], lines.size() - i - 1);
    if (!replaceCount) return std::nullopt;
    const size_t replaceFirst = i + 1;
    i = replaceFirst + *replaceCount;
    if (i < lines.size() && lines[i].empty()) ++i;

    if (!content.Pairs.front().Find.empty()) content.Pairs.emplace_back();
    StringPair& row = content.Pairs.back();
    row.Find = joinLines(lines, findFirst, *findCount);
    row.Replace = joinLines(lines, replaceFirst, *replaceCount);
  }
  return content;
}

void applyRplContent(Configuration& config, RplContent content) {
  config.Flags = content.Flags;
  config.Files = std::move(content.Files);
  config.setPairs(std::move(content.Pairs));
}

}  // namespace tw
