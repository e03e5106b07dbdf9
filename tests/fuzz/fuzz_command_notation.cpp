#include "project/command_entry.h"
#include "project/command_notation.h"

#include <cstdlib>

// A command string typed or pasted in each notation: a refusal points inside the text at the token
// it names; what is accepted fits a command string and reads back from its own written form.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ondrel;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    for (Notation notation : {Notation::Text, Notation::Hex, Notation::Decimal}) {
        const ParsedCommand parsed = parseCommandNotation(text, notation);
        if (!parsed.ok()) {
            const NotationFault& f = *parsed.fault;
            if (f.column < 1 || f.length < 1 || f.column - 1 + f.length > text.size() ||
                f.token != text.mid(f.column - 1, f.length) || f.reason.isEmpty())
                std::abort();
            continue;
        }
        if (parsed.bytes.size() > kMaxCommandBytes)
            std::abort();
        const ParsedCommand again =
            parseCommandNotation(formatCommandNotation(parsed.bytes, notation), notation);
        if (!again.ok() || again.bytes != parsed.bytes)
            std::abort();
    }
    return 0;
}
