#pragma once
// The elevated run's own folder for what it runs and loads: made for this run with a unique name,
// under a parent where standard users may neither rename nor delete entries (the Windows temporary
// folder), with an access list that lets only SYSTEM and Administrators in, set by the call that
// creates it. Files inside are created new; the files written and the folder are removed again.
#include <string>
#include <vector>

#include "platform/Handle.h"

// Writes a resource of the executable to a new file; ExtractResourceToNewFile.
typedef bool (*ExtractNewFileFn)(int resource, const char* type, const std::string& path);

// "<Windows folder>\Temp\", from GetSystemWindowsDirectoryW (the real one, also under Terminal
// Services); empty when it cannot be read.
std::string WindowsTemporaryFolder();

class RunFolder
{
public:
    // Makes "<parent>NoxSetup-<random GUID>\"; `parent` is a full path with a final backslash.
    explicit RunFolder(const std::string& parent);
    // Removes what Remove would, on every way out.
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    bool Made() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }  // with a final backslash

    // Writes resource `resource` of `type` into the new file `name` with `extract`.
    bool Extract(int resource, const char* type, const char* name, ExtractNewFileFn extract);
    // Opens the file `name` for reading and running, shared for reading only: while the handle is
    // held nobody can write, replace, rename or delete it.
    NRHandle Hold(const char* name) const;
    // Deletes the files written here and then the folder, which is then empty unless a program
    // started from it left something (it stays then, as protected as before). Nothing is emptied by
    // listing: only the names this run wrote are deleted.
    void Remove();

private:
    std::string m_path;
    std::vector<std::string> m_files;
};
