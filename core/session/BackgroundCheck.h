#pragma once

#include <chrono>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The rules of the background checks, without a timer or a tray: how long
// to wait before the next check (the interval, doubled after each failure
// in a row, up to a cap), when a check may start, what the tray's tooltip
// says, and when the user is told that suspects are waiting: when their
// number grows and some of them are new, never twice for the same ones.
class BackgroundCheck {
public:
    static constexpr int kMinMinutes = 5;
    static constexpr int kMaxMinutes = 1440;
    // A server that keeps failing is still tried at least once a day.
    static constexpr int kMaxBackoffMinutes = 1440;
    // A check that finds the window busy tries again this much later.
    static constexpr std::chrono::minutes kBusyRetry{1};

    // 0 (or less): off; otherwise kept within kMinMinutes..kMaxMinutes.
    void SetInterval(int nMinutes);
    bool IsOn() const { return m_nMinutes > 0; }
    int IntervalMinutes() const { return m_nMinutes; }

    // A check may start only while nothing else uses the session.
    static bool MayStart(bool bScanning, bool bReviewing, bool bPurging)
    {
        return !bScanning && !bReviewing && !bPurging;
    }

    // The wait before the next check.
    std::chrono::milliseconds NextDelay() const;
    int Failures() const { return m_nFailures; }

    // A check ended with the mailbox's message count and the keys of its
    // suspect rows (SuspectKey). True when the user should be notified.
    bool Succeeded(int nWaiting, const std::vector<std::string>& suspects);
    // A check failed (why: UTF-8): the next one waits longer.
    void Failed(const std::string& why);
    // The user's own scan changed what is waiting.
    void Seen(int nWaiting, const std::vector<std::string>& suspects);
    // The rows are gone (a purge, Cancel): what waits is unknown until the
    // next check, and any new suspect it finds is news.
    void Forget();

    int Waiting() const { return m_nWaiting; }
    int Suspects() const { return static_cast<int>(m_suspects.size()); }
    // "12 messages waiting, 5 suspect"
    std::string Summary() const;
    // The tray's tooltip: "Mavix" and the summary of the last check, or
    // why it failed.
    std::string Tooltip() const;

    // How a row is told apart from the others across checks: its UIDL, or
    // (a server without UIDL) its number and Subject bytes.
    static std::string SuspectKey(std::string_view uidl, std::string_view num, std::string_view subject);

private:
    int m_nMinutes = 0;
    int m_nFailures = 0;
    int m_nWaiting = -1;               // -1: no check yet
    std::set<std::string> m_suspects;  // of the last check
    std::set<std::string> m_notified;  // the user was told about these
    std::string m_sFailure;            // the last check's failure, until one succeeds
};
