#include "Filters.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>
#include <sstream>

#include "core/platform/CoreText.h"
#include "core/filters/DefaultFilters.h"
#include "core/platform/Ascii.h"
#include "core/storage/SettingsStore.h"

namespace {

constexpr FilterKind kStoredOrder[] = {kFilterSubject, kFilterSubjectExact, kFilterSize, kFilterSender, kFilterTrusted};

using platform::AsciiUpper;

constexpr const char* kDefaultsFile = "defaults.txt";

// How the stored lists carry what the numbered values "0", "1", ... cannot
// say, so that an older Mavix still reads those exactly as before:
// - "Match<i>=word" beside value <i> makes it a whole-word entry (an older
//   reader takes it as "contains", as it took its own defaults);
// - "Tagged0", "Tagged1", ... hold the entries an older reader must not see
//   as text: patterns (a "." would flag every Subject with a full stop) and
//   entries outside Windows-1252, each as "<mode>:<UTF-8 text>".
constexpr const char* kMatchKey = "Match";
constexpr const char* kTaggedKey = "Tagged";
constexpr const char* kWordTag = "word";

struct ModeTag {
    SubjectMatch m_match;
    std::string_view m_sTag;
};
constexpr ModeTag kModeTags[] = {
    {SubjectMatch::kContains, "contains"}, {SubjectMatch::kWholeWord, kWordTag}, {SubjectMatch::kPattern, "pattern"}};

std::string Tagged(const FilterEntry& entry)
{
    for (const ModeTag& tag : kModeTags)
        if (tag.m_match == entry.m_match)
            return std::string(tag.m_sTag) + ":" + entry.m_sText;
    return {};
}

std::optional<FilterEntry> Untagged(std::string_view value)
{
    const size_t colon = value.find(':');
    if (colon == std::string_view::npos || colon + 1 == value.size())
        return std::nullopt;
    for (const ModeTag& tag : kModeTags)
        if (tag.m_sTag == value.substr(0, colon))
            return FilterEntry{std::string(value.substr(colon + 1)), tag.m_match, true};
    return std::nullopt;
}

// pszWhy: the whole sentence, marked for translation in the context "Filters".
std::string Ignored(const char* pszWhy)
{
    return core_text::Say("Filters", pszWhy);
}

}  // namespace

void Filters::LoadDefaults()
{
    if (ReadDefaultsFile())
        return;
    AppendBuiltInDefaults(m_filterDefaults);
}

bool Filters::ReadDefaultsFile()
{
    m_sDefaultsWarning.clear();
    // Checked on the descriptor that is then read, so the file cannot be
    // swapped between check and read; a link is not followed, and a FIFO
    // does not block the open.
    const int fd = ::open(kDefaultsFile, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP)
            m_sDefaultsWarning = Ignored(QT_TRANSLATE_NOOP("Filters",
                                                           "defaults.txt was ignored because it is a symbolic link; "
                                                           "the built-in default filters are used instead."));
        return false;
    }
    struct stat st { };
    const char* pszWhy = nullptr;
    if (::fstat(fd, &st) != 0)
        pszWhy = QT_TRANSLATE_NOOP(
            "Filters",
            "defaults.txt was ignored because it cannot be examined; the built-in default filters are used instead.");
    else if (S_ISDIR(st.st_mode))
        pszWhy = "";  // a folder of that name: no defaults file, as always
    else if (!S_ISREG(st.st_mode))
        pszWhy = QT_TRANSLATE_NOOP(
            "Filters",
            "defaults.txt was ignored because it is not a plain file; the built-in default filters are used instead.");
    else if (st.st_uid != ::geteuid() && st.st_uid != 0)
        pszWhy = QT_TRANSLATE_NOOP("Filters",
                                   "defaults.txt was ignored because it belongs to another user; the built-in default "
                                   "filters are used instead.");
    else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        pszWhy = QT_TRANSLATE_NOOP("Filters",
                                   "defaults.txt was ignored because others may change it (chmod go-w defaults.txt); "
                                   "the built-in default filters are used instead.");
    std::string text;
    if (!pszWhy) {
        char buffer[1 << 14];
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
            if (n > 0)
                text.append(buffer, static_cast<size_t>(n));
        if (n < 0)
            pszWhy = QT_TRANSLATE_NOOP(
                "Filters",
                "defaults.txt was ignored because it cannot be read; the built-in default filters are used instead.");
    }
    ::close(fd);
    if (pszWhy) {
        if (*pszWhy)
            m_sDefaultsWarning = Ignored(pszWhy);
        return false;
    }
    std::istringstream in(std::move(text));
    ParseDefaults(in, m_filterDefaults);
    return true;
}

void Filters::LoadFilters(const SettingsStore& store)
{
    // One look at the file for every entry and its companions.
    const SettingsStore::View settings = store.Read();
    bool bAny = false;
    for (FilterKind kind : kStoredOrder) {
        const char* section = FilterLists::SectionName(kind);
        m_filters.Clear(kind);
        // Each family ends at the first number that is absent or empty.
        for (int i = 0;; ++i) {
            const std::string entry = settings.ReadString(section, std::to_string(i), "");
            FilterEntry whole{AsciiUpper(entry), SubjectMatch::kContains, false};
            if (settings.ReadString(section, kMatchKey + std::to_string(i), "") == kWordTag)
                whole.m_match = SubjectMatch::kWholeWord;
            if (entry.empty() || !m_filters.Append(kind, whole))
                break;
            // The sender lists have no defaults to offer in their place.
            bAny = bAny || kind <= kFilterSize;
        }
        for (int i = 0;; ++i) {
            const std::string value = settings.ReadString(section, kTaggedKey + std::to_string(i), "");
            const std::optional<FilterEntry> entry = Untagged(value);
            if (value.empty())
                break;
            // A mode this version does not know matches nothing here: left out.
            if (!entry || !m_filters.Append(kind, *entry))
                continue;
            bAny = bAny || kind <= kFilterSize;
        }
    }
    if (!bAny)
        m_bNoStoredFilters = 1;
}

bool Filters::SaveFilters(SettingsStore& settings) const
{
    // All the sections go to disk in one write, each replaced whole, so no
    // value numbered past the end of a list survives and a crash leaves the
    // old lists or the new ones.
    std::vector<SettingsStore::Section> sections;
    for (FilterKind kind : kStoredOrder) {
        SettingsStore::Section section(FilterLists::SectionName(kind), {});
        size_t nNumbered = 0;
        size_t nTagged = 0;
        for (const FilterEntry& entry : m_filters.Entries(kind)) {
            if (entry.m_bUtf8) {
                section.second.emplace_back(kTaggedKey + std::to_string(nTagged++), Tagged(entry));
                continue;
            }
            if (entry.m_match == SubjectMatch::kWholeWord)
                section.second.emplace_back(kMatchKey + std::to_string(nNumbered), kWordTag);
            section.second.emplace_back(std::to_string(nNumbered++), entry.m_sText);
        }
        sections.push_back(std::move(section));
    }
    return settings.ReplaceSections(sections);
}

void Filters::ApplyDefaultsOnLaunch()
{
    for (FilterKind kind : {kFilterSize, kFilterSubject}) {
        std::vector<FilterEntry> merged;
        const std::vector<FilterEntry>& defaults = m_filterDefaults.Entries(kind);
        // An entry of the user's with a default's text gives way to the
        // default, mode and all: an older Mavix stored the defaults as
        // "contains" entries, which would go on matching inside words.
        for (const FilterEntry& entry : m_filters.Entries(kind)) {
            const bool bDefault = std::any_of(defaults.begin(), defaults.end(), [&](const FilterEntry& d) {
                return d.m_bUtf8 == entry.m_bUtf8 && d.m_match != SubjectMatch::kPattern
                    && entry.m_match != SubjectMatch::kPattern && AsciiUpper(d.m_sText) == AsciiUpper(entry.m_sText);
            });
            if (!bDefault)
                merged.push_back(entry);
        }
        merged.insert(merged.end(), defaults.begin(), defaults.end());
        m_filters.ReplaceEntries(kind, merged);
    }
}
