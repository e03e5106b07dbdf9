#include "projector/reply_decoder.h"

#include <cstdlib>

// A replies section (as a model file carries it), a NUL, then what a projector sent back: every
// fault names a line of the section, and bytes decode the same whole or one at a time, as the
// first query's answer and as a command's.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ondrel;
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\0');
    const QString section = QString::fromUtf8(input.left(split < 0 ? input.size() : split));
    const QByteArray received = split < 0 ? QByteArray() : input.mid(split + 1);
    QList<Error> faults;
    const auto rules = parseReplyRules(section, 1, &faults);
    if (!rules) {
        const int lines = int(section.count(QLatin1Char('\n'))) + 1;
        for (const Error& e : faults)
            if (e.line < 1 || e.line > lines || e.message.isEmpty())
                std::abort();
        return 0;
    }
    const QStringList queries = rules.value().queryNames();
    for (const QString& query : {queries.value(0), QString()}) {
        const QByteArray sent =
            query.isEmpty() ? QByteArray("PWR ON\r") : *rules.value().query(query);
        const ReplyDecoding whole = decodeReply(rules.value(), sent, query, received);
        ReplyDecoder bytewise(rules.value(), sent, query);
        for (const char byte : received)
            bytewise.feed(QByteArray(1, byte));
        const ReplyDecoding pieces = bytewise.finish();
        if (whole.text() != pieces.text() || whole.outcome != pieces.outcome ||
            whole.meaning.isEmpty())
            std::abort();
    }
    return 0;
}
