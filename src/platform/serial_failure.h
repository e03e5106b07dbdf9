#pragma once

#include "result.h"

#include <QString>

// The failure texts of the serial line back-ends (QSerialPort, the Windows calls, serial servers
// in the network), so that a failure reads the same whatever carries the line. `device` is the
// port's name or the server's address; `why` the system's or the back-end's reason.
namespace ondrel::serial_failure {

// "The serial port COM3 does not exist."
QString missing(const QString& device);
// "The serial port COM3 could not be opened: WHY."
QString notOpened(const QString& device, const QString& why);
// "The serial port COM3 does not accept the settings 9600,N,8,1 (WHY)."
QString settingsRefused(const QString& device, const QString& settings, const QString& why);
// "The serial port COM3 failed while DOING (WHY); it was closed." DOING is "sending" or
// "receiving".
QString failedWhile(const QString& device, const QString& doing, const QString& why);
// The reason given when the port went away under a read or write: the system's texts for that
// ("Inappropriate ioctl for device", "The request is not supported") mislead.
QString lineGone();
// "The serial port COM3 did not send its data within MS ms."
Error notSent(const QString& device, qint64 ms);
// A call on a closed port: the failure that closed it when there was one ("... failed while ..."),
// else "The serial port COM3 is not open."
Error notOpen(const QString& device, const QString& failure);

} // namespace ondrel::serial_failure
