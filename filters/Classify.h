#pragma once

#include <string>

class FilterLists;

// Maps an accented Windows-1252 letter (capital or small) to its plain
// capital ASCII letter; every other byte comes back unchanged.
unsigned char FoldAccent(unsigned char c);

// The form in which subjects and subject entries are compared: every byte
// through FoldAccent, then ASCII letters in capitals.
std::string NormaliseSubject(const std::string& text);

// 1 when the subject contains an entry of the subject list, equals an entry
// of the exact list (both after NormaliseSubject), or when an entry of the
// size list equals the upper-cased size text byte for byte; else 0.
int IsSuspect(const FilterLists& lists, const std::string& subject, const std::string& sizeText);

// What classification made of a row.
struct Verdict {
    bool m_bSuspect = false;
    bool m_bTrusted = false;      // the sender is on the trusted list
    std::string m_sReason;        // UTF-8 for people; empty when not suspect
};

// The reason of a decoded Subject that holds an explicit direction control
// (platform::IsExplicitDirectionControl): it can make the Subject, an
// attachment's name in it say, read in an order its characters do not have.
inline constexpr const char* kHiddenDirectionReason = "Subject hides its reading direction";

// A decoded Subject with an explicit direction control first
// (kHiddenDirectionReason), then the rule of IsSuspect applied to the raw
// Subject and again to the decoded one (UTF-8, mapped to Windows-1252; a
// character outside that code page matches no entry), then the sender list
// on the address; a sender on the trusted list is never suspect. The reason
// names the first list and entry that matched: "Subject contains "HONEY"",
// "Subject is exactly "Hi"", "Size is 127K", "Sender example.biz is on the
// sender list".
Verdict Classify(const FilterLists& lists, const std::string& subject,
                 const std::string& subjectText, const std::string& sizeText,
                 const std::string& email);

// Whether a sender entry (an address, or "@domain" for every address of that
// domain) covers the address; both sides case-insensitive. *psShown, when
// given, gets the part of the address that matched.
bool SenderMatches(const std::string& entry, const std::string& email,
                   std::string* psShown = nullptr);
