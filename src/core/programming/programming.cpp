#include "programming/programming.h"

#include "ondrel/version.h"
#include "programming/factory_data.h"
#include "programming/firmware_files.h"
#include "programming/intel_hex.h"

#include <QFile>
#include <QStringList>
#include <QThread>
#include <algorithm>

namespace ondrel {

namespace {

std::atomic<bool> busy{false};

// Only one procedure may hold the upload line at a time.
class ProcedureGuard {
public:
    ProcedureGuard() : acquired_(!busy.exchange(true)) {}
    ~ProcedureGuard() {
        if (acquired_)
            busy = false;
    }
    ProcedureGuard(const ProcedureGuard&) = delete;
    ProcedureGuard& operator=(const ProcedureGuard&) = delete;
    bool acquired() const { return acquired_; }

private:
    bool acquired_;
};

// Every way out of a procedure, failures and Esc included, leaves the line closed.
class LineCloser {
public:
    explicit LineCloser(SerialLine& line) : line_(line) {}
    ~LineCloser() { line_.close(); }
    LineCloser(const LineCloser&) = delete;
    LineCloser& operator=(const LineCloser&) = delete;

private:
    SerialLine& line_;
};

const QString kErrorTitle = QStringLiteral("Error");
const QString kInvalidRange = QStringLiteral("Invalid address range");

UserMessage errorMessage(const QString& text) {
    return UserMessage{kErrorTitle, text, UserMessage::Icon::Exclamation};
}

UserMessage firmwareFailedMessage() {
    return UserMessage{QStringLiteral("Failure"), QStringLiteral("Firmware Failed to Load"),
                       UserMessage::Icon::Critical};
}

ProgrammingResult failure(ProgrammingResult result, const QString& text) {
    result.outcome = ProgrammingResult::Outcome::Failed;
    result.messages << errorMessage(text);
    result.detail = text;
    return result;
}

// Esc after the panel took part of the data: not a quiet cancel, the panel is left half done.
void cancelledPartway(ProgrammingResult& result, const QString& text) {
    result.outcome = ProgrammingResult::Outcome::Cancelled;
    result.detail = text;
    result.messages << errorMessage(text);
}

bool isCancelled(const ProgrammingOptions& options) {
    return options.cancel && options.cancel->load();
}

void report(const ProgrammingOptions& options, ProgrammingStage stage) {
    if (options.stage)
        options.stage(stage);
}

void progress(const ProgrammingOptions& options, const char* caption, int value, int maximum) {
    if (options.progress)
        options.progress(QString::fromLatin1(caption), value, maximum);
}

QString hexWord(quint32 address) {
    return QStringLiteral("0x%1")
        .arg(address, 4, 16, QLatin1Char('0'))
        .toUpper()
        .replace(QStringLiteral("0X"), QStringLiteral("0x"));
}

QString addressList(const QList<quint32>& addresses) {
    constexpr int kShown = 12;
    QStringList shown;
    for (int i = 0; i < addresses.size() && i < kShown; ++i)
        shown << hexWord(addresses[i]);
    QString text = shown.join(QStringLiteral(", "));
    if (addresses.size() > kShown)
        text += QStringLiteral(" and %1 more").arg(addresses.size() - kShown);
    return text;
}

// Bytes that keep coming without pause (a device other than the panel's loader, a disturbed
// line) end the procedure after `limitMs` instead of holding it forever.
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

// A deadline on the line's own clock.
class Deadline {
public:
    Deadline(const SerialLine& line, qint64 atMs) : line_(line), at_(atMs) {}
    int remaining() const { return int(std::clamp<qint64>(at_ - line_.clockMs(), 0, 1 << 30)); }
    bool passed() const { return line_.clockMs() >= at_; }

private:
    const SerialLine& line_;
    qint64 at_;
};

Status discardWaiting(SerialLine& line, int limitMs) {
    const Deadline limit(line, line.clockMs() + limitMs);
    while (line.bytesAvailable() > 0) {
        if (limit.passed())
            return lineNeverQuiet(line, limitMs);
        Result<QByteArray> stale = line.read(4096, 0);
        if (!stale)
            return stale.error();
    }
    if (!line.isOpen())
        return lineClosed(line);
    return Ok{};
}

// The panel's bytes read as answers. The loader answers E7 E4 (accepted) or E7 and another byte
// (refused), and may repeat its ready byte EB at any time; a line that echoes returns the tool's
// own bytes in order, interleaved with the answers. Anything else is foreign: not the loader's.
class AnswerReader {
public:
    struct Counts {
        int accepted = 0;
        int refused = 0;
        int foreign = 0;
        int answers() const { return accepted + refused; }
        Counts& operator+=(const Counts& o) {
            accepted += o.accepted, refused += o.refused, foreign += o.foreign;
            return *this;
        }
    };

    explicit AnswerReader(bool echoes) : echoes_(echoes) {}
    void sent(const QByteArray& bytes) {
        if (echoes_)
            echo_ += bytes;
    }
    Counts feed(const QByteArray& bytes) {
        Counts counts;
        for (char c : bytes) {
            const quint8 b = quint8(c);
            if (!echo_.isEmpty() && c == echo_[0]) { // its own byte coming back, in order
                echo_.remove(0, 1);
                continue;
            }
            if (b == kLoaderReady || (echoes_ && b == kLoaderPoll))
                continue;
            if (half_) {
                half_ = false;
                ++(b == kAnswerAccepted2 ? counts.accepted : counts.refused);
            } else if (b == kAnswerAccepted1) {
                half_ = true;
            } else {
                ++counts.foreign;
            }
        }
        return counts;
    }

private:
    bool echoes_;
    QByteArray echo_; // sent bytes whose echo is still to come
    bool half_ = false;
};

// Sends blocks one packet at a time and matches the panel's answers to them. The answers carry no
// sequence number, so an answer counts for a packet only while no other packet's answer can
// still be on its way: a packet is not followed by another until its answer is in (and the line
// stayed free of a repeat for the settle time) or its window (time-out plus late window) has
// passed. A resent block may be answered for any of its copies, which is harmless (the same
// bytes at the same address); before the next block the copies still unanswered get twice the
// window to answer. Answers found waiting before a packet is sent belong to no window: the
// previous block's acknowledgement is then in doubt and it is sent again.
class BlockWriter {
public:
    struct Outcome {
        bool accepted = false;
        bool lateOrMissing = false;   // the first packet had no answer within its window
        bool previousInDoubt = false; // answers came outside any window; nothing was sent
    };

    BlockWriter(SerialLine& line, const ProgrammingOptions& options, ProgrammingResult& result)
        : line_(line), options_(options), result_(result), reader_(result.lineEchoes) {
        timeoutMs_ = std::max(1, options.blockTimeoutMs);
        windowMs_ = timeoutMs_ + (options.lateWindowMs < 0 ? 2 * timeoutMs_ : options.lateWindowMs);
    }

    int windowMs() const { return windowMs_; }

    // `goingOn`: another block follows, so the line must be free of this block's answers.
    Result<Outcome> write(const DataBlock& block, bool goingOn) {
        Outcome outcome;
        Result<QByteArray> packet = makeWritePacket(block);
        if (!packet)
            return packet.error();
        Result<AnswerReader::Counts> stale = drainWaiting();
        if (!stale)
            return stale.error();
        if (stale.value().answers() > 0) {
            result_.surplusAnswers += stale.value().answers();
            if (Status quiet = settle(2 * windowMs_, 4 * windowMs_); !quiet)
                return quiet.error();
            outcome.previousInDoubt = true;
            return outcome;
        }
        const int tries = std::max(1, options_.tries);
        const int settleMs = std::max(1, options_.settleMs);
        int copies = 0;
        int answered = 0; // answers from windows free of foreign bytes
        qint64 firstSent = -1, lastSent = 0;
        qint64 slowest = 0; // the longest an answer may have taken: from the first copy on
        for (int attempt = 1; attempt <= tries && !isCancelled(options_); ++attempt) {
            if (Status sent = line_.write(packet.value()); !sent)
                return sent.error();
            lastSent = line_.clockMs();
            if (firstSent < 0)
                firstSent = lastSent;
            reader_.sent(packet.value());
            ++copies;
            ++result_.packetsSent;
            result_.resends += attempt > 1 ? 1 : 0;
            if (Status written = line_.waitForWritten(windowMs_); !written)
                return written.error();
            Result<AnswerReader::Counts> got = listen(lastSent + windowMs_, true);
            if (!got)
                return got.error();
            const AnswerReader::Counts& c = got.value();
            const bool trusted = c.foreign == 0;
            // Answers together, or right behind one another, may be one answer and its repeat:
            // they count as one, so a copy's answer still to come is waited for.
            if (c.answers() > 0) {
                if (Status quiet = settle(settleMs, 2 * windowMs_); !quiet)
                    return quiet.error();
                answered += trusted ? 1 : 0;
                result_.surplusAnswers += c.answers() - 1;
            }
            if (trusted && c.accepted > 0) {
                outcome.accepted = true;
                slowest = line_.clockMs() - firstSent;
                if (line_.clockMs() - lastSent > timeoutMs_)
                    ++result_.lateAnswers;
                break;
            }
            if (attempt == 1 && (!trusted || c.answers() == 0))
                outcome.lateOrMissing = true;
            if (!trusted) { // something else talks on the line: let it finish first
                if (Status quiet = settle(std::max(1, timeoutMs_ / 2), 2 * timeoutMs_); !quiet)
                    return quiet.error();
            }
        }
        if (!goingOn)
            return outcome;
        // Copies still unanswered may answer late: each as late as the answer that came took
        // from the first copy (a busy panel answers in order), at least 2 W after the last copy,
        // at most 4 W a try. Their answers are this block's.
        qint64 lastAnswer = outcome.accepted ? line_.clockMs() : lastSent;
        auto copiesDone = [&] {
            const qint64 each = slowest + windowMs_;
            return std::min(
                lastSent + 4 * tries * qint64(windowMs_),
                std::max(lastSent + 2 * windowMs_, lastAnswer + (copies - answered) * each));
        };
        while (answered < copies && line_.clockMs() < copiesDone() && !isCancelled(options_)) {
            Result<AnswerReader::Counts> got = listen(copiesDone(), true);
            if (!got)
                return got.error();
            if (got.value().answers() == 0)
                continue;
            ++answered;
            lastAnswer = line_.clockMs();
            if (Status quiet = settle(settleMs, 2 * windowMs_); !quiet)
                return quiet.error();
        }
        return outcome; // every answer above was followed by its settle time
    }

private:
    // Reads until `untilMs`, or until the first answer when `stopAtAnswer`.
    Result<AnswerReader::Counts> listen(qint64 untilMs, bool stopAtAnswer) {
        AnswerReader::Counts counts;
        const Deadline until(line_, untilMs);
        do {
            Result<QByteArray> got = line_.read(4096, until.remaining());
            if (!got)
                return got.error();
            counts += reader_.feed(got.value());
            if (stopAtAnswer && counts.answers() > 0)
                break;
        } while (!until.passed() && !isCancelled(options_));
        return counts;
    }

    // Waits until neither answers nor foreign bytes came for `quietMs`; answers meanwhile are
    // set aside. An error when the line is never quiet within `limitMs`.
    Status settle(int quietMs, int limitMs) {
        const Deadline limit(line_, line_.clockMs() + limitMs);
        for (;;) {
            Result<AnswerReader::Counts> got = listen(line_.clockMs() + quietMs, false);
            if (!got)
                return got.error();
            if (got.value().answers() == 0 && got.value().foreign == 0)
                return Ok{};
            result_.surplusAnswers += got.value().answers();
            if (limit.passed() || isCancelled(options_))
                return got.value().foreign > 0 ? Status(lineNeverQuiet(line_, limitMs)) : Ok{};
        }
    }

    Result<AnswerReader::Counts> drainWaiting() {
        AnswerReader::Counts counts;
        const Deadline limit(line_, line_.clockMs() + windowMs_);
        while (line_.bytesAvailable() > 0) {
            if (limit.passed())
                return lineNeverQuiet(line_, windowMs_);
            Result<QByteArray> got = line_.read(4096, 0);
            if (!got)
                return got.error();
            counts += reader_.feed(got.value());
        }
        if (!line_.isOpen())
            return lineClosed(line_);
        return counts;
    }

    SerialLine& line_;
    const ProgrammingOptions& options_;
    ProgrammingResult& result_;
    AnswerReader reader_;
    int timeoutMs_ = 1;
    int windowMs_ = 1;
};

// The firmware file checked whole, its errors naming the file: nothing is sent from a bad one.
Result<std::vector<DataBlock>> checkFirmwareFile(const QString& path) {
    const Result<QString> text = readFirmwareFile(path);
    if (!text)
        return text.error();
    Result<std::vector<DataBlock>> blocks = parseFirmwareText(text.value());
    if (!blocks)
        return makeError(
            blocks.error().kind,
            QStringLiteral("%1 (in %2). Nothing was sent.").arg(blocks.error().message, path),
            blocks.error().line);
    return blocks;
}

bool isInvalidRange(const Error& error) {
    return error.kind == ErrorKind::InvalidAddressRange;
}

// The steps all three procedures share: open the line at the loader's settings and catch the
// loader after a reset. Returns false with `result` filled when the procedure must end here.
bool openAndHandshake(SerialLine& line, const ProgrammingOptions& options,
                      ProgrammingResult& result, bool quietCancel) {
    Result<SerialSettings> settings = SerialSettings::parse(QString::fromLatin1(kLoaderSettings));
    if (Status opened = line.open(settings.value()); !opened) {
        result = failure(std::move(result), opened.error().message);
        return false;
    }
    report(options, ProgrammingStage::WaitingForReset);
    Result<HandshakeOutcome> handshake = resetHandshake(line, options, &result.lineEchoes);
    if (!handshake) {
        result = failure(std::move(result), handshake.error().message);
        return false;
    }
    if (handshake.value() == HandshakeOutcome::Cancelled) {
        result.outcome = ProgrammingResult::Outcome::Cancelled;
        result.detail = QStringLiteral("Cancelled while waiting for the panel's reset; nothing "
                                       "was sent.");
        if (!quietCancel)
            result.messages << firmwareFailedMessage();
        return false;
    }
    return true;
}

ProgrammingResult busyResult() {
    return failure({}, QStringLiteral("Another programming procedure is running; wait until it "
                                      "has finished."));
}

// Refreshes the firmware and writes `image` at the configuration table: the common body of the
// upload and the factory restore.
ProgrammingResult firmwareThenImage(SerialLine& line, const QString& programDir,
                                    const QByteArray& image, const ProgrammingOptions& options,
                                    const std::function<Result<QByteArray>()>& loadImage) {
    ProgrammingResult result;
    Result<std::vector<DataBlock>> firmware = checkFirmwareFile(locateFirmwareFile(programDir));
    if (!firmware) {
        if (isInvalidRange(firmware.error()))
            result.messages << UserMessage{QString(), kInvalidRange, UserMessage::Icon::None};
        return failure(std::move(result), firmware.error().message);
    }
    QByteArray data = image;
    if (loadImage) {
        Result<QByteArray> loaded = loadImage();
        if (!loaded)
            return failure(std::move(result), loaded.error().message);
        data = loaded.value();
    }
    if (data.isEmpty() || data.size() > kConfigCapacity)
        return failure(std::move(result),
                       QStringLiteral("The configuration image holds %1 bytes; the panel takes 1 "
                                      "to %2. Nothing was sent.")
                           .arg(data.size())
                           .arg(kConfigCapacity));

    LineCloser closer(line);
    if (!openAndHandshake(line, options, result, true))
        return result;
    report(options, ProgrammingStage::LoadingFirmware);
    if (!LoadFirmwareLines(line, firmware.value(), options, result))
        return result;
    report(options, ProgrammingStage::WritingBlocks);
    if (!WriteDataBlocks(line, kConfigWordAddress, data, options, result))
        return result;
    report(options, ProgrammingStage::Finished);
    result.outcome = ProgrammingResult::Outcome::Succeeded;
    result.messages << UserMessage{QStringLiteral("Programming Complete"),
                                   QStringLiteral("Upload Complete."), UserMessage::Icon::None};
    return result;
}

} // namespace

Result<HandshakeOutcome> resetHandshake(SerialLine& line, const ProgrammingOptions& options,
                                        bool* echoes) {
    if (Status drained = discardWaiting(line, std::max(1, options.blockTimeoutMs)); !drained)
        return drained.error();
    const int interval = std::max(1, options.pollIntervalMs);
    const qint64 started = line.clockMs();
    for (;;) {
        if (isCancelled(options))
            return HandshakeOutcome::Cancelled;
        if (Status sent = line.write(QByteArray(1, char(kLoaderPoll))); !sent)
            return sent.error();
        if (options.fixedPauseMs > 0)
            QThread::msleep(ulong(options.fixedPauseMs));
        const Deadline period(line, line.clockMs() + interval);
        QByteArray received;
        while (!period.passed() && !isCancelled(options)) {
            Result<QByteArray> got = line.read(4096, period.remaining());
            if (!got)
                return got.error();
            received += got.value();
            // The panel never sends the poll byte: one coming back is the line's echo.
            QByteArray answer = received;
            answer.replace(char(kLoaderPoll), QByteArray());
            if (isLoaderReady(answer)) {
                if (echoes)
                    *echoes = received.contains(char(kLoaderPoll));
                return HandshakeOutcome::Ready;
            }
        }
        if (options.handshakeTimeoutMs > 0 &&
            line.clockMs() - started >= options.handshakeTimeoutMs)
            return makeError(QStringLiteral("The panel's loader did not answer on %1 within %2 "
                                            "seconds. Check the cable and the upload port, then "
                                            "press reset on the panel when asked.")
                                 .arg(line.deviceName())
                                 .arg(options.handshakeTimeoutMs / 1000.0));
    }
}

Result<BlockAnswer> SendDataBlock(SerialLine& line, const DataBlock& block,
                                  const ProgrammingOptions& options) {
    if (block.bytes.isEmpty())
        return BlockAnswer::Accepted;
    Result<QByteArray> packet = makeWritePacket(block);
    if (!packet)
        return packet.error();
    // Bytes left over from the poll or from an earlier answer are not this block's answer.
    if (Status drained = discardWaiting(line, std::max(1, options.blockTimeoutMs)); !drained)
        return drained.error();
    const Deadline deadline(line, line.clockMs() + std::max(0, options.blockTimeoutMs));
    if (Status sent = line.write(packet.value()); !sent)
        return sent.error();
    if (Status written = line.waitForWritten(std::max(0, options.blockTimeoutMs)); !written)
        return written.error();
    QByteArray answer;
    while (answer.size() < 2) {
        Result<QByteArray> got = line.read(2 - answer.size(), deadline.remaining());
        if (!got)
            return got.error();
        if (got.value().isEmpty())
            break;
        if (answer.isEmpty() && options.fixedPauseMs > 0)
            QThread::msleep(ulong(options.fixedPauseMs));
        answer += got.value();
    }
    if (answer.size() < 2)
        return BlockAnswer::NoAnswer;
    return isBlockAccepted(answer) ? BlockAnswer::Accepted : BlockAnswer::WrongAnswer;
}

namespace {

// How a run of blocks ends early, in words; empty while it goes on.
QString stoppedLate(int inARow, const QList<quint32>& late, int windowMs, quint32 next) {
    return QStringLiteral("The panel stopped answering in time: the blocks at word addresses %2 "
                          "were not acknowledged within %1 ms (%3 in a row; it answers later or "
                          "not at all), so writing stopped before word address %4. ")
        .arg(windowMs)
        .arg(addressList(late.mid(late.size() - inARow)))
        .arg(inARow)
        .arg(hexWord(next));
}

} // namespace

bool WriteDataBlocks(SerialLine& line, quint32 startWordAddress, const QByteArray& data,
                     const ProgrammingOptions& options, ProgrammingResult& result) {
    const std::vector<DataBlock> blocks = splitIntoBlocks(startWordAddress, data);
    const int total = int(data.size());
    BlockWriter writer(line, options, result);
    const int stopAfter = std::max(1, options.failedBlocksToStop);
    constexpr int kResyncs = 3;
    int done = 0;
    int lateInARow = 0;
    int resyncs = 0;
    QList<quint32> late;
    QString stopped;
    progress(options, kProgrammingCaption, 0, total);
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (isCancelled(options)) {
            cancelledPartway(result, QStringLiteral("Programming was cancelled after %1 of %2 "
                                                    "blocks. The panel's configuration is "
                                                    "incomplete: press reset and program it again.")
                                         .arg(i)
                                         .arg(blocks.size()));
            return false;
        }
        Result<BlockWriter::Outcome> sent = writer.write(blocks[i], i + 1 < blocks.size());
        if (!sent) {
            result = failure(std::move(result), sent.error().message);
            return false;
        }
        if (sent.value().previousInDoubt) {
            if (++resyncs > kResyncs) {
                stopped = QStringLiteral("The panel sent more answers than the tool sent "
                                         "packets, so its answers cannot be matched to the "
                                         "blocks; writing stopped at word address %1. ")
                              .arg(hexWord(blocks[i].wordAddress));
                result.failedWordAddresses << blocks[i].wordAddress;
                break;
            }
            if (i > 0) { // write the previous block again; its answer may have been another's
                --i;
                done -= int(blocks[i].bytes.size());
                result.failedWordAddresses.removeAll(blocks[i].wordAddress);
            }
            --i;
            continue;
        }
        if (sent.value().lateOrMissing || !sent.value().accepted) {
            late << blocks[i].wordAddress;
            ++lateInARow;
        } else {
            lateInARow = 0;
        }
        if (!sent.value().accepted)
            result.failedWordAddresses << blocks[i].wordAddress;
        done += int(blocks[i].bytes.size());
        progress(options, kProgrammingCaption, done, total);
        if (lateInARow >= stopAfter && i + 1 < blocks.size()) {
            stopped = stoppedLate(lateInARow, late, writer.windowMs(), blocks[i + 1].wordAddress);
            break;
        }
    }
    if (result.failedWordAddresses.isEmpty() && stopped.isEmpty())
        return true;
    QString text = stopped;
    if (!result.failedWordAddresses.isEmpty())
        text += QStringLiteral("The panel did not acknowledge the blocks at word addresses %1 (%2 "
                               "tries each). ")
                    .arg(addressList(result.failedWordAddresses))
                    .arg(std::max(1, options.tries));
    text += QStringLiteral("The panel's configuration is incomplete: press reset and program it "
                           "again.");
    result = failure(std::move(result), text);
    return false;
}

bool LoadFirmwareLines(SerialLine& line, const std::vector<DataBlock>& blocks,
                       const ProgrammingOptions& options, ProgrammingResult& result) {
    const int total = int(blocks.size());
    BlockWriter writer(line, options, result);
    const int stopAfter = std::max(1, options.failedBlocksToStop);
    constexpr int kResyncs = 3;
    int lateInARow = 0;
    int resyncs = 0;
    QList<quint32> late;
    progress(options, kFirmwareCaption, 0, total);
    for (int i = 0; i < total; ++i) {
        const DataBlock& block = blocks[size_t(i)];
        if (isCancelled(options)) {
            cancelledPartway(result,
                             QStringLiteral("Loading the firmware was cancelled after %1 of "
                                            "%2 lines. The panel's firmware is "
                                            "incomplete: press reset and load it again.")
                                 .arg(i)
                                 .arg(total));
            return false;
        }
        // After the last line too: the configuration's blocks may follow.
        Result<BlockWriter::Outcome> sent = writer.write(block, true);
        if (!sent) {
            result = failure(std::move(result), sent.error().message);
            return false;
        }
        if (sent.value().previousInDoubt && ++resyncs <= kResyncs) {
            i -= i > 0 ? 2 : 1; // the previous line again, then this one
            continue;
        }
        if (sent.value().previousInDoubt || !sent.value().accepted) {
            result.failedWordAddresses << block.wordAddress;
            const QString why = sent.value().previousInDoubt
                                    ? QStringLiteral("the panel sent more answers than the tool "
                                                     "sent packets")
                                    : QStringLiteral("%1 tries").arg(std::max(1, options.tries));
            result = failure(std::move(result),
                             QStringLiteral("The panel did not acknowledge firmware line %1 of %2 "
                                            "(word address %3, %4). The panel's firmware is "
                                            "incomplete: press reset and load it again.")
                                 .arg(i + 1)
                                 .arg(total)
                                 .arg(hexWord(block.wordAddress))
                                 .arg(why));
            return false;
        }
        lateInARow = sent.value().lateOrMissing ? lateInARow + 1 : 0;
        if (sent.value().lateOrMissing)
            late << block.wordAddress;
        progress(options, kFirmwareCaption, i + 1, total);
        if (lateInARow >= stopAfter && i + 1 < total) {
            result = failure(std::move(result),
                             stoppedLate(lateInARow, late, writer.windowMs(),
                                         blocks[size_t(i) + 1].wordAddress) +
                                 QStringLiteral("The panel's firmware is incomplete: press "
                                                "reset and load it again."));
            return false;
        }
    }
    return true;
}

QString firmwareFilePath(const QString& programDir) {
    return QStringLiteral("%1/firmware/%2_%3_%4.hex")
        .arg(programDir)
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionRevision);
}

ProgrammingResult UploadConfiguration(SerialLine& line, const QByteArray& image,
                                      const QString& programDir,
                                      const ProgrammingOptions& options) {
    ProcedureGuard guard;
    if (!guard.acquired())
        return busyResult();
    return firmwareThenImage(line, programDir, image, options, {});
}

ProgrammingResult RestoreFactorySetup(SerialLine& line, const QString& programDir,
                                      const ProgrammingOptions& options) {
    ProcedureGuard guard;
    if (!guard.acquired())
        return busyResult();
    const QString path = programDir + QLatin1Char('/') + QLatin1String(kFactoryDataFileName);
    return firmwareThenImage(line, programDir, {}, options,
                             [&path] { return readFactoryDataFile(path); });
}

ProgrammingResult UpdateFirmware(SerialLine& line, const QString& firmwarePath,
                                 const ProgrammingOptions& options) {
    ProcedureGuard guard;
    if (!guard.acquired())
        return busyResult();
    ProgrammingResult result;
    Result<std::vector<DataBlock>> firmware = checkFirmwareFile(firmwarePath);
    if (!firmware) {
        if (isInvalidRange(firmware.error())) {
            result.detail = firmware.error().message;
            result.messages << UserMessage{QString(), kInvalidRange, UserMessage::Icon::None}
                            << firmwareFailedMessage();
            return result;
        }
        return failure(std::move(result), firmware.error().message);
    }
    LineCloser closer(line);
    if (!openAndHandshake(line, options, result, false))
        return result;
    report(options, ProgrammingStage::LoadingFirmware);
    if (!LoadFirmwareLines(line, firmware.value(), options, result)) {
        // A refused line or Esc gets the update's own failure box, the detail saying why; a line
        // that failed under it keeps its "Error" box.
        if (line.isOpen())
            result.messages = {firmwareFailedMessage()};
        return result;
    }
    report(options, ProgrammingStage::Finished);
    result.outcome = ProgrammingResult::Outcome::Succeeded;
    result.messages << UserMessage{QStringLiteral("Upload Complete"),
                                   QStringLiteral("New firmware was successfully loaded"),
                                   UserMessage::Icon::None};
    return result;
}

bool programmingInProgress() {
    return busy.load();
}

} // namespace ondrel
