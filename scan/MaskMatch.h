#pragma once
// Matching file names against the masks of a scan.

#include <string_view>

namespace tw {

// Whether the whole `name` matches `mask`: "*" stands for any run of characters, "?" for any one
// character, and letters compare without regard to ASCII case. An empty mask matches nothing
// but the empty name.
bool matchesMask(std::string_view name, std::string_view mask);

// The extension rule: the text after the last "." of `fileName` checked against the text after
// the last "." of `mask`, position by position. "?" takes one character (or none at the end); a
// "*" at the end accepts the rest; a "*" elsewhere skips to the next character equal (case
// counts) to the one after it; other characters compare in upper case; a mask extension that
// ends in neither "*" nor "?" does not accept a longer file extension. So "*.htm" takes
// "page.HTM" but not "page.html", "*.htm*" takes both, "*.*" and "*" take every name, and
// "*.ht?" takes "page.html".
bool MatchMaskExtension(std::string_view fileName, std::string_view mask);

}  // namespace tw
