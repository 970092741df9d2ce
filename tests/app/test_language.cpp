#include "app/commandline.h"
#include "app/language.h"
#include "support/scopedlanguage.h"

#include <gtest/gtest.h>

TEST(LanguageChoice, SystemCountryPicksItsLanguageAndOthersReadEnglish)
{
    struct Case
    {
        int country;
        const char *lang;
        int chosenCountry;
    };
    const Case cases[] = {
        {1, "US", 1},     {7, "RU", 7},     {33, "FR", 33}, {34, "ES", 34}, {36, "HU", 36},
        {39, "IT", 39},   {40, "RO", 40},   {48, "PL", 48}, {49, "DE", 49}, {86, "CN", 86},
        {421, "SK", 421}, {966, "SA", 966}, {44, "US", 1},  {0, "US", 1},   {420, "US", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.country);
        const LanguageChoice choice = ChooseLanguageFor(c.country, CommandLine());
        EXPECT_EQ(choice.LANG, QString::fromLatin1(c.lang));
        EXPECT_EQ(choice.country, c.chosenCountry);
    }
}

TEST(LanguageChoice, TerritoriesMapToTheirTelephoneCodes)
{
    EXPECT_EQ(CountryOfTerritory(QLocale::Poland), 48);
    EXPECT_EQ(CountryOfTerritory(QLocale::SaudiArabia), 966);
    EXPECT_EQ(CountryOfTerritory(QLocale::Slovakia), 421);
    EXPECT_EQ(CountryOfTerritory(QLocale::UnitedStates), 1);
    EXPECT_EQ(CountryOfTerritory(QLocale::Japan), 1);
}

TEST(LanguageChoice, CommandLineWordsOverrideTheSystemAndTheLaterTestWins)
{
    struct Case
    {
        QStringList params;
        int systemCountry;
        const char *lang;
        int country;
    };
    const Case cases[] = {
        {{"GB"}, 48, "US", 1},
        {{"usa"}, 49, "US", 1},
        {{"polska"}, 1, "PL", 48},
        {{"PL", "FR"}, 1, "FR", 33},
        // The order of the tests decides, not the order of the words.
        {{"FR", "PL"}, 1, "FR", 33},
        {{"ES", "IT"}, 1, "ES", 34},
        {{"Espanol"}, 1, "ES", 34},
        {{"ITALY"}, 1, "IT", 39},
        {{"SPAIN"}, 1, "ES", 34},
        {{"sa"}, 1, "SA", 966},
        {{"SK", "CN"}, 1, "SK", 421},
        {{"hu"}, 48, "HU", 36},
        {{"RO"}, 48, "RO", 40},
        {{"RU"}, 48, "RU", 7},
        {{"DE"}, 48, "DE", 49},
        {{"PLX"}, 49, "DE", 49},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.params.join(' ').toStdString());
        const LanguageChoice choice = ChooseLanguageFor(c.systemCountry, CommandLine(c.params));
        EXPECT_EQ(choice.LANG, QString::fromLatin1(c.lang));
        EXPECT_EQ(choice.country, c.country);
    }
}

TEST(LanguageFile, LoadsTheChosenFileAndLooksTextsUp)
{
    LanguageFolder folder;
    ASSERT_TRUE(folder.isValid());
    folder.writeValid("PL",
                      "<Universal><blad str=\"Błąd\"/><pusty/></Universal>"
                      "<Main_window><FileOpenItem.Caption str=\"Otwórz\"/></Main_window>");
    folder.writeValid("US", "<Universal><blad str=\"Error\"/></Universal>");

    const tInterfejs language = tInterfejs::Create(folder.check(), 1, CommandLine({"PL"}));
    ASSERT_TRUE(language.loaded());
    EXPECT_FALSE(language.failure().has_value());
    EXPECT_EQ(language.LANG(), "PL");
    EXPECT_EQ(language.country(), 48);
    EXPECT_EQ(language.fileName(), folder.path("PL"));

    struct Case
    {
        const char *section;
        const char *key;
        QString text;
    };
    const Case cases[] = {
        {"Universal", "blad", QStringLiteral("Błąd")},
        {"Main_window", "FileOpenItem.Caption", QStringLiteral("Otwórz")},
        {"Universal", "pusty", QString()},
        {"Universal", "brak", QStringLiteral("error")},
        {"Missing", "blad", QStringLiteral("error")},
        // Element names are compared exactly.
        {"universal", "blad", QStringLiteral("error")},
        {"Main_window", "FileOpenItem.caption", QStringLiteral("error")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        const QString text = language.GetText(QString::fromUtf8(c.section), QString::fromUtf8(c.key));
        EXPECT_EQ(text, c.text);
    }
}

TEST(LanguageFile, FirstSectionAndFirstKeyWin)
{
    LanguageFolder folder;
    folder.writeValid("US",
                      "<Universal><blad str=\"first\"/><blad str=\"second\"/></Universal>"
                      "<Universal><blad str=\"third\"/><uwaga str=\"later\"/></Universal>"
                      "<Deep><a><b str=\"nested\"/></a></Deep>");
    tInterfejs language;
    ASSERT_TRUE(language.LoadFile("US", folder.check()));
    EXPECT_EQ(language.GetText("Universal", "blad"), "first");
    // Only the first element of a section is looked in.
    EXPECT_EQ(language.GetText("Universal", "uwaga"), "error");
    EXPECT_EQ(language.GetText("Deep", "a"), "");
    EXPECT_EQ(language.GetText("Deep", "b"), "error");
}

TEST(LanguageFile, MissingLanguageFallsBackToEnglishWhileLangStays)
{
    LanguageFolder folder;
    folder.writeValid("US", "<Universal><blad str=\"Error\"/></Universal>");
    const tInterfejs language = tInterfejs::Create(folder.check(), 49, CommandLine());
    ASSERT_TRUE(language.loaded());
    EXPECT_EQ(language.LANG(), "DE");
    EXPECT_EQ(language.country(), 49);
    EXPECT_EQ(language.fileName(), folder.path("US"));
    EXPECT_EQ(language.GetText("Universal", "blad"), "Error");
}

TEST(LanguageFile, EachFailureGivesItsEnglishMessage)
{
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    struct Case
    {
        const char *name;
        std::optional<QByteArray> content; // nullopt: no file at all
        const char *text;
    };
    const Case cases[] = {
        {"missing", std::nullopt, "Application could't work without file: \r\n"},
        {"empty", QByteArray(), "Corruption detected in file: \r\n"},
        {"broken", head + "<interface name=\"Prentavik\" version=\"1.0\"><Universal>",
         "Corruption detected in file: \r\n"},
        {"mismatched", head + "<interface name=\"Prentavik\" version=\"1.0\"></Universal>",
         "Corruption detected in file: \r\n"},
        {"wrong root", head + "<language name=\"Prentavik\" version=\"1.0\"/>",
         "Invalid file structure: \r\n"},
        {"no name", head + "<interface version=\"1.0\"/>", "Invalid file structure: \r\n"},
        {"no version", head + "<interface name=\"Prentavik\"/>", "Invalid file structure: \r\n"},
        {"other name", head + "<interface name=\"Other\" version=\"1.0\"/>",
         "Incompatibile file version: \r\n"},
        {"other version", head + "<interface name=\"Prentavik\" version=\"1.1\"/>",
         "Incompatibile file version: \r\n"},
        {"full version", head + "<interface name=\"Prentavik\" version=\"1.0.0.1\"/>",
         "Incompatibile file version: \r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LanguageFolder folder;
        if (c.content)
            folder.write("US", *c.content);
        tInterfejs language;
        EXPECT_FALSE(language.LoadFile("PL", folder.check()));
        EXPECT_FALSE(language.loaded());
        ASSERT_TRUE(language.failure().has_value());
        const Message expected {QString::fromUtf8(c.text) + folder.path("US"),
                                QStringLiteral("Configuration error"), MessageKind::Error};
        EXPECT_EQ(*language.failure(), expected);
        EXPECT_EQ(language.GetText("Universal", "blad"), "error");
    }
}

TEST(LanguageFile, NameIsComparedWithoutCaseAndVersionExactly)
{
    LanguageFolder folder;
    folder.write(
        "US",
        "<interface name=\"PRENTAVIK\" version=\"1.1\"><Universal><blad str=\"E\"/></Universal></interface>");
    tInterfejs language;
    EXPECT_TRUE(language.LoadFile("US", folder.check("1.1")));
    EXPECT_FALSE(language.LoadFile("US", folder.check("1.10")));
    EXPECT_FALSE(language.LoadFile("US", folder.check("1.2")));
}

TEST(LanguageFile, NothingLoadedAnswersErrorEverywhere)
{
    const tInterfejs language;
    EXPECT_FALSE(language.loaded());
    EXPECT_EQ(language.GetText("Universal", "blad"), "error");
}

TEST(LanguageFile, ProgramWideObjectAnswersTheFreeLookup)
{
    LanguageFolder folder;
    folder.writeValid("US", "<Universal><uwaga str=\"Attention\"/></Universal>");
    tInterfejs language;
    ASSERT_TRUE(language.LoadFile("US", folder.check()));
    {
        ScopedLanguage scoped(std::move(language));
        EXPECT_EQ(GetText("Universal", "uwaga"), "Attention");
    }
    EXPECT_EQ(GetText("Universal", "uwaga"), "error");
}
