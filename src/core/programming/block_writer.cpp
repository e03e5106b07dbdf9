#include "programming/block_writer.h"

#include <algorithm>

namespace ondrel {

Error lineNeverQuiet(const SerialLine& line, int limitMs) {
    return makeError(QStringLiteral("Data keeps arriving on the serial port %1 without pause (for "
                                    "%2 ms), so the panel's answers cannot be told apart. Check "
                                    "that the port is connected to the panel, then try again.")
                         .arg(line.deviceName())
                         .arg(limitMs));
}

Error lineClosed(SerialLine& line) {
    Result<QByteArray> why = line.read(1, 0); // a failed line says why
    return why ? makeError(QStringLiteral("The serial port %1 was closed.").arg(line.deviceName()))
               : why.error();
}

Status drainWaiting(SerialLine& line, int limitMs,
                    const std::function<void(const QByteArray&)>& take) {
    qint64 limitUs = -1;
    for (int reads = 0; line.bytesAvailable() > 0; ++reads) {
        if (limitUs < 0)
            limitUs = line.clockUs() + qint64(limitMs) * 1000;
        else if (reads > 8 && line.clockUs() >= limitUs)
            return lineNeverQuiet(line, limitMs);
        Result<QByteArray> got = line.read(4096, 0);
        if (!got)
            return got.error();
        if (take)
            take(got.value());
    }
    if (!line.isOpen())
        return lineClosed(line);
    return Ok{};
}

namespace {

// A wait in whole milliseconds that reaches `untilUs`.
int msUntil(const SerialLine& line, qint64 untilUs) {
    const qint64 left = untilUs - line.clockUs();
    return left <= 0 ? 0 : int(std::min<qint64>((left + 999) / 1000, 1 << 30));
}

} // namespace

struct BlockWriter::Block {
    qint64 fullUs = 0;   // the packet and its answer on the wire
    qint64 firstUs = -1; // when the first copy was written; -1 before
    qint64 copyUs = -1;  // when the latest copy was written
    int owedBefore = 0;  // answers owed to earlier packets that may still come
    int heard = 0;       // answers that may be this block's, accepted or not
    qint64 heardUs = -1; // when the last of them came
    int accepted = 0;    // of those, accepted
    bool doubt = false;  // an answer came that nothing was owed
    bool proven() const { return accepted > owedBefore; }
};

BlockWriter::BlockWriter(SerialLine& line, const ProgrammingOptions& options,
                         ProgrammingResult& result)
    : line_(line), options_(options), result_(result), reader_(result.lineEchoes) {
    timeoutMs_ = std::max(1, options.blockTimeoutMs);
    windowMs_ = timeoutMs_ +
                (options.lateWindowMs < 0 ? 2 * timeoutMs_ : std::max(0, options.lateWindowMs));
    const Result<SerialSettings> settings =
        SerialSettings::parse(QString::fromLatin1(kLoaderSettings));
    bitsPerByte_ = 1 + settings.value().dataBits +
                   (settings.value().parity == Parity::None ? 0 : 1) + settings.value().stopBits;
    baud_ = settings.value().baudRate;
}

qint64 BlockWriter::wireUs(qint64 bytes) const {
    return bytes * bitsPerByte_ * 1'000'000 / baud_; // rounded down: a lower bound
}

Status BlockWriter::writeOff(Block* block) {
    const qint64 horizonUs = qint64(kOwedHorizonWindows) * windowMs_ * 1000;
    if (owed_.empty() || line_.clockUs() - owed_.front() <= horizonUs)
        return Ok{};
    // First a window of silence for the answers owed: a slow panel that fell behind (packets
    // queued while it was busy) catches up here. One that holds its answers back until the next
    // packet does not; the horizon is its bound.
    block->owedBefore = int(owed_.size());
    for (int heard = -1; heard != answersSorted_ && !options_.cancelled();) {
        heard = answersSorted_;
        if (Result<bool> foreign = hear(line_.clockUs() + qint64(windowMs_) * 1000, block);
            !foreign)
            return foreign.error();
    }
    while (!owed_.empty() && line_.clockUs() - owed_.front() > horizonUs)
        owed_.pop_front();
    return Ok{};
}

void BlockWriter::sort(AnswerReader::Answer answer, bool trusted, qint64 atUs, Block* block) {
    ++answersSorted_;
    if (atUs - lastAnswerUs_ < repeatWindowUs_) { // the last answer once more
        ++result_.surplusAnswers;
        repeatWindowUs_ = kRepeatSeenAfterRepeatsUs;
        return;
    }
    lastAnswerUs_ = atUs;
    if (!trusted) // among foreign bytes: perhaps not the panel's at all
        return;
    if (!block || block->firstUs < 0 || atUs < block->firstUs + block->fullUs) {
        // Too soon for any copy of this block: owed to an earlier packet.
        if (!owed_.empty() && (!block || block->owedBefore > 0)) {
            owed_.pop_back(); // one behind less; how long it has been behind stays
            if (block)
                --block->owedBefore;
        } else {
            ++result_.surplusAnswers;
            if (block)
                block->doubt = true;
        }
        return;
    }
    ++block->heard;
    block->heardUs = atUs;
    if (answer == AnswerReader::Answer::Accepted) {
        ++block->accepted;
        if (atUs - block->copyUs > qint64(timeoutMs_) * 1000)
            ++result_.lateAnswers;
    }
}

bool BlockWriter::take(const QByteArray& bytes, Block* block) {
    const qint64 atUs = line_.clockUs();
    const AnswerReader::Fed fed = reader_.feed(bytes);
    for (AnswerReader::Answer answer : fed.answers)
        sort(answer, fed.foreign == 0, atUs, block);
    return fed.foreign > 0;
}

Result<bool> BlockWriter::hear(qint64 untilUs, Block* block, const std::function<bool()>& stop) {
    bool foreign = false;
    do {
        Result<QByteArray> got = line_.read(4096, msUntil(line_, untilUs));
        if (!got)
            return got.error();
        if (got.value().isEmpty())
            continue;
        foreign = take(got.value(), block) || foreign;
        if (stop && stop())
            break;
    } while (line_.clockUs() < untilUs && !options_.cancelled());
    return foreign;
}

// Something other than the panel's loader talks on the line: wait until it has stopped for half
// a block time-out, at most two time-outs.
Status BlockWriter::quietAfterForeign(Block* block) {
    const int limitMs = 2 * timeoutMs_;
    const qint64 limitUs = line_.clockUs() + qint64(limitMs) * 1000;
    for (;;) {
        const qint64 before = line_.clockUs();
        Result<bool> foreign = hear(before + qint64(std::max(1, timeoutMs_ / 2)) * 1000, block);
        if (!foreign)
            return foreign.error();
        if (!foreign.value())
            return Ok{};
        if (line_.clockUs() >= limitUs || options_.cancelled())
            return lineNeverQuiet(line_, limitMs);
    }
}

Result<BlockWriter::Outcome> BlockWriter::write(const DataBlock& block) {
    Outcome outcome;
    Result<QByteArray> packet = makeWritePacket(block);
    if (!packet)
        return packet.error();
    Block b;
    b.fullUs = wireUs(packet.value().size() + 2);

    if (Status off = writeOff(&b); !off)
        return off.error();
    b.owedBefore = int(owed_.size());
    // What came since the last block: answers owed to earlier copies, or repeats.
    if (Status drained =
            drainWaiting(line_, windowMs_, [&](const QByteArray& bytes) { take(bytes, &b); });
        !drained)
        return drained.error();
    if (b.doubt) { // nothing sent: the block before goes again first
        outcome.previousInDoubt = true;
        return outcome;
    }

    const int tries = std::max(1, options_.tries);
    const int maxCopies = tries + b.owedBefore;
    int copies = 0, silentWindows = 0;
    std::vector<qint64> copiesSent;
    while (!b.proven() && copies < maxCopies && silentWindows < tries && !options_.cancelled()) {
        // A repeat of the last answer must be seen before this packet's own answer could be.
        const qint64 notBeforeUs = lastAnswerUs_ + repeatWindowUs_ - b.fullUs;
        if (Result<bool> heard = hear(notBeforeUs - 1000, &b); !heard)
            return heard.error();
        line_.pauseUs(notBeforeUs - line_.clockUs()); // the rest, below a millisecond
        b.copyUs = line_.clockUs();
        if (Status sent = line_.write(packet.value()); !sent)
            return sent.error();
        if (b.firstUs < 0)
            b.firstUs = b.copyUs;
        copiesSent.push_back(b.copyUs);
        reader_.sent(packet.value());
        ++copies;
        ++result_.packetsSent;
        result_.resends += copies > 1 ? 1 : 0;
        if (Status written = line_.waitForWritten(windowMs_); !written)
            return written.error();
        // This copy is in flight until an answer that may be its own comes or its window passes.
        auto answered = [&] { return b.heardUs >= b.copyUs + b.fullUs; };
        Result<bool> foreign =
            hear(b.copyUs + qint64(windowMs_) * 1000, &b, [&] { return answered() || b.proven(); });
        if (!foreign)
            return foreign.error();
        if (!answered()) {
            ++silentWindows;
            outcome.lateOrMissing = outcome.lateOrMissing || copies == 1;
        }
        if (foreign.value() && !b.proven())
            if (Status quiet = quietAfterForeign(&b); !quiet)
                return quiet.error();
    }
    // The panel may now be this many answers behind, since the oldest times it may have fallen
    // behind: a debt paid leaves the older ones, so that being behind ages from its start.
    const int before = int(owed_.size());
    const int after = std::max(0, before + copies - b.heard);
    if (after <= before)
        owed_.resize(size_t(after));
    else
        owed_.insert(owed_.end(), copiesSent.end() - (after - before), copiesSent.end());
    outcome.accepted = b.proven();
    outcome.previousInDoubt = b.doubt;
    return outcome;
}

} // namespace ondrel
