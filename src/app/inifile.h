#pragma once

#include "app/configfiles.h"

#include <QByteArray>
#include <QString>

#include <vector>

// A small INI file: "[Section]" headers and "key=value" lines, as the
// duplication parameters (".dpl") and the barcode sets (".cod") are kept.
//
// Section and key names are found without regard to case; keys may hold
// blanks; a value is everything after the first "=" of its line, kept as
// written (commas, "=" and blanks included). Lines the class does not change
// (comments, blank lines, other sections, hand-made spacing) are written back
// as they were read, in their order. The file is read as UTF-8 (a leading BOM
// is skipped), written as UTF-8 with CR LF, and only as a whole.
class TIniFile
{
public:
    TIniFile() = default;
    // Reads the file when it exists; a missing or unreadable file gives an
    // empty one that `save` creates.
    explicit TIniFile(QString fileName);

    static TIniFile fromBytes(const QByteArray &bytes);
    QByteArray toBytes() const;

    const QString &fileName() const { return m_fileName; }

    bool sectionExists(const QString &section) const;
    bool valueExists(const QString &section, const QString &key) const;

    QString readString(const QString &section, const QString &key, const QString &fallback = {}) const;
    // A missing key or a value that is no number gives the fallback.
    int readInteger(const QString &section, const QString &key, int fallback) const;
    // Takes "." or "," as the decimal separator; no infinities or NaN.
    double readFloat(const QString &section, const QString &key, double fallback) const;

    // False (and nothing changed) for names or values that a line cannot
    // hold: an empty key, a key with "=", a name or value with a line break,
    // a section name with "]".
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool writeInteger(const QString &section, const QString &key, int value);
    bool writeFloat(const QString &section, const QString &key, double value);

    void eraseSection(const QString &section);

    // Writes the whole text to `fileName()` through a temporary file.
    ConfigFiles::FileResult save() const;

private:
    struct Line
    {
        QString text; // as read, or as rebuilt after a write
        QString key; // empty for comments, blank and other lines
        QString value; // the text after the first "="
    };
    struct Section
    {
        QString name;
        QString header; // the header line as read or written
        bool hasHeader = true; // false only for the lines before the first header
        std::vector<Line> lines;
    };

    const Section *findSection(const QString &section) const;
    Section *findSection(const QString &section);
    const Line *findLine(const QString &section, const QString &key) const;

    QString m_fileName;
    std::vector<Section> m_sections;
};
