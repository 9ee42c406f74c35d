#include "Text.h"

#include "platform/Cp1252.h"

QString FromCp1252(std::string_view bytes)
{
    return QString::fromStdString(platform::Cp1252ToUtf8(bytes));
}

std::string ToCp1252(const QString& text)
{
    return platform::Utf8ToCp1252(text.toStdString());
}
