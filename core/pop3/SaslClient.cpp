#include "SaslClient.h"

#include "SaslText.h"

#include <gsasl.h>

#include <string.h>  // explicit_bzero

namespace pop3 {

namespace {

// GNU SASL's library state, made once: gsasl_init reads no configuration and
// the context is only read after it is made.
Gsasl* Context()
{
    static Gsasl* pContext = [] {
        Gsasl* pMade = nullptr;
        return gsasl_init(&pMade) == GSASL_OK ? pMade : nullptr;
    }();
    return pContext;
}

// Sets a property from bytes that may hold a secret: the copy made for the
// call is wiped.
bool SetProperty(Gsasl_session* pSession, Gsasl_property property, std::string_view value)
{
    std::string text(value);
    const int rc = gsasl_property_set(pSession, property, text.c_str());
    explicit_bzero(text.data(), text.size());
    return rc == GSASL_OK;
}

}  // namespace

struct SaslClient::Library {
    Gsasl_session* m_pSession = nullptr;
    ~Library()
    {
        if (m_pSession)
            gsasl_finish(m_pSession);  // frees the properties, the password among them
    }
};

SaslClient::SaslClient() = default;
SaslClient::~SaslClient() = default;

bool SaslClient::Supports(std::string_view mechanism)
{
    Gsasl* pContext = Context();
    return pContext && gsasl_client_support_p(pContext, std::string(mechanism).c_str()) != 0;
}

bool SaslClient::ClientFirst(std::string_view mechanism)
{
    return mechanism == "PLAIN" || mechanism.starts_with("SCRAM-");
}

bool SaslClient::Start(const std::string& mechanism, const Credentials& credentials)
{
    m_pLibrary = std::make_unique<Library>();
    m_bDone = false;
    Gsasl* pContext = Context();
    if (!pContext || gsasl_client_start(pContext, mechanism.c_str(), &m_pLibrary->m_pSession) != GSASL_OK) {
        m_pLibrary->m_pSession = nullptr;
        return false;
    }
    Gsasl_session* pSession = m_pLibrary->m_pSession;
    if (!SetProperty(pSession, GSASL_AUTHID, credentials.m_user)
        || !SetProperty(pSession, GSASL_PASSWORD, credentials.m_password))
        return false;
    if (!mechanism.ends_with("-PLUS"))
        return true;
    const Gsasl_property binding = credentials.m_bindingType == "tls-exporter" ? GSASL_CB_TLS_EXPORTER
        : credentials.m_bindingType == "tls-unique"                            ? GSASL_CB_TLS_UNIQUE
                                                                               : Gsasl_property{};
    return binding != Gsasl_property{} && !credentials.m_bindingData.empty()
        && SetProperty(pSession, binding, Base64Encode(credentials.m_bindingData));
}

SaslClient::Step SaslClient::Next(std::string_view challenge, std::string& response)
{
    response.clear();
    if (!m_pLibrary || !m_pLibrary->m_pSession)
        return Step::kFailed;
    char* pOutput = nullptr;
    size_t nOutput = 0;
    const int rc = gsasl_step(m_pLibrary->m_pSession, challenge.data(), challenge.size(), &pOutput, &nOutput);
    if (pOutput) {
        response.assign(pOutput, nOutput);
        explicit_bzero(pOutput, nOutput);
        gsasl_free(pOutput);
    }
    switch (rc) {
    case GSASL_NEEDS_MORE:
        return Step::kMore;
    case GSASL_OK:
        m_bDone = true;
        return Step::kDone;
    case GSASL_AUTHENTICATION_ERROR:
        // SCRAM's server-final message is "e=..." when the server refuses,
        // "v=..." when it proves itself; only a wrong proof is kNotProof.
        return challenge.starts_with("v=") ? Step::kNotProof : Step::kFailed;
    default:
        return Step::kFailed;
    }
}

}  // namespace pop3
