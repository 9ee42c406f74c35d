#include "BackgroundCheck.h"

#include "core/platform/CoreText.h"

#include <algorithm>

void BackgroundCheck::SetInterval(int nMinutes)
{
    m_nMinutes = nMinutes <= 0 ? 0 : std::clamp(nMinutes, kMinMinutes, kMaxMinutes);
    m_nFailures = 0;
}

std::chrono::milliseconds BackgroundCheck::NextDelay() const
{
    long long minutes = std::max(m_nMinutes, kMinMinutes);
    for (int i = 0; i < m_nFailures && minutes < kMaxBackoffMinutes; ++i)
        minutes *= 2;
    minutes = std::min<long long>(minutes, std::max(kMaxBackoffMinutes, m_nMinutes));
    return std::chrono::minutes(minutes);
}

bool BackgroundCheck::Succeeded(int nWaiting, const std::vector<std::string>& suspects)
{
    m_nFailures = 0;
    m_sFailure.clear();
    const size_t nBefore = m_suspects.size();
    Seen(nWaiting, suspects);
    const bool bNew = std::any_of(m_suspects.begin(), m_suspects.end(),
                                  [this](const std::string& key) { return !m_notified.count(key); });
    const bool bNotify = m_suspects.size() > nBefore && bNew;
    // Only suspects still waiting are remembered: the set stays as small as
    // the mailbox.
    m_notified = m_suspects;
    return bNotify;
}

void BackgroundCheck::Failed(const std::string& why)
{
    ++m_nFailures;
    m_sFailure = why;
}

void BackgroundCheck::Seen(int nWaiting, const std::vector<std::string>& suspects)
{
    m_nWaiting = std::max(nWaiting, 0);
    m_suspects = std::set<std::string>(suspects.begin(), suspects.end());
}

void BackgroundCheck::Forget()
{
    m_nWaiting = -1;
    m_suspects.clear();
}

std::string BackgroundCheck::Summary() const
{
    const int nWaiting = std::max(m_nWaiting, 0);
    return nWaiting == 1
        ? core_text::Say("BackgroundCheck", QT_TRANSLATE_NOOP("BackgroundCheck", "%1 message waiting, %2 suspect"),
                         {std::to_string(nWaiting), std::to_string(m_suspects.size())})
        : core_text::Say("BackgroundCheck", QT_TRANSLATE_NOOP("BackgroundCheck", "%1 messages waiting, %2 suspect"),
                         {std::to_string(nWaiting), std::to_string(m_suspects.size())});
}

std::string BackgroundCheck::Tooltip() const
{
    if (!m_sFailure.empty())
        return core_text::Say("BackgroundCheck",
                              QT_TRANSLATE_NOOP("BackgroundCheck", "Mavix\nThe last check failed: %1"), {m_sFailure});
    if (m_nWaiting < 0)
        return "Mavix";
    return "Mavix\n" + Summary();
}

std::string BackgroundCheck::SuspectKey(std::string_view uidl, std::string_view num, std::string_view subject)
{
    std::string key = uidl.empty() ? "#" : "=";
    if (uidl.empty())
        key.append(num).append(" ").append(subject);
    else
        key.append(uidl);
    return key;
}
