#include "QuarantineMaildir.h"

#include "core/platform/Digest.h"
#include "core/platform/PrivateFile.h"
#include "core/platform/UserFolders.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

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
    timeval now{};
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
    return std::to_string(now.tv_sec) + ".M" + std::to_string(now.tv_usec) + "P" + std::to_string(::getpid()) + "Q"
        + std::to_string(++counter) + "." + safeHost;
}

// The key a copy's name carries: ",K=" and 32 hex digits, before any ':'.
constexpr std::string_view kKeyTag = ",K=";
constexpr size_t kKeyDigits = 32;

std::string_view KeyOfName(std::string_view name)
{
    const size_t colon = name.find(':');
    const std::string_view unique = name.substr(0, colon);
    const size_t at = unique.rfind(kKeyTag);
    if (at == std::string_view::npos || unique.size() - at - kKeyTag.size() < kKeyDigits)
        return {};
    return unique.substr(at + kKeyTag.size(), kKeyDigits);
}

// Calls f(folder fd, name, stat) for each regular file in new/, cur/ and
// (with bTmp) tmp/, never through a link.
template <typename F> void ForEachCopy(const std::string& root, bool bTmp, F&& f)
{
    for (const char* sub : {"new", "cur", "tmp"}) {
        if (!bTmp && std::string_view(sub) == "tmp")
            continue;
        const std::string path = root + "/" + sub;
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
            struct stat st { };
            if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
                f(fd, path, std::string(entry->d_name), st);
        }
        ::closedir(dir);
    }
}

std::string ErrorText(const std::string& what, int error = errno)
{
    return what + ": " + std::strerror(error);
}

}  // namespace

QuarantineMaildir::QuarantineMaildir()
    : m_sFolder(DefaultFolder())
{ }

QuarantineMaildir::QuarantineMaildir(std::string folder)
    : m_sFolder(std::move(folder))
{ }

std::string QuarantineMaildir::DefaultFolder()
{
    return platform::XdgFolder("XDG_DATA_HOME", ".local/share") + "/Mavix/Quarantine";
}

std::string QuarantineMaildir::CopyKey(std::string_view account, std::string_view uidl)
{
    if (uidl.empty())
        return {};
    std::string bytes(account);
    bytes += '\0';
    bytes += uidl;
    const auto digest = platform::Sha256(bytes);
    if (!digest)
        return {};
    static const char kHex[] = "0123456789abcdef";
    std::string key;
    for (size_t i = 0; i < kKeyDigits / 2; ++i) {
        key += kHex[(*digest)[i] >> 4];
        key += kHex[(*digest)[i] & 15];
    }
    return key;
}

std::map<std::string, std::string> QuarantineMaildir::Copies() const
{
    std::map<std::string, std::pair<std::time_t, std::string>> newest;
    ForEachCopy(m_sFolder, false, [&](int, const std::string& path, const std::string& name, const struct stat& st) {
        const std::string_view key = KeyOfName(name);
        if (key.empty())
            return;
        auto& slot = newest[std::string(key)];
        if (slot.second.empty() || st.st_mtime >= slot.first)
            slot = {st.st_mtime, path + "/" + name};
    });
    std::map<std::string, std::string> copies;
    for (auto& [key, found] : newest)
        copies.emplace(key, std::move(found.second));
    return copies;
}

bool QuarantineMaildir::Store(std::string_view message, std::string_view key)
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

    std::string name = UniqueName();
    if (key.size() == kKeyDigits)
        name += std::string(kKeyTag) + std::string(key);
    platform::PrivateFile file;
    if (file.CreateIn(tmp.Get(), name) && file.Write(text) && file.CommitTo(fresh.Get(), name))
        return true;
    switch (file.FailedStep()) {
    case platform::PrivateFile::Step::kRename:
        m_sFailure = ErrorText("cannot move the copy into " + m_sFolder + "/new", file.Error());
        break;
    case platform::PrivateFile::Step::kSyncFolder:
        m_sFailure = ErrorText("cannot sync " + m_sFolder + "/new", file.Error());
        ::unlinkat(fresh.Get(), name.c_str(), 0);
        break;
    default:
        m_sFailure = ErrorText("cannot write a copy in " + m_sFolder + "/tmp", file.Error());
        break;
    }
    return false;
}

int QuarantineMaildir::Prune(int days, std::uint64_t maxBytes, std::time_t now)
{
    const std::time_t cutoff = now - static_cast<std::time_t>(days) * 24 * 60 * 60;
    struct Kept {
        std::time_t m_nTime;
        std::uint64_t m_nBytes;
        std::string m_sPath;
    };
    std::vector<Kept> kept;
    std::uint64_t total = 0;
    int removed = 0;
    ForEachCopy(m_sFolder, true, [&](int fd, const std::string& path, const std::string& name, const struct stat& st) {
        if (st.st_mtime < cutoff) {
            if (::unlinkat(fd, name.c_str(), 0) == 0)
                ++removed;
            return;
        }
        const auto bytes = static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0));
        total += bytes;
        kept.push_back({st.st_mtime, bytes, path + "/" + name});
    });
    // Oldest first (the names start with the time they were kept, which
    // orders copies of the same second).
    std::sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) {
        return a.m_nTime != b.m_nTime ? a.m_nTime < b.m_nTime : a.m_sPath < b.m_sPath;
    });
    for (const Kept& copy : kept) {
        if (total <= maxBytes)
            break;
        if (::unlink(copy.m_sPath.c_str()) == 0) {
            ++removed;
            total -= copy.m_nBytes;
        }
    }
    return removed;
}
