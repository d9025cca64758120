#pragma once
// The wording of a failed file operation, shared by every part that reports one:
// `Cannot write "/path/name": No space left on device`.

#include "platform/FileIo.h"

#include <string>
#include <string_view>

namespace tw::platform {

// `path` between double quotes.
inline std::string quoted(const std::string& path) {
  return "\"" + path + "\"";
}

// What failed (e.g. "Cannot write"), the quoted path, and the reason for `errnum`.
inline std::string failureText(std::string_view what, const std::string& path, int errnum) {
  return std::string(what) + " " + quoted(path) + ": " + errorText(errnum);
}

inline IoStatus fail(std::string_view what, const std::string& path, int errnum) {
  return IoStatus::failure(failureText(what, path, errnum));
}

}  // namespace tw::platform
