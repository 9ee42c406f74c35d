#include "PurgeLock.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// FNV-1a: a name that stays the same from one build to the next, so two
// versions of the program running at once agree on it.
std::string AccountHash(const std::string& account)
{
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : account) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace

PurgeLock::PurgeLock(const std::string& folder, const std::string& account)
    : m_sFolder(folder),
      m_sName("purge-" + AccountHash(account) + ".lock")
{ }

bool PurgeLock::Acquire(std::chrono::milliseconds wait, const std::function<bool()>& stop)
{
    m_bBusy = false;
    if (Held())
        return true;
    if (!platform::MakePrivateFolders(m_sFolder))
        return false;
    const platform::UniqueFd dir(platform::OpenOwnFolder(-1, m_sFolder.c_str(), true));
    if (dir.Get() < 0)
        return false;
    platform::UniqueFd fd(::openat(dir.Get(), m_sName.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    struct stat st { };
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    // Polled rather than blocking: flock has no time-out, and the purge
    // must stay stoppable while it waits.
    constexpr auto kPoll = std::chrono::milliseconds(50);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) {
            m_fd.Reset(fd.Release());
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (stop && stop())
            return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            m_bBusy = true;
            return false;
        }
        std::this_thread::sleep_for(kPoll);
    }
}
