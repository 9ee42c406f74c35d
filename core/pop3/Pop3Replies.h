#pragma once

#include <QtGlobal>  // QT_TRANSLATE_NOOP

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The POP3 replies Mavix reads, parsed from the text the reply reader
// delivers: no socket, no state, no globals. A multi-line reply is passed
// whole, status line first, without its terminating "." line (RFC 1939 §3);
// CR LF or a bare LF ends a line. Every count and length a server controls
// is bounded here.
namespace pop3 {

// The most messages a mailbox may list: far more than anyone screens by
// hand, and the listings for that many stay well inside 256 MiB (a scan
// listing below 30 MiB, its parsed sizes 8 MiB).
inline constexpr uint32_t kMaxMessages = 1'000'000;
// Message and maildrop sizes are kept below 2^63.
inline constexpr uint64_t kMaxSize = (uint64_t{1} << 63) - 1;
// RFC 1939 §7: a unique-id is 1 to 70 characters from 0x21 to 0x7E.
inline constexpr size_t kMaxUidLength = 70;
// A CAPA reply lists a dozen capabilities (RFC 2449 §6); more lines than
// this is not a list to act on.
inline constexpr size_t kMaxCapabilityLines = 100;
// A capability name longer than this names nothing a client knows.
inline constexpr size_t kMaxCapabilityName = 64;

enum class ReplyError {
    kNone,
    kNegative,    // the status line is not +OK
    kMalformed,   // the reply is not of the form the command answers with
    kTooMany,     // more messages or lines than the bounds above
    kOutOfRange,  // a message number of 0 or above the bound, or a size of 2^63 or more
    kDuplicate,   // one message number listed twice
};

// A text for status lines, never parsed back: the English source, marked
// for translation in the context "Pop3" (core_text::Say translates it).
const char* ReplyErrorText(ReplyError error);

// What the status says when a scan listing and the STAT count contradict
// each other (context "Pop3", as above).
inline constexpr const char* kListMismatchStatus =
    QT_TRANSLATE_NOOP("Pop3", "The server's message list does not match its count");

// The status word of a reply's first line (RFC 1939 §3). Both are taken in
// any letter case, as a prefix: servers writing "+ok" exist.
enum class Status {
    kOk,     // "+OK"
    kErr,    // "-ERR"
    kOther,  // neither: not a POP3 reply at all
};

// The status line. `text` is what follows the status word and one blank.
struct StatusLine {
    Status m_status = Status::kOther;
    std::string_view m_text;
    bool IsOk() const { return m_status == Status::kOk; }
};
StatusLine ParseStatusLine(std::string_view reply);

// STAT (RFC 1939 §5): "+OK count size", the status word exactly "+OK".
struct StatReply {
    uint32_t m_nCount = 0;
    uint64_t m_nSize = 0;
};
ReplyError ParseStat(std::string_view reply, StatReply& stat);

// "+OK n word", the one-line answer to "LIST n" (RFC 1939 §5) and "UIDL n"
// (§7): the word after the number. kMalformed for a reply of another form or
// one that names another message than n: it answers another command.
ReplyError ParseNumberedReply(std::string_view reply, uint32_t n, std::string_view& word);
// A size as a listing gives it: decimal digits only, below 2^63.
ReplyError ParseSize(std::string_view word, uint64_t& size);

// The scan listing of LIST: message number to size. Numbers the server
// skips (deleted messages) have no size.
class ScanListing {
public:
    bool Has(uint32_t n) const { return n >= 1 && n <= m_aSizes.size() && m_aSizes[n - 1] != kNone; }
    // The size of message n; 0 when it is not listed (use Has).
    uint64_t Size(uint32_t n) const { return Has(n) ? m_aSizes[n - 1] : 0; }
    uint32_t HighestNumber() const { return static_cast<uint32_t>(m_aSizes.size()); }
    uint32_t Listed() const { return m_nListed; }
    void Clear();

private:
    friend ReplyError ParseScanListing(std::string_view, uint32_t, ScanListing&);
    static constexpr uint64_t kNone = ~uint64_t{0};
    std::vector<uint64_t> m_aSizes;  // element n - 1 belongs to message n
    uint32_t m_nListed = 0;
};
// Numbers above nMaxNumber (the STAT count plus the messages deleted in this
// session), or above kMaxMessages, fail the listing, as does a number listed
// twice. A line that is not "number size" is passed over, so its message
// has no size.
ReplyError ParseScanListing(std::string_view reply, uint32_t nMaxNumber, ScanListing& listing);

// The unique-id listing of UIDL: message number to id. A message whose id
// breaks RFC 1939 §7 (a byte outside 0x21-0x7E, more than 70 characters) is
// kept as listed without a usable id, so it still shows and can still be
// checked by its Subject. So is a message whose id the listing gives more
// than one message (kAmbiguous): RFC 1939 §7 forbids it, and such an id
// cannot tell which message a row stands for.
class UidListing {
public:
    enum class Id { kNotListed, kUnusable, kAmbiguous, kUsable };
    // *pId gets the id for kUsable and kAmbiguous.
    Id Find(uint32_t n, std::string_view* pId = nullptr) const;
    // The listing gives this id to more than one message.
    bool IsAmbiguous(std::string_view id) const;
    uint32_t HighestNumber() const { return static_cast<uint32_t>(m_aEntries.size()); }
    void Clear();

private:
    friend ReplyError ParseUidListing(std::string_view, uint32_t, UidListing&);
    static constexpr uint8_t kNotListed = 0;
    static constexpr uint8_t kUnusable = 0xFF;
    struct Entry {
        uint32_t m_nOffset = 0;          // into m_sIds
        uint8_t m_nLength = kNotListed;  // 1..70, or a marker above
        bool m_bAmbiguous = false;       // another message has the same id
    };
    std::string m_sIds;                     // every id, one after another
    std::vector<Entry> m_aEntries;          // element n - 1 belongs to message n
    std::vector<std::string> m_aAmbiguous;  // the ids listed more than once, sorted
};
// Number bounds and duplicates as for ParseScanListing.
ReplyError ParseUidListing(std::string_view reply, uint32_t nMaxNumber, UidListing& listing);

// RFC 4422 §3.1: a SASL mechanism name is 1 to 20 characters of A-Z, 0-9,
// "-" and "_".
inline constexpr size_t kMaxSaslMechanismName = 20;
// The SASL mechanisms kept of CAPA's SASL line: servers list a handful; a
// longer list is cut here rather than grown without end.
inline constexpr size_t kMaxSaslMechanisms = 32;

// CAPA (RFC 2449): the capability names, upper-cased, one per line.
struct Capabilities {
    std::vector<std::string> m_aNames;
    // The SASL line's mechanisms (RFC 5034 §6), upper-cased, in the order
    // listed; a name that breaks RFC 4422 §3.1 is passed over.
    std::vector<std::string> m_aSaslMechanisms;
    bool m_bStls = false;        // RFC 2595 §4
    bool m_bPipelining = false;  // RFC 2449 §6.6
    bool m_bUidl = false;
    bool m_bTop = false;
    bool Has(std::string_view name) const;  // name upper-case
};
ReplyError ParseCapabilities(std::string_view reply, Capabilities& capabilities);

}  // namespace pop3
