// Times `mavix-cli scan --tsv` over a Dovecot mailbox of 10,000 messages
// against the plain sequential loop of Python's poplib (TOP n 0 for every
// message) on the same server in the same run, and reports mavix-cli's peak
// memory. Usage: bench_cli [messages] [rounds]

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/DovecotServer.h"

extern char** environ;

namespace {

struct Outcome {
    bool m_bOk = false;
    double m_dSeconds = 0;
    double m_dCpuSeconds = 0;                 // user + system time of the child
    long m_nPeakKiB = 0;
};

// Runs argv with stdout to /dev/null and the given extra environment; the
// wall time and the child's own peak resident set (wait4).
Outcome Run(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
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

    Outcome out;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    std::filesystem::current_path(cwd);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        return out;
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return out;
    out.m_dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out.m_nPeakKiB = usage.ru_maxrss;
    out.m_dCpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
                        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    out.m_bOk = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!out.m_bOk)
        std::fprintf(stderr, "%s ended with status %d (its stderr: %s/stderr.txt)\n", argv[0], status,
                     workDir.c_str());
    return out;
}

const char* kPythonLoop = R"(
import poplib, sys
host, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
box = poplib.POP3(host, port)
box.user(user)
box.pass_(password)
count = box.stat()[0]
for n in range(1, count + 1):
    box.top(n, 0)
box.quit()
if count != int(sys.argv[5]):
    sys.exit('expected %s messages, found %d' % (sys.argv[5], count))
)";

}  // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::max(std::atoi(argv[2]), 1) : 3;

    DovecotServer dovecot;
    std::string why;
    if (!dovecot.Start(&why)) {
        std::fprintf(stderr, "Dovecot did not start: %s\n", why.c_str());
        return 1;
    }
    std::printf("filling the mailbox with %d messages...\n", count);
    std::fflush(stdout);
    dovecot.AddMessages(count);

    // Settings and the dump go to a scratch directory, never the user's own.
    const std::filesystem::path scratch = std::filesystem::path(dovecot.Directory()) / "bench";
    std::filesystem::create_directories(scratch / "config");
    const std::vector<std::string> env = {"XDG_CONFIG_HOME=" + (scratch / "config").string(),
                                          "MAVIX_SYSCONFDIR=" + (scratch / "etc").string(),
                                          "MAVIX_PASSWORD=" + dovecot.Password()};
    const std::string port = std::to_string(dovecot.Port());
    std::vector<std::string> cli = {MAVIX_CLI_PATH, "scan", "--tsv", "--server", "127.0.0.1",
                                    "--port", port, "--user", dovecot.User()};
    // BENCH_CLI_WRAPPER="/usr/bin/perf record -o /tmp/cli.perf" profiles the runs.
    if (const char* wrapper = std::getenv("BENCH_CLI_WRAPPER")) {
        std::vector<std::string> words;
        std::string word;
        for (const char* p = wrapper;; ++p) {
            if (*p == ' ' || *p == '\0') {
                if (!word.empty())
                    words.push_back(word);
                word.clear();
                if (*p == '\0')
                    break;
            } else {
                word += *p;
            }
        }
        cli.insert(cli.begin(), words.begin(), words.end());
    }
    const std::vector<std::string> python = {"/usr/bin/python3", "-c", kPythonLoop, "127.0.0.1", port,
                                             dovecot.User(), dovecot.Password(), std::to_string(count)};

    // Untimed passes: the first lets Dovecot build its index and move every
    // file to cur/; the session right after that still behaves unlike the
    // later ones, so it is not timed either.
    for (int i = 0; i < 2; ++i)
        if (!Run(python, {}, scratch.string()).m_bOk)
            return 1;

    double bestCli = 1e9, bestPython = 1e9;
    long peakKiB = 0;
    for (int r = 0; r < rounds; ++r) {
        // Alternate which goes first, so neither always meets the server
        // in the same state.
        Outcome a, b;
        if (r % 2 == 0) {
            a = Run(cli, env, scratch.string());
            b = Run(python, {}, scratch.string());
        } else {
            b = Run(python, {}, scratch.string());
            a = Run(cli, env, scratch.string());
        }
        if (!a.m_bOk || !b.m_bOk)
            return 1;
        std::printf("round %d: mavix-cli %.3f s (cpu %.3f s, peak %ld KiB), python poplib %.3f s (cpu %.3f s)\n",
                    r + 1, a.m_dSeconds, a.m_dCpuSeconds, a.m_nPeakKiB, b.m_dSeconds, b.m_dCpuSeconds);
        bestCli = std::min(bestCli, a.m_dSeconds);
        bestPython = std::min(bestPython, b.m_dSeconds);
        peakKiB = std::max(peakKiB, a.m_nPeakKiB);
    }
    std::printf("\n%d messages, best of %d rounds\n", count, rounds);
    std::printf("mavix-cli scan --tsv : %.3f s\n", bestCli);
    std::printf("python poplib TOP    : %.3f s\n", bestPython);
    std::printf("ratio (python / mavix-cli): %.2f  (%s)\n", bestPython / bestCli,
                bestCli <= bestPython ? "mavix-cli at least as fast" : "mavix-cli SLOWER");
    std::printf("mavix-cli peak memory: %.1f MiB (%s 64 MiB)\n", peakKiB / 1024.0,
                peakKiB < 64 * 1024 ? "under" : "NOT under");
    return 0;
}
