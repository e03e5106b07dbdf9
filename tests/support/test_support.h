#pragma once

#include <QString>

namespace ondrel::test {
// Folder of the built programs and their data files (build/bin).
inline QString binDir() {
    return QStringLiteral(ONDREL_BIN_DIR);
}
inline QString sourceDir() {
    return QStringLiteral(ONDREL_SOURCE_DIR);
}
} // namespace ondrel::test
