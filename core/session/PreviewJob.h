#pragma once

#include "core/pop3/Pop3Connection.h"
#include "core/session/JobContext.h"
#include "core/session/ScreeningEngine.h"

// The start of one message for the user to read, on the review's session:
// "UIDL n" first where the row has a UIDL (a preview never shows another
// message's text under a row), then "TOP n L" (RFC 1939 §7), which leaves
// the message as it was on the server; the bytes become a
// preview::MessagePreview. Without the review's session (a background
// check's rows), it logs in again when the rows have lasting ids, finds the
// message by its UIDL, and ends that session with QUIT.
class PreviewJob {
public:
    PreviewJob(CPop3Connection& connection, const JobContext& context, PreviewRequest request);
    PreviewReady Run();

    // The most body lines one preview asks for: "Show more" stops here, a
    // few screens, well within CPop3Connection::kMaxPreviewBytes for text.
    static constexpr int kMaxLines = 2000;

private:
    // A session of its own: the message's number on it, by UIDL.
    bool LogInAgain(int& nNum);
    // UIDL n (where the row has one), then TOP n L, into `ready`.
    void Read(int nNum, PreviewReady& ready);
    bool IsCut(const std::string& text, bool bTruncated, int nNum);
    // The message read is not the one the row showed (its Subject or
    // identity differs); its header-cache entry is then dropped.
    bool Differs(const std::string& text) const;
    void ForgetCached() const;

    CPop3Connection& m_connection;
    const JobContext& m_ctx;
    PreviewRequest m_request;
};
