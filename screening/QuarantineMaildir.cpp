#include "QuarantineMaildir.h"

#include "platform/UserFolders.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

// A folder of ours, opened without following a link and made private.
int OpenPrivateFolder(int parent, const char* name)
{
    if (parent >= 0 && ::mkdirat(parent, name, 0700) != 0 && errno != EEXIST)
        return -1;
    return platform::OpenOwnFolder(parent, name, true);
}


// A name no other delivery can have (the Maildir rule): time, microseconds,
// process, a counter of this process, and the host with '/' and ':'
// written as the Maildir convention says.
std::string UniqueName()
{
    static std::atomic<unsigned> counter{0};
    timeval now {};
    ::gettimeofday(&now, nullptr);
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0')
        std::strcpy(host, "localhost");
    std::string safeHost;
    for (const char* p = host; *p; ++p) {
        if (*p == '/')
            safeHost += "\\057";
        else if (*p == ':')
            safeHost += "\\072";
        else
            safeHost += *p;
    }
    return std::to_string(now.tv_sec) + ".M" + std::to_string(now.tv_usec) + "P" + std::to_string(::getpid())
           + "Q" + std::to_string(++counter) + "." + safeHost;
}

std::string ErrorText(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

}  // namespace

QuarantineMaildir::QuarantineMaildir()
    : m_sFolder(DefaultFolder())
{
}

QuarantineMaildir::QuarantineMaildir(std::string folder)
    : m_sFolder(std::move(folder))
{
}

std::string QuarantineMaildir::DefaultFolder()
{
    return platform::XdgFolder("XDG_DATA_HOME", ".local/share") + "/Mavix/Quarantine";
}

bool QuarantineMaildir::Store(std::string_view message)
{
    m_sFailure.clear();
    if (!platform::MakePrivateFolders(m_sFolder)) {
        m_sFailure = ErrorText("cannot make " + m_sFolder);
        return false;
    }
    const platform::UniqueFd root(OpenPrivateFolder(-1, m_sFolder.c_str()));
    const platform::UniqueFd tmp(root.Get() >= 0 ? OpenPrivateFolder(root.Get(), "tmp") : -1);
    const platform::UniqueFd fresh(tmp.Get() >= 0 ? OpenPrivateFolder(root.Get(), "new") : -1);
    const platform::UniqueFd cur(fresh.Get() >= 0 ? OpenPrivateFolder(root.Get(), "cur") : -1);
    if (cur.Get() < 0) {
        m_sFailure = ErrorText("cannot use the folder " + m_sFolder);
        return false;
    }

    std::string text;
    text.reserve(message.size());
    for (size_t i = 0; i < message.size(); ++i)
        if (!(message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n'))
            text += message[i];

    const std::string name = UniqueName();
    bool bWritten = false;
    {
        const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
        const platform::UniqueFd file(::openat(tmp.Get(), name.c_str(), flags, 0600));
        bWritten = file.Get() >= 0 && platform::WriteAll(file.Get(), text) && ::fsync(file.Get()) == 0;
        if (!bWritten)
            m_sFailure = ErrorText("cannot write a copy in " + m_sFolder + "/tmp");
    }
    if (bWritten && ::renameat(tmp.Get(), name.c_str(), fresh.Get(), name.c_str()) != 0) {
        m_sFailure = ErrorText("cannot move the copy into " + m_sFolder + "/new");
        bWritten = false;
    }
    if (!bWritten) {
        ::unlinkat(tmp.Get(), name.c_str(), 0);
        return false;
    }
    if (::fsync(fresh.Get()) != 0) {
        m_sFailure = ErrorText("cannot sync " + m_sFolder + "/new");
        ::unlinkat(fresh.Get(), name.c_str(), 0);
        return false;
    }
    return true;
}

int QuarantineMaildir::Prune(int days, std::time_t now)
{
    const std::time_t cutoff = now - static_cast<std::time_t>(days) * 24 * 60 * 60;
    int removed = 0;
    for (const char* sub : {"new", "cur", "tmp"}) {
        const std::string path = m_sFolder + "/" + sub;
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            continue;
        }
        while (const dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            struct stat st {};
            if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)
                && st.st_mtime < cutoff && ::unlinkat(fd, entry->d_name, 0) == 0)
                ++removed;
        }
        ::closedir(dir);
    }
    return removed;
}
