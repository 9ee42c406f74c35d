#include "TestCertificates.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

// Runs openssl with `args`; its output (stdout and stderr) in *psOutput.
bool RunOpenSsl(const std::vector<std::string>& args, std::string* psOutput)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        *psOutput = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    std::vector<const char*> argv = {"openssl"};
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        *psOutput = std::string("fork: ") + std::strerror(errno);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return false;
    }
    if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        ::dup2(pipeFds[1], 2);
        ::execvp("openssl", const_cast<char* const*>(argv.data()));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    psOutput->clear();
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
        if (got > 0)
            psOutput->append(buffer, static_cast<size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        *psOutput = "the openssl command is missing: install openssl (scripts/deps test)";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool TestCertificates::Make(const std::string& dir, const std::string& subjectAltName, std::string* psError)
{
    const std::string config = dir + "/openssl.cnf";
    {
        std::ofstream out(config);
        out << "[req]\ndistinguished_name = dn\nprompt = no\n"
               "[dn]\nCN = Mavix Test CA\n"
               "[ca_ext]\nbasicConstraints = critical,CA:TRUE\nkeyUsage = critical,keyCertSign,cRLSign\n"
               "subjectKeyIdentifier = hash\n"
               "[server_ext]\nbasicConstraints = critical,CA:FALSE\nkeyUsage = critical,digitalSignature\n"
               "extendedKeyUsage = serverAuth\nsubjectAltName = "
            << subjectAltName << "\nsubjectKeyIdentifier = hash\nauthorityKeyIdentifier = keyid\n";
        if (!out) {
            *psError = "cannot write " + config;
            return false;
        }
    }
    m_sCaFile = dir + "/ca.pem";
    m_sCertFile = dir + "/server.pem";
    m_sKeyFile = dir + "/server.key";
    const std::string caKey = dir + "/ca.key";
    const std::string request = dir + "/server.csr";
    const std::vector<std::string> newKey = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};

    std::vector<std::vector<std::string>> steps;
    steps.push_back({"req", "-x509", "-new", "-config", config, "-extensions", "ca_ext", "-days", "2", "-keyout", caKey,
                     "-out", m_sCaFile});
    steps.back().insert(steps.back().begin() + 3, newKey.begin(), newKey.end());
    steps.push_back(
        {"req", "-new", "-config", config, "-subj", "/CN=Mavix test server", "-keyout", m_sKeyFile, "-out", request});
    steps.back().insert(steps.back().begin() + 2, newKey.begin(), newKey.end());
    steps.push_back({"x509", "-req", "-in", request, "-CA", m_sCaFile, "-CAkey", caKey, "-set_serial", "2", "-days",
                     "2", "-extfile", config, "-extensions", "server_ext", "-out", m_sCertFile});
    std::string output;
    for (const auto& step : steps) {
        if (!RunOpenSsl(step, &output)) {
            *psError = "openssl " + step[0] + " failed: " + output;
            return false;
        }
    }
    if (!RunOpenSsl({"x509", "-in", m_sCertFile, "-noout", "-fingerprint", "-sha256"}, &output)
        || output.find('=') == std::string::npos) {
        *psError = "openssl x509 -fingerprint failed: " + output;
        return false;
    }
    // "sha256 Fingerprint=AB:CD:...\n"
    m_sFingerprint = output.substr(output.find('=') + 1);
    while (!m_sFingerprint.empty() && (m_sFingerprint.back() == '\n' || m_sFingerprint.back() == '\r'))
        m_sFingerprint.pop_back();
    return true;
}
