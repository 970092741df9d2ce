#pragma once

#include "app/messages.h"

#include <QHash>
#include <QLocale>
#include <QString>

#include <optional>

class CommandLine;
class QIODevice;

// Which language file to load: the two-letter code that names the file (and
// the manuals and catalogues) and the telephone country code of the language.
struct LanguageChoice
{
    QString LANG = QStringLiteral("US");
    int country = 1;

    bool operator==(const LanguageChoice &) const = default;
};

// The telephone country code of a territory, for the territories that have a
// language of their own here; 1 for all others (they read English).
int CountryOfTerritory(QLocale::Territory territory);
// The country of the system locale.
int SystemCountry();

// The language for a system country, overridden by language words on the
// command line; when several words are given the later test wins.
LanguageChoice ChooseLanguageFor(int systemCountry, const CommandLine &commandLine);

// What a language file must match to be accepted.
struct LanguageFileCheck
{
    QString programDir; // folder that holds the language files
    QString title; // application title: file name prefix and "name"
    QString version; // major.minor the "version" attribute must equal

    // The running program: its folder, its title and its version.
    static LanguageFileCheck current();
};

// The one language object: every caption, hint and message comes from it by
// section and key. The file is parsed once into a table; where a section or a
// key appears twice the first one counts.
class tInterfejs
{
public:
    // Nothing loaded: every lookup answers "error".
    tInterfejs() = default;

    // Chooses the language from the system country and the command line and
    // loads its file; loaded() tells whether that worked.
    static tInterfejs Create(const LanguageFileCheck &check, int systemCountry,
                             const CommandLine &commandLine);

    // Loads <programDir>/<title>_<lang>.xml, or the US file when that one is
    // missing (LANG stays as asked). On failure failure() holds the English
    // message to show before the program ends.
    bool LoadFile(const QString &lang, const LanguageFileCheck &check);

    // Reads a language file's content that was opened elsewhere; fileName
    // goes into the failure message.
    bool LoadFrom(QIODevice &device, const QString &fileName, const LanguageFileCheck &check);

    // The text of the key in the section; "error" when the file, the section
    // or the key is missing; "" for a key without a "str" attribute.
    QString GetText(const QString &section, const QString &key) const;

    bool loaded() const { return m_loaded; }
    int country() const { return m_country; }
    const QString &LANG() const { return m_lang; }
    bool rightToLeft() const { return m_rightToLeft; }
    void setRightToLeft(bool rightToLeft) { m_rightToLeft = rightToLeft; }
    // The file that was loaded or tried last.
    const QString &fileName() const { return m_fileName; }
    const std::optional<Message> &failure() const { return m_failure; }

    // The program-wide language object; an empty one until one is installed.
    static const tInterfejs &instance();
    static tInterfejs &mutableInstance();
    static void setInstance(tInterfejs language);

private:
    bool fail(const QString &text);
    bool parse(QIODevice &device, const LanguageFileCheck &check);

    QHash<QString, QHash<QString, QString>> m_sections;
    bool m_loaded = false;
    int m_country = 1;
    bool m_rightToLeft = false;
    QString m_lang = QStringLiteral("US");
    QString m_fileName;
    std::optional<Message> m_failure;
};

// tInterfejs::instance().GetText(section, key)
QString GetText(const QString &section, const QString &key);

// The locale whose translations Qt's own texts take (file dialogs, message
// box buttons, key names) for a language code of the program ("PL" gives
// Polish; "CN" Chinese of China).
QLocale QtLocaleFor(const QString &lang);
