#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace ondrel {

// The standard CRC-32 (IEEE 802.3, reflected polynomial 0xEDB88320, as zlib and PNG use it):
// "123456789" gives 0xCBF43926. The room sheet and the programming history both name an image
// by it, so an installer can match a sheet to a history record.
quint32 crc32(const QByteArray& bytes);

// Eight upper-case hexadecimal digits, as the sheet and the history show a CRC.
QString crc32Text(quint32 crc);

} // namespace ondrel
