#include "app/CopyDataCommand.h"

#include <cstring>

const std::uint8_t kCopyDataGuid[16] = {0xD7, 0xA1, 0x72, 0xB0, 0x25, 0x16, 0x80, 0x48,
                                        0xA8, 0x84, 0x61, 0x75, 0xD1, 0x99, 0x67, 0x33};

bool ParseCopyDataCommand(const COPYDATASTRUCT& record, CopyDataCommand& command)
{
    constexpr std::size_t kHeaderSize = sizeof(kCopyDataGuid) + sizeof(std::int32_t);
    // The code is read only when all four of its bytes are in the record.
    if (record.dwData != 0 || !record.lpData || record.cbData < kHeaderSize)
        return false;
    const auto* data = static_cast<const BYTE*>(record.lpData);
    if (std::memcmp(data, kCopyDataGuid, sizeof(kCopyDataGuid)) != 0)
        return false;
    std::int32_t code = 0;
    std::memcpy(&code, data + sizeof(kCopyDataGuid), sizeof(code));
    command.code = code;
    command.payload = data + kHeaderSize;
    command.payloadSize = record.cbData - kHeaderSize;
    return true;
}
