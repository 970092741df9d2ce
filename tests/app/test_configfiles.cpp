#include "app/configfiles.h"
#include "support/testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace ConfigFiles;

namespace {

const char *const kDefaultMcc[] = {
    "Mode := 0",
    "AutoSave := cbUnchecked",
    "radiounit := 0",
    "work_power := 1",
    "CzasRozgrzewania := 1000",
    "szybkoscObrobki := 1000",
    "PrzeSpeed := 1000",
    "skala := 100",
    "Heavy := cbUnchecked",
    "MoveAfter := cbUnchecked",
    "Srednicamaterialu := 500",
    "il_obr_rys := 0",
    "ilosckrokow := 8",
    "dopasujKierunek := cbChecked",
    "KierunekObrotow := 0",
    "StolikSwitch := 0",
    "Wstrzymaj := cbUnchecked",
    "AddFrame := cbChecked",
    "CatDir := 2",
    "cbKrzyzToPunkt := cbUnchecked",
    "Pauza_w_kacie := 200",
    "feuVobrotowa := 1000",
    "feKatObrotu := 380",
    "feKalibracjaX := 0",
    "feKalibracjaY := 0",
    "cbCheckForUpdate := cbUnchecked",
    "rgBazowanie := 0",
    "Xwrzeciona := 12",
    "Ywrzeciona := 730",
    "Xstolika := 1000",
    "Ystolika := 250",
    "Xnarzedzia := 0",
    "Ynarzedzia := 0",
    "feuGlebokoscNaPrzestawczej := 12",
    "feuGlebokoscNaRoboczej := 730",
    "feuZderzakX := 51",
    "feuZderzakY := 0",
    "cbAutomOdjazdDoBezpStrefy := cbUnchecked",
    "rgKatObrotu := 0",
    "rgAlgorytmObrotowego := 0",
    "fuPlt_accuracy := 0.25",
    "sbWspSymulacji := 0",
    "sbRozdzKrzywychDXF := 1",
    "eMorvantello_path := ",
    "PowerOutput := 0",
};

} // namespace

TEST(GlobalConfig, DefaultRecordHasTheExactBytes)
{
    const QString mcc = QStringLiteral("/opt/prentavik/Prentavik.mcc");
    const QByteArray record = encodeGlobalConfig(defaultGlobalConfig(mcc));
    ASSERT_EQ(record.size(), 864);
    // Two empty folders.
    EXPECT_EQ(record.left(320), QByteArray(320, '\0'));
    // Reserved 1, 1, flags 1 0 0 0 0 and one byte of padding.
    EXPECT_EQ(record.mid(320, 14), QByteArray("\x01\0\0\0\x01\0\0\0\x01\0\0\0\0\0", 14));
    // The machine file's path in UTF-16LE, then zeros up to the field's end.
    QByteArray path;
    for (QChar c : mcc) {
        path.append(char(c.unicode() & 0xff));
        path.append(char(c.unicode() >> 8));
    }
    EXPECT_EQ(record.mid(334, path.size()), path);
    EXPECT_EQ(record.mid(334 + path.size(), 510 - path.size()), QByteArray(510 - path.size(), '\0'));
    // Filter index 1, the double 1.0, reserved 0 and padding.
    EXPECT_EQ(record.mid(844, 20),
              QByteArray("\x01\0\0\0" "\0\0\0\0\0\0\xf0\x3f" "\0\0\0\0" "\0\0\0\0", 20));
}

TEST(GlobalConfig, RoundTripsAndCutsTextsToTheirFields)
{
    GlobalConfig config;
    config.openFolder = QString(100, u'ą');
    config.machineConfigPath = QString(300, u'x');
    config.filterIndex = 3;
    const auto back = decodeGlobalConfig(encodeGlobalConfig(config));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->openFolder, QString(79, u'ą'));
    EXPECT_EQ(back->machineConfigPath, QString(254, u'x'));
    EXPECT_EQ(back->filterIndex, 3);
}

TEST(GlobalConfig, BadRecordsAreReadSafely)
{
    // Broke before: a text without its terminator ran on into the next field,
    // and a stray filter index reached the open dialog.
    // A record that is too short is no record.
    EXPECT_FALSE(decodeGlobalConfig(QByteArray(863, '\0')));

    // Texts without a terminator end at their field's end.
    QByteArray record = encodeGlobalConfig({});
    for (int i = 0; i < 80; ++i)
        qToLittleEndian<quint16>(u'a', record.data() + 2 * i);
    for (int i = 0; i < 255; ++i)
        qToLittleEndian<quint16>(u'b', record.data() + 334 + 2 * i);
    auto config = decodeGlobalConfig(record);
    ASSERT_TRUE(config);
    EXPECT_EQ(config->openFolder, QString(79, u'a'));
    EXPECT_EQ(config->reservedFolder, QString());
    EXPECT_EQ(config->machineConfigPath, QString(254, u'b'));

    // A filter index outside the open dialog's filters becomes 1.
    for (qint32 index : {0, 5, -1, 1000}) {
        SCOPED_TRACE(index);
        qToLittleEndian<qint32>(index, record.data() + 844);
        EXPECT_EQ(decodeGlobalConfig(record)->filterIndex, 1);
    }
    qToLittleEndian<qint32>(4, record.data() + 844);
    EXPECT_EQ(decodeGlobalConfig(record)->filterIndex, 4);
}

TEST(GlobalConfig, MissingOrShortFileIsReplacedByTheDefaults)
{
    QTemporaryDir dir;
    const QString gcf = dir.filePath("Prentavik.gcf");
    const QString mcc = dir.filePath("Prentavik.mcc");
    for (const QByteArray &content : {QByteArray(), QByteArray(100, 'x')}) {
        SCOPED_TRACE(content.size());
        QFile::remove(gcf);
        if (!content.isEmpty())
            WriteAll(gcf, content);
        FileResult written;
        const GlobalConfig config = LoadGlobalConfig(gcf, mcc, &written);
        EXPECT_TRUE(written.ok);
        EXPECT_EQ(config, defaultGlobalConfig(mcc));
        EXPECT_EQ(ReadAll(gcf), encodeGlobalConfig(defaultGlobalConfig(mcc)));
    }
}

TEST(MachineConfig, DefaultFileLineByLine)
{
    const QByteArray text = machineConfigText(Settings());
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 46); // 45 lines and nothing after the last CR LF
    EXPECT_TRUE(lines.last().isEmpty());
    for (int i = 0; i < 45; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i], QByteArray(kDefaultMcc[i]) + "\r");
    }
}

TEST(MachineConfig, EverySettingRoundTrips)
{
    Settings s;
    s.Mode = 5;
    s.AutoSave = CheckState::Checked;
    s.radiounit = 2;
    s.work_power = 2.35;
    s.CzasRozgrzewania = 1234.5;
    s.szybkoscObrobki = 1016;
    s.PrzeSpeed = 4999.9;
    s.skala = 1000;
    s.Heavy = CheckState::Grayed;
    s.MoveAfter = CheckState::Checked;
    s.Srednicamaterialu = 3999.25;
    s.il_obr_rys = 3;
    s.ilosckrokow = 50000;
    s.dopasujKierunek = CheckState::Unchecked;
    s.KierunekObrotow = 1;
    s.StolikSwitch = 1;
    s.Wstrzymaj = CheckState::Checked;
    s.AddFrame = CheckState::Unchecked;
    s.CatDir = 1;
    s.cbKrzyzToPunkt = CheckState::Checked;
    s.Pauza_w_kacie = 0;
    s.feuVobrotowa = 20;
    s.feKatObrotu = 0.1;
    s.feKalibracjaX = -4.75;
    s.feKalibracjaY = 0.00001;
    s.cbCheckForUpdate = CheckState::Checked;
    s.rgBazowanie = 1;
    s.Xwrzeciona = -1000;
    s.Ywrzeciona = 2000;
    s.Xstolika = 0.001;
    s.Ystolika = 3000;
    s.Xnarzedzia = -12.7;
    s.Ynarzedzia = 25.4;
    s.feuGlebokoscNaPrzestawczej = 1000;
    s.feuGlebokoscNaRoboczej = 0.5;
    s.feuZderzakX = 1700;
    s.feuZderzakY = 304.8;
    s.cbAutomOdjazdDoBezpStrefy = CheckState::Checked;
    s.rgKatObrotu = 1;
    s.rgAlgorytmObrotowego = 1;
    s.fuPlt_accuracy = 0.05;
    s.sbWspSymulacji = 20;
    s.sbRozdzKrzywychDXF = 8;
    s.eMorvantello_path = QStringLiteral("C:\\Program Files\\Morvantello  x := y\\m.exe ");
    s.PowerOutput = 1;
    Settings back;
    const ReadReport report = readMachineConfig(machineConfigText(s), back);
    EXPECT_EQ(report.applied, 45);
    EXPECT_TRUE(report.rejected.isEmpty());
    EXPECT_EQ(back, s);
    // And every setting differs from its default, so none passed by luck.
    for (const SettingInfo &info : Settings::table()) {
        SCOPED_TRACE(info.name);
        if (info.kind == SettingKind::Text)
            EXPECT_NE(s.text(info), Settings().text(info));
        else
            EXPECT_NE(s.number(info), Settings().number(info));
    }
}

TEST(MachineConfig, NumbersNeverUseAnExponentOrGrouping)
{
    EXPECT_EQ(formatNumber(0.00001), "0.00001");
    EXPECT_EQ(formatNumber(1234567.5), "1234567.5");
    EXPECT_EQ(formatNumber(-0.0), "0");
    EXPECT_EQ(formatNumber(0.1 + 0.2), "0.3");
}

TEST(MachineConfig, ReadKonfigLineSplitsNameAndValue)
{
    struct Case
    {
        const char *line, *name, *value;
    };
    const Case cases[] = {
        {"Mode := 2", "Mode", "2"},
        {"Mode:=2", "Mode", "2"},
        {"eMorvantello_path := C:\\a b\\x := y ", "eMorvantello_path", "C:\\a b\\x := y "},
        {"Mode 2", "Mode", ""},
        {"Mode", "Mode", ""},
        {"Mode = 2", "Mode", ""},
        {"", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const KonfigLine line = ReadKonfigLine(QString::fromUtf8(c.line));
        EXPECT_EQ(line.name, QString::fromUtf8(c.name));
        EXPECT_EQ(line.value, QString::fromUtf8(c.value));
    }
    EXPECT_EQ(NumberPrefix(u"+12.5abc"), u"+12.5");
    EXPECT_EQ(NumberPrefix(u"7,5 mm"), u"7,5");
    EXPECT_EQ(NumberPrefix(u"x1"), u"");
}

TEST(MachineConfig, BadValuesLeaveTheSettingAndReadingGoesOn)
{
    // Broke before: an index outside the items (a unit of -1 or 3, mode 7)
    // was taken as it was and selected nothing or a mode that does not exist.
    struct Case
    {
        const char *line;
        const char *name;
        double expected; // value after reading, from the defaults
        bool rejected;
    };
    const Case cases[] = {
        {"radiounit := -1", "radiounit", 0, true},
        {"radiounit := 3", "radiounit", 0, true},
        {"radiounit := 1", "radiounit", 1, false},
        {"Mode := 7", "Mode", 0, true},
        {"Mode := 5", "Mode", 5, false},
        {"Mode := ", "Mode", 0, true},
        {"Mode := two", "Mode", 0, true},
        {"Mode := 2.5", "Mode", 0, true},
        {"sbWspSymulacji := 20", "sbWspSymulacji", 20, false},
        {"sbWspSymulacji := 21", "sbWspSymulacji", 0, true},
        {"sbRozdzKrzywychDXF := 0", "sbRozdzKrzywychDXF", 1, true},
        {"work_power := abc", "work_power", 1, true},
        {"work_power := ", "work_power", 1, true},
        {"work_power := 1.2.3", "work_power", 1, true},
        {"work_power := 7,5", "work_power", 7.5, false},
        {"work_power := 2.5 A", "work_power", 2.5, false},
        // Read values are clamped into their range.
        {"skala := 5000", "skala", 1000, false},
        {"skala := -3", "skala", 1, false},
        {"feKalibracjaX := -9", "feKalibracjaX", -5, false},
        {"fuPlt_accuracy := 1", "fuPlt_accuracy", 0.25, false},
        {"Heavy := cbChecked", "Heavy", 1, false},
        {"Heavy := CBCHECKED", "Heavy", 0, false},
        {"dopasujKierunek := yes", "dopasujKierunek", 0, false},
        {"AddFrame := cbGrayed", "AddFrame", 2, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        Settings s;
        const QByteArray text = QByteArray(c.line) + "\r\nCzasRozgrzewania := 300\r\n";
        const ReadReport report = readMachineConfig(text, s);
        const SettingInfo &info = *Settings::find(QString::fromLatin1(c.name));
        EXPECT_DOUBLE_EQ(s.number(info), c.expected);
        EXPECT_EQ(report.rejected.contains(QString::fromLatin1(c.name)), c.rejected);
        EXPECT_EQ(s.CzasRozgrzewania, 300.0); // the line after it is still read
    }
}

TEST(MachineConfig, AcceptsByteOrderMarkBareLineFeedsAndUnknownNames)
{
    Settings s;
    const QByteArray text = "\xEF\xBB\xBFMode := 3\nUnknownThing := 4\n\nskala := 50\rmode := 1\n"
                            "eMorvantello_path := /usr/bin/morvantello żółw";
    const ReadReport report = readMachineConfig(text, s);
    EXPECT_EQ(s.Mode, 3);
    EXPECT_EQ(s.skala, 50.0);
    EXPECT_EQ(s.eMorvantello_path, QString::fromUtf8("/usr/bin/morvantello żółw"));
    EXPECT_EQ(report.applied, 3);
    EXPECT_EQ(report.unknown, QStringList({"UnknownThing", "mode"}));
}

TEST(MachineConfig, FilesAreWrittenWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("m.mcc");
    Settings s;
    s.Mode = 2;
    ASSERT_TRUE(SaveKonfig(path, s).ok);
    EXPECT_EQ(ReadAll(path), machineConfigText(s));
    Settings back;
    EXPECT_EQ(LoadKonfig(path, back).status, LoadStatus::Loaded);
    EXPECT_EQ(back.Mode, 2);

    // A folder that does not exist: the save reports failure.
    const FileResult failed = SaveKonfig(dir.filePath("missing/m.mcc"), s);
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.isEmpty());
    EXPECT_EQ(LoadKonfig(dir.filePath("nothing.mcc"), back).status, LoadStatus::Missing);
}
