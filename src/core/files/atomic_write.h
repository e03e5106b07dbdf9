#pragma once

#include "result.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace ondrel {

// Writes `bytes` to `path` through a temporary file beside it, then replaces the file in one step:
// after a failure (disk full, read-only folder, size limit) the previous file is whole and no
// temporary file is left. When another program changed or replaced the file between the start of
// the write and its replacement, the other program's version is kept and an error says so.
// `beforeReplace` runs just before that check (tests use it to play the other program).
// Errors read "cannot write the file: REASON".
Status writeFileAtomically(const QString& path, const QByteArray& bytes,
                           const std::function<void()>& beforeReplace = {});

} // namespace ondrel
