#pragma once
// Narrow-text helpers shared by every layer: printf-style formatting into std::string and the
// conversions to UTF-16 that a few Windows calls need.
#include <cstdarg>
#include <string>

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatTextV(const char* format, va_list args);

// `text` with every line feed preceded by a carriage return, as Windows text files have it.
std::string WithCrLf(const std::string& text);

// Converts with the calling thread's ANSI code page (CP_THREAD_ACP), like the narrow Windows calls do.
std::wstring AnsiToWide(const std::string& text);
// The reverse, with the thread's ANSI code page; characters it lacks become its default character.
std::string WideToAnsi(const std::wstring& text);
