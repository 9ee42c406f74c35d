#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// SHA-256 (FIPS 180-4) of the bytes, through OpenSSL's EVP interface;
// empty when OpenSSL cannot give one (no SHA-256, no memory).
std::optional<std::array<uint8_t, 32>> Sha256(std::string_view bytes);
// MD5 (RFC 1321), for APOP's digest (RFC 1939 §7) only: never for telling
// messages apart.
std::optional<std::array<uint8_t, 16>> Md5(std::string_view bytes);

}  // namespace platform
