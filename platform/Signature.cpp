#include "platform/Signature.h"

// clang-format off
#include <wintrust.h>
#include <softpub.h>
#include <wincrypt.h>
// clang-format on

#include <cstddef>
#include <cstring>

#include "platform/SystemLibrary.h"
#include "platform/Text.h"

const char kExpectedSignerName[] = "NOX RACING LIMITED";

namespace {

// Not in every SDK's headers.
constexpr LONG kTrustNoSignature = static_cast<LONG>(0x800B0100);
constexpr LONG kTrustBadDigest = static_cast<LONG>(0x80096010);
constexpr LONG kTrustProviderUnknown = static_cast<LONG>(0x800B0001);

// The record as Windows XP knows it: it ends with dwUIContext.
constexpr DWORD kTrustDataSize = offsetof(WINTRUST_DATA, dwUIContext) + sizeof(DWORD);

// The verification's functions, bound from the system folder's wintrust.dll and crypt32.dll for as
// long as the object lives.
class TrustFunctions
{
public:
    typedef LONG(WINAPI* WinVerifyTrustFn)(HWND, GUID*, LPVOID);
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

bool VerifyFileSignature(const std::wstring& path, std::string& message)
{
    const TrustFunctions functions;
    if (!functions.winVerifyTrust) {
        message = SignatureResultText(HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
        return false;
    }

    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = path.c_str();

    WINTRUST_DATA trust = {};
    trust.cbStruct = kTrustDataSize;
    trust.dwUIChoice = WTD_UI_NONE;
    trust.fdwRevocationChecks = WTD_REVOKE_NONE;
    trust.dwUnionChoice = WTD_CHOICE_FILE;
    trust.pFile = &file;
    trust.dwStateAction = WTD_STATEACTION_VERIFY;

    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    HWND noUserInterface = static_cast<HWND>(INVALID_HANDLE_VALUE);
    const LONG result = functions.winVerifyTrust(noUserInterface, &action, &trust);
    message = SignatureResultText(result);

    bool verdict = false;
    if (result == ERROR_SUCCESS) {
        const std::string signer = SignerName(functions, trust.hWVTStateData);
        verdict = signer == kExpectedSignerName;
        if (!verdict) {
            message = signer.empty()
                          ? std::string("The signer of the file cannot be read")
                          : FormatText("The file is signed by \"%s\", not by %s", signer.c_str(), kExpectedSignerName);
        }
    }

    // Always release what the verification holds, whatever its outcome.
    trust.dwUIChoice = WTD_UI_NONE;
    trust.dwStateAction = WTD_STATEACTION_CLOSE;
    functions.winVerifyTrust(noUserInterface, &action, &trust);
    return verdict;
}
