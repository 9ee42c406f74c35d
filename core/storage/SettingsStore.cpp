#include "SettingsStore.h"
#include "core/platform/CoreText.h"
#include "core/storage/SettingsKeys.h"

#include "core/platform/PrivateFile.h"
#include "core/platform/UserFolders.h"

#include <QDir>
#include <QHash>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/platform/Ascii.h"
#include "core/platform/Cp1252.h"
#include "core/platform/Trace.h"
#include "core/platform/IniImport.h"

namespace {

// A value is read into a 260-byte buffer, terminator included.
constexpr size_t kReadBuffer = 260;

QString ToQ(const std::string& bytes)
{
    const std::string utf8 = platform::Cp1252ToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQ(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return platform::Utf8ToCp1252(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

// QSettings treats '/' as a group separator, so such a name could not be
// kept as one name.
bool IsValidName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos;
}

// The stored spelling of `name` among `names`: the exact one first, else
// the first that differs only in letter case. Empty when there is none.
QString FindName(const QStringList& names, const QString& name)
{
    if (names.contains(name))
        return name;
    for (const QString& n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return n;
    return {};
}

QString GroupFor(const QSettings& s, const std::string& section)
{
    const QString wanted = ToQ(section);
    const QString found = FindName(s.childGroups(), wanted);
    return found.isEmpty() ? wanted : found;
}

// Within the current group.
QString KeyFor(const QSettings& s, const std::string& name)
{
    const QString wanted = ToQ(name);
    const QString found = FindName(s.childKeys(), wanted);
    return found.isEmpty() ? wanted : found;
}

std::string VariantToBytes(const QVariant& value)
{
    // A hand-edited line with unquoted commas reads as a list.
    if (value.typeId() == QMetaType::QStringList)
        return FromQ(value.toStringList().join(QLatin1Char(',')));
    return FromQ(value.toString());
}

std::string Folder(const std::string& file)
{
    const size_t slash = file.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

// The refusals, in words the user can act on.
std::string LinkProblem(const std::string& path, bool bFolder)
{
    return bFolder ? core_text::Say("Settings",
                                    QT_TRANSLATE_NOOP("Settings",
                                                      "The settings folder %1 is a symbolic link; Mavix does not use "
                                                      "settings through a link. Replace it with the real folder."),
                                    {path})
                   : core_text::Say("Settings",
                                    QT_TRANSLATE_NOOP("Settings",
                                                      "The settings file %1 is a symbolic link; Mavix does not use "
                                                      "settings through a link. Replace it with the real file."),
                                    {path});
}

std::string ForeignProblem(const std::string& path)
{
    return core_text::Say("Settings",
                          QT_TRANSLATE_NOOP("Settings",
                                            "The settings file or folder %1 belongs to another user or is not a plain "
                                            "file or folder; Mavix does not use it."),
                          {path});
}

// The folder holding the settings file: a real folder of the user's own,
// checked through a descriptor that does not follow a link. -1 with
// *pProblem set when refused.
int OpenFolder(const std::string& dir, std::string* pProblem)
{
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat st { };
        if ((error == ELOOP || error == ENOTDIR) && lstat(dir.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            *pProblem = LinkProblem(dir, true);
        else
            platform::Trace("SettingsStore: cannot open the folder %s (errno %d)\n", dir.c_str(), error);
        return -1;
    }
    struct stat st { };
    if (fstat(fd, &st) != 0 || st.st_uid != geteuid()) {
        *pProblem = ForeignProblem(dir);
        close(fd);
        return -1;
    }
    return fd;
}

// Creates the file, mode 0600, when it is missing, so that a write (which
// keeps the owner's part of the mode of the file it replaces) never puts the
// password into a file others can read. An existing file that others can
// read is made private, through a descriptor that never follows a link.
bool EnsureFile(const std::string& path, bool* pbCreated, std::string* pProblem)
{
    if (pbCreated)
        *pbCreated = false;
    pProblem->clear();
    const std::string dir = Folder(path);
    if (!platform::MakePrivateFolders(dir)) {
        platform::Trace("SettingsStore: cannot create the folder of %s\n", path.c_str());
        return false;
    }
    const int dirFd = OpenFolder(dir, pProblem);
    if (dirFd < 0)
        return false;
    const std::string name = path.substr(path.find_last_of('/') + 1);
    int fd = openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        const bool ok = fchmod(fd, 0600) == 0 && fsync(fd) == 0;
        close(fd);
        fsync(dirFd);
        close(dirFd);
        if (pbCreated)
            *pbCreated = true;
        return ok;
    }
    if (errno != EEXIST) {
        platform::Trace("SettingsStore: cannot create %s (errno %d)\n", path.c_str(), errno);
        close(dirFd);
        return false;
    }
    fd = openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const int error = errno;
    close(dirFd);
    if (fd < 0) {
        if (error == ELOOP)
            *pProblem = LinkProblem(path, false);
        return false;
    }
    struct stat st { };
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid();
    if (!ok)
        *pProblem = ForeignProblem(path);
    else if ((st.st_mode & 077) != 0)
        ok = fchmod(fd, st.st_mode & 0700) == 0;
    close(fd);
    return ok;
}

// What tells one version of the file from another: a write renames a new
// file into place, an edit in place changes the change time.
struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{}, ctime{};

    explicit FileId(const struct stat& st = {})
        : dev(st.st_dev),
          ino(st.st_ino),
          size(st.st_size),
          mtime(st.st_mtim),
          ctime(st.st_ctim)
    { }
    bool operator==(const FileId& o) const
    {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec
            && mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

}  // namespace

// Every value of the file as it was parsed once.
struct SettingsStore::Snapshot {
    QHash<QString, std::string> m_values;  // "group/name" as stored
    QStringList m_groups;
    QHash<QString, QStringList> m_keys;  // the names of each group, in QSettings' order
    // A name in any letter case to the first stored spelling FindName would
    // give: each lookup is one hash probe, however many values there are
    // (thousands of filter entries, each read with its absent companions).
    QHash<QString, QString> m_groupsFolded;  // folded group -> group
    QHash<QString, QString> m_keysFolded;    // group "/" folded name -> name

    void Index()
    {
        // Walked backwards: insert keeps the last, and the first is wanted.
        for (qsizetype i = m_groups.size(); i-- > 0;)
            m_groupsFolded.insert(m_groups[i].toCaseFolded(), m_groups[i]);
        for (auto it = m_keys.constBegin(); it != m_keys.constEnd(); ++it)
            for (qsizetype i = it.value().size(); i-- > 0;)
                m_keysFolded.insert(it.key() + QLatin1Char('/') + it.value()[i].toCaseFolded(), it.value()[i]);
    }
    // The stored spelling of a group, as FindName would find it in m_groups.
    QString Group(const QString& name) const
    {
        if (m_keys.contains(name))
            return name;
        return m_groupsFolded.value(name.toCaseFolded());
    }
    // The stored spelling of a name within a stored group.
    QString Key(const QString& group, const QString& name) const
    {
        if (m_values.contains(group + QLatin1Char('/') + name))
            return name;
        return m_keysFolded.value(group + QLatin1Char('/') + name.toCaseFolded());
    }
};

struct SettingsStore::State {
    std::mutex mutex;
    std::shared_ptr<const Snapshot> snapshot;
    FileId id;
    std::string problem;
};

std::string SettingsStore::FilePath() const
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    // The XDG base directory rules ignore a relative XDG_CONFIG_HOME.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QFile::encodeName(base + QLatin1Char('/') + QLatin1String(kRelativePath)).toStdString();
}

bool SettingsStore::Open(bool* pbCreated)
{
    if (pbCreated)
        *pbCreated = false;
    std::string problem;
    const bool ok = EnsureFile(FilePath(), pbCreated, &problem);
    std::lock_guard lock(m_pState->mutex);
    m_pState->snapshot.reset();
    m_pState->problem = problem;
    return ok;
}

void SettingsStore::WriteNewSettingsDefaults()
{
    // New settings keep a copy of what they delete; a file from before,
    // without the key, keeps its old meaning (no copies).
    WriteInt(settings_keys::kPrefs, settings_keys::kKeepCopyKB, kNewKeepCopyKB);
}

namespace {

// The most the store reads of the settings file (and of what QSettings
// makes of it) to write it again. The file is the user's own, but a huge or
// hostile one must not be read whole without limit; this is far above any
// file the store writes itself (values of under 260 bytes, lists of some
// thousand entries), and a write over it is refused instead.
constexpr size_t kMaxSettingsBytes = size_t{64} << 20;

// Every temporary file of a write is named ".<file>.<letters>" (the scratch
// copy, the new file) or begins so (what QSettings puts beside the scratch
// copy: its own temporary file and its lock).
std::string TempPrefix(const std::string& file)
{
    return "." + file.substr(file.find_last_of('/') + 1) + ".";
}

// Under the writer lock no other writer is inside a write, so any file
// named as the temporaries of a write are was left by a killed one.
void RemoveLeftovers(int dirFd, const std::string& file)
{
    const int fd = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return;
    }
    const std::string prefix = TempPrefix(file);
    while (const dirent* entry = readdir(dir)) {
        if (std::string_view(entry->d_name).substr(0, prefix.size()) == prefix)
            unlinkat(dirFd, entry->d_name, 0);  // a link itself, never what it names
    }
    closedir(dir);
}

// Serialises the writers of all processes on the settings folder. The
// kernel drops the lock when its holder dies, so a crashed writer never
// blocks the next one.
class WriterLock {
public:
    explicit WriterLock(const std::string& file)
    {
        const size_t slash = file.find_last_of('/');
        const std::string dir = slash == std::string::npos ? "." : file.substr(0, slash);
        m_fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_fd < 0)
            return;
        int rc = 0;
        while ((rc = flock(m_fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        // Under this lock whatever a killed writer left is stale: the
        // temporary files of a write, and the lock file QSettings took when
        // it wrote the settings file itself (recognised as stale only after
        // 30 seconds when its writer died before writing its process id).
        if (rc == 0) {
            unlink((file + ".lock").c_str());
            RemoveLeftovers(m_fd, file);
        }
    }
    ~WriterLock()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

private:
    int m_fd = -1;
};

// Everything `fd` holds from where it is, when that is at most
// kMaxSettingsBytes.
bool ReadBounded(int fd, std::string* pBytes)
{
    pBytes->clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (pBytes->size() + static_cast<size_t>(n) > kMaxSettingsBytes) {
            platform::Trace("SettingsStore: a settings file over %zu bytes is not written\n", kMaxSettingsBytes);
            return false;
        }
        pBytes->append(buffer, static_cast<size_t>(n));
    }
}

// The settings file's bytes and owner's mode, when the user may write the
// file (as QSettings demanded when it wrote the file itself): the user's own
// plain file, never one through a link.
bool ReadCurrent(const std::string& path, std::string* pBytes, mode_t* pMode, std::string* pProblem)
{
    const platform::UniqueFd fd(open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0) {
        const int error = errno;
        if (error == ELOOP)
            *pProblem = LinkProblem(path, false);
        platform::Trace("SettingsStore: cannot write %s (errno %d)\n", path.c_str(), error);
        return false;
    }
    struct stat st { };
    if (fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        *pProblem = ForeignProblem(path);
        return false;
    }
    *pMode = st.st_mode & 0700;
    return ReadBounded(fd.Get(), pBytes);
}

// What QSettings makes of `bytes` with `change` applied: it works on a
// private scratch copy beside `path`, which is removed whatever happens.
std::optional<std::string> ApplyChange(const std::string& path, const std::string& bytes,
                                       const std::function<void(QSettings&)>& change)
{
    platform::PrivateFile scratch;
    if (!scratch.CreateBeside(path) || !scratch.Write(bytes)) {
        platform::Trace("SettingsStore: cannot write beside %s (errno %d)\n", path.c_str(), scratch.Error());
        return std::nullopt;
    }
    const std::string scratchPath = Folder(path) + "/" + scratch.TempName();
    {
        QSettings settings(QFile::decodeName(scratchPath.c_str()), QSettings::IniFormat);
        settings.setAtomicSyncRequired(true);
        change(settings);
        settings.sync();
        if (settings.status() == QSettings::AccessError) {
            platform::Trace("SettingsStore: cannot write %s\n", scratchPath.c_str());
            return std::nullopt;
        }
    }
    // QSettings renamed its own new file over the scratch copy's name.
    const platform::UniqueFd fd(open(scratchPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    std::string result;
    if (fd.Get() < 0 || !ReadBounded(fd.Get(), &result))
        return std::nullopt;
    return result;
}

// Puts `bytes` in place of the settings file, through a new file of the
// owner's mode the file had, renamed over it; the folder synced.
bool PutInPlace(const std::string& path, const std::string& bytes, mode_t mode)
{
    platform::PrivateFile file;
    bool ok = file.CreateBeside(path);
    // PrivateFile makes 0600; a file the user made 0700 stays so.
    if (ok && mode != 0600 && fchmod(file.Fd(), mode) != 0) {
        platform::Trace("SettingsStore: cannot set the mode of %s (errno %d)\n", path.c_str(), errno);
        return false;
    }
    ok = ok && file.Write(bytes) && file.Commit();
    if (!ok && file.FailedStep() != platform::PrivateFile::Step::kSyncFolder) {
        platform::Trace("SettingsStore: cannot write %s (step %d, errno %d)\n", path.c_str(),
                        static_cast<int>(file.FailedStep()), file.Error());
        return false;
    }
    return true;
}

// One write, under the writer lock: the file's bytes, QSettings' change to
// them in a scratch copy, and the result renamed into place and synced by
// the private file writer, so a crash at any moment leaves the old file or
// the new one, whole. A change that changes no byte writes nothing.
bool CommitChange(const std::string& path, const std::function<void(QSettings&)>& change, std::string* pProblem)
{
    if (path.empty() || !EnsureFile(path, nullptr, pProblem))
        return false;
    const WriterLock lock(path);
    std::string before;
    mode_t mode = 0600;
    if (!ReadCurrent(path, &before, &mode, pProblem))
        return false;
    const std::optional<std::string> after = ApplyChange(path, before, change);
    if (!after)
        return false;
    return *after == before || PutInPlace(path, *after, mode);
}

// The file as it is now, when it is one the store may read: the user's own
// plain file in a folder that is no link. Sets *pProblem when refused.
bool StatUsable(const std::string& path, struct stat& st, std::string* pProblem)
{
    pProblem->clear();
    const std::string dir = Folder(path);
    struct stat dirSt { };
    if (lstat(dir.c_str(), &dirSt) != 0)
        return false;
    if (S_ISLNK(dirSt.st_mode)) {
        *pProblem = LinkProblem(dir, true);
        return false;
    }
    if (!S_ISDIR(dirSt.st_mode) || dirSt.st_uid != geteuid()) {
        *pProblem = ForeignProblem(dir);
        return false;
    }
    if (lstat(path.c_str(), &st) != 0)
        return false;  // no file yet: every read gives its default
    if (S_ISLNK(st.st_mode)) {
        *pProblem = LinkProblem(path, false);
        return false;
    }
    if (!S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        *pProblem = ForeignProblem(path);
        return false;
    }
    return true;
}

}  // namespace

SettingsStore::SettingsStore()
    : m_pState(std::make_shared<State>())
{ }

std::string SettingsStore::File() const
{
    // Computed on every use, as the environment naming the folder may change.
    return FilePath();
}

std::string SettingsStore::Problem() const
{
    std::lock_guard lock(m_pState->mutex);
    return m_pState->problem;
}

std::shared_ptr<const SettingsStore::Snapshot> SettingsStore::Load() const
{
    const std::string path = File();
    if (path.empty())
        return nullptr;
    State& state = *m_pState;
    std::lock_guard lock(state.mutex);
    struct stat st { };
    if (!StatUsable(path, st, &state.problem)) {
        state.snapshot.reset();
        return nullptr;
    }
    if (state.snapshot && state.id == FileId(st))
        return state.snapshot;

    const QString file = QFile::decodeName(path.c_str());
    std::shared_ptr<Snapshot> snapshot;
    // A file replaced while it was parsed is parsed again, so the snapshot
    // never carries the identity of another version.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const FileId before(st);
        snapshot = std::make_shared<Snapshot>();
        {
            QSettings settings(file, QSettings::IniFormat);
            const QStringList keys = settings.allKeys();
            snapshot->m_values.reserve(keys.size());
            for (const QString& key : keys)
                snapshot->m_values.insert(key, VariantToBytes(settings.value(key)));
            snapshot->m_groups = settings.childGroups();
            for (const QString& group : std::as_const(snapshot->m_groups)) {
                settings.beginGroup(group);
                snapshot->m_keys.insert(group, settings.childKeys());
                settings.endGroup();
            }
            snapshot->Index();
        }
        if (!StatUsable(path, st, &state.problem))
            return nullptr;
        if (FileId(st) == before) {
            state.snapshot = snapshot;
            state.id = before;
            break;
        }
    }
    return snapshot;
}

namespace {

// The stored text, or nothing when the section or the value is missing or
// the value is too long for the read buffer.
std::optional<std::string> ValueIn(const SettingsStore::Snapshot* snapshot, const std::string& section,
                                   const std::string& name)
{
    if (!snapshot || !IsValidName(section) || !IsValidName(name))
        return std::nullopt;
    auto found = snapshot->m_values.constFind(ToQ(section) + QLatin1Char('/') + ToQ(name));
    if (found == snapshot->m_values.constEnd()) {
        const QString group = snapshot->Group(ToQ(section));
        if (group.isEmpty())
            return std::nullopt;
        const QString key = snapshot->Key(group, ToQ(name));
        if (key.isEmpty())
            return std::nullopt;
        found = snapshot->m_values.constFind(group + QLatin1Char('/') + key);
        if (found == snapshot->m_values.constEnd())
            return std::nullopt;
    }
    if (found->size() + 1 > kReadBuffer)
        return std::nullopt;
    return *found;
}

}  // namespace

std::optional<std::string> SettingsStore::ReadValue(const std::string& section, const std::string& name) const
{
    if (!IsValidName(section) || !IsValidName(name))
        return std::nullopt;
    return ValueIn(Load().get(), section, name);
}

SettingsStore::View SettingsStore::Read() const
{
    return View(Load());
}

std::string SettingsStore::View::ReadString(const std::string& section, const std::string& name,
                                            const std::string& sDefault) const
{
    std::optional<std::string> value = ValueIn(m_pSnapshot.get(), section, name);
    return value ? std::move(*value) : sDefault;
}

bool SettingsStore::Commit(const std::string& path, const std::function<void(QSettings&)>& change)
{
    std::string problem;
    const bool ok = CommitChange(path, change, &problem);
    std::lock_guard lock(m_pState->mutex);
    m_pState->snapshot.reset();
    m_pState->problem = problem;
    return ok;
}

bool SettingsStore::HasSection(const std::string& section) const
{
    const std::shared_ptr<const Snapshot> snapshot = IsValidName(section) ? Load() : nullptr;
    return snapshot && !snapshot->Group(ToQ(section)).isEmpty();
}

std::vector<std::pair<std::string, std::string>> SettingsStore::ReadSection(const std::string& section) const
{
    std::vector<std::pair<std::string, std::string>> values;
    const std::shared_ptr<const Snapshot> snapshot = IsValidName(section) ? Load() : nullptr;
    const QString group = snapshot ? snapshot->Group(ToQ(section)) : QString();
    if (group.isEmpty())
        return values;
    for (const QString& key : snapshot->m_keys.value(group)) {
        if (values.size() == kMaxSectionValues)
            break;
        const auto found = snapshot->m_values.constFind(group + QLatin1Char('/') + key);
        if (found != snapshot->m_values.constEnd() && found->size() + 1 <= kReadBuffer)
            values.emplace_back(FromQ(key), *found);
    }
    return values;
}

std::string SettingsStore::ReadString(const std::string& section, const std::string& name,
                                      const std::string& sDefault) const
{
    std::optional<std::string> value = ReadValue(section, name);
    return value ? std::move(*value) : sDefault;
}

int SettingsStore::ReadInt(const std::string& section, const std::string& name, int nDefault) const
{
    const std::optional<std::string> text = ReadValue(section, name);
    const std::optional<int> value = text ? ParseInt(*text) : std::nullopt;
    return value.value_or(nDefault);
}

std::optional<int> SettingsStore::ParseInt(std::string_view text)
{
    const std::optional<int64_t> value = platform::LeadingDecimal(text);
    if (!value)
        return std::nullopt;
    // Out of range saturates rather than wraps.
    return static_cast<int>(std::clamp<int64_t>(*value, INT_MIN, INT_MAX));
}

bool SettingsStore::WriteString(const std::string& section, const std::string& name, const std::string& sValue)
{
    if (!IsValidName(section) || !IsValidName(name))
        return false;
    return Commit(File(), [&](QSettings& s) {
        s.beginGroup(GroupFor(s, section));
        s.setValue(KeyFor(s, name), ToQ(sValue));
        s.endGroup();
    });
}

bool SettingsStore::WriteInt(const std::string& section, const std::string& name, int nValue)
{
    return WriteString(section, name, std::to_string(nValue));
}

bool SettingsStore::DeleteValue(const std::string& section, const std::string& name)
{
    if (!IsValidName(section) || !IsValidName(name))
        return false;
    const std::string path = File();
    if (path.empty() || !QFile::exists(QFile::decodeName(path.c_str())))
        return true;
    return Commit(path, [&](QSettings& s) {
        const QString group = FindName(s.childGroups(), ToQ(section));
        if (group.isEmpty())
            return;
        s.beginGroup(group);
        const QString key = FindName(s.childKeys(), ToQ(name));
        if (!key.isEmpty())
            s.remove(key);
        s.endGroup();
    });
}

SettingsStore::DeleteResult SettingsStore::DeleteSection(const std::string& section)
{
    if (!IsValidName(section))
        return kDeleteFailed;
    const std::string path = File();
    if (path.empty() || !QFile::exists(QFile::decodeName(path.c_str())))
        return kNoSuchSection;
    bool found = false;
    const bool ok = Commit(path, [&](QSettings& s) {
        const QString group = FindName(s.childGroups(), ToQ(section));
        found = !group.isEmpty();
        if (found)
            s.remove(group);
    });
    if (!ok)
        return kDeleteFailed;
    return found ? kSectionDeleted : kNoSuchSection;
}

bool SettingsStore::ReplaceSections(const std::vector<Section>& sections)
{
    for (const Section& section : sections) {
        if (!IsValidName(section.first))
            return false;
        for (const auto& value : section.second)
            if (!IsValidName(value.first))
                return false;
    }
    return Commit(File(), [&](QSettings& s) {
        for (const Section& section : sections) {
            const QString group = GroupFor(s, section.first);
            s.remove(group);
            s.beginGroup(group);
            for (const auto& value : section.second)
                s.setValue(ToQ(value.first), ToQ(value.second));
            s.endGroup();
        }
    });
}

bool SettingsStore::ReplaceSection(const std::string& section,
                                   const std::vector<std::pair<std::string, std::string>>& values)
{
    return ReplaceSections({Section(section, values)});
}

void SettingsStore::ImportIniFile()
{
    const char* dir = std::getenv("MAVIX_SYSCONFDIR");
    std::string file = (dir != nullptr && *dir != '\0') ? dir : "/etc";
    file += "/";
    file += kImportFile;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return;
    const std::vector<IniEntry> entries = ParseIni(in);
    if (entries.empty())
        return;
    // Section and value names from the file match stored ones regardless of
    // letter case, so "[screen]" fills the section "Screen" is read from.
    const bool ok = Commit(File(), [&](QSettings& s) {
        for (const IniEntry& entry : entries) {
            s.beginGroup(GroupFor(s, entry.m_sSection));
            s.setValue(KeyFor(s, entry.m_sName), ToQ(entry.m_sValue));
            s.endGroup();
        }
    });
    if (!ok)
        platform::Trace("SettingsStore: import of %s failed\n", file.c_str());
}
