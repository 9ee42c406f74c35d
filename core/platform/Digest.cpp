#include "Digest.h"

#include <openssl/evp.h>

namespace platform {

std::optional<std::array<uint8_t, 32>> Sha256(std::string_view bytes)
{
    std::array<uint8_t, 32> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1
        || length != digest.size())
        return std::nullopt;
    return digest;
}

std::optional<std::array<uint8_t, 16>> Md5(std::string_view bytes)
{
    std::array<uint8_t, 16> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_md5(), nullptr) != 1
        || length != digest.size())
        return std::nullopt;
    return digest;
}

}  // namespace platform
