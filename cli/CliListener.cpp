#include "CliListener.h"
#include "cli/CliText.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

CCliListener::CCliListener()
    : m_hEvent(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{ }

CCliListener::~CCliListener()
{
    if (m_hEvent >= 0)
        ::close(m_hEvent);
}

void CCliListener::Queue(ScreeningNote note)
{
    bool bWasEmpty = false;
    {
        std::lock_guard lock(m_mutex);
        bWasEmpty = m_aNotes.empty();
        m_aNotes.push_back(std::move(note));
    }
    // The main thread drains the whole queue per wake-up, so only a queue
    // that turns non-empty needs to wake it: the purge posts a note per row.
    if (!bWasEmpty)
        return;
    const uint64_t one = 1;
    // The counter only has to become non-zero; a full counter is still readable.
    [[maybe_unused]] ssize_t n = ::write(m_hEvent, &one, sizeof one);
}

bool CCliListener::Pop(ScreeningNote& note)
{
    uint64_t count = 0;
    std::lock_guard lock(m_mutex);
    if (m_aNotes.empty()) {
        // Drained: clear the counter so the next poll waits for a new note.
        // Queue pushes under this lock before it writes the counter, so no
        // note can be left behind unannounced.
        [[maybe_unused]] ssize_t n = ::read(m_hEvent, &count, sizeof count);
        return false;
    }
    note = std::move(m_aNotes.front());
    m_aNotes.pop_front();
    if (const auto* pLogin = std::get_if<ScanLoggedIn>(&note); pLogin && pLogin->m_bPasswordInClear)
        std::fprintf(stderr, "mavix-cli: %s\n",
                     FillIn(CliText("mavix-cli",
                                    "warning: the password travelled unencrypted (%1): "
                                    "choose a secure connection or another log-in method"),
                            {pLogin->m_sMechanism})
                         .c_str());
    return true;
}
