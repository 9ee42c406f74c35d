// Stores N subject filters in a private settings file, then times what every
// start of either front end does with them: the account's values and the
// three filter lists read through the settings store. Prints one line per
// size.
//
//   bench_filter_load [count...]       (default: 2000 8000 10000)
#include "core/storage/Filters.h"
#include "core/storage/SettingsStore.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <stdlib.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Loads the account and the lists as the front ends do, after a write (so the
// file is parsed again); the best of `rounds`.
double TimeLoad(SettingsStore& settings, int rounds, size_t& loaded)
{
    double best = 1e9;
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        std::string account;
        for (const char* name : {"Server", "User", "Port", "Security", "TlsFingerprint", "Pass"})
            account += settings.ReadString("Acct", name, "");
        Filters filters;
        filters.LoadFilters(settings);
        (void)settings.ReadInt("Prefs", "Def", 0);
        best = std::min(best, Seconds(start));
        loaded = filters.m_filters.List(kFilterSubject).size();
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
        counts = {2000, 8000, 10000};

    char home[] = "/tmp/mavix-bench-XXXXXX";
    if (!::mkdtemp(home)) {
        std::perror("mkdtemp");
        return 1;
    }
    ::setenv("XDG_CONFIG_HOME", home, 1);

    std::printf("%8s  %10s  %8s\n", "filters", "load (s)", "loaded");
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
        for (int i = 0; i < count; ++i)
            subjects.push_back("SUBJECT FILTER NUMBER " + std::to_string(i));
        filters.m_filters.Replace(kFilterSubject, subjects);
        if (!filters.SaveFilters(settings)) {
            std::fprintf(stderr, "cannot store %d filters\n", count);
            return 1;
        }
        size_t loaded = 0;
        const double seconds = TimeLoad(settings, 1, loaded);
        std::printf("%8d  %10.3f  %8zu\n", count, seconds, loaded);
        std::fflush(stdout);
    }
    ::unlink((std::string(home) + "/Tarvane Software/Mavix.conf").c_str());
    ::rmdir((std::string(home) + "/Tarvane Software").c_str());
    ::rmdir(home);
    return 0;
}
