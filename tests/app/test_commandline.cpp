#include "app/commandline.h"

#include <gtest/gtest.h>

namespace {

CommandLine params(std::initializer_list<const char *> words)
{
    QStringList list;
    for (const char *word : words)
        list << QString::fromUtf8(word);
    return CommandLine(list);
}

} // namespace

TEST(CommandLine, ParamPresentMatchesWholeParametersIgnoringCase)
{
    struct Case
    {
        CommandLine line;
        const char *word;
        bool present;
    };
    const Case cases[] = {
        {params({"FULLPOWER"}), "fullPower", true},   {params({"fullpower"}), "fullPower", true},
        {params({"fullPower2"}), "fullPower", false}, {params({"xfullPower"}), "fullPower", false},
        {params({"PL", "REPEAT"}), "repeat", true},   {params({}), "REPEAT", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line.params().join(' ').toStdString() + " / " + c.word);
        EXPECT_EQ(c.line.ParamPresent(QString::fromUtf8(c.word)), c.present);
    }
}

TEST(CommandLine, FromArgumentsDropsTheProgramName)
{
    const CommandLine line = CommandLine::fromArguments({"/opt/Prentavik", "PL"});
    EXPECT_EQ(line.params(), QStringList {"PL"});
    EXPECT_FALSE(line.ParamPresent("/opt/Prentavik"));
}

TEST(CommandLine, ParamValueTakesTheQuotedTextOfTheFirstMatchingParameter)
{
    struct Case
    {
        CommandLine line;
        const char *word;
        bool found;
        const char *value;
    };
    const Case cases[] = {
        {params({"MachineName'BN12'"}), "machinename", true, "BN12"},
        {params({"OnlyMachine'Vq 1200'"}), "OnlyMachine", true, "Vq 1200"},
        // Containment, first match wins.
        {params({"limitXY'5'", "limitX'7'"}), "limitX", true, "5"},
        {params({"LIMITX'12.5'"}), "limitx", true, "12.5"},
        {params({"fcWidth''"}), "fcWidth", true, ""},
        {params({"PL", "resS'3'"}), "resS", true, "3"},
        {params({"PL"}), "resS", false, "untouched"},
        {params({}), "resS", false, "untouched"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line.params().join(' ').toStdString() + " / " + c.word);
        QString value = QStringLiteral("untouched");
        EXPECT_EQ(c.line.ParamValue(QString::fromUtf8(c.word), value), c.found);
        EXPECT_EQ(value, QString::fromUtf8(c.value));
    }
}

// Regression: a plain switch that merely contained the word used to be taken
// as its value, so "ChangeableFCWidth" set the machine width to
// "ChangeableFCWidt".
TEST(CommandLine, ParamValueIgnoresPlainSwitchesThatContainTheWord)
{
    const CommandLine line = params({"ChangeableFCWidth", "fcWidth'1300'"});
    QString value;
    ASSERT_TRUE(line.ParamValue("fcWidth", value));
    EXPECT_EQ(value, "1300");

    QString none = QStringLiteral("kept");
    EXPECT_FALSE(params({"ChangeableFCWidth"}).ParamValue("fcWidth", none));
    EXPECT_EQ(none, "kept");
}

// Regression: a value written without its closing quote lost its last
// character.
TEST(CommandLine, ParamValueKeepsAValueWithoutClosingQuoteWhole)
{
    QString value;
    ASSERT_TRUE(params({"limitX'1200"}).ParamValue("limitX", value));
    EXPECT_EQ(value, "1200");
}

TEST(CommandLine, ParamValueLooksForTheWordOnlyBeforeTheQuote)
{
    QString value = QStringLiteral("kept");
    EXPECT_FALSE(params({"MachineName'fcWidth'"}).ParamValue("fcWidth", value));
    EXPECT_EQ(value, "kept");
}

TEST(CommandLine, DealerNameTakesTheLastDealerSwitch)
{
    struct Case
    {
        CommandLine line;
        const char *before;
        const char *code;
    };
    const Case cases[] = {
        {params({"D:ab", "d:cd"}), "", "CD"}, {params({"D:ab", "PL"}), "", "AB"},
        {params({"D:", "d:x"}), "", "X"},     {params({"D:"}), "OLD", ""},
        {params({"PL"}), "OLD", ""},          {params({"D:ab"}), "SOLMAR", "SOLMAR"},
        {params({"XD:ab"}), "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line.params().join(' ').toStdString());
        QString code = QString::fromUtf8(c.before);
        c.line.DealerName(code);
        EXPECT_EQ(code, QString::fromUtf8(c.code));
    }
}

TEST(CommandLine, FreeRoutinesReadTheProgramCommandLine)
{
    const CommandLine saved = CommandLine::current();
    CommandLine::setCurrent(params({"REPEAT", "OnlyMachine'K2'", "D:xy"}));
    QString value;
    QString dealer;
    EXPECT_TRUE(ParamPresent("repeat"));
    EXPECT_TRUE(ParamValue("OnlyMachine", value));
    DealerName(dealer);
    CommandLine::setCurrent(saved);
    EXPECT_EQ(value, "K2");
    EXPECT_EQ(dealer, "XY");
}
