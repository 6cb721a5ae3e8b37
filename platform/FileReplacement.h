#pragma once
// Files replaced whole: the new content goes to a new file beside the old one, is flushed and its
// size read back, and only then takes the old one's place in one rename. A failed write, a full disk
// or a power cut at any point leaves the old file or the new one in place, never part of either, and
// the old file is never opened for writing.
#include <windows.h>

#include <string>
#include <vector>

// WriteFile's shape: where tests make a write fail half way or end short.
typedef BOOL(WINAPI* FileWriteFn)(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);

// Writes `size` bytes to the open `file` and flushes it: true only when all of them are on the
// disk, as the file's size read back says. `write` null: WriteFile.
bool WriteWholeAndFlush(HANDLE file, const void* bytes, DWORD size, FileWriteFn write = nullptr);

// "<path>.NoxSetup-new", the new file beside `path` while it is written. One fixed name, so that
// what an interrupted run left there is found, and removed, by the next.
std::string NewFileBeside(const std::string& path);

class FileReplacement
{
public:
    // `write` null: WriteFile.
    explicit FileReplacement(const std::string& path, FileWriteFn write = nullptr);
    // Removes the new file if it never took the old one's place.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Writes `bytes` to the new file beside the old: whatever has its name goes first (a link as a
    // link, never followed), then the file is created new, written, flushed and its size compared.
    // False, and no new file, when any of that fails.
    bool Write(const void* bytes, DWORD size);
    // Reads the old file, so that PutBack can restore it. False when it is there but unreadable.
    bool KeepOld();
    // Puts the written file in the old one's place in one step (replacing it, read-only or not, and
    // through to the disk before it returns). False, and the old file as it was, on failure.
    bool PutInPlace();
    // Undoes PutInPlace: the old file kept by KeepOld goes back, or the new file goes when there was
    // none before.
    bool PutBack();

private:
    std::string m_path;
    std::wstring m_target;
    std::wstring m_newFile;
    FileWriteFn m_write;
    bool m_written = false;
    bool m_placed = false;
    bool m_kept = false;
    bool m_oldExisted = false;
    DWORD m_oldAttributes = INVALID_FILE_ATTRIBUTES;
    std::vector<char> m_old;
};

// Write and PutInPlace in one.
bool ReplaceFileWhole(const std::string& path, const void* bytes, DWORD size, FileWriteFn write = nullptr);
