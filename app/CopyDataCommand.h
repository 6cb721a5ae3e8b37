#pragma once
// The settings commands other programs of the maker send to an application window by WM_COPYDATA: a
// record with dwData 0 whose data starts with the 16-byte identifier CopyDataGuid
// {B072A1D7-1625-4880-A884-6175D1996733}, followed by a 32-bit command code and the command's payload.
#include <windows.h>

#include <cstddef>
#include <cstdint>

// The identifier as it stands in the record (GUID byte order).
extern const std::uint8_t kCopyDataGuid[16];

struct CopyDataCommand
{
    int code;
    const BYTE* payload;  // the bytes after the code, inside the record
    std::size_t payloadSize;
};

// The command in `record`, or false when the record is not one: another dwData, another identifier,
// or too short to hold the identifier and a whole command code.
bool ParseCopyDataCommand(const COPYDATASTRUCT& record, CopyDataCommand& command);
