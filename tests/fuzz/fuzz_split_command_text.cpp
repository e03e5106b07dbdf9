#include "project/split_command_text.h"
#include "project/text_codec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        ondrel::fromWindows1252(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    auto split = ondrel::SplitCommandText(text);
    // Splitting whatever is left must terminate too, as the callers do for a second part.
    while (!split.secondFunction.isEmpty()) {
        if (split.commandTokens.upperBound() < 0)
            std::abort();
        (void)split.commandTokens.textForm(ondrel::Notation::Hex);
        split = ondrel::SplitCommandText(split.secondFunction);
    }
    (void)split.commandTokens.toBytes();
    return 0;
}
