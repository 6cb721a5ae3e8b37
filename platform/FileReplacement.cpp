#include "platform/FileReplacement.h"

#include "platform/Handle.h"
#include "platform/ResourceFile.h"

namespace {

constexpr DWORD kMaxKeptBytes = 64u * 1024u * 1024u;

bool Exists(DWORD attributes) { return attributes != INVALID_FILE_ATTRIBUTES; }

// Removes whatever is at `path`: a file (read-only too), a link to a file or a folder as the link.
// A real folder stays, and the create after it fails.
void RemoveEntry(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (!Exists(attributes))
        return;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveDirectoryW(path.c_str());
    else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        DeleteFileW(path.c_str());
}

bool ReadWhole(const std::wstring& path, std::vector<char>& bytes)
{
    const NRHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxKeptBytes)
        return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
            read == bytes.size());
}

}  // namespace

bool WriteWholeAndFlush(HANDLE file, const void* bytes, DWORD size, FileWriteFn write)
{
    DWORD written = 0;
    LARGE_INTEGER onDisk = {};
    return (write ? write : WriteFile)(file, bytes, size, &written, nullptr) && written == size &&
           FlushFileBuffers(file) && GetFileSizeEx(file, &onDisk) && onDisk.QuadPart == size;
}

std::string NewFileBeside(const std::string& path) { return path + ".NoxSetup-new"; }

FileReplacement::FileReplacement(const std::string& path, FileWriteFn write)
    : m_path(path), m_target(MakeLongPathW(path)), m_newFile(MakeLongPathW(NewFileBeside(path))),
      m_write(write ? write : WriteFile)
{
}

FileReplacement::~FileReplacement()
{
    if (m_written && !m_placed)
        DeleteFileW(m_newFile.c_str());
}

bool FileReplacement::Write(const void* bytes, DWORD size)
{
    // Never trusted: what is there may be half a file, or a link someone made.
    RemoveEntry(m_newFile);
    NRHandle file(CreateFileW(m_newFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return false;
    m_written = true;
    const bool whole = WriteWholeAndFlush(file.Get(), bytes, size, m_write);
    file.Reset();
    if (!whole) {
        DeleteFileW(m_newFile.c_str());
        m_written = false;
    }
    return whole;
}

bool FileReplacement::KeepOld()
{
    m_oldAttributes = GetFileAttributesW(m_target.c_str());
    m_oldExisted = Exists(m_oldAttributes);
    m_kept = !m_oldExisted || ReadWhole(m_target, m_old);
    return m_kept;
}

bool FileReplacement::PutInPlace()
{
    if (!m_written)
        return false;
    // Windows refuses to replace a read-only file (Wine does not).
    const DWORD attributes = GetFileAttributesW(m_target.c_str());
    const bool readOnly = Exists(attributes) && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly)
        SetFileAttributesW(m_target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!MoveFileExW(m_newFile.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        if (readOnly)
            SetFileAttributesW(m_target.c_str(), attributes);
        return false;
    }
    m_placed = true;
    return true;
}

bool FileReplacement::PutBack()
{
    if (!m_placed)
        return true;
    if (!m_kept)
        return false;
    if (!m_oldExisted)
        return DeleteFileW(m_target.c_str()) != FALSE;
    FileReplacement old(m_path);
    if (!old.Write(m_old.data(), static_cast<DWORD>(m_old.size())) || !old.PutInPlace())
        return false;
    SetFileAttributesW(m_target.c_str(), m_oldAttributes);
    m_placed = false;
    return true;
}

bool ReplaceFileWhole(const std::string& path, const void* bytes, DWORD size, FileWriteFn write)
{
    FileReplacement replacement(path, write);
    return replacement.Write(bytes, size) && replacement.PutInPlace();
}
