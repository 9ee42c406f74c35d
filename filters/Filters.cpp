#include "Filters.h"

#include <filesystem>
#include <fstream>

#include "filters/DefaultFilters.h"
#include "platform/Ascii.h"
#include "settings/SettingsStore.h"

namespace {

constexpr FilterKind kStoredOrder[] = {kFilterSubject, kFilterSubjectExact, kFilterSize,
                                       kFilterSender, kFilterTrusted};

using platform::AsciiUpper;

}  // namespace

void Filters::LoadDefaults()
{
    if (ReadDefaultsFile())
        return;
    AppendBuiltInDefaults(m_filterDefaults);
}

bool Filters::ReadDefaultsFile()
{
    // A folder of that name cannot be read as a file: the built-in lists
    // apply, as they do when there is no such file at all.
    std::error_code error;
    if (std::filesystem::is_directory("defaults.txt", error))
        return false;
    std::ifstream in("defaults.txt", std::ios::binary);
    if (!in)
        return false;
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
