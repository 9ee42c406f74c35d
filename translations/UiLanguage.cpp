#include "UiLanguage.h"

#include <QLibraryInfo>
#include <QLocale>

namespace ui_language {

bool LoadMavixTexts(QTranslator& translator)
{
    return translator.load(QLocale::system(), QStringLiteral("mavix"), QStringLiteral("_"), QStringLiteral(":/i18n"));
}

bool LoadQtTexts(QTranslator& translator)
{
    return translator.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

}  // namespace ui_language
