#include "UserFolders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

void UniqueFd::Reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

int OpenOwnFolder(int parent, const char* name, bool bMakePrivate)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    UniqueFd fd(parent >= 0 ? ::openat(parent, name, flags) : ::open(name, flags));
    if (fd.Get() < 0)
        return -1;
    struct stat st { };
    if (::fstat(fd.Get(), &st) != 0 || st.st_uid != ::geteuid()
        || ((st.st_mode & 077) != 0 && bMakePrivate && ::fchmod(fd.Get(), 0700) != 0))
        return -1;
    return fd.Release();
}

std::string XdgFolder(const char* pszVariable, const char* pszFallback)
{
    if (const char* value = std::getenv(pszVariable); value != nullptr && value[0] == '/')
        return value;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0')
        return {};
    return std::string(home) + "/" + pszFallback;
}

bool MakePrivateFolders(const std::string& dir)
{
    if (dir.empty())
        return false;
    struct stat st { };
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakePrivateFolders(dir.substr(0, slash)))
        return false;
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, std::string_view text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace platform
