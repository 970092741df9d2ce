#include "app/language.h"

#include "app/commandline.h"
#include "app/common.h"
#include "app/programfolders.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

namespace {

struct TerritoryCountry
{
    QLocale::Territory territory;
    int country;
};

constexpr TerritoryCountry territoryCountries[] = {
    {QLocale::UnitedStates, 1}, {QLocale::Russia, 7}, {QLocale::France, 33},    {QLocale::Spain, 34},
    {QLocale::Hungary, 36},     {QLocale::Italy, 39}, {QLocale::Romania, 40},   {QLocale::Poland, 48},
    {QLocale::Germany, 49},     {QLocale::China, 86}, {QLocale::Slovakia, 421}, {QLocale::SaudiArabia, 966},
};

struct CountryLanguage
{
    int country;
    const char *lang;
};

constexpr CountryLanguage countryLanguages[] = {
    {1, "US"},  {7, "RU"},  {33, "FR"}, {34, "ES"}, {36, "HU"},  {39, "IT"},
    {40, "RO"}, {48, "PL"}, {49, "DE"}, {86, "CN"}, {421, "SK"}, {966, "SA"},
};

struct LanguageWord
{
    const char *word;
    const char *lang;
    int country;
};

// Tested in this order, so a later word on the list overrides an earlier one.
constexpr LanguageWord languageWords[] = {
    {"USA", "US", 1}, {"US", "US", 1},     {"GB", "US", 1},       {"POLSKA", "PL", 48}, {"PL", "PL", 48},
    {"DE", "DE", 49}, {"RU", "RU", 7},     {"CN", "CN", 86},      {"SK", "SK", 421},    {"ITALY", "IT", 39},
    {"IT", "IT", 39}, {"SPAIN", "ES", 34}, {"ESPANOL", "ES", 34}, {"ES", "ES", 34},     {"SA", "SA", 966},
    {"HU", "HU", 36}, {"RO", "RO", 40},    {"FR", "FR", 33},
};

tInterfejs &installedLanguage()
{
    static tInterfejs language;
    return language;
}

QString languageFile(const LanguageFileCheck &check, const QString &lang)
{
    return check.programDir + QLatin1Char('/') + check.title + QLatin1Char('_') + lang
        + QStringLiteral(".xml");
}

} // namespace

int CountryOfTerritory(QLocale::Territory territory)
{
    for (const TerritoryCountry &entry : territoryCountries) {
        if (entry.territory == territory)
            return entry.country;
    }
    return 1;
}

int SystemCountry()
{
    return CountryOfTerritory(QLocale::system().territory());
}

LanguageChoice ChooseLanguageFor(int systemCountry, const CommandLine &commandLine)
{
    LanguageChoice choice;
    bool known = false;
    for (const CountryLanguage &entry : countryLanguages) {
        if (entry.country == systemCountry) {
            choice = {QString::fromLatin1(entry.lang), entry.country};
            known = true;
        }
    }
    if (!known)
        choice = {QStringLiteral("US"), 1};

    for (const LanguageWord &entry : languageWords) {
        if (commandLine.ParamPresent(QString::fromLatin1(entry.word)))
            choice = {QString::fromLatin1(entry.lang), entry.country};
    }
    return choice;
}

LanguageFileCheck LanguageFileCheck::current()
{
    QString title = QCoreApplication::applicationName();
    if (title.isEmpty())
        title = QStringLiteral("Prentavik");
    return {ProgramFolders::current().programDir(), title, VersionString(false, false)};
}

tInterfejs tInterfejs::Create(const LanguageFileCheck &check, int systemCountry,
                              const CommandLine &commandLine)
{
    tInterfejs language;
    const LanguageChoice choice = ChooseLanguageFor(systemCountry, commandLine);
    language.m_country = choice.country;
    language.LoadFile(choice.LANG, check);
    return language;
}

bool tInterfejs::fail(const QString &text)
{
    m_sections.clear();
    m_loaded = false;
    m_failure = Message {text + m_fileName, QStringLiteral("Configuration error"), MessageKind::Error};
    return false;
}

bool tInterfejs::LoadFile(const QString &lang, const LanguageFileCheck &check)
{
    m_lang = lang;
    m_failure.reset();
    m_fileName = languageFile(check, lang);
    if (!QFileInfo::exists(m_fileName))
        m_fileName = languageFile(check, QStringLiteral("US"));
    if (!QFileInfo::exists(m_fileName))
        return fail(QStringLiteral("Application could't work without file: \r\n"));

    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Corruption detected in file: \r\n"));
    return parse(file, check);
}

bool tInterfejs::LoadFrom(QIODevice &device, const QString &fileName, const LanguageFileCheck &check)
{
    m_failure.reset();
    m_fileName = fileName;
    return parse(device, check);
}

bool tInterfejs::parse(QIODevice &device, const LanguageFileCheck &check)
{
    QXmlStreamReader xml(&device);
    QString rootName;
    std::optional<QString> name;
    std::optional<QString> version;
    QHash<QString, QHash<QString, QString>> sections;
    QString section;
    bool sectionIsFirst = false;
    int depth = 0;

    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (depth == 1) {
            rootName = xml.name().toString();
            if (attributes.hasAttribute(QStringLiteral("name")))
                name = attributes.value(QStringLiteral("name")).toString();
            if (attributes.hasAttribute(QStringLiteral("version")))
                version = attributes.value(QStringLiteral("version")).toString();
        } else if (depth == 2) {
            section = xml.name().toString();
            // Only the first element of a section's name is ever looked in.
            sectionIsFirst = !sections.contains(section);
            if (sectionIsFirst)
                sections.insert(section, {});
        } else if (depth == 3 && sectionIsFirst) {
            QHash<QString, QString> &keys = sections[section];
            const QString key = xml.name().toString();
            if (!keys.contains(key))
                keys.insert(key, attributes.value(QStringLiteral("str")).toString());
        }
    }

    if (xml.hasError() || rootName.isEmpty())
        return fail(QStringLiteral("Corruption detected in file: \r\n"));
    if (rootName != QLatin1String("interface") || !name || !version)
        return fail(QStringLiteral("Invalid file structure: \r\n"));
    if (name->compare(check.title, Qt::CaseInsensitive) != 0 || *version != check.version)
        return fail(QStringLiteral("Incompatibile file version: \r\n"));

    m_sections = std::move(sections);
    m_loaded = true;
    return true;
}

QString tInterfejs::GetText(const QString &section, const QString &key) const
{
    const auto foundSection = m_sections.constFind(section);
    if (foundSection == m_sections.constEnd())
        return QStringLiteral("error");
    const auto foundKey = foundSection->constFind(key);
    if (foundKey == foundSection->constEnd())
        return QStringLiteral("error");
    return *foundKey;
}

const tInterfejs &tInterfejs::instance()
{
    return installedLanguage();
}

tInterfejs &tInterfejs::mutableInstance()
{
    return installedLanguage();
}

void tInterfejs::setInstance(tInterfejs language)
{
    installedLanguage() = std::move(language);
}

QString GetText(const QString &section, const QString &key)
{
    return tInterfejs::instance().GetText(section, key);
}

QLocale QtLocaleFor(const QString &lang)
{
    static const std::pair<const char *, QLocale::Language> languages[] = {
        {"US", QLocale::English},  {"RU", QLocale::Russian},   {"FR", QLocale::French},
        {"ES", QLocale::Spanish},  {"HU", QLocale::Hungarian}, {"IT", QLocale::Italian},
        {"RO", QLocale::Romanian}, {"PL", QLocale::Polish},    {"DE", QLocale::German},
        {"CN", QLocale::Chinese},  {"SK", QLocale::Slovak},    {"SA", QLocale::Arabic},
    };
    for (const auto &[code, language] : languages) {
        if (lang.compare(QLatin1String(code), Qt::CaseInsensitive) == 0)
            return QLocale(language, language == QLocale::Chinese ? QLocale::China : QLocale::AnyTerritory);
    }
    return QLocale(QLocale::English);
}
