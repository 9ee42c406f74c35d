#include "Event.h"

namespace platform {
namespace {
// Events are few and rarely signalled, so they share one lock and one
// condition; a set wakes every waiter, which re-checks its own events.
std::mutex g_eventMutex;
std::condition_variable g_eventChanged;
}  // namespace

void ManualResetEvent::Set()
{
    {
        std::lock_guard lock(g_eventMutex);
        m_bSet = true;
    }
    g_eventChanged.notify_all();
}

void ManualResetEvent::Reset()
{
    std::lock_guard lock(g_eventMutex);
    m_bSet = false;
}

bool ManualResetEvent::IsSet() const
{
    std::lock_guard lock(g_eventMutex);
    return m_bSet;
}

bool ManualResetEvent::Wait(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(g_eventMutex);
    return g_eventChanged.wait_for(lock, timeout, [this] { return m_bSet; });
}

int WaitForPair(const ManualResetEvent& first, const ManualResetEvent& second)
{
    std::unique_lock lock(g_eventMutex);
    g_eventChanged.wait(lock, [&] { return first.m_bSet || second.m_bSet; });
    return first.m_bSet ? 0 : 1;
}

}  // namespace platform
