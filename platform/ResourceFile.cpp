#include "platform/ResourceFile.h"

#include <shlwapi.h>

#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/Error.h"
#include "platform/FileReplacement.h"
#include "platform/Handle.h"
#include "platform/Text.h"

namespace {

constexpr std::int64_t kMaxSize = std::numeric_limits<std::int32_t>::max();
// CreateDirectoryA leaves room for an 8.3 file name below the folder.
constexpr size_t kMaxShortDirectoryPath = MAX_PATH - 12;

bool IsDirectory(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateSingleDirectory(const std::string& path)
{
    if (path.size() < kMaxShortDirectoryPath)
        return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
    return CreateDirectoryW(MakeLongPathW(path).c_str(), nullptr) != FALSE;
}

HANDLE CreateFileLong(const std::string& path, DWORD access, DWORD disposition, DWORD flags)
{
    if (path.size() < MAX_PATH)
        return CreateFileA(path.c_str(), access, 0, nullptr, disposition, flags, nullptr);
    return CreateFileW(MakeLongPathW(path).c_str(), access, 0, nullptr, disposition, flags, nullptr);
}

}  // namespace

MemFile::MemFile()
{
    m_buffer = static_cast<std::uint8_t*>(std::malloc(kGrowthStep));
    m_capacity = m_buffer ? kGrowthStep : 0;
}

MemFile::~MemFile() { std::free(m_buffer); }

void MemFile::ReadBin(void* destination, std::int32_t count)
{
    // Unsigned, as the sizes are: a negative count is a huge one and never fits.
    const std::uint64_t end =
        static_cast<std::uint64_t>(static_cast<std::uint32_t>(m_position)) + static_cast<std::uint32_t>(count);
    if (end > static_cast<std::uint32_t>(m_size))
        throw NRError("MemFile::ReadBin : out of space");
    std::memcpy(destination, m_buffer + m_position, static_cast<size_t>(count));
    m_position += count;
}

void MemFile::WriteBin(const void* source, std::int32_t count)
{
    const std::int64_t needed = static_cast<std::int64_t>(m_size) + static_cast<std::uint32_t>(count);
    if (needed > kMaxSize)
        throw NRError("MemFile::WriteBin : out of memory");
    if (needed > m_capacity) {
        std::int64_t capacity = m_capacity;
        while (capacity < needed)
            capacity += kGrowthStep;
        if (capacity > kMaxSize)
            capacity = kMaxSize;
        auto* grown = static_cast<std::uint8_t*>(std::malloc(static_cast<size_t>(capacity)));
        if (!grown)
            throw NRError("MemFile::WriteBin : out of memory");
        if (m_size)
            std::memcpy(grown, m_buffer, static_cast<size_t>(m_size));
        std::free(m_buffer);
        m_buffer = grown;
        m_capacity = static_cast<std::int32_t>(capacity);
    }
    std::memcpy(m_buffer + m_size, source, static_cast<size_t>(count));
    m_size = static_cast<std::int32_t>(needed);
}

bool MemFile::GetLength(std::uint64_t& length)
{
    length = static_cast<std::uint32_t>(m_size);
    return true;
}

bool MemFile::Skip(std::int32_t count)
{
    const std::uint64_t end =
        static_cast<std::uint64_t>(static_cast<std::uint32_t>(m_position)) + static_cast<std::uint32_t>(count);
    if (end > static_cast<std::uint32_t>(m_size))
        return false;
    m_position = static_cast<std::int32_t>(end);
    return true;
}

void MemFile::ReadString(std::string& text)
{
    if (m_companion)
        return m_companion->ReadString(text);
    text.clear();
    for (;;) {
        char c = 0;
        ReadBin(&c, 1);
        if (c == '\0')
            return;
        text += c;
    }
}

void MemFile::WriteString(const char* text)
{
    if (m_companion)
        return m_companion->WriteString(text);
    for (const char* c = text; *c; ++c)
        WriteBin(c, 1);
    const char terminator = '\0';
    WriteBin(&terminator, 1);
}

void MemFile::Attach(std::uint8_t* data, std::int32_t size, std::int32_t capacity)
{
    std::free(m_buffer);
    m_buffer = data;
    m_size = size;
    m_capacity = capacity;
    m_position = 0;
}

void MemFile::Detach()
{
    m_buffer = nullptr;
    m_size = 0;
    m_position = 0;
    m_capacity = 0;
}

bool MemFile::SaveToFile(const std::string& path) const
{
    HANDLE file = CreateFileLong(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, FILE_FLAG_RANDOM_ACCESS);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, m_buffer, static_cast<DWORD>(m_size), &written, nullptr) != FALSE;
    FlushFileBuffers(file);
    CloseHandle(file);
    return ok;
}

bool FindResourceBytes(int id, const char* type, const void*& bytes, DWORD& size)
{
    const std::string name = FormatText("#%d", id);
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, name.c_str(), type);
    if (!resource)
        return false;
    HGLOBAL loaded = LoadResource(module, resource);
    if (!loaded)
        return false;
    bytes = LockResource(loaded);
    size = SizeofResource(module, resource);
    return bytes != nullptr;
}

bool ExtractResourceToNewFile(int id, const char* type, const std::string& path)
{
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!FindResourceBytes(id, type, bytes, size))
        return false;
    const NRHandle file(CreateFileW(MakeLongPathW(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes, size, &written, nullptr) && written == size;
}

bool ExtractResourceToFile(int id, const char* type, const std::string& path)
{
    const void* bytes = nullptr;
    DWORD size = 0;
    return FindResourceBytes(id, type, bytes, size) && ReplaceFileWhole(path, bytes, size);
}

bool CreateDirectoryPath(const std::string& path)
{
    if (IsDirectory(GetFileAttributesLong(path)))
        return true;
    const char* start = path.c_str();
    const char* position = PathFindNextComponentA(start);
    if (!position || !*position)
        return true;
    while (position) {
        const std::string prefix(start, position);
        if (prefix == "\\\\") {
            // The start of a network path: neither it nor the server name is a folder to create.
            position = PathFindNextComponentA(position);
            if (!position)
                break;
        } else if (!IsDirectory(GetFileAttributesLong(prefix)) && !CreateSingleDirectory(prefix)) {
            return false;
        }
        position = PathFindNextComponentA(position);
    }
    return true;
}

std::wstring MakeLongPathW(const std::string& path) { return MakeLongPathW(AnsiToWide(path)); }

std::wstring MakeLongPathW(const std::wstring& path)
{
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

DWORD GetFileAttributesLong(const std::string& path)
{
    if (path.size() < MAX_PATH)
        return GetFileAttributesA(path.c_str());
    return GetFileAttributesW(MakeLongPathW(path).c_str());
}
