#pragma once

#include "app/configfiles.h"

#include <QByteArray>
#include <QString>

#include <array>

// The label of a barcode set for an EPL2 label printer: the code as an
// EAN-13 barcode, five lines of the set's configuration and four lines of
// the operator's own, in the printer's 8-bit character set (Windows-1250).

// The text in Windows-1250; characters the code page lacks become "?".
QByteArray EncodeWindows1250(QStringView text);

// The printer's quoted text: "\"" and "\\" escaped, control characters as
// "?", in Windows-1250, between double quotes.
QByteArray EplQuoted(const QString &text);

struct TBarcodeLabel
{
    QString code;
    std::array<QString, 5> configurationLines;
    std::array<QString, 4> userLines;
    int copies = 1;
    // Without it the Polish letters of the user lines become plain Latin
    // letters, for printers that have no Central European font.
    bool keepNationalLetters = false;
};

// The label's commands, each ended by CR LF, after one lone LF. The user
// lines are trimmed first.
QByteArray BarcodeLabelBytes(const TBarcodeLabel &label);

// Sends the bytes to a printer port or writes them to a file. A terminal
// (a serial port, also a USB adapter) is opened raw, 9600 baud 8N1 without
// flow control, and written until the last byte has left; anything else (a
// printer device such as /dev/usb/lp0, a plain file) gets the bytes as they
// are. A name without a "/" ("ttyUSB0") is a device in /dev, as serial ports
// are named; a device that is not there is never created as a file.
// Failures carry the system's reason.
ConfigFiles::FileResult WriteLabel(const QString &target, const QByteArray &bytes);

// The device or file a label goes to: "Port" of [Label] in the program's INI
// file, "/dev/ttyS0" when it is not set.
inline constexpr const char *DefaultLabelPort = "/dev/ttyS0";
QString ReadLabelPort(const QString &iniPath);
ConfigFiles::FileResult SaveLabelPort(const QString &iniPath, const QString &port);
