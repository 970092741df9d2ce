// A model becomes a serial cut and the cut reaches the machine: the serial-cut window makes
// one planned pass per step from a RAW file, Start joins the passes into "out.cn" on a
// simulated machine with a rotary table, and the controller receives all of it.

#include "app/definicje.h"
#include "app/konfig.h"
#include "app/machineidentity.h"
#include "drawing/jobdecoder.h"
#include "job/programrig.h"
#include "model3d/ui/genser.h"
#include "modelbuilders.h"
#include "project/programsettings.h"
#include "support/scopedlanguage.h"

#include <algorithm>
#include <gtest/gtest.h>

TEST(SerialCutFromModel, GeneratedPassesAreJoinedAndStreamedToATableMachine)
{
    ScopedLanguage language(ShippedLanguage());
    Settings settings = QuickStart(0);
    settings.StolikSwitch = 1; // the rotary table turns the material between passes
    // The wire moves and cuts at its speeds, on a clock that runs faster.
    ProgramRig rig(settings);
    StubMachineIdentity stub;
    Konfig konfig(ProgramFolders(rig.dir.path()), {}, stub);

    TGenSerHooks hooks;
    hooks.context.projectSettings
        = [] { return ProjectSettingsFrom(Settings::current(), ProgramValues::current(), 1200, 800); };
    hooks.context.tableHeight = [] { return Settings::current().Ystolika; };
    hooks.serialCutReady = [&konfig](bool cutOffAtEnd) { konfig.setSerialCutting(cutOffAtEnd); };
    TfGenSer window(*rig.windows, hooks);
    const QString model = rig.dir.filePath("block.raw");
    WriteAll(model, modeltest::RawText(modeltest::Box(0, 0, 0, 40, 60, 20)->triangles));
    window.generator().LoadModel(model);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.generator().loading(); }, 10000));
    window.generator().setStepCount(4);
    window.generator().btnGenerujClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.generator().generating(); }, 30000));
    ASSERT_EQ(rig.windows->windows().size(), 4u);
    ASSERT_EQ(Settings::current().Mode, 2);
    ASSERT_TRUE(Globals().CutOffAtEnd);
    rig.area.setActiveSubWindow(rig.windows->windows().front());

    rig.placeWire(10000, 30000);
    ASSERT_TRUE(rig.startAndStream());
    ASSERT_TRUE(rig.boxes.shown.empty()) << rig.boxes.shown.front().text.toStdString();

    const QByteArray written = rig.written();
    EXPECT_FALSE(QFile::exists(rig.dir.filePath("out.cntmp")));
    EXPECT_EQ(rig.onMachine([&] { return rig.controller->jobBytes(); }), written);
    const std::vector<QByteArray> received = rig.received();
    EXPECT_EQ(std::count(received.begin(), received.end(), QByteArray("G")), 1);
    // Four passes, each ending with an eighth of a turn of the table (8000 steps a turn);
    // after the last turn the wire drives through the base and cuts the model off.
    const DecodedJob decoded = DecodeJob(std::string_view(written.constData(), std::size_t(written.size())));
    ASSERT_TRUE(decoded.ok) << decoded.error;
    const std::vector<std::string> &lines = decoded.lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "move s=1000 n=2000"), 4) << Joined(lines);
    const auto lastTurn = std::find(lines.rbegin(), lines.rend(), "move s=1000 n=2000");
    const auto cutOff = std::find_if(lines.rbegin(), lastTurn,
                                     [](const std::string &l) { return l.rfind("move x1=", 0) == 0; });
    EXPECT_NE(cutOff, lastTurn) << Joined(lines);

    Globals().CutOffAtEnd = false;
}
