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

// Writes `blocks` in order through `writer`. The configuration's blocks all go out, those not
// acknowledged listed; the firmware stops at its first line not acknowledged. Both stop when the
// panel stops answering in time, and when answers keep coming that no packet was owed (the block
// before is then sent again, at most three times in a procedure).
bool writeBlocks(BlockWriter& writer, const std::vector<DataBlock>& blocks, Blocks kind,
                 const ProgrammingOptions& options, ProgrammingResult& result) {
    const bool firmware = kind == Blocks::Firmware;
    const char* caption = firmware ? kFirmwareCaption : kProgrammingCaption;
    const QString incomplete =
        firmware ? QStringLiteral("The panel's firmware is incomplete: press reset and load it "
                                  "again.")
                 : QStringLiteral("The panel's configuration is incomplete: press reset and "
                                  "program it again.");
    auto size = [&](size_t i) { return firmware ? 1 : int(blocks[i].bytes.size()); };
    int total = 0;
    for (size_t i = 0; i < blocks.size(); ++i)
        total += size(i);
    const int stopAfter = std::max(1, options.failedBlocksToStop);
    constexpr int kResyncs = 3;
    int done = 0, lateInARow = 0, resyncs = 0;
    QList<quint32> late;
    QString stopped;
    progress(options, caption, 0, total);
    for (size_t i = 0; i < blocks.size();) {
        if (options.cancelled()) {
            cancelledPartway(result,
                             QStringLiteral("%1 was cancelled after %2 of %3 %4. %5")
                                 .arg(firmware ? QStringLiteral("Loading the firmware")
                                               : QStringLiteral("Programming"))
                                 .arg(i)
                                 .arg(blocks.size())
                                 .arg(firmware ? QStringLiteral("lines") : QStringLiteral("blocks"))
                                 .arg(incomplete));
            return false;
        }
        Result<BlockWriter::Outcome> sent = writer.write(blocks[i]);
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
            if (i > 0) { // the block before again: its answer may have been another's
                --i;
                done -= size(i);
                result.failedWordAddresses.removeAll(blocks[i].wordAddress);
            }
            continue;
        }
        const bool slow = sent.value().lateOrMissing || !sent.value().accepted;
        lateInARow = slow ? lateInARow + 1 : 0;
        if (slow)
            late << blocks[i].wordAddress;
        if (!sent.value().accepted) {
            result.failedWordAddresses << blocks[i].wordAddress;
            if (firmware && lateInARow >= stopAfter) {
                stopped = stoppedLate(lateInARow, late, writer.windowMs(), blocks[i].wordAddress);
                break;
            }
            if (firmware) {
                stopped = QStringLiteral("The panel did not acknowledge firmware line %1 of %2 "
                                         "(word address %3, %4 tries). ")
                              .arg(i + 1)
                              .arg(blocks.size())
                              .arg(hexWord(blocks[i].wordAddress))
                              .arg(std::max(1, options.tries));
                break;
            }
        }
        done += size(i);
        progress(options, caption, done, total);
        ++i;
        if (lateInARow >= stopAfter && i < blocks.size()) {
            stopped = stoppedLate(lateInARow, late, writer.windowMs(), blocks[i].wordAddress);
            break;
        }
    }
    if (result.failedWordAddresses.isEmpty() && stopped.isEmpty())
        return true;
    QString text = stopped;
    if (!firmware && !result.failedWordAddresses.isEmpty())
        text += QStringLiteral("The panel did not acknowledge the blocks at word addresses %1 (%2 "
                               "tries each). ")
                    .arg(addressList(result.failedWordAddresses))
                    .arg(std::max(1, options.tries));
    result = failure(std::move(result), text + incomplete);
    return false;
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
