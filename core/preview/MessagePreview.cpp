#include "MessagePreview.h"

#include <gmime/gmime.h>

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>

#include "core/platform/Ascii.h"
#include "core/platform/Cp1252.h"
#include "core/platform/HeaderDecode.h"
#include "core/preview/HtmlText.h"

namespace preview {
namespace {

struct ObjectUnref {
    void operator()(void* p) const
    {
        if (p)
            g_object_unref(p);
    }
};
template <typename T> using GPtr = std::unique_ptr<T, ObjectUnref>;

struct GFree {
    void operator()(void* p) const { g_free(p); }
};
using GString_ = std::unique_ptr<char, GFree>;

// GMime keeps process-wide tables: set up once, from whichever thread
// previews first.
void InitGMime()
{
    static std::once_flag s_init;
    std::call_once(s_init, [] { g_mime_init(); });
}

// UTF-8 for display: invalid UTF-8 read as Windows-1252; CR dropped, other
// control characters blanks, LF and TAB kept when `bLines`.
std::string Displayable(std::string_view bytes, bool bLines)
{
    std::string text = platform::IsValidUtf8(bytes) ? std::string(bytes) : platform::Cp1252ToUtf8(bytes);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r')
            continue;
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            out += ' ';  // a C1 control
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            out += (bLines && (c == '\n' || c == '\t')) ? static_cast<char>(c) : ' ';
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string HeaderText(GMimeObject* object, const char* name)
{
    GMimeHeader* header = g_mime_header_list_get_header(g_mime_object_get_header_list(object), name);
    const char* raw = header ? g_mime_header_get_raw_value(header) : nullptr;
    if (!raw)
        return {};
    // The grid's own decoding, so the pane and the row read alike.
    return std::string(platform::TrimSpace(platform::DecodeHeaderText(raw)));
}

std::string MimeType(GMimeObject* object)
{
    GMimeContentType* type = g_mime_object_get_content_type(object);
    if (!type)
        return "text/plain";
    GString_ text(g_mime_content_type_get_mime_type(type));
    return Displayable(text ? text.get() : "", false);
}

// GMime recurses once per nested multipart: the message is cut before the
// (kMaxMultipartDeclarations + 1)th declaration's line. True: cut.
bool CutDeepNesting(std::string_view& message)
{
    static constexpr std::string_view kNeedle = "multipart/";
    int nSeen = 0;
    for (size_t i = 0; i + kNeedle.size() <= message.size(); ++i) {
        if (platform::AsciiUpper(message[i]) != 'M')
            continue;
        bool bMatch = true;
        for (size_t k = 1; k < kNeedle.size() && bMatch; ++k)
            bMatch = platform::AsciiUpper(message[i + k]) == platform::AsciiUpper(kNeedle[k]);
        if (bMatch && ++nSeen > kMaxMultipartDeclarations) {
            const size_t nLine = message.rfind('\n', i);
            message = message.substr(0, nLine == std::string_view::npos ? 0 : nLine + 1);
            return true;
        }
    }
    return false;
}

class Walker {
public:
    Walker(MessagePreview& out, bool bCut)
        : m_out(out),
          m_bCut(bCut)
    { }
    void Visit(GMimeObject* object, int nDepth);
    void Finish();

private:
    void VisitMultipart(GMimeMultipart* multipart, int nDepth);
    GMimeObject* Preferred(GMimeMultipart* alternative) const;
    void VisitPart(GMimePart* part);
    void AddText(GMimeTextPart* part, bool bHtml);
    void AddAttachment(GMimeObject* object, const std::string& name);

    MessagePreview& m_out;
    bool m_bCut;
    int m_nParts = 0;
    bool m_bLastWasAttachment = false;
};

void Walker::Visit(GMimeObject* object, int nDepth)
{
    if (!object)
        return;
    if (nDepth > kMaxDepth || ++m_nParts > kMaxParts) {
        m_out.m_bNotShown = true;
        return;
    }
    if (GMIME_IS_MULTIPART(object))
        VisitMultipart(GMIME_MULTIPART(object), nDepth);
    else if (GMIME_IS_PART(object))
        VisitPart(GMIME_PART(object));
    else
        AddAttachment(object, {});  // message/rfc822 and the like: listed, never opened
}

// RFC 2046 §5.1.4: the parts of an alternative are one content; text/plain
// is shown when there is one, else the richest the sender gave.
GMimeObject* Walker::Preferred(GMimeMultipart* alternative) const
{
    const int nCount = g_mime_multipart_get_count(alternative);
    GMimeObject* pChosen = nullptr;
    for (int i = 0; i < nCount; ++i) {
        GMimeObject* part = g_mime_multipart_get_part(alternative, i);
        GMimeContentType* type = g_mime_object_get_content_type(part);
        if (type && g_mime_content_type_is_type(type, "text", "plain"))
            return part;
        if (!pChosen || (type && g_mime_content_type_is_type(type, "text", "html")))
            pChosen = part;
    }
    return pChosen;
}

void Walker::VisitMultipart(GMimeMultipart* multipart, int nDepth)
{
    GMimeContentType* type = g_mime_object_get_content_type(GMIME_OBJECT(multipart));
    if (type && g_mime_content_type_is_type(type, "multipart", "alternative")) {
        Visit(Preferred(multipart), nDepth + 1);
        return;
    }
    const int nCount = g_mime_multipart_get_count(multipart);
    for (int i = 0; i < nCount && m_nParts <= kMaxParts; ++i)
        Visit(g_mime_multipart_get_part(multipart, i), nDepth + 1);
}

void Walker::VisitPart(GMimePart* part)
{
    GMimeObject* object = GMIME_OBJECT(part);
    const char* pszName = g_mime_part_get_filename(part);  // RFC 2231 and RFC 2047 decoded
    const std::string name = pszName ? Displayable(pszName, false) : std::string();
    GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(object);
    const bool bAttached = disposition && g_mime_content_disposition_is_attachment(disposition);
    GMimeContentType* type = g_mime_object_get_content_type(object);
    const bool bPlain = type && g_mime_content_type_is_type(type, "text", "plain");
    const bool bHtml = type && g_mime_content_type_is_type(type, "text", "html");
    if ((bPlain || bHtml) && !bAttached && name.empty() && GMIME_IS_TEXT_PART(part))
        AddText(GMIME_TEXT_PART(part), bHtml);
    else
        AddAttachment(object, name);
}

void Walker::AddText(GMimeTextPart* part, bool bHtml)
{
    m_bLastWasAttachment = false;
    // Decoded (quoted-printable, base64) and converted from the part's
    // charset to UTF-8 by GMime; without a charset the bytes as they stand.
    GString_ raw(g_mime_text_part_get_text(part));
    if (!raw)
        return;
    std::string text = Displayable(raw.get(), true);
    if (bHtml) {
        text = HtmlToText(text);
        m_out.m_bFromHtml = m_out.m_bFromHtml || m_out.m_sText.empty();
    }
    if (!m_out.m_sText.empty() && !text.empty())
        m_out.m_sText += "\n\n";
    m_out.m_sText += text;
}

void Walker::AddAttachment(GMimeObject* object, const std::string& name)
{
    m_bLastWasAttachment = true;
    if (static_cast<int>(m_out.m_aAttachments.size()) >= kMaxAttachments) {
        m_out.m_bNotShown = true;
        return;
    }
    Attachment attachment;
    attachment.m_sName = name;
    attachment.m_sType = MimeType(object);
    attachment.m_bDisguised = HidesExecutable(name);
    if (GMIME_IS_PART(object)) {
        // What the fetched lines decode to, counted and dropped.
        GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(object));
        GPtr<GMimeStream> sink(g_mime_stream_null_new());
        const ssize_t nBytes = content ? g_mime_data_wrapper_write_to_stream(content, sink.get()) : 0;
        attachment.m_nBytes = nBytes > 0 ? static_cast<uint64_t>(nBytes) : 0;
    }
    m_out.m_aAttachments.push_back(std::move(attachment));
}

void Walker::Finish()
{
    // The fetched lines stopped inside the last part: if that was an
    // attachment, only its start arrived.
    if (m_bCut && m_bLastWasAttachment && !m_out.m_aAttachments.empty())
        m_out.m_aAttachments.back().m_bPartial = true;
}

// The text within kMaxTextBytes and kMaxTextLines, cut at a line's end or
// a character's start.
void BoundText(MessagePreview& out)
{
    std::string& text = out.m_sText;
    size_t nEnd = std::min(text.size(), kMaxTextBytes);
    int nLines = 0;
    for (size_t i = 0; i < nEnd; ++i)
        if (text[i] == '\n' && ++nLines >= kMaxTextLines)
            nEnd = i;
    while (nEnd < text.size() && nEnd > 0 && (static_cast<unsigned char>(text[nEnd]) & 0xC0) == 0x80)
        --nEnd;
    if (nEnd < text.size()) {
        text.resize(nEnd);
        out.m_bTextCut = true;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
}

void ReadHeaders(GMimeMessage* message, MessagePreview& out)
{
    GMimeObject* object = GMIME_OBJECT(message);
    out.m_sFrom = HeaderText(object, "From");
    out.m_sTo = HeaderText(object, "To");
    out.m_sDate = HeaderText(object, "Date");
    out.m_sSubject = HeaderText(object, "Subject");
}

}  // namespace

MessagePreview BuildPreview(std::string_view message, bool bCut)
{
    InitGMime();
    MessagePreview out;
    out.m_bCut = bCut || message.size() > kMaxMessageBytes;
    message = message.substr(0, kMaxMessageBytes);
    out.m_bNotShown = CutDeepNesting(message);
    GPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(message.data(), message.size()));
    GPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    std::unique_ptr<GMimeParserOptions, void (*)(GMimeParserOptions*)> options(g_mime_parser_options_new(),
                                                                               g_mime_parser_options_free);
    // Raw 8-bit text without a charset: UTF-8 when it is, else Windows-1252.
    const char* fallback[] = {"UTF-8", "windows-1252", nullptr};
    g_mime_parser_options_set_fallback_charsets(options.get(), fallback);
    GPtr<GMimeMessage> parsed(g_mime_parser_construct_message(parser.get(), options.get()));
    if (!parsed) {
        out.m_sText = Displayable(message, true);
    } else {
        ReadHeaders(parsed.get(), out);
        Walker walker(out, out.m_bCut);
        walker.Visit(g_mime_message_get_mime_part(parsed.get()), 0);
        walker.Finish();
    }
    BoundText(out);
    return out;
}

bool HidesExecutable(std::string_view name)
{
    if (platform::HasExplicitDirectionControl(name))
        return true;
    static constexpr std::array<std::string_view, 18> kExecutable = {"EXE", "SCR", "COM", "BAT", "CMD", "PIF",
                                                                     "JS",  "JSE", "VBS", "VBE", "JAR", "MSI",
                                                                     "LNK", "HTA", "PS1", "WSF", "CPL", "APP"};
    static constexpr std::array<std::string_view, 16> kDocument = {"PDF",  "DOC", "DOCX", "XLS", "XLSX", "PPT",
                                                                   "PPTX", "TXT", "RTF",  "JPG", "JPEG", "PNG",
                                                                   "GIF",  "ZIP", "ODT",  "CSV"};
    const std::string upper = platform::AsciiUpper(std::string(name));
    const size_t nLast = upper.rfind('.');
    if (nLast == std::string::npos || nLast == 0)
        return false;
    const std::string_view last = std::string_view(upper).substr(nLast + 1);
    // Blanks before the last dot push it out of sight in a narrow column.
    const std::string_view before = platform::TrimSpace(std::string_view(upper).substr(0, nLast));
    const size_t nPrev = before.rfind('.');
    if (nPrev == std::string::npos)
        return false;
    const std::string_view previous = before.substr(nPrev + 1);
    return std::ranges::find(kExecutable, last) != kExecutable.end()
        && std::ranges::find(kDocument, previous) != kDocument.end();
}

}  // namespace preview
