#include "Pop3Login.h"

#include "core/platform/CoreText.h"
#include "core/platform/LastError.h"
#include "core/platform/Trace.h"
#include "core/pop3/SaslText.h"

using platform::GetLastError;
using platform::SetLastError;
using platform::Trace;
using LoginFailure = CPop3Connection::LoginFailure;
using Command = CPop3Connection::Command;

namespace {

// Text of a reply for a message: what the server sent, up to its first NUL.
std::string Shown(const std::string& text)
{
    return text.substr(0, text.find('\0'));
}

std::string Seconds(uint64_t ms)
{
    return std::to_string((ms + 999) / 1000);
}

const char* const kCapaFailed = "Failed while connected to read a CAPA command response from the POP3 server\n";

}  // namespace

Pop3Login::Pop3Login(ILoginCommands& commands, const Account& account, uint32_t nGreetingMs)
    : m_commands(commands),
      m_account(account),
      m_nGreetingMs(nGreetingMs)
{ }

bool Pop3Login::Run()
{
    if (Attempt())
        return true;
    if (!m_bCapaSilent || m_account.m_nSecurity == Security::kStls)
        return false;
    Trace("The POP3 server did not answer CAPA: logging in again without it\n");
    m_bAskCapa = false;
    return Attempt();
}

bool Pop3Login::Attempt()
{
    static constexpr Step kSteps[] = {
        &Pop3Login::CheckCredentials, &Pop3Login::Connect,       &Pop3Login::StartImplicitTls,
        &Pop3Login::ReadGreeting,     &Pop3Login::NegotiateStls, &Pop3Login::AskCapabilities,
        &Pop3Login::ChooseMethod,     &Pop3Login::Authenticate,  &Pop3Login::Apop,
        &Pop3Login::UserPass,
    };
    m_bCapaSilent = false;
    m_capabilities = {};
    m_sTimestamp.clear();
    m_commands.Reset();
    for (const Step step : kSteps) {
        switch ((this->*step)()) {
        case StepResult::kNext:
            break;
        case StepResult::kLoggedIn:
            return true;
        case StepResult::kFailed:
            return false;
        }
    }
    return false;
}

Pop3Login::StepResult Pop3Login::CheckCredentials()
{
    // RFC 1939 §3: a command line ends at its CR LF, so a CR, LF or NUL in a
    // credential would end the command early and put whatever follows on
    // the wire as a command of its own.
    const auto sendable = [](const std::string& text) {
        return text.size() <= CPop3Connection::kMaxCredentialLength
            && text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
    };
    if (sendable(m_account.m_user) && sendable(m_account.m_password))
        return StepResult::kNext;
    Trace("User name or password longer than %zu characters or holding CR, LF or NUL: not sent\n",
          CPop3Connection::kMaxCredentialLength);
    m_commands.SetLastReply(core_text::Say(
        "Pop3",
        QT_TRANSLATE_NOOP("Pop3",
                          "The user name or password is longer than 120 characters or holds a line break or NUL.")));
    m_commands.SetFailure(LoginFailure::kCredentials, {});
    SetLastError(platform::kErrInvalidArgument);
    return StepResult::kFailed;
}

Pop3Login::StepResult Pop3Login::Connect()
{
    return m_commands.Connect(m_account.m_host, m_account.m_nPort) ? StepResult::kNext : StepResult::kFailed;
}

Pop3Login::StepResult Pop3Login::StartImplicitTls()
{
    std::string reason;
    if (m_account.m_nSecurity != Security::kImplicitTls || m_commands.StartTls(m_account.m_host, &reason))
        return StepResult::kNext;
    return FailTls(LoginFailure::kTls, reason);
}

Pop3Login::StepResult Pop3Login::ReadGreeting()
{
    std::string text;
    if (m_commands.Read(Command::kGreeting, &text)) {
        pop3::ParseApopTimestamp(text, m_sTimestamp);
        return StepResult::kNext;
    }
    if (m_commands.IsBroken() && GetLastError() == platform::kErrTimedOut && text.empty())
        m_commands.SetBreakReason(core_text::Say(
            "Pop3",
            QT_TRANSLATE_NOOP("Pop3", "The server accepted the connection but sent no greeting within %1 seconds."),
            {Seconds(m_nGreetingMs)}));
    return FailStep("Failed while connected to read a command response from the POP3 server\n",
                    LoginFailure::kConnectionRefused);
}

Pop3Login::StepResult Pop3Login::NegotiateStls()
{
    if (m_account.m_nSecurity != Security::kStls)
        return StepResult::kNext;
    // RFC 2595 §4: STLS only when the capabilities list it. Without it the
    // session ends here, before the user name is sent.
    if (!ReadCapabilities())
        return FailStep(kCapaFailed);
    if (!m_capabilities.m_bStls) {
        m_commands.SetFailure(LoginFailure::kNoStls, {});
        SetLastError(platform::kErrProtocol);
        return FailStep("POP3 server does not offer STLS\n");
    }
    if (!m_commands.Run(Command::kStls, {}, nullptr)) {
        if (GetLastError() == platform::kErrProtocol)
            m_commands.SetFailure(LoginFailure::kStlsRefused, m_commands.GetLastReply());
        return FailStep("Failed while connected to read a STLS command response from the POP3 server\n");
    }
    // Anything after the one-line answer came before TLS and may be an
    // attacker's: text injected there must not pass for the server's.
    if (m_commands.HasUnreadInput()) {
        SetLastError(platform::kErrProtocol);
        return FailTls(LoginFailure::kStlsTampered, {});
    }
    std::string reason;
    if (!m_commands.StartTls(m_account.m_host, &reason))
        return FailTls(LoginFailure::kTls, reason);
    // RFC 2595 §4: what the server said before TLS no longer counts, so ask
    // again; a server may well list more now.
    return ReadCapabilities() ? StepResult::kNext : FailStep(kCapaFailed);
}

Pop3Login::StepResult Pop3Login::AskCapabilities()
{
    if (m_account.m_nSecurity == Security::kStls || !m_bAskCapa || ReadCapabilities())
        return StepResult::kNext;
    m_bCapaSilent = m_commands.IsBroken() && GetLastError() == platform::kErrTimedOut;
    return FailStep(kCapaFailed);
}

Pop3Login::StepResult Pop3Login::UserPass()
{
    m_commands.SetMechanism("USER", m_account.m_nSecurity == Security::kNone);
    if (!m_commands.Run(Command::kUser, m_account.m_user, nullptr))
        return FailStep("Failed while connected to read a USER command response from the POP3 server\n",
                        LoginFailure::kLoginRefused);
    if (!m_commands.RunSecret(Command::kPass, m_account.m_password))
        return FailStep("Failed while connected to read a PASS command response from the POP3 server\n",
                        LoginFailure::kLoginRefused);
    return StepResult::kLoggedIn;
}

bool Pop3Login::ReadCapabilities()
{
    m_capabilities = {};
    m_commands.SetPipelining(false);
    std::string text;
    if (!m_commands.Run(Command::kCapa, {}, &text)) {
        if (GetLastError() != platform::kErrProtocol || m_commands.IsBroken())
            return false;
        m_commands.SetLastReply("");  // -ERR: lists nothing, and is no failure
        return true;
    }
    pop3::Capabilities capabilities;
    if (pop3::ParseCapabilities(text, capabilities) != pop3::ReplyError::kNone)
        return true;  // nothing usable listed
    m_capabilities = std::move(capabilities);
    m_commands.SetPipelining(m_capabilities.m_bPipelining);
    return true;
}

Pop3Login::StepResult Pop3Login::FailStep(const char* pszTrace, LoginFailure refusal)
{
    Trace("%s", pszTrace);
    const int error = GetLastError();
    const std::string reply = m_commands.GetLastReply();
    if (m_commands.IsBroken())
        m_commands.SetFailure(LoginFailure::kBroken, m_commands.BreakReason());
    else if (error == platform::kErrProtocol && refusal != LoginFailure::kNone)
        m_commands.SetFailure(refusal, Shown(reply));
    m_commands.End(true);
    m_commands.SetLastReply(reply);
    SetLastError(error);
    return StepResult::kFailed;
}

Pop3Login::StepResult Pop3Login::FailTls(LoginFailure failure, const std::string& detail)
{
    // Nothing more may cross the connection, least of all in plain text on
    // a TLS port.
    const int error = GetLastError();
    const std::string reason = core_text::Fill(CPop3Connection::LoginFailureText(failure), {detail});
    Trace("Failed to secure the connection to the POP3 server: %s\n", reason.c_str());
    m_commands.End(false);
    m_commands.SetFailure(failure, detail);
    SetLastError(error);
    return StepResult::kFailed;
}
