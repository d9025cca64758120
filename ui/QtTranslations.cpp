#include "ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace tw {

namespace {

// The locale whose language is called `name` in English or in itself; C when there is none.
QLocale localeNamed(const QString& name) {
  if (name.isEmpty()) return QLocale::c();
  const QList<QLocale> all =
      QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
  for (const QLocale& locale : all) {
    if (locale.language() == QLocale::C) continue;
    if (QLocale::languageToString(locale.language()).compare(name, Qt::CaseInsensitive) == 0 ||
        locale.nativeLanguageName().compare(name, Qt::CaseInsensitive) == 0) {
      // The language's main locale ("de" rather than the first territory listed).
      return QLocale(locale.language());
    }
  }
  return QLocale::c();
}

}  // namespace

bool useQtTranslations(const QString& language) {
  static std::unique_ptr<QTranslator> installed;
  if (installed) {
    QCoreApplication::removeTranslator(installed.get());
    installed.reset();
  }
  QString name = language.trimmed();
  if (name.endsWith(QStringLiteral(".lng"), Qt::CaseInsensitive)) name.chop(4);
  const QLocale locale = localeNamed(name);
  if (locale.language() == QLocale::C || locale.language() == QLocale::English) return false;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  QCoreApplication::installTranslator(translator.get());
  installed = std::move(translator);
  return true;
}

}  // namespace tw
