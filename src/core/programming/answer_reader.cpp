#include "programming/answer_reader.h"

#include "programming/loader_protocol.h"

namespace ondrel {

void AnswerReader::sent(const QByteArray& bytes) {
    if (echoes_)
        echo_ += bytes;
}

AnswerReader::Fed AnswerReader::feed(const QByteArray& bytes) {
    Fed fed;
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
            fed.answers.push_back(b == kAnswerAccepted2 ? Answer::Accepted : Answer::Refused);
        } else if (b == kAnswerAccepted1) {
            half_ = true;
        } else {
            ++fed.foreign;
        }
    }
    return fed;
}

} // namespace ondrel
