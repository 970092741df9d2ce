#include "job/barcode.h"

#include "app/inifile.h"

#include <QDir>

#include <algorithm>

namespace {

const QString ConfigurationSection = QStringLiteral("Configuration");
const QString ProjectsSection = QStringLiteral("Projects");
const QString LabelSection = QStringLiteral("Label");
const QString ConfigKey = QStringLiteral("ConfigFileName");
const QString SetExtension = QStringLiteral(".cod");
constexpr QDir::Filters SetFileFilter = QDir::Files | QDir::Hidden | QDir::System;

// The L code of each digit; R is its complement and G the R code reversed.
constexpr const char *LCode[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                   "0110001", "0101111", "0111011", "0110111", "0001011"};
// Which of the left six digits use the G code, by the first digit.
constexpr const char *Parity[10]
    = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG", "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};

QString RCode(int digit)
{
    QString code = QString::fromLatin1(LCode[digit]);
    for (QChar &module : code)
        module = module == u'0' ? u'1' : u'0';
    return code;
}

QString GCode(int digit)
{
    QString code = RCode(digit);
    std::reverse(code.begin(), code.end());
    return code;
}

int DigitAt(QStringView code, qsizetype i)
{
    return code[i].unicode() - u'0';
}

} // namespace

QString MakeEan13(int runningNumber)
{
    if (runningNumber < 1 || runningNumber > MaxBarcodeNumber)
        return {};
    const QString twelve
        = QStringLiteral("590") + QStringLiteral("%1").arg(runningNumber, 9, 10, QLatin1Char('0'));
    return twelve + QString::number(Ean13CheckDigit(twelve));
}

int Ean13CheckDigit(QStringView twelveDigits)
{
    int sum = 0;
    for (qsizetype i = 0; i < 12 && i < twelveDigits.size(); ++i)
        sum += DigitAt(twelveDigits, i) * (i % 2 == 0 ? 1 : 3);
    return (10 - sum % 10) % 10;
}

bool IsBarcodeCode(QStringView code)
{
    return code.size() == 13
        && std::all_of(code.begin(), code.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString Ean13Pattern(const QString &code)
{
    if (!IsBarcodeCode(code))
        return {};
    const char *parity = Parity[DigitAt(code, 0)];
    QString pattern = QStringLiteral("101");
    for (int i = 1; i <= 6; ++i)
        pattern
            += parity[i - 1] == 'L' ? QString::fromLatin1(LCode[DigitAt(code, i)]) : GCode(DigitAt(code, i));
    pattern += QStringLiteral("01010");
    for (int i = 7; i <= 12; ++i)
        pattern += RCode(DigitAt(code, i));
    pattern += QStringLiteral("101");
    return pattern;
}

bool IsBarcodeSetFileName(const QString &fileName)
{
    // Sets copied from elsewhere or written by hand may say ".COD".
    return fileName.size() == 17 && fileName.endsWith(SetExtension, Qt::CaseInsensitive)
        && IsBarcodeCode(QStringView(fileName).left(13));
}

QString BarcodeSetPath(const QString &folder, const QString &code)
{
    const QDir dir(folder);
    const QString name = code + SetExtension;
    if (IsBarcodeCode(code) && !dir.exists(name)) {
        // The file of the code in any letter case is the set, so it is opened,
        // saved and deleted rather than joined by a second file.
        const QStringList names = dir.entryList({name}, SetFileFilter, QDir::Name);
        if (!names.isEmpty())
            return dir.filePath(names.first());
    }
    return dir.filePath(name);
}

QStringList BarcodeSetCodes(const QString &folder)
{
    QStringList codes;
    // Name filters match in any letter case.
    const QStringList names
        = QDir(folder).entryList({QStringLiteral("*") + SetExtension}, SetFileFilter, QDir::Name);
    for (const QString &name : names) {
        if (IsBarcodeSetFileName(name))
            codes << name.left(13);
    }
    codes.removeDuplicates(); // "<code>.cod" beside "<code>.COD" is one set
    return codes;
}

int HighestBarcodeNumber(const QString &folder)
{
    int highest = 0;
    for (const QString &code : BarcodeSetCodes(folder))
        highest = std::max(highest, code.mid(3, 9).toInt());
    return highest;
}

TBarcodeSet ReadBarcodeSet(const TIniFile &ini)
{
    TBarcodeSet set;
    set.configFileName = ini.readString(ConfigurationSection, ConfigKey);
    for (int n = 1;; ++n) {
        const QString key = QStringLiteral("Prj") + QString::number(n);
        if (!ini.valueExists(ProjectsSection, key))
            break;
        set.projects << ini.readString(ProjectsSection, key);
    }
    for (int n = 1; n <= 4; ++n) {
        const QString key = QStringLiteral("Line") + QString::number(n);
        if (ini.valueExists(LabelSection, key))
            set.labelLines[n - 1] = ini.readString(LabelSection, key);
    }
    return set;
}

bool WriteBarcodeSet(TIniFile &ini, const TBarcodeSet &set, bool withLabel)
{
    // Erased first, so a shorter project list leaves no surplus keys behind.
    for (const QString &section : {ConfigurationSection, ProjectsSection, LabelSection})
        ini.eraseSection(section);
    bool ok = ini.writeString(ConfigurationSection, ConfigKey, set.configFileName);
    for (qsizetype i = 0; i < set.projects.size(); ++i)
        ok = ini.writeString(ProjectsSection, QStringLiteral("Prj") + QString::number(i + 1), set.projects[i])
            && ok;
    if (withLabel) {
        for (int n = 1; n <= 4; ++n)
            ok = ini.writeString(LabelSection, QStringLiteral("Line") + QString::number(n),
                                 set.labelLines[n - 1].value_or(QString()))
                && ok;
    }
    return ok;
}
