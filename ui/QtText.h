#pragma once
// The one crossing between the core's byte strings and Qt's text: the core keeps UTF-8 bytes,
// the windows show QString. Bytes that are not valid UTF-8 show as replacement characters;
// a text the user did not edit is never written back from its QString form.

#include "lang/TextTable.h"

#include <QString>

#include <string>
#include <string_view>

namespace tw {

inline QString fromStd(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

inline std::string toStd(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return std::string(utf8.constData(), std::size_t(utf8.size()));
}

// The caption in slot `slot` of `texts`, and its built-in English text (what a window is built
// with, before any language is applied).
inline QString caption(const TextTable& texts, int slot) {
  return fromStd(texts.text(slot));
}
inline QString builtinCaption(int slot) {
  return QString::fromUtf8(builtinText(slot));
}

}  // namespace tw
