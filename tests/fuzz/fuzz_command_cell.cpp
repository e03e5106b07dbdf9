#include "catalogue/command_assignment.h"
#include "programming/config_image.h"
#include "programming/loader_protocol.h"
#include "project/text_codec.h"

#include <cstdlib>

// A catalogue cell's command text, as stored on a dual button of both ports and built into the
// image: the image is either refused with a reason or fits the panel's table.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        ondrel::fromWindows1252(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    const auto [primary, secondary] = ondrel::parseCommandCell(text);
    ondrel::ProjectState state;
    ondrel::ButtonConfig record;
    record.setCommandString1(primary.upperBound(), primary);
    record.setCommandString1_2(secondary.upperBound(), secondary);
    record.setCommandString2(primary.upperBound(), primary);
    record.setCommandString2_2(secondary.upperBound(), secondary);
    if (!secondary.isEmpty())
        record.setDualFunction();
    state.setButton(0, record);
    const auto image = ondrel::BuildConfigImage(state);
    if (image.ok() && image.value().bytes.size() > ondrel::kConfigCapacity)
        std::abort();
    if (!image.ok() && image.error().message.isEmpty())
        std::abort();
    return 0;
}
