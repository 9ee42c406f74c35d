#pragma once

// Real-world message shapes for the preview's tests: the pure table, the
// Dovecot row and the window. CR LF line ends, as a server sends them.
#include <string>

namespace preview_samples {

inline std::string Lines(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// multipart/alternative: quoted-printable Windows-1252 text, base64 UTF-8 HTML.
inline std::string Alternative()
{
    return Lines("From: =?windows-1252?Q?Ren=E9?= <rene@example.org>\n"
                 "To: you@example.org\nDate: Mon, 7 Dec 2026 10:00:00 +0000\nSubject: Invoice 4471\n"
                 "MIME-Version: 1.0\nContent-Type: multipart/alternative; boundary=\"alt\"\n\n"
                 "--alt\nContent-Type: text/plain; charset=windows-1252\n"
                 "Content-Transfer-Encoding: quoted-printable\n\n"
                 "Caf=E9 bill: 12 =80, due soon.=\nStill the same line.\n"
                 "--alt\nContent-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: base64\n\n"
                 "PHA+Q2Fmw6kgPGI+aHRtbDwvYj48L3A+\n--alt--\n");
}

// HTML only, with a remote image and a link whose words name another place.
inline std::string HtmlOnly(const std::string& imageUrl)
{
    return Lines("From: service@paypa1.example\nSubject: Your account\nMIME-Version: 1.0\n"
                 "Content-Type: text/html; charset=us-ascii\n\n"
                 "<html><head><style>p{color:red}</style><script>alert(1)</script></head><body>"
                 "<p>Dear&nbsp;customer &amp; friend,</p><p>Log in at <a href=\"https://evil.example/login\">"
                 "PayPal</a></p><img src=\""
                 + imageUrl + "\" alt=\"logo\"><img src=\"" + imageUrl + "\"></body></html>\n");
}

// TOP stopped inside a base64 attachment: no closing boundary.
inline std::string CutInBase64()
{
    return Lines("From: a@example.org\nSubject: Scan\nMIME-Version: 1.0\n"
                 "Content-Type: multipart/mixed; boundary=\"mix\"\n\n"
                 "--mix\nContent-Type: text/plain\n\nSee the scan.\n"
                 "--mix\nContent-Type: application/pdf; name=\"scan.pdf\"\n"
                 "Content-Transfer-Encoding: base64\nContent-Disposition: attachment; filename=\"scan.pdf\"\n\n"
                 "JVBERi0xLjQKJcfsj6IKNSAwIG9iago8PC9MZW5ndGggNiAwIFIvRmlsdGVyIC9GbGF0ZURlY29k\n"
                 "ZT4+CnN0cmVhbQp4nCtUMFAwAEJDCyMTCwMFQyMDhaJUhXCFPAUjAyBCMzNUMFQwMjIwMjAwUTA0\n");
}

// An attachment named with RFC 2231, an executable behind a document's extension.
inline std::string DoubleExtension()
{
    return Lines("From: billing@example.net\nSubject: Rechnung\nMIME-Version: 1.0\n"
                 "Content-Type: multipart/mixed; boundary=\"b\"\n\n"
                 "--b\nContent-Type: text/plain; charset=utf-8\n\nAnbei die Rechnung.\n"
                 "--b\nContent-Type: application/octet-stream\nContent-Transfer-Encoding: base64\n"
                 "Content-Disposition: attachment;\n filename*=UTF-8''Rechnung%20M%C3%A4rz.pdf.exe\n\n"
                 "TVqQAAMAAAAEAAAA//8AALgAAAAAAAAAQAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n"
                 "--b--\n");
}

// Multiparts nested `nLevels` deep, the words "deepest" at the bottom.
inline std::string Nested(int nLevels)
{
    std::string text = "From: a@example.org\nSubject: Nested\nMIME-Version: 1.0\n";
    for (int i = 0; i < nLevels; ++i) {
        text +=
            "Content-Type: multipart/mixed; boundary=\"n" + std::to_string(i) + "\"\n\n--n" + std::to_string(i) + "\n";
        if (i == 0)
            text += "Content-Type: text/plain\n\nthe outer words\n--n0\n";
    }
    text += "Content-Type: text/plain\n\ndeepest\n";
    for (int i = nLevels - 1; i >= 0; --i)
        text += "--n" + std::to_string(i) + "--\n";
    return Lines(text);
}

}  // namespace preview_samples
