#include "programming/intel_hex.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), int(size));
    const auto blocks = ondrel::parseFirmwareText(text);
    if (!blocks.ok())
        return 0;
    // Whatever is accepted must make packets the panel can take, clear of the reserved words.
    for (const ondrel::DataBlock& block : blocks.value()) {
        const quint32 end = block.wordAddress + quint32(block.bytes.size() / 2);
        if (!ondrel::makeWritePacket(block).ok() || block.bytes.size() % 2 != 0 ||
            (block.wordAddress < ondrel::kReservedWordsEnd && end > ondrel::kReservedWordsBegin))
            std::abort();
    }
    return 0;
}
