#pragma once

#include <QTranslator>

// The desktop's language for Mavix's texts: QLocale::system() follows
// LANGUAGE, LC_ALL, LC_MESSAGES and LANG. English needs no file; a language
// without a translation stays English.
namespace ui_language {

// Mavix's own texts (built in under :/i18n). False: none for this language.
bool LoadMavixTexts(QTranslator& translator);
// Qt's own texts (standard buttons, file dialogs), where the system has
// them (Debian: qt6-translations-l10n).
bool LoadQtTexts(QTranslator& translator);

}  // namespace ui_language
