#pragma once

#include <QByteArray>
#include <vector>

namespace ondrel {

// The panel's bytes read as answers to write packets. The loader answers E7 E4 (accepted) or E7
// and another byte (refused), and may repeat its ready byte EB at any time; a line that echoes
// returns the tool's own bytes in order, interleaved with the answers. Anything else is foreign:
// not the loader's. An answer split over two reads is completed by the second.
class AnswerReader {
public:
    enum class Answer { Accepted, Refused };
    struct Fed {
        std::vector<Answer> answers; // completed by these bytes, in order
        int foreign = 0;             // bytes that are neither answers, echo nor ready bytes
    };

    explicit AnswerReader(bool echoes = false) : echoes_(echoes) {}
    // Bytes the tool sent: on an echoing line they come back and are not answers.
    void sent(const QByteArray& bytes);
    Fed feed(const QByteArray& bytes);
    // True while the first byte of an answer is in and its second is not.
    bool halfAnswer() const { return half_; }

private:
    bool echoes_;
    QByteArray echo_; // sent bytes whose echo is still to come
    bool half_ = false;
};

} // namespace ondrel
