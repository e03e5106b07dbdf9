#include "programming/factory_data.h"
#include "programming/loader_protocol.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto buffer =
        ondrel::parseFactoryData(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    if (buffer.ok() && buffer.value().size() != ondrel::kConfigCapacity)
        std::abort();
    return 0;
}
