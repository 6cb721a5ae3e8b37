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
//
// The chain is built from what the machine has cached first, so that a PC on a network without the
// internet does not wait at start-up for certificate downloads that time out; only a chain or root
// failure is tried again with downloads allowed, and that answer is the one reported.
// `winVerifyTrust` replaces wintrust's function for tests (null: the system's).
typedef LONG(WINAPI* WinVerifyTrustFn)(HWND window, GUID* action, LPVOID data);
bool VerifyFileSignature(const std::wstring& path, std::string& message, WinVerifyTrustFn winVerifyTrust = nullptr);
