#pragma once

#include "../../tests/support/pty_pair.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace ondrel::shots {

// The PC's ports 1 to 3 as pseudo-terminals (ONDREL_PORT1 to 3), for the serial tool windows.
struct FakeSerialPorts {
    test::PtyPair ports[3];
    FakeSerialPorts() {
        for (int i = 0; i < 3; ++i)
            qputenv(QByteArray("ONDREL_PORT") + QByteArray::number(i + 1),
                    ports[i].path().toLocal8Bit());
    }
    test::PtyPair& operator[](int i) { return ports[i]; }
};

// Lets the windows take in what arrived for `ms` milliseconds.
inline void settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace ondrel::shots
