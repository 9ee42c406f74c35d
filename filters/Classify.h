#pragma once

#include <string>

class FilterLists;

// Maps an accented Windows-1252 letter (capital or small) to its plain
// capital ASCII letter; every other byte comes back unchanged.
unsigned char FoldAccent(unsigned char c);

// The form in which subjects and subject entries are compared: every byte
// through FoldAccent, then ASCII letters in capitals.
std::string NormaliseSubject(const std::string& text);

// 1 when the subject contains an entry of the subject list, equals an entry
// of the exact list (both after NormaliseSubject), or when an entry of the
// size list equals the upper-cased size text byte for byte; else 0.
int IsSuspect(const FilterLists& lists, const std::string& subject, const std::string& sizeText);
