#include "lang/LanguageFile.h"

#include "platform/FileIo.h"

#include <charconv>

namespace tw {

namespace {

bool isContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t length = 0;
    char32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (s.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(s[i + k]);
      if (!isContinuation(next)) return false;
      cp = (cp << 6) | (next & 0x3F);
    }
    if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// Windows-1252 for 0x80 to 0x9F; the five unassigned bytes keep their C1 code points.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string fromWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    appendUtf8(out, c >= 0x80 && c <= 0x9F ? kCp1252High[c - 0x80] : char32_t(c));
  }
  return out;
}

bool isBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::string lineError(std::string_view fileName, size_t lineNumber, const std::string& problem) {
  return "The language file " + std::string(fileName) + " cannot be used: line " +
         std::to_string(lineNumber) + ": " + problem + ".";
}

}  // namespace

std::string languageFileText(std::string_view bytes) {
  if (isValidUtf8(bytes)) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return std::string(bytes);
  }
  return fromWindows1252(bytes);
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
