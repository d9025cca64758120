// The configuration file reader on arbitrary bytes: it must never crash, and what it reads,
// written again and read back, must come back the same wherever the format can hold it.
#include "config/RplFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Texts that a save cannot give back unchanged: an empty find text in a filled list (its
// block would be read as an empty pair) and a text ending in a line break (it loses it).
bool survivesASave(const tw::RplContent& content) {
  if (content.Pairs.size() == 1 && content.Pairs[0] == tw::StringPair{}) return true;
  for (const tw::StringPair& pair : content.Pairs) {
    if (pair.Find.empty()) return false;
    for (const std::string* text : {&pair.Find, &pair.Replace}) {
      if (text->ends_with('\n') || text->ends_with('\r')) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::optional<tw::RplContent> content = tw::parseRpl(bytes);
  if (!content) return 0;
  if (content->Pairs.empty()) std::abort();  // the grid always has a row

  tw::Configuration config;
  tw::applyRplContent(config, *content);
  std::optional<tw::RplContent> again = tw::parseRpl(tw::formatRpl(config));
  if (!again) std::abort();  // whatever was read can be written in a readable form
  if (survivesASave(*content) && !(*again == *content)) std::abort();
  return 0;
}
