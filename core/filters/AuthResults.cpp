#include "AuthResults.h"

#include "core/platform/Ascii.h"

namespace auth_results {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// RFC 2045 §5.1 tspecials: what ends a token, beside blanks and controls.
bool IsTspecial(char c)
{
    switch (c) {
    case '(':
    case ')':
    case '<':
    case '>':
    case '@':
    case ',':
    case ';':
    case ':':
    case '\\':
    case '"':
    case '/':
    case '[':
    case ']':
    case '?':
    case '=':
        return true;
    default:
        return false;
    }
}

// A token character; bytes above 0x7F are allowed, as RFC 8616 §3 lets
// UTF-8 into the field.
bool IsTokenChar(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u > 0x20 && u != 0x7F && !IsTspecial(c);
}

// RFC 5321 Keyword (Ldh-str), with '_' as some servers write it.
bool IsKeywordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || platform::IsDigit(c) || c == '-' || c == '_';
}

// Reads the field left to right; every method leaves m_nAt past what it
// read and returns false on a syntax error.
class Reader {
public:
    explicit Reader(std::string_view text)
        : m_text(text)
    { }

    bool AtEnd() const { return m_nAt >= m_text.size(); }
    std::string_view Rest() const { return m_text.substr(m_nAt); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_nAt]; }
    bool Take(char c)
    {
        if (Peek() != c || AtEnd())
            return false;
        ++m_nAt;
        return true;
    }

    // RFC 5322 §3.2.2 CFWS: blanks and comments, which nest.
    bool SkipCfws()
    {
        while (!AtEnd()) {
            if (IsBlank(Peek())) {
                ++m_nAt;
            } else if (Peek() == '(') {
                if (!SkipComment())
                    return false;
            } else {
                break;
            }
        }
        return true;
    }

    std::string Keyword()
    {
        const size_t start = m_nAt;
        while (!AtEnd() && IsKeywordChar(Peek()))
            ++m_nAt;
        return platform::AsciiLower(m_text.substr(start, m_nAt - start));
    }

    // RFC 2045 value: a token or a quoted string; false when neither.
    bool Value(std::string& out)
    {
        if (Peek() == '"')
            return QuotedString(out);
        const size_t start = m_nAt;
        while (!AtEnd() && IsTokenChar(Peek()))
            ++m_nAt;
        out = m_text.substr(start, m_nAt - start);
        return !out.empty();
    }

    // RFC 8601 pvalue: a value, or an address or domain name ("@" and "/"
    // included, as in header.i=@example.com or a base64 header.b).
    bool PropertyValue(std::string& out)
    {
        if (Peek() == '"')
            return QuotedString(out);
        const size_t start = m_nAt;
        while (!AtEnd() && !IsBlank(Peek()) && Peek() != ';' && Peek() != '(' && Peek() != ')' && Peek() != '"')
            ++m_nAt;
        out = m_text.substr(start, m_nAt - start);
        return true;  // RFC 8601 §2.2 allows an empty pvalue
    }

private:
    bool SkipComment()
    {
        int depth = 0;
        while (!AtEnd()) {
            const char c = m_text[m_nAt++];
            if (c == '\\') {
                if (AtEnd())
                    return false;
                ++m_nAt;
            } else if (c == '(') {
                if (++depth > kMaxCommentDepth)
                    return false;
            } else if (c == ')') {
                if (--depth == 0)
                    return true;
            }
        }
        return false;
    }

    bool QuotedString(std::string& out)
    {
        out.clear();
        ++m_nAt;  // the opening quote
        while (!AtEnd()) {
            char c = m_text[m_nAt++];
            if (c == '"')
                return true;
            if (c == '\\') {
                if (AtEnd())
                    return false;
                c = m_text[m_nAt++];
            }
            out += c;
        }
        return false;
    }

    std::string_view m_text;
    size_t m_nAt = 0;
};

// ptype "." property "=" pvalue; a keyword and "=" alone give a property
// without a type. Reader at the ptype, CFWS skipped.
bool ReadProperty(Reader& reader, Property& property)
{
    property.m_sType = reader.Keyword();
    if (property.m_sType.empty() || !reader.SkipCfws())
        return false;
    if (reader.Take('.')) {
        if (!reader.SkipCfws())
            return false;
        property.m_sName = reader.Keyword();
        if (property.m_sName.empty() || !reader.SkipCfws())
            return false;
    } else {
        property.m_sName = std::move(property.m_sType);
        property.m_sType.clear();
    }
    return reader.Take('=') && reader.SkipCfws() && reader.PropertyValue(property.m_sValue) && reader.SkipCfws();
}

// resinfo after its ";": methodspec [reasonspec] *propspec (RFC 8601 §2.2).
bool ReadResult(Reader& reader, Result& result)
{
    result.m_sMethod = reader.Keyword();
    if (result.m_sMethod.empty() || !reader.SkipCfws())
        return false;
    if (reader.Take('/')) {  // method-version
        if (!reader.SkipCfws() || reader.Keyword().empty() || !reader.SkipCfws())
            return false;
    }
    if (!reader.Take('=') || !reader.SkipCfws())
        return false;
    result.m_sResult = reader.Keyword();
    if (result.m_sResult.empty() || !reader.SkipCfws())
        return false;
    while (!reader.AtEnd() && reader.Peek() != ';') {
        Property property;
        if (!ReadProperty(reader, property))
            return false;
        if (result.m_aProperties.size() < kMaxProperties)
            result.m_aProperties.push_back(std::move(property));
    }
    return true;
}

// authserv-id [CFWS authres-version]; false when there is no authserv-id
// (an empty quoted string names no server) or the version is not 1.
bool ReadHead(Reader& reader, Field& field)
{
    if (!reader.SkipCfws() || !reader.Value(field.m_sAuthServId) || field.m_sAuthServId.empty() || !reader.SkipCfws())
        return false;
    if (platform::IsDigit(reader.Peek())) {
        const std::string digits = reader.Keyword();
        if (digits != "1" || !reader.SkipCfws())
            return false;
    }
    return true;
}

}  // namespace

std::string_view Result::Find(std::string_view type, std::string_view name) const
{
    for (const Property& property : m_aProperties)
        if (property.m_sType == type && property.m_sName == name)
            return property.m_sValue;
    return {};
}

std::string AuthServId(std::string_view value)
{
    Reader reader(value);
    Field field;
    return ReadHead(reader, field) ? field.m_sAuthServId : std::string();
}

std::optional<Field> Parse(std::string_view value)
{
    Reader reader(value);
    Field field;
    if (!ReadHead(reader, field))
        return std::nullopt;
    while (reader.Take(';')) {
        if (!reader.SkipCfws())
            return std::nullopt;
        if (reader.AtEnd())
            break;  // a trailing ";"
        // RFC 8601 §2.2 no-result: "; none", and nothing after it.
        if (field.m_aResults.empty() && platform::AsciiLower(platform::TrimSpace(reader.Rest())) == "none")
            return field;
        Result result;
        if (!ReadResult(reader, result))
            return std::nullopt;
        if (field.m_aResults.size() == kMaxResults)
            return field;
        field.m_aResults.push_back(std::move(result));
    }
    if (!reader.AtEnd())
        return std::nullopt;
    return field;
}

}  // namespace auth_results
