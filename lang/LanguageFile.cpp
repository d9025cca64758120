#include "lang/LanguageFile.h"

#include "platform/FileIo.h"
#include "text/Utf8.h"
#include "text/Windows1252.h"

#include <charconv>

namespace tw {

namespace {

bool isBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::string lineError(std::string_view fileName, size_t lineNumber, const std::string& problem) {
  return "The language file " + std::string(fileName) + " cannot be used: line " +
         std::to_string(lineNumber) + ": " + problem + ".";
}

}  // namespace

std::string languageFileText(std::string_view bytes) {
  if (text::isValidUtf8(bytes)) {
    if (bytes.starts_with(text::kUtf8Mark)) bytes.remove_prefix(text::kUtf8Mark.size());
    return std::string(bytes);
  }
  return text::windows1252ToUtf8(bytes);
}

LanguageFileResult parseLanguageFile(std::string_view bytes, std::string_view fileName) {
  LanguageFileResult result;
  const std::string text = languageFileText(bytes);
  std::string_view rest = text;
  size_t lineNumber = 0;
  while (!rest.empty()) {
    const size_t end = rest.find_first_of("\r\n");
    std::string_view line = rest.substr(0, end);
    if (end == std::string_view::npos) {
      rest = {};
    } else {
      const size_t next = rest.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
      rest.remove_prefix(next);
    }
    ++lineNumber;
    if (isBlank(line) || line.front() == '#') continue;

    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      result.error = lineError(fileName, lineNumber, "there is no \"=\" after the slot number");
      return result;
    }
    const std::string_view number = line.substr(0, equals);
    int slot = 0;
    const char* first = number.data();
    const char* last = number.data() + number.size();
    if (first != last && *first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, slot);
    if (number.empty() || ec != std::errc() || ptr != last) {
      result.error =
          lineError(fileName, lineNumber, "'" + std::string(number) + "' is not a slot number");
      return result;
    }
    if (slot != -1 && (slot < 1 || slot > kTextSlots)) {
      result.error =
          lineError(fileName, lineNumber, "slot " + std::to_string(slot) + " is outside 1 to 300");
      return result;
    }
    const size_t open = line.find('"', equals + 1);
    if (open == std::string_view::npos) {
      result.error = lineError(fileName, lineNumber, "the text has no opening double quote");
      return result;
    }
    const size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos) {
      result.error = lineError(fileName, lineNumber, "the text has no closing double quote");
      return result;
    }
    if (slot != -1)
      result.entries.push_back({slot, std::string(line.substr(open + 1, close - open - 1))});
  }
  return result;
}

std::string loadLanguageFile(const std::string& path, TextTable& table) {
  const std::string name = platform::fileNameOf(path);
  std::string bytes;
  if (!platform::readWholeFile(path, bytes)) return "Cannot open file " + name;
  LanguageFileResult parsed = parseLanguageFile(bytes, name);
  if (!parsed.ok()) return parsed.error;
  table.loadBuiltinTexts();
  for (LanguageEntry& entry : parsed.entries) table.set(entry.slot, std::move(entry.text));
  return {};
}

}  // namespace tw
