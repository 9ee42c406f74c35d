#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The start of a message made readable, safely: what TOP n L returned
// (dot-unstuffed), read as MIME by GMime; every text UTF-8 for display.
namespace preview {

// The message bytes read: TOP's reply is kept to the same bound
// (CPop3Connection::kMaxPreviewBytes), and a screen shows far less.
inline constexpr size_t kMaxMessageBytes = size_t{1} << 20;
// Multipart levels shown: mail software nests three or four; deeper ones
// are said to be not shown.
inline constexpr int kMaxDepth = 12;
// "multipart/" declarations handed to GMime: its parser recurses once per
// nested multipart, so a message of thousands of nested levels is cut
// before they are read, far below any thread's stack.
inline constexpr int kMaxMultipartDeclarations = 32;
// Parts visited: honest mail has a handful; the rest are said to be not
// shown.
inline constexpr int kMaxParts = 100;
// The text shown, in bytes and lines: a few screens, and no more than a
// plain-text pane holds without effort.
inline constexpr size_t kMaxTextBytes = size_t{256} << 10;
inline constexpr int kMaxTextLines = 4000;
// Attachments listed.
inline constexpr int kMaxAttachments = 50;

struct Attachment {
    std::string m_sName;      // decoded (RFC 2047, RFC 2231), display-safe; may be empty
    std::string m_sType;      // "application/pdf"
    uint64_t m_nBytes = 0;    // decoded bytes that arrived: approximate
    bool m_bPartial = false;  // the fetched lines ended inside it: at least m_nBytes
    // The name hides an executable type behind a document one
    // ("invoice.pdf.exe"), or turns its text around (U+202E).
    bool m_bDisguised = false;
};

struct MessagePreview {
    // The headers of interest, decoded (RFC 2047), without control characters.
    std::string m_sFrom, m_sTo, m_sDate, m_sSubject;
    std::string m_sText;       // LF line ends, no control characters but LF and TAB
    bool m_bFromHtml = false;  // the text was HTML, shown as plain text
    std::vector<Attachment> m_aAttachments;
    bool m_bCut = false;       // the message goes on past what was fetched
    bool m_bTextCut = false;   // the text went past kMaxTextBytes or kMaxTextLines
    bool m_bNotShown = false;  // parts past kMaxDepth, kMaxParts or kMaxAttachments were left out
};

// `message`: the header block and the first lines of the body, as TOP n L
// returned them (CR LF or LF line ends). `bCut`: the server had more to
// give (the caller knows: fewer lines came than the message has). Never
// fails: what cannot be read as MIME is shown as plain text.
MessagePreview BuildPreview(std::string_view message, bool bCut);

// The name puts an executable's extension after a document's
// ("invoice.pdf.exe", "scan.jpg   .scr"), or holds a direction control.
bool HidesExecutable(std::string_view name);

}  // namespace preview
