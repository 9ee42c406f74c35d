#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Sender domains that imitate others: letters of two scripts in one label,
// a domain that reads as a trusted or often imitated one (ICU's spoof
// checker, UTS #39 skeletons), or one typing edit away from one.
namespace look_alike {

// RFC 1035 §2.3.4: no domain name is longer; a longer one is not checked.
inline constexpr size_t kMaxDomainLength = 253;
// Domains checked per thread whose verdict is kept: mail comes from far
// fewer; past it the cache starts again, so a long scan cannot grow it.
inline constexpr size_t kMaxCachedDomains = 4096;
// The shortest name (the label before the top-level domain) the one-edit
// check compares: shorter names have many honest neighbours (ups.com and
// usps.com).
inline constexpr size_t kMinEditName = 6;

// Domains phishing mail imitates most; each is compared as trusted
// senders' domains are.
inline constexpr const char* kImitatedDomains[] = {
    "paypal.com",   "apple.com",   "icloud.com",   "microsoft.com", "outlook.com",   "office.com",
    "amazon.com",   "google.com",  "gmail.com",    "facebook.com",  "instagram.com", "netflix.com",
    "linkedin.com", "dropbox.com", "docusign.com", "yahoo.com",     "ebay.com",      "dhl.com",
};

// The domain for people, UTF-8: IDNA A-labels ("xn--...") decoded (UTS #46),
// in lower case; the text as given when it does not decode (bytes that are
// not UTF-8 read as Windows-1252).
std::string UnicodeDomain(std::string_view domain);

// Why the domain (an address's part after "@", raw bytes) looks like
// another, or empty. `trusted` is the trusted-sender list; its domains join
// kImitatedDomains. A domain equal to, or under, one of those is never
// flagged.
std::string Reason(std::string_view domain, const std::vector<std::string>& trusted);

}  // namespace look_alike
