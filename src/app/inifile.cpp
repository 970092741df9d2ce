#include "app/inifile.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

bool sameName(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

bool hasLineBreak(const QString &text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

bool isBlankLine(const QString &text)
{
    return text.trimmed().isEmpty();
}

// A key that reads back as itself: not empty, no blanks at its ends (they are
// trimmed on reading), no "=", and nothing that would make its line a
// comment or a section header.
bool isWritableKey(const QString &key)
{
    if (key.isEmpty() || key != key.trimmed() || key.contains(u'=') || hasLineBreak(key))
        return false;
    return !key.startsWith(u';') && !key.startsWith(u'#') && !key.startsWith(u'[');
}

bool isWritableSection(const QString &section)
{
    return !section.isEmpty() && section == section.trimmed() && !section.contains(u']')
        && !hasLineBreak(section);
}

} // namespace

TIniFile::TIniFile(QString fileName)
    : m_fileName(std::move(fileName))
{
    QFile file(m_fileName);
    if (file.open(QIODevice::ReadOnly)) {
        TIniFile read = fromBytes(file.readAll());
        m_sections = std::move(read.m_sections);
    }
}

TIniFile TIniFile::fromBytes(const QByteArray &bytes)
{
    // Editors that save "UTF-8 with BOM" put one in front; a file saved
    // twice that way may carry two.
    QString text = QString::fromUtf8(bytes);
    qsizetype bom = 0;
    while (bom < text.size() && text[bom] == QChar(0xFEFF))
        ++bom;
    text.remove(0, bom);

    TIniFile ini;
    ini.m_sections.push_back(Section {{}, {}, false, {}});
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        QString line = text.mid(start, end - start);
        start = end + 1;
        if (line.endsWith(u'\r'))
            line.chop(1);

        const QString trimmed = line.trimmed();
        const qsizetype close = trimmed.indexOf(u']');
        if (trimmed.startsWith(u'[') && close > 0) {
            ini.m_sections.push_back(Section {trimmed.mid(1, close - 1).trimmed(), line, true, {}});
            continue;
        }
        Line entry {line, {}, {}};
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0 && !trimmed.startsWith(u';') && !trimmed.startsWith(u'#')) {
            entry.key = line.left(equals).trimmed();
            if (!entry.key.isEmpty())
                entry.value = line.mid(equals + 1);
        }
        ini.m_sections.back().lines.push_back(std::move(entry));
    }
    if (ini.m_sections.front().lines.empty())
        ini.m_sections.erase(ini.m_sections.begin());
    return ini;
}

QByteArray TIniFile::toBytes() const
{
    QString text;
    for (const Section &section : m_sections) {
        if (section.hasHeader)
            text += section.header + QStringLiteral("\r\n");
        for (const Line &line : section.lines)
            text += line.text + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

const TIniFile::Section *TIniFile::findSection(const QString &section) const
{
    const auto it = std::find_if(m_sections.begin(), m_sections.end(),
                                 [&](const Section &s) { return s.hasHeader && sameName(s.name, section); });
    return it == m_sections.end() ? nullptr : &*it;
}

TIniFile::Section *TIniFile::findSection(const QString &section)
{
    return const_cast<Section *>(std::as_const(*this).findSection(section));
}

const TIniFile::Line *TIniFile::findLine(const QString &section, const QString &key) const
{
    const Section *found = findSection(section);
    if (!found)
        return nullptr;
    // The first of two equal keys is the one that counts, as on reading.
    const auto it = std::find_if(found->lines.begin(), found->lines.end(), [&](const Line &line) {
        return !line.key.isEmpty() && sameName(line.key, key);
    });
    return it == found->lines.end() ? nullptr : &*it;
}

bool TIniFile::sectionExists(const QString &section) const
{
    return findSection(section) != nullptr;
}

bool TIniFile::valueExists(const QString &section, const QString &key) const
{
    return findLine(section, key) != nullptr;
}

QString TIniFile::readString(const QString &section, const QString &key, const QString &fallback) const
{
    const Line *line = findLine(section, key);
    return line ? line->value : fallback;
}

int TIniFile::readInteger(const QString &section, const QString &key, int fallback) const
{
    const Line *line = findLine(section, key);
    if (!line)
        return fallback;
    bool ok = false;
    const int value = QLocale::c().toInt(QStringView(line->value).trimmed(), &ok);
    return ok ? value : fallback;
}

double TIniFile::readFloat(const QString &section, const QString &key, double fallback) const
{
    const Line *line = findLine(section, key);
    if (!line)
        return fallback;
    // Files written where the decimal separator is a comma carry one.
    QString number = line->value.trimmed();
    number.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    return ok && std::isfinite(value) ? value : fallback;
}

bool TIniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    if (!isWritableSection(section) || !isWritableKey(key) || hasLineBreak(value))
        return false;
    Section *found = findSection(section);
    if (!found) {
        // A blank line keeps the new section apart from what came before.
        if (!m_sections.empty()) {
            Section &last = m_sections.back();
            if (last.lines.empty() ? last.hasHeader : !isBlankLine(last.lines.back().text))
                last.lines.push_back(Line {});
        }
        m_sections.push_back(Section {section, QLatin1Char('[') + section + QLatin1Char(']'), true, {}});
        found = &m_sections.back();
    }
    auto &lines = found->lines;
    const auto same = std::find_if(lines.begin(), lines.end(), [&](const Line &line) {
        return !line.key.isEmpty() && sameName(line.key, key);
    });
    if (same != lines.end()) {
        same->value = value;
        same->text = same->key + QLatin1Char('=') + value;
        return true;
    }
    // New keys go after the section's last entry, before its trailing blank
    // lines, so the blank line before the next section stays where it was.
    auto at = lines.end();
    while (at != lines.begin() && isBlankLine(std::prev(at)->text))
        --at;
    lines.insert(at, Line {key + QLatin1Char('=') + value, key, value});
    return true;
}

bool TIniFile::writeInteger(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool TIniFile::writeFloat(const QString &section, const QString &key, double value)
{
    return writeString(section, key, ConfigFiles::formatNumber(value));
}

void TIniFile::eraseSection(const QString &section)
{
    std::erase_if(m_sections, [&](const Section &s) { return s.hasHeader && sameName(s.name, section); });
}

ConfigFiles::FileResult TIniFile::save() const
{
    return ConfigFiles::writeWholeFile(m_fileName, toBytes());
}
