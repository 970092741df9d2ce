#include "job/barcodelabel.h"

#include "app/common.h"
#include "app/inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The characters of the bytes 0x80 to 0xFF in Windows-1250 (0 where the code
// page defines none). Qt's converters know no Windows-1250, and the mapping
// never changes.
constexpr char16_t UpperHalf[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021, //
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, //
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, //
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, //
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, //
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, //
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, //
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, //
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, //
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, //
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, //
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, //
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, //
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, //
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, //
};

char EncodeOne(char16_t c)
{
    if (c < 0x80)
        return char(c);
    for (int i = 0; i < 128; ++i) {
        if (UpperHalf[i] == c)
            return char(0x80 + i);
    }
    return '?';
}

// Each command of the label: text, then CR LF.
void Line(QByteArray &out, const QByteArray &command)
{
    out += command;
    out += "\r\n";
}

bool IsTerminal(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}

ConfigFiles::FileResult WriteToPort(const QString &path, const QByteArray &bytes)
{
    // QSerialPort's defaults are the printer's: 9600 baud, 8 data bits, no
    // parity, one stop bit, no flow control; it opens the line raw, so no LF
    // becomes CR LF on the way.
    QSerialPort port(path);
    if (!port.open(QIODevice::WriteOnly))
        return {false, port.errorString()};
    if (port.write(bytes) != bytes.size()) {
        const QString reason = port.errorString();
        port.close();
        return {false, reason};
    }
    // A label leaves in under half a second at 9600 baud; nine seconds
    // means the port is stuck.
    constexpr int WaitMs = 9000;
    while (port.bytesToWrite() > 0) {
        if (!port.waitForBytesWritten(WaitMs)) {
            const QString reason = port.errorString();
            port.close();
            return {false, reason};
        }
    }
    // The last bytes leave the wire before the port is let go.
    ::tcdrain(port.handle());
    port.close();
    return {};
}

ConfigFiles::FileResult WriteToFile(const QString &path, const QByteArray &bytes)
{
    // A printer device or a file: written as it is, without buffering, so a
    // failed write is seen here. A device that is not there is an error, not
    // a new file among the devices.
    QFile file(path);
    QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered;
    if (QFileInfo(path).absoluteFilePath().startsWith(QStringLiteral("/dev/")))
        mode |= QIODevice::ExistingOnly;
    if (!file.open(mode))
        return {false, file.errorString()};
    if (file.write(bytes) != bytes.size())
        return {false, file.errorString()};
    file.close();
    if (file.error() != QFileDevice::NoError)
        return {false, file.errorString()};
    return {};
}

const QString LabelSection = QStringLiteral("Label");
const QString PortKey = QStringLiteral("Port");

} // namespace

QByteArray EncodeWindows1250(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A character beyond the 16-bit range is one "?", not two.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        out += EncodeOne(c.unicode());
    }
    return out;
}

QByteArray EplQuoted(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            escaped += u'\\';
        // A line break would end the printer's command in mid-text.
        escaped += c.unicode() < 0x20 || c.unicode() == 0x7F ? QChar(u'?') : c;
    }
    return '"' + EncodeWindows1250(escaped) + '"';
}

QByteArray BarcodeLabelBytes(const TBarcodeLabel &label)
{
    // A lone LF first, then an empty command, so whatever the printer was
    // left with ends before "N".
    QByteArray out("\n");
    Line(out, {});
    Line(out, "N");
    Line(out, "B50,10,0,E30,3,7,100,B," + EplQuoted(label.code));
    Line(out, "I8,B,001");
    int y = 140;
    for (const QString &line : label.configurationLines) {
        Line(out, "A0," + QByteArray::number(y) + ",0,4,1,1,N," + EplQuoted(line));
        y += 35;
    }
    // The operator's lines stand a little apart from the configuration.
    y += 10;
    for (const QString &line : label.userLines) {
        const QString trimmed = line.trimmed();
        Line(out,
             "A0," + QByteArray::number(y) + ",0,4,1,1,N,"
                 + EplQuoted(label.keepNationalLetters ? trimmed : PlToAscii(trimmed)));
        y += 35;
    }
    Line(out, "P" + QByteArray::number(label.copies));
    return out;
}

ConfigFiles::FileResult WriteLabel(const QString &target, const QByteArray &bytes)
{
    QString path = target;
    if (!path.contains(u'/'))
        path = QStringLiteral("/dev/") + path;
    if (IsTerminal(path))
        return WriteToPort(path, bytes);
    return WriteToFile(path, bytes);
}

QString ReadLabelPort(const QString &iniPath)
{
    const QString port = TIniFile(iniPath).readString(LabelSection, PortKey).trimmed();
    return port.isEmpty() ? QString::fromLatin1(DefaultLabelPort) : port;
}

ConfigFiles::FileResult SaveLabelPort(const QString &iniPath, const QString &port)
{
    TIniFile ini(iniPath);
    if (ini.readString(LabelSection, PortKey) == port)
        return {};
    if (!ini.writeString(LabelSection, PortKey, port))
        return {false, QStringLiteral("\"") + port + QStringLiteral("\"")};
    return ini.save();
}
