#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "core/session/PurgeJournal.h"
#include "core/session/ScreeningEngine.h"
#include "tests/support/ScriptedPop3Server.h"

// A listener that records every notification, and a driver that plays the
// owner's part for a scan or a purge from the test's thread.
using Note = ScreeningNote;

template <typename T> bool Is(const Note& note)
{
    return std::holds_alternative<T>(note);
}

class RecordingListener : public NoteQueueListener {
public:
    // The oldest unread note, waiting up to `ms` for one.
    bool Next(Note& note, int ms)
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_aNotes.empty(); }))
            return false;
        note = m_aNotes.front();
        m_aNotes.pop_front();
        return true;
    }

    std::vector<Note> Drain()
    {
        std::lock_guard lock(m_mutex);
        std::vector<Note> notes(m_aNotes.begin(), m_aNotes.end());
        m_aNotes.clear();
        return notes;
    }

protected:
    void Queue(Note note) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_aNotes.push_back(std::move(note));
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Note> m_aNotes;
};

struct ScanOutcome {
    std::vector<MessageRow> m_aRows;
    std::vector<int> m_aSuspect, m_aRepeat;
    std::vector<int> m_aCached;  // ScanRow::m_nCached
    int m_nAnswered = 0;         // OnScanAnswered seen
    bool m_bDone = false;
    long m_nResult = -99;
    std::string m_sStatus;
};

// Hands each note to `handle` until it returns true (done) or the deadline
// passes; false when the deadline came first.
template <typename Handle> bool DrainUntil(RecordingListener& listener, int ms, Handle handle)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    Note note;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !listener.Next(note, static_cast<int>(left.count())))
            return false;
        if (handle(note))
            return true;
    }
}

// Takes every queued row per wake-up as the view does, until OnScanDone
// or the deadline.
inline ScanOutcome DriveScan(ScreeningEngine& engine, RecordingListener& listener, int ms = 15000)
{
    ScanOutcome out;
    DrainUntil(listener, ms, [&](const Note& note) {
        if (Is<ScanRowsWaiting>(note)) {
            std::vector<ScanRow> rows;
            engine.TakeRows(rows);
            for (ScanRow& row : rows) {
                out.m_aRows.push_back(std::move(row.m_row));
                out.m_aSuspect.push_back(row.m_nSuspect);
                out.m_aRepeat.push_back(row.m_nRepeat);
                out.m_aCached.push_back(row.m_nCached);
            }
        } else if (Is<ScanAnswered>(note)) {
            ++out.m_nAnswered;
        } else if (const auto* pDone = std::get_if<ScanDone>(&note)) {
            out.m_bDone = true;
            out.m_nResult = pDone->m_nResult;
            out.m_sStatus = pDone->m_sStatus;
        }
        return out.m_bDone;
    });
    return out;
}

// The purge's row for a scanned row, as the front ends take it.
inline PurgeRow PurgeRowOf(const MessageRow& row, bool bChecked)
{
    return PurgeRowOf(row, std::stoi(row.m_sNum), bChecked);
}

struct PurgeNotes {
    // Per row: 1 for a row deleted or stopped on, then 1 while the purge
    // goes on.
    std::vector<std::pair<long, long>> m_aProgress;
    std::vector<PurgeProgress> m_aRows;
    bool m_bDone = false;
    PurgeDone m_done;
};

inline PurgeNotes DrivePurge(RecordingListener& listener, int ms = 15000)
{
    PurgeNotes out;
    DrainUntil(listener, ms, [&](const Note& note) {
        if (const auto* pRow = std::get_if<PurgeProgress>(&note)) {
            out.m_aRows.push_back(*pRow);
            const PurgeOutcome outcome = pRow->m_nOutcome;
            out.m_aProgress.emplace_back(outcome == PurgeOutcome::kMarked || IsMismatch(outcome), !StopsPurge(outcome));
        } else if (const auto* pDone = std::get_if<PurgeDone>(&note)) {
            out.m_bDone = true;
            out.m_done = *pDone;
        }
        return out.m_bDone;
    });
    return out;
}

// The usual engine test: a scripted mailbox for user "u" with password
// "p", an engine whose workers have started, and its scans and purges
// driven from the test's thread. Set the engine or the server up before
// Serve where a test needs to.
struct EngineFixture {
    ScriptedPop3Server m_server;
    RecordingListener m_listener;
    ScreeningEngine m_engine{m_listener};

    void Serve(std::vector<std::string> mail, ScriptedPop3Server::Override override = {})
    {
        m_server.ServeMailbox(std::move(mail), "u", "p", std::move(override));
        m_server.Start();
        m_engine.StartThreads();
    }
    Account AccountFor(std::string pass = "p") const
    {
        return Account{"127.0.0.1", "u", std::move(pass), std::to_string(m_server.Port())};
    }
    ScanOutcome Scan(const FilterLists& lists = {}, int ms = 15000)
    {
        m_engine.StartScan(AccountFor(), lists);
        return DriveScan(m_engine, m_listener, ms);
    }
    PurgeNotes Purge(std::vector<PurgeRow> rows)
    {
        m_engine.StartPurge(std::move(rows));
        return DrivePurge(m_listener);
    }
    // Every reply may take a minute: what ends sooner did not wait for the
    // server, however slowly the test runs (sanitizers).
    static constexpr std::chrono::seconds kPatience{60};
    void BePatient()
    {
        const auto ms = static_cast<uint32_t>(std::chrono::milliseconds(kPatience).count());
        m_engine.Connection().SetTiming({ms, ms, ms, ms});
    }
};

// A message as a mail program would leave it on the server.
inline std::string MailText(int n, const std::string& subject, size_t bodyBytes = 60)
{
    std::string text = "From: Sender " + std::to_string(n) + " <sender" + std::to_string(n)
        + "@example.com>\r\nTo: me@example.com\r\nSubject: " + subject
        + "\r\nDate: 5 Jan 2005 10:00:00 +0000\r\nMessage-ID: <" + std::to_string(n) + "@example.com>\r\n\r\n";
    while (bodyBytes > 0) {
        const size_t line = std::min<size_t>(bodyBytes, 70);
        text += std::string(line, 'x') + "\r\n";
        bodyBytes -= line;
    }
    return text;
}

// The header lines of MailText as TOP n 0 delivers them to the scan.
inline std::string HeaderOf(const std::string& mail)
{
    return mail.substr(0, mail.find("\r\n\r\n") + 2);
}

// One record of "message.txt".
inline std::string DumpRecord(int n, size_t size, const std::string& text)
{
    return "\r\n\r\n********************\r\n\r\nmessage " + std::to_string(n) + ", length is" + std::to_string(size)
        + "\n\n" + text + "\n\n";
}
