#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QSettings;

// Every persistent setting goes through this store: one per-user INI file,
// one INI group per section, every value kept as text. Names and values are
// Windows-1252 bytes; the file itself holds them as UTF-8 text so that a
// user can read and edit it, and every byte 0x00-0xFF comes back unchanged.
//
// Every read looks at the file as it is on disk now: the file is parsed once
// into a read-only snapshot, which is used for as long as the file's
// identity, size and change times stay the same, and dropped by every write.
// Every write is on disk (renamed into place and synced) before it returns,
// so a crash leaves either the old file or the new one. The file holds the
// mailbox password and is kept at mode 0600.
//
// The file and its folder must be the user's own and not symbolic links; a
// settings file that is a link (or in a linked folder, or another user's) is
// refused, never read, written or chmod-ed through, and Problem() says why.
//
// Section and value names match without regard to ASCII letter case, as
// they do in a hand-written INI file; a write to an existing entry keeps the
// spelling it was first stored with.
class SettingsStore {
public:
    // The settings file, under $XDG_CONFIG_HOME (~/.config when that is not
    // set or not absolute).
    static constexpr const char* kRelativePath = "Tarvane Software/Mavix.conf";
    // The administrator's first-run defaults, in $MAVIX_SYSCONFDIR or /etc.
    static constexpr const char* kImportFile = "Mavix.INI";

    SettingsStore();

    // Opens (creates) the settings file, mode 0600. *pbCreated says the file
    // did not exist before this call, which is when ImportIniFile is due.
    bool Open(bool* pbCreated = nullptr);
    // The program's first start, once Open has created the file: what new
    // settings begin with ([Prefs] KeepCopyKB = kNewKeepCopyKB), before
    // ImportIniFile may replace it.
    void WriteNewSettingsDefaults();
    static constexpr int kNewKeepCopyKB = 500;

    // First-run import of kImportFile from $MAVIX_SYSCONFDIR, or /etc when
    // that is not set. A missing file imports nothing. All imported values
    // are written in one atomic write.
    void ImportIniFile();

    // Reads never fail and never create anything: a missing section or value,
    // or a value of 260 bytes or more, gives the default.
    int ReadInt(const std::string& section, const std::string& name, int nDefault) const;
    std::string ReadString(const std::string& section, const std::string& name, const std::string& sDefault) const;

    struct Snapshot;
    // The file as it is now, for many reads in a row (a long filter list):
    // each read is what ReadString would have given when Read was called,
    // without looking at the file again.
    class View {
    public:
        std::string ReadString(const std::string& section, const std::string& name, const std::string& sDefault) const;

    private:
        friend class SettingsStore;
        explicit View(std::shared_ptr<const Snapshot> snapshot)
            : m_pSnapshot(std::move(snapshot))
        { }
        std::shared_ptr<const Snapshot> m_pSnapshot;
    };
    View Read() const;

    // The section is in the file (the letter case of its name aside).
    bool HasSection(const std::string& section) const;
    // Every value of a section as stored, names in the file's spelling, at
    // most kMaxSectionValues of them; a value ReadString would not give (260
    // bytes or more) is left out. Empty when the section is missing.
    std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& section) const;
    // Far above the dozen values a section of ours holds.
    static constexpr size_t kMaxSectionValues = 256;

    // How ReadInt reads a stored text ("%d": blanks, sign, digits, the rest
    // ignored; saturating at the ends of int). Nothing without a digit.
    static std::optional<int> ParseInt(std::string_view text);

    // A write creates the file and the section when missing. False when the
    // value could not be put on disk (or a name is empty or holds '/').
    bool WriteInt(const std::string& section, const std::string& name, int nValue);
    bool WriteString(const std::string& section, const std::string& name, const std::string& sValue);

    // Removes one value in one atomic write. True when the value is gone
    // (also when there was none).
    bool DeleteValue(const std::string& section, const std::string& name);

    // Removes a whole section in one atomic write. kDeleteFailed also for a
    // name the store cannot hold (empty, or holding '/').
    enum DeleteResult { kSectionDeleted, kNoSuchSection, kDeleteFailed };
    DeleteResult DeleteSection(const std::string& section);

    // Replaces a whole section in one atomic write: whatever happens, the
    // section on disk is either the old one or the new one, never a mix.
    bool ReplaceSection(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values);

    using Section = std::pair<std::string, std::vector<std::pair<std::string, std::string>>>;
    // Replaces several sections in one atomic write (one file rename).
    bool ReplaceSections(const std::vector<Section>& sections);

    // The settings file's full path, from the environment as it is now.
    std::string FilePath() const;

    // Why the settings file was refused (a symbolic link, another user's),
    // for the front ends to show; empty when it is in use.
    std::string Problem() const;

private:
    // The file the reads and writes use.
    std::string File() const;
    std::shared_ptr<const Snapshot> Load() const;
    std::optional<std::string> ReadValue(const std::string& section, const std::string& name) const;
    bool Commit(const std::string& path, const std::function<void(QSettings&)>& change);

    struct State;
    std::shared_ptr<State> m_pState;
};
