#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Sender domains that imitate others: letters of two scripts in one label,
// a domain that reads as a trusted or often imitated one (ICU's spoof
// checker, UTS #39 skeletons), one typing edit away from one (as written or
// as its skeleton reads), or one that carries an often imitated brand's
// name (Brands.h) in another registrable domain (libpsl and the
// public-suffix list); and sender names that say such a brand over another
// domain's address.
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

// The domain for people, UTF-8: IDNA A-labels ("xn--...") decoded (UTS #46),
// in lower case; the text as given when it does not decode (bytes that are
// not UTF-8 read as Windows-1252).
std::string UnicodeDomain(std::string_view domain);

// The registrable domain by the public-suffix list: the public suffix and
// one label more ("secure-login.net" of "paypal.com.secure-login.net",
// "example.co.uk" of "mail.example.co.uk"); the domain itself when it is a
// public suffix. Lower case in, lower case out.
std::string RegistrableDomain(std::string_view domain);

// Why the domain (an address's part after "@", raw bytes) looks like
// another, or empty. `trusted` is the trusted-sender list; its domains join
// the brands' (kBrands). A domain equal to, or under, one of those, or a
// brand's word under any public suffix (google.de), is never flagged.
std::string Reason(std::string_view domain, const std::vector<std::string>& trusted);

// Why a sender's name (UTF-8) names a brand ("DHL Express") while the
// address's domain (raw bytes) is not one of the brand's, or empty.
std::string NameReason(std::string_view name, std::string_view domain);

}  // namespace look_alike
