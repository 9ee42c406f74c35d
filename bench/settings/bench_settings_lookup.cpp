// What a long filter list adds to the settings reads of a scan: with N
// subject filters stored, one scan's reads (the account's values, the
// preferences, the three filter lists, each entry with its absent
// companions) and 1,000 reads of names that are absent or stored in
// another letter case. Prints one line per N: the time of those reads and
// what they add over no filters at all, and of it the file's parsing; the
// best of three rounds, in CPU time.
//
//   bench_settings_lookup [count...]       (default: 0 10000 100000)
#include "core/storage/Filters.h"
#include "core/storage/SettingsStore.h"

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <stdlib.h>
#include <unistd.h>

namespace {

// CPU time: the machine may be busy with other work.
double Now()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Figures {
    double m_dParse = 1e9;  // the first read: the file parsed
    double m_dAll = 1e9;    // every read
};

Figures ScanReads(SettingsStore& settings)
{
    Figures best;
    for (int round = 0; round < 3; ++round) {
        // A write drops the parsed file: every round parses it again, as a
        // new process does.
        settings.WriteString("Prefs", "BenchRound", std::to_string(round));
        const double start = Now();
        size_t bytes = settings.ReadString("Acct", "Server", "").size();
        const double parse = Now() - start;
        for (const char* name : {"Server", "User", "Port", "Security", "TlsFingerprint", "Pass", "Authentication"})
            bytes += settings.ReadString("Acct", name, "").size();
        Filters filters;
        filters.LoadFilters(settings);
        for (int i = 0; i < 1000; ++i) {
            bytes += settings.ReadString("acct", "SERVER", "").size();
            bytes += settings.ReadString("Prefs", "Absent" + std::to_string(i), "").size();
        }
        best.m_dParse = std::min(best.m_dParse, parse);
        best.m_dAll = std::min(best.m_dAll, Now() - start);
        if (bytes == 0 || filters.m_filters.List(kFilterSubject).empty())
            std::fprintf(stderr, "nothing read\n");
    }
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts = {0, 10000, 100000};

    char home[] = "/tmp/mavix-bench-XXXXXX";
    if (!::mkdtemp(home)) {
        std::perror("mkdtemp");
        return 1;
    }
    ::setenv("XDG_CONFIG_HOME", home, 1);

    std::printf("%8s  %10s  %10s  %10s\n", "filters", "parse (s)", "reads (s)", "added (s)");
    double base = -1;
    for (int count : counts) {
        SettingsStore settings;
        if (!settings.Open()) {
            std::fprintf(stderr, "cannot open the settings in %s\n", home);
            return 1;
        }
        settings.WriteString("Acct", "Server", "pop.example.org");
        settings.WriteString("Acct", "User", "user");
        Filters filters;
        std::vector<std::string> subjects;
        // None: the defaults stand in, and a list of one is the baseline.
        for (int i = 0; i < std::max(count, 1); ++i)
            subjects.push_back("SUBJECT FILTER NUMBER " + std::to_string(i));
        filters.m_filters.Replace(kFilterSubject, subjects);
        if (!filters.SaveFilters(settings)) {
            std::fprintf(stderr, "cannot store %d filters\n", count);
            return 1;
        }
        const Figures figures = ScanReads(settings);
        if (base < 0)
            base = figures.m_dAll;
        std::printf("%8d  %10.3f  %10.3f  %10.3f\n", count, figures.m_dParse, figures.m_dAll, figures.m_dAll - base);
        std::fflush(stdout);
    }
    ::unlink((std::string(home) + "/Tarvane Software/Mavix.conf").c_str());
    ::rmdir((std::string(home) + "/Tarvane Software").c_str());
    ::rmdir(home);
    return 0;
}
