#include "platform/win_serial_line.h"
#include "platform/serial_failure.h"

#include "platform/serial_permission.h"

#include <QDeadlineTimer>
#include <QStringList>
#include <algorithm>
#include <iterator>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace ondrel {

namespace {

constexpr DWORD kBufferBytes = 1 << 16; // asked of the driver for each direction
constexpr qint64 kMaxChunk = 1 << 16;   // largest single read or write call
constexpr DWORD kWriteSlackMs = 5000;   // a write may take this long beyond its bytes' time

HANDLE asHandle(void* handle) {
    return static_cast<HANDLE>(handle);
}

// The system's own text for an error code, as one sentence without its final period.
QString systemText(DWORD code) {
    wchar_t text[512];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, text, DWORD(std::size(text)), nullptr);
    QString result = QString::fromWCharArray(text, int(length)).trimmed();
    while (result.endsWith(QLatin1Char('.')))
        result = result.chopped(1).trimmed();
    return result.isEmpty() ? QStringLiteral("system error %1").arg(code) : result;
}

// Errors a read or write meets when the port went away under it (a USB adapter unplugged, the
// driver stopped); the system's texts for them ("The request is not supported") mislead.
bool lineGone(DWORD code) {
    switch (code) {
    case ERROR_OPERATION_ABORTED:
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE:
    case ERROR_ACCESS_DENIED:
    case ERROR_NOT_READY: // wine, when the far end of a pseudo-terminal closed
        return true;
    default:
        return false;
    }
}

// A bare name ("COM3", "COM12") lives in the device namespace; COM10 and above open only there.
std::wstring systemPath(const QString& device) {
    const bool bare = !device.contains(QLatin1Char('\\')) && !device.contains(QLatin1Char('/')) &&
                      !device.contains(QLatin1Char(':'));
    return (bare ? QStringLiteral("\\\\.\\") + device : device).toStdWString();
}

// Milliseconds one character takes on the line, rounded up, for the write time-out.
DWORD msPerByte(const SerialSettings& s) {
    const int bits = 1 + s.dataBits + (s.parity == Parity::None ? 0 : 1) + s.stopBits;
    return s.baudRate > 0 ? DWORD(bits * 1000 / s.baudRate + 1) : 1;
}

// A read returns when it has all it asked for, or after `readWaitMs` with what it has; with a wait
// of 0 it returns at once with what is there. Writes give up after their bytes' time and a margin.
bool setTimeouts(HANDLE handle, DWORD readWaitMs, DWORD writeMsPerByte) {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = readWaitMs > 0 ? 0 : MAXDWORD;
    t.ReadTotalTimeoutConstant = readWaitMs;
    t.WriteTotalTimeoutMultiplier = writeMsPerByte;
    t.WriteTotalTimeoutConstant = kWriteSlackMs;
    return SetCommTimeouts(handle, &t) != 0;
}

} // namespace

WinSerialLine::WinSerialLine(QString device) : device_(std::move(device)) {}

WinSerialLine::~WinSerialLine() {
    close();
}

Status WinSerialLine::open(const SerialSettings& settings) {
    close();
    failure_.clear();
    const HANDLE handle = CreateFileW(systemPath(device_).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return makeError(serial_failure::missing(device_));
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return makeError(permissionFailureMessage(device_, systemText(code)));
        default:
            return makeError(serial_failure::notOpened(device_, systemText(code)));
        }
    }
    handle_ = handle;
    DCB probe{};
    probe.DCBlength = sizeof probe;
    if (!GetCommState(handle, &probe)) { // a file or device that is no serial port
        const DWORD code = GetLastError();
        close();
        return makeError(serial_failure::notOpened(
            device_, QStringLiteral("it is not a serial port (%1)").arg(systemText(code))));
    }
    // Buffer sizes are a request; drivers with fixed buffers refuse it and work all the same.
    SetupComm(handle, kBufferBytes, kBufferBytes);
    if (Status applied = applySettings(settings); !applied) {
        close();
        return applied;
    }
    readWaitMs_ = 0;
    writeMsPerByte_ = msPerByte(settings_);
    if (!setTimeouts(handle, readWaitMs_, writeMsPerByte_)) {
        const DWORD code = GetLastError();
        close();
        return makeError(serial_failure::notOpened(device_, systemText(code)));
    }
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    DWORD errors = 0;
    ClearCommError(handle, &errors, nullptr);
    return Ok{};
}

Status WinSerialLine::setSettings(const SerialSettings& settings) {
    if (!isOpen()) {
        settings_ = settings;
        return Ok{};
    }
    return applySettings(settings);
}

Status WinSerialLine::applySettings(const SerialSettings& s) {
    settings_ = s;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    bool ok = GetCommState(asHandle(handle_), &dcb) != 0;
    if (ok) {
        dcb.BaudRate = DWORD(s.baudRate);
        dcb.ByteSize = BYTE(s.dataBits);
        dcb.Parity = s.parity == Parity::Even  ? EVENPARITY
                     : s.parity == Parity::Odd ? ODDPARITY
                                               : NOPARITY;
        dcb.fParity = dcb.Parity != NOPARITY;
        dcb.StopBits = s.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
        dcb.fBinary = TRUE;
        // No flow control: DTR and RTS stay raised, as powered adapters and panels expect.
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fTXContinueOnXoff = TRUE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE; // zero bytes are data
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fAbortOnError = FALSE; // a framing error must not stop every later read
        ok = SetCommState(asHandle(handle_), &dcb) != 0;
    }
    if (!ok)
        return makeError(
            serial_failure::settingsRefused(device_, s.toString(), systemText(GetLastError())));
    return Ok{};
}

void WinSerialLine::close() {
    if (handle_) {
        CloseHandle(asHandle(handle_));
        handle_ = nullptr;
    }
}

bool WinSerialLine::useTimeouts(quint32 readWaitMs) {
    const DWORD perByte = msPerByte(settings_);
    if (readWaitMs == readWaitMs_ && perByte == writeMsPerByte_)
        return true;
    if (!setTimeouts(asHandle(handle_), readWaitMs, perByte))
        return false;
    readWaitMs_ = readWaitMs;
    writeMsPerByte_ = perByte;
    return true;
}

Error WinSerialLine::lineFailure(const QString& doing, quint32 code) {
    if (!isOpen())
        return notOpen();
    const QString why = lineGone(code) ? serial_failure::lineGone() : systemText(code);
    close();
    failure_ = serial_failure::failedWhile(device_, doing, why);
    return makeError(failure_);
}

Error WinSerialLine::notOpen() const {
    // After a failure, say what failed rather than only that the port is closed.
    return serial_failure::notOpen(device_, failure_);
}

Status WinSerialLine::write(const QByteArray& bytes) {
    if (!isOpen())
        return notOpen();
    if (!useTimeouts(readWaitMs_))
        return lineFailure(QStringLiteral("sending"), GetLastError());
    for (qint64 at = 0; at < bytes.size();) {
        const DWORD chunk = DWORD(std::min(kMaxChunk, bytes.size() - at));
        DWORD written = 0;
        if (!WriteFile(asHandle(handle_), bytes.constData() + at, chunk, &written, nullptr))
            return lineFailure(QStringLiteral("sending"), GetLastError());
        if (written < chunk) // the write time-out ran out: the line does not move
            return serial_failure::notSent(device_,
                                           kWriteSlackMs + qint64(chunk) * writeMsPerByte_);
        at += written;
    }
    return Ok{};
}

Status WinSerialLine::waitForWritten(int timeoutMs) {
    if (!isOpen())
        return notOpen();
    // Polled rather than FlushFileBuffers, which some drivers never let return.
    const QDeadlineTimer deadline(std::max(timeoutMs, 0));
    for (;;) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(asHandle(handle_), &errors, &status))
            return lineFailure(QStringLiteral("sending"), GetLastError());
        if (status.cbOutQue == 0)
            return Ok{};
        if (deadline.hasExpired())
            return serial_failure::notSent(device_, timeoutMs);
        Sleep(1);
    }
}

qint64 WinSerialLine::queued() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(asHandle(handle_), &errors, &status))
        return -1;
    return status.cbInQue;
}

qint64 WinSerialLine::bytesAvailable() {
    if (!isOpen())
        return 0;
    const qint64 waiting = queued();
    if (waiting < 0) {
        const Error failed = lineFailure(QStringLiteral("receiving"), GetLastError());
        Q_UNUSED(failed); // the next read reports it
        return 0;
    }
    return waiting;
}

// Waits for the first byte with a one-byte read, then takes only what the driver holds, so the
// call never waits once something arrived. (The documented form "MAXDWORD, MAXDWORD, wait" that
// returns at the first byte is not honoured by wine, which waits out the whole time.) A port whose
// far end went away quietly is found by asking for its state.
Result<QByteArray> WinSerialLine::read(qint64 maxBytes, int timeoutMs) {
    if (!isOpen())
        return notOpen();
    const qint64 want = std::clamp<qint64>(maxBytes, 0, kMaxChunk);
    QByteArray data(want, Qt::Uninitialized);
    qint64 got = 0;
    qint64 waiting = queued();
    if (waiting == 0 && timeoutMs > 0 && want > 0) {
        DWORD first = 0;
        if (!useTimeouts(quint32(timeoutMs)) ||
            !ReadFile(asHandle(handle_), data.data(), 1, &first, nullptr))
            return lineFailure(QStringLiteral("receiving"), GetLastError());
        got = first;
        waiting = queued();
    }
    if (waiting < 0)
        return lineFailure(QStringLiteral("receiving"), GetLastError());
    const DWORD take = DWORD(std::min(waiting, want - got));
    if (take > 0) {
        DWORD more = 0; // all there already: this read does not wait
        if (!ReadFile(asHandle(handle_), data.data() + got, take, &more, nullptr))
            return lineFailure(QStringLiteral("receiving"), GetLastError());
        got += more;
    }
    data.truncate(got);
    return data;
}

namespace {
// The driver's name for a port says whether it is a USB adapter: "\Device\Serial0" is built in,
// "\Device\VCP0", "\Device\Silabser0", "\Device\USBSER000", "\Device\ProlificSerial0" are not.
bool isUsbDriverName(const QString& name) {
    static const QStringList kUsbNames = {
        QStringLiteral("USB"),      QStringLiteral("VCP"),   QStringLiteral("Silabser"),
        QStringLiteral("Prolific"), QStringLiteral("CH341"),
    };
    return std::any_of(kUsbNames.begin(), kUsbNames.end(),
                       [&](const QString& usb) { return name.contains(usb, Qt::CaseInsensitive); });
}
} // namespace

// The system keeps the ports present under one registry key: each value's data is a port name
// ("COM3"), its name the driver's device ("\Device\Serial0").
QList<FoundPort> findSerialPorts() {
    QList<FoundPort> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = DWORD(std::size(name));
        wchar_t data[256];
        DWORD dataBytes = sizeof data;
        DWORD type = 0;
        const LONG rc = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataBytes);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS || type != REG_SZ) // ERROR_MORE_DATA: no port name is that long
            continue;
        qsizetype length = qsizetype(dataBytes / sizeof(wchar_t));
        while (length > 0 && data[length - 1] == 0)
            --length;
        FoundPort port;
        port.device = QString::fromWCharArray(data, length);
        if (port.device.isEmpty())
            continue;
        QString driver = QString::fromWCharArray(name, qsizetype(nameLength));
        if (driver.startsWith(QStringLiteral("\\Device\\"), Qt::CaseInsensitive))
            driver = driver.mid(8);
        port.usb = isUsbDriverName(driver);
        QStringList about;
        if (port.usb)
            about << QStringLiteral("USB serial");
        if (!driver.isEmpty())
            about << driver;
        port.description = about.join(QStringLiteral(", "));
        ports << port;
    }
    RegCloseKey(key);
    sortSerialPorts(ports);
    return ports;
}

std::unique_ptr<SerialLine> makeSystemLine(const QString& device) {
    return std::make_unique<WinSerialLine>(device);
}

} // namespace ondrel
