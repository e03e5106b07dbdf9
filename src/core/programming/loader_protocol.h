#pragma once

#include "result.h"

#include <QByteArray>
#include <QtGlobal>
#include <vector>

namespace ondrel {

// Bytes of the panel's serial loader.
inline constexpr quint8 kLoaderPoll = 0xEA;      // tool: wake-up poll while waiting for a reset
inline constexpr quint8 kLoaderReady = 0xEB;     // panel: the loader is listening
inline constexpr quint8 kWriteCommand = 0xE3;    // tool: write packet
inline constexpr quint8 kAnswerAccepted1 = 0xE7; // panel: block accepted, first byte
inline constexpr quint8 kAnswerAccepted2 = 0xE4; // panel: block accepted, second byte

// The configuration table lives at this panel word address; it holds at most this many bytes.
inline constexpr quint32 kConfigWordAddress = 0x1600;
inline constexpr int kConfigCapacity = 4097;
// The largest block WriteDataBlocks puts into one packet.
inline constexpr int kMaxBlockBytes = 16;
// The line settings of every programming procedure.
inline constexpr char kLoaderSettings[] = "19200,N,8,1";

// Bytes to be written at a panel word address (one word is two bytes, high byte first).
struct DataBlock {
    quint32 wordAddress = 0;
    QByteArray bytes;
    friend bool operator==(const DataBlock&, const DataBlock&) = default;
};

// The sum of the bytes modulo 256.
quint8 blockChecksum(const QByteArray& data);

// The write packet for one block: 0xE3, address high, address low, n, checksum, data. Refused
// when the address does not fit 16 bits or the block is empty or longer than 255 bytes.
Result<QByteArray> makeWritePacket(quint32 wordAddress, const QByteArray& data);
inline Result<QByteArray> makeWritePacket(const DataBlock& block) {
    return makeWritePacket(block.wordAddress, block.bytes);
}

// Splits `data` into blocks of at most 16 bytes written from `startWordAddress` on; each full
// block advances the address by 8 words.
std::vector<DataBlock> splitIntoBlocks(quint32 startWordAddress, const QByteArray& data);

// True when the panel's two answer bytes say the block was accepted (0xE7 0xE4).
bool isBlockAccepted(const QByteArray& answer);

// True when the first byte received while polling says the loader is listening.
bool isLoaderReady(const QByteArray& received);

} // namespace ondrel
