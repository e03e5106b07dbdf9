#pragma once

#include "result.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// The virtual panel's loader: reading the tool's bytes, the panel's memory, and a readable view
// of the configuration table. Kept apart from the program so tests can drive it directly.
namespace ondrel::panel {

// One thing the loader recognised in the byte stream.
struct LoaderEvent {
    enum class Kind { Poll, Packet, Stray };
    Kind kind = Kind::Stray;
    quint16 wordAddress = 0; // Packet
    quint8 checksum = 0;     // Packet: as sent
    bool checksumOk = false; // Packet: the data bytes add up to the checksum
    QByteArray data;         // Packet
    quint8 byte = 0;         // Poll or Stray: the byte itself
};

// Reads the loader's input one byte at a time: 0xEA polls, 0xE3 write packets, and any other
// byte outside a packet as stray.
class PacketReader {
public:
    // The event that `byte` completes, if any.
    std::optional<LoaderEvent> feed(quint8 byte);
    bool inPacket() const { return !pending_.isEmpty(); }

private:
    QByteArray pending_;
};

// Every event in `bytes`, in order (a packet cut short stays pending in the reader).
std::vector<LoaderEvent> readEvents(PacketReader& reader, const QByteArray& bytes);

// The panel's word-addressed memory (64K words, high byte first), remembering which bytes were
// written so a dump shows only those.
class PanelMemory {
public:
    PanelMemory();
    // Stores `data` from `wordAddress` on, two bytes a word; an odd count leaves the last low
    // byte untouched. Writes past the last word are dropped.
    void write(quint16 wordAddress, const QByteArray& data);
    bool isWritten(quint32 byteIndex) const;
    quint8 byteAt(quint32 byteIndex) const;
    // `count` bytes from `wordAddress` on; unwritten bytes read as 0.
    QByteArray read(quint16 wordAddress, int count) const;
    int writtenCount() const;

    // Written runs as lines "1600: 00 01 00 01 ...", 16 bytes a line, each line's word address
    // first.
    QString dump() const;
    static Result<PanelMemory> parseDump(const QString& text);

private:
    std::vector<quint8> bytes_;
    std::vector<bool> written_;
};

// The configuration table at word 0x1600 as readable text: port settings, timer, and each
// button's type, state, off mask and commands.
QString decodeConfigTable(const PanelMemory& memory);

} // namespace ondrel::panel
