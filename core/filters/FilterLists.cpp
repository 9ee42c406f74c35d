#include "FilterLists.h"

#include "core/platform/Cp1252.h"

FilterEntry FilterEntry::FromUtf8(const std::string& utf8, SubjectMatch match)
{
    bool bLossy = false;
    std::string bytes = platform::Utf8ToCp1252(utf8, &bLossy);
    if (bLossy || match == SubjectMatch::kPattern)
        return FilterEntry{utf8, match, true};
    return FilterEntry{std::move(bytes), match, false};
}

std::string FilterEntry::Utf8() const
{
    return m_bUtf8 ? m_sText : platform::Cp1252ToUtf8(m_sText);
}

const std::vector<std::string>& FilterLists::List(FilterKind kind) const
{
    return m_texts[static_cast<size_t>(kind) < kKinds ? kind : kFilterSubject];
}

const std::vector<FilterEntry>& FilterLists::Entries(FilterKind kind) const
{
    return m_entries[static_cast<size_t>(kind) < kKinds ? kind : kFilterSubject];
}

const char* FilterLists::SectionName(FilterKind kind)
{
    switch (kind) {
    case kFilterSubjectExact:
        return "SubExactList";
    case kFilterSize:
        return "SizeList";
    case kFilterSender:
        return "SenderList";
    case kFilterTrusted:
        return "TrustedList";
    case kFilterSubject:
    default:
        return "SubList";
    }
}

bool FilterLists::IsStorable(const std::string& entry, std::string* psWhy)
{
    // A stored list ends at its first empty value, and the store gives back
    // no value of 260 bytes or more: either entry would cut the list short
    // at the next start.
    if (entry.empty()) {
        if (psWhy)
            *psWhy = "A filter entry cannot be empty.";
        return false;
    }
    if (entry.size() > kMaxFilterEntry) {
        if (psWhy)
            *psWhy =
                "A filter entry can be at most 259 characters long; this one has " + std::to_string(entry.size()) + ".";
        return false;
    }
    return true;
}

bool FilterLists::IsStorable(const FilterEntry& entry, std::string* psWhy)
{
    if (!entry.m_bUtf8)
        return IsStorable(entry.m_sText, psWhy);
    if (!IsStorable(entry.m_sText, psWhy))
        return false;
    if (entry.m_sText.size() > kMaxTaggedEntry) {
        if (psWhy)
            *psWhy = "A pattern, or an entry with characters outside Western (Windows-1252), can be at most "
                + std::to_string(kMaxTaggedEntry) + " bytes long in UTF-8; this one has "
                + std::to_string(entry.m_sText.size()) + ".";
        return false;
    }
    return true;
}

bool FilterLists::Append(FilterKind kind, const std::string& entry, std::string* psWhy)
{
    return Append(kind, FilterEntry{entry, SubjectMatch::kContains, false}, psWhy);
}

bool FilterLists::Append(FilterKind kind, const FilterEntry& entry, std::string* psWhy)
{
    if (static_cast<size_t>(kind) >= kKinds || !IsStorable(entry, psWhy))
        return false;
    m_texts[kind].push_back(entry.m_sText);
    m_entries[kind].push_back(entry);
    return true;
}

bool FilterLists::Replace(FilterKind kind, const std::vector<std::string>& entries, std::string* psWhy)
{
    std::vector<FilterEntry> whole;
    whole.reserve(entries.size());
    for (const std::string& entry : entries)
        whole.push_back(FilterEntry{entry, SubjectMatch::kContains, false});
    return ReplaceEntries(kind, whole, psWhy);
}

bool FilterLists::ReplaceEntries(FilterKind kind, const std::vector<FilterEntry>& entries, std::string* psWhy)
{
    if (static_cast<size_t>(kind) >= kKinds)
        return false;
    for (const FilterEntry& entry : entries)
        if (!IsStorable(entry, psWhy))
            return false;
    m_entries[kind] = entries;
    m_texts[kind].clear();
    for (const FilterEntry& entry : entries)
        m_texts[kind].push_back(entry.m_sText);
    return true;
}

void FilterLists::Clear(FilterKind kind)
{
    if (static_cast<size_t>(kind) >= kKinds)
        return;
    m_texts[kind].clear();
    m_entries[kind].clear();
}
