#include "PrivateFile.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>

namespace platform {

namespace {

// Names tried for a temporary file beside a target before giving up: each
// clash means someone else's file already has that name.
constexpr int kCreateTries = 100;
constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Six letters or digits, as mkstemp puts in place of "XXXXXX"; unguessable
// enough that a clash is rare, and O_EXCL makes one harmless.
std::string RandomSuffix()
{
    static std::atomic<std::uint64_t> counter{0};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::uint64_t x = static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(now.tv_sec) << 20)
        ^ (static_cast<std::uint64_t>(::getpid()) << 40) ^ (++counter * 0x9E3779B97F4A7C15ULL);
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    x ^= x >> 31;
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix(6, 'x');
    for (char& c : suffix) {
        c = kLetters[x % (sizeof kLetters - 1)];
        x /= sizeof kLetters - 1;
    }
    return suffix;
}

}  // namespace

PrivateFile::~PrivateFile()
{
    Abort();
}

bool PrivateFile::Fail(Step step, int error)
{
    m_nStep = step;
    m_nError = error != 0 ? error : EIO;
    return false;
}

bool PrivateFile::CreateIn(int dirFd, std::string tempName)
{
    Abort();
    return CreateFile(dirFd, std::move(tempName));
}

bool PrivateFile::CreateFile(int dirFd, std::string tempName)
{
    m_nStep = Step::kNone;
    m_nError = 0;
    const int fd = ::openat(dirFd, tempName.c_str(), kCreateFlags, 0600);
    if (fd < 0)
        return Fail(Step::kCreate, errno);
    m_fd.Reset(fd);
    m_nDirFd = dirFd;
    m_sTempName = std::move(tempName);
    // The mode asked for passes through the umask; 0600 it must be.
    if (::fchmod(fd, 0600) != 0) {
        const int error = errno;
        m_fd.Reset();
        ::unlinkat(dirFd, m_sTempName.c_str(), 0);
        m_sTempName.clear();
        return Fail(Step::kCreate, error);
    }
    return true;
}

bool PrivateFile::CreateBeside(const std::string& path)
{
    Abort();
    m_ownDir.Reset(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (m_ownDir.Get() < 0)
        return Fail(Step::kFolder, errno);
    const std::string prefix = "." + NameOf(path) + ".";
    for (int attempt = 0; attempt < kCreateTries; ++attempt) {
        if (CreateFile(m_ownDir.Get(), prefix + RandomSuffix())) {
            m_sTarget = NameOf(path);
            return true;
        }
        if (m_nError != EEXIST)
            break;
    }
    m_ownDir.Reset();
    return false;
}

bool PrivateFile::Write(std::string_view bytes)
{
    if (m_fd.Get() < 0)
        return Fail(Step::kWrite, EBADF);
    if (!WriteAll(m_fd.Get(), bytes))
        return Fail(Step::kWrite, errno != 0 ? errno : ENOSPC);
    return true;
}

bool PrivateFile::CommitTo(int toDirFd, const std::string& name)
{
    if (m_fd.Get() < 0)
        return Fail(Step::kWrite, EBADF);
    if (::fsync(m_fd.Get()) != 0) {
        const int error = errno;
        Abort();
        return Fail(Step::kSync, error);
    }
    // close can report a write the file system could only now refuse (NFS).
    if (::close(m_fd.Release()) != 0 && errno != EINTR) {
        const int error = errno;
        Abort();
        return Fail(Step::kClose, error);
    }
    if (::renameat(m_nDirFd, m_sTempName.c_str(), toDirFd, name.c_str()) != 0) {
        const int error = errno;
        Abort();
        return Fail(Step::kRename, error);
    }
    m_sTempName.clear();
    m_nDirFd = -1;
    m_ownDir.Reset();
    // The new name on disk too, so a crash does not bring the old file back.
    if (::fsync(toDirFd) != 0)
        return Fail(Step::kSyncFolder, errno);
    return true;
}

bool PrivateFile::Commit()
{
    if (m_ownDir.Get() < 0)
        return Fail(Step::kFolder, EBADF);
    const std::string target = m_sTarget;
    const int dirFd = m_ownDir.Release();
    const bool bOk = CommitTo(dirFd, target);
    ::close(dirFd);
    return bOk;
}

void PrivateFile::Abort()
{
    m_fd.Reset();
    if (!m_sTempName.empty() && m_nDirFd >= 0)
        ::unlinkat(m_nDirFd, m_sTempName.c_str(), 0);
    m_sTempName.clear();
    m_nDirFd = -1;
    m_ownDir.Reset();
}

bool ReplacePrivateFile(int dirFd, const std::string& name, const std::string& tempName, std::string_view bytes,
                        int* pnError)
{
    PrivateFile file;
    const bool bOk = file.CreateIn(dirFd, tempName) && file.Write(bytes) && file.CommitTo(dirFd, name);
    if (pnError)
        *pnError = file.Error();
    return bOk || file.FailedStep() == PrivateFile::Step::kSyncFolder;
}

int OpenPrivateAppend(int dirFd, const char* name, struct stat* pStat)
{
    UniqueFd fd(::openat(dirFd, name, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.Get() < 0)
        return -1;
    if (::fstat(fd.Get(), pStat) != 0)
        return -1;
    if (!S_ISREG(pStat->st_mode)) {
        errno = EINVAL;
        return -1;
    }
    if ((pStat->st_mode & 077) != 0 && ::fchmod(fd.Get(), 0600) != 0)
        return -1;
    return fd.Release();
}

void SyncFolder(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

PrivateRead ReadPrivateFile(const std::string& path, uint64_t nMaxBytes, std::string& text)
{
    text.clear();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return PrivateRead::kRefused;
    errno = 0;
    const UniqueFd dir(OpenOwnFolder(-1, path.substr(0, slash).c_str(), false));
    if (dir.Get() < 0)
        return errno == ENOENT ? PrivateRead::kAbsent : PrivateRead::kRefused;
    const UniqueFd fd(::openat(dir.Get(), path.c_str() + slash + 1, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.Get() < 0)
        return errno == ENOENT ? PrivateRead::kAbsent : PrivateRead::kRefused;
    struct stat st { };
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_size < 0)
        return PrivateRead::kRefused;
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    text.resize(static_cast<size_t>(std::min(size, nMaxBytes)));
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::read(fd.Get(), text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            text.clear();
            return PrivateRead::kRefused;
        }
        if (n == 0)
            break;  // cut short while we read it
        done += static_cast<size_t>(n);
    }
    text.resize(done);
    return size > nMaxBytes ? PrivateRead::kTooLong : PrivateRead::kRead;
}

}  // namespace platform
