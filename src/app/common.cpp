#include "app/common.h"

#include "app/configfiles.h"
#include "app/definicje.h"
#include "app/language.h"
#include "app/messages.h"
#include "app/programfolders.h"
#include "app/quotedtext.h"
#include "app/units.h"
#include "prentavik_version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string_view>

QString VersionString(bool withRelease, bool withBuild)
{
    QString text = QString::number(PRENTAVIK_VERSION_MAJOR) + QLatin1Char('.')
        + QString::number(PRENTAVIK_VERSION_MINOR);
    if (withRelease)
        text += QLatin1Char('.') + QString::number(PRENTAVIK_VERSION_RELEASE);
    if (withBuild)
        text += QLatin1Char('.') + QString::number(PRENTAVIK_VERSION_BUILD);
    return text;
}

DeploymentLinks DeploymentLinks::current()
{
    return {QStringLiteral(PRENTAVIK_MAKER_WEB_ADDRESS), QStringLiteral(PRENTAVIK_SOLMAR_WEB_ADDRESS),
            QStringLiteral(PRENTAVIK_SUPPORT_FORM_ACTION)};
}

bool IsSupportedOS(QString &description)
{
    description = QSysInfo::prettyProductName() + QStringLiteral(" [kernel ") + QSysInfo::kernelVersion()
        + QLatin1Char(']');
    return true;
}

QString OSName()
{
    return QSysInfo::prettyProductName() + QLatin1Char(' ') + QSysInfo::kernelType() + QLatin1Char(' ')
        + QSysInfo::kernelVersion();
}

DocumentPlace DocumentPlace::current()
{
    return {ProgramFolders::current().programDir(), tInterfejs::instance().LANG(), Globals().dealerCode};
}

namespace {

QString inFolder(const DocumentPlace &place, const QString &name)
{
    return place.programDir + QLatin1Char('/') + name;
}

// The file for the language, else the English one; the English name stays
// the answer when neither exists.
bool languageOrEnglish(const DocumentPlace &place, const QString &prefix, const QString &suffix,
                       QString &path)
{
    path = inFolder(place, prefix + place.LANG + suffix);
    if (QFileInfo::exists(path))
        return true;
    path = inFolder(place, prefix + QStringLiteral("US") + suffix);
    return QFileInfo::exists(path);
}

} // namespace

bool IsOwnBrand(const QString &dealer)
{
    return dealer.isEmpty() || dealer == QLatin1String("KORVANEL");
}

bool ManualPath(const DocumentPlace &place, QString &path)
{
    const QString prefix = QStringLiteral("Dervilon_manual_");
    if (!IsOwnBrand(place.dealer))
        return languageOrEnglish(place, prefix, QLatin1Char('_') + place.dealer + QStringLiteral(".pdf"),
                                 path);
    return languageOrEnglish(place, prefix, QStringLiteral(".pdf"), path);
}

bool SamplesDir(const DocumentPlace &place, QString &folder)
{
    if (place.LANG == QLatin1String("PL")) {
        folder = inFolder(place, QStringLiteral("Projekty probne"));
        if (QFileInfo(folder).isDir())
            return true;
    }
    folder = inFolder(place, QStringLiteral("Samples"));
    return QFileInfo(folder).isDir();
}

bool DealerCataloguePath(const DocumentPlace &place, QString &path)
{
    if (!place.dealer.isEmpty()
        && languageOrEnglish(place, QStringLiteral("Catalogue_"),
                             QLatin1Char('_') + place.dealer + QStringLiteral(".pdf"), path))
        return true;
    path.clear();
    return false;
}

bool CataloguePath(const DocumentPlace &place, QString &path)
{
    if (!IsOwnBrand(place.dealer))
        return DealerCataloguePath(place, path);
    return languageOrEnglish(place, QStringLiteral("Catalogue_"), QStringLiteral(".pdf"), path);
}

bool ManualPath(QString &path)
{
    return ManualPath(DocumentPlace::current(), path);
}

bool SamplesDir(QString &folder)
{
    return SamplesDir(DocumentPlace::current(), folder);
}

bool DealerCataloguePath(QString &path)
{
    return DealerCataloguePath(DocumentPlace::current(), path);
}

bool CataloguePath(QString &path)
{
    return CataloguePath(DocumentPlace::current(), path);
}

bool SideFileName(const QString &drawing, QString &sideName)
{
    const QFileInfo info(drawing);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString base = info.path() + QLatin1Char('/') + info.completeBaseName();
    sideName = base + QStringLiteral("_bok") + suffix;
    if (QFileInfo::exists(sideName))
        return true;
    sideName = base + QStringLiteral("_side") + suffix;
    return QFileInfo::exists(sideName);
}

QString FileSizeText(qint64 bytes)
{
    constexpr qint64 kibi = 1024;
    constexpr qint64 mebi = 1024 * 1024;
    if (bytes < kibi)
        return QString::number(bytes) + QLatin1Char('b');
    if (bytes >= mebi) {
        const long double mb = std::nearbyint(static_cast<long double>(bytes) / mebi);
        return QString::number(static_cast<qint64>(mb)) + QStringLiteral("MB");
    }
    const long double kb = std::nearbyint(static_cast<long double>(bytes) / kibi);
    return QString::number(static_cast<qint64>(kb)) + QStringLiteral("KB");
}

QString FileSizeText(const QString &fileName)
{
    return FileSizeText(QFileInfo(fileName).size());
}

bool DeleteFileMsg(const QString &fileName)
{
    if (!QFileInfo::exists(fileName)) {
        ShowMsg(GetText(QStringLiteral("Universal"), QStringLiteral("BrakPlikuDoUsuniecia"))
                    + QStringLiteral("\n\r") + fileName,
                true);
        return false;
    }
    if (!QFile::remove(fileName)) {
        ShowMsg(GetText(QStringLiteral("Universal"), QStringLiteral("BladUsuwaniaPliku"))
                    + QStringLiteral("\n\r") + fileName,
                true);
        return false;
    }
    return true;
}

QString FileWriteFailedText(const QString &fileName, const QString &reason)
{
    return GetText(QStringLiteral("Universal"), QStringLiteral("bladZapisuPliku")) + QLatin1Char('\n')
        + QDir::toNativeSeparators(fileName) + QLatin1Char('\n') + reason;
}

bool WriteFileMsg(const QString &fileName, const QByteArray &bytes)
{
    const ConfigFiles::FileResult written = ConfigFiles::writeWholeFile(fileName, bytes);
    if (!written.ok)
        ShowMsg(FileWriteFailedText(fileName, written.error), true);
    return written.ok;
}

void CopyToWideArray(const QString &text, std::span<char16_t> array)
{
    std::fill(array.begin(), array.end(), u'\0');
    if (array.empty())
        return;
    const std::size_t count = std::min(array.size() - 1, static_cast<std::size_t>(text.size()));
    for (std::size_t i = 0; i < count; ++i)
        array[i] = text.at(static_cast<qsizetype>(i)).unicode();
}

QString RemoveChar(QChar character, const QString &text)
{
    QString result = text;
    result.remove(character);
    return result;
}

QString QuotedExcerpt(QStringView text)
{
    // Twice as many UTF-16 units hold at least QuotedCharacters characters, so
    // only that much is converted, and a pair cut at its end is cut off again.
    const QStringView head = text.left(static_cast<qsizetype>(2 * QuotedCharacters));
    const QByteArray bytes = head.toUtf8();
    const std::size_t end = QuotedEnd(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    QString quoted = QString::fromUtf8(bytes.constData(), static_cast<qsizetype>(end));
    if (end < std::size_t(bytes.size()) || head.size() < text.size())
        quoted += QStringLiteral("...");
    return quoted;
}

QString PlToAscii(const QString &text)
{
    static const QString polish = QStringLiteral("ĄĆĘŁŃÓŚŹŻąćęłńóśźż");
    static const QString plain = QStringLiteral("ACELNOSZZacelnoszz");
    QString result = text;
    for (QChar &c : result) {
        const qsizetype at = polish.indexOf(c);
        if (at >= 0)
            c = plain.at(at);
    }
    return result;
}

QString FixedText(double value, int decimals)
{
    if (!std::isfinite(value))
        return QString::number(value);
    decimals = std::clamp(decimals, 0, 30);
    // to_chars rounds the double's exact value, ties to even; the largest
    // double has 309 digits before the point.
    char buffer[309 + 2 + 30 + 1];
    const auto end
        = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
    std::string_view text(buffer, std::size_t(end - buffer));
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string_view::npos)
        text.remove_prefix(1);
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

int UnitDecimals(int lengthUnit)
{
    switch (lengthUnit) {
    case 1:
        return 2;
    case 2:
        return 3;
    default:
        return 1;
    }
}

int UnitDecimals()
{
    return UnitDecimals(Units::currentLengthUnit());
}

double DegToRad(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

QString WithoutMnemonic(const QString &caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&' && ++i >= caption.size())
            break;
        text += caption.at(i);
    }
    return text;
}
