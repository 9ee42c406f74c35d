#pragma once

#include <string>

// One grid row: the nine column texts in column order, Windows-1252 bytes.
struct MessageRow {
    std::string m_sNum;       // "#": message number, 1-based
    std::string m_sSize;      // "Size": SizeText of the LIST size
    std::string m_sAtt;       // "Att.": "Y" when an attachment is likely
    std::string m_sSubject;   // "Subject"
    std::string m_sFrom;      // "From": display name
    std::string m_sEmail;     // "Email": address
    std::string m_sDate;      // "Date": with weekday and two-digit day
    std::string m_sTo;        // "To"
    std::string m_sCC;        // "CC"
    // Not shown: the server's lasting id for the message (UIDL, RFC 1939
    // §7), empty when it gave none; and whether the server refused to
    // show the message, so the row stands for a message nobody has seen.
    std::string m_sUidl;
    bool m_bUnavailable = false;

    bool operator==(const MessageRow&) const = default;
};
