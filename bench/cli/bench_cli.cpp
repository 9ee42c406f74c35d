// mavix-cli against Python clients on the same Dovecot in the same run. Each
// round runs every client once, the order rotating from round to round;
// the figures are medians over the rounds, the ratios medians of the ratios
// within each round.
//
//   bench_cli scan  [rounds] [messages...]  scan --tsv vs a pipelined Python
//                                           client and a poplib loop
//                                           (default 5 rounds; 1000 10000 50000)
//   bench_cli purge [rounds] [messages]     purge of every other row vs a
//                                           Python client pipelining TOP,
//                                           then DELE, and two that also
//                                           re-read first (default 10000)
//   bench_cli tls   [rounds] [messages]     scan --tsv over implicit TLS vs
//                                           plain text (default 10000)
//   bench_cli rss   [messages...]           mavix-cli's peak memory and its
//                                           growth per message
//                                           (default 10000 100000)
//   bench_cli accounts [rounds] [messages]  5 mailboxes of one Dovecot
//                                           scanned at once, one mavix-cli
//                                           session each, vs the pipelined
//                                           Python client scanning them one
//                                           after another (default 10000 per
//                                           mailbox, or $BENCH_ACCOUNT_MESSAGES)
//   bench_cli cache [rounds] [messages]     the header cache: a first scan
//                                           (writing it) vs one without it;
//                                           a second scan vs a client that
//                                           sends only STAT, LIST and UIDL;
//                                           100 new messages vs that client
//                                           plus 100 pipelined TOP n 0; the
//                                           cache's size (default 50000)

#include <unistd.h>

#include <algorithm>
#include <functional>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchRun.h"
#include "tests/support/DovecotServer.h"

namespace {

// Every TOP n 0 one after the other, as a mail program with poplib would.
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

// The limit of the wire: every TOP n 0 sent at once (from a second thread,
// so the sending never waits on the reading), the replies read in order.
// With a sixth argument "listing", only STAT, LIST and UIDL (what a scan
// with a warm header cache needs); "listing-top100" then also TOP n 0 of
// the last 100 messages, pipelined. With "purge", then DELE of every other message, pipelined
// the same way, and QUIT. With "reread-top", the purge first reads those
// messages again (TOP n 0, pipelined); with "reread", as mavix-cli does
// (TOP n 0 and UIDL n each, pipelined): the same commands on the wire,
// without the checks.
const char* kPythonPipelined = R"(
import socket, sys, threading
host, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
mode = sys.argv[6] if len(sys.argv) > 6 else ''
purge = mode in ('purge', 'reread-top', 'reread')
s = socket.create_connection((host, port))
f = s.makefile('rb', buffering=1 << 16)
def line():
    l = f.readline()
    if not l.startswith(b'+OK'):
        sys.exit('bad reply %r' % l)
    return l
def block():
    line()
    for l in f:
        if l == b'.\r\n':
            return
line()
s.sendall(b'USER %s\r\nPASS %s\r\nSTAT\r\n' % (user.encode(), password.encode()))
line(); line(); count = int(line().split()[1])
def send(data):
    t = threading.Thread(target=s.sendall, args=(data,))
    t.start()
    return t
if mode.startswith('listing'):
    s.sendall(b'LIST\r\nUIDL\r\n')
    block(); block()
    first = count - 99 if mode == 'listing-top100' else count + 1
    t = send(b''.join(b'TOP %d 0\r\n' % n for n in range(max(first, 1), count + 1)))
    for n in range(max(first, 1), count + 1):
        block()
    t.join()
else:
    t = send(b''.join(b'TOP %d 0\r\n' % n for n in range(1, count + 1)))
    for n in range(count):
        block()
    t.join()
if mode.startswith('reread'):
    uidl = mode == 'reread'
    t = send(b''.join(b'TOP %d 0\r\n' % n + (b'UIDL %d\r\n' % n if uidl else b'')
                      for n in range(1, count + 1, 2)))
    for n in range(1, count + 1, 2):
        block()
        if uidl:
            line()
    t.join()
if purge:
    t = send(b''.join(b'DELE %d\r\n' % n for n in range(1, count + 1, 2)))
    for n in range(1, count + 1, 2):
        line()
    t.join()
s.sendall(b'QUIT\r\n'); line()
if count != int(sys.argv[5]):
    sys.exit('expected %s messages, found %d' % (sys.argv[5], count))
)";

struct Client {
    std::string m_sName;
    std::vector<std::string> m_aArgs;
    std::vector<std::string> m_aEnv;
    std::vector<double> m_aSeconds = {}, m_aCpu = {};
    std::vector<long> m_aPeakKiB = {};
};

struct Bench {
    DovecotServer m_dovecot;
    std::filesystem::path m_scratch;
    std::vector<std::string> m_aEnv;
    std::vector<std::string> m_aNoCacheEnv;
    int m_nMessages = 0;

    bool Start(bool bTls)
    {
        if (bTls)
            m_dovecot.EnableTls();
        std::string why;
        if (!m_dovecot.Start(&why)) {
            std::fprintf(stderr, "Dovecot did not start: %s\n", why.c_str());
            return false;
        }
        // Settings, the dump and the deletion log go to a scratch directory, never
        // the user's own.
        m_scratch = std::filesystem::path(m_dovecot.Directory()) / "bench";
        std::filesystem::create_directories(m_scratch / "config");
        m_aEnv = {"XDG_CONFIG_HOME=" + (m_scratch / "config").string(),
                  "XDG_STATE_HOME=" + (m_scratch / "state").string(), "XDG_DATA_HOME=" + (m_scratch / "data").string(),
                  "MAVIX_SYSCONFDIR=" + (m_scratch / "etc").string(), "MAVIX_PASSWORD=" + m_dovecot.Password()};
        // Without a header cache (no folder can be made below /dev/null),
        // as every mode but "cache" measures the scan.
        m_aNoCacheEnv = m_aEnv;
        m_aNoCacheEnv.push_back("XDG_CACHE_HOME=/dev/null");
        m_aEnv.push_back("XDG_CACHE_HOME=" + (m_scratch / "cache").string());
        return true;
    }

    std::vector<std::string> Cli(const std::string& command, int port) const
    {
        std::vector<std::string> args = {MAVIX_CLI_PATH,       command,     "--tsv",
                                         "--server",           "127.0.0.1", "--port",
                                         std::to_string(port), "--user",    m_dovecot.User()};
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
            args.insert(args.begin(), words.begin(), words.end());
        }
        return args;
    }

    std::vector<std::string> Python(const char* script, const std::string& extra = "",
                                    const std::string& user = {}) const
    {
        std::vector<std::string> args = {"/usr/bin/python3",
                                         "-c",
                                         script,
                                         "127.0.0.1",
                                         std::to_string(m_dovecot.Port()),
                                         user.empty() ? m_dovecot.User() : user,
                                         m_dovecot.Password(),
                                         std::to_string(m_nMessages)};
        if (!extra.empty())
            args.push_back(extra);
        return args;
    }

    // Grows the mailbox to `count`; two untimed passes then let Dovecot
    // index the new files and settle.
    bool Fill(int count)
    {
        if (count > m_nMessages) {
            std::printf("filling the mailbox to %d messages...\n", count);
            std::fflush(stdout);
            m_dovecot.AddMessages(count - m_nMessages);
            m_nMessages = count;
        }
        for (int i = 0; i < 2; ++i)
            if (!RunTimed(Python(kPythonLoop), {}, m_scratch.string()).m_bOk)
                return false;
        return true;
    }

    // One run of the client, its figures kept.
    bool RunOne(Client& client)
    {
        const BenchOutcome out = RunTimed(client.m_aArgs, client.m_aEnv, m_scratch.string());
        if (!out.m_bOk)
            return false;
        client.m_aSeconds.push_back(out.m_dSeconds);
        client.m_aCpu.push_back(out.m_dCpuSeconds);
        client.m_aPeakKiB.push_back(out.m_nPeakKiB);
        return true;
    }

    // `rounds` rounds of every client, the order rotating; before each run
    // `prepare` (untimed) when given.
    bool Rounds(std::vector<Client>& clients, int rounds, const std::function<bool()>& prepare = {})
    {
        for (int r = 0; r < rounds; ++r) {
            std::printf("round %d:", r + 1);
            for (size_t i = 0; i < clients.size(); ++i) {
                Client& client = clients[(i + static_cast<size_t>(r)) % clients.size()];
                if ((prepare && !prepare()) || !RunOne(client))
                    return false;
                std::printf("  %s %.3f s (cpu %.3f s, peak %ld KiB)", client.m_sName.c_str(), client.m_aSeconds.back(),
                            client.m_aCpu.back(), client.m_aPeakKiB.back());
            }
            std::printf("\n");
            std::fflush(stdout);
        }
        return true;
    }
};

// The median of clients[0]'s time over clients[other]'s, round by round.
double MedianRatio(const std::vector<Client>& clients, size_t other)
{
    std::vector<double> ratios;
    for (size_t r = 0; r < clients[0].m_aSeconds.size(); ++r)
        ratios.push_back(clients[0].m_aSeconds[r] / clients[other].m_aSeconds[r]);
    return Median(ratios);
}

// The mailboxes of the accounts bench: Dovecot's users beside its own, with
// its password.
constexpr int kBenchAccounts = 5;
std::string BoxName(int index)
{
    return "box" + std::to_string(index + 1);
}

// Fills every box to `count` and lets Dovecot index them (one untimed
// pipelined pass each).
bool FillBoxes(Bench& bench, int count)
{
    std::printf("filling %d mailboxes to %d messages...\n", kBenchAccounts, count);
    std::fflush(stdout);
    bench.m_nMessages = count;
    for (int i = 0; i < kBenchAccounts; ++i) {
        bench.m_dovecot.AddMessages(count, 500, BoxName(i));
        if (!RunTimed(bench.Python(kPythonPipelined, "", BoxName(i)), {}, bench.m_scratch.string()).m_bOk)
            return false;
    }
    return true;
}

// Every box's mavix-cli scan started at once, each in its own folder (the
// header dump is written to the current one); the time until the last ends.
bool ScanAtOnce(Bench& bench, Client& client)
{
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::pair<pid_t, std::string>> children;
    for (int i = 0; i < kBenchAccounts; ++i) {
        std::vector<std::string> args = bench.Cli("scan", bench.m_dovecot.Port());
        args.back() = BoxName(i);
        const std::string dir = (bench.m_scratch / BoxName(i)).string();
        std::filesystem::create_directories(dir);
        children.emplace_back(SpawnIn(args, bench.m_aEnv, dir), dir);
    }
    bool ok = true;
    double cpu = 0;
    long peak = 0;
    for (const auto& [pid, dir] : children) {
        const BenchOutcome out = WaitForChild(pid, start, "mavix-cli", dir);
        ok = ok && out.m_bOk;
        cpu += out.m_dCpuSeconds;
        peak = std::max(peak, out.m_nPeakKiB);
    }
    client.m_aSeconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    client.m_aCpu.push_back(cpu);
    client.m_aPeakKiB.push_back(peak);
    return ok;
}

// The pipelined client on every box, one after another.
bool ScanInTurn(Bench& bench, Client& client)
{
    double seconds = 0, cpu = 0;
    long peak = 0;
    for (int i = 0; i < kBenchAccounts; ++i) {
        const BenchOutcome out = RunTimed(bench.Python(kPythonPipelined, "", BoxName(i)), {}, bench.m_scratch.string());
        if (!out.m_bOk)
            return false;
        seconds += out.m_dSeconds;
        cpu += out.m_dCpuSeconds;
        peak = std::max(peak, out.m_nPeakKiB);
    }
    client.m_aSeconds.push_back(seconds);
    client.m_aCpu.push_back(cpu);
    client.m_aPeakKiB.push_back(peak);
    return true;
}

void Report(const std::vector<Client>& clients, int messages);

// Rounds of both, the order alternating; medians and their ratio.
bool AccountsBench(Bench& bench, int rounds, int count)
{
    if (!FillBoxes(bench, count))
        return false;
    std::vector<Client> clients = {{"5 mavix-cli sessions at once", {}, {}}, {"python pipelined, in turn", {}, {}}};
    for (int r = 0; r < rounds; ++r) {
        const bool bMavixFirst = r % 2 == 0;
        for (int k = 0; k < 2; ++k) {
            const bool bMavix = (k == 0) == bMavixFirst;
            if (!(bMavix ? ScanAtOnce(bench, clients[0]) : ScanInTurn(bench, clients[1])))
                return false;
        }
        std::printf("round %d:  at once %.3f s  in turn %.3f s\n", r + 1, clients[0].m_aSeconds.back(),
                    clients[1].m_aSeconds.back());
        std::fflush(stdout);
    }
    Report(clients, count);
    return true;
}

void Report(const std::vector<Client>& clients, int messages)
{
    std::printf("\n%d messages, medians of %zu rounds\n", messages, clients[0].m_aSeconds.size());
    for (const Client& client : clients)
        std::printf("  %-28s %.3f s (cpu %.3f s, peak %.1f MiB)\n", client.m_sName.c_str(), Median(client.m_aSeconds),
                    Median(client.m_aCpu),
                    Median(std::vector<double>(client.m_aPeakKiB.begin(), client.m_aPeakKiB.end())) / 1024);
    for (size_t i = 1; i < clients.size(); ++i)
        std::printf("  ratio %s / %s: %.2f\n", clients[0].m_sName.c_str(), clients[i].m_sName.c_str(),
                    MedianRatio(clients, i));
    std::fflush(stdout);
}

// The header cache's three figures on one mailbox of `count` messages.
bool CacheBench(Bench& bench, int rounds, int count)
{
    const int port = bench.m_dovecot.Port();
    std::vector<std::string> noCache = bench.Cli("scan", port);
    noCache.push_back("--no-cache");
    const std::filesystem::path folder = bench.m_scratch / "cache" / "Mavix";
    const std::filesystem::path saved = bench.m_scratch / "cache-before-100-new";
    const auto cacheFile = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename().string().rfind("headers-", 0) == 0)
                return entry.path();
        return std::filesystem::path();
    };
    // The cache of the mailbox before its last 100 messages came, put back
    // before every run of (b).
    if (!bench.Fill(count - 100) || !RunTimed(noCache, bench.m_aEnv, bench.m_scratch.string()).m_bOk)
        return false;
    std::filesystem::copy_file(cacheFile(), saved, std::filesystem::copy_options::overwrite_existing);
    if (!bench.Fill(count))
        return false;

    std::printf("\n(c) the first scan, writing the cache, vs a scan without it\n");
    std::vector<Client> first = {{"scan writing the cache", noCache, bench.m_aEnv},
                                 {"scan without a cache", bench.Cli("scan", port), bench.m_aNoCacheEnv}};
    if (!bench.Rounds(first, rounds))
        return false;
    Report(first, count);
    const uintmax_t bytes = std::filesystem::file_size(cacheFile());
    std::printf("  the cache: %ju bytes, %.1f bytes per message\n", bytes, static_cast<double>(bytes) / count);

    std::printf("\n(a) a second scan of the unchanged mailbox vs STAT, LIST and UIDL\n");
    std::vector<Client> second = {{"mavix-cli scan, cached", bench.Cli("scan", port), bench.m_aEnv},
                                  {"python STAT, LIST, UIDL", bench.Python(kPythonPipelined, "listing"), {}}};
    if (!bench.Rounds(second, rounds))
        return false;
    Report(second, count);

    std::printf("\n(b) 100 new messages vs the listing and 100 pipelined TOP n 0\n");
    std::vector<Client> fresh = {{"mavix-cli scan, 100 new", bench.Cli("scan", port), bench.m_aEnv},
                                 {"python listing, 100 TOP", bench.Python(kPythonPipelined, "listing-top100"), {}}};
    if (!bench.Rounds(fresh, rounds, [&] {
            std::filesystem::copy_file(saved, cacheFile(), std::filesystem::copy_options::overwrite_existing);
            return true;
        }))
        return false;
    Report(fresh, count);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "scan";
    std::vector<int> sizes;
    int rounds = 5;
    for (int i = 2; i < argc; ++i) {
        if (i == 2 && mode != "rss")
            rounds = std::max(std::atoi(argv[i]), 1);
        else
            sizes.push_back(std::atoi(argv[i]));
    }

    Bench bench;
    if (mode == "accounts")
        for (int i = 0; i < kBenchAccounts; ++i)
            bench.m_dovecot.AddUser(BoxName(i), bench.m_dovecot.Password());
    if (!bench.Start(mode == "tls"))
        return 1;
    const int port = bench.m_dovecot.Port();

    if (mode == "scan") {
        if (sizes.empty())
            sizes = {1000, 10000, 50000};
        for (int count : sizes) {
            if (!bench.Fill(count))
                return 1;
            std::vector<Client> clients = {{"mavix-cli scan --tsv", bench.Cli("scan", port), bench.m_aNoCacheEnv},
                                           {"python pipelined", bench.Python(kPythonPipelined), {}},
                                           {"python poplib", bench.Python(kPythonLoop), {}}};
            if (!bench.Rounds(clients, rounds))
                return 1;
            Report(clients, count);
        }
    } else if (mode == "tls") {
        const int count = sizes.empty() ? 10000 : sizes[0];
        if (!bench.Fill(count))
            return 1;
        std::vector<std::string> tls = bench.Cli("scan", bench.m_dovecot.TlsPort());
        tls.insert(tls.end(),
                   {"--security", "tls", "--tls-fingerprint", bench.m_dovecot.Certificates().m_sFingerprint});
        std::vector<Client> clients = {{"mavix-cli over TLS", tls, bench.m_aNoCacheEnv},
                                       {"mavix-cli plain", bench.Cli("scan", port), bench.m_aNoCacheEnv}};
        if (!bench.Rounds(clients, rounds))
            return 1;
        Report(clients, count);
    } else if (mode == "purge") {
        const int count = sizes.empty() ? 10000 : sizes[0];
        if (!bench.Fill(count))
            return 1;
        std::string rows;
        for (int n = 1; n <= count; n += 2)
            rows += (rows.empty() ? "" : ",") + std::to_string(n);
        std::vector<std::string> cli = bench.Cli("purge", port);
        cli.insert(cli.end(), {"--rows", rows});
        std::vector<Client> clients = {{"mavix-cli purge", cli, bench.m_aNoCacheEnv},
                                       {"python pipelined TOP, DELE", bench.Python(kPythonPipelined, "purge"), {}},
                                       {"python re-reading TOP", bench.Python(kPythonPipelined, "reread-top"), {}},
                                       {"python re-reading as mavix", bench.Python(kPythonPipelined, "reread"), {}}};
        // Every run deletes half the mailbox: it is filled up again first.
        if (!bench.Rounds(clients, rounds, [&] {
                bench.m_nMessages = bench.m_dovecot.MessageFileCount();
                return bench.Fill(count);
            }))
            return 1;
        Report(clients, count);
    } else if (mode == "rss") {
        if (sizes.empty())
            sizes = {10000, 100000};
        std::vector<std::pair<int, double>> peaks;
        for (int count : sizes) {
            if (!bench.Fill(count))
                return 1;
            std::vector<Client> clients = {{"mavix-cli scan --tsv", bench.Cli("scan", port), bench.m_aNoCacheEnv}};
            if (!bench.Rounds(clients, 3))
                return 1;
            Report(clients, count);
            peaks.emplace_back(count,
                               Median(std::vector<double>(clients[0].m_aPeakKiB.begin(), clients[0].m_aPeakKiB.end())));
        }
        if (peaks.size() >= 2)
            std::printf("growth per message: %.1f bytes\n",
                        (peaks.back().second - peaks.front().second) * 1024
                            / (peaks.back().first - peaks.front().first));
    } else if (mode == "accounts") {
        const char* fromEnv = std::getenv("BENCH_ACCOUNT_MESSAGES");
        const int count = !sizes.empty() ? sizes[0] : fromEnv ? std::max(std::atoi(fromEnv), 1) : 10000;
        if (!AccountsBench(bench, rounds, count))
            return 1;
    } else if (mode == "cache") {
        if (!CacheBench(bench, rounds, sizes.empty() ? 50000 : sizes[0]))
            return 1;
    } else {
        std::fprintf(stderr, "usage: bench_cli scan|purge|tls|rss|accounts|cache [rounds] [messages...]\n");
        return 2;
    }
    return 0;
}
