#include "platform/qt_serial_line.h"
#include "platform/serial_failure.h"

#include "platform/serial_permission.h"

#include <QDeadlineTimer>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace ondrel {

namespace {

// Asks the driver to hand each received byte on at once. Ports that do not offer it (ptys,
// most built-in UARTs) refuse quietly, and nothing is lost by that.
bool requestLowLatency([[maybe_unused]] QSerialPort& port) {
#ifdef Q_OS_LINUX
    const int fd = static_cast<int>(port.handle());
    serial_struct info{};
    if (fd < 0 || ioctl(fd, TIOCGSERIAL, &info) != 0)
        return false;
    if (info.flags & ASYNC_LOW_LATENCY)
        return true;
    info.flags |= ASYNC_LOW_LATENCY;
    return ioctl(fd, TIOCSSERIAL, &info) == 0;
#else
    return false;
#endif
}

bool isFatal(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
    case QSerialPort::NotOpenError:
    case QSerialPort::UnknownError:
        return true;
    default:
        return false;
    }
}

// A line whose far end went away (an adapter unplugged, the other end of a pseudo-terminal
// closed) fails reads and writes with system texts such as "Inappropriate ioctl for device".
QString failureReason(const QSerialPort& port) {
    switch (port.error()) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        return serial_failure::lineGone();
    default:
        return port.errorString();
    }
}

} // namespace

QtSerialLine::QtSerialLine(QString device) : device_(std::move(device)) {}

QtSerialLine::~QtSerialLine() {
    close();
}

bool QtSerialLine::isOpen() const {
    return port_ && port_->isOpen();
}

Status QtSerialLine::open(const SerialSettings& settings) {
    close();
    failure_.clear();
    port_ = std::make_unique<QSerialPort>();
    port_->setPortName(device_);
    if (!port_->open(QIODevice::ReadWrite)) {
        QString message;
        switch (port_->error()) {
        case QSerialPort::DeviceNotFoundError:
            message = serial_failure::missing(device_);
            break;
        case QSerialPort::PermissionError:
            message = permissionFailureMessage(device_, port_->errorString());
            break;
        default:
            message = serial_failure::notOpened(device_, port_->errorString());
        }
        port_.reset();
        return makeError(message);
    }
    if (Status applied = applySettings(settings); !applied) {
        close();
        return applied;
    }
    port_->setFlowControl(QSerialPort::NoFlowControl);
    // On a thread with an event loop a line whose far end went away reports ReadError over and
    // over while it stays open; close it at the first report. (Blocking use sees the error on
    // return from the wait and closes it there.)
    QObject::connect(port_.get(), &QSerialPort::errorOccurred, port_.get(),
                     [this](QSerialPort::SerialPortError error) {
                         if (!isFatal(error) || !port_ || !port_->isOpen())
                             return;
                         failure_ = QStringLiteral("The serial port %1 failed (%2); it was closed.")
                                        .arg(device_, failureReason(*port_));
                         port_->close();
                     });
    lowLatency_ = requestLowLatency(*port_);
    port_->clear();
    port_->clearError();
    return Ok{};
}

Status QtSerialLine::setSettings(const SerialSettings& settings) {
    if (!isOpen()) {
        settings_ = settings;
        return Ok{};
    }
    return applySettings(settings);
}

Status QtSerialLine::applySettings(const SerialSettings& s) {
    settings_ = s;
    const QSerialPort::Parity parity = s.parity == Parity::Even  ? QSerialPort::EvenParity
                                       : s.parity == Parity::Odd ? QSerialPort::OddParity
                                                                 : QSerialPort::NoParity;
    const bool ok =
        port_->setBaudRate(s.baudRate) && port_->setParity(parity) &&
        port_->setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) &&
        port_->setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    if (!ok) {
        const QString why = port_->errorString();
        port_->clearError();
        return makeError(serial_failure::settingsRefused(device_, s.toString(), why));
    }
    return Ok{};
}

void QtSerialLine::close() {
    if (port_) {
        if (port_->isOpen())
            port_->close();
        port_.reset();
    }
    lowLatency_ = false;
}

Error QtSerialLine::lineFailure(const QString& doing) {
    if (!port_)
        return notOpen();
    const QString why = failureReason(*port_);
    close();
    failure_ = serial_failure::failedWhile(device_, doing, why);
    return makeError(failure_);
}

Error QtSerialLine::notOpen() const {
    // After a failure, say what failed rather than only that the port is closed.
    return serial_failure::notOpen(device_, failure_);
}

Status QtSerialLine::write(const QByteArray& bytes) {
    if (!isOpen())
        return notOpen();
    if (port_->write(bytes) != bytes.size())
        return lineFailure(QStringLiteral("sending"));
    port_->flush();
    if (isFatal(port_->error()))
        return lineFailure(QStringLiteral("sending"));
    return Ok{};
}

Status QtSerialLine::waitForWritten(int timeoutMs) {
    if (!isOpen())
        return notOpen();
    QDeadlineTimer deadline(std::max(timeoutMs, 0));
    while (port_->bytesToWrite() > 0) {
        if (!port_->waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
            if (isFatal(port_->error()))
                return lineFailure(QStringLiteral("sending"));
            port_->clearError();
            if (deadline.hasExpired())
                return serial_failure::notSent(device_, timeoutMs);
        }
    }
    return Ok{};
}

qint64 QtSerialLine::bytesAvailable() {
    if (!isOpen())
        return 0;
    // Without an event loop nothing fills the port's buffer unless it is asked to look.
    if (port_->bytesAvailable() == 0 && !port_->waitForReadyRead(0)) {
        if (isFatal(port_->error())) {
            lineFailure(QStringLiteral("receiving"));
            return 0;
        }
        port_->clearError();
    }
    return isOpen() ? port_->bytesAvailable() : 0;
}

Result<QByteArray> QtSerialLine::read(qint64 maxBytes, int timeoutMs) {
    if (!isOpen())
        return notOpen();
    QDeadlineTimer deadline(std::max(timeoutMs, 0));
    while (port_->bytesAvailable() == 0) {
        const int remaining = static_cast<int>(deadline.remainingTime());
        if (!port_->waitForReadyRead(remaining)) {
            if (isFatal(port_->error()))
                return lineFailure(QStringLiteral("receiving"));
            port_->clearError();
            if (remaining <= 0 || deadline.hasExpired())
                return QByteArray();
        }
    }
    return port_->read(maxBytes);
}

QList<FoundPort> findSerialPorts() {
    QList<FoundPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        FoundPort port;
        port.device = info.systemLocation().isEmpty() ? info.portName() : info.systemLocation();
        port.usb = info.hasVendorIdentifier() || info.portName().startsWith(u"ttyUSB") ||
                   info.portName().startsWith(u"ttyACM");
        QStringList about;
        if (port.usb)
            about << QStringLiteral("USB serial");
        if (!info.description().isEmpty())
            about << info.description();
        port.description = about.join(QStringLiteral(", "));
        port.manufacturer = info.manufacturer();
        port.serialNumber = info.serialNumber();
        ports << port;
    }
    sortSerialPorts(ports);
    return ports;
}

std::unique_ptr<SerialLine> makeSystemLine(const QString& device) {
    return std::make_unique<QtSerialLine>(device);
}

} // namespace ondrel
