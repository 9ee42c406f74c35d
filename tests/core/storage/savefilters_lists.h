#pragma once

#include <string>

#include "core/filters/FilterLists.h"

// The lists that save number g holds. Each list's length and every entry
// depend on g, so a list cut short or mixed from two saves is recognised.
inline FilterLists ListsOfSave(unsigned g)
{
    FilterLists lists;
    const std::string tag = std::string(1, 'G').append(std::to_string(g)).append(" ");
    for (unsigned i = 0; i < 100 + (g % 7) * 15; ++i)
        lists.Append(kFilterSubject, tag + "S" + std::to_string(i) + std::string(i % 200, '.'));
    for (unsigned i = 0; i < 1 + g % 3; ++i)
        lists.Append(kFilterSubjectExact, tag + "E" + std::to_string(i));
    for (unsigned i = 0; i < 3 + g % 5; ++i)
        lists.Append(kFilterSize, tag + "Z" + std::to_string(i));
    return lists;
}
