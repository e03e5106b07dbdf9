#include "panel_core.h"

#include "programming/loader_protocol.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

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

namespace ondrel::panel {

namespace {

struct FaultOption {
    const char* name;
    const char* help;
    const char* value; // nullptr: a switch
};

const FaultOption kFaultOptions[] = {
    {"baud",
     "Model the wire time of this baud rate, 10 bits a byte each way (default 19200, the "
     "loader's); 0 answers at once, sooner than a real line could bring the packet.",
     "rate"},
    {"write-ms", "Time the panel takes to store one block.", "ms"},
    {"reset-delay", "Leave the reset poll unanswered this long after the first poll.", "ms"},
    {"slow", "Delay every answer to a packet by this long.", "ms"},
    {"drop", "Do not answer these packets (1 is the first packet received, resends count too).",
     "n,m,..."},
    {"drop-rate", "Lose each answer with this chance (0 to 1).", "p"},
    {"drop-always", "Answer no packet (polls still are).", nullptr},
    {"drop-word", "Do not answer any packet to these word addresses (hexadecimal).", "w,v,..."},
    {"lose", "Lose these packets on the line: not stored, not answered.", "n,m,..."},
    {"lose-rate", "Lose each packet on the line with this chance (0 to 1).", "p"},
    {"garble", "Answer these packets with E7 E5.", "n,m,..."},
    {"garble-word", "Answer every packet to these word addresses (hexadecimal) with E7 E5.",
     "w,v,..."},
    {"stray", "Send stray bytes before these answers.", "n,m,..."},
    {"late",
     "Answer these packets late (by --late-ms, or by ms when given as n:ms); later answers wait "
     "behind them.",
     "n[:ms],..."},
    {"late-rate", "Answer each packet late with this chance (0 to 1).", "p"},
    {"late-ms", "How late a late answer comes: a time, or a range drawn from (default 1700).",
     "ms[-ms]"},
    {"duplicate", "Answer these packets twice.", "n,m,..."},
    {"duplicate-rate", "Answer each packet twice with this chance (0 to 1).", "p"},
    {"duplicate-ms",
     "Time from an answer to its repeat, or a range drawn from (default 0: right behind it).",
     "ms[-ms]"},
    {"hold", "Hold the answers to these packets until the next packet starts (see --hold-ms).",
     "n,m,..."},
    {"hold-rate", "Hold each answer until the next packet starts with this chance (0 to 1).", "p"},
    {"hold-ms",
     "How long after the next packet starts a held answer leaves: a time or a range (default 0).",
     "ms[-ms]"},
    {"early", "Answer these packets as soon as their header is in, before the data.", "n,m,..."},
    {"early-rate", "Answer each packet early with this chance (0 to 1).", "p"},
    {"ready-chatter",
     "After answering the reset poll, send the ready byte EB about this often, without end.", "ms"},
    {"chatter",
     "After answering the reset poll, send a stray byte every 2 ms without end, and one ahead of "
     "every answer (a line that never goes quiet).",
     nullptr},
    {"echo", "Return every byte the tool sends, as an echoing line does.", nullptr},
    {"stop-after", "Answer nothing at all after this many packets.", "n"},
    {"close-after", "Close the line after answering this many packets.", "n"},
    {"seed", "Seed for the chances of the -rate options (default 1).", "n"},
};

} // namespace

void addFaultOptions(QCommandLineParser& parser) {
    for (const FaultOption& o : kFaultOptions)
        parser.addOption(o.value
                             ? QCommandLineOption(QLatin1String(o.name), QLatin1String(o.help),
                                                  QLatin1String(o.value))
                             : QCommandLineOption(QLatin1String(o.name), QLatin1String(o.help)));
}

Result<Faults> faultsFromOptions(const QCommandLineParser& parser) {
    QString bad;
    auto text = [&](const char* name) { return parser.value(QLatin1String(name)); };
    auto number = [&](const char* name, double fallback, double low, double high) {
        if (!parser.isSet(QLatin1String(name)))
            return fallback;
        bool ok = false;
        const double v = text(name).toDouble(&ok);
        if (!ok || v < low || v > high)
            bad = QStringLiteral("--%1 %2").arg(QLatin1String(name), text(name));
        return v;
    };
    auto list = [&](const char* name, int base) {
        QSet<int> numbers;
        for (const QString& part : text(name).split(u',', Qt::SkipEmptyParts)) {
            bool ok = false;
            numbers.insert(part.trimmed().toInt(&ok, base));
            if (!ok)
                bad = QStringLiteral("--%1 %2").arg(QLatin1String(name), text(name));
        }
        return numbers;
    };
    auto us = [&](const char* name) { return qint64(number(name, 0, 0, 1e7) * 1000); };
    auto range = [&](const char* name, qint64& low, qint64& high) {
        if (!parser.isSet(QLatin1String(name)))
            return;
        const QStringList parts = text(name).split(u'-');
        bool ok1 = false, ok2 = true;
        low = qint64(parts[0].toDouble(&ok1) * 1000);
        high = parts.size() > 1 ? qint64(parts[1].toDouble(&ok2) * 1000) : low;
        if (!ok1 || !ok2 || parts.size() > 2 || low < 0 || high < low)
            bad = QStringLiteral("--%1 %2").arg(QLatin1String(name), text(name));
    };
    Faults f;
    const double baud = number("baud", 19200, 0, 1e7);
    f.byteTimeUs = baud > 0 ? qint64(std::ceil(10e6 / baud)) : 0; // 10 bits a byte
    f.writeTimeUs = us("write-ms");
    f.resetDelayUs = us("reset-delay");
    f.slowUs = us("slow");
    range("duplicate-ms", f.duplicateGapUs, f.duplicateGapMaxUs);
    range("hold-ms", f.holdMinUs, f.holdMaxUs);
    f.hold = list("hold", 10);
    f.holdRate = number("hold-rate", 0, 0, 1);
    for (const QString& part : text("late").split(u',', Qt::SkipEmptyParts)) {
        const QStringList pair = part.split(u':'); // n, or n:ms
        bool ok1 = false, ok2 = pair.size() == 1;
        const int n = pair[0].trimmed().toInt(&ok1);
        if (pair.size() == 2)
            f.lateByUs.insert(n, qint64(pair[1].trimmed().toDouble(&ok2) * 1000));
        else
            f.late.insert(n);
        if (!ok1 || !ok2 || pair.size() > 2)
            bad = QStringLiteral("--late ") + text("late");
    }
    f.drop = list("drop", 10);
    f.garble = list("garble", 10);
    f.stray = list("stray", 10);
    f.duplicate = list("duplicate", 10);
    f.early = list("early", 10);
    f.lose = list("lose", 10);
    f.dropWords = list("drop-word", 16);
    f.garbleWords = list("garble-word", 16);
    f.dropRate = number("drop-rate", 0, 0, 1);
    f.lateRate = number("late-rate", 0, 0, 1);
    f.duplicateRate = number("duplicate-rate", 0, 0, 1);
    f.earlyRate = number("early-rate", 0, 0, 1);
    f.loseRate = number("lose-rate", 0, 0, 1);
    range("late-ms", f.lateMinUs, f.lateMaxUs);
    f.readyChatterUs = us("ready-chatter");
    f.dropAlways = parser.isSet(QStringLiteral("drop-always"));
    f.chatter = parser.isSet(QStringLiteral("chatter"));
    f.echo = parser.isSet(QStringLiteral("echo"));
    f.stopAfter = int(number("stop-after", -1, 0, 1e9));
    f.closeAfter = int(number("close-after", -1, 0, 1e9));
    f.seed = quint32(number("seed", 1, 0, 4294967295.0));
    if (!bad.isEmpty())
        return makeError(QStringLiteral("not a valid value: %1").arg(bad));
    return f;
}

VirtualLoader::VirtualLoader(Faults faults) : faults_(std::move(faults)), random_(faults_.seed) {}

bool VirtualLoader::chance(double rate) {
    return rate > 0 && std::uniform_real_distribution<double>(0, 1)(random_) < rate;
}

void VirtualLoader::schedule(qint64 atUs, QByteArray bytes, bool closeAfter) {
    outputs_.emplace(atUs, std::make_pair(std::move(bytes), closeAfter));
}

qint64 VirtualLoader::draw(qint64 lowUs, qint64 highUs) {
    return highUs > lowUs ? std::uniform_int_distribution<qint64>(lowUs, highUs)(random_) : lowUs;
}

void VirtualLoader::releaseHeld(qint64 atUs) {
    if (held_.empty())
        return;
    const qint64 releaseUs = atUs + draw(faults_.holdMinUs, faults_.holdMaxUs);
    for (Held& h : held_) {
        const qint64 dueUs =
            std::max(releaseUs, lastAnswerUs_) + h.offsetUs + faults_.byteTimeUs * h.bytes.size();
        schedule(dueUs, std::move(h.bytes), h.closeAfter);
        lastAnswerUs_ = std::max(lastAnswerUs_, dueUs);
    }
    held_.clear();
    if (log)
        log(QStringLiteral("held answers released"));
}

void VirtualLoader::receive(const QByteArray& bytes, qint64 nowUs) {
    for (char c : bytes) {
        // Each byte occupies the wire for one byte time after the previous one.
        receivedUs_ = std::max(nowUs, receivedUs_) + faults_.byteTimeUs;
        if (!reader_.inPacket() && quint8(c) == kWriteCommand)
            releaseHeld(receivedUs_); // the next packet starts
        if (faults_.echo)
            schedule(receivedUs_, QByteArray(1, c));
        std::optional<LoaderEvent> event = reader_.feed(quint8(c));
        if (reader_.headerJustIn() ||
            (event && event->kind == LoaderEvent::Kind::Packet && event->data.isEmpty())) {
            ++packets_;
            polling_ = false;
            currentAnswered_ = false;
            currentLost_ = faults_.lose.contains(packets_) || chance(faults_.loseRate);
            if (currentLost_ && log)
                log(QStringLiteral("packet %1 lost on the line").arg(packets_));
            if (!currentLost_ && (faults_.early.contains(packets_) || chance(faults_.earlyRate))) {
                currentAnswered_ = true;
                answer(packets_, reader_.pendingWordAddress(), receivedUs_, 0);
            }
        }
        if (event)
            handle(*event, receivedUs_);
    }
}

void VirtualLoader::handle(const LoaderEvent& event, qint64 atUs) {
    if (event.kind == LoaderEvent::Kind::Stray) {
        if (log)
            log(QStringLiteral("stray byte %1").arg(event.byte, 2, 16, QLatin1Char('0')));
        return;
    }
    if (event.kind == LoaderEvent::Kind::Poll) {
        if (!polling_)
            pollRunStartUs_ = atUs;
        polling_ = true;
        if (silent_ || atUs - pollRunStartUs_ < faults_.resetDelayUs)
            return;
        if (log)
            log(QStringLiteral("poll answered"));
        schedule(atUs + faults_.byteTimeUs, QByteArray(1, char(kLoaderReady)));
        if (!ready_) {
            ready_ = true;
            if (faults_.chatter)
                nextChatterUs_ = atUs + faults_.byteTimeUs + 2000;
            if (faults_.readyChatterUs > 0)
                nextReadyChatterUs_ = atUs + faults_.byteTimeUs + faults_.readyChatterUs;
        }
        return;
    }
    if (currentLost_)
        return;
    if (!event.checksumOk) {
        if (log)
            log(QStringLiteral("packet %1 at %2: checksum %3 does not match, ignored")
                    .arg(packets_)
                    .arg(event.wordAddress, 4, 16, QLatin1Char('0'))
                    .arg(event.checksum));
        return;
    }
    memory_.write(event.wordAddress, event.data);
    if (written)
        written(memory_, event.wordAddress);
    if (log)
        log(QStringLiteral("packet %1: %2 bytes at %3")
                .arg(packets_)
                .arg(event.data.size())
                .arg(event.wordAddress, 4, 16, QLatin1Char('0')));
    if (!currentAnswered_)
        answer(packets_, event.wordAddress, atUs, faults_.writeTimeUs);
}

void VirtualLoader::answer(int number, quint16 wordAddress, qint64 atUs, qint64 workUs) {
    const bool dropped = silent_ || faults_.dropAlways || faults_.drop.contains(number) ||
                         faults_.dropWords.contains(wordAddress) || chance(faults_.dropRate);
    if (faults_.stopAfter >= 0 && number >= faults_.stopAfter)
        silent_ = true;
    if (dropped) {
        lastAnswerUs_ = std::max(atUs, lastAnswerUs_) + workUs + faults_.slowUs;
        if (log)
            log(QStringLiteral("answer to packet %1 lost").arg(number));
        return;
    }
    QByteArray bytes;
    bytes.append(char(kAnswerAccepted1)).append(char(kAnswerAccepted2));
    if (faults_.garble.contains(number) || faults_.garbleWords.contains(wordAddress))
        bytes[1] = char(kAnswerAccepted2 + 1);
    const bool twice = faults_.duplicate.contains(number) || chance(faults_.duplicateRate);
    if (faults_.stray.contains(number))
        bytes.prepend(QByteArray("\x00\x55", 2));
    if (faults_.chatter) // the noise always gets in ahead of the answer
        bytes.prepend(char(0x55));
    // One packet at a time: a panel still busy with an earlier packet (a late answer) takes
    // this one when that answer is out, so answers leave in order.
    qint64 due =
        std::max(atUs, lastAnswerUs_) + workUs + faults_.slowUs + faults_.byteTimeUs * bytes.size();
    if (faults_.lateByUs.contains(number)) {
        due += faults_.lateByUs.value(number);
        if (log)
            log(QStringLiteral("answer to packet %1 late").arg(number));
    } else if (faults_.late.contains(number) || chance(faults_.lateRate)) {
        due += draw(faults_.lateMinUs, faults_.lateMaxUs);
        if (log)
            log(QStringLiteral("answer to packet %1 late").arg(number));
    }
    const bool closeAfter = faults_.closeAfter >= 0 && number >= faults_.closeAfter;
    const qint64 gapUs = twice ? draw(faults_.duplicateGapUs, faults_.duplicateGapMaxUs) : 0;
    if (faults_.hold.contains(number) || chance(faults_.holdRate)) {
        if (log)
            log(QStringLiteral("answer to packet %1 held").arg(number));
        if (twice)
            held_.push_back({0, bytes, false});
        held_.push_back({twice ? gapUs : 0, bytes, closeAfter});
        return;
    }
    if (twice && gapUs > 0) {
        schedule(due, bytes);
        due += gapUs;
    } else if (twice) {
        bytes += bytes;
    }
    lastAnswerUs_ = due;
    schedule(due, bytes, closeAfter);
}

qint64 VirtualLoader::nextDueUs() const {
    qint64 next = outputs_.empty() ? -1 : outputs_.begin()->first;
    for (qint64 chatter : {nextChatterUs_, nextReadyChatterUs_})
        if (chatter >= 0 && (next < 0 || chatter < next))
            next = chatter;
    return next;
}

QByteArray VirtualLoader::takeDue(qint64 nowUs, bool* close) {
    QByteArray out;
    for (;;) {
        const qint64 next = nextDueUs();
        if (next < 0 || next > nowUs)
            break;
        if (next == nextChatterUs_) {
            out += char(0x55);
            nextChatterUs_ = std::max(next, nowUs - 2000) + 2000;
        } else if (next == nextReadyChatterUs_) {
            out += char(kLoaderReady);
            const qint64 period = faults_.readyChatterUs;
            nextReadyChatterUs_ =
                std::max(next, nowUs - period) +
                std::uniform_int_distribution<qint64>(period / 2, period * 3 / 2)(random_);
        } else {
            const auto first = outputs_.begin();
            out += first->second.first;
            const bool closing = first->second.second;
            outputs_.erase(first);
            if (closing) {
                if (close)
                    *close = true;
                break;
            }
        }
    }
    return out;
}

} // namespace ondrel::panel
