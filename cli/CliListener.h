#pragma once

#include <deque>
#include <mutex>

#include "core/session/ScreeningEngine.h"

// The engine's listener for mavix-cli: a queue the main thread drains. Each
// notification also makes an eventfd readable, so the main thread can wait
// on it and on its signals in one poll.
class CCliListener : public NoteQueueListener {
public:
    CCliListener();
    ~CCliListener() override;
    CCliListener(const CCliListener&) = delete;
    CCliListener& operator=(const CCliListener&) = delete;

    // Main thread: readable while notes wait; Pop takes the oldest. A log-in
    // that sent the password unencrypted is told on stderr as it is taken
    // (stdout stays the rows).
    int Fd() const { return m_hEvent; }
    bool Pop(ScreeningNote& note);

protected:
    // Worker threads.
    void Queue(ScreeningNote note) override;

private:
    int m_hEvent = -1;
    std::mutex m_mutex;
    std::deque<ScreeningNote> m_aNotes;
};
