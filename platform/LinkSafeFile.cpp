#include "platform/LinkSafeFile.h"

#include <cwchar>

namespace {


// FILE_DISPOSITION_INFORMATION through ntdll, which every Windows since NT has; the Win32 form
// (SetFileInformationByHandle) arrived only with Vista.
struct DispositionInformation
{
    BOOLEAN deleteFile;
};
struct StatusBlock
{
    union {
        LONG status;
        PVOID pointer;
    };
    ULONG_PTR information;
};
typedef LONG(NTAPI* NtSetInformationFileFn)(HANDLE, StatusBlock*, PVOID, ULONG, ULONG);
typedef LONG(NTAPI* NtQueryInformationFileFn)(HANDLE, StatusBlock*, PVOID, ULONG, ULONG);
constexpr ULONG kFileNameInformation = 9;
constexpr ULONG kFileDispositionInformation = 13;
struct FileNameInformation
{
    ULONG length;  // in bytes
    wchar_t name[1];
};
constexpr int kMaxNumber = 10000;

template <typename Function>
Function NtdllFunction(const char* name)
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(ntdll, name))) : nullptr;
}

// Looked up before the program runs: the crash reporter checks its file after the heap may be gone,
// and looking up by name takes heap memory.
const auto g_setInformation = NtdllFunction<NtSetInformationFileFn>("NtSetInformationFile");
const auto g_queryInformation = NtdllFunction<NtQueryInformationFileFn>("NtQueryInformationFile");

// The length of the folder part of `path`: up to its last backslash.
std::size_t FolderChars(const wchar_t* path)
{
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    return slash ? static_cast<std::size_t>(slash - path) : 0;
}

}  // namespace

// Other letters than ASCII ones must match exactly: a mismatch refuses the file, which is the safe
// way to err. No locale and no lock, which the runtime's comparisons take.
bool SameText(const wchar_t* a, const wchar_t* b, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'a' && x <= L'z')
            x = static_cast<wchar_t>(x - L'a' + L'A');
        if (y >= L'a' && y <= L'z')
            y = static_cast<wchar_t>(y - L'a' + L'A');
        if (x != y || x == L'\0')
            return false;
    }
    return true;
}

bool ResolvedNameBelowVolume(HANDLE file, wchar_t* scratch, std::size_t scratchChars, const wchar_t*& name,
                             std::size_t& nameChars)
{
    // FileNameInformation rather than GetFinalPathNameByHandle, which takes heap memory and is
    // missing before Vista.
    if (!g_queryInformation || scratchChars < 4)
        return false;
    StatusBlock status = {};
    auto* information = reinterpret_cast<FileNameInformation*>(scratch);
    const ULONG bytes = static_cast<ULONG>((scratchChars - 1) * sizeof(wchar_t));
    if (g_queryInformation(file, &status, information, bytes, kFileNameInformation) < 0 ||
        information->length > bytes - sizeof(ULONG))
        return false;
    name = information->name;
    nameChars = information->length / sizeof(wchar_t);
    return true;
}

bool DeleteThroughHandle(HANDLE file)
{
    if (!g_setInformation)
        return false;
    DispositionInformation disposition = {TRUE};
    StatusBlock status = {};
    return g_setInformation(file, &status, &disposition, sizeof(disposition), kFileDispositionInformation) >= 0;
}

bool FileStaysIn(HANDLE file, const wchar_t* folder, std::size_t folderChars, wchar_t* scratch,
                 std::size_t scratchChars)
{
    // A second name is a hard link someone made to the file: what is written could be read, or
    // later replaced, under that name.
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information) || information.nNumberOfLinks != 1)
        return false;

    // The name Windows resolved, after every junction, mount point and object-manager link on the
    // way, below its volume's root: a folder swapped for a junction shows here.
    const wchar_t* resolved = nullptr;
    std::size_t resolvedChars = 0;
    if (!ResolvedNameBelowVolume(file, scratch, scratchChars, resolved, resolvedChars))
        return false;

    // The folder below its volume's root: "\\?\C:\dir" gives "\dir", "\\?\UNC\server\share\dir"
    // gives "\server\share\dir", as the file system names them.
    const std::size_t skip = SameText(folder, L"\\\\?\\UNC\\", 8) ? 7 : SameText(folder, L"\\\\?\\", 4) ? 6 : 2;
    if (folderChars < skip)
        return false;
    const wchar_t* below = folder + skip;
    const std::size_t belowChars = folderChars - skip;
    if (resolvedChars <= belowChars + 1 || !SameText(resolved, below, belowChars) ||
        resolved[belowChars] != L'\\')
        return false;
    for (std::size_t i = belowChars + 1; i < resolvedChars; ++i) {
        if (resolved[i] == L'\\')
            return false;
    }
    return true;
}

NewFileResult CreateNewFileIn(const wchar_t* path, NRHandle& file, wchar_t* scratch, std::size_t scratchChars)
{
    // CREATE_NEW takes the name only while nothing has it, so a link planted under the name is
    // never opened, let alone followed.
    HANDLE made = CreateFileW(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const DWORD error = GetLastError();
    file.Reset(made);
    if (!file) {
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? NewFileResult::NameTaken
                                                                           : NewFileResult::Failed;
    }
    if (FileStaysIn(file.Get(), path, FolderChars(path), scratch, scratchChars))
        return NewFileResult::Created;
    DeleteThroughHandle(file.Get());
    file.Reset();
    return NewFileResult::Elsewhere;
}

int WriteFirstFreeFile(const wchar_t* base, const char* text, std::size_t length, wchar_t* path,
                       std::size_t pathChars, wchar_t* scratch, std::size_t scratchChars)
{
    for (int number = 0; number < kMaxNumber; ++number) {
        const int pathLength = number == 0 ? std::swprintf(path, pathChars, L"%ls.txt", base)
                                           : std::swprintf(path, pathChars, L"%ls (%d).txt", base, number);
        if (pathLength < 0)
            return -1;
        NRHandle file;
        const NewFileResult made = CreateNewFileIn(path, file, scratch, scratchChars);
        if (made == NewFileResult::NameTaken)
            continue;
        if (made != NewFileResult::Created)
            return -1;
        DWORD written = 0;
        const bool complete = WriteFile(file.Get(), text, static_cast<DWORD>(length), &written, nullptr) &&
                              written == length && FlushFileBuffers(file.Get());
        return complete ? number : -1;
    }
    return -1;
}
