#include "programming/intel_hex.h"

#include <cstdlib>

// One firmware line. What is accepted is a whole number of words clear of the reserved ones, and
// writing it back as a data record reads as the same block.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), int(size));
    const auto line = ondrel::parseHexLine(text, 7);
    if (!line.ok()) {
        if (line.error().line != 7 || line.error().message.isEmpty())
            std::abort();
        return 0;
    }
    if (!line.value().sendsData)
        return 0;
    const ondrel::DataBlock& block = line.value().block;
    const quint32 end = block.wordAddress + quint32(block.bytes.size() / 2);
    if (block.bytes.isEmpty() || block.bytes.size() % 2 != 0 || block.wordAddress > 0xFFFF ||
        (block.wordAddress < ondrel::kReservedWordsEnd && end > ondrel::kReservedWordsBegin))
        std::abort();
    QByteArray fileOrder = block.bytes; // the file holds each word's low byte first
    for (qsizetype i = 0; i + 1 < fileOrder.size(); i += 2)
        std::swap(fileOrder[i], fileOrder[i + 1]);
    const auto again = ondrel::parseHexLine(
        ondrel::makeHexRecord(ondrel::HexData, quint16(block.wordAddress * 2), fileOrder), 1);
    if (!again.ok() || !(again.value().block == block))
        std::abort();
    return 0;
}
