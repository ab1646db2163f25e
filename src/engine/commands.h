// The command bytes that begin a host record (and an Outbound 3270DS
// structured field), in their local and remote forms.
#pragma once

#include <cstdint>

namespace kestrel::command {

enum : uint8_t {
    kWrite = 0x01,
    kWriteRemote = 0xF1,
    kEraseWrite = 0x05,
    kEraseWriteRemote = 0xF5,
    kEraseWriteAlternate = 0x0D,
    kEraseWriteAlternateRemote = 0x7E,
    kEraseAllUnprotected = 0x0F,
    kEraseAllUnprotectedRemote = 0x6F,
    kWriteStructuredField = 0x11,
    kWriteStructuredFieldRemote = 0xF3,
    kReadBuffer = 0x02,
    kReadBufferRemote = 0xF2,
    kReadModified = 0x06,
    kReadModifiedRemote = 0xF6,
    kReadModifiedAll = 0x6E,
};

}  // namespace kestrel::command
