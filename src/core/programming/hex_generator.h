#pragma once

#include <QString>
#include <QtGlobal>

namespace ondrel {

// The 14-bit word that generated firmware holds at position `index` (0 for the first word).
quint16 generatedFirmwareWord(quint32 index);

// A valid firmware text for tests, demos and benchmarks: an upper-address record of zero, data
// records of up to `wordsPerLine` (1 to 8) words from `startWordAddress` on (each word low byte
// first, as firmware files hold them), the end-of-file record, every line closed by CR LF. The
// words must stay clear of the reserved range 0x2000 to 0x20FF and below 0x8000.
QString generateFirmwareHex(int words, quint32 startWordAddress = 0, int wordsPerLine = 8);

} // namespace ondrel
