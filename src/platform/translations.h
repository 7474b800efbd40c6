#pragma once

class QCoreApplication;

namespace tl
{

// Loads Qt's own Japanese texts (file dialogs, standard buttons, context menus) whatever the
// locale: the rest of the program speaks Japanese, and an English "Cancel" beside "キャンセル"
// would mix two languages in one dialog. False when the translation file is missing (Debian's
// qt6-translations-l10n holds it).
bool InstallQtTranslations(QCoreApplication& app);

} // namespace tl
