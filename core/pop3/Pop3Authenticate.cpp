// Pop3Login's steps that authenticate other than by USER/PASS: choosing the
// way, SASL (RFC 5034) with GNU SASL's mechanisms or a bearer token, APOP.
#include "Pop3Login.h"

#include "core/platform/CoreText.h"
#include "core/platform/LastError.h"
#include "core/platform/Trace.h"
#include "core/pop3/SaslClient.h"
#include "core/pop3/SaslText.h"

#include <algorithm>
#include <string.h>  // explicit_bzero

using platform::GetLastError;
using platform::SetLastError;
using platform::Trace;
using LoginFailure = CPop3Connection::LoginFailure;
using Command = CPop3Connection::Command;
using AuthReply = ILoginCommands::AuthReply;
using pop3::AuthMethod;

namespace {

std::string Shown(const std::string& text)
{
    return text.substr(0, text.find('\0'));
}

void Wipe(std::string& secret)
{
    explicit_bzero(secret.data(), secret.size());
    secret.clear();
}

// The ways a password crosses in clear: on a plain connection, the
// automatic choice takes them only when nothing better is offered.
bool SendsPasswordInClear(std::string_view mechanism)
{
    return mechanism == "PLAIN" || mechanism == "LOGIN";
}

const char* FixedMechanism(AuthMethod method)
{
    switch (method) {
    case AuthMethod::kPlain:
        return "PLAIN";
    case AuthMethod::kLogin:
        return "LOGIN";
    case AuthMethod::kCramMd5:
        return "CRAM-MD5";
    case AuthMethod::kXOAuth2:
        return "XOAUTH2";
    case AuthMethod::kOAuthBearer:
        return "OAUTHBEARER";
    default:
        return nullptr;
    }
}

}  // namespace

bool Pop3Login::Offered(std::string_view mechanism) const
{
    const auto& offered = m_capabilities.m_aSaslMechanisms;
    return std::find(offered.begin(), offered.end(), mechanism) != offered.end();
}

std::string Pop3Login::ScramFor(const char* pszMechanism) const
{
    const std::string plus = std::string(pszMechanism) + "-PLUS";
    return !m_sBindingData.empty() && Offered(plus) && pop3::SaslClient::Supports(plus) ? plus : pszMechanism;
}

Pop3Login::StepResult Pop3Login::ChooseMethod()
{
    m_nWay = Way::kSasl;
    m_sBindingType.clear();
    m_sBindingData.clear();
    if (m_account.m_nSecurity != Security::kNone)
        m_commands.ChannelBinding(m_sBindingType, m_sBindingData);
    const AuthMethod method = m_account.m_nAuth;
    if (const char* pszFixed = FixedMechanism(method))
        m_sMechanism = pszFixed;
    else if (method == AuthMethod::kScramSha1)
        m_sMechanism = ScramFor("SCRAM-SHA-1");
    else if (method == AuthMethod::kScramSha256)
        m_sMechanism = ScramFor("SCRAM-SHA-256");
    else if (method == AuthMethod::kOAuth2)
        m_sMechanism = Offered("OAUTHBEARER") && !Offered("XOAUTH2") ? "OAUTHBEARER" : "XOAUTH2";
    else if (method == AuthMethod::kUserPass) {
        m_nWay = Way::kUserPass;
        return StepResult::kNext;
    } else if (method == AuthMethod::kApop) {
        m_nWay = Way::kApop;
        return m_sTimestamp.empty() ? NotOffered("APOP") : StepResult::kNext;
    } else {
        ChooseAutomatic();
        return StepResult::kNext;
    }
    // Some providers take the bearer-token mechanisms without listing them.
    if (pop3::UsesToken(method) || Offered(m_sMechanism))
        return StepResult::kNext;
    return NotOffered(m_sMechanism);
}

void Pop3Login::ChooseAutomatic()
{
    // A server that listed nothing (no CAPA, or CAPA refused) is logged in
    // as it always was.
    m_nWay = Way::kUserPass;
    if (m_capabilities.m_aNames.empty())
        return;
    // Strongest first; a password in clear only after every way without,
    // and over TLS by PLAIN or LOGIN before USER/PASS.
    static constexpr const char* kStrongest[] = {
        "SCRAM-SHA-256-PLUS", "SCRAM-SHA-256", "SCRAM-SHA-1-PLUS", "SCRAM-SHA-1", "CRAM-MD5", "APOP", "PLAIN", "LOGIN",
    };
    for (const std::string mechanism : kStrongest) {
        if (mechanism == "APOP") {
            if (m_sTimestamp.empty())
                continue;
            m_nWay = Way::kApop;
            return;
        }
        // On a plain connection a password in clear goes as it always did,
        // by USER/PASS.
        if (SendsPasswordInClear(mechanism) && m_account.m_nSecurity == Security::kNone)
            return;
        const bool bBinds = mechanism.ends_with("-PLUS");
        if (Offered(mechanism) && (!bBinds || !m_sBindingData.empty()) && pop3::SaslClient::Supports(mechanism)) {
            m_nWay = Way::kSasl;
            m_sMechanism = mechanism;
            return;
        }
    }
}

Pop3Login::StepResult Pop3Login::NotOffered(const std::string& mechanism)
{
    std::string offered;
    for (const std::string& name : m_capabilities.m_aSaslMechanisms)
        offered += (offered.empty() ? "" : " ") + name;
    if (!m_sTimestamp.empty())
        offered += offered.empty() ? "APOP" : " APOP";
    m_commands.SetFailure(
        LoginFailure::kNotOffered,
        offered.empty() ? core_text::Say(
            "Pop3", QT_TRANSLATE_NOOP("Pop3", "The server does not offer %1; it offers only USER/PASS."), {mechanism})
                        : core_text::Say("Pop3",
                                         QT_TRANSLATE_NOOP("Pop3", "The server does not offer %1; it offers: %2."),
                                         {mechanism, offered}));
    SetLastError(platform::kErrProtocol);
    return FailStep("The POP3 server does not offer the log-in method asked for\n");
}

Pop3Login::StepResult Pop3Login::Apop()
{
    if (m_nWay != Way::kApop)
        return StepResult::kNext;
    m_commands.SetMechanism("APOP", false);
    const std::string digest = pop3::ApopDigest(m_sTimestamp, m_account.m_password);
    if (digest.empty())
        return FailAuth(
            LoginFailure::kAuthFailed,
            core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "this system cannot compute APOP's MD5 digest.")));
    std::string argument = m_account.m_user + " " + digest;
    const bool bIn = m_commands.RunSecret(Command::kApop, argument);
    Wipe(argument);
    if (bIn)
        return StepResult::kLoggedIn;
    return FailStep("Failed while connected to read an APOP command response from the POP3 server\n",
                    LoginFailure::kLoginRefused);
}

Pop3Login::StepResult Pop3Login::Authenticate()
{
    if (m_nWay != Way::kSasl)
        return StepResult::kNext;
    const bool bTls = m_account.m_nSecurity != Security::kNone;
    m_commands.SetMechanism(m_sMechanism, !bTls && SendsPasswordInClear(m_sMechanism));
    if (pop3::UsesToken(m_account.m_nAuth))
        return TokenLogIn();
    return SaslExchange();
}

Pop3Login::StepResult Pop3Login::SaslExchange()
{
    pop3::SaslClient client;
    const std::string cannot =
        core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "this system cannot run %1."), {m_sMechanism});
    if (!client.Start(m_sMechanism, {m_account.m_user, m_account.m_password, m_sBindingType, m_sBindingData}))
        return FailAuth(LoginFailure::kAuthFailed, cannot);
    std::string response, initial, text;
    AuthReply reply = AuthReply::kFailed;
    bool bSent = false;
    if (pop3::SaslClient::ClientFirst(m_sMechanism)) {
        // PLAIN's one response ends the client's part (kDone).
        const pop3::SaslClient::Step first = client.Next({}, response);
        if (first != pop3::SaslClient::Step::kMore && first != pop3::SaslClient::Step::kDone)
            return FailAuth(LoginFailure::kAuthFailed, cannot);
        // RFC 5034 §4: "=" is an empty initial response; one that would
        // make the AUTH line too long waits for the server's empty "+ ".
        initial = response.empty() ? "=" : pop3::Base64Encode(response);
        Wipe(response);
        if (std::string("AUTH ").size() + m_sMechanism.size() + 1 + initial.size() + 2
            <= CPop3Connection::kMaxAuthLine) {
            std::string argument;
            argument.reserve(m_sMechanism.size() + 1 + initial.size());
            argument.append(m_sMechanism).append(" ").append(initial);
            reply = m_commands.RunAuth(Command::kAuth, argument, &text);
            Wipe(argument);
            Wipe(initial);
            bSent = true;
        }
    }
    if (!bSent)
        reply = m_commands.RunAuth(Command::kAuth, m_sMechanism, &text);
    for (int nRound = 0; reply == AuthReply::kChallenge; ++nRound) {
        if (nRound >= CPop3Connection::kMaxSaslRounds)
            return CancelAuth(core_text::Say("Pop3",
                                             QT_TRANSLATE_NOOP("Pop3", "the server went on past %1 rounds of %2."),
                                             {std::to_string(nRound), m_sMechanism}));
        if (!initial.empty()) {
            std::swap(response, initial);  // the initial response, after the server's empty "+ "
        } else if (const StepResult failed = AnswerChallenge(client, text, response); failed != StepResult::kNext) {
            return failed;
        }
        reply = m_commands.RunAuth(Command::kAuthAnswer, response, &text);
        Wipe(response);
    }
    if (reply == AuthReply::kOk)
        return m_sMechanism.starts_with("SCRAM-") && !client.Done() ? NotVerified() : StepResult::kLoggedIn;
    return FailStep("Failed while connected to read an AUTH command response from the POP3 server\n",
                    LoginFailure::kLoginRefused);
}

Pop3Login::StepResult Pop3Login::AnswerChallenge(pop3::SaslClient& client, const std::string& text,
                                                 std::string& response)
{
    std::string challenge;
    if (text.size() > CPop3Connection::kMaxChallengeBytes || !pop3::Base64Decode(text, challenge))
        return CancelAuth(core_text::Say(
            "Pop3", QT_TRANSLATE_NOOP("Pop3", "the server's challenge to %1 is not base64."), {m_sMechanism}));
    std::string raw;
    const pop3::SaslClient::Step step = client.Next(challenge, raw);
    if (step == pop3::SaslClient::Step::kNotProof)
        return NotVerified();
    // RFC 5802 §7: "e=" is the server's refusal; the empty answer lets it
    // end AUTH with its -ERR.
    if (step == pop3::SaslClient::Step::kFailed && m_sMechanism.starts_with("SCRAM-") && challenge.starts_with("e=")) {
        response.clear();
        return StepResult::kNext;
    }
    if (step == pop3::SaslClient::Step::kFailed)
        return CancelAuth(core_text::Say(
            "Pop3", QT_TRANSLATE_NOOP("Pop3", "the server's challenge makes no sense to %1."), {m_sMechanism}));
    response = pop3::Base64Encode(raw);
    Wipe(raw);
    return StepResult::kNext;
}

Pop3Login::StepResult Pop3Login::TokenLogIn()
{
    // A refused token is renewed once and tried again on the same session
    // (RFC 5034 §4 lets a client try AUTH again after a failure).
    for (int nAttempt = 0; nAttempt < 2; ++nAttempt) {
        std::string error;
        std::string token = m_account.m_tokens ? m_account.m_tokens(nAttempt > 0, &error) : std::string();
        if (token.empty() || token.size() > CPop3Connection::kMaxTokenLength
            || token.find_first_of(std::string("\r\n\0\x01", 4)) != std::string::npos) {
            const bool bNone = token.empty();
            Wipe(token);
            if (!bNone)
                error = core_text::Say(
                    "Pop3", QT_TRANSLATE_NOOP("Pop3", "the access token is too long or holds a control character."));
            else if (error.empty())
                error = core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "no way to get one is set up."));
            return FailAuth(LoginFailure::kNoToken, error);
        }
        std::string response = m_sMechanism == "XOAUTH2" ? pop3::XOAuth2Response(m_account.m_user, token)
                                                         : pop3::OAuthBearerResponse(m_account.m_user, token);
        Wipe(token);
        std::string encoded = pop3::Base64Encode(response);
        Wipe(response);
        std::string status;
        const AuthReply reply = TokenExchange(encoded, status);
        Wipe(encoded);
        if (reply == AuthReply::kOk)
            return StepResult::kLoggedIn;
        if (reply == AuthReply::kChallenge)
            return CancelAuth(
                core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "the server went on after its error challenge to %1."),
                               {m_sMechanism}));
        if (m_commands.IsBroken() || GetLastError() != platform::kErrProtocol)
            return FailStep("Failed while connected to read an AUTH command response from the POP3 server\n");
        std::string detail = Shown(m_commands.GetLastReply());
        Trace("The POP3 server refused the access token (%s)\n", m_sMechanism.c_str());
        if (nAttempt == 1 || !m_account.m_tokens) {
            if (!status.empty())
                detail = core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "%1 (status %2)"), {detail, status});
            m_commands.SetFailure(LoginFailure::kLoginRefused, detail);
            return FailStep("The POP3 server refused the access token\n");
        }
    }
    return StepResult::kFailed;
}

ILoginCommands::AuthReply Pop3Login::TokenExchange(const std::string& encoded, std::string& status)
{
    // The response always follows the server's "+ ": tokens are long, and
    // Microsoft documents only this form.
    std::string text;
    AuthReply reply = m_commands.RunAuth(Command::kAuth, m_sMechanism, &text);
    if (reply != AuthReply::kChallenge)
        return reply;
    reply = m_commands.RunAuth(Command::kAuthAnswer, encoded, &text);
    if (reply != AuthReply::kChallenge)
        return reply;
    // RFC 7628 §3.2.2: an error challenge; the client answers %x01 and the
    // server ends with -ERR.
    std::string json;
    if (text.size() <= CPop3Connection::kMaxChallengeBytes && pop3::Base64Decode(text, json))
        status = pop3::OAuthErrorStatus(json);
    return m_commands.RunAuth(Command::kAuthAnswer, "AQ==", &text);
}

Pop3Login::StepResult Pop3Login::CancelAuth(const std::string& why)
{
    std::string text;
    if (m_commands.RunAuth(Command::kAuthAnswer, "*", &text) == AuthReply::kChallenge) {
        SetLastError(platform::kErrProtocol);
        m_commands.End(false);  // a server that goes on after "*" is out of step
        m_commands.SetFailure(LoginFailure::kAuthFailed, why);
        return StepResult::kFailed;
    }
    return FailAuth(LoginFailure::kAuthFailed, why);
}

Pop3Login::StepResult Pop3Login::FailAuth(LoginFailure failure, const std::string& detail)
{
    if (!m_commands.IsBroken())
        m_commands.SetFailure(failure, detail);
    SetLastError(platform::kErrProtocol);
    return FailStep("The log-in could not go on\n");
}

Pop3Login::StepResult Pop3Login::NotVerified()
{
    // Whoever answers does not know the password: say nothing more to it.
    Trace("The POP3 server's SCRAM proof was wrong or missing: connection closed\n");
    m_commands.End(false);
    m_commands.SetFailure(LoginFailure::kServerNotVerified, {});
    SetLastError(platform::kErrProtocol);
    return StepResult::kFailed;
}
