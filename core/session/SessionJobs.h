#pragma once

#include "core/pop3/Pop3Connection.h"
#include "core/session/JobContext.h"

// The keep-alive of an idle review's session. RFC 1939 §5: in the
// TRANSACTION state NOOP only ever answers +OK, so anything else means the
// session is gone, or that replies no longer pair with commands; either way
// it is closed.
class KeepAliveJob {
public:
    KeepAliveJob(CPop3Connection& connection, const JobContext& context);
    SessionChecked Run();

private:
    CPop3Connection& m_connection;
    const JobContext& m_ctx;
};

// The end of a review nobody purged (or Cancel): RSET first when asked
// (RFC 1939 §5: nothing stays marked), then QUIT; the session is closed
// either way. Without a session there is nothing to send.
class EndSessionJob {
public:
    EndSessionJob(CPop3Connection& connection, const JobContext& context, bool bReset);
    SessionEnd Run();

private:
    CPop3Connection& m_connection;
    const JobContext& m_ctx;
    bool m_bReset;
};
