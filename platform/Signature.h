#pragma once
// Authenticode check of a file, and that the maker signed it.
#include <windows.h>

#include <string>

extern const char kExpectedSignerName[];  // "NOX RACING LIMITED"

// The one-line text for a WinVerifyTrust result.
std::string SignatureResultText(LONG trustResult);

// True only when the file's signature verifies and its signer's display name is exactly the maker's.
// `message` tells what WinVerifyTrust said; when the signature verifies but someone else signed it,
// `message` says that instead. Shows nothing and raises nothing.
bool VerifyFileSignature(const std::wstring& path, std::string& message);
