#include "files/qcd_file.h"
#include "project/project_state.h"

#include <cstdlib>

namespace {
QByteArray reopenAndWrite(const QByteArray& bytes) {
    const auto content = ondrel::parseQcd(bytes);
    if (!content.ok())
        std::abort(); // the tool cannot read a file it wrote
    ondrel::ProjectState state;
    ondrel::applyQcd(content.value(), state, {});
    return ondrel::writeQcd(state);
}
} // namespace

// A configuration file from anywhere. What opens can be saved, and the saved file opens to the
// same state (it saves to the same bytes again).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto content =
        ondrel::parseQcd(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    if (!content.ok()) {
        if (content.error().line < 1 || content.error().message.isEmpty())
            std::abort(); // a refusal names its line
        return 0;
    }
    ondrel::ProjectState state;
    ondrel::applyQcd(content.value(), state, {});
    const QByteArray saved = ondrel::writeQcd(state);
    if (reopenAndWrite(saved) != saved)
        std::abort();
    return 0;
}
