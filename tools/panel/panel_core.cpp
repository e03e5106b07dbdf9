#include "panel_core.h"

#include "programming/loader_protocol.h"

#include <QStringList>
#include <algorithm>

namespace ondrel::panel {

namespace {
constexpr int kHeaderSize = 5; // command, address high, address low, count, checksum
constexpr quint32 kMemoryBytes = 2 * 65536;
constexpr quint32 kTableWord = kConfigWordAddress;
} // namespace

std::optional<LoaderEvent> PacketReader::feed(quint8 byte) {
    if (pending_.isEmpty()) {
        if (byte == kWriteCommand) {
            pending_.append(char(byte));
            return std::nullopt;
        }
        LoaderEvent event;
        event.kind = byte == kLoaderPoll ? LoaderEvent::Kind::Poll : LoaderEvent::Kind::Stray;
        event.byte = byte;
        return event;
    }
    pending_.append(char(byte));
    if (pending_.size() < kHeaderSize)
        return std::nullopt;
    const int count = quint8(pending_[3]);
    if (pending_.size() < kHeaderSize + count)
        return std::nullopt;
    LoaderEvent event;
    event.kind = LoaderEvent::Kind::Packet;
    event.wordAddress = quint16(quint8(pending_[1]) << 8 | quint8(pending_[2]));
    event.checksum = quint8(pending_[4]);
    event.data = pending_.mid(kHeaderSize, count);
    quint8 sum = 0;
    for (char c : std::as_const(event.data))
        sum = quint8(sum + quint8(c));
    event.checksumOk = sum == event.checksum;
    pending_.clear();
    return event;
}

std::vector<LoaderEvent> readEvents(PacketReader& reader, const QByteArray& bytes) {
    std::vector<LoaderEvent> events;
    for (char c : bytes)
        if (auto event = reader.feed(quint8(c)))
            events.push_back(std::move(*event));
    return events;
}

PanelMemory::PanelMemory() : bytes_(kMemoryBytes, 0), written_(kMemoryBytes, false) {}

void PanelMemory::write(quint16 wordAddress, const QByteArray& data) {
    const quint32 start = quint32(wordAddress) * 2;
    for (qsizetype i = 0; i < data.size() && start + i < kMemoryBytes; ++i) {
        bytes_[start + i] = quint8(data[i]);
        written_[start + i] = true;
    }
}

bool PanelMemory::isWritten(quint32 byteIndex) const {
    return byteIndex < kMemoryBytes && written_[byteIndex];
}

quint8 PanelMemory::byteAt(quint32 byteIndex) const {
    return byteIndex < kMemoryBytes ? bytes_[byteIndex] : 0;
}

QByteArray PanelMemory::read(quint16 wordAddress, int count) const {
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(char(byteAt(quint32(wordAddress) * 2 + quint32(i))));
    return out;
}

int PanelMemory::writtenCount() const {
    return int(std::count(written_.begin(), written_.end(), true));
}

QString PanelMemory::dump() const {
    QString out;
    quint32 i = 0;
    while (i < kMemoryBytes) {
        if (!written_[i]) {
            ++i;
            continue;
        }
        // A run starts at a word boundary: every packet starts at a word address.
        QStringList line;
        const quint32 lineStart = i;
        while (i < kMemoryBytes && written_[i] && line.size() < 16) {
            line << QStringLiteral("%1").arg(bytes_[i], 2, 16, QLatin1Char('0')).toUpper();
            ++i;
        }
        out += QStringLiteral("%1: %2\n")
                   .arg(lineStart / 2, 4, 16, QLatin1Char('0'))
                   .arg(line.join(QLatin1Char(' ')))
                   .toUpper();
    }
    return out;
}

Result<PanelMemory> PanelMemory::parseDump(const QString& text) {
    PanelMemory memory;
    int lineNumber = 0;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        ++lineNumber;
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        bool ok = false;
        const uint address = line.left(colon).toUInt(&ok, 16);
        if (colon < 0 || !ok || address > 0xFFFF)
            return makeError(QStringLiteral("Not a memory dump line: %1").arg(line), lineNumber);
        QByteArray data;
        for (const QString& byte :
             line.mid(colon + 1).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const uint value = byte.toUInt(&ok, 16);
            if (!ok || value > 0xFF)
                return makeError(QStringLiteral("Not a byte: %1").arg(byte), lineNumber);
            data.append(char(value));
        }
        memory.write(quint16(address), data);
    }
    return memory;
}

namespace {

QString describeSetting(int setting) {
    static const int kRates[8] = {0, 7600, 9600, 19200, 28800, 38400, 0, 115200};
    const int rate = kRates[setting & 7];
    const QString parity = (setting & 32)   ? QStringLiteral("odd parity")
                           : (setting & 16) ? QStringLiteral("even parity")
                                            : QStringLiteral("no parity");
    const QString baud = rate ? QStringLiteral("%1 baud").arg(rate) : QStringLiteral("baud unset");
    return QStringLiteral("%1, %2 (setting %3)").arg(baud, parity).arg(setting);
}

QString describeType(int word) {
    QString base;
    switch (word & 0x67) {
    case 36:
        base = QStringLiteral("On");
        break;
    case 65:
        base = QStringLiteral("Off");
        break;
    case 4:
        base = QStringLiteral("Source");
        break;
    case 1:
        base = QStringLiteral("Momentary");
        break;
    case 2:
        base = QStringLiteral("Toggle");
        break;
    default:
        base = QStringLiteral("unknown type");
    }
    QStringList extras;
    if (word & 8)
        extras << QStringLiteral("incrementing");
    if (word & 16)
        extras << QStringLiteral("repeating");
    auto relay = [&](const char* name, int momentary, int on, int off) {
        if (word & momentary)
            extras << QStringLiteral("relay %1 momentary").arg(QLatin1String(name));
        if (word & on)
            extras << QStringLiteral("relay %1 on").arg(QLatin1String(name));
        if (word & off)
            extras << QStringLiteral("relay %1 off").arg(QLatin1String(name));
    };
    relay("one", 128, 512, 2048);
    relay("two", 256, 1024, 4096);
    QString text = QStringLiteral("%1 (type word %2)").arg(base).arg(word);
    if (!extras.isEmpty())
        text += QStringLiteral(", ") + extras.join(QStringLiteral(", "));
    return text;
}

QString describeMask(int mask) {
    QStringList buttons;
    for (int j = 0; j < 10; ++j)
        if (mask & (1 << j))
            buttons << QString::number(j + 1);
    return buttons.isEmpty() ? QStringLiteral("none")
                             : QStringLiteral("buttons ") + buttons.join(u' ');
}

} // namespace

QString decodeConfigTable(const PanelMemory& memory) {
    quint32 next = 0; // word index within the table
    bool complete = true;
    quint32 firstMissing = 0;
    auto word = [&]() -> int {
        const quint32 index = (kTableWord + next++) * 2;
        if (complete && (!memory.isWritten(index) || !memory.isWritten(index + 1))) {
            complete = false;
            firstMissing = index / 2;
        }
        return memory.byteAt(index) << 8 | memory.byteAt(index + 1);
    };
    QStringList out;
    out << QStringLiteral("Configuration table at word 0x1600");
    const int first = word();
    const int second = word();
    out << QStringLiteral("Header: %1 %2").arg(first).arg(second);
    const int ports = word();
    out << QStringLiteral("Port one: ") + describeSetting(ports & 0x7F);
    out << QStringLiteral("Port two: ") + describeSetting(ports >> 7 & 0x7F);
    out << QStringLiteral("Timer: %1 minutes").arg(word());
    for (int button = 0; button < 10 && complete; ++button) {
        const int type = word();
        const int state = word();
        const int off = word();
        const int firstLengths = word();
        const int secondLengths = word();
        out << QStringLiteral("Button %1: %2; state %3; switches off %4")
                   .arg(button + 1)
                   .arg(describeType(type))
                   .arg(state)
                   .arg(describeMask(off));
        const int counts[4] = {firstLengths & 0x7F, firstLengths >> 7 & 0x7F, secondLengths & 0x7F,
                               secondLengths >> 7 & 0x7F};
        static const char* const kNames[4] = {"port one first", "port two first", "port one second",
                                              "port two second"};
        for (int c = 0; c < 4; ++c) {
            QStringList bytes;
            for (int k = 0; k < counts[c]; ++k)
                bytes << QString::number(word() & 0xFF);
            out << QStringLiteral("  %1: %2")
                       .arg(QLatin1String(kNames[c]),
                            bytes.isEmpty() ? QStringLiteral("none") : bytes.join(u' '));
        }
    }
    if (!complete)
        out << QStringLiteral("(the table ends early: word 0x%1 was never written)")
                   .arg(firstMissing, 4, 16, QLatin1Char('0'));
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace ondrel::panel
