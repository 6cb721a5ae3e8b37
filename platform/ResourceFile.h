#pragma once
// Files from the executable's resources: the file interface, its in-memory implementation, and the
// path helpers that reach past the classic 260-character limit.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

// The abstract file. Failures are raised as NRError with a text.
class NRFile
{
public:
    virtual void ReadBin(void* destination, std::int32_t count) = 0;
    virtual void WriteBin(const void* source, std::int32_t count) = 0;
    virtual bool GetLength(std::uint64_t& length) = 0;
    virtual bool Skip(std::int32_t count) = 0;
    virtual void ReadString(std::string& text) = 0;
    virtual void WriteString(const char* text) = 0;

protected:
    ~NRFile() = default;  // never deleted through the interface
};

// A file in a heap buffer. Writes append at the end of the data, reads go from a read position.
class MemFile : public NRFile
{
public:
    static constexpr std::int32_t kGrowthStep = 8096;

    MemFile();
    ~MemFile();
    MemFile(const MemFile&) = delete;
    MemFile& operator=(const MemFile&) = delete;

    void ReadBin(void* destination, std::int32_t count) override;
    void WriteBin(const void* source, std::int32_t count) override;
    bool GetLength(std::uint64_t& length) override;
    bool Skip(std::int32_t count) override;
    // Reads up to and past the next zero byte.
    void ReadString(std::string& text) override;
    // Writes the text and a zero byte.
    void WriteString(const char* text) override;

    // Takes `data` without copying; the caller gets it back with Detach before the file goes.
    void Attach(std::uint8_t* data, std::int32_t size, std::int32_t capacity);
    void Detach();
    // Writes the whole data to a new file (an existing one is replaced). True when the file was
    // created and written.
    bool SaveToFile(const std::string& path) const;

    // When set, the string operations work on the companion instead of on this file.
    void SetCompanion(std::unique_ptr<MemFile> companion) { m_companion = std::move(companion); }

    const std::uint8_t* Data() const { return m_buffer; }
    std::int32_t Capacity() const { return m_capacity; }
    std::int32_t Position() const { return m_position; }
    std::int32_t Size() const { return m_size; }

private:
    std::uint8_t* m_buffer = nullptr;
    std::int32_t m_capacity = 0;
    std::int32_t m_position = 0;
    std::int32_t m_size = 0;
    std::unique_ptr<MemFile> m_companion;
};

// Lends bytes that belong to someone else (resource memory, a stack buffer) to a MemFile for one
// scope: attached when made, detached on every way out, exceptions included, so the file never
// frees them.
class MemFileLoan
{
public:
    MemFileLoan(MemFile& file, std::uint8_t* data, std::int32_t size) : m_file(file) { file.Attach(data, size, size); }
    ~MemFileLoan() { m_file.Detach(); }
    MemFileLoan(const MemFileLoan&) = delete;
    MemFileLoan& operator=(const MemFileLoan&) = delete;

private:
    MemFile& m_file;
};

// Writes resource `id` of type `type` from the executable to `path`, replacing a file there even if
// it is read-only, whole or not at all (platform/FileReplacement.h). The folder must exist. False,
// and the file as it was, when the resource is not there or the file cannot be replaced.
bool ExtractResourceToFile(int id, const char* type, const std::string& path);

// The bytes of resource `id` of type `type` in the executable, which stay valid while it runs.
// False when the resource is not there.
bool FindResourceBytes(int id, const char* type, const void*& bytes, DWORD& size);

// Writes resource `id` of type `type` to `path` as a new file (CREATE_NEW): an existing entry of
// that name, a link included, is never opened, and the write fails. False, and no file made by
// this call, when the resource is not there or the file cannot be made or written.
bool ExtractResourceToNewFile(int id, const char* type, const std::string& path);

// Creates the folder and every missing folder above it, from the outside in. Stops with false at
// the first level that cannot be created; the levels made before it stay.
bool CreateDirectoryPath(const std::string& path);

// The path's attribute bits, or INVALID_FILE_ATTRIBUTES when nothing is there. Paths of 260
// characters or more are queried in their \\?\ form.
DWORD GetFileAttributesLong(const std::string& path);

// "\\?\" + path, "\\?\UNC\" + path without its leading "\\" for a network path, or the path
// unchanged when it already has the prefix; converted with the thread's ANSI code page.
std::wstring MakeLongPathW(const std::string& path);
std::wstring MakeLongPathW(const std::wstring& path);
