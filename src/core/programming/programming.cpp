#include "programming/programming.h"

#include "ondrel/version.h"
#include "programming/block_writer.h"
#include "programming/factory_data.h"
#include "programming/firmware_files.h"
#include "programming/intel_hex.h"

#include <QFile>
#include <QStringList>
#include <algorithm>

namespace ondrel {

namespace {

std::atomic<bool> busy{false};

enum class Blocks { Firmware, Configuration };
bool writeBlocks(BlockWriter& writer, const std::vector<DataBlock>& blocks, Blocks kind,
                 const ProgrammingOptions& options, ProgrammingResult& result);

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
    BlockWriter writer(line, options, result);
    if (!writeBlocks(writer, firmware.value(), Blocks::Firmware, options, result))
        return result;
    report(options, ProgrammingStage::WritingBlocks);
    if (!writeBlocks(writer, splitIntoBlocks(kConfigWordAddress, data), Blocks::Configuration,
                     options, result))
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
    if (Status drained = drainWaiting(line, std::max(1, options.blockTimeoutMs), {}); !drained)
        return drained.error();
    const int interval = std::max(1, options.pollIntervalMs);
    const qint64 started = line.clockMs();
    for (;;) {
        if (options.cancelled())
            return HandshakeOutcome::Cancelled;
        if (Status sent = line.write(QByteArray(1, char(kLoaderPoll))); !sent)
            return sent.error();
        const Deadline period(line, line.clockMs() + interval);
        QByteArray received;
        while (!period.passed() && !options.cancelled()) {
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

namespace {

// One run of blocks through a writer: where it is, which blocks were late, why it stopped.
class BlockRun {
public:
    BlockRun(BlockWriter& writer, const std::vector<DataBlock>& blocks, Blocks kind,
             const ProgrammingOptions& options, ProgrammingResult& result);
    bool run();

private:
    static constexpr int kResyncs = 3;

    int size(size_t i) const { return firmware_ ? 1 : int(blocks_[i].bytes.size()); }
    void cancel(size_t i);
    bool stepBack(size_t& i);
    bool record(const BlockWriter::Outcome& outcome, size_t i);
    bool finish();

    BlockWriter& writer_;
    const std::vector<DataBlock>& blocks_;
    const ProgrammingOptions& options_;
    ProgrammingResult& result_;
    const bool firmware_;
    const char* const caption_;
    const QString incomplete_;
    const int stopAfter_;
    int total_ = 0;
    int done_ = 0, lateInARow_ = 0, resyncs_ = 0;
    QList<quint32> late_;
    QString stopped_;
};

BlockRun::BlockRun(BlockWriter& writer, const std::vector<DataBlock>& blocks, Blocks kind,
                   const ProgrammingOptions& options, ProgrammingResult& result)
    : writer_(writer), blocks_(blocks), options_(options), result_(result),
      firmware_(kind == Blocks::Firmware),
      caption_(firmware_ ? kFirmwareCaption : kProgrammingCaption),
      incomplete_(firmware_ ? QStringLiteral("The panel's firmware is incomplete: press reset and "
                                             "load it again.")
                            : QStringLiteral("The panel's configuration is incomplete: press "
                                             "reset and program it again.")),
      stopAfter_(std::max(1, options.failedBlocksToStop)) {
    for (size_t i = 0; i < blocks_.size(); ++i)
        total_ += size(i);
}

bool BlockRun::run() {
    progress(options_, caption_, 0, total_);
    for (size_t i = 0; i < blocks_.size();) {
        if (options_.cancelled()) {
            cancel(i);
            return false;
        }
        Result<BlockWriter::Outcome> sent = writer_.write(blocks_[i]);
        if (!sent) {
            result_ = failure(std::move(result_), sent.error().message);
            return false;
        }
        if (sent.value().previousInDoubt) {
            if (!stepBack(i))
                break;
            continue;
        }
        if (!record(sent.value(), i))
            break;
        done_ += size(i);
        progress(options_, caption_, done_, total_);
        ++i;
        if (lateInARow_ >= stopAfter_ && i < blocks_.size()) {
            stopped_ = stoppedLate(lateInARow_, late_, writer_.windowMs(), blocks_[i].wordAddress);
            break;
        }
    }
    return finish();
}

// Esc before block `i`.
void BlockRun::cancel(size_t i) {
    cancelledPartway(
        result_,
        QStringLiteral("%1 was cancelled after %2 of %3 %4. %5")
            .arg(firmware_ ? QStringLiteral("Loading the firmware") : QStringLiteral("Programming"))
            .arg(i)
            .arg(blocks_.size())
            .arg(firmware_ ? QStringLiteral("lines") : QStringLiteral("blocks"))
            .arg(incomplete_));
}

// An answer no packet was owed came with block `i`: the block before goes again, its answer may
// have been another's. False once that happened more than kResyncs times.
bool BlockRun::stepBack(size_t& i) {
    if (++resyncs_ > kResyncs) {
        stopped_ = QStringLiteral("The panel sent more answers than the tool sent "
                                  "packets, so its answers cannot be matched to the "
                                  "blocks; writing stopped at word address %1. ")
                       .arg(hexWord(blocks_[i].wordAddress));
        result_.failedWordAddresses << blocks_[i].wordAddress;
        return false;
    }
    if (i > 0) {
        --i;
        done_ -= size(i);
        result_.failedWordAddresses.removeAll(blocks_[i].wordAddress);
    }
    return true;
}

// Notes how block `i` went. False when the firmware stops there.
bool BlockRun::record(const BlockWriter::Outcome& outcome, size_t i) {
    const bool slow = outcome.lateOrMissing || !outcome.accepted;
    lateInARow_ = slow ? lateInARow_ + 1 : 0;
    if (slow)
        late_ << blocks_[i].wordAddress;
    if (!outcome.accepted) {
        result_.failedWordAddresses << blocks_[i].wordAddress;
        if (firmware_ && lateInARow_ >= stopAfter_) {
            stopped_ = stoppedLate(lateInARow_, late_, writer_.windowMs(), blocks_[i].wordAddress);
            return false;
        }
        if (firmware_) {
            stopped_ = QStringLiteral("The panel did not acknowledge firmware line %1 of %2 "
                                      "(word address %3, %4 tries). ")
                           .arg(i + 1)
                           .arg(blocks_.size())
                           .arg(hexWord(blocks_[i].wordAddress))
                           .arg(std::max(1, options_.tries));
            return false;
        }
    }
    return true;
}

bool BlockRun::finish() {
    if (result_.failedWordAddresses.isEmpty() && stopped_.isEmpty())
        return true;
    QString text = stopped_;
    if (!firmware_ && !result_.failedWordAddresses.isEmpty())
        text += QStringLiteral("The panel did not acknowledge the blocks at word addresses %1 (%2 "
                               "tries each). ")
                    .arg(addressList(result_.failedWordAddresses))
                    .arg(std::max(1, options_.tries));
    result_ = failure(std::move(result_), text + incomplete_);
    return false;
}

// Writes `blocks` in order through `writer`. The configuration's blocks all go out, those not
// acknowledged listed; the firmware stops at its first line not acknowledged. Both stop when the
// panel stops answering in time, and when answers keep coming that no packet was owed (the block
// before is then sent again, at most three times in a procedure).
bool writeBlocks(BlockWriter& writer, const std::vector<DataBlock>& blocks, Blocks kind,
                 const ProgrammingOptions& options, ProgrammingResult& result) {
    return BlockRun(writer, blocks, kind, options, result).run();
}

} // namespace

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
    BlockWriter writer(line, options, result);
    if (!writeBlocks(writer, firmware.value(), Blocks::Firmware, options, result)) {
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
