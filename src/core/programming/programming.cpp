#include "programming/programming.h"

#include "ondrel/version.h"
#include "programming/factory_data.h"
#include "programming/firmware_files.h"
#include "programming/intel_hex.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStringList>
#include <QThread>

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

// Throws away whatever the panel still sends, until the line has been quiet for `quietMs`:
// a late answer must not be taken for the answer to the next packet.
Status discardUntilQuiet(SerialLine& line, int quietMs, int limitMs) {
    const QDeadlineTimer limit(limitMs);
    for (;;) {
        Result<QByteArray> stale = line.read(4096, quietMs);
        if (!stale)
            return stale.error();
        if (stale.value().isEmpty())
            return Ok{};
        if (limit.hasExpired())
            return lineNeverQuiet(line, limitMs);
    }
}

Status discardWaiting(SerialLine& line, int limitMs) {
    const QDeadlineTimer limit(limitMs);
    while (line.bytesAvailable() > 0) {
        if (limit.hasExpired())
            return lineNeverQuiet(line, limitMs);
        Result<QByteArray> stale = line.read(4096, 0);
        if (!stale)
            return stale.error();
    }
    if (!line.isOpen()) { // it failed meanwhile: a read says why
        Result<QByteArray> why = line.read(1, 0);
        return why ? makeError(
                         QStringLiteral("The serial port %1 was closed.").arg(line.deviceName()))
                   : why.error();
    }
    return Ok{};
}

// Sends one block until the panel accepts it, at most `tries` times. False when it never did.
Result<bool> sendWithRetries(SerialLine& line, const DataBlock& block,
                             const ProgrammingOptions& options, ProgrammingResult& result) {
    const int tries = std::max(1, options.tries);
    for (int attempt = 1; attempt <= tries; ++attempt) {
        ++result.packetsSent;
        result.resends += attempt > 1 ? 1 : 0;
        Result<BlockAnswer> answer = SendDataBlock(line, block, options);
        if (!answer)
            return answer.error();
        if (answer.value() == BlockAnswer::Accepted)
            return true;
        if (attempt == tries || isCancelled(options))
            break;
        const int quietMs = std::max(1, options.blockTimeoutMs / 2);
        if (Status quiet = discardUntilQuiet(line, quietMs, 4 * quietMs); !quiet)
            return quiet.error();
    }
    return false;
}

// The firmware file checked whole, its errors naming the file: nothing is sent from a bad one.
Result<std::vector<DataBlock>> checkFirmwareFile(const QString& path) {
    const Result<QString> text = readFirmwareFile(path);
    if (!text)
        return text.error();
    Result<std::vector<DataBlock>> blocks = parseFirmwareText(text.value());
    if (!blocks)
        return makeError(
            QStringLiteral("%1 (in %2). Nothing was sent.").arg(blocks.error().message, path),
            blocks.error().line);
    return blocks;
}

bool isInvalidRange(const Error& error) {
    return error.message.contains(kInvalidRange);
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
    Result<HandshakeOutcome> handshake = resetHandshake(line, options);
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

Result<HandshakeOutcome> resetHandshake(SerialLine& line, const ProgrammingOptions& options) {
    if (Status drained = discardWaiting(line, std::max(1, options.blockTimeoutMs)); !drained)
        return drained.error();
    const int interval = std::max(1, options.pollIntervalMs);
    QDeadlineTimer overall(options.handshakeTimeoutMs > 0 ? options.handshakeTimeoutMs : -1);
    for (;;) {
        if (isCancelled(options))
            return HandshakeOutcome::Cancelled;
        if (Status sent = line.write(QByteArray(1, char(kLoaderPoll))); !sent)
            return sent.error();
        if (options.fixedPauseMs > 0)
            QThread::msleep(ulong(options.fixedPauseMs));
        QDeadlineTimer period(interval);
        QByteArray received;
        while (!period.hasExpired() && !isCancelled(options)) {
            Result<QByteArray> got = line.read(4096, int(period.remainingTime()));
            if (!got)
                return got.error();
            received += got.value();
            if (isLoaderReady(received))
                return HandshakeOutcome::Ready;
        }
        if (overall.hasExpired())
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
    QDeadlineTimer deadline(std::max(0, options.blockTimeoutMs));
    if (Status sent = line.write(packet.value()); !sent)
        return sent.error();
    if (Status written = line.waitForWritten(std::max(0, options.blockTimeoutMs)); !written)
        return written.error();
    QByteArray answer;
    while (answer.size() < 2) {
        Result<QByteArray> got = line.read(2 - answer.size(), int(deadline.remainingTime()));
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

bool WriteDataBlocks(SerialLine& line, quint32 startWordAddress, const QByteArray& data,
                     const ProgrammingOptions& options, ProgrammingResult& result) {
    const std::vector<DataBlock> blocks = splitIntoBlocks(startWordAddress, data);
    const int total = int(data.size());
    int done = 0;
    int failedInARow = 0;
    bool stopped = false;
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
        Result<bool> accepted = sendWithRetries(line, blocks[i], options, result);
        if (!accepted) {
            result = failure(std::move(result), accepted.error().message);
            return false;
        }
        if (accepted.value()) {
            failedInARow = 0;
        } else {
            result.failedWordAddresses << blocks[i].wordAddress;
            if (++failedInARow >= std::max(1, options.failedBlocksToStop)) {
                stopped = true;
                break;
            }
        }
        done += int(blocks[i].bytes.size());
        progress(options, kProgrammingCaption, done, total);
    }
    if (result.failedWordAddresses.isEmpty())
        return true;
    QString text;
    if (stopped)
        text = QStringLiteral("The panel stopped answering: %1 blocks in a row were not "
                              "acknowledged, so writing stopped at word address %2. ")
                   .arg(failedInARow)
                   .arg(hexWord(result.failedWordAddresses.back()));
    text += QStringLiteral("The panel did not acknowledge the blocks at word addresses %1 (%2 "
                           "tries each). The panel's configuration is incomplete: press reset "
                           "and program it again.")
                .arg(addressList(result.failedWordAddresses))
                .arg(std::max(1, options.tries));
    result = failure(std::move(result), text);
    return false;
}

bool LoadFirmwareLines(SerialLine& line, const std::vector<DataBlock>& blocks,
                       const ProgrammingOptions& options, ProgrammingResult& result) {
    const int total = int(blocks.size());
    progress(options, kFirmwareCaption, 0, total);
    for (int i = 0; i < total; ++i) {
        if (isCancelled(options)) {
            cancelledPartway(result,
                             QStringLiteral("Loading the firmware was cancelled after %1 of "
                                            "%2 lines. The panel's firmware is "
                                            "incomplete: press reset and load it again.")
                                 .arg(i)
                                 .arg(total));
            return false;
        }
        Result<bool> accepted = sendWithRetries(line, blocks[size_t(i)], options, result);
        if (!accepted) {
            result = failure(std::move(result), accepted.error().message);
            return false;
        }
        if (!accepted.value()) {
            result.failedWordAddresses << blocks[size_t(i)].wordAddress;
            result = failure(std::move(result),
                             QStringLiteral("The panel did not acknowledge firmware line %1 of %2 "
                                            "(word address %3, %4 tries). The panel's firmware is "
                                            "incomplete: press reset and load it again.")
                                 .arg(i + 1)
                                 .arg(total)
                                 .arg(hexWord(blocks[size_t(i)].wordAddress))
                                 .arg(std::max(1, options.tries)));
            return false;
        }
        progress(options, kFirmwareCaption, i + 1, total);
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
