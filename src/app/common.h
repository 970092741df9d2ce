#pragma once

#include <QString>

#include <span>

// Small routines the whole program shares: version and system information,
// the names of the manual, samples and catalogue, and a few text helpers.

// major.minor, then ".release" and ".build" when asked ("1.0", "1.0.0.1").
QString VersionString(bool withRelease, bool withBuild);

// The web addresses this build was configured with; each is empty unless
// the deployment set it.
struct DeploymentLinks
{
    QString makerWeb;
    QString solmarWeb; // the SOLMAR dealer's site
    QString supportFormAction; // where the support-request form posts

    static DeploymentLinks current();
};

// Every Linux this program builds on can run it; the description names the
// distribution and the kernel.
bool IsSupportedOS(QString &description);
// Distribution and kernel for the support request.
QString OSName();

// Where the program's documents are looked for: the program folder, the
// language code and the dealer code.
struct DocumentPlace
{
    QString programDir;
    QString LANG;
    QString dealer;

    // The running program: its folder, the loaded language, the dealer switch.
    static DocumentPlace current();
};

// No dealer code, or the maker's own name: the maker's edition.
bool IsOwnBrand(const QString &dealer);

// The manual for the language (and dealer), else the English one.
bool ManualPath(const DocumentPlace &place, QString &path);
// "Projekty probne" for Polish when it exists, else "Samples".
bool SamplesDir(const DocumentPlace &place, QString &folder);
// The dealer's catalogue for the language, else the English one; only with a
// dealer code. Empty path when there is none.
bool DealerCataloguePath(const DocumentPlace &place, QString &path);
// The dealer's catalogue, or without a dealer (or for "KORVANEL") the maker's.
bool CataloguePath(const DocumentPlace &place, QString &path);
bool ManualPath(QString &path);
bool SamplesDir(QString &folder);
bool DealerCataloguePath(QString &path);
bool CataloguePath(QString &path);

// The side profile that goes with a front drawing of a perpendicular cut:
// <base>_bok<ext> when it exists, else <base>_side<ext>.
bool SideFileName(const QString &drawing, QString &sideName);

// "1023b", "1KB", "1MB": bytes below 1024, else rounded kibibytes below one
// mebibyte, else rounded mebibytes (halves to even).
QString FileSizeText(qint64 bytes);
QString FileSizeText(const QString &fileName);

// Deletes the file. A missing file or a failed delete is shown as an error
// and gives false.
bool DeleteFileMsg(const QString &fileName);

// A caption as a tip or a status text shows it: without the marks of its
// mnemonic ("&Start" reads "Start"; "&&" is one "&").
QString WithoutMnemonic(const QString &caption);

// The message for a file that could not be written: "Universal"/"bladZapisuPliku",
// the file's name and the system's reason, one to a line.
QString FileWriteFailedText(const QString &fileName, const QString &reason);
// Writes the file whole (ConfigFiles::writeWholeFile). A failed write is shown
// with that message and gives false.
bool WriteFileMsg(const QString &fileName, const QByteArray &bytes);

// Zeroes the array and copies as much of the text as leaves the last element
// 0, so the array always ends with a terminator.
void CopyToWideArray(const QString &text, std::span<char16_t> array);
QString RemoveChar(QChar character, const QString &text);
// The start of a value or line of a file that a message quotes, cut where
// "app/quotedtext.h" cuts it, with "..." when there is more.
QString QuotedExcerpt(QStringView text);
// The Polish letters replaced by their plain Latin letters (for printers
// that know only ASCII).
QString PlToAscii(const QString &text);
// A number with a fixed count of decimals, "." as the separator and no
// grouping, rounded to the nearest with exact halves to even (2.5 gives "2",
// 0.125 gives "0.12"), as every rounding of the program; Qt's own formatting
// takes halves away from zero. A value that rounds to zero has no sign.
QString FixedText(double value, int decimals);
// Decimals shown for a length unit: mm 1, inch 2, foot 3, anything else 1.
int UnitDecimals(int lengthUnit);
// The same for the program's current length unit.
int UnitDecimals();
double DegToRad(double degrees);
