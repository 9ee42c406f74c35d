#include "SessionJobs.h"

KeepAliveJob::KeepAliveJob(CPop3Connection& connection, const JobContext& context)
    : m_connection(connection),
      m_ctx(context)
{ }

SessionChecked KeepAliveJob::Run()
{
    m_ctx.ApplyTiming(m_connection);
    const bool bAlive = m_connection.IsConnected() && m_connection.Noop();
    if (!bAlive)
        m_connection.Drop();
    return SessionChecked{bAlive, m_ctx.m_bCanReconnect};
}

EndSessionJob::EndSessionJob(CPop3Connection& connection, const JobContext& context, bool bReset)
    : m_connection(connection),
      m_ctx(context),
      m_bReset(bReset)
{ }

SessionEnd EndSessionJob::Run()
{
    m_ctx.ApplyTiming(m_connection);
    SessionEnd end;
    if (m_connection.IsConnected()) {
        if (m_bReset && !m_connection.Rset()) {
            end.m_bRsetRefused = true;
            end.m_sRsetReply = m_connection.GetLastReply();
        }
        if (!m_connection.Quit()) {
            end.m_bQuitRefused = true;
            end.m_sQuitReply = m_connection.IsBroken() ? m_connection.BreakReason() : m_connection.GetLastReply();
        }
    }
    m_connection.Drop();
    return end;
}
