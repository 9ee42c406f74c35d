#pragma once

#include "core/pop3/Authentication.h"
#include "core/pop3/Pop3Connection.h"
#include "core/pop3/Pop3Replies.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pop3 {
class SaslClient;
}

// What the log-in sequence needs of the connection: its commands (each a
// row of the command table) and the session's state. CPop3Connection
// implements it; the sequence holds no socket of its own.
class ILoginCommands {
public:
    using Command = CPop3Connection::Command;
    using LoginFailure = CPop3Connection::LoginFailure;

    virtual ~ILoginCommands() = default;
    // Ends the session open before (QUIT when it is open) and forgets the
    // last log-in's failure.
    virtual void Reset() = 0;
    // The TCP connection; on failure the reason for the user is set.
    virtual bool Connect(const std::string& host, int port) = 0;
    // TLS from here on, against the account's pinned fingerprint; on
    // failure *psReason says why for the user.
    virtual bool StartTls(const std::string& host, std::string* psReason) = 0;
    // The reply to `command` without sending anything (the greeting).
    virtual bool Read(Command command, std::string* psText) = 0;
    // Sends `command` (with `argument`, when its row takes text) and reads
    // its reply into *psText (may be null).
    virtual bool Run(Command command, const std::string& argument, std::string* psText) = 0;
    // As Run, for a secret argument: no copy of the command line is left in
    // freed memory.
    virtual bool RunSecret(Command command, const std::string& argument) = 0;
    // As RunSecret, for AUTH and the lines within it: the reply may be a
    // SASL continuation, whose text after "+ " *psText gets.
    enum class AuthReply : uint8_t { kOk, kChallenge, kFailed };
    virtual AuthReply RunAuth(Command command, const std::string& argument, std::string* psText) = 0;
    // Over TLS: the channel binding a -PLUS mechanism needs (see
    // platform::TlsStream::ChannelBinding).
    virtual bool ChannelBinding(std::string& type, std::string& data) const = 0;
    // The way this log-in authenticates, once chosen (LoginMechanism,
    // PasswordSentInClear).
    virtual void SetMechanism(std::string mechanism, bool bPasswordInClear) = 0;
    // Bytes received past the last reply.
    virtual bool HasUnreadInput() const = 0;
    virtual void SetPipelining(bool bPipelining) = 0;
    virtual bool IsBroken() const = 0;
    virtual std::string BreakReason() const = 0;
    virtual void SetBreakReason(std::string reason) = 0;
    virtual std::string GetLastReply() const = 0;
    virtual void SetLastReply(std::string text) = 0;
    virtual void SetFailure(LoginFailure failure, std::string detail) = 0;
    // Closes the session: with QUIT first when bQuit and it is open, which
    // a refused step leaves politely; without when nothing more may cross.
    virtual void End(bool bQuit) = 0;
};

// One log-in (RFC 1939 §4 and §7, RFC 2449, RFC 2595 §4, RFC 5034): the
// steps of kSteps in order, each skipping itself when it does not apply,
// until one logs in or fails. A failed step has ended the session and set the failure the
// connection reports. A new way to authenticate is one more step before
// UserPass that, where it applies, logs in and ends the sequence.
//
// Runs on the thread that holds the session, under the connection's lock.
class Pop3Login {
public:
    using Security = CPop3Connection::Security;

    struct Account {
        const std::string& m_host;
        int m_nPort;
        const std::string& m_user;
        const std::string& m_password;
        Security m_nSecurity;
        pop3::AuthMethod m_nAuth = pop3::AuthMethod::kAutomatic;
        const pop3::TokenSource& m_tokens;
    };
    // nGreetingMs: the silence allowed before the greeting, for its reason.
    Pop3Login(ILoginCommands& commands, const Account& account, uint32_t nGreetingMs);

    // Logs in. A server that left CAPA unanswered on a plain or implicit
    // TLS session is logged in again without it: RFC 1939 servers answer
    // every unknown command with -ERR, and a late answer could never again
    // be told from the next command's.
    bool Run();

private:
    enum class StepResult : uint8_t { kNext, kLoggedIn, kFailed };
    using Step = StepResult (Pop3Login::*)();
    bool Attempt();

    StepResult CheckCredentials();
    StepResult Connect();
    StepResult StartImplicitTls();
    StepResult ReadGreeting();
    // RFC 2595 §4: CAPA, STLS, the handshake, CAPA again over TLS.
    StepResult NegotiateStls();
    // RFC 2449: what the server can do, PIPELINING above all; STLS
    // sessions asked over TLS above.
    StepResult AskCapabilities();
    // The way to authenticate: the account's fixed choice when the server
    // offers it (or fails), else the strongest the server offers.
    StepResult ChooseMethod();
    // RFC 5034: AUTH with the mechanism chosen.
    StepResult Authenticate();
    // RFC 1939 §7: APOP with the greeting's time stamp.
    StepResult Apop();
    StepResult UserPass();

    enum class Way : uint8_t { kUserPass, kApop, kSasl };
    void ChooseAutomatic();
    bool Offered(std::string_view mechanism) const;
    // "SCRAM-SHA-1" or its -PLUS form, when the server offers that and the
    // connection can bind.
    std::string ScramFor(const char* pszMechanism) const;
    StepResult NotOffered(const std::string& mechanism);
    // The exchange with GNU SASL's mechanisms, and with a bearer token.
    StepResult SaslExchange();
    // The response to one challenge, base64; kNext when there is one.
    StepResult AnswerChallenge(pop3::SaslClient& client, const std::string& text, std::string& response);
    StepResult TokenLogIn();
    ILoginCommands::AuthReply TokenExchange(const std::string& encoded, std::string& status);
    // Ends AUTH with "*" (RFC 5034 §4) and fails, saying why.
    StepResult CancelAuth(const std::string& why);
    StepResult FailAuth(CPop3Connection::LoginFailure failure, const std::string& detail);
    // The server's proof was wrong, or missing: nothing more crosses.
    StepResult NotVerified();

    // CAPA. True when a reply came; a negative one lists nothing.
    bool ReadCapabilities();
    // A step the server refused quits the session politely; the QUIT
    // exchange must not replace the reason the step failed for. A broken
    // session is already closed. `refusal` names a -ERR reply to the step.
    StepResult FailStep(const char* pszTrace,
                        CPop3Connection::LoginFailure refusal = CPop3Connection::LoginFailure::kNone);
    // TLS that cannot be had ends the connection without QUIT.
    StepResult FailTls(CPop3Connection::LoginFailure failure, const std::string& detail);

    ILoginCommands& m_commands;
    const Account m_account;
    const uint32_t m_nGreetingMs;
    bool m_bAskCapa = true;
    bool m_bCapaSilent = false;  // CAPA went unanswered
    pop3::Capabilities m_capabilities;
    std::string m_sTimestamp;  // the greeting's APOP time stamp
    Way m_nWay = Way::kUserPass;
    std::string m_sMechanism;  // kSasl: the SASL name
    std::string m_sBindingType;
    std::string m_sBindingData;
};
