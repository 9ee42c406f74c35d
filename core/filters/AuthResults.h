#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One Authentication-Results field (RFC 8601 §2.2), parsed: who checked
// (the authserv-id) and what each method found. Pure and bounded: the value
// comes from the message, so from whoever sent it.
namespace auth_results {

// Results kept of one field: a receiving server reports a handful (spf,
// dkim per signature, dmarc, arc, ...); the rest of a longer field is not read.
inline constexpr size_t kMaxResults = 32;
// Properties kept of one result (smtp.mailfrom, header.d, header.i, ...).
inline constexpr size_t kMaxProperties = 16;
// Comments nest (RFC 5322 §3.2.2); deeper than this the field is refused.
inline constexpr int kMaxCommentDepth = 8;

// ptype "." property "=" pvalue (RFC 8601 §2.2), the ptype and property in
// lower case; a property without a ptype ("action=none", as some servers
// write) has an empty m_sType.
struct Property {
    std::string m_sType;
    std::string m_sName;
    std::string m_sValue;
};

// One resinfo: the method and its result in lower case ("dmarc", "fail").
struct Result {
    std::string m_sMethod;
    std::string m_sResult;
    std::vector<Property> m_aProperties;

    // The value of the first property `type`.`name`; empty when absent.
    std::string_view Find(std::string_view type, std::string_view name) const;
};

struct Field {
    std::string m_sAuthServId;       // as written, quotes removed
    int m_nVersion = 1;              // RFC 8601 §2.2: absent means 1
    std::vector<Result> m_aResults;  // empty for "none"
};

// The authserv-id alone, read as Parse reads it; empty when the value does
// not start with one. Cheaper than Parse for the fields that are not trusted.
std::string AuthServId(std::string_view value);

// The field's value (unfolded, as CPop3Message::FindField gives it), or
// nothing when it does not follow the grammar: no authserv-id, a result
// without "=", an unclosed comment or quoted string, a version other than 1.
// Results past kMaxResults and properties past kMaxProperties are skipped.
std::optional<Field> Parse(std::string_view value);

}  // namespace auth_results
