#pragma once

// Fixtures for the shared-folder cases: files planted by another user, work
// done as an ordinary user, and a small file system that fills up. Planting
// and switching users need root; each helper says when it cannot be done so
// the test can skip with that reason.

#include <sys/mount.h>
#include <sys/wait.h>
#include <grp.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace shared_folder {

// Two ordinary users that need no entry in /etc/passwd: the one running
// Mavix, and another one sharing the folder with it.
inline constexpr uid_t kUser = 65533;
inline constexpr uid_t kOther = 65532;

inline bool CanPlant()
{
    return ::geteuid() == 0;
}

// Runs fn in a child process as kUser (no supplementary groups) and gives
// its result: 0 for success, else the line of the check that failed; -1
// when the child could not become kUser.
inline int AsUser(const std::function<int()>& fn)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kUser, kUser, kUser) != 0
            || ::setresuid(kUser, kUser, kUser) != 0)
            ::_exit(255);
        ::_exit(fn());
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

// A fresh folder under /tmp, mode `mode` (1777: shared, sticky), removed
// with everything in it at the end.
class Folder {
public:
    explicit Folder(mode_t mode = 01777)
    {
        char name[] = "/tmp/mavix-shared-XXXXXX";
        if (::mkdtemp(name)) {
            m_sPath = name;
            ::chmod(name, mode);
        }
    }
    ~Folder()
    {
        std::error_code error;
        if (!m_sPath.empty())
            std::filesystem::remove_all(m_sPath, error);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    bool Ok() const { return !m_sPath.empty(); }
    const std::string& Path() const { return m_sPath; }
    std::string File(const std::string& name) const { return m_sPath + "/" + name; }

private:
    std::string m_sPath;
};

// A tmpfs of `bytes` mounted on a folder of its own; Why() says why not when
// the machine does not allow it.
class SmallDisk {
public:
    explicit SmallDisk(size_t bytes)
    {
        if (!m_folder.Ok()) {
            m_sWhy = "no temporary folder";
            return;
        }
        const std::string options = "size=" + std::to_string(bytes) + ",mode=1777";
        if (::mount("tmpfs", m_folder.Path().c_str(), "tmpfs", 0, options.c_str()) != 0)
            m_sWhy = "cannot mount a tmpfs here (needs root or a user namespace)";
        else
            m_bMounted = true;
    }
    ~SmallDisk()
    {
        if (m_bMounted)
            ::umount2(m_folder.Path().c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Ok() const { return m_bMounted; }
    const std::string& Why() const { return m_sWhy; }
    std::string File(const std::string& name) const { return m_folder.File(name); }

private:
    Folder m_folder;
    bool m_bMounted = false;
    std::string m_sWhy;
};

}  // namespace shared_folder
