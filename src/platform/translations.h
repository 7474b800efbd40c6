#pragma once

#include <QLocale>

class QCoreApplication;

namespace tl
{

// Loads Qt's own Japanese texts (file dialogs, standard buttons, context menus) when the locale
// is Japanese. False when the locale is another or the translation file is missing (Debian's
// qt6-translations-l10n holds it).
bool InstallQtTranslations(QCoreApplication& app, const QLocale& locale);

} // namespace tl
