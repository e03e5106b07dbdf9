#include "catalogue/model_file.h"

#include <cstdlib>

// A shared model file: every refusal names a line of the file; an accepted model is written back
// to a file that reads as the same model.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ondrel;
    static const QStringList names = {"On", "Off", "Computer_1", "Black_Screen", "Mute_Audio"};
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    ModelFileFaults faults;
    const auto parsed = parseModelFile(text, names, &faults);
    if (!parsed) {
        const int lines = int(text.count(QLatin1Char('\n'))) + 1;
        for (const Error& e : faults.faults)
            if (e.line < 1 || e.line > lines || e.message.isEmpty())
                std::abort();
        return 0;
    }
    const auto again = parseModelFile(writeModelFile(parsed.value()), names);
    if (!again || !(again.value() == parsed.value()))
        std::abort();
    return 0;
}
