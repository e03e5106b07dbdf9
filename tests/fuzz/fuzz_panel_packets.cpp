#include "panel_core.h"

#include <cstdlib>

using namespace ondrel::panel;

// Whatever arrives on the virtual panel's line: every byte is accounted for by an event or a
// pending packet, and the memory it leaves decodes as a configuration table.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PacketReader reader;
    PanelMemory memory;
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    size_t accounted = 0;
    for (const LoaderEvent& event : readEvents(reader, bytes)) {
        if (event.kind == LoaderEvent::Kind::Packet) {
            accounted += 5 + size_t(event.data.size());
            if (event.checksumOk)
                memory.write(event.wordAddress, event.data);
        } else {
            ++accounted;
        }
    }
    if (accounted > size || (accounted < size && !reader.inPacket()))
        std::abort();
    if (decodeConfigTable(memory).isEmpty())
        std::abort();
    return 0;
}
