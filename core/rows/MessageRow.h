#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// One grid row: the nine column texts in column order, Windows-1252 bytes,
// as the header held them; then what the screen shows and what the
// remembered choices and "View Headers" need.
struct MessageRow {
    std::string m_sNum;      // "#": message number, 1-based
    std::string m_sSize;     // "Size": SizeText of the LIST size
    std::string m_sAtt;      // "Att.": "Y" when an attachment is likely
    std::string m_sSubject;  // "Subject"
    std::string m_sFrom;     // "From": display name
    std::string m_sEmail;    // "Email": address
    std::string m_sDate;     // "Date": with weekday and two-digit day
    std::string m_sTo;       // "To"
    std::string m_sCC;       // "CC"
    // Not shown: whether the server refused to show the message, so the row
    // stands for a message nobody has seen.
    bool m_bUnavailable = false;

    // The texts people read: UTF-8, encoded words decoded (AddReadableTexts);
    // empty where the field reads as its bytes taken for Windows-1252. The purge and
    // "message.txt" keep to the bytes above.
    std::string m_sSubjectText;
    std::string m_sFromText;
    std::string m_sToText;
    std::string m_sCCText;
    std::string m_sUidl;    // the server's unique id (RFC 1939 §7), empty without UIDL
    std::string m_sReason;  // why the row is suspect, UTF-8; empty when it is not
    // Which message the row shows: MessageIdentity of the header the scan
    // read (binary bytes); empty for a row without one (unavailable).
    std::string m_sIdentity;
    // Where the scan wrote this message's header text in "message.txt", and
    // its length; -1 when it was not written.
    long long m_nHeaderAt = -1;
    size_t m_nHeaderLength = 0;
    uint64_t m_nSize = 0;  // the LIST size in bytes, for the journal and the kept copy

    // The sixteen texts in the order above, for code that treats them alike.
    static constexpr size_t kTextCount = 16;
    std::array<const std::string*, kTextCount> Texts() const { return TextsOf(*this); }
    std::array<std::string*, kTextCount> Texts() { return TextsOf(*this); }

    bool operator==(const MessageRow&) const = default;

private:
    template <typename Row> static auto TextsOf(Row& row) -> std::array<decltype(&row.m_sNum), kTextCount>
    {
        return {&row.m_sNum,    &row.m_sSize, &row.m_sAtt,    &row.m_sSubject,     &row.m_sFrom,     &row.m_sEmail,
                &row.m_sDate,   &row.m_sTo,   &row.m_sCC,     &row.m_sSubjectText, &row.m_sFromText, &row.m_sToText,
                &row.m_sCCText, &row.m_sUidl, &row.m_sReason, &row.m_sIdentity};
    }
};
