#include "PurgeJournal.h"

#include "platform/Cp1252.h"

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

std::vector<JournalEntry> CommittedDeletions(const PurgeResult& result, const RowLookup& rowOf,
                                             const std::string& server, const std::string& user)
{
    std::vector<JournalEntry> entries;
    if (!result.m_bCommitted || result.m_bBroken || result.m_bCancelled)
        return entries;
    const std::string account =
        DeletionJournal::AccountName(platform::Cp1252ToUtf8(server), platform::Cp1252ToUtf8(user));
    for (int num : result.m_aMarked) {
        const MessageRow* pRow = rowOf ? rowOf(num) : nullptr;
        JournalEntry entry;
        entry.m_sAccount = account;
        if (pRow) {
            entry.m_sUidl = pRow->m_sUidl;
            entry.m_nSize = static_cast<std::int64_t>(pRow->m_nSize);
            entry.m_sFrom = Sender(*pRow);
            entry.m_sSubject = Readable(pRow->m_sSubjectText, pRow->m_sSubject);
            entry.m_sReason = pRow->m_sReason.empty() ? DeletionJournal::kCheckedByHand : pRow->m_sReason;
        } else {
            // Deleted all the same: the line says which message number.
            entry.m_sSubject = "(message " + std::to_string(num) + ")";
            entry.m_sReason = DeletionJournal::kCheckedByHand;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool JournalPurge(DeletionJournal& journal, const PurgeResult& result, const RowLookup& rowOf,
                  const std::string& server, const std::string& user)
{
    const std::vector<JournalEntry> entries = CommittedDeletions(result, rowOf, server, user);
    return entries.empty() || journal.Append(entries);
}
