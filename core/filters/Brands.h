#pragma once

// The brands phishing mail imitates most, as data: what a reader calls each
// one, the words that name it in a domain's labels or a sender's name, and
// the registrable domains it sends from. A domain that reads like one of
// these domains, carries one of the words in another registrable domain, or
// a name that says the brand over another domain's address is marked
// (look_alike). A brand's own word as a registrable domain under another
// public suffix (amazon.de, google.co.uk) is the brand's.
namespace look_alike {

struct Brand {
    const char* m_sName;     // for people: "PayPal"
    const char* m_sWords;    // lower case, blank-separated: whole labels, parts of hyphenated ones, or words of a name
    const char* m_sDomains;  // blank-separated registrable domains
};

inline constexpr Brand kBrands[] = {
    {"PayPal", "paypal", "paypal.com paypal.me"},
    {"Apple", "apple appleid icloud", "apple.com icloud.com me.com"},
    {"Microsoft", "microsoft office365 hotmail",
     "microsoft.com outlook.com office.com office365.com live.com hotmail.com microsoftonline.com"},
    {"Amazon", "amazon", "amazon.com amazonaws.com amazonses.com"},
    {"Google", "google gmail", "google.com gmail.com googlemail.com googlegroups.com youtube.com"},
    {"Facebook", "facebook", "facebook.com facebookmail.com"},
    {"Instagram", "instagram", "instagram.com"},
    {"Netflix", "netflix", "netflix.com"},
    {"LinkedIn", "linkedin", "linkedin.com"},
    {"Dropbox", "dropbox", "dropbox.com dropboxmail.com hellosign.com"},
    {"DocuSign", "docusign", "docusign.com docusign.net"},
    {"Yahoo", "yahoo", "yahoo.com yahoo-inc.com"},
    {"eBay", "ebay", "ebay.com ebay-kleinanzeigen.de"},
    {"DHL", "dhl", "dhl.com dhl.de"},
    {"FedEx", "fedex", "fedex.com"},
    {"Wells Fargo", "wellsfargo", "wellsfargo.com"},
    {"Bank of America", "bankofamerica", "bankofamerica.com bofa.com"},
    {"American Express", "amex americanexpress", "americanexpress.com aexp.com"},
    {"Coinbase", "coinbase", "coinbase.com"},
    {"WhatsApp", "whatsapp", "whatsapp.com"},
};

}  // namespace look_alike
