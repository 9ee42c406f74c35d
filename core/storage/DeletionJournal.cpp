#include "DeletionJournal.h"

#include "core/platform/Ascii.h"
#include "core/platform/Cp1252.h"
#include "core/platform/HeaderDecode.h"
#include "core/platform/PrivateFile.h"
#include "core/platform/UserFolders.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/platform/Trace.h"

namespace {

constexpr const char* kOldFileName = "deleted.log.1";
constexpr size_t kFields = 7;           // a deletion
constexpr size_t kFieldsWithState = 8;  // pending, or not deleted
// `mavix-cli log --tsv` adds where the kept copy is, after a state field
// (empty for a deletion); never written to the file, skipped when read.
constexpr size_t kFieldsWithCopy = 9;

// The journal's folder, opened without following a link, ours and private.
int OpenFolder(const std::string& folder, bool bCreate)
{
    if (bCreate && !platform::MakePrivateFolders(folder))
        return -1;
    return platform::OpenOwnFolder(-1, folder.c_str(), bCreate);
}

// The reverse of Escape. False on a malformed escape.
bool Unescape(std::string_view text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            return false;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 'x': {
            const int hi = i + 1 < text.size() ? platform::HexDigitValue(text[i + 1]) : -1;
            const int lo = i + 2 < text.size() ? platform::HexDigitValue(text[i + 2]) : -1;
            if (hi < 0 || lo < 0)
                return false;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        case 'u': {
            unsigned code = 0;
            for (size_t k = 1; k <= 4; ++k) {
                const int h = i + k < text.size() ? platform::HexDigitValue(text[i + k]) : -1;
                if (h < 0)
                    return false;
                code = code * 16 + static_cast<unsigned>(h);
            }
            platform::AppendUtf8(out, code);
            i += 4;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

bool ParseTime(std::string_view text, std::int64_t& time)
{
    // 2026-12-07T11:04:25Z
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':'
        || text[19] != 'Z')
        return false;
    auto number = [&](size_t at, size_t len, int& value) {
        value = 0;
        for (size_t i = at; i < at + len; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            value = value * 10 + (text[i] - '0');
        }
        return true;
    };
    std::tm tm{};
    int year = 0, month = 0;
    if (!number(0, 4, year) || !number(5, 2, month) || !number(8, 2, tm.tm_mday) || !number(11, 2, tm.tm_hour)
        || !number(14, 2, tm.tm_min) || !number(17, 2, tm.tm_sec))
        return false;
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    time = static_cast<std::int64_t>(::timegm(&tm));
    return true;
}

// Reads the end of one file of the journal (at most kReadBytes), starting
// at a line boundary.
std::string ReadTail(int dirFd, const char* name)
{
    platform::UniqueFd fd(::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st { };
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    const off_t start = st.st_size > DeletionJournal::kReadBytes ? st.st_size - DeletionJournal::kReadBytes : 0;
    std::string text(static_cast<size_t>(st.st_size - start), '\0');
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::pread(fd.Get(), text.data() + done, text.size() - done, start + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    text.resize(done);
    if (start > 0) {
        const size_t newline = text.find('\n');
        text.erase(0, newline == std::string::npos ? text.size() : newline + 1);
    }
    return text;
}

}  // namespace

DeletionJournal::DeletionJournal()
    : m_sFolder(platform::XdgFolder("XDG_STATE_HOME", ".local/state") + "/Mavix")
{ }

DeletionJournal::DeletionJournal(std::string folder)
    : m_sFolder(std::move(folder))
{ }

std::vector<std::string> DeletionJournal::NamesOf(const AccountKey& key)
{
    std::vector<std::string> names{key.JournalName()};
    if (key.m_bOwnsLegacy)
        names.push_back(key.LegacyJournalName());
    return names;
}

std::string DeletionJournal::Escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    char hex[8];
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '\\':
            out += "\\\\";
            continue;
        case '\t':
            out += "\\t";
            continue;
        case '\r':
            out += "\\r";
            continue;
        case '\n':
            out += "\\n";
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const size_t n = platform::Utf8SequenceLength(text.substr(i)); n == 0) {
            // Not UTF-8 (Windows-1252 bytes, say): kept byte for byte.
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else if (c == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // A C1 control: some terminals act on it (0x9B starts a
            // control sequence).
            std::snprintf(hex, sizeof hex, "\\u00%02X", static_cast<unsigned char>(text[i + 1]));
            out += hex;
            ++i;
        } else if (const char32_t control = platform::DirectionControlAt(text.substr(i)); control != 0) {
            // It would reorder the text around it on the screen; Unescape
            // reads it back as the same character.
            char code[16];
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(control));
            out += code;
            i += n - 1;
        } else {
            out.append(text.substr(i, n));
            i += n - 1;
        }
    }
    return out;
}

std::string DeletionJournal::FormatTime(std::int64_t time)
{
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

std::string DeletionJournal::FormatLine(const JournalEntry& entry)
{
    std::string line = FormatTime(entry.m_nTime);
    for (const std::string* field : {&entry.m_sAccount, &entry.m_sUidl}) {
        line += '\t';
        line += Escape(*field);
    }
    line += '\t';
    line += std::to_string(entry.m_nSize < 0 ? 0 : entry.m_nSize);
    for (const std::string* field : {&entry.m_sFrom, &entry.m_sSubject, &entry.m_sReason}) {
        line += '\t';
        line += Escape(*field);
    }
    if (entry.m_nState != JournalEntry::State::kDeleted) {
        line += '\t';
        line += entry.m_nState == JournalEntry::State::kPending ? kPendingField : kNotDeletedField;
    }
    line += '\n';
    return line;
}

bool JournalEntry::SameMessage(const JournalEntry& other) const
{
    if (m_sAccount != other.m_sAccount || m_sUidl != other.m_sUidl)
        return false;
    return !m_sUidl.empty() || (m_nSize == other.m_nSize && m_sFrom == other.m_sFrom && m_sSubject == other.m_sSubject);
}

const char* DeletionJournal::StateText(JournalEntry::State state)
{
    switch (state) {
    case JournalEntry::State::kPending:
        return "possibly deleted";
    case JournalEntry::State::kNotDeleted:
        return "not deleted";
    case JournalEntry::State::kDeleted:
        break;
    }
    return "";
}

bool DeletionJournal::ParseLine(std::string_view line, JournalEntry& entry)
{
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    if ((fields.size() != kFields && fields.size() != kFieldsWithState && fields.size() != kFieldsWithCopy)
        || !ParseTime(fields[0], entry.m_nTime))
        return false;
    entry.m_nState = JournalEntry::State::kDeleted;
    if (fields.size() == kFieldsWithCopy && fields[7].empty()) {
        // A deletion, with its copy's path.
    } else if (fields.size() >= kFieldsWithState) {
        if (fields[7] == kPendingField)
            entry.m_nState = JournalEntry::State::kPending;
        else if (fields[7] == kNotDeletedField)
            entry.m_nState = JournalEntry::State::kNotDeleted;
        else
            return false;
    }
    const std::string_view size = fields[3];
    if (size.empty() || size.size() > 18)
        return false;
    entry.m_nSize = 0;
    for (char c : size) {
        if (c < '0' || c > '9')
            return false;
        entry.m_nSize = entry.m_nSize * 10 + (c - '0');
    }
    return Unescape(fields[1], entry.m_sAccount) && Unescape(fields[2], entry.m_sUidl)
        && Unescape(fields[4], entry.m_sFrom) && Unescape(fields[5], entry.m_sSubject)
        && Unescape(fields[6], entry.m_sReason);
}

bool DeletionJournal::Append(const std::vector<JournalEntry>& entries)
{
    if (entries.empty())
        return true;
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    std::string text;
    for (const JournalEntry& entry : entries) {
        if (entry.m_nTime != 0) {
            text += FormatLine(entry);
        } else {
            JournalEntry stamped = entry;
            stamped.m_nTime = now;
            text += FormatLine(stamped);
        }
    }

    const platform::UniqueFd dir(OpenFolder(m_sFolder, true));
    if (dir.Get() < 0) {
        platform::Trace("DeletionJournal: cannot use the folder %s\n", m_sFolder.c_str());
        return false;
    }
    int rc = 0;
    while ((rc = ::flock(dir.Get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    struct stat st { };
    platform::UniqueFd file(platform::OpenPrivateAppend(dir.Get(), kFileName, &st));
    if (file.Get() < 0) {
        platform::Trace("DeletionJournal: cannot open %s (errno %d)\n", FilePath().c_str(), errno);
        return false;
    }
    bool bNewFile = st.st_size == 0;
    if (st.st_size > 0 && st.st_size + static_cast<std::int64_t>(text.size()) > kRotateBytes) {
        file.Reset();
        if (::renameat(dir.Get(), kFileName, dir.Get(), kOldFileName) != 0) {
            platform::Trace("DeletionJournal: cannot rotate %s (errno %d)\n", FilePath().c_str(), errno);
            return false;
        }
        file.Reset(platform::OpenPrivateAppend(dir.Get(), kFileName, &st));
        if (file.Get() < 0)
            return false;
        bNewFile = true;
    }
    if (!platform::WriteAll(file.Get(), text) || ::fsync(file.Get()) != 0) {
        platform::Trace("DeletionJournal: cannot write %s (errno %d)\n", FilePath().c_str(), errno);
        return false;
    }
    if (bNewFile)
        ::fsync(dir.Get());
    return true;
}

std::vector<JournalEntry> DeletionJournal::Read() const
{
    // A line that settles a pending entry takes its place; one that settles
    // nothing stands on its own (a deletion), or is dropped (not deleted).
    std::vector<JournalEntry> lines = ReadLines();
    std::vector<JournalEntry> entries;
    entries.reserve(lines.size());
    std::vector<size_t> pending;  // indexes into entries, oldest first
    for (JournalEntry& line : lines) {
        if (line.m_nState != JournalEntry::State::kPending) {
            const auto settled =
                std::find_if(pending.rbegin(), pending.rend(), [&](size_t i) { return entries[i].SameMessage(line); });
            if (settled != pending.rend()) {
                entries[*settled].m_nState = line.m_nState;
                pending.erase(std::next(settled).base());
                continue;
            }
            if (line.m_nState == JournalEntry::State::kNotDeleted)
                continue;
        } else {
            pending.push_back(entries.size());
        }
        entries.push_back(std::move(line));
    }
    std::erase_if(entries,
                  [](const JournalEntry& entry) { return entry.m_nState == JournalEntry::State::kNotDeleted; });
    return entries;
}

std::vector<JournalEntry> DeletionJournal::Pending(const AccountKey& key) const
{
    std::vector<JournalEntry> entries = Read();
    const std::vector<std::string> names = NamesOf(key);
    std::erase_if(entries, [&](const JournalEntry& entry) {
        return entry.m_nState != JournalEntry::State::kPending
            || std::find(names.begin(), names.end(), entry.m_sAccount) == names.end();
    });
    return entries;
}

std::vector<JournalEntry> DeletionJournal::ReadLines() const
{
    std::vector<JournalEntry> entries;
    const platform::UniqueFd dir(OpenFolder(m_sFolder, false));
    if (dir.Get() < 0)
        return entries;
    for (const char* name : {kOldFileName, kFileName}) {
        const std::string text = ReadTail(dir.Get(), name);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            JournalEntry entry;
            if (ParseLine(std::string_view(text).substr(start, end - start), entry))
                entries.push_back(std::move(entry));
            start = end + 1;
        }
    }
    return entries;
}
