#pragma once

#include "core/rows/MessageRow.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

// A row as a long-lived list keeps it: its sixteen texts back to back in
// one block. A MessageRow is sixteen strings of 32 bytes each and an
// allocation for every text longer than 15 bytes; a packed row is about
// 100 bytes and one allocation, which is what lets a review of 100,000
// messages fit its memory budget.
class PackedRow {
public:
    // The texts in MessageRow's order; the first nine are the grid's columns.
    enum Text {
        kNum,
        kSize,
        kAtt,
        kSubject,
        kFrom,
        kEmail,
        kDate,
        kTo,
        kCC,
        kSubjectText,
        kFromText,
        kToText,
        kCCText,
        kUidl,
        kReason,
        kIdentity,
        kTextCount
    };
    static_assert(kTextCount == MessageRow::kTextCount);

    PackedRow() = default;
    explicit PackedRow(const MessageRow& row);

    std::string_view Get(Text text) const;
    MessageRow Unpack() const;
    // Replaces the reason alone: a new verdict keeps every other text.
    void SetReason(std::string_view reason);

    bool IsUnavailable() const { return m_bUnavailable; }
    long long HeaderAt() const { return m_nHeaderAt; }
    size_t HeaderLength() const { return m_nHeaderLength; }
    uint64_t Size() const { return m_nSize; }

private:
    void Pack(const std::array<std::string_view, kTextCount>& texts);

    std::unique_ptr<char[]> m_pTexts;
    std::array<uint32_t, kTextCount> m_aEnds{};  // where each text ends in m_pTexts
    long long m_nHeaderAt = -1;
    size_t m_nHeaderLength = 0;
    uint64_t m_nSize = 0;
    bool m_bUnavailable = false;
};
