// The shipped language files must answer every key the program asks for, so
// no window ever shows "error" in place of a text.

#include "app/common.h"
#include "app/language.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <gtest/gtest.h>
#include <set>
#include <utility>

namespace {

using Key = std::pair<QString, QString>;

const QString sourceDir = QStringLiteral(PRENTAVIK_SOURCE_DIR);

// The listed keys: "Section key" per line, '#' starts a comment line.
std::set<Key> listedKeys()
{
    std::set<Key> keys;
    QFile file(sourceDir + QStringLiteral("/lang/required_keys.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList parts = line.split(QRegularExpression(QStringLiteral("\\s+")));
        if (parts.size() == 2)
            keys.emplace(parts.at(0), parts.at(1));
        else
            ADD_FAILURE() << "malformed line in required_keys.txt: " << line.toStdString();
    }
    return keys;
}

// GetText calls whose section and key are both string literals.
std::set<Key> keysInSources()
{
    static const QString literal = QStringLiteral(
        R"re((?:QStringLiteral\s*\(\s*|QString\s*\(\s*|QLatin1String\s*\(\s*|QString::fromUtf8\s*\(\s*|u)?"([^"\\]+)"\s*\)?(?:_s)?)re");
    static const QRegularExpression call(QStringLiteral(R"(\bGetText\s*\(\s*)") + literal
                                         + QStringLiteral(R"(\s*,\s*)") + literal);
    std::set<Key> keys;
    QDirIterator it(sourceDir + QStringLiteral("/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch &match : call.globalMatch(text))
            keys.emplace(match.captured(1), match.captured(2));
    }
    return keys;
}

class ShippedLanguageFile : public ::testing::TestWithParam<const char *>
{
};

} // namespace

TEST(LanguageKeys, RegistryAndSourcesNameKeys)
{
    // Guards against a broken list or a scanner that finds nothing, either of
    // which would let the file check below pass without checking.
    EXPECT_GE(listedKeys().size(), 30u);
    EXPECT_TRUE(listedKeys().contains(Key("Universal", "blad")));
}

TEST(LanguageKeys, ScannerFindsLiteralLookups)
{
    // The delete routine looks this key up with two literal strings.
    const std::set<Key> found = keysInSources();
    EXPECT_TRUE(found.contains(Key("Universal", "BrakPlikuDoUsuniecia")));
}

TEST_P(ShippedLanguageFile, LoadsAndHoldsEveryKeyTheProgramAsksFor)
{
    const QString lang = QString::fromLatin1(GetParam());
    const LanguageFileCheck check {sourceDir + QStringLiteral("/lang"), QStringLiteral("Prentavik"),
                                   VersionString(false, false)};
    tInterfejs language;
    ASSERT_TRUE(language.LoadFile(lang, check))
        << (language.failure() ? language.failure()->text.toStdString() : std::string());
    ASSERT_EQ(language.fileName(), check.programDir + "/Prentavik_" + lang + ".xml");

    std::set<Key> keys = listedKeys();
    keys.merge(keysInSources());
    QStringList missing;
    for (const Key &key : keys) {
        if (language.GetText(key.first, key.second) == QLatin1String("error"))
            missing << key.first + QLatin1Char('/') + key.second;
    }
    EXPECT_TRUE(missing.isEmpty()) << "missing in Prentavik_" << GetParam()
                                   << ".xml: " << missing.join(QStringLiteral(", ")).toStdString();
}

TEST_P(ShippedLanguageFile, IsCopiedNextToTheProgram)
{
    const QString name
        = QStringLiteral("/Prentavik_") + QString::fromLatin1(GetParam()) + QStringLiteral(".xml");
    QFile shipped(sourceDir + QStringLiteral("/lang") + name);
    QFile copied(QStringLiteral(PRENTAVIK_PROGRAM_DIR) + name);
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(shipped.readAll(), copied.readAll());
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedLanguageFile, ::testing::Values("US", "PL"));
