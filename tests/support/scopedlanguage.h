#pragma once

#include "app/language.h"

#include <QFile>
#include <QTemporaryDir>

#include <utility>

// Installs a language object for a test and puts the previous one back.
class ScopedLanguage
{
public:
    explicit ScopedLanguage(tInterfejs language)
        : m_previous(tInterfejs::instance())
    {
        tInterfejs::setInstance(std::move(language));
    }
    ~ScopedLanguage() { tInterfejs::setInstance(std::move(m_previous)); }
    ScopedLanguage(const ScopedLanguage &) = delete;
    ScopedLanguage &operator=(const ScopedLanguage &) = delete;

private:
    tInterfejs m_previous;
};

#ifdef PRENTAVIK_SOURCE_DIR
// The shipped texts of a language ("US", "PL"), so that a box can be told by
// its text.
inline tInterfejs ShippedLanguage(const QString &code = QStringLiteral("US"))
{
    tInterfejs language;
    language.LoadFile(
        code,
        {QStringLiteral(PRENTAVIK_SOURCE_DIR "/lang"), QStringLiteral("Prentavik"), QStringLiteral("1.0")});
    return language;
}
#endif

// A program folder with language files written from inline text.
class LanguageFolder
{
public:
    LanguageFileCheck check(const QString &version = QStringLiteral("1.0")) const
    {
        return {m_dir.path(), QStringLiteral("Prentavik"), version};
    }
    QString path(const QString &lang) const
    {
        return m_dir.path() + QStringLiteral("/Prentavik_") + lang + QStringLiteral(".xml");
    }
    void write(const QString &lang, const QByteArray &content) const
    {
        QFile file(path(lang));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }
    // A valid file for the check above whose sections hold the given XML.
    void writeValid(const QString &lang, const QByteArray &sections) const
    {
        write(lang,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<interface name=\"Prentavik\" version=\"1.0\">\n"
                  + sections + "\n</interface>\n");
    }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};
