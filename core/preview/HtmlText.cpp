#include "HtmlText.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include <array>
#include <mutex>
#include <string>

namespace preview {
namespace {

// Never shown: their text is code, style or metadata.
bool IsDropped(std::string_view name)
{
    static constexpr std::array<std::string_view, 9> kDropped = {"script",   "style",  "head",   "title", "noscript",
                                                                 "template", "iframe", "object", "svg"};
    for (std::string_view dropped : kDropped)
        if (name == dropped)
            return true;
    return false;
}

bool IsBlock(std::string_view name)
{
    static constexpr std::array<std::string_view, 22> kBlocks = {
        "p",  "div", "tr",         "li",  "ul", "ol", "table", "h1", "h2",      "h3",      "h4",
        "h5", "h6",  "blockquote", "pre", "hr", "dl", "dt",    "dd", "section", "article", "center"};
    for (std::string_view block : kBlocks)
        if (name == block)
            return true;
    return false;
}

std::string Attribute(xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (!value)
        return {};
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

class TextWriter {
public:
    void Text(std::string_view text, bool bKeepSpace)
    {
        for (char c : text) {
            const bool bSpace = c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
            if (bKeepSpace && c == '\n') {
                Break();
            } else if (bSpace) {
                m_bSpaceDue = !m_sOut.empty() && m_sOut.back() != '\n';
            } else {
                if (m_bSpaceDue)
                    m_sOut += ' ';
                m_bSpaceDue = false;
                m_sOut += c;
            }
            if (m_sOut.size() >= kMaxHtmlBytes)
                return;
        }
    }
    // One line break; two in a row at most (a paragraph's gap).
    void Break()
    {
        m_bSpaceDue = false;
        if (m_sOut.empty() || (m_sOut.size() >= 2 && m_sOut.ends_with("\n\n")))
            return;
        m_sOut += '\n';
    }
    size_t Size() const { return m_sOut.size(); }
    std::string Take() { return std::move(m_sOut); }

private:
    std::string m_sOut;
    bool m_bSpaceDue = false;
};

void Walk(xmlNode* node, TextWriter& out, int nDepth, bool bPre);

void WalkElement(xmlNode* node, TextWriter& out, int nDepth, bool bPre)
{
    const std::string_view name(reinterpret_cast<const char*>(node->name));
    if (IsDropped(name))
        return;
    if (name == "br") {
        out.Break();
        return;
    }
    if (name == "img") {
        // Never fetched: only its words, when it has some.
        const std::string alt = Attribute(node, "alt");
        if (!alt.empty())
            out.Text("[image: " + alt + "]", false);
        return;
    }
    const bool bBlock = IsBlock(name);
    if (bBlock)
        out.Break();
    if (name == "li")
        out.Text("- ", false);
    for (xmlNode* child = node->children; child; child = child->next)
        Walk(child, out, nDepth + 1, bPre || name == "pre");
    if (name == "a") {
        // The real target beside the words, so a link that says one place
        // and goes to another shows it.
        const std::string href = Attribute(node, "href");
        if (!href.empty())
            out.Text(" [" + href + "]", false);
    }
    if (bBlock)
        out.Break();
}

void Walk(xmlNode* node, TextWriter& out, int nDepth, bool bPre)
{
    if (nDepth > kMaxHtmlDepth || out.Size() >= kMaxHtmlBytes)
        return;
    if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
        if (node->content)
            out.Text(reinterpret_cast<const char*>(node->content), bPre);
    } else if (node->type == XML_ELEMENT_NODE) {
        WalkElement(node, out, nDepth, bPre);
    }
}

}  // namespace

std::string HtmlToText(std::string_view html)
{
    static std::once_flag s_init;
    std::call_once(s_init, [] { xmlInitParser(); });
    html = html.substr(0, kMaxHtmlBytes);
    // No network, no DTD, no error output; broken markup recovered.
    constexpr int kOptions = HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_RECOVER
        | HTML_PARSE_NOIMPLIED | HTML_PARSE_COMPACT;
    htmlDocPtr doc = htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8", kOptions);
    if (!doc)
        return {};
    TextWriter out;
    for (xmlNode* node = doc->children; node; node = node->next)
        Walk(node, out, 0, false);
    xmlFreeDoc(doc);
    std::string text = out.Take();
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace preview
