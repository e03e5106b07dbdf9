#pragma once

#include "result.h"
#include "serial/memory_line.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <random>
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
    // True right after the byte that completed a packet's five header bytes.
    bool headerJustIn() const { return pending_.size() == 5; }
    // The word address of the packet being read, once its header is in.
    quint16 pendingWordAddress() const {
        return pending_.size() < 3 ? 0 : quint16(quint8(pending_[1]) << 8 | quint8(pending_[2]));
    }

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

// Misbehaviour of the panel or its line, as the tool may meet it. Packet numbers count from 1
// in the order the panel reads the packets, resends included; "rates" are chances from 0 to 1,
// drawn from `seed`.
struct Faults {
    // Wire time of one byte, 10 bits at the loader's 19200 baud, rounded up so that nothing
    // arrives sooner than the real line brings it (0: bytes take no time, answers come at once).
    qint64 byteTimeUs = 521;
    qint64 writeTimeUs = 0;  // the panel's time to store one block
    qint64 resetDelayUs = 0; // polls go unanswered this long, like a person reaching reset
    qint64 slowUs = 0;       // extra delay before every answer
    // From an answer to its repeat (0: the same write), drawn from this range.
    qint64 duplicateGapUs = 0, duplicateGapMaxUs = 0;
    QSet<int> drop, garble, stray, late, duplicate, early, lose;
    QHash<int, qint64> lateByUs; // packets answered this much late, instead of --late-ms
    // Answers held back until the next packet starts arriving, then sent after a delay drawn
    // from holdMinUs to holdMaxUs; the answers behind them wait.
    QSet<int> hold;
    double holdRate = 0;
    qint64 holdMinUs = 0, holdMaxUs = 0;
    QSet<int> dropWords, garbleWords; // by word address: unaffected by resends before them
    double dropRate = 0, lateRate = 0, duplicateRate = 0, earlyRate = 0, loseRate = 0;
    qint64 lateMinUs = 1'700'000, lateMaxUs = 1'700'000; // how late a late answer comes
    bool dropAlways = false;
    bool chatter = false;      // after the reset answer, a foreign byte every 2 ms without end
    qint64 readyChatterUs = 0; // after the reset answer, a ready byte (EB) about this often
    bool echo = false;         // the line returns every byte the tool sends
    int stopAfter = -1;        // answer nothing after this many packets
    int closeAfter = -1;       // close the line after answering this many packets
    quint32 seed = 1;
};

// The fault options of the panel program ("--late 1,3", "--lose-rate 0.01", "--seed 7").
void addFaultOptions(QCommandLineParser& parser);
// The faults the parsed options ask for; an error names a value that is not a number.
Result<Faults> faultsFromOptions(const QCommandLineParser& parser);

// The loader with its faults, on a clock in microseconds that the caller runs: bytes in with the
// time they arrived, bytes out when they are due. The program plays it on a pseudo-terminal;
// tests play it in memory.
class VirtualLoader final : public FarEnd {
public:
    explicit VirtualLoader(Faults faults = {});

    // Bytes from the tool; the first arrives at `nowUs` (each further one a byte time later).
    void receive(const QByteArray& bytes, qint64 nowUs) override;
    // When the next output is due; -1 when none is waiting.
    qint64 nextDueUs() const override;
    // Bytes due by `nowUs`, in order; `close` when the line closes after them.
    QByteArray takeDue(qint64 nowUs, bool* close = nullptr) override;

    const PanelMemory& memory() const { return memory_; }
    int packets() const { return packets_; }
    std::function<void(const QString&)> log;
    // After each packet stored in memory, with the packet's word address.
    std::function<void(const PanelMemory&, quint16 wordAddress)> written;

private:
    void handle(const LoaderEvent& event, qint64 atUs);
    void answer(int number, quint16 wordAddress, qint64 atUs, qint64 workUs);
    bool chance(double rate);
    void schedule(qint64 atUs, QByteArray bytes, bool closeAfter = false);
    qint64 draw(qint64 lowUs, qint64 highUs);
    void releaseHeld(qint64 atUs);

    Faults faults_;
    std::mt19937 random_;
    PacketReader reader_;
    PanelMemory memory_;
    std::multimap<qint64, std::pair<QByteArray, bool>> outputs_;
    struct Held {
        qint64 offsetUs; // after the release
        QByteArray bytes;
        bool closeAfter;
    };
    std::vector<Held> held_;  // answers waiting for the next packet
    qint64 receivedUs_ = 0;   // when the last byte was fully received
    qint64 lastAnswerUs_ = 0; // answers leave in the order of their packets
    qint64 pollRunStartUs_ = 0;
    qint64 nextChatterUs_ = -1;
    qint64 nextReadyChatterUs_ = -1;
    bool polling_ = false;
    bool silent_ = false;
    bool ready_ = false;
    bool currentLost_ = false;
    bool currentAnswered_ = false;
    int packets_ = 0;
};

} // namespace ondrel::panel
