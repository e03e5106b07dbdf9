#include "programming/loader_protocol.h"

namespace ondrel {

quint8 blockChecksum(const QByteArray& data) {
    quint8 sum = 0;
    for (char c : data)
        sum = static_cast<quint8>(sum + static_cast<quint8>(c));
    return sum;
}

Result<QByteArray> makeWritePacket(quint32 wordAddress, const QByteArray& data) {
    if (wordAddress > 0xFFFF)
        return makeError(
            QStringLiteral("Word address 0x%1 is beyond the panel's 16-bit address range")
                .arg(wordAddress, 0, 16));
    if (data.isEmpty() || data.size() > 255)
        return makeError(
            QStringLiteral("A write packet holds 1 to 255 bytes, not %1").arg(data.size()));
    QByteArray packet;
    packet.reserve(data.size() + 5);
    packet.append(static_cast<char>(kWriteCommand));
    packet.append(static_cast<char>(wordAddress >> 8));
    packet.append(static_cast<char>(wordAddress & 0xFF));
    packet.append(static_cast<char>(data.size()));
    packet.append(static_cast<char>(blockChecksum(data)));
    packet.append(data);
    return packet;
}

std::vector<DataBlock> splitIntoBlocks(quint32 startWordAddress, const QByteArray& data) {
    std::vector<DataBlock> blocks;
    quint32 address = startWordAddress;
    for (qsizetype i = 0; i < data.size(); i += kMaxBlockBytes) {
        const QByteArray bytes = data.mid(i, kMaxBlockBytes);
        blocks.push_back({address, bytes});
        // Only the last block can be odd; its half word still takes a word.
        address += static_cast<quint32>((bytes.size() + 1) / 2);
    }
    return blocks;
}

bool isBlockAccepted(const QByteArray& answer) {
    return answer.size() == 2 && static_cast<quint8>(answer[0]) == kAnswerAccepted1 &&
           static_cast<quint8>(answer[1]) == kAnswerAccepted2;
}

bool isLoaderReady(const QByteArray& received) {
    return !received.isEmpty() && static_cast<quint8>(received[0]) == kLoaderReady;
}

} // namespace ondrel
