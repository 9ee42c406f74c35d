#include "core/auth/TokenSources.h"

#include "core/platform/Cp1252.h"
#include "core/platform/CoreText.h"
#include "core/platform/Secrets.h"

#include <QEventLoop>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <mutex>

namespace {

struct RefreshState {
    std::mutex m_mutex;  // one request at a time; the scan and purge workers share the source
    oauth::Provider m_provider;
    oauth::Tokens m_tokens;
    oauth::RefreshRotated m_fnRotated;
    std::chrono::milliseconds m_deadline{};
    ~RefreshState()
    {
        m_tokens.Wipe();
        platform::SecureWipe(m_provider.m_sClientSecret);
    }
};

bool Fresh(const oauth::Tokens& tokens, std::chrono::steady_clock::time_point now)
{
    if (tokens.m_sAccess.empty())
        return false;
    return tokens.m_expiry == std::chrono::steady_clock::time_point::max()
        || now + oauth::kRefreshMargin < tokens.m_expiry;
}

std::string Refresh(RefreshState& state, std::string* psError)
{
    const auto now = std::chrono::steady_clock::now();
    if (state.m_tokens.m_sRefresh.empty()) {
        if (psError)
            *psError = core_text::Say(
                "OAuth",
                QT_TRANSLATE_NOOP("OAuth", "no OAuth refresh token is stored for this account: sign in first"));
        return {};
    }
    oauth::Form form = oauth::RefreshForm(state.m_provider, state.m_tokens.m_sRefresh);
    oauth::TokenReply reply = oauth::RequestToken(state.m_provider.m_sTokenUrl, form, state.m_deadline);
    oauth::WipeForm(form);
    if (!reply.m_bOk) {
        if (psError)
            *psError = core_text::Say("OAuth", QT_TRANSLATE_NOOP("OAuth", "cannot renew the OAuth access token: %1"),
                                      {platform::Utf8ToCp1252(reply.m_sError)});
        return {};
    }
    const bool bRotated = !reply.m_sRefresh.empty() && reply.m_sRefresh != state.m_tokens.m_sRefresh;
    oauth::Tokens next = oauth::TokensOf(reply, now, state.m_tokens.m_sRefresh);
    state.m_tokens.Wipe();
    state.m_tokens = std::move(next);
    if (bRotated && state.m_fnRotated)
        state.m_fnRotated(state.m_tokens.m_sRefresh);
    return state.m_tokens.m_sAccess;
}

bool IsTokenText(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < '\x7f'; });
}

// The command's standard output up to the cap; false when it ran out of
// time or wrote more.
bool ReadOutput(QProcess& process, std::chrono::milliseconds deadline, QByteArray& output, std::string& error)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        output += process.read(static_cast<qint64>(oauth::kTokenCommandOutputMax) + 1 - output.size());
        if (output.size() > static_cast<qsizetype>(oauth::kTokenCommandOutputMax)) {
            error = core_text::Say("OAuth", QT_TRANSLATE_NOOP("OAuth", "the token command wrote more than a token"));
            return false;
        }
        if (process.state() == QProcess::NotRunning && process.bytesAvailable() == 0)
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            error = core_text::Say("OAuth", QT_TRANSLATE_NOOP("OAuth", "the token command did not finish in time"));
            return false;
        }
        if (!process.waitForReadyRead(static_cast<int>(left.count())) && process.state() != QProcess::NotRunning)
            process.waitForFinished(0);
    }
}

std::string RunTokenCommand(const std::string& command, std::chrono::milliseconds deadline, std::string& error)
{
    QEventLoop dispatcher;  // gives a thread Qt did not start what QProcess needs
    QStringList words = QProcess::splitCommand(QString::fromStdString(command));
    if (words.isEmpty()) {
        error = core_text::Say("OAuth", QT_TRANSLATE_NOOP("OAuth", "the token command is empty"));
        return {};
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardInputFile(QProcess::nullDevice());
    const QString program = words.takeFirst();
    process.start(program, words, QIODevice::ReadOnly);
    if (!process.waitForStarted(static_cast<int>(deadline.count()))) {
        error = core_text::Say("OAuth", QT_TRANSLATE_NOOP("OAuth", "cannot run the token command: %1"),
                               {platform::Utf8ToCp1252(process.errorString().toStdString())});
        return {};
    }
    QByteArray output;
    const bool bRead = ReadOutput(process, deadline, output, error);
    if (!bRead) {
        process.kill();
        process.waitForFinished(static_cast<int>(deadline.count()));
    }
    std::string token = output.trimmed().toStdString();
    output.fill('\0');
    if (bRead && (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0))
        error = core_text::Say("OAuth", QT_TRANSLATE_NOOP("OAuth", "the token command failed (exit status %1)"),
                               {std::to_string(process.exitCode())});
    else if (bRead && !IsTokenText(token))
        error = core_text::Say("OAuth",
                               QT_TRANSLATE_NOOP("OAuth", "the token command gave no token on its standard output"));
    if (!error.empty())
        platform::SecureWipe(token);
    return token;
}

}  // namespace

namespace oauth {

pop3::TokenSource MakeRefreshTokenSource(Provider provider, Tokens tokens, RefreshRotated onRotated,
                                         std::chrono::milliseconds deadline)
{
    auto state = std::make_shared<RefreshState>();
    state->m_provider = std::move(provider);
    state->m_tokens = std::move(tokens);
    state->m_fnRotated = std::move(onRotated);
    state->m_deadline = deadline;
    return [state](bool bRenew, std::string* psError) -> std::string {
        std::lock_guard lock(state->m_mutex);
        if (!bRenew && Fresh(state->m_tokens, std::chrono::steady_clock::now()))
            return state->m_tokens.m_sAccess;
        return Refresh(*state, psError);
    };
}

pop3::TokenSource MakeCommandTokenSource(std::string command, std::chrono::milliseconds deadline)
{
    return [command = std::move(command), deadline](bool, std::string* psError) -> std::string {
        std::string error;
        std::string token = RunTokenCommand(command, deadline, error);
        if (!error.empty() && psError)
            *psError = std::move(error);
        return token;
    };
}

}  // namespace oauth
