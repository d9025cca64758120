#pragma once
// The program's version as the windows show it ("2.5"), from the build.

#include <QString>

namespace tw {

inline QString programVersion() {
  return QStringLiteral(TEXTWRIGHT_SHORT_VERSION);
}

}  // namespace tw
