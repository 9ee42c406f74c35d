#pragma once

#include <initializer_list>
#include <string>

// mavix-cli's texts for people, in the desktop's language, as UTF-8. The
// source texts are the English ones; what scripts read (TSV fields, the
// journal's words, exit statuses) never goes through here. lupdate reads
// CliText(context, text) as QT_TRANSLATE_NOOP (translations/CMakeLists.txt).

// Loads the translation for the desktop's language, once, before any text
// is printed.
void LoadCliTexts();
// Hands the same translation to the application, for the core's texts
// (the purge's summary), once QCoreApplication exists.
void InstallCliTexts();
// The text in the user's language: the English source when there is none.
std::string CliText(const char* context, const char* source);
// text with %1, %2, ... replaced by values, in one pass: a value holding
// "%2" stays as it is.
std::string FillIn(const std::string& text, std::initializer_list<std::string> values);
