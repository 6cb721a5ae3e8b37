#pragma once
// Files the elevated installer creates in a folder that a standard user may change (the install
// folder, the folder it was started from): always a new file, never opened through a link, and
// checked once open that it is where it was meant to be. Takes no memory from the heap, so the
// crash reporter can use it too.
#include <windows.h>

#include <cstddef>

#include "platform/Handle.h"

enum class NewFileResult
{
    Created,    // `file` holds the new file, open for writing
    NameTaken,  // something (a file, a folder, a link) has the name already: nothing was opened
    Elsewhere,  // the file made had a second name or lay outside the folder: it is deleted again
    Failed,     // nothing made
};

// Creates `path` (a \\?\ path) new for writing, no link followed at its last step, then checks it
// with FileStaysIn against the folder `path` names. A file that fails the check is deleted through
// its handle, never by its name. `scratch` (MAX_PATH characters or more) takes the final path.
NewFileResult CreateNewFileIn(const wchar_t* path, NRHandle& file, wchar_t* scratch, std::size_t scratchChars);

// Creates "<base>.txt", else "<base> (1).txt" and so on, the first name free, with CreateNewFileIn,
// and writes `text` into it; the name taken is left in `path`. The number taken (0 for none), or -1
// when no file could be made or written, or the one made was elsewhere.
int WriteFirstFreeFile(const wchar_t* base, const char* text, std::size_t length, wchar_t* path,
                       std::size_t pathChars, wchar_t* scratch, std::size_t scratchChars);

// The check on an open file: false when it has more than one name, or when the name Windows
// resolved for it (below its volume's root) lies anywhere but directly inside the first
// `folderChars` characters of `folder` (a \\?\ path, without a final backslash). `scratch` must be
// aligned for a ULONG.
bool FileStaysIn(HANDLE file, const wchar_t* folder, std::size_t folderChars, wchar_t* scratch,
                 std::size_t scratchChars);

// The name Windows resolved for an open file or folder below its volume's root ("\dir\file"),
// after every junction, mount point and link on the way: `name` points into `scratch` (aligned for
// a ULONG), `nameChars` long. False when it cannot be read.
bool ResolvedNameBelowVolume(HANDLE file, wchar_t* scratch, std::size_t scratchChars, const wchar_t*& name,
                             std::size_t& nameChars);

// Whether the first `count` characters match, ASCII letters in either case.
bool SameText(const wchar_t* a, const wchar_t* b, std::size_t count);

// Marks an open file for deletion when its last handle closes; the handle needs DELETE access.
bool DeleteThroughHandle(HANDLE file);
