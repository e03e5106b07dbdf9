#include "project/split_command_text.h"

namespace ondrel {

SplitResult SplitCommandText(const QString& text) {
    // Head scan: everything before the first "/", counting blanks; the "/" itself counts -1,
    // because the blank in front of it ends the last value rather than starting a new one.
    QString head;
    QString rest;
    int blanks = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('/')) {
            --blanks;
            rest = text.mid(i + 1);
            break;
        }
        head += c;
        if (c == QLatin1Char(' '))
            ++blanks;
    }

    SplitResult result;
    result.commandTokens.resize(std::max(0, blanks + 1));
    int upper = result.commandTokens.upperBound();
    QString pending;
    int k = 0;
    auto store = [&](const QString& token) {
        if (k > upper) { // more tokens than the blank count foresaw: grow rather than overrun
            upper = k;
            result.commandTokens.resize(upper);
        }
        result.commandTokens.setSlot(k, Value(token));
    };
    for (QChar c : head) {
        if (c != QLatin1Char(' ')) {
            pending += c;
        } else if (!pending.isEmpty()) {
            store(pending);
            pending.clear();
            ++k;
        } else if (blanks >= 0) {
            // A blank with nothing pending (a leading or doubled blank): the list is cut down
            // to the blank count, keeping its contents.
            upper = blanks;
            result.commandTokens.resize(upper);
        }
    }
    store(pending);
    result.secondFunction = rest;
    return result;
}

} // namespace ondrel
