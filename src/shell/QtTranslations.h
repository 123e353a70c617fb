#pragma once
// Qt's own texts (file dialogs, standard buttons, context menus) in Simplified Chinese, like
// every text of the program, whatever language the system is set to.
class QCoreApplication;

namespace lorvane::shell {

// Loads Qt's Simplified-Chinese translations into `app`; false when they are not installed
// (Debian's qt6-translations-l10n), in which case Qt's texts stay English.
bool installChineseTranslations(QCoreApplication& app);

}  // namespace lorvane::shell
