#include "CachedRows.h"

#include <utility>

#include "core/pop3/Pop3Message.h"
#include "core/rows/ReadableRow.h"
#include "core/rows/RowBuilder.h"

CachedRows::~CachedRows()
{
    Drop();
}

void CachedRows::Start(std::string path, std::string identity, FilterLists lists, uint64_t budget)
{
    Drop();
    m_bStop = false;
    m_thread = std::thread([this, path = std::move(path), identity = std::move(identity), lists = std::move(lists),
                            budget] { Build(path, identity, lists, budget); });
}

HeaderCache& CachedRows::Finish(bool& bLoaded)
{
    if (m_thread.joinable())
        m_thread.join();
    bLoaded = m_bLoaded;
    return m_cache;
}

void CachedRows::Drop()
{
    m_bStop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_rows.clear();
}

bool CachedRows::Take(std::string_view uidl, uint64_t size, Row& row)
{
    const auto it = m_rows.find(uidl);
    if (it == m_rows.end() || it->second.m_nSize != size)
        return false;
    row = std::move(it->second.m_row);
    m_rows.erase(it);
    return true;
}

// On the thread: the rows as ScanJob::ReadRow and ClassifyRow would make
// them from the same header text.
void CachedRows::Build(const std::string& path, const std::string& identity, const FilterLists& lists, uint64_t budget)
{
    m_bLoaded = m_cache.Load(path, identity);
    m_rows.reserve(m_cache.Count());
    CPop3Message message;
    uint64_t bytes = 0;
    m_cache.ForEach([&](std::string_view uidl, uint64_t size, std::string_view text) {
        message.SetText(text);
        // A text SetText would change is built by the scan, which dumps
        // what it holds.
        if (message.Text() != text)
            return !m_bStop;
        Kept kept{size, {BuildMessageRow(0, size, message), 0}};
        MessageRow& row = kept.m_row.m_row;
        row.m_sIdentity = MessageIdentity(message);
        AddReadableTexts(row);
        row.m_nHeaderLength = text.size();
        kept.m_row.m_nSuspect = ClassifyRow(lists, row, &message);
        bytes += sizeof(Kept) + uidl.size();
        for (const std::string* field : row.Texts())
            bytes += field->size();
        m_rows.emplace(uidl, std::move(kept));
        return !m_bStop && bytes < budget;
    });
}
