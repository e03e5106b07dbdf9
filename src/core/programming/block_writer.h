#pragma once

#include "programming/answer_reader.h"
#include "programming/programming.h"

#include <deque>

namespace ondrel {

// An answer's repeat is seen at most this long after the answer itself: the panel repeats an
// answer within 10 ms, and the line may hand the repeat over up to 2 ms later than the first.
inline constexpr qint64 kRepeatSeenUs = 12'000;
// Once a repeat was seen, a panel that repeats is known: from then on the tool allows its repeats
// this long, for a line that hands them over late (an adapter's latency timer, a busy machine).
inline constexpr qint64 kRepeatSeenAfterRepeatsUs = 20'000;
// Answers owed are written off this many block windows after the panel may first have fallen
// behind by them: the panel is never behind with its answers for longer.
inline constexpr int kOwedHorizonWindows = 10;

// Bytes that keep coming without pause (a device other than the panel's loader, a disturbed
// line) end the procedure after `limitMs` instead of holding it forever.
Error lineNeverQuiet(const SerialLine& line, int limitMs);
// Why a line that should be open is not.
Error lineClosed(SerialLine& line);
// Reads what has arrived until nothing waits, handing each piece to `take` (when given). Bytes
// that keep coming for `limitMs` mean another device talks; a pause of the calling thread (a
// loaded machine) does not: the time counts from the first read, and only after several.
Status drainWaiting(SerialLine& line, int limitMs,
                    const std::function<void(const QByteArray&)>& take);

// Sends blocks one packet at a time and matches the panel's answers to them. The answers carry
// no sequence number, so they are told apart by time and by count (docs/RELIABILITY.md argues
// it):
// - the panel cannot answer a packet before the packet and the answer have crossed the wire, so
//   an answer seen sooner after a packet was written belongs to an earlier packet;
// - an answer seen within kRepeatSeenUs of the last answer is that answer's repeat and counts
//   for nothing; a packet is not written so early that its own answer could fall in that time;
// - answers still owed to copies sent earlier may come at any time, so while d of them are
//   owed a block is written only when d + 1 answers may be its own, each copy sent after the
//   one before was answered or its window passed.
// Lives for one procedure: the answers owed to the firmware's lines are owed to the
// configuration's blocks too.
class BlockWriter {
public:
    struct Outcome {
        bool accepted = false;        // the panel took the block: at least one answer is its own
        bool lateOrMissing = false;   // the first copy had no answer within its window
        bool previousInDoubt = false; // an answer nobody was owed came: the block before may
                                      // not have been written after all
    };

    BlockWriter(SerialLine& line, const ProgrammingOptions& options, ProgrammingResult& result);

    Result<Outcome> write(const DataBlock& block);
    // How long a copy waits for its answer: the block time-out and the late window.
    int windowMs() const { return windowMs_; }
    // Copies whose answers may still come.
    int owed() const { return int(owed_.size()); }

private:
    struct Block; // the copies of the block being written and what was heard for it
    // Reads until `untilUs` (or until `stop` says so after a read), sorting every answer heard.
    // Returns whether foreign bytes came.
    Result<bool> hear(qint64 untilUs, Block* block, const std::function<bool()>& stop = {});
    // Sorts the answers in bytes just read; returns whether foreign bytes came with them.
    bool take(const QByteArray& bytes, Block* block);
    void sort(AnswerReader::Answer answer, bool trusted, qint64 atUs, Block* block);
    Status quietAfterForeign(Block* block);
    // Writes off the answers owed since longer than the horizon, after a window of silence.
    Status writeOff(Block* block);
    qint64 wireUs(qint64 bytes) const;

    SerialLine& line_;
    const ProgrammingOptions& options_;
    ProgrammingResult& result_;
    AnswerReader reader_;
    int timeoutMs_ = 1;
    int windowMs_ = 1;
    int bitsPerByte_ = 10;
    qint64 baud_ = 19200;
    qint64 lastAnswerUs_ = -(qint64(1) << 40); // the last answer that was not a repeat
    qint64 repeatWindowUs_ = kRepeatSeenUs;
    // One entry per answer owed: since when the panel may have been behind by it, oldest first.
    std::deque<qint64> owed_;
    int answersSorted_ = 0;
};

} // namespace ondrel
