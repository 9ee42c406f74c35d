#include "PreviewJob.h"

#include "core/platform/CoreText.h"
#include "core/rows/RowBuilder.h"

#include <algorithm>
#include <utility>

PreviewJob::PreviewJob(CPop3Connection& connection, const JobContext& context, PreviewRequest request)
    : m_connection(connection),
      m_ctx(context),
      m_request(std::move(request))
{
    m_request.m_nLines = std::clamp(m_request.m_nLines, 1, kMaxLines);
}

PreviewReady PreviewJob::Run()
{
    PreviewReady ready{m_request, false, {}, {}};
    m_ctx.ApplyTiming(m_connection);
    // The rows of a background check (or of a review whose session the
    // server ended) are found again on a session of their own, by UIDL,
    // which ends with QUIT once the preview is read.
    int nNum = m_request.m_nNum;
    bool bOwnSession = false;
    if (!m_connection.IsConnected()) {
        bOwnSession = LogInAgain(nNum);
        if (!bOwnSession) {
            ready.m_sProblem = core_text::Say(
                "Preview",
                QT_TRANSLATE_NOOP("Preview",
                                  "The session with the server has ended: scan again to preview this message."));
            return ready;
        }
    }
    Read(nNum, ready);
    if (bOwnSession)
        m_connection.Quit();
    return ready;
}

bool PreviewJob::LogInAgain(int& nNum)
{
    const Account& account = m_ctx.m_account;
    const Account& session = m_ctx.m_sessionAccount;
    // Ids mean something only on the mailbox the rows came from.
    if (!m_ctx.m_bCanReconnect || m_request.m_sUidl.empty() || account.m_sServer != session.m_sServer
        || account.m_sUser != session.m_sUser || account.m_sPort != session.m_sPort || !m_ctx.ClearAbort(m_connection)
        || !m_ctx.ApplyAuthentication(m_connection).empty())
        return false;
    const int port = ParsePort(account.m_sPort);
    int count = 0;
    int total = 0;
    if (port == 0 || !m_connection.Login(account.m_sServer, account.m_sUser, account.m_sPass, port)
        || !m_connection.Stat(count, total) || !m_connection.Uidl()
        || m_connection.IsUidlAmbiguous(m_request.m_sUidl)) {
        m_connection.Drop();
        return false;
    }
    std::string uidl;
    for (int n = 1; n <= count; ++n) {
        if (m_connection.GetUidl(n, uidl) && uidl == m_request.m_sUidl) {
            nNum = n;
            return true;
        }
    }
    m_connection.Quit();
    return false;
}

void PreviewJob::Read(int nNum, PreviewReady& ready)
{
    if (!m_request.m_sUidl.empty()) {
        std::string uidl;
        if (!m_connection.UidlOf(nNum, uidl)) {
            ready.m_sProblem = SessionStatus(
                m_connection,
                core_text::Say("Preview", QT_TRANSLATE_NOOP("Preview", "The server would not name the message.")));
            return;
        }
        if (uidl != m_request.m_sUidl) {
            ready.m_sProblem = core_text::Say(
                "Preview",
                QT_TRANSLATE_NOOP("Preview", "The server has another message under this number now: scan again."));
            return;
        }
    }
    std::string text;
    bool bTruncated = false;
    if (!m_connection.TopLines(nNum, m_request.m_nLines, text, &bTruncated)) {
        ready.m_sProblem = SessionStatus(
            m_connection,
            core_text::Say("Preview", QT_TRANSLATE_NOOP("Preview", "The server would not show the message.")));
        return;
    }
    if (Differs(text)) {
        // The row was shown from a header kept under a UIDL the server has
        // given to another message: the next scan fetches it.
        ForgetCached();
        ready.m_sProblem = core_text::Say(
            "Preview",
            QT_TRANSLATE_NOOP("Preview", "The server has another message under this number now: scan again."));
        return;
    }
    ready.m_preview = preview::BuildPreview(text, IsCut(text, bTruncated, nNum));
    ready.m_bShown = true;
}

bool PreviewJob::Differs(const std::string& text) const
{
    if (m_request.m_sIdentity.empty())
        return false;
    const size_t end = text.find("\r\n\r\n");
    CPop3Message message;
    message.SetText(end == std::string::npos ? std::string_view(text) : std::string_view(text).substr(0, end + 2));
    return message.GetSubject() != m_request.m_sSubject || MessageIdentity(message) != m_request.m_sIdentity;
}

void PreviewJob::ForgetCached() const
{
    const Account& account = m_ctx.m_sessionAccount;
    if (m_ctx.m_nHeaderCache == HeaderCacheUse::kOff || m_request.m_sUidl.empty())
        return;
    HeaderCache::Forget(HeaderCache::PathFor(account.m_sServer, account.m_sUser, account.m_sPort),
                        HeaderCache::Identity(account.m_sServer, account.m_sUser, account.m_sPort),
                        {m_request.m_sUidl});
}

// The message goes on past what came: as many body lines came as were
// asked for, and the text is shorter than the size LIST gave (which counts
// the CR LF the reader took off the last line), or there is no size.
bool PreviewJob::IsCut(const std::string& text, bool bTruncated, int nNum)
{
    if (bTruncated)
        return true;
    size_t nBody = text.find("\r\n\r\n");
    nBody = nBody == std::string::npos ? text.size() : nBody + 4;
    if (nBody >= text.size())
        return false;
    const auto nLines = std::count(text.begin() + static_cast<std::ptrdiff_t>(nBody), text.end(), '\n') + 1;
    if (nLines < m_request.m_nLines)
        return false;
    uint64_t nSize = 0;
    return !m_connection.GetSize(nNum, nSize) || text.size() + 2 < nSize;
}
