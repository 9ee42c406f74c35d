#include "UiLanguage.h"

#include <QLibraryInfo>
#include <QLocale>

namespace ui_language {

bool LoadMavixTexts(QTranslator& translator)
{
    // The desktop's languages in the user's order: English, the texts'
    // own language, ends the search, so LANGUAGE=en:de stays English.
    for (QString language : QLocale::system().uiLanguages()) {
        language.replace(QLatin1Char('-'), QLatin1Char('_'));
        if (language == QLatin1String("C") || language.startsWith(QLatin1String("en")))
            return false;
        if (translator.load(QStringLiteral("mavix_") + language, QStringLiteral(":/i18n")))
            return true;
    }
    return false;
}

bool LoadQtTexts(QTranslator& translator)
{
    return translator.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

}  // namespace ui_language
