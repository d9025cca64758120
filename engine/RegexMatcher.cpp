#include "engine/RegexMatcher.h"

#include "engine/RegexProgram.h"

namespace tw {

int64_t RegexMatchAt(std::string_view text, int64_t s, std::string_view pattern,
                     bool caseSensitive) {
  if (pattern.empty() || s < 0 || s >= static_cast<int64_t>(text.size())) {
    return -1;
  }
  return regex::matchAt(regex::compile(pattern, caseSensitive), text, s);
}

}  // namespace tw
