#include "DumpFile.h"

#include "core/platform/CoreText.h"
#include "core/storage/SettingsKeys.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

// CR LF CR LF, twenty asterisks, CR LF CR LF: 28 bytes ahead of every record.
constexpr char kSeparator[] = "\r\n\r\n********************\r\n\r\n";
static_assert(sizeof(kSeparator) - 1 == 28);

// Written in one system call per this many bytes.
constexpr size_t kBufferBytes = size_t{1} << 16;

std::string FileName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What went wrong, in the words a user acts on.
std::string ErrorText(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return core_text::Say("DumpFile", QT_TRANSLATE_NOOP("DumpFile", "the disk is full"));
    case EACCES:
    case EPERM:
        return core_text::Say("DumpFile", QT_TRANSLATE_NOOP("DumpFile", "permission denied"));
    case EROFS:
        return core_text::Say("DumpFile", QT_TRANSLATE_NOOP("DumpFile", "the folder is read-only"));
    case EFBIG:
        return core_text::Say("DumpFile", QT_TRANSLATE_NOOP("DumpFile", "the file is too large"));
    default:
        return std::strerror(error);
    }
}

}  // namespace

CDumpFile::CDumpFile(std::string path, uint64_t nMaxBytes)
    : m_sPath(std::move(path)),
      m_nMaxBytes(nMaxBytes)
{ }

CDumpFile::~CDumpFile()
{
    Abort();
}

bool CDumpFile::Open()
{
    Abort();
    m_nError = 0;
    m_sReason.clear();
    m_bCut = false;
    m_nWritten = m_nInFile = m_nWritebackFrom = m_nTextOffset = 0;
    m_buffer.clear();
    m_buffer.reserve(kBufferBytes);

    // A new name of our own: O_EXCL refuses anything already there, a
    // symlink included, and the file is created 0600 whatever the umask.
    if (!m_file.CreateBeside(m_sPath)) {
        Fail(m_file.Error(), QT_TRANSLATE_NOOP("DumpFile", "%1 (cannot create a file in the folder of %2)"));
        return false;
    }
    m_bOpen = true;
    return true;
}

void CDumpFile::Fail(int error, const char* pszWhat)
{
    if (m_nError != 0)
        return;  // the first failure is the one to report
    m_nError = error != 0 ? error : EIO;
    m_sReason = core_text::Say("DumpFile", pszWhat, {ErrorText(m_nError), m_sPath});
}

std::string CDumpFile::FailureStatus() const
{
    return core_text::Say("DumpFile", QT_TRANSLATE_NOOP("DumpFile", "Failed to write message to file: %1"),
                          {m_sReason});
}

std::string CDumpFile::CutStatus() const
{
    return core_text::Say(
        "DumpFile",
        QT_TRANSLATE_NOOP("DumpFile", "%1 was cut at %2 MiB; later messages are listed but not written to it"),
        {FileName(m_sPath), std::to_string(m_nMaxBytes >> 20)});
}

void CDumpFile::Append(std::string_view bytes)
{
    m_buffer.append(bytes);
}

bool CDumpFile::WriteAll(std::string_view bytes)
{
    size_t done = 0;
    while (done < bytes.size() && m_nError == 0) {
        const ssize_t n = ::write(m_file.Fd(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail(n < 0 ? errno : ENOSPC, QT_TRANSLATE_NOOP("DumpFile", "%1 (writing %2)"));
        else
            done += static_cast<size_t>(n);
    }
    m_nInFile += done;
    // A scan of 100,000 messages writes about 50 MiB; its writing overlaps
    // the scan in steps of this size instead of all waiting at the end.
    constexpr uint64_t kWritebackStep = 4 << 20;
    StartWriteback(kWritebackStep);
    return m_nError == 0;
}

void CDumpFile::StartWriteback(uint64_t nStep)
{
#ifdef SYNC_FILE_RANGE_WRITE
    if (m_nInFile - m_nWritebackFrom < nStep || m_nInFile == m_nWritebackFrom)
        return;
    // Advice only: where the file system cannot, Commit's fsync does it all.
    ::sync_file_range(m_file.Fd(), static_cast<off_t>(m_nWritebackFrom),
                      static_cast<off_t>(m_nInFile - m_nWritebackFrom), SYNC_FILE_RANGE_WRITE);
    m_nWritebackFrom = m_nInFile;
#else
    (void)nStep;
#endif
}

void CDumpFile::WriteOut()
{
    if (m_bOpen && Flush())
        StartWriteback(0);
}

bool CDumpFile::Rewind(uint64_t nBytes)
{
    if (!m_bOpen || m_nError != 0 || nBytes > m_nWritten)
        return false;
    if (nBytes == m_nWritten && !m_bCut)
        return true;
    if (!Flush())
        return false;
    if (::ftruncate(m_file.Fd(), static_cast<off_t>(nBytes)) != 0
        || ::lseek(m_file.Fd(), static_cast<off_t>(nBytes), SEEK_SET) < 0) {
        Fail(errno, QT_TRANSLATE_NOOP("DumpFile", "%1 (writing %2)"));
        return false;
    }
    m_nWritten = m_nInFile = nBytes;
    m_nWritebackFrom = std::min(m_nWritebackFrom, nBytes);
    m_nTextOffset = 0;
    m_bCut = false;
    return true;
}

bool CDumpFile::Flush()
{
    const bool ok = WriteAll(m_buffer);
    m_buffer.clear();
    return ok;
}

bool CDumpFile::WriteRecord(int n, uint64_t size, std::string_view text)
{
    if (!m_bOpen && m_nError == 0)
        Fail(EBADF, QT_TRANSLATE_NOOP("DumpFile", "%1 (writing %2)"));
    if (m_nError != 0)
        return false;
    if (m_bCut)
        return true;

    char head[96];
    const int nHead = std::snprintf(head, sizeof head, "message %d, length is%" PRIu64 "\n\n", n, size);
    const uint64_t nRecord = (sizeof kSeparator - 1) + static_cast<uint64_t>(nHead) + text.size() + 2;
    if (m_nWritten + nRecord > m_nMaxBytes) {
        m_bCut = true;
        char line[160];
        const int nLine = std::snprintf(line, sizeof line,
                                        "%s[The dump was cut here: it reached its limit of %" PRIu64
                                        " bytes; message %d and later are not in it.]\n",
                                        kSeparator, m_nMaxBytes, n);
        Append(std::string_view(line, static_cast<size_t>(nLine)));
        return Flush();
    }
    m_nTextOffset = m_nWritten + (sizeof kSeparator - 1) + static_cast<uint64_t>(nHead);
    m_nWritten += nRecord;
    Append(std::string_view(kSeparator, sizeof kSeparator - 1));
    Append(std::string_view(head, static_cast<size_t>(nHead)));
    // A large block goes straight out rather than through the buffer.
    if (m_buffer.size() + text.size() > kBufferBytes) {
        if (!Flush() || !WriteAll(text))
            return false;
    } else {
        Append(text);
    }
    Append("\n\n");
    return m_buffer.size() < kBufferBytes || Flush();
}

bool CDumpFile::Commit()
{
    if (!m_bOpen) {
        if (m_nError == 0)
            Fail(EBADF, QT_TRANSLATE_NOOP("DumpFile", "%1 (writing %2)"));
        return false;
    }
    Flush();
    m_bOpen = false;
    if (m_nError != 0) {
        m_file.Abort();
        return false;
    }
    // Once renamed, an unsynced folder only risks the old dump coming back
    // after a crash: not a failure of this scan.
    if (m_file.Commit() || m_file.FailedStep() == platform::PrivateFile::Step::kSyncFolder)
        return true;
    const int error = m_file.Error();
    struct stat st { };
    switch (m_file.FailedStep()) {
    case platform::PrivateFile::Step::kClose:
        Fail(error, QT_TRANSLATE_NOOP("DumpFile", "%1 (closing %2)"));
        break;
    case platform::PrivateFile::Step::kRename:
        // In a folder with the sticky bit, only the owner of the old file
        // may replace it.
        if ((error == EPERM || error == EACCES) && ::lstat(m_sPath.c_str(), &st) == 0 && st.st_uid != ::geteuid()) {
            m_nError = error;
            m_sReason = core_text::Say(
                "DumpFile",
                QT_TRANSLATE_NOOP("DumpFile", "%1 belongs to another user and this folder does not let it be replaced"),
                {m_sPath});
        } else {
            Fail(error, QT_TRANSLATE_NOOP("DumpFile", "%1 (replacing %2)"));
        }
        break;
    default:
        Fail(error, QT_TRANSLATE_NOOP("DumpFile", "%1 (writing %2)"));
        break;
    }
    return false;
}

void CDumpFile::Abort()
{
    m_file.Abort();
    m_bOpen = false;
    m_buffer.clear();
}

std::string CDumpFile::PathFor(const std::string& section)
{
    if (section.empty() || section == settings_keys::kAccount)
        return "message.txt";
    return "message-" + section + ".txt";
}
