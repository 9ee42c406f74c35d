#include "JournalPrint.h"
#include "cli/CliText.h"

#include <algorithm>
#include <ctime>
#include <map>
#include <string>

#include "core/storage/DeletionJournal.h"
#include "core/storage/QuarantineMaildir.h"

namespace {

std::string LocalTime(std::int64_t time)
{
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &tm);
    return text;
}

// Sizes as the grid shows them: "1K" below 1000 bytes, else thousands.
std::string Size(std::int64_t bytes)
{
    return (bytes < 1000 ? std::string("1") : std::to_string(bytes / 1000)) + "K";
}

}  // namespace

int PrintJournal(const DeletionJournal& journal, const QuarantineMaildir& copies, bool bTsv, std::FILE* out,
                 const std::vector<std::string>& accounts)
{
    std::vector<JournalEntry> entries = journal.Read();
    if (!accounts.empty())
        std::erase_if(entries, [&](const JournalEntry& entry) {
            return std::find(accounts.begin(), accounts.end(), entry.m_sAccount) == accounts.end();
        });
    const std::map<std::string, std::string> kept =
        entries.empty() ? std::map<std::string, std::string>() : copies.Copies();
    std::string text;
    for (const JournalEntry& entry : entries) {
        const auto copy = kept.find(QuarantineMaildir::CopyKey(entry.m_sAccount, entry.m_sUidl));
        const bool bCopy = !entry.m_sUidl.empty() && copy != kept.end();
        if (bTsv) {
            std::string line = DeletionJournal::FormatLine(entry);
            if (bCopy) {
                line.pop_back();
                if (entry.m_nState == JournalEntry::State::kDeleted)
                    line += '\t';
                line += '\t' + DeletionJournal::Escape(copy->second) + '\n';
            }
            text += line;
            continue;
        }
        // Escaped again: no text reaches the terminal as a control sequence.
        std::string size = Size(entry.m_nSize);
        size.insert(0, size.size() < 6 ? 6 - size.size() : 0, ' ');
        text += LocalTime(entry.m_nTime) + "  " + size + "  " + DeletionJournal::Escape(entry.m_sFrom) + "  |  "
            + DeletionJournal::Escape(entry.m_sSubject) + "  |  " + DeletionJournal::Escape(entry.m_sReason);
        if (entry.m_nState != JournalEntry::State::kDeleted)
            text += std::string(" (") + DeletionJournal::StateText(entry.m_nState) + ")";
        if (bCopy)
            text += "  |  copy: " + DeletionJournal::Escape(copy->second);
        text += "\n";
    }
    if (entries.empty() && !bTsv)
        std::fputs(FillIn(CliText("mavix-cli", "Nothing deleted yet (%1).\n"), {journal.FilePath()}).c_str(), stderr);
    std::fwrite(text.data(), 1, text.size(), out);
    return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
}
