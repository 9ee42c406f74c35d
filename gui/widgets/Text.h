#pragma once

#include <QString>
#include <string>
#include <string_view>

// Header texts and settings are Windows-1252 bytes; the window shows Unicode.
QString FromCp1252(std::string_view bytes);
std::string ToCp1252(const QString& text);

// A UTF-8 text for the window, each explicit direction control
// (platform::IsExplicitDirectionControl) shown as a mark such as
// "⟨U+202E⟩": a Subject can neither make part of itself read in
// another order ("exe.pdf") nor reorder the text around it. The marks LRM,
// RLM and ALM stay as they are: they reorder no letters, and honest
// right-to-left text needs them.
QString ShownUtf8(std::string_view utf8);
