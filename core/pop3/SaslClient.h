#pragma once

#include <memory>
#include <string>
#include <string_view>

// The client side of one SASL exchange (RFC 4422) for the mechanisms GNU
// SASL carries: PLAIN, LOGIN, CRAM-MD5, SCRAM-SHA-1 and SCRAM-SHA-256 and
// their -PLUS forms. Bytes in, bytes out: base64 and the POP3 lines are the
// caller's (RFC 5034). No GNU SASL type leaves this class.
//
// The password is handed to the library for the exchange only; buffers
// that held it or a response are wiped before they are freed.
namespace pop3 {

class SaslClient {
public:
    enum class Step : uint8_t {
        kMore,      // send the response and wait for the next challenge
        kDone,      // the exchange ended; for SCRAM the server proved itself
        kNotProof,  // SCRAM: the server's signature is wrong (RFC 5802 §5.1)
        kFailed,    // the challenge makes no sense to the mechanism
    };
    struct Credentials {
        std::string_view m_user;
        std::string_view m_password;
        // For a -PLUS mechanism: "tls-exporter" or "tls-unique", and the
        // binding's bytes.
        std::string_view m_bindingType;
        std::string_view m_bindingData;
    };

    SaslClient();
    ~SaslClient();
    SaslClient(const SaslClient&) = delete;
    SaslClient& operator=(const SaslClient&) = delete;

    // GNU SASL can run `mechanism` (an upper-case name) as a client.
    static bool Supports(std::string_view mechanism);
    // The client speaks first (RFC 4422 §3.3): PLAIN and SCRAM.
    static bool ClientFirst(std::string_view mechanism);

    // False when the mechanism cannot be started with these credentials.
    bool Start(const std::string& mechanism, const Credentials& credentials);
    // One round: the server's challenge (decoded) in, the response (raw
    // bytes) out. The first round of a client-first mechanism takes an
    // empty challenge.
    Step Next(std::string_view challenge, std::string& response);
    // SCRAM: the server's signature was checked (the last Next gave kDone).
    bool Done() const { return m_bDone; }

private:
    struct Library;
    std::unique_ptr<Library> m_pLibrary;
    bool m_bDone = false;
};

}  // namespace pop3
