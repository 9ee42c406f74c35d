#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Numbers the lists; the settings sections ("SubList", "SubExactList",
// "SizeList", "SenderList", "TrustedList") follow this order. Sender and
// trusted entries are an address or "@domain".
enum FilterKind {
    kFilterSubject = 0,
    kFilterSubjectExact = 1,
    kFilterSize = 2,
    kFilterSender = 3,
    kFilterTrusted = 4,
};

// The longest entry the settings store can give back: a value of 260 bytes
// or more reads as absent there, which would end the stored list early.
inline constexpr size_t kMaxFilterEntry = 259;

// Five ordered lists of Windows-1252 strings; duplicates are allowed.
// Every entry held is storable: an empty entry would end the stored list at
// the next load, and an overlong one would read back as absent.
class FilterLists {
public:
    const std::vector<std::string>& List(FilterKind kind) const;

    // Refuses "" and entries longer than 259 bytes; *psWhy gets a reason the
    // user can read. The list is unchanged when refused.
    bool Append(FilterKind kind, const std::string& entry, std::string* psWhy = nullptr);
    // All or nothing: when one entry is refused the list keeps what it held.
    bool Replace(FilterKind kind, const std::vector<std::string>& entries,
                 std::string* psWhy = nullptr);
    void Clear(FilterKind kind);

    static bool IsStorable(const std::string& entry, std::string* psWhy);

    // The settings section that stores a list.
    static const char* SectionName(FilterKind kind);

    bool operator==(const FilterLists&) const = default;

private:
    std::vector<std::string>& Mutable(FilterKind kind);

    std::vector<std::string> m_sizeList;
    std::vector<std::string> m_subList;
    std::vector<std::string> m_subExactList;
    std::vector<std::string> m_senderList;
    std::vector<std::string> m_trustedList;
};
