#pragma once

#include <string>
#include <string_view>

// Tokens for the OAuth 2.0 tests: a JSON Web Token (RFC 7519) signed with
// HMAC-SHA-256 (RFC 7515 §A.1), as an authorisation server would issue, and
// the base64 forms they and SASL use.

// RFC 4648 §4, padded.
std::string Base64(std::string_view bytes);
// RFC 4648 §5 without padding, as JWS writes each part.
std::string Base64Url(std::string_view bytes);
// header.claims.signature: the header {"alg":"HS256","typ":"JWT"}, the
// claims as given (a JSON object), the MAC over both with `key`.
std::string MintHs256Jwt(const std::string& claimsJson, const std::string& key);
