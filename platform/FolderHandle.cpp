#include "platform/FolderHandle.h"

#include <winternl.h>

#include <vector>

#include "platform/FileReplacement.h"
#include "platform/LinkSafeFile.h"
#include "platform/ResourceFile.h"
#include "platform/Text.h"

namespace {

typedef NTSTATUS(NTAPI* NtCreateFileFn)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                        ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
typedef NTSTATUS(NTAPI* NtSetInformationFileFn)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);

constexpr ULONG kFileBasicInformation = 4;
constexpr ULONG kFileRenameInformation = 10;
constexpr std::size_t kLongPathChars = 32768;
constexpr NTSTATUS kObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS kAccessDenied = static_cast<NTSTATUS>(0xC0000022);

struct BasicInformation
{
    LARGE_INTEGER creationTime;
    LARGE_INTEGER lastAccessTime;
    LARGE_INTEGER lastWriteTime;
    LARGE_INTEGER changeTime;
    ULONG fileAttributes;
};

template <typename Function>
Function NtdllFunction(const char* name)
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(ntdll, name))) : nullptr;
}

// Opens `name` relative to `folder`; a link at that name is opened as the link itself. NT's own
// call, as Win32 has no open relative to a handle.
NTSTATUS OpenInFolder(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                      ULONG options, NRHandle& file, SECURITY_ATTRIBUTES* security = nullptr)
{
    static const auto create = NtdllFunction<NtCreateFileFn>("NtCreateFile");
    if (!create)
        return static_cast<NTSTATUS>(0xC0000002);  // STATUS_NOT_IMPLEMENTED
    UNICODE_STRING unicodeName;
    unicodeName.Buffer = const_cast<wchar_t*>(name.c_str());
    unicodeName.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    unicodeName.MaximumLength = unicodeName.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &unicodeName, OBJ_CASE_INSENSITIVE, folder,
                               security ? security->lpSecurityDescriptor : nullptr);
    IO_STATUS_BLOCK status = {};
    HANDLE opened = nullptr;
    const NTSTATUS result = create(&opened, access, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, share,
                                   disposition, options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT,
                                   nullptr, 0);
    file.Reset(NT_SUCCESS(result) ? opened : nullptr);
    return result;
}

DWORD AttributesOf(HANDLE entry)
{
    BY_HANDLE_FILE_INFORMATION information;
    return GetFileInformationByHandle(entry, &information) ? information.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

// Clears the read-only attribute of the entry `name` of `folder`, which Windows would not delete.
bool MakeWritable(HANDLE folder, const std::wstring& name)
{
    static const auto setInformation = NtdllFunction<NtSetInformationFileFn>("NtSetInformationFile");
    constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    NRHandle entry;
    NTSTATUS opened = OpenInFolder(folder, name, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
                                   kShareAll, FILE_OPEN, 0, entry);
    // Wine refuses attribute writes on a read-only file but sets attributes through any handle, as
    // its own SetFileAttributes does; Windows takes the first open.
    if (opened == kAccessDenied)
        opened = OpenInFolder(folder, name, FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, FILE_OPEN, 0, entry);
    if (!setInformation || !NT_SUCCESS(opened))
        return false;
    const DWORD attributes = AttributesOf(entry.Get());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    BasicInformation basic = {};
    basic.fileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
    if (basic.fileAttributes == 0)
        basic.fileAttributes = FILE_ATTRIBUTE_NORMAL;
    IO_STATUS_BLOCK status = {};
    return NT_SUCCESS(setInformation(entry.Get(), &status, &basic, sizeof(basic), kFileBasicInformation));
}

NTSTATUS OpenToDelete(HANDLE folder, const std::wstring& name, NRHandle& entry)
{
    return OpenInFolder(folder, name, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, 0, entry);
}

// Removes the entry `name` of `folder`, if there is one, through a handle to the entry itself.
bool RemoveEntry(HANDLE folder, const std::wstring& name)
{
    NRHandle entry;
    NTSTATUS opened = OpenToDelete(folder, name, entry);
    if (opened == kObjectNameNotFound)
        return true;
    // A read-only file: Windows refuses its deletion, Wine the open; the attribute goes first.
    const bool readOnly = NT_SUCCESS(opened) ? (AttributesOf(entry.Get()) & FILE_ATTRIBUTE_READONLY) != 0
                                             : opened == kAccessDenied;
    if (readOnly) {
        entry.Reset();
        if (!MakeWritable(folder, name))
            return false;
        opened = OpenToDelete(folder, name, entry);
    }
    const DWORD attributes = NT_SUCCESS(opened) ? AttributesOf(entry.Get()) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)))
        return false;
    return DeleteThroughHandle(entry.Get());
}

// Whether the open folder is the one `path` (a "\\?\X:\..." path) names: the name Windows resolved
// for it below its volume's root, and the volume, are the path's.
bool FolderIsAt(HANDLE folder, const std::wstring& path)
{
    constexpr std::size_t kPrefixChars = 4;  // "\\?\"
    if (path.size() < kPrefixChars + 3 || path[kPrefixChars + 1] != L':')
        return false;
    std::wstring below = path.substr(kPrefixChars + 2);
    while (below.size() > 1 && below.back() == L'\\')
        below.pop_back();
    std::vector<wchar_t> scratch(kLongPathChars);
    const wchar_t* resolved = nullptr;
    std::size_t resolvedChars = 0;
    if (!ResolvedNameBelowVolume(folder, scratch.data(), scratch.size(), resolved, resolvedChars) ||
        resolvedChars != below.size() || !SameText(resolved, below.c_str(), resolvedChars))
        return false;
    const std::wstring root = path.substr(kPrefixChars, 3);
    DWORD rootSerial = 0;
    BY_HANDLE_FILE_INFORMATION information;
    return GetVolumeInformationW(root.c_str(), nullptr, 0, &rootSerial, nullptr, nullptr, nullptr, 0) &&
           GetFileInformationByHandle(folder, &information) && information.dwVolumeSerialNumber == rootSerial;
}

// A folder handle that is what `path` names and no link; reset otherwise.
bool KeepIfFolderAt(NRHandle& folder, const std::wstring& path)
{
    BY_HANDLE_FILE_INFORMATION information;
    if (!folder || !GetFileInformationByHandle(folder.Get(), &information) ||
        !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !FolderIsAt(folder.Get(), path)) {
        folder.Reset();
        return false;
    }
    return true;
}

// FILE_RENAME_INFORMATION: the new name is relative to `root`.
struct RenameInformation
{
    BOOLEAN replaceIfExists;
    HANDLE root;
    ULONG nameBytes;
    wchar_t name[1];
};

// Renames the open `file` to `name` in `folder`, over an entry of that name that is no folder.
bool RenameInFolder(HANDLE file, HANDLE folder, const std::wstring& name)
{
    static const auto setInformation = NtdllFunction<NtSetInformationFileFn>("NtSetInformationFile");
    if (!setInformation)
        return false;
    std::vector<char> buffer(sizeof(RenameInformation) + name.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<RenameInformation*>(buffer.data());
    rename->replaceIfExists = TRUE;
    rename->root = folder;
    rename->nameBytes = static_cast<ULONG>(name.size() * sizeof(wchar_t));
    name.copy(rename->name, name.size());
    IO_STATUS_BLOCK status = {};
    return NT_SUCCESS(
        setInformation(file, &status, rename, static_cast<ULONG>(buffer.size()), kFileRenameInformation));
}

}  // namespace

bool NRFolderHandle::Open(const std::string& path)
{
    // Windows opens a link itself under FILE_FLAG_OPEN_REPARSE_POINT, and the handle's attributes
    // below tell; Wine follows a Unix link all the same and tells only by the path.
    const std::wstring longPath = MakeLongPathW(path);
    const DWORD pathAttributes = GetFileAttributesW(longPath.c_str());
    if (pathAttributes == INVALID_FILE_ATTRIBUTES || (pathAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    // No delete sharing: while the handle is held the folder cannot be renamed or deleted.
    m_folder.Reset(CreateFileW(longPath.c_str(), FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_TRAVERSE |
                                                                 FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return KeepIfFolderAt(m_folder, longPath);
}

bool NRFolderHandle::OpenInside(const NRFolderHandle& parent, const std::string& name, const std::string& path,
                                SECURITY_ATTRIBUTES* security)
{
    m_folder.Reset();
    if (!parent.m_folder)
        return false;
    OpenInFolder(parent.m_folder.Get(), AnsiToWide(name),
                 FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                 FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN_IF, FILE_DIRECTORY_FILE, m_folder, security);
    return KeepIfFolderAt(m_folder, MakeLongPathW(path));
}

bool NRFolderHandle::ReplaceFile(const std::string& name, const void* bytes, DWORD size)
{
    const std::wstring wideName = AnsiToWide(name);
    const std::wstring newName = AnsiToWide(NewFileBeside(name));
    if (!m_folder || !RemoveEntry(m_folder.Get(), newName))
        return false;
    // FILE_CREATE: should anyone put a name there in between, the call fails instead of opening it.
    NRHandle file;
    if (!NT_SUCCESS(OpenInFolder(m_folder.Get(), newName, FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE | SYNCHRONIZE,
                                 0, FILE_CREATE, FILE_NON_DIRECTORY_FILE, file)))
        return false;
    const bool whole = WriteWholeAndFlush(file.Get(), bytes, size);
    // Windows refuses to rename over a read-only file; a link or a file under the name is replaced
    // by the rename itself, in one step.
    NRHandle existing;
    const NTSTATUS opened = OpenToDelete(m_folder.Get(), wideName, existing);
    const bool readOnly = NT_SUCCESS(opened) ? (AttributesOf(existing.Get()) & FILE_ATTRIBUTE_READONLY) != 0
                                             : opened == kAccessDenied;
    existing.Reset();
    if (!whole || (readOnly && !MakeWritable(m_folder.Get(), wideName)) ||
        !RenameInFolder(file.Get(), m_folder.Get(), wideName)) {
        DeleteThroughHandle(file.Get());
        return false;
    }
    return true;
}
