#include "app/inifile.h"

#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>

namespace {

struct Read
{
    QString section;
    QString key;
    QString value; // "<none>" when the key must be missing
};

struct IniCase
{
    const char *what;
    QByteArray input;
    std::function<void(TIniFile &)> edit;
    QByteArray expected; // the whole file after the edit
    std::vector<Read> reads;
};

const QString None = QStringLiteral("<none>");

TEST(IniFile, ReadsEditsAndWritesKeepingWhatItDoesNotTouch)
{
    const QByteArray three = "; made by hand\r\n"
                             "[Configuration]\r\n"
                             "ConfigFileName=/home/op/foam.mcc\r\n"
                             "\r\n"
                             "[Projects]\r\n"
                             "Prj1=/home/op/a.plt\r\n"
                             "Prj2=/home/op/b.plt\r\n"
                             "\r\n"
                             "[Label]\r\n"
                             "  Line 1 = left as typed\r\n"
                             "# note\r\n";
    const std::vector<IniCase> cases = {
        {"names are found without regard to case; a write keeps the stored spelling",
         "[Duplication_parameters]\r\nNumber of rows=3\r\n",
         [](TIniFile &ini) { EXPECT_TRUE(ini.writeInteger("DUPLICATION_parameters", "NUMBER OF ROWS", 4)); },
         "[Duplication_parameters]\r\nNumber of rows=4\r\n",
         {{"duplication_PARAMETERS", "number of ROWS", "4"}}},
        {"keys with blanks, values with commas, '=' and blanks stay whole",
         "",
         [](TIniFile &ini) {
             EXPECT_TRUE(ini.writeString("Label", "Line 1", " 10,5 x 20 = a, b "));
             EXPECT_TRUE(ini.writeFloat("Label", "Space between the elements", 110.25));
         },
         "[Label]\r\nLine 1= 10,5 x 20 = a, b \r\nSpace between the elements=110.25\r\n",
         {{"label", "line 1", " 10,5 x 20 = a, b "}, {"Label", "Line", None}}},
        {"erasing a section leaves the others byte for byte",
         three,
         [](TIniFile &ini) { ini.eraseSection("PROJECTS"); },
         "; made by hand\r\n"
         "[Configuration]\r\n"
         "ConfigFileName=/home/op/foam.mcc\r\n"
         "\r\n"
         "[Label]\r\n"
         "  Line 1 = left as typed\r\n"
         "# note\r\n",
         {{"Projects", "Prj1", None}, {"Label", "Line 1", " left as typed"}, {"Label", "# note", None}}},
        {"a new key goes before the section's trailing blank line, a new section after one",
         three,
         [](TIniFile &ini) {
             EXPECT_TRUE(ini.writeString("projects", "Prj3", "/home/op/c.plt"));
             EXPECT_TRUE(ini.writeString("Extra", "k", "v"));
         },
         "; made by hand\r\n"
         "[Configuration]\r\n"
         "ConfigFileName=/home/op/foam.mcc\r\n"
         "\r\n"
         "[Projects]\r\n"
         "Prj1=/home/op/a.plt\r\n"
         "Prj2=/home/op/b.plt\r\n"
         "Prj3=/home/op/c.plt\r\n"
         "\r\n"
         "[Label]\r\n"
         "  Line 1 = left as typed\r\n"
         "# note\r\n"
         "\r\n"
         "[Extra]\r\n"
         "k=v\r\n",
         {{"Projects", "Prj2", "/home/op/b.plt"}}},
        {"a BOM is skipped, LF lines are read, UTF-8 names and values kept; written with CR LF",
         "\xEF\xBB\xBF[Zestaw]\nPlik=/dom/łódź.plt\nPlik=second is ignored\n",
         [](TIniFile &) {},
         "[Zestaw]\r\nPlik=/dom/łódź.plt\r\nPlik=second is ignored\r\n",
         {{"ZESTAW", "plik", QStringLiteral("/dom/łódź.plt")}}},
        {"writes a line cannot hold change nothing",
         "[S]\r\nk=v\r\n",
         [](TIniFile &ini) {
             EXPECT_FALSE(ini.writeString("S", "a=b", "x"));
             EXPECT_FALSE(ini.writeString("S", "k", "two\r\nlines"));
             EXPECT_FALSE(ini.writeString("S]", "k", "x"));
             EXPECT_FALSE(ini.writeString("S", ";k", "x"));
         },
         "[S]\r\nk=v\r\n",
         {{"S", "k", "v"}}},
    };
    for (const IniCase &c : cases) {
        SCOPED_TRACE(c.what);
        TIniFile ini = TIniFile::fromBytes(c.input);
        c.edit(ini);
        EXPECT_EQ(ini.toBytes(), c.expected);
        const TIniFile again = TIniFile::fromBytes(ini.toBytes());
        EXPECT_EQ(again.toBytes(), c.expected);
        for (const Read &r : c.reads) {
            SCOPED_TRACE((r.section + "/" + r.key).toStdString());
            EXPECT_EQ(again.valueExists(r.section, r.key), r.value != None);
            EXPECT_EQ(again.readString(r.section, r.key, None), r.value);
        }
    }
}

TEST(IniFile, NumbersFallBackWhenMissingOrUnreadable)
{
    const TIniFile ini = TIniFile::fromBytes("[N]\r\nc=1,5\r\nd=2.5\r\ni= 7 \r\nbad=7 rows\r\nnan=nan\r\n");
    EXPECT_EQ(ini.readFloat("N", "c", -1), 1.5);
    EXPECT_EQ(ini.readFloat("N", "d", -1), 2.5);
    EXPECT_EQ(ini.readFloat("N", "nan", -1), -1);
    EXPECT_EQ(ini.readFloat("N", "none", -1), -1);
    EXPECT_EQ(ini.readInteger("N", "i", -1), 7);
    EXPECT_EQ(ini.readInteger("N", "bad", -1), -1);
    EXPECT_EQ(ini.readInteger("N", "d", -1), -1);
}

TEST(IniFile, SavesWholeAndReportsAFailedWrite)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("set.cod");
    TIniFile created(path);
    EXPECT_FALSE(created.sectionExists("Projects"));
    created.writeString("Projects", "Prj1", "a.plt");
    ASSERT_TRUE(created.save().ok);
    EXPECT_EQ(TIniFile(path).readString("projects", "prj1"), "a.plt");

    TIniFile nowhere(dir.filePath("missing/folder/set.cod"));
    nowhere.writeString("Projects", "Prj1", "a.plt");
    const ConfigFiles::FileResult failed = nowhere.save();
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.isEmpty());
}

} // namespace
