#pragma once

#include <QString>
#include <string>

// Header texts and settings are Windows-1252 bytes; the window shows Unicode.
QString FromCp1252(const std::string& bytes);
std::string ToCp1252(const QString& text);
