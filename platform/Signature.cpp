#include "platform/Signature.h"

// clang-format off
#include <wintrust.h>
#include <softpub.h>
#include <wincrypt.h>
// clang-format on

#include <cstddef>
#include <cstring>
#include <memory>

#include "platform/SystemLibrary.h"
#include "platform/Text.h"

const char kExpectedSignerName[] = "NOX RACING LIMITED";

namespace {

// Not in every SDK's headers.
constexpr LONG kTrustNoSignature = static_cast<LONG>(0x800B0100);
constexpr LONG kTrustBadDigest = static_cast<LONG>(0x80096010);
constexpr LONG kTrustProviderUnknown = static_cast<LONG>(0x800B0001);
constexpr LONG kUntrustedRoot = static_cast<LONG>(0x800B0109);  // CERT_E_UNTRUSTEDROOT
constexpr LONG kNoChainToRoot = static_cast<LONG>(0x800B010A);  // CERT_E_CHAINING
constexpr LONG kUntrustedCa = static_cast<LONG>(0x800B0112);    // CERT_E_UNTRUSTEDCA
constexpr DWORD kCacheOnlyUrlRetrieval = 0x00001000;            // WTD_CACHE_ONLY_URL_RETRIEVAL

// What a missing intermediate or root certificate gives, which a download may mend.
bool IsChainOrRootFailure(LONG result)
{
    return result == kUntrustedRoot || result == kNoChainToRoot || result == kUntrustedCa;
}

// The record as Windows XP knows it: it ends with dwUIContext.
constexpr DWORD kTrustDataSize = offsetof(WINTRUST_DATA, dwUIContext) + sizeof(DWORD);

// The verification's functions, bound from the system folder's wintrust.dll and crypt32.dll for as
// long as the object lives.
class TrustFunctions
{
public:
    typedef CRYPT_PROVIDER_DATA*(WINAPI* ProvDataFromStateDataFn)(HANDLE);
    typedef CRYPT_PROVIDER_SGNR*(WINAPI* ProvSignerFromChainFn)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
    typedef CRYPT_PROVIDER_CERT*(WINAPI* ProvCertFromChainFn)(CRYPT_PROVIDER_SGNR*, DWORD);
    typedef DWORD(WINAPI* CertGetNameStringFn)(PCCERT_CONTEXT, DWORD, DWORD, void*, LPSTR, DWORD);

    TrustFunctions()
        : winVerifyTrust(m_wintrust.Find<WinVerifyTrustFn>("WinVerifyTrust")),
          provDataFromStateData(m_wintrust.Find<ProvDataFromStateDataFn>("WTHelperProvDataFromStateData")),
          provSignerFromChain(m_wintrust.Find<ProvSignerFromChainFn>("WTHelperGetProvSignerFromChain")),
          provCertFromChain(m_wintrust.Find<ProvCertFromChainFn>("WTHelperGetProvCertFromChain")),
          certGetNameString(m_crypt32.Find<CertGetNameStringFn>("CertGetNameStringA"))
    {
    }

private:
    NRSystemLibrary m_wintrust{"wintrust.dll"};
    NRSystemLibrary m_crypt32{"crypt32.dll"};

public:
    const WinVerifyTrustFn winVerifyTrust;
    const ProvDataFromStateDataFn provDataFromStateData;
    const ProvSignerFromChainFn provSignerFromChain;
    const ProvCertFromChainFn provCertFromChain;
    const CertGetNameStringFn certGetNameString;
};

// Display name of the certificate that signed the verified file, or empty.
std::string SignerName(const TrustFunctions& trust, HANDLE stateData)
{
    if (!trust.provDataFromStateData || !trust.provSignerFromChain || !trust.provCertFromChain ||
        !trust.certGetNameString)
        return std::string();
    CRYPT_PROVIDER_DATA* provider = trust.provDataFromStateData(stateData);
    if (!provider)
        return std::string();
    CRYPT_PROVIDER_SGNR* signer = trust.provSignerFromChain(provider, 0, FALSE, 0);
    if (!signer)
        return std::string();
    CRYPT_PROVIDER_CERT* certificate = trust.provCertFromChain(signer, 0);
    if (!certificate || !certificate->pCert)
        return std::string();

    DWORD x500 = CERT_X500_NAME_STR;
    const DWORD length =
        trust.certGetNameString(certificate->pCert, CERT_NAME_FRIENDLY_DISPLAY_TYPE, 0, &x500, nullptr, 0);
    if (length == 0)
        return std::string();
    char* buffer = static_cast<char*>(LocalAlloc(LPTR, length));
    if (!buffer)
        return std::string();
    std::string name;
    if (trust.certGetNameString(certificate->pCert, CERT_NAME_FRIENDLY_DISPLAY_TYPE, 0, &x500, buffer, length) != 0)
        name = buffer;
    LocalFree(buffer);
    return name;
}

}  // namespace

std::string SignatureResultText(LONG trustResult)
{
    switch (trustResult) {
    case ERROR_SUCCESS:
        return "File signature is OK";
    case kTrustNoSignature:
        return "No signature found on the file";
    case kTrustBadDigest:
        return "The signature of the file is invalid";
    case kTrustProviderUnknown:
        return "No trust provider on this machine can verify this type of files";
    default:
        return FormatText("WinVerifyTrust failed with error 0x%.8lX", static_cast<unsigned long>(trustResult));
    }
}

namespace {

// One verification of the file, whose state is kept for reading the signer until Close.
class TrustCheck
{
public:
    TrustCheck(WinVerifyTrustFn verify, const std::wstring& path, DWORD providerFlags) : m_verify(verify)
    {
        m_file.cbStruct = sizeof(m_file);
        m_file.pcwszFilePath = path.c_str();
        m_data.cbStruct = kTrustDataSize;
        m_data.dwUIChoice = WTD_UI_NONE;
        m_data.fdwRevocationChecks = WTD_REVOKE_NONE;
        m_data.dwUnionChoice = WTD_CHOICE_FILE;
        m_data.pFile = &m_file;
        m_data.dwStateAction = WTD_STATEACTION_VERIFY;
        m_data.dwProvFlags = providerFlags;
        m_result = m_verify(NoUserInterface(), &m_action, &m_data);
    }
    // Always releases what the verification holds, whatever its outcome.
    ~TrustCheck()
    {
        m_data.dwUIChoice = WTD_UI_NONE;
        m_data.dwStateAction = WTD_STATEACTION_CLOSE;
        m_verify(NoUserInterface(), &m_action, &m_data);
    }
    TrustCheck(const TrustCheck&) = delete;
    TrustCheck& operator=(const TrustCheck&) = delete;

    LONG Result() const { return m_result; }
    HANDLE State() const { return m_data.hWVTStateData; }

private:
    static HWND NoUserInterface() { return static_cast<HWND>(INVALID_HANDLE_VALUE); }

    WinVerifyTrustFn m_verify;
    GUID m_action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO m_file = {};
    WINTRUST_DATA m_data = {};
    LONG m_result = 0;
};

}  // namespace

bool VerifyFileSignature(const std::wstring& path, std::string& message, WinVerifyTrustFn winVerifyTrust)
{
    const TrustFunctions functions;
    const WinVerifyTrustFn verify = winVerifyTrust ? winVerifyTrust : functions.winVerifyTrust;
    if (!verify) {
        message = SignatureResultText(HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
        return false;
    }

    std::unique_ptr<TrustCheck> check(new TrustCheck(verify, path, kCacheOnlyUrlRetrieval));
    if (IsChainOrRootFailure(check->Result())) {
        check.reset();
        check.reset(new TrustCheck(verify, path, 0));
    }
    const LONG result = check->Result();
    message = SignatureResultText(result);
    if (result != ERROR_SUCCESS)
        return false;
    const std::string signer = SignerName(functions, check->State());
    if (signer == kExpectedSignerName)
        return true;
    message = signer.empty()
                  ? std::string("The signer of the file cannot be read")
                  : FormatText("The file is signed by \"%s\", not by %s", signer.c_str(), kExpectedSignerName);
    return false;
}
