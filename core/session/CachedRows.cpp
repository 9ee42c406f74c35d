#include "CachedRows.h"

#include <utility>

#include "core/pop3/Pop3Message.h"
#include "core/rows/ReadableRow.h"
#include "core/rows/RowBuilder.h"

CachedRows::~CachedRows()
{
    Drop();
}

void CachedRows::Start(std::string path, std::string identity, FilterLists lists, uint64_t budget, CDumpFile* pDump)
{
    Drop();
    m_bStop = false;
    m_bLoaded = true;
    m_thread = std::thread([this, path = std::move(path), identity = std::move(identity), lists = std::move(lists),
                            budget, pDump] { Build(path, identity, lists, budget, pDump); });
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
}

CachedRows::Entry* CachedRows::Find(std::string_view uidl, uint64_t size, size_t place)
{
    if (place >= m_aEntries.size() || m_aEntries[place].m_uidl != uidl) {
        const std::optional<size_t> at = m_cache.PositionOf(uidl);
        if (!at)
            return nullptr;
        place = *at;
    }
    return m_aEntries[place].m_nSize == size ? &m_aEntries[place] : nullptr;
}

// On the thread: the rows as ScanJob::ReadRow and ClassifyRow would make
// them from the same header text.
void CachedRows::Build(const std::string& path, const std::string& identity, const FilterLists& lists, uint64_t budget,
                       CDumpFile* pDump)
{
    m_bLoaded = m_cache.Load(path, identity);
    m_aEntries.reserve(m_cache.Count());
    // The dump ahead runs while every row before has its record in it.
    bool bDumping = pDump && m_cache.Count() > 0 && pDump->Open();
    CPop3Message message;
    uint64_t bytes = 0;
    m_cache.ForEach([&](std::string_view uidl, uint64_t size, std::string_view text) {
        Entry& entry = m_aEntries.emplace_back();
        entry.m_uidl = uidl;
        entry.m_text = text;
        entry.m_nSize = size;
        if (bytes >= budget) {
            bDumping = false;
            return !m_bStop;
        }
        message.SetText(text);
        // A text SetText would change is built by the scan, which dumps
        // what it holds.
        if (message.Text() != text) {
            bDumping = false;
            return !m_bStop;
        }
        entry.m_row = BuildMessageRow(0, size, message);
        entry.m_row.m_sIdentity = MessageIdentity(message);
        AddReadableTexts(entry.m_row);
        entry.m_row.m_nHeaderLength = text.size();
        entry.m_nSuspect = ClassifyRow(lists, entry.m_row, &message);
        entry.m_bBuilt = true;
        bytes += sizeof(Entry) + uidl.size();
        for (const std::string* field : entry.m_row.Texts())
            bytes += field->size();
        // Past the dump's limit the scan writes the line that says so.
        bDumping = bDumping && pDump->WriteRecord(static_cast<int>(m_aEntries.size()), size, text) && !pDump->WasCut();
        if (bDumping) {
            entry.m_bDumped = true;
            entry.m_nDumpAt = pDump->LastTextOffset();
            entry.m_nDumpEnd = pDump->BytesWritten();
        }
        return !m_bStop;
    });
    if (pDump)
        pDump->WriteOut();
}
