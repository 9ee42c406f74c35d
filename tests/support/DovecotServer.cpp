#include "DovecotServer.h"

#include "JsonWebToken.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

std::string FindDovecot()
{
    for (const char* path : {"/usr/sbin/dovecot", "/usr/local/sbin/dovecot"})
        if (::access(path, X_OK) == 0)
            return path;
    if (const char* pathEnv = std::getenv("PATH")) {
        std::stringstream dirs(pathEnv);
        std::string dir;
        while (std::getline(dirs, dir, ':'))
            if (!dir.empty() && ::access((dir + "/dovecot").c_str(), X_OK) == 0)
                return dir + "/dovecot";
    }
    return {};
}

// The passwd-file passdb's mechanisms beside the oauth2 one (USER/PASS
// travels as PLAIN inside Dovecot).
constexpr const char* kPasswordMechanisms = "plain login cram-md5 scram-sha-1 scram-sha-256 apop";

sockaddr_in LoopbackAddress(const std::string& address, uint16_t port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1)
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

uint16_t FreeLoopbackPort(const std::string& address)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in addr = LoopbackAddress(address, 0);
    socklen_t length = sizeof addr;
    uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteFile(const std::string& path, const std::string& text, mode_t mode)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0)
        return false;
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ::close(fd) == 0 && ok;
    return ok;
}

// Waits for the child to exit, at most timeoutMs; true when it has (and is
// reaped).
bool WaitForExit(pid_t pid, int timeoutMs)
{
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) {
            if (pidfd >= 0)
                ::close(pidfd);
            return true;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        if (pidfd >= 0) {
            pollfd fd = {pidfd, POLLIN, 0};
            ::poll(&fd, 1, static_cast<int>(left));
        } else {
            ::usleep(10000);  // no pidfd (old kernel): check again shortly
        }
    }
    if (pidfd >= 0)
        ::close(pidfd);
    return false;
}

std::string Hex(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

}  // namespace

DovecotServer::DovecotServer() = default;

DovecotServer::~DovecotServer()
{
    Stop();
}

std::string DovecotServer::MaildirPath(const std::string& user) const
{
    return m_sDir + "/mail/" + (user.empty() ? User() : user) + "/Maildir";
}

void DovecotServer::AddUser(const std::string& name, const std::string& password)
{
    m_aUsers.emplace_back(name, password);
    std::string error;
    if (!m_sDir.empty() && !MakeMaildir(name, &error))
        std::fprintf(stderr, "DovecotServer: %s\n", error.c_str());
}

std::string DovecotServer::Log() const
{
    return m_sDir.empty() ? std::string() : ReadFile(m_sDir + "/dovecot.log") + ReadFile(m_sDir + "/stderr.log");
}

bool DovecotServer::WriteConfig(std::string* psError)
{
    const bool bRoot = ::geteuid() == 0;
    std::string internalUser, internalGroup, loginUser, firstValidUid;
    if (bRoot) {
        if (!::getpwnam("dovecot") || !::getpwnam("dovenull")) {
            *psError = "the users dovecot and dovenull are missing: install dovecot-core";
            return false;
        }
        internalUser = "dovecot";
        internalGroup = "dovecot";
        loginUser = "dovenull";
        firstValidUid = "100";
    } else {
        // Without root nothing can change users, so every process of the
        // server, and the mailbox, belong to whoever runs the tests.
        const passwd* pw = ::getpwuid(::geteuid());
        const group* gr = ::getgrgid(::getegid());
        if (!pw || !gr) {
            *psError = "cannot name the current user or group";
            return false;
        }
        internalUser = loginUser = pw->pw_name;
        internalGroup = gr->gr_name;
        firstValidUid = std::to_string(pw->pw_uid);
    }

    std::string passwd;
    for (const auto& [name, password] : m_aUsers) {
        passwd += name + ":{PLAIN}" + password;
        if (!bRoot)
            passwd += ":" + std::to_string(m_nMailUid) + ":" + std::to_string(m_nMailGid) + "::" + m_sDir + "/mail/"
                + name + "::";
        passwd += "\n";
    }

    std::string ssl = "ssl = no\n";
    if (m_bTls)
        ssl = "ssl = yes\n"
              "ssl_cert = <"
            + m_certificates.m_sCertFile
            + "\n"
              "ssl_key = <"
            + m_certificates.m_sKeyFile
            + "\n"
              "ssl_min_protocol = TLSv1.2\n";
    std::string conf = "protocols = pop3\n"
                       "listen = "
        + m_sAddress + "\n" + ssl + "disable_plaintext_auth = " + (m_bRefusePlaintext ? "yes" : "no")
        + "\n"
          "auth_mechanisms = "
        + m_sMechanisms + "\n" + (m_bAuthOptions ? "auth_failure_delay = 0\nauth_verbose = yes\n" : "")
        + "base_dir = " + m_sDir
        + "/run\n"
          "state_dir = "
        + m_sDir
        + "/state\n"
          "log_path = "
        + m_sDir
        + "/dovecot.log\n"
          "mail_location = maildir:"
        + m_sDir
        + "/mail/%u/Maildir\n"
          "default_internal_user = "
        + internalUser
        + "\n"
          "default_internal_group = "
        + internalGroup
        + "\n"
          "default_login_user = "
        + loginUser
        + "\n"
          "first_valid_uid = "
        + firstValidUid
        + "\n"
          "passdb {\n"
          "  driver = passwd-file\n"
          "  args = scheme=PLAIN "
        + m_sDir + "/passwd\n" + AuthConfig() + "}\n";
    if (bRoot)
        conf += "userdb {\n"
                "  driver = static\n"
                "  args = uid=dovecot gid=dovecot home="
            + m_sDir
            + "/mail/%u\n"
              "}\n";
    else
        conf += "userdb {\n"
                "  driver = passwd-file\n"
                "  args = "
            + m_sDir
            + "/passwd\n"
              "}\n";
    conf += "service pop3-login {\n"
            "  inet_listener pop3 {\n"
            "    port = "
        + std::to_string(m_nPort)
        + "\n"
          "  }\n"
          "  inet_listener pop3s {\n"
          "    port = "
        + std::to_string(m_bTls ? m_nTlsPort : 0) + "\n" + (m_bTls ? "    ssl = yes\n" : "")
        + "  }\n"
          "  chroot =\n"
          "}\n"
          "service anvil {\n"
          "  chroot =\n"
          "}\n";

    if (!WriteOAuthFiles(psError))
        return false;
    if (!WriteFile(m_sDir + "/passwd", passwd, 0644) || !WriteFile(m_sDir + "/dovecot.conf", conf, 0644)) {
        *psError = "cannot write the configuration in " + m_sDir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// Inside the passwd-file passdb's section: with OAuth, that passdb serves the
// password mechanisms only, and the oauth2 passdb the token ones.
std::string DovecotServer::AuthConfig() const
{
    if (!m_bOAuth)
        return {};
    return "  mechanisms = " + std::string(kPasswordMechanisms)
        + "\n"
          "}\n"
          "passdb {\n"
          "  driver = oauth2\n"
          "  mechanisms = xoauth2 oauthbearer\n"
          "  args = "
        + m_sDir + "/oauth2.conf\n";
}

// The oauth2 passdb's settings, and its key where the fs dict finds it:
// <prefix><azp, "default" when the token has none>/<alg>/<kid, "default">,
// base64.
bool DovecotServer::WriteOAuthFiles(std::string* psError)
{
    if (!m_bOAuth)
        return true;
    const std::string keys = m_sDir + "/oauth-keys";
    const std::string settings = "introspection_mode = local\n"
                                 "local_validation_key_dict = fs:posix:prefix="
        + keys
        + "/\n"
          "username_attribute = email\n"
          "issuers = "
        + OAuthIssuer() + "\n";
    std::error_code error;
    fs::create_directories(keys + "/default/HS256", error);
    if (error || !WriteFile(keys + "/default/HS256/default", Base64(OAuthKey()), 0644)
        || !WriteFile(m_sDir + "/oauth2.conf", settings, 0644)) {
        *psError = "cannot write the OAuth settings in " + m_sDir;
        return false;
    }
    // Dovecot's auth process, as root its own user, must reach the key.
    for (const std::string& dir : {keys, keys + "/default", keys + "/default/HS256"})
        ::chmod(dir.c_str(), 0755);
    return true;
}

void DovecotServer::SetAuthMechanisms(const std::string& mechanisms)
{
    m_sMechanisms = mechanisms;
    m_bAuthOptions = true;
}

void DovecotServer::RefusePlaintextAuth()
{
    m_bRefusePlaintext = true;
    m_sAddress = kApartAddress;
    m_bAuthOptions = true;
}

void DovecotServer::EnableOAuth()
{
    m_bOAuth = true;
    m_bAuthOptions = true;
}

bool DovecotServer::PrepareDirectory(std::string* psError)
{
    if (!m_sDir.empty())
        return true;
    // As root the mailbox belongs to Dovecot's internal user; otherwise to
    // whoever runs the tests.
    m_nMailUid = ::geteuid();
    m_nMailGid = ::getegid();
    if (m_nMailUid == 0) {
        const passwd* pw = ::getpwnam("dovecot");
        if (!pw) {
            *psError = "the user dovecot is missing: install dovecot-core (scripts/deps test)";
            return false;
        }
        m_nMailUid = pw->pw_uid;
        m_nMailGid = pw->pw_gid;
    }

    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/mavix-dovecot-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        *psError = "cannot make a temporary directory: " + std::string(std::strerror(errno));
        return false;
    }
    m_sDir = pattern;
    m_nAdded = 0;
    m_aDelivered.clear();
    // Dovecot's unprivileged processes must reach the mailbox below it.
    ::chmod(m_sDir.c_str(), 0755);
    const std::string mail = m_sDir + "/mail";
    if (::mkdir(mail.c_str(), 0700) != 0 || ::chown(mail.c_str(), m_nMailUid, m_nMailGid) != 0) {
        *psError = "cannot make " + mail + ": " + std::strerror(errno);
        return false;
    }
    for (const auto& user : m_aUsers)
        if (!MakeMaildir(user.first, psError))
            return false;
    return true;
}

bool DovecotServer::MakeMaildir(const std::string& user, std::string* psError)
{
    const std::string maildir = MaildirPath(user);
    for (const std::string& dir :
         {m_sDir + "/mail/" + user, maildir, maildir + "/new", maildir + "/cur", maildir + "/tmp"}) {
        if (::mkdir(dir.c_str(), 0700) != 0 || ::chown(dir.c_str(), m_nMailUid, m_nMailGid) != 0) {
            *psError = "cannot make " + dir + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

bool DovecotServer::Start(std::string* psError)
{
    std::string ignored;
    if (!psError)
        psError = &ignored;
    if (IsRunning())
        return true;
    const std::string dovecot = FindDovecot();
    if (dovecot.empty()) {
        *psError = "dovecot not found: install dovecot-core and dovecot-pop3d (scripts/deps test)";
        return false;
    }
    if (::access("/usr/lib/dovecot/pop3", X_OK) != 0 && ::access("/usr/libexec/dovecot/pop3", X_OK) != 0) {
        *psError = "Dovecot's POP3 server is missing: install dovecot-pop3d (scripts/deps test)";
        return false;
    }

    if (!PrepareDirectory(psError))
        return false;
    if (m_bTls && m_certificates.m_sCertFile.empty()) {
        const std::string dir = m_sDir + "/tls";
        if (::mkdir(dir.c_str(), 0755) != 0) {
            *psError = "cannot make " + dir + ": " + std::strerror(errno);
            return false;
        }
        if (!m_certificates.Make(dir, m_sTlsNames, psError)) {
            m_certificates = TestCertificates();
            return false;
        }
    }

    // The free port may be taken between our look and Dovecot's bind; then
    // try another.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_nPort = FreeLoopbackPort(m_sAddress);
        m_nTlsPort = m_bTls ? FreeLoopbackPort(m_sAddress) : 0;
        if (m_nPort == 0 || (m_bTls && (m_nTlsPort == 0 || m_nTlsPort == m_nPort))) {
            *psError = "no free port on " + m_sAddress;
            return false;
        }
        if (!WriteConfig(psError))
            return false;
        ::truncate((m_sDir + "/dovecot.log").c_str(), 0);

        const std::string conf = m_sDir + "/dovecot.conf";
        const std::string errLog = m_sDir + "/stderr.log";
        const char* argv[] = {dovecot.c_str(), "-F", "-c", conf.c_str(), nullptr};
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid < 0) {
            *psError = std::string("fork: ") + std::strerror(errno);
            return false;
        }
        if (pid == 0) {
            // Only async-signal-safe calls between fork and exec. The server
            // must not outlive a test that crashes.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            ::setpgid(0, 0);  // the master and its children: one group to stop
            if (::getppid() != parent)
                ::_exit(127);
            const int out = ::open(errLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out >= 0) {
                ::dup2(out, 1);
                ::dup2(out, 2);
            }
            const int null = ::open("/dev/null", O_RDONLY);
            if (null >= 0)
                ::dup2(null, 0);
            ::execv(argv[0], const_cast<char* const*>(argv));
            ::_exit(127);
        }
        m_nPid = pid;
        if (WaitForGreeting(15000, psError))
            return true;
        const std::string log = Log();
        StopServer();
        if (log.find("Address already in use") == std::string::npos)
            return false;
    }
    return false;
}

bool DovecotServer::WaitForGreeting(int timeoutMs, std::string* psError)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        int status = 0;
        if (::waitpid(m_nPid, &status, WNOHANG) == m_nPid) {
            m_nPid = -1;
            *psError = "dovecot exited at start (status " + std::to_string(status) + "):\n" + Log();
            return false;
        }
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in addr = LoopbackAddress(m_sAddress, m_nPort);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
            // Accepting is not enough: the greeting shows that the login
            // process is up too.
            std::string greeting;
            pollfd pfd = {fd, POLLIN, 0};
            while (greeting.find('\n') == std::string::npos && ::poll(&pfd, 1, 5000) == 1) {
                char buffer[512];
                const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                greeting.append(buffer, static_cast<size_t>(got));
            }
            ::close(fd);
            if (greeting.rfind("+OK", 0) == 0)
                return true;
            *psError = "dovecot did not greet: \"" + greeting + "\"\n" + Log();
            return false;
        }
        if (fd >= 0)
            ::close(fd);
        // Not listening yet: wait for the master to exit or a moment to pass.
        WaitForExit(m_nPid, 20);
    }
    *psError = "dovecot did not listen on port " + std::to_string(m_nPort) + " within "
        + std::to_string(timeoutMs / 1000) + " s:\n" + Log();
    return false;
}

void DovecotServer::EnableTls(const std::string& subjectAltName)
{
    m_bTls = true;
    m_sTlsNames = subjectAltName;
}

void DovecotServer::Stop()
{
    StopServer();
    const char* keep = std::getenv("MAVIX_KEEP_DOVECOT_DIR");
    if (!m_sDir.empty() && !(keep && *keep)) {
        std::error_code error;
        fs::remove_all(m_sDir, error);
    }
    m_sDir.clear();
    m_nAdded = 0;
    m_certificates = TestCertificates();
}

void DovecotServer::StopServer()
{
    if (m_nPid > 0) {
        // The whole group at once: the master alone would stop its
        // children one by one and wait for each.
        if (::kill(-m_nPid, SIGTERM) != 0)
            ::kill(m_nPid, SIGTERM);
        if (!WaitForExit(m_nPid, 10000)) {
            ::kill(-m_nPid, SIGKILL);
            ::kill(m_nPid, SIGKILL);
            WaitForExit(m_nPid, 5000);
        }
        m_nPid = -1;
    }
}

void DovecotServer::WriteMessageFile(const std::string& text, const std::string& user)
{
    // Maildir delivery: write under tmp/, then rename into new/, so the
    // server never sees half a message. The leading time stamp orders the
    // new messages (Dovecot sorts them by it numerically); one second apart
    // and starting far in the past, they never tie.
    if (m_nNextStamp == 0)
        m_nNextStamp = 1000000000;
    const long long stamp = m_nNextStamp++;
    const std::string name =
        std::to_string(stamp) + ".M" + std::to_string(m_nAdded) + "P" + std::to_string(::getpid()) + ".mavix";
    const std::string tmpPath = MaildirPath(user) + "/tmp/" + name;
    const int fd = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (::geteuid() == 0 && ::fchown(fd, m_nMailUid, m_nMailGid) != 0) {
        // readable to Dovecot all the same (0644)
    }
    ::close(fd);
    if (written)
        ::rename(tmpPath.c_str(), (MaildirPath(user) + "/new/" + name).c_str());
    else
        ::unlink(tmpPath.c_str());
    ++m_nAdded;
    ++Delivered(user);
}

void DovecotServer::AddMessage(const std::string& rfc822, const std::string& user)
{
    std::string error;
    if (!PrepareDirectory(&error)) {
        std::fprintf(stderr, "DovecotServer: %s\n", error.c_str());
        return;
    }
    WriteMessageFile(rfc822, user);
}

std::string DovecotServer::GeneratedHeader(int index, int headerBytes)
{
    const int n = index + 1;
    const unsigned hash = static_cast<unsigned>(n) * 2654435761u;
    std::string header = "Return-Path: <sender" + std::to_string(n)
        + "@example.org>\r\n"
          "Received: from mail"
        + std::to_string(n % 7) + ".example.org (mail.example.org [192.0.2." + std::to_string(n % 250 + 1)
        + "])\r\n"
          "\tby mx.example.net with ESMTP id "
        + Hex(hash) + "; Mon, 2 Jan 2023 10:" + std::to_string(10 + n % 50)
        + ":00 +0000\r\n"
          "Message-ID: <"
        + std::to_string(n) + "." + Hex(hash)
        + "@example.org>\r\n"
          "Date: Mon, 2 Jan 2023 10:"
        + std::to_string(10 + n % 50)
        + ":00 +0000\r\n"
          "From: \"Sender "
        + std::to_string(n) + "\" <sender" + std::to_string(n)
        + "@example.org>\r\n"
          "To: mavix@example.net\r\n"
          "Subject: Message number "
        + std::to_string(n)
        + "\r\n"
          "MIME-Version: 1.0\r\n"
          "Content-Type: text/plain; charset=us-ascii\r\n";
    // Fill up to the wanted size with a field of the right length.
    const std::string name = "X-Filler: ";
    const int room = headerBytes - static_cast<int>(header.size()) - static_cast<int>(name.size()) - 2;
    if (room > 0)
        header += name + std::string(static_cast<size_t>(room), static_cast<char>('a' + n % 26)) + "\r\n";
    return header;
}

void DovecotServer::AddMessages(int count, int headerBytes, const std::string& user)
{
    std::string error;
    if (!PrepareDirectory(&error)) {
        std::fprintf(stderr, "DovecotServer: %s\n", error.c_str());
        return;
    }
    for (int i = 0; i < count; ++i) {
        const int index = Delivered(user);
        WriteMessageFile(GeneratedHeader(index, headerBytes) + "\r\nHello,\r\n\r\nthis is message "
                             + std::to_string(index + 1) + ".\r\n",
                         user);
    }
}

int& DovecotServer::Delivered(const std::string& user)
{
    const std::string name = user.empty() ? User() : user;
    for (auto& delivered : m_aDelivered)
        if (delivered.first == name)
            return delivered.second;
    return m_aDelivered.emplace_back(name, 0).second;
}

std::vector<std::string> DovecotServer::MessageFiles(const std::string& user) const
{
    std::vector<std::string> files;
    if (m_sDir.empty())
        return files;
    for (const char* sub : {"/new", "/cur"}) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(MaildirPath(user) + sub, error))
            if (entry.is_regular_file(error))
                files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

int DovecotServer::MessageFileCount(const std::string& user) const
{
    return static_cast<int>(MessageFiles(user).size());
}
