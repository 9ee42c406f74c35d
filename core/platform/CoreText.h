#pragma once

#include <QtGlobal>  // QT_TRANSLATE_NOOP, which marks the texts for lupdate

#include <initializer_list>
#include <string>
#include <string_view>

// The core's texts for people (failures, summaries) in the user's language.
// Each text stands where it is used inside QT_TRANSLATE_NOOP("Context", ...),
// so that lupdate finds it, and is handed to Say with the same context.
namespace core_text {

// The text translated by the translator the program installed (the English
// source when there is none, or no application object), as the Windows-1252
// bytes the core's texts are, with %1, %2, ... %9 filled in from values in
// order. The values go in as they are: a server's reply stays as received.
// Thread-safe.
std::string Say(const char* context, const char* source, std::initializer_list<std::string> values = {});

// The same as UTF-8, for the texts that are UTF-8 where they are kept: the
// account setup's findings and problems, the browser sign-in's result, a
// token endpoint's answer, the pages the browser shows. Each value holds
// one encoding, which its declaration names; the values go in as UTF-8.
std::string SayUtf8(const char* context, const char* source, std::initializer_list<std::string> values = {});

// The text with %1, %2, ... %9 filled in, untranslated: for a trace that
// records what the user was told in the source's words.
std::string Fill(std::string_view text, std::initializer_list<std::string> values = {});

}  // namespace core_text
