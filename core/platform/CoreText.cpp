#include "CoreText.h"

#include "core/platform/Cp1252.h"

#include <QCoreApplication>

namespace core_text {

std::string Say(const char* context, const char* source, std::initializer_list<std::string> values)
{
    return Fill(platform::Utf8ToCp1252(QCoreApplication::translate(context, source).toStdString()), values);
}

std::string SayUtf8(const char* context, const char* source, std::initializer_list<std::string> values)
{
    return Fill(QCoreApplication::translate(context, source).toStdString(), values);
}

std::string Fill(std::string_view text, std::initializer_list<std::string> values)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t n = i + 1 < text.size() ? static_cast<size_t>(text[i + 1] - '1') : values.size();
        if (text[i] == '%' && n < values.size()) {
            out += values.begin()[n];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace core_text
