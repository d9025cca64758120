#pragma once
// The Qt standard dialogs (file dialogs, message-box buttons, context menus of text fields)
// in the program's language, from the translations Qt ships (qt6-translations-l10n).

#include <QString>

namespace tw {

// Installs Qt's own translation for `language`: a language file's name ("German.lng") or a
// bare language name, in English or in the language itself ("German", "Deutsch"). An empty
// name, "English.lng" or a language Qt has no translation for leaves Qt's built-in English.
// Replaces the translation installed by the previous call. Returns whether one was loaded.
bool useQtTranslations(const QString& language);

}  // namespace tw
