#include "programming/hex_generator.h"

#include "programming/intel_hex.h"

#include <algorithm>

namespace ondrel {

quint16 generatedFirmwareWord(quint32 index) {
    return static_cast<quint16>((index * 0x2F1Bu + 0x0123u) & 0x3FFFu);
}

QString generateFirmwareHex(int words, quint32 startWordAddress, int wordsPerLine) {
    wordsPerLine = std::clamp(wordsPerLine, 1, 8);
    const QString crlf = QStringLiteral("\r\n");
    QString text = makeHexRecord(HexLinearAddress, 0, QByteArray(2, '\0')) + crlf;
    for (int first = 0; first < words; first += wordsPerLine) {
        QByteArray data;
        for (int i = first; i < std::min(words, first + wordsPerLine); ++i) {
            const quint16 word = generatedFirmwareWord(static_cast<quint32>(i));
            data.append(static_cast<char>(word & 0xFF));
            data.append(static_cast<char>(word >> 8));
        }
        const auto byteAddress =
            static_cast<quint16>((startWordAddress + static_cast<quint32>(first)) * 2);
        text += makeHexRecord(HexData, byteAddress, data) + crlf;
    }
    return text + makeHexRecord(HexEndOfFile, 0, {}) + crlf;
}

} // namespace ondrel
