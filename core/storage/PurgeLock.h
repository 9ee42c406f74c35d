#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "core/platform/UserFolders.h"

// One purge per account at a time, across processes: a lock (flock) on
// "purge-<hash>.lock" in the journal's folder, held from before the first
// DELE until the journal says how the purge ended. Two purges of the same
// mailbox at once would each mark and report the same messages, and the
// journal would hold every deletion twice. The scan settles pending journal
// entries only while it can take the lock, so it never judges a purge that
// is still waiting for its QUIT reply. No toolkit; released by the
// destructor (or by the process ending).
class PurgeLock {
public:
    // How long a second purge waits for the first before it gives up: long
    // enough for a purge that is just writing its journal, short enough
    // that nobody waits on a purge of thousands of messages.
    static constexpr std::chrono::milliseconds kWait{3000};

    // The lock of `account` (DeletionJournal::AccountName) in `folder`.
    PurgeLock(const std::string& folder, const std::string& account);

    // Waits up to `wait` (checking `stop` in between) for the lock. False
    // when another process holds it still, the stop came, or the lock
    // file cannot be opened safely.
    bool Acquire(std::chrono::milliseconds wait, const std::function<bool()>& stop = {});
    bool Held() const { return m_fd.Get() >= 0; }
    // After a failed Acquire: another process held the lock to the end.
    bool Busy() const { return m_bBusy; }

private:
    std::string m_sFolder;
    std::string m_sName;
    platform::UniqueFd m_fd;
    bool m_bBusy = false;
};
