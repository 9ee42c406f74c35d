#include "PurgeJournal.h"

#include <memory>

#include "core/platform/Cp1252.h"

namespace {

// A readable text: the decoded copy when the scan made one, else the bytes
// taken for Windows-1252.
std::string Readable(const std::string& decoded, const std::string& bytes)
{
    return decoded.empty() ? platform::Cp1252ToUtf8(bytes) : decoded;
}

// "Name <address>", or whichever of the two the header had.
std::string Sender(const MessageRow& row)
{
    const std::string name = Readable(row.m_sFromText, row.m_sFrom);
    const std::string email = platform::Cp1252ToUtf8(row.m_sEmail);
    if (email.empty() || name == email)
        return name;
    return name.empty() ? email : name + " <" + email + ">";
}

}  // namespace

JournalEntry JournalEntryOf(const MessageRow& row)
{
    JournalEntry entry;
    entry.m_sUidl = row.m_sUidl;
    entry.m_nSize = static_cast<std::int64_t>(row.m_nSize);
    entry.m_sFrom = Sender(row);
    entry.m_sSubject = Readable(row.m_sSubjectText, row.m_sSubject);
    entry.m_sReason = row.m_sReason.empty() ? DeletionJournal::kCheckedByHand : row.m_sReason;
    return entry;
}

PurgeRow PurgeRowOf(const MessageRow& row, int nNum, bool bChecked)
{
    PurgeRow purge{nNum, bChecked, row.m_sSubject, row.m_sUidl, !row.m_bUnavailable, row.m_sIdentity};
    if (bChecked)
        purge.m_pJournal = std::make_shared<const JournalEntry>(JournalEntryOf(row));
    return purge;
}
