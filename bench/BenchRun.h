#pragma once

// What the benchmarks share: running a client as a child process, timed,
// and the median of a round's figures.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

struct BenchOutcome {
    bool m_bOk = false;
    double m_dSeconds = 0;
    double m_dCpuSeconds = 0;  // user + system time of the child
    long m_nPeakKiB = 0;
};

// Starts argv in workDir with stdout to /dev/null, stderr to stderr.txt
// there and the given extra environment; -1 when it could not be started.
inline pid_t SpawnIn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
                     const std::string& workDir)
{
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e)
        envStrings.emplace_back(*e);
    for (const std::string& pair : extraEnv)
        envStrings.push_back(pair);
    std::vector<char*> envp, argv;
    for (std::string& s : envStrings)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> argStrings = args;
    for (std::string& s : argStrings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const std::string cwd = std::filesystem::current_path().string();
    std::filesystem::current_path(workDir);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    std::filesystem::current_path(cwd);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        return -1;
    }
    return pid;
}

// Waits for a child SpawnIn started at `start`: the wall time since, the
// child's CPU time and its own peak resident set (wait4).
inline BenchOutcome WaitForChild(pid_t pid, std::chrono::steady_clock::time_point start, const std::string& name,
                                 const std::string& workDir)
{
    BenchOutcome out;
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid)
        return out;
    out.m_dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out.m_nPeakKiB = usage.ru_maxrss;
    out.m_dCpuSeconds =
        usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    out.m_bOk = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!out.m_bOk)
        std::fprintf(stderr, "%s ended with status %d (its stderr: %s/stderr.txt)\n", name.c_str(), status,
                     workDir.c_str());
    return out;
}

// Runs argv in workDir (see SpawnIn) and waits for it (see WaitForChild).
inline BenchOutcome RunTimed(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
                             const std::string& workDir)
{
    const auto start = std::chrono::steady_clock::now();
    return WaitForChild(SpawnIn(args, extraEnv, workDir), start, args[0], workDir);
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
