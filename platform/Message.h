// Messages of the kit: a command code, delivered to a looper's MessageReceived.
#pragma once

#include "platform/Types.h"

// A four-character message code, 'abcd' read as a big-endian number.
constexpr uint32 FourCharCode(const char (&code)[5]) {
    return (static_cast<uint32>(static_cast<uint8>(code[0])) << 24) |
           (static_cast<uint32>(static_cast<uint8>(code[1])) << 16) |
           (static_cast<uint32>(static_cast<uint8>(code[2])) << 8) |
           static_cast<uint32>(static_cast<uint8>(code[3]));
}

constexpr uint32 B_QUIT_REQUESTED = FourCharCode("_QRQ");

struct BMessage {
    BMessage(uint32 command) : what(command) {}

    uint32 what;
};
