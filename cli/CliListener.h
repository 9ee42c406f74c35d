#pragma once

#include <deque>
#include <mutex>
#include <string>

#include "screening/ScreeningEngine.h"

// The engine's listener for mavix-cli: a queue the main thread drains. Each
// post also makes an eventfd readable, so the main thread can wait on it and
// on its signals in one poll.
class CCliListener : public IScreeningListener {
public:
    struct Note {
        unsigned m_nMessage = 0;
        long m_wParam = 0, m_lParam = 0;
        // For WM_PURGE_PROGRESS: the texts of exactly that row, taken on the
        // purge thread before it goes on to the next one.
        std::string m_sGridSubject, m_sMsgSubject, m_sReply;
        PurgeOutcome m_nOutcome = PurgeOutcome::kNotChecked;
    };

    CCliListener();
    ~CCliListener() override;
    CCliListener(const CCliListener&) = delete;
    CCliListener& operator=(const CCliListener&) = delete;

    // The engine whose texts a purge notification carries along.
    void Attach(const ScreeningEngine* pEngine) { m_pEngine = pEngine; }

    // Worker threads.
    void PostMessage(unsigned message, long wParam, long lParam) override;

    // Main thread: readable while notes wait; Pop takes the oldest.
    int Fd() const { return m_hEvent; }
    bool Pop(Note& note);

private:
    const ScreeningEngine* m_pEngine = nullptr;
    int m_hEvent = -1;
    std::mutex m_mutex;
    std::deque<Note> m_aNotes;
};
