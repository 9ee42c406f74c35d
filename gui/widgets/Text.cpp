#include "Text.h"

#include "core/platform/Cp1252.h"
#include "core/platform/HeaderDecode.h"

#include <cstdio>

QString FromCp1252(std::string_view bytes)
{
    return QString::fromStdString(platform::Cp1252ToUtf8(bytes));
}

std::string ToCp1252(const QString& text)
{
    return platform::Utf8ToCp1252(text.toStdString());
}

QString ShownUtf8(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char32_t control = platform::DirectionControlAt(utf8.substr(i));
        if (!platform::IsExplicitDirectionControl(control)) {
            out += utf8[i];
            continue;
        }
        char mark[24];
        std::snprintf(mark, sizeof mark, "\u27E8U+%04X\u27E9", static_cast<unsigned>(control));
        out += mark;
        i += 2;  // every explicit control is 3 bytes of UTF-8
    }
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}
