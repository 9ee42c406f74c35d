#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// Manual-reset events: once set, an event stays set (and every wait on it
// returns at once) until it is reset. WaitForPair waits on two of them with
// the first one winning when both are set, the way a worker waits on its
// quit and run events.
namespace platform {

class ManualResetEvent {
public:
    ManualResetEvent() = default;
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until the event is set or the timeout passes; true when set.
    bool Wait(std::chrono::milliseconds timeout) const;

private:
    friend int WaitForPair(const ManualResetEvent&, const ManualResetEvent&);
    bool m_bSet = false;
};

// Blocks without limit until either event is set. Returns 0 when the first
// is set (it wins when both are), 1 when only the second is.
int WaitForPair(const ManualResetEvent& first, const ManualResetEvent& second);

}  // namespace platform
