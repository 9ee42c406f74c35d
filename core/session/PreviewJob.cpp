#include "PreviewJob.h"

#include "core/platform/CoreText.h"

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
    if (!m_connection.IsConnected()) {
        ready.m_sProblem = core_text::Say(
            "Preview",
            QT_TRANSLATE_NOOP("Preview", "The session with the server has ended: scan again to preview this message."));
        return ready;
    }
    const int nNum = m_request.m_nNum;
    if (!m_request.m_sUidl.empty()) {
        std::string uidl;
        if (!m_connection.UidlOf(nNum, uidl)) {
            ready.m_sProblem = SessionStatus(
                m_connection,
                core_text::Say("Preview", QT_TRANSLATE_NOOP("Preview", "The server would not name the message.")));
            return ready;
        }
        if (uidl != m_request.m_sUidl) {
            ready.m_sProblem = core_text::Say(
                "Preview",
                QT_TRANSLATE_NOOP("Preview", "The server has another message under this number now: scan again."));
            return ready;
        }
    }
    std::string text;
    bool bTruncated = false;
    if (!m_connection.TopLines(nNum, m_request.m_nLines, text, &bTruncated)) {
        ready.m_sProblem = SessionStatus(
            m_connection,
            core_text::Say("Preview", QT_TRANSLATE_NOOP("Preview", "The server would not show the message.")));
        return ready;
    }
    ready.m_preview = preview::BuildPreview(text, IsCut(text, bTruncated));
    ready.m_bShown = true;
    return ready;
}

// The message goes on past what came: as many body lines came as were
// asked for, and the text is shorter than the size LIST gave (which counts
// the CR LF the reader took off the last line), or there is no size.
bool PreviewJob::IsCut(const std::string& text, bool bTruncated)
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
    return !m_connection.GetSize(m_request.m_nNum, nSize) || text.size() + 2 < nSize;
}
