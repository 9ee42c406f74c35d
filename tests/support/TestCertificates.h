#pragma once

#include <string>

// A throwaway certificate authority and one server certificate signed by it,
// made with the `openssl` command line in a directory of the caller's: what
// the TLS tests give Dovecot (or their own server) and trust, or not.
struct TestCertificates {
    std::string m_sCaFile;       // the CA's certificate (PEM): what a client trusts
    std::string m_sCertFile;     // the server's certificate (PEM)
    std::string m_sKeyFile;      // its private key (PEM, unencrypted)
    std::string m_sFingerprint;  // SHA-256 of the server's certificate, "AB:CD:..."

    // subjectAltName as openssl writes it, e.g. "IP:127.0.0.1,DNS:localhost".
    // Keys are P-256: quick to make, and every TLS stack takes them.
    bool Make(const std::string& dir, const std::string& subjectAltName, std::string* psError);
};
