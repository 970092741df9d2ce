#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class TIniFile;

// Production sets kept under EAN-13 codes: a machine configuration file and
// the project files that go with it, in an INI file "<code>.cod" of the
// program's writable folder. A scanned label opens the set again.

// Running numbers are the nine digits after "590".
inline constexpr int MaxBarcodeNumber = 999'999'999;

// "590", the number left-padded with zeros to nine digits, and the check
// digit. An empty text for numbers outside 1..MaxBarcodeNumber.
QString MakeEan13(int runningNumber);

// The EAN-13 check digit of twelve digits (weights 1 and 3 from the left).
int Ean13CheckDigit(QStringView twelveDigits);

// The 95 modules ("0" and "1") of a 13-digit code: start guard, the left six
// digits in the L or G code chosen by the first digit, centre guard, the
// right six in the R code, end guard. An empty text for anything but 13 digits.
QString Ean13Pattern(const QString &code);

// True for 13 ASCII digits.
bool IsBarcodeCode(QStringView code);
// True for the file name (no folder) of a set: 13 digits and ".cod" in any
// letter case.
bool IsBarcodeSetFileName(const QString &fileName);

// The set file of a code in a folder: the existing one whatever the letter
// case of its extension, else "<code>.cod".
QString BarcodeSetPath(const QString &folder, const QString &code);

// The codes of the set files in a folder, in ascending order.
QStringList BarcodeSetCodes(const QString &folder);

// The highest running number among the set files of a folder; 0 for none.
int HighestBarcodeNumber(const QString &folder);

// What a set file holds.
struct TBarcodeSet
{
    QString configFileName;
    // Project files in order ("Prj1", "Prj2"... up to the first gap).
    QStringList projects;
    // The four free lines of the label; nothing for a line the file lacks.
    std::array<std::optional<QString>, 4> labelLines;

    bool operator==(const TBarcodeSet &) const = default;
};

TBarcodeSet ReadBarcodeSet(const TIniFile &ini);

// Replaces the set's sections of the INI text with the set. With withLabel
// the four label lines are written too (missing ones empty); without it no
// [Label] section is kept. False when a value cannot be written (a line
// break in a path).
bool WriteBarcodeSet(TIniFile &ini, const TBarcodeSet &set, bool withLabel);
