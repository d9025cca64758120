#include "engine/Searcher.h"

#include <string>

#include "engine/RegexProgram.h"

namespace tw {

class Searcher::Impl {
public:
  bool isRegex = false;
  std::string find;
  LiteralOptions options;
  regex::Compiled compiled;
};

Searcher::Searcher(std::shared_ptr<const Impl> impl) : m_impl(std::move(impl)) {}

Searcher Searcher::literal(std::string_view find, const LiteralOptions& options) {
  auto impl = std::make_shared<Impl>();
  impl->find = std::string(find);
  impl->options = options;
  return Searcher(std::move(impl));
}

Searcher Searcher::regex(std::string_view pattern, bool caseSensitive) {
  auto impl = std::make_shared<Impl>();
  impl->isRegex = true;
  impl->find = std::string(pattern);
  impl->compiled = regex::compile(pattern, caseSensitive);
  return Searcher(std::move(impl));
}

std::optional<Occurrence> Searcher::findFrom(std::string_view text, int64_t from) const {
  const Impl& impl = *m_impl;
  if (impl.find.empty()) return std::nullopt;
  const auto n = static_cast<int64_t>(text.size());
  for (int64_t s = std::max<int64_t>(from, 0); s < n; ++s) {
    const int64_t e = impl.isRegex ? regex::matchAt(impl.compiled, text, s)
                                   : MatchLiteralAt(text, s, impl.find, impl.options);
    if (e >= 0) return Occurrence{s, e};
  }
  return std::nullopt;
}

}  // namespace tw
