#include "work_area.h"

#include <QGuiApplication>
#include <QScreen>

namespace ondrel {

QSize screenWorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize();
}

} // namespace ondrel
