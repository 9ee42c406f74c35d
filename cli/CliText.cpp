#include "CliText.h"

#include "translations/UiLanguage.h"

#include <QCoreApplication>

#include <vector>

namespace {

QTranslator& Texts()
{
    static QTranslator texts;
    return texts;
}

}  // namespace

void LoadCliTexts()
{
    ui_language::LoadMavixTexts(Texts());
}

void InstallCliTexts()
{
    if (!Texts().isEmpty())
        QCoreApplication::installTranslator(&Texts());
}

std::string CliText(const char* context, const char* source)
{
    const QString text = Texts().translate(context, source);
    return text.isEmpty() ? std::string(source) : text.toStdString();
}

std::string FillIn(const std::string& text, std::initializer_list<std::string> values)
{
    const std::vector<std::string> list(values);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t n = i + 1 < text.size() ? static_cast<size_t>(text[i + 1] - '1') : list.size();
        if (text[i] == '%' && n < list.size() && n < 9) {
            out += list[n];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}
