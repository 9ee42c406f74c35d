#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// Holds a server's answer to one command until the test lets it go (or the
// hold runs out), so the test can act while the client waits.
class Gate {
public:
    explicit Gate(std::chrono::milliseconds hold = std::chrono::seconds(20))
        : m_hold(hold)
    { }

    // Server thread: marks the gate reached, then waits for Open.
    void Wait()
    {
        std::unique_lock lock(m_mutex);
        m_bReached = true;
        m_changed.notify_all();
        m_changed.wait_for(lock, m_hold, [this] { return m_bOpen; });
    }
    void Open()
    {
        std::lock_guard lock(m_mutex);
        m_bOpen = true;
        m_changed.notify_all();
    }
    bool Reached()
    {
        std::lock_guard lock(m_mutex);
        return m_bReached;
    }

private:
    std::chrono::milliseconds m_hold;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bOpen = false;
    bool m_bReached = false;
};
