// Barcode sets come back from files an operator may have edited by hand, and
// their label lines go to a printer: any bytes must read without a crash, a
// set read must write back to a file that reads the same, and the label made
// from it must stay fourteen commands whatever its lines hold.
#include "app/inifile.h"
#include "job/barcode.h"
#include "job/barcodelabel.h"
#include "job/barcodesets.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const TBarcodeSet set = ReadBarcodeSet(TIniFile::fromBytes(bytes));
    TBarcodeSet expected = set;
    for (auto &line : expected.labelLines)
        line = line.value_or(QString());
    // Only a lone CR inside a line, which a value keeps, cannot be written back.
    QStringList values = set.projects;
    values << set.configFileName;
    for (const auto &line : expected.labelLines)
        values << *line;
    const bool writable = !values.join(QString()).contains(u'\r');
    TIniFile rewritten = TIniFile::fromBytes(bytes);
    if (WriteBarcodeSet(rewritten, set, true) != writable)
        std::abort();
    if (writable && ReadBarcodeSet(TIniFile::fromBytes(rewritten.toBytes())) != expected)
        std::abort();

    // The same bytes as a machine configuration file give the summary lines.
    const std::array<QString, 5> summary = ConfigurationSummaryOf(bytes);
    TBarcodeLabel label;
    label.code = MakeEan13(int(size % 1000) + 1);
    label.configurationLines = summary;
    for (int i = 0; i < 4; ++i)
        label.userLines[i] = expected.labelLines[i].value_or(QString());
    label.keepNationalLetters = size % 2 == 0;
    const QByteArray printed = BarcodeLabelBytes(label);
    if (printed.count("\r\n") != 14 || printed.count('\n') != 15 || printed.count('\r') != 14)
        std::abort();
    if (Ean13Pattern(label.code).size() != 95)
        std::abort();
    return 0;
}
