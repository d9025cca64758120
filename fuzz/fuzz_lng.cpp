// The language-file reader on arbitrary bytes: it must never crash; a file it accepts gives
// only slots of the table (or none) and texts that are valid UTF-8 without a double quote,
// and reading the same bytes again gives the same result.
#include "lang/LanguageFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const tw::LanguageFileResult r = tw::parseLanguageFile(bytes, "Fuzz.lng");
  if (!r.ok()) {
    if (r.error.find("Fuzz.lng, line") == std::string::npos &&
        r.error.find("Fuzz.lng cannot be used: line") == std::string::npos)
      std::abort();  // a refusal names the file and the line
    return 0;
  }
  tw::TextTable table;
  for (const tw::LanguageEntry& e : r.entries) {
    if (e.slot < 1 || e.slot > tw::kTextSlots) std::abort();
    if (e.text.find('"') != std::string::npos) std::abort();
    // Valid UTF-8 stays as it is (the prefix keeps a leading byte order mark in the text).
    if (tw::languageFileText("x" + e.text) != "x" + e.text) std::abort();
    table.set(e.slot, e.text);
  }
  if (tw::parseLanguageFile(bytes, "Fuzz.lng").entries != r.entries) std::abort();
  return 0;
}
