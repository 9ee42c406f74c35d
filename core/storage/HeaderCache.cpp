#include "HeaderCache.h"

#include <algorithm>

#include "core/platform/UserFolders.h"
#include "core/storage/RememberedChoices.h"

#include <fcntl.h>

#include <charconv>

namespace {

constexpr std::string_view kFirstLine = "Mavix header cache 1\n";
constexpr std::string_view kAccountWord = "account ";
constexpr std::string_view kEndWord = "end ";

// Written in one system call per this many bytes.
constexpr size_t kBufferBytes = size_t{1} << 16;

bool IsUidl(std::string_view text)
{
    if (text.empty() || text.size() > HeaderCache::kMaxUidl)
        return false;
    for (char c : text)
        if (c < 0x21 || c > 0x7E)
            return false;
    return true;
}

// A decimal number of digits only, ending the text; nothing else.
bool ParseNumber(std::string_view text, uint64_t& value)
{
    if (text.empty() || text.size() > 20)
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// The line at the start of `rest` (without its LF), taken off it; empty
// when there is no LF within `limit` bytes.
std::optional<std::string_view> TakeLine(std::string_view& rest, size_t limit)
{
    const size_t lf = rest.substr(0, limit).find('\n');
    if (lf == std::string_view::npos)
        return std::nullopt;
    const std::string_view line = rest.substr(0, lf);
    rest.remove_prefix(lf + 1);
    return line;
}

// "<uidl> <size> <length>" is at most this long.
constexpr size_t kMaxEntryLine = HeaderCache::kMaxUidl + 2 * 21;

}  // namespace

std::string HeaderCache::PathFor(const std::string& server, const std::string& user, const std::string& port)
{
    const std::string base = platform::XdgFolder("XDG_CACHE_HOME", ".cache");
    if (base.empty())
        return {};
    return base + "/Mavix/headers-" + RememberedChoices::AccountFileName(server, user, port);
}

std::string HeaderCache::Identity(const std::string& server, const std::string& user, const std::string& port)
{
    return server + '\n' + user + '\n' + port;
}

void HeaderCache::Clear()
{
    m_entries.clear();
    m_slots.clear();
    m_sBytes.clear();
}

bool HeaderCache::Load(const std::string& path, const std::string& identity)
{
    Clear();
    if (path.empty())
        return true;
    // A cache planted there must not hand a scan another mailbox's headers.
    std::string bytes;
    switch (platform::ReadPrivateFile(path, kMaxFileBytes, bytes)) {
    case platform::PrivateRead::kAbsent:
        return true;
    case platform::PrivateRead::kRead:
        return Parse(std::move(bytes), identity);
    case platform::PrivateRead::kTooLong:
    case platform::PrivateRead::kRefused:
        break;
    }
    return false;
}

bool HeaderCache::Parse(std::string bytes, const std::string& identity)
{
    Clear();
    m_sBytes = std::move(bytes);
    std::string_view rest(m_sBytes);
    uint64_t length = 0;
    bool bOk = rest.substr(0, kFirstLine.size()) == kFirstLine;
    if (bOk) {
        rest.remove_prefix(kFirstLine.size());
        const std::optional<std::string_view> line = TakeLine(rest, kAccountWord.size() + 21);
        bOk = line && line->substr(0, kAccountWord.size()) == kAccountWord
            && ParseNumber(line->substr(kAccountWord.size()), length) && length == identity.size()
            && rest.size() > length && rest.substr(0, length) == identity && rest[length] == '\n';
    }
    if (bOk) {
        rest.remove_prefix(length + 1);
        bOk = ParseEntries(rest) && IndexEntries();
    }
    if (!bOk)
        Clear();
    return bOk;
}

// The entries and the last line; false when anything is amiss.
bool HeaderCache::ParseEntries(std::string_view rest)
{
    const char* const base = m_sBytes.data();
    for (;;) {
        const std::optional<std::string_view> line = TakeLine(rest, kMaxEntryLine + 1);
        if (!line)
            return false;
        uint64_t count = 0;
        if (line->substr(0, kEndWord.size()) == kEndWord && ParseNumber(line->substr(kEndWord.size()), count))
            return rest.empty() && count == m_entries.size();
        const size_t first = line->find(' ');
        const size_t second = first == std::string_view::npos ? first : line->find(' ', first + 1);
        if (second == std::string_view::npos || m_entries.size() >= kMaxEntries)
            return false;
        const std::string_view uidl = line->substr(0, first);
        uint64_t size = 0, length = 0;
        if (!IsUidl(uidl) || !ParseNumber(line->substr(first + 1, second - first - 1), size)
            || !ParseNumber(line->substr(second + 1), length) || length > kMaxTextBytes || rest.size() <= length
            || rest[length] != '\n')
            return false;
        const std::string_view text = rest.substr(0, length);
        // A scan's header text never holds a NUL (CPop3Message::SetText).
        if (text.find('\0') != std::string_view::npos)
            return false;
        m_entries.push_back({uidl, size, static_cast<size_t>(text.data() - base), text.size()});
        rest.remove_prefix(length + 1);
    }
}

std::optional<std::string_view> HeaderCache::Find(std::string_view uidl, uint64_t size) const
{
    const std::optional<size_t> at = PositionOf(uidl);
    if (!at || m_entries[*at].m_nSize != size)
        return std::nullopt;
    return std::string_view(m_sBytes).substr(m_entries[*at].m_nAt, m_entries[*at].m_nLength);
}

// An open-addressed table of the entries' places, at most half full: one
// allocation, where a node per message would cost a scan 50,000 mallocs and
// frees.
bool HeaderCache::IndexEntries()
{
    size_t nSlots = 16;
    while (nSlots < 2 * m_entries.size())
        nSlots *= 2;
    m_slots.assign(nSlots, 0);
    for (size_t i = 0; i < m_entries.size(); ++i) {
        size_t slot = std::hash<std::string_view>()(m_entries[i].m_uidl) & (nSlots - 1);
        for (; m_slots[slot] != 0; slot = (slot + 1) & (nSlots - 1))
            if (m_entries[m_slots[slot] - 1].m_uidl == m_entries[i].m_uidl)
                return false;  // one id twice: not a file we wrote
        m_slots[slot] = static_cast<uint32_t>(i + 1);
    }
    return true;
}

bool HeaderCache::Forget(const std::string& path, const std::string& identity, const std::vector<std::string>& uidls)
{
    HeaderCache cache;
    // A file ignored (or none) is rebuilt by the next scan anyway.
    if (!cache.Load(path, identity))
        return true;
    const auto forgotten = [&uidls](std::string_view uidl) {
        return std::find(uidls.begin(), uidls.end(), uidl) != uidls.end();
    };
    if (std::none_of(uidls.begin(), uidls.end(), [&cache](const std::string& uidl) { return cache.PositionOf(uidl); }))
        return true;
    HeaderCacheWriter writer;
    if (!writer.Open(path, identity))
        return false;
    cache.ForEach([&](std::string_view uidl, uint64_t size, std::string_view text) {
        if (!forgotten(uidl))
            writer.Add(uidl, size, text);
        return true;
    });
    return writer.Commit();
}

std::optional<size_t> HeaderCache::PositionOf(std::string_view uidl) const
{
    if (m_slots.empty())
        return std::nullopt;
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = std::hash<std::string_view>()(uidl) & mask; m_slots[slot] != 0; slot = (slot + 1) & mask)
        if (m_entries[m_slots[slot] - 1].m_uidl == uidl)
            return m_slots[slot] - 1;
    return std::nullopt;
}

bool HeaderCacheWriter::Open(const std::string& path, const std::string& identity)
{
    Abort();
    const size_t slash = path.rfind('/');
    if (path.empty() || slash == std::string::npos || !platform::MakePrivateFolders(path.substr(0, slash)))
        return false;
    // The folder must be a real one of ours; the new file is made beside
    // the old one and never through a link (PrivateFile).
    const platform::UniqueFd dir(platform::OpenOwnFolder(-1, path.substr(0, slash).c_str(), true));
    if (dir.Get() < 0 || !m_file.CreateBeside(path))
        return false;
    m_bOpen = true;
    m_bFailed = false;
    m_nCount = 0;
    m_nInFile = m_nWritebackFrom = 0;
    m_buffer.clear();
    m_buffer.reserve(kBufferBytes);
    m_buffer.append(kFirstLine);
    m_buffer.append(kAccountWord).append(std::to_string(identity.size())).append(1, '\n');
    m_buffer.append(identity).append(1, '\n');
    m_nBytes = m_buffer.size();
    return true;
}

void HeaderCacheWriter::Add(std::string_view uidl, uint64_t size, std::string_view text)
{
    if (!m_bOpen || m_bFailed || !IsUidl(uidl) || text.size() > HeaderCache::kMaxTextBytes
        || m_nCount >= HeaderCache::kMaxEntries)
        return;
    const std::string sizeText = std::to_string(size), lengthText = std::to_string(text.size());
    const size_t entryBytes = uidl.size() + sizeText.size() + lengthText.size() + 3 + text.size() + 1;
    // Room for the last line after every entry kept.
    if (m_nBytes + entryBytes + kEndWord.size() + 21 > HeaderCache::kMaxFileBytes)
        return;
    m_buffer.append(uidl).append(1, ' ').append(sizeText).append(1, ' ').append(lengthText).append(1, '\n');
    m_buffer.append(text).append(1, '\n');
    m_nBytes += entryBytes;
    ++m_nCount;
    if (m_buffer.size() >= kBufferBytes)
        Flush();
}

bool HeaderCacheWriter::Flush()
{
    if (!m_bFailed && !m_file.Write(m_buffer))
        m_bFailed = true;
    m_nInFile += m_buffer.size();
    m_buffer.clear();
#ifdef SYNC_FILE_RANGE_WRITE
    // As the dump does (CDumpFile::StartWriteback): the disk starts on what
    // is written in steps of this size, so Commit's fsync has little left.
    // Advice only: where the file system cannot, the fsync does it all.
    constexpr uint64_t kWritebackStep = 4 << 20;
    if (!m_bFailed && m_nInFile - m_nWritebackFrom >= kWritebackStep) {
        ::sync_file_range(m_file.Fd(), static_cast<off_t>(m_nWritebackFrom),
                          static_cast<off_t>(m_nInFile - m_nWritebackFrom), SYNC_FILE_RANGE_WRITE);
        m_nWritebackFrom = m_nInFile;
    }
#endif
    return !m_bFailed;
}

bool HeaderCacheWriter::Commit()
{
    if (!m_bOpen)
        return false;
    m_buffer.append(kEndWord).append(std::to_string(m_nCount)).append(1, '\n');
    const bool bDone = Flush() && m_file.Commit();
    if (!bDone)
        m_file.Abort();
    m_bOpen = false;
    return bDone;
}

void HeaderCacheWriter::Abort()
{
    if (m_bOpen)
        m_file.Abort();
    m_bOpen = false;
    m_buffer.clear();
}
