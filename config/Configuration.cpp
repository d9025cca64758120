#include "config/Configuration.h"

#include <unordered_set>

namespace tw {

namespace {

constexpr const char* kWarning = "Warning";
constexpr const char* kQuestion = "Question";

bool askYes(Prompts& prompts, const std::string& text) {
  return prompts.ask(text, kQuestion, PromptButtons::YesNo, PromptIcon::Question) ==
         PromptAnswer::Yes;
}

}  // namespace

std::string withCrLfLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string normalizeLineBreaks(std::string_view text) {
  std::string out = withCrLfLineBreaks(text);
  if (out.ends_with("\r\n")) out.resize(out.size() - 2);
  return out;
}

bool Configuration::AddPair(Prompts& prompts) {
  // Even a refused attempt counts as a change.
  markChanged();
  const std::string& find = FindField;
  const std::string& replace = ReplaceField;
  if (find.empty() && replace.empty()) {
    prompts.inform("You must enter Find and Replace text!!!", kWarning, PromptIcon::Warning);
    return false;
  }
  if (find == replace) {
    prompts.inform("You've entered the identical text blocks!!!", kWarning, PromptIcon::Warning);
    return false;
  }
  if (find.empty()) {
    prompts.inform("You didn't specify the Find text block!!!", kWarning, PromptIcon::Warning);
    return false;
  }
  for (const StringPair& pair : m_pairs) {
    if (pair.Find == find && pair.Replace == replace) {
      prompts.inform("These text blocks are already in the strings list!", kWarning,
                     PromptIcon::None);
      return false;
    }
  }
  appendPair({find, replace});
  FindField.clear();
  ReplaceField.clear();
  return true;
}

void Configuration::setPairs(std::vector<StringPair> pairs) {
  m_pairs = std::move(pairs);
  if (m_pairs.empty()) m_pairs.emplace_back();
}

void Configuration::appendPair(StringPair pair) {
  if (pairListEmpty()) {
    m_pairs[0] = std::move(pair);
  } else {
    m_pairs.push_back(std::move(pair));
  }
}

void Configuration::removeRow(size_t row) {
  // A single row is emptied rather than dropped: the grid always keeps one row.
  if (m_pairs.size() == 1) {
    m_pairs[0] = StringPair{};
    return;
  }
  if (row < m_pairs.size()) m_pairs.erase(m_pairs.begin() + static_cast<std::ptrdiff_t>(row));
}

bool Configuration::RemovePair(size_t row, PairRemoval via, const AppOptions& options,
                               Prompts& prompts) {
  if (via != PairRemoval::MenuEntry && options.ConfirmDeletePair &&
      !askYes(prompts, "Really delete the selcted string from the find/replace list?")) {
    return false;
  }
  removeRow(row);
  if (via == PairRemoval::Button) markChanged();
  return true;
}

void Configuration::TakePairForEditing(size_t row) {
  if (row >= m_pairs.size()) return;
  FindField = m_pairs[row].Find;
  ReplaceField = m_pairs[row].Replace;
  removeRow(row);
}

bool Configuration::MovePair(int from, int to) {
  const int rows = static_cast<int>(m_pairs.size());
  if (from == to || from < 1 || to < 1 || from > rows || to > rows) return false;
  StringPair moved = m_pairs[static_cast<size_t>(from - 1)];
  moved.Find = normalizeLineBreaks(moved.Find);
  moved.Replace = normalizeLineBreaks(moved.Replace);
  m_pairs.erase(m_pairs.begin() + (from - 1));
  m_pairs.insert(m_pairs.begin() + (to - 1), std::move(moved));
  return true;
}

void Configuration::AddFiles(const std::vector<std::string>& paths) {
  std::unordered_set<std::string> present;
  present.reserve(Files.size() + paths.size());
  for (const FileEntry& entry : Files) present.insert(entry.Path);
  for (const std::string& path : paths) {
    if (path.find('\0') != std::string::npos) continue;
    if (present.insert(path).second) Files.push_back({path, true});
  }
  markChanged();
}

bool Configuration::RemoveFile(std::optional<size_t> selected, const AppOptions& options,
                               Prompts& prompts) {
  if (options.ConfirmDeleteFile &&
      !askYes(prompts, "Really delete the selcted file from the list?")) {
    return false;
  }
  if (selected && *selected < Files.size()) {
    Files.erase(Files.begin() + static_cast<std::ptrdiff_t>(*selected));
  }
  markChanged();
  return true;
}

bool Configuration::ClearFiles(const AppOptions& options, Prompts& prompts) {
  if (options.ConfirmDeleteAllFiles && !askYes(prompts, "Really delete all files from the list?")) {
    return false;
  }
  Files.clear();
  ScanResults.clear();
  return true;
}

void Configuration::SetAllChecked(bool checked) {
  for (FileEntry& entry : Files) entry.Checked = checked;
}

void Configuration::setChecked(size_t index, bool checked) {
  if (index < Files.size()) Files[index].Checked = checked;
}

void Configuration::ResetConfiguration() {
  FindField.clear();
  ReplaceField.clear();
  Flags.CaseSensitive = false;
  Flags.WholeWordsOnly = false;
  Flags.CreateBackupFiles = true;
  Flags.Confirm = false;
  Files.clear();
  ClearPairs();
  markSaved();
}

}  // namespace tw
