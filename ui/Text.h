#pragma once

#include <QString>
#include <string>
#include <string_view>

// Header texts and settings are Windows-1252 bytes; the window shows Unicode.
QString FromCp1252(std::string_view bytes);
std::string ToCp1252(const QString& text);
