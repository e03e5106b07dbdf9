#pragma once

#include <QSize>

namespace ondrel {

// Size in pixels of the primary screen's area not taken by task bars and docks; empty when the
// platform reports no screen.
QSize screenWorkArea();

} // namespace ondrel
