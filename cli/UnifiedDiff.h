#pragma once
// A unified diff of two versions of one file, as `diff -u` writes it (three lines of context),
// for the dry run. Lines keep their own line ends; a last line without one is marked
// "\ No newline at end of file".

#include <string>
#include <string_view>

namespace tw::cli {

// The diff of `before` into `after`, headed "--- <path>" / "+++ <path>"; empty when equal.
std::string UnifiedDiff(const std::string& path, std::string_view before, std::string_view after);

}  // namespace tw::cli
