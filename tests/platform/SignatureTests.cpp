#include <gtest/gtest.h>

#include <windows.h>

// clang-format off
#include <wintrust.h>
#include <softpub.h>
// clang-format on

#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/Signature.h"
#include "platform/SystemLibrary.h"
#include "platform/Text.h"

using namespace testing_support;

namespace {

struct Verdict
{
    bool accepted;
    std::string message;
};

Verdict Verify(const std::string& buildFile)
{
    Verdict verdict{false, "(not set)"};
    verdict.accepted = VerifyFileSignature(AnsiToWide(BuildFile(buildFile)), verdict.message);
    return verdict;
}

}  // namespace

TEST(VerifyFileSignature, AcceptsOnlyTheMakersIntactSignature)
{
    const Verdict maker = Verify("fixture-signed-maker.exe");
    EXPECT_TRUE(maker.accepted);
    EXPECT_EQ("File signature is OK", maker.message);

    const Verdict installer = Verify("NoxSetup.exe");
    EXPECT_TRUE(installer.accepted) << installer.message;
}

TEST(VerifyFileSignature, RefusesUnsignedAndDamagedFiles)
{
    const Verdict unsigned_ = Verify("version_fixture.exe");
    EXPECT_FALSE(unsigned_.accepted);
    EXPECT_EQ("No signature found on the file", unsigned_.message);

    const Verdict tampered = Verify("fixture-tampered.exe");
    EXPECT_FALSE(tampered.accepted);
    EXPECT_EQ("The signature of the file is invalid", tampered.message);
}

TEST(VerifyFileSignature, RefusesAValidSignatureBySomeoneElseAndSaysSo)
{
    const Verdict other = Verify("fixture-signed-other.exe");
    EXPECT_FALSE(other.accepted);
    EXPECT_EQ("The file is signed by \"Someone Else Ltd\", not by NOX RACING LIMITED", other.message);

    // The name is compared exactly, letter case included.
    const Verdict mixedCase = Verify("fixture-signed-mixed-case.exe");
    EXPECT_FALSE(mixedCase.accepted);
    EXPECT_EQ("The file is signed by \"Nox Racing Limited\", not by NOX RACING LIMITED", mixedCase.message);
}

TEST(VerifyFileSignature, MissingFileIsRefusedWithTheSystemsCode)
{
    Verdict missing{true, ""};
    missing.accepted = VerifyFileSignature(L"C:\\no such folder\\nothing.exe", missing.message);
    EXPECT_FALSE(missing.accepted);
    EXPECT_EQ(0u, missing.message.find("WinVerifyTrust failed with error 0x")) << missing.message;
}

TEST(SignatureResultText, NamesTheKnownResultsAndShowsOthersAsEightHexDigits)
{
    EXPECT_EQ("File signature is OK", SignatureResultText(0));
    EXPECT_EQ("No signature found on the file", SignatureResultText(static_cast<LONG>(0x800B0100)));
    EXPECT_EQ("The signature of the file is invalid", SignatureResultText(static_cast<LONG>(0x80096010)));
    EXPECT_EQ("No trust provider on this machine can verify this type of files",
              SignatureResultText(static_cast<LONG>(0x800B0001)));
    // An untrusted root, and small codes that need leading zeros.
    EXPECT_EQ("WinVerifyTrust failed with error 0x800B0109", SignatureResultText(static_cast<LONG>(0x800B0109)));
    EXPECT_EQ("WinVerifyTrust failed with error 0x0000000A", SignatureResultText(10));
}

namespace {

// WinVerifyTrust as the system has it, recording what each call asks for; the first verification's
// answer can be replaced, as a PC without a cached root certificate would answer it.
struct TrustCall
{
    DWORD stateAction;
    DWORD providerFlags;
};
std::vector<TrustCall> g_trustCalls;
LONG g_replacedAnswer = 0;
int g_answersToReplace = 0;

LONG WINAPI RecordingWinVerifyTrust(HWND window, GUID* action, LPVOID data)
{
    static const NRSystemLibrary wintrust("wintrust.dll");
    const auto system = wintrust.Find<WinVerifyTrustFn>("WinVerifyTrust");
    const auto* trust = static_cast<const WINTRUST_DATA*>(data);
    g_trustCalls.push_back({trust->dwStateAction, trust->dwProvFlags});
    const LONG answer = system(window, action, data);
    if (trust->dwStateAction == WTD_STATEACTION_VERIFY && g_answersToReplace > 0) {
        --g_answersToReplace;
        return g_replacedAnswer;
    }
    return answer;
}

}  // namespace

TEST(VerifyFileSignature, TriesTheCacheFirstAndDownloadsOnlyAfterAChainOrRootFailure)
{
    constexpr LONG kUntrustedRoot = static_cast<LONG>(0x800B0109);
    constexpr LONG kBadDigest = static_cast<LONG>(0x80096010);
    constexpr DWORD kCacheOnly = WTD_CACHE_ONLY_URL_RETRIEVAL;
    const struct
    {
        const char* name;
        LONG replaced;
        int replacedAnswers;
        std::vector<DWORD> verifications;  // the provider flags of each verification, in order
        bool accepted;
        const char* message;
    } cases[] = {
        {"the cache suffices", 0, 0, {kCacheOnly}, true, "File signature is OK"},
        {"a root only a download finds", kUntrustedRoot, 1, {kCacheOnly, 0}, true, "File signature is OK"},
        {"no root anywhere", kUntrustedRoot, 2, {kCacheOnly, 0}, false, "WinVerifyTrust failed with error 0x800B0109"},
        {"a damaged file is not tried again",
         kBadDigest,
         1,
         {kCacheOnly},
         false,
         "The signature of the file is invalid"},
    };
    for (const auto& c : cases) {
        g_trustCalls.clear();
        g_replacedAnswer = c.replaced;
        g_answersToReplace = c.replacedAnswers;
        std::string message;
        const bool accepted =
            VerifyFileSignature(AnsiToWide(BuildFile("fixture-signed-maker.exe")), message, RecordingWinVerifyTrust);
        EXPECT_EQ(c.accepted, accepted) << c.name;
        EXPECT_EQ(c.message, message) << c.name;
        std::vector<DWORD> verifications;
        int closes = 0;
        for (const TrustCall& call : g_trustCalls) {
            if (call.stateAction == WTD_STATEACTION_VERIFY)
                verifications.push_back(call.providerFlags);
            closes += call.stateAction == WTD_STATEACTION_CLOSE;
        }
        EXPECT_EQ(c.verifications, verifications) << c.name;
        EXPECT_EQ(static_cast<int>(verifications.size()), closes) << c.name << ": each verification is closed";
    }
}
