#include "project/command_entry.h"

#include <cstdlib>

// One entry field of a custom command string, and the byte count typed before it: whatever is
// accepted is a byte (a count up to the limit), and a byte's two-digit form reads as that byte.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    if (const auto byte = ondrel::ParseEntryByte(text)) {
        if (*byte < 0 || *byte > 255)
            std::abort();
        const QString hex = QStringLiteral("%1").arg(*byte, 2, 16, QLatin1Char('0'));
        if (ondrel::ParseEntryByte(hex) != byte || ondrel::ParseEntryByte(hex.toUpper()) != byte)
            std::abort();
    }
    if (const auto count = ondrel::parseByteCount(text))
        if (*count < 0 || *count > ondrel::kMaxCommandBytes)
            std::abort();
    return 0;
}
