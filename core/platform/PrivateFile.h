#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <sys/stat.h>

#include "core/platform/UserFolders.h"

// The one way Mavix writes a file of its own: a new file beside the target,
// created with O_CREAT|O_EXCL|O_NOFOLLOW (so nothing planted under its name,
// a symbolic link included, is ever written through) and mode 0600 whatever
// the umask; every byte written and synced; then renamed over the target
// (a link there is replaced, never followed) and the folder synced, so a
// crash leaves the old file or the new one, whole. A failure reports the
// step and its errno, and leaves no temporary file behind.
namespace platform {

class PrivateFile {
public:
    // Which step failed, for the caller's own words.
    enum class Step { kNone, kFolder, kCreate, kWrite, kSync, kClose, kRename, kSyncFolder };

    PrivateFile() = default;
    ~PrivateFile();  // Abort() unless committed
    PrivateFile(const PrivateFile&) = delete;
    PrivateFile& operator=(const PrivateFile&) = delete;

    // A new file named `tempName` in the folder `dirFd`, which the caller
    // keeps open until Commit or Abort. False, with Error() set, when it
    // cannot be created (EEXIST when anything is there already).
    bool CreateIn(int dirFd, std::string tempName);
    // A new file ".<name>.XXXXXX" in the folder of `path` (the folder itself
    // is named by the caller and followed as any path is), to be renamed
    // over `path` by Commit().
    bool CreateBeside(const std::string& path);

    int Fd() const { return m_fd.Get(); }
    // The temporary file's name in its folder, until Commit or Abort; for a
    // caller that lets another writer (QSettings) work on it first.
    const std::string& TempName() const { return m_sTempName; }
    // Every byte of `bytes`, going on after EINTR.
    bool Write(std::string_view bytes);

    // Syncs and closes the file, renames it to `name` in the folder
    // `toDirFd`, and syncs that folder. On a failure before the rename the
    // temporary file is removed; kSyncFolder means the file is in place but
    // its new name may not yet be on disk.
    bool CommitTo(int toDirFd, const std::string& name);
    // Over the target given to CreateBeside.
    bool Commit();
    // Closes and removes the temporary file.
    void Abort();

    Step FailedStep() const { return m_nStep; }
    int Error() const { return m_nError; }  // errno of the failure, 0 when none

private:
    bool CreateFile(int dirFd, std::string tempName);
    bool Fail(Step step, int error);

    UniqueFd m_ownDir;  // the folder CreateBeside opened
    int m_nDirFd = -1;
    std::string m_sTempName;
    std::string m_sTarget;
    UniqueFd m_fd;
    Step m_nStep = Step::kNone;
    int m_nError = 0;
};

// The read side: what reading a file of Mavix's own found.
enum class PrivateRead {
    kRead,     // the text holds the whole file
    kTooLong,  // the text holds its first nMaxBytes; there is more
    kAbsent,   // no file (or no folder) of that name
    kRefused,  // a link, not a plain file, another user's, or unreadable
};

// Reads the file at `path` into `text`, at most nMaxBytes of it, opening
// neither its folder nor the file through a symbolic link: a file planted
// in their place must not hand Mavix another file's lines. The folder must
// be this user's own (OpenOwnFolder), the file a plain one of this user's.
PrivateRead ReadPrivateFile(const std::string& path, uint64_t nMaxBytes, std::string& text);

// Replaces `name` in the folder `dirFd` with `bytes` through a temporary
// file `tempName` there (PrivateFile). True once the file is in place (the
// folder's sync is best effort); false with *pnError set otherwise, and
// then the old file is as it was.
bool ReplacePrivateFile(int dirFd, const std::string& name, const std::string& tempName, std::string_view bytes,
                        int* pnError = nullptr);

// Opens `name` in the folder `dirFd` for appending: created 0600 when
// missing, never through a link, and refused unless it is a plain file;
// one others may read is made 0600. Fills *pStat. -1 with errno set when
// refused.
int OpenPrivateAppend(int dirFd, const char* name, struct stat* pStat);

// Syncs the folder `path` names, so a new name in it lasts; best effort.
void SyncFolder(const std::string& path);

}  // namespace platform
