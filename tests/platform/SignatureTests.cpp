#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "platform/Signature.h"
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
