#include "Filters.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

#include "filters/DefaultFilters.h"
#include "platform/Ascii.h"
#include "settings/SettingsStore.h"

namespace {

constexpr FilterKind kStoredOrder[] = {kFilterSubject, kFilterSubjectExact, kFilterSize,
                                       kFilterSender, kFilterTrusted};

using platform::AsciiUpper;

constexpr const char* kDefaultsFile = "defaults.txt";

std::string Ignored(const char* pszWhy)
{
    return std::string("defaults.txt was ignored because ") + pszWhy
           + "; the built-in default filters are used instead.";
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
            m_sDefaultsWarning = Ignored("it is a symbolic link");
        return false;
    }
    struct stat st {};
    const char* pszWhy = nullptr;
    if (::fstat(fd, &st) != 0)
        pszWhy = "it cannot be examined";
    else if (S_ISDIR(st.st_mode))
        pszWhy = "";                        // a folder of that name: no defaults file, as always
    else if (!S_ISREG(st.st_mode))
        pszWhy = "it is not a plain file";
    else if (st.st_uid != ::geteuid() && st.st_uid != 0)
        pszWhy = "it belongs to another user";
    else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        pszWhy = "others may change it (chmod go-w defaults.txt)";
    std::string text;
    if (!pszWhy) {
        char buffer[1 << 14];
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
            if (n > 0)
                text.append(buffer, static_cast<size_t>(n));
        if (n < 0)
            pszWhy = "it cannot be read";
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

void Filters::LoadFilters(const SettingsStore& settings)
{
    bool bAny = false;
    for (FilterKind kind : kStoredOrder) {
        const char* section = FilterLists::SectionName(kind);
        m_filters.Clear(kind);
        // The list ends at the first number that is absent or empty.
        for (int i = 0;; ++i) {
            const std::string entry = settings.ReadString(section, std::to_string(i), "");
            if (entry.empty() || !m_filters.Append(kind, AsciiUpper(entry)))
                break;
            // The sender lists have no defaults to offer in their place.
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
        const std::vector<std::string>& list = m_filters.List(kind);
        for (size_t i = 0; i < list.size(); ++i)
            section.second.emplace_back(std::to_string(i), list[i]);
        sections.push_back(std::move(section));
    }
    return settings.ReplaceSections(sections);
}

void Filters::ApplyDefaultsOnLaunch()
{
    m_filters.Replace(kFilterSize, m_filterDefaults.List(kFilterSize));
    m_filters.Replace(kFilterSubject, m_filterDefaults.List(kFilterSubject));
}
