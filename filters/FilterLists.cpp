#include "FilterLists.h"

const std::vector<std::string>& FilterLists::List(FilterKind kind) const
{
    switch (kind) {
    case kFilterSubjectExact:
        return m_subExactList;
    case kFilterSize:
        return m_sizeList;
    case kFilterSender:
        return m_senderList;
    case kFilterTrusted:
        return m_trustedList;
    case kFilterSubject:
    default:
        return m_subList;
    }
}

std::vector<std::string>& FilterLists::Mutable(FilterKind kind)
{
    return const_cast<std::vector<std::string>&>(List(kind));
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
            *psWhy = "A filter entry can be at most 259 characters long; this one has "
                     + std::to_string(entry.size()) + ".";
        return false;
    }
    return true;
}

bool FilterLists::Append(FilterKind kind, const std::string& entry, std::string* psWhy)
{
    if (!IsStorable(entry, psWhy))
        return false;
    Mutable(kind).push_back(entry);
    return true;
}

bool FilterLists::Replace(FilterKind kind, const std::vector<std::string>& entries,
                          std::string* psWhy)
{
    for (const std::string& entry : entries)
        if (!IsStorable(entry, psWhy))
            return false;
    Mutable(kind) = entries;
    return true;
}

void FilterLists::Clear(FilterKind kind)
{
    Mutable(kind).clear();
}
