#pragma once

#include <istream>
#include <string>
#include <vector>

#include "core/filters/FilterLists.h"

// The lists used as defaults when there is no "defaults.txt": 104 subject
// entries (one of them twice), whole-word, and 7 sizes, as Windows-1252
// bytes.
const std::vector<std::string>& BuiltInSubjectDefaults();
const std::vector<std::string>& BuiltInSizeDefaults();
void AppendBuiltInDefaults(FilterLists& lists);

// Reads the text of a defaults file into `lists`: lines of at most 999
// characters, trimmed; the exact headers "[SIZE]", "[SUBJECT EXACT]" and
// "[SUBJECT]" select the list that the following non-empty lines join;
// Subject entries are whole-word.
// Lines before the first header are dropped, and so are entries that a
// stored list could not hold (longer than 259 bytes).
void ParseDefaults(std::istream& in, FilterLists& lists);
