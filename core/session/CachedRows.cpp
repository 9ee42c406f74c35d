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
    m_bLoaded = true;
    m_thread = std::thread([this, path = std::move(path), identity = std::move(identity), lists = std::move(lists),
                            budget] { Build(path, identity, lists, budget); });
}

bool CachedRows::Finish()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_bLoaded;
}

void CachedRows::Drop()
{
    m_bStop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_aEntries.clear();
    m_index.clear();
}

CachedRows::Entry* CachedRows::Find(std::string_view uidl, uint64_t size)
{
    const auto it = m_index.find(uidl);
    if (it == m_index.end() || m_aEntries[it->second].m_nSize != size)
        return nullptr;
    return &m_aEntries[it->second];
}

// On the thread: the rows as ScanJob::ReadRow and ClassifyRow would make
// them from the same header text.
void CachedRows::Build(const std::string& path, const std::string& identity, const FilterLists& lists, uint64_t budget)
{
    m_bLoaded = m_cache.Load(path, identity);
    m_aEntries.reserve(m_cache.Count());
    m_index.reserve(m_cache.Count());
    CPop3Message message;
    uint64_t bytes = 0;
    m_cache.ForEach([&](std::string_view uidl, uint64_t size, std::string_view text) {
        m_index.emplace(uidl, m_aEntries.size());
        Entry& entry = m_aEntries.emplace_back();
        entry.m_text = text;
        entry.m_nSize = size;
        if (bytes >= budget)
            return !m_bStop;
        message.SetText(text);
        // A text SetText would change is built by the scan, which dumps
        // what it holds.
        if (message.Text() != text)
            return !m_bStop;
        entry.m_row = BuildMessageRow(0, size, message);
        entry.m_row.m_sIdentity = MessageIdentity(message);
        AddReadableTexts(entry.m_row);
        entry.m_row.m_nHeaderLength = text.size();
        entry.m_nSuspect = ClassifyRow(lists, entry.m_row, &message);
        entry.m_bBuilt = true;
        bytes += sizeof(Entry) + uidl.size();
        for (const std::string* field : entry.m_row.Texts())
            bytes += field->size();
        return !m_bStop;
    });
}
