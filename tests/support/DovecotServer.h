#pragma once

#include "TestCertificates.h"

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// A real Dovecot POP3 server for tests: its own configuration, mailbox and
// log in a temporary directory, listening on 127.0.0.1:<free port>, with one
// user whose Maildir the test fills before logging in (and more users, each
// with a Maildir of their own, through AddUser).
//
// Run as root, Dovecot's own users (dovecot, dovenull) run it; run as an
// ordinary user, everything runs as that user. The server is a child of the
// test (it also dies with it) and Stop() or the destructor ends it.
class DovecotServer {
public:
    DovecotServer();
    ~DovecotServer();  // Stop()
    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;

    // Before Start(): TLS as well (ssl = yes), with a certificate for
    // subjectAltName from a throwaway CA: STLS on Port(), implicit TLS on
    // TlsPort(). Clients trust it through Certificates().m_sCaFile or its
    // fingerprint.
    void EnableTls(const std::string& subjectAltName = "IP:127.0.0.1,DNS:localhost");
    uint16_t TlsPort() const { return m_nTlsPort; }
    const TestCertificates& Certificates() const { return m_certificates; }

    // Before Start(), the log-in methods; any of them also answers a failed
    // log-in at once (auth_failure_delay = 0: within Dovecot's half-second
    // flush) and logs why it failed (auth_verbose), for Log().
    //
    // The SASL mechanisms offered: Dovecot's auth_mechanisms list ("plain
    // login cram-md5 scram-sha-1 scram-sha-256 apop xoauth2 oauthbearer" or
    // any of them; "apop" puts a time stamp in the greeting). The password
    // is stored as {PLAIN}, which serves every one of them.
    void SetAuthMechanisms(const std::string& mechanisms);
    // Refuses PLAIN, LOGIN, USER/PASS, XOAUTH2 and OAUTHBEARER on an
    // unencrypted connection (disable_plaintext_auth = yes). Dovecot deems a
    // client at its own address secure, so the server then listens on
    // kApartAddress, which the tests' connections leave from 127.0.0.1 (a
    // test with TLS names that address in EnableTls).
    void RefusePlaintextAuth();
    static constexpr const char* kApartAddress = "127.0.0.2";
    // OAuth 2.0: XOAUTH2 and OAUTHBEARER checked by Dovecot's oauth2 passdb,
    // which validates a JSON Web Token itself: signed HS256 with OAuthKey(),
    // "iss" OAuthIssuer(), "email" the user name, with "sub" and "exp"
    // (MintHs256Jwt makes one). Offer the mechanisms with SetAuthMechanisms.
    void EnableOAuth();
    static std::string OAuthKey() { return "mavix-test-hs256-key/0123456789ab"; }
    static std::string OAuthIssuer() { return "https://issuer.example.net"; }

    // Starts the server and waits until it greets. On failure *psError says
    // why (dovecot missing, its log, ...); tests should fail, not skip.
    bool Start(std::string* psError);
    // SIGTERM to the master, wait for it to exit, remove the directory
    // (kept when MAVIX_KEEP_DOVECOT_DIR is set).
    void Stop();
    bool IsRunning() const { return m_nPid > 0; }

    // Where it listens: 127.0.0.1 unless RefusePlaintextAuth moved it.
    const std::string& Address() const { return m_sAddress; }
    uint16_t Port() const { return m_nPort; }
    std::string User() const { return "mavix"; }
    std::string Password() const { return "Sesame-2024"; }
    // Before Start(), one more user with a mailbox of its own; the calls
    // below that take a user name work on that user's Maildir (empty: User()).
    void AddUser(const std::string& name, const std::string& password);

    // Drops a message into Maildir/new (before or after Start()). Dovecot numbers new messages in the
    // order of their file names' leading time stamp, so each file gets the
    // next one: message n of the next session is the n-th added. The text
    // is written as given (LF or CR LF line ends).
    void AddMessage(const std::string& rfc822, const std::string& user = {});
    // Adds `count` generated messages whose header blocks are about
    // headerBytes long, each with a short body; message n of a user's
    // mailbox is the n-th added to it.
    void AddMessages(int count, int headerBytes = 500, const std::string& user = {});
    // The header text (without the empty line) of what AddMessages made as
    // message `index` (0-based), for comparing with TOP n 0.
    static std::string GeneratedHeader(int index, int headerBytes = 500);

    int MessageFileCount(const std::string& user = {}) const;                   // files in Maildir/new and cur
    std::vector<std::string> MessageFiles(const std::string& user = {}) const;  // their paths, sorted
    std::string MaildirPath(const std::string& user = {}) const;
    std::string Directory() const { return m_sDir; }
    std::string Log() const;  // Dovecot's log so far

private:
    bool PrepareDirectory(std::string* psError);  // temp dir and empty Maildir
    bool WriteConfig(std::string* psError);
    std::string AuthConfig() const;  // the log-in settings and passdbs
    bool WriteOAuthFiles(std::string* psError);
    void StopServer();
    bool WaitForGreeting(int timeoutMs, std::string* psError);
    void WriteMessageFile(const std::string& text, const std::string& user);
    bool MakeMaildir(const std::string& user, std::string* psError);

    std::string m_sDir;
    uint16_t m_nPort = 0;
    uint16_t m_nTlsPort = 0;
    bool m_bTls = false;
    std::string m_sTlsNames;
    std::string m_sAddress = "127.0.0.1";
    std::string m_sMechanisms = "plain";
    bool m_bAuthOptions = false;  // any of the log-in options above
    bool m_bRefusePlaintext = false;
    bool m_bOAuth = false;
    TestCertificates m_certificates;
    pid_t m_nPid = -1;
    uid_t m_nMailUid = 0;
    gid_t m_nMailGid = 0;
    long long m_nNextStamp = 0;
    int m_nAdded = 0;  // file names' sequence
    std::vector<std::pair<std::string, std::string>> m_aUsers{{"mavix", "Sesame-2024"}};
    std::vector<std::pair<std::string, int>> m_aDelivered;  // per user: messages added
    int& Delivered(const std::string& user);
};
