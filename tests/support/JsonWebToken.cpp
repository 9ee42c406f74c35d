#include "JsonWebToken.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

std::string Base64(std::string_view bytes)
{
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string Base64Url(std::string_view bytes)
{
    std::string text = Base64(bytes);
    while (!text.empty() && text.back() == '=')
        text.pop_back();
    for (char& c : text)
        c = c == '+' ? '-' : c == '/' ? '_' : c;
    return text;
}

std::string MintHs256Jwt(const std::string& claimsJson, const std::string& key)
{
    const std::string signedPart = Base64Url(R"({"alg":"HS256","typ":"JWT"})") + "." + Base64Url(claimsJson);
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int macLength = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
         reinterpret_cast<const unsigned char*>(signedPart.data()), signedPart.size(), mac, &macLength);
    return signedPart + "." + Base64Url(std::string_view(reinterpret_cast<const char*>(mac), macLength));
}
