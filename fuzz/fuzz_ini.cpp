// Duplication parameter files and barcode sets are INI files that operators
// copy and edit by hand: any bytes must read without a crash, what is read
// must write back to text that reads the same, and edits must stay put.
#include "app/inifile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    TIniFile ini = TIniFile::fromBytes(bytes);
    const QByteArray written = ini.toBytes();
    if (TIniFile::fromBytes(written).toBytes() != written)
        std::abort();

    // Take a section and key name out of the input itself, so the edits hit
    // names that exist as often as names that do not.
    // (Cut in UTF-8 and decoded again, so no half of a surrogate pair is
    // left: such a name comes from no keyboard or file.)
    const QString text = QString::fromUtf8(bytes);
    const auto piece
        = [&](qsizetype from, qsizetype n) { return QString::fromUtf8(text.mid(from, n).toUtf8()); };
    const QString section = piece(0, 8).trimmed();
    const QString key = piece(8, 8).trimmed();
    const QString value = piece(16, 16);
    if (ini.writeString(section, key, value)) {
        const TIniFile back = TIniFile::fromBytes(ini.toBytes());
        if (back.readString(section, key, QStringLiteral("\x01")) != value)
            std::abort();
        TIniFile erased = back;
        erased.eraseSection(section);
        if (erased.sectionExists(section) || erased.valueExists(section, key))
            std::abort();
    }
    return 0;
}
