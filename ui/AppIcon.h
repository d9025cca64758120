#pragma once
// The program's own icon, the same picture the desktop's menu shows.

#include <QIcon>

namespace tw {

// The icon drawn from the program's SVG at the sizes windows and task bars ask for. Needs a
// QGuiApplication.
QIcon appIcon();

}  // namespace tw
