#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text TOP n 0 fetched for one message: its header fields, each ending in
// CR LF, possibly followed by the empty line. Field values are looked up by
// name on the raw bytes; nothing is decoded here.
class CPop3Message {
public:
    // A header block holds a few KiB; this much keeps every honest one whole
    // while a server's endless header costs a bounded amount of memory.
    static constexpr size_t kMaxTextBytes = size_t{256} << 10;
    // The longest field value kept for a row: far more than any screen shows,
    // small enough that a million rows cannot exhaust memory.
    static constexpr size_t kMaxFieldBytes = size_t{4} << 10;
    // Ends a field value that was cut ("\x85" is the ellipsis in Windows-1252).
    static constexpr char kCutMark = '\x85';

    // Keeps at most kMaxTextBytes of the text. A NUL byte ends the line it
    // is in: the bytes from it to that line's CR LF are dropped, and the
    // following lines kept.
    void SetText(std::string_view text);
    void Clear();
    bool HasText() const { return m_bHasText; }
    const std::string& Text() const { return m_sText; }

    // The text before the first empty line; the whole text when there is none.
    std::string HeaderBlock() const;
    // The n-th (0 = first) field called `name`, unfolded, tabs made blanks,
    // trimmed; empty when there is no such field. A value longer than
    // kMaxFieldBytes is cut to that length, its last byte kCutMark, so the
    // same message always gives the same bytes (the purge compares them).
    std::string FindField(const std::string& name, int n) const;
    // As FindField, but empty (no value) when there is no such field, so an
    // absent field differs from one whose value is empty.
    std::optional<std::string> FindFieldIf(const std::string& name, int n) const;

    std::string GetFrom() const { return FindField("From", 0); }
    std::string GetSubject() const { return FindField("Subject", 0); }
    std::string GetDate() const { return FindField("Date", 0); }
    std::string GetTo() const { return FindField("To", 0); }
    std::string GetCC() const { return FindField("CC", 0); }

private:
    void IndexFields();

    std::string m_sText;
    bool m_bHasText = false;
    // Where the header block ends (its first empty line, else the text's
    // end) and where each of its lines starts: a scan looks up a dozen
    // fields per message, and each lookup then reads only the line starts.
    size_t m_nBlockEnd = 0;
    std::vector<uint32_t> m_aLineStarts;
};
