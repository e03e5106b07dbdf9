#pragma once

#include "programming/loader_protocol.h"
#include "serial/serial_line.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <atomic>
#include <functional>
#include <vector>

// The panel's loader seen from the tool: the reset handshake, write packets with their answers,
// and the three programming procedures. Everything here is synchronous and blocking, meant for a
// worker thread; every wait has a time-out and the cancel flag is looked at between steps.
namespace ondrel {

// A message box for the window to show after a procedure, with the texts the installer knows.
struct UserMessage {
    enum class Icon { None, Exclamation, Critical };
    QString title; // empty: the application's own title
    QString text;
    Icon icon = Icon::None;
};

struct ProgrammingResult {
    enum class Outcome { Succeeded, Cancelled, Failed };
    Outcome outcome = Outcome::Failed;
    QList<UserMessage> messages;        // shown in this order
    QString detail;                     // what went wrong, readable, when it did not succeed
    QList<quint32> failedWordAddresses; // blocks the panel never acknowledged
    int packetsSent = 0;                // resends included
    int resends = 0;                    // packets sent again after no or a wrong answer
    int lateAnswers = 0;     // answers taken after the block time-out, within the late window
    int surplusAnswers = 0;  // repeats, and answers no packet was owed: set aside
    bool lineEchoes = false; // the line returns every byte sent (seen at the reset handshake)

    bool succeeded() const { return outcome == Outcome::Succeeded; }
};

enum class ProgrammingStage { WaitingForReset, LoadingFirmware, WritingBlocks, Finished };

struct ProgrammingOptions {
    int blockTimeoutMs = 1000; // for both answer bytes, counted from the packet's sending
    // After the time-out an answer may still come this much later and counts for its block;
    // nothing else is sent meanwhile. -1: twice the block time-out.
    int lateWindowMs = -1;
    // Windows a block may go unanswered before it fails. While answers to earlier copies are
    // still owed, a block goes out once more for each (a write to a fixed address may be
    // repeated).
    int tries = 3;
    int pollIntervalMs = 100;   // between reset polls
    int handshakeTimeoutMs = 0; // 0: poll until the panel answers or the user cancels
    // Blocks in a row not acknowledged within time-out and late window (resends or not) that
    // mean the panel is gone or slower than the tool waits for: writing stops.
    int failedBlocksToStop = 3;
    const std::atomic<bool>* cancel = nullptr; // set from another thread (Esc)
    bool cancelled() const { return cancel && cancel->load(); }
    std::function<void(ProgrammingStage)> stage;
    // caption ("Uploading Firmware", "Programming...."), value, maximum
    std::function<void(const QString&, int, int)> progress;
};

// Captions of the progress window.
inline constexpr char kFirmwareCaption[] = "Uploading Firmware";
inline constexpr char kProgrammingCaption[] = "Programming....";

enum class HandshakeOutcome { Ready, Cancelled };
// Sends 0xEA every poll interval until the loader answers 0xEB. An error when the line fails or
// the optional overall time-out passes. `echoes`, when given, tells whether the polls came back
// (a line that returns every byte sent).
Result<HandshakeOutcome> resetHandshake(SerialLine& line, const ProgrammingOptions& options,
                                        bool* echoes = nullptr);

// The version-named firmware file beside the program: "<dir>/firmware/1_0_0.hex".
QString firmwareFilePath(const QString& programDir);

// Opens the line, waits for the reset, refreshes the firmware from the version-named file, then
// writes the configuration image at word 0x1600. The image is built and checked by the caller.
ProgrammingResult UploadConfiguration(SerialLine& line, const QByteArray& image,
                                      const QString& programDir, const ProgrammingOptions& options);
// The same with the factory image from "default.dat" beside the program (all 4097 bytes).
ProgrammingResult RestoreFactorySetup(SerialLine& line, const QString& programDir,
                                      const ProgrammingOptions& options);
// Sends the firmware file the installer chose.
ProgrammingResult UpdateFirmware(SerialLine& line, const QString& firmwarePath,
                                 const ProgrammingOptions& options);

// True while one of the three procedures runs; a second one is refused meanwhile.
bool programmingInProgress();

} // namespace ondrel

Q_DECLARE_METATYPE(ondrel::ProgrammingResult)
Q_DECLARE_METATYPE(ondrel::ProgrammingStage)
