#include "recordingrig.h"

#include "job/documentadapter.h"
#include "project/planningdispatch.h"
#include "project/projectdocument.h"

#include <gtest/gtest.h>

using namespace jobtest;

namespace {

// A 100 x 50 mm rectangle planned with its first corner as the start point.
TProjectDocument rectangle(int mode, int axis, bool planned)
{
    TProjectDocument doc;
    TProjectSettings s;
    s.Mode = mode;
    s.StolikSwitch = axis;
    s.limitX = 1000;
    s.limitY = 500;
    doc.setSettings(s);
    tfigura f;
    for (TPlotPoint p : {TPlotPoint{0, 0}, {4000, 0}, {4000, 2000}, {0, 2000}, {0, 0}})
        f.AddPoint(p);
    doc.AddFigure(f);
    doc.Ustaw_PPiPK();
    doc.ProjectWidth = doc.PK.x - doc.PP.x;
    doc.ProjectHeight = doc.PK.y - doc.PP.y;
    doc.RootFigure = 0;
    doc.Planned = planned;
    return doc;
}

} // namespace

TEST(DocumentAdapter, EveryModeStartsOnlyAPlannedProject)
{
    // Fault mended: rotary, turning and serial-on-spindle projects started
    // unplanned, cutting their axis line as a profile.
    const int cases[][2] = {{0, 0}, {4, 0}, {5, 0}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {3, 0}, {3, 1}, {3, 2}};
    for (const auto &[mode, axis] : cases) {
        SCOPED_TRACE(mode * 10 + axis);
        for (const bool planned : {false, true}) {
            TProjectDocument doc = rectangle(mode, axis, planned);
            job::DocumentJobProject project(doc, nullptr, nullptr);
            EXPECT_EQ(project.planComplete(), planned);
        }
    }
}

TEST(DocumentAdapter, FlatStartWritesThroughTheDocument)
{
    Rig rig;
    TProjectDocument doc = rectangle(0, 0, true);
    doc.Figures[0].entryVertex = 2;
    std::vector<job::JobWriteRequest> writes;
    job::DocumentJobProject project(
        doc,
        [&writes](TProjectDocument &d, const job::JobWriteRequest &request) {
            writes.push_back(request);
            EXPECT_TRUE(d.CutFrame);
            return job::JobWriteResult{true, {}, {}, {}};
        },
        nullptr);
    struct OneWindow : job::JobProjects
    {
        job::JobProject *window;
        std::vector<job::JobProject *> windows() const override { return {window}; }
        job::JobProject *active() const override { return window; }
        void activate(job::JobProject *) override {}
    } projects;
    projects.window = &project;
    rig.settings.powerOutput = 1;
    rig.machine.state.x1 = 20000;
    rig.machine.state.y1 = 10000;
    job::JobSettings settings = rig.settings;
    job::JobControl control(job::JobEnvironment{rig.machine, rig.panel, rig.transmitter, projects, rig.prompts,
                                                rig.dialogs, [settings] { return settings; }, false,
                                                rig.jobFile()});

    EXPECT_TRUE(control.start(job::StartSender::Menu));
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].driver, job::JobDriver::Flat);
    EXPECT_EQ(writes[0].fileName, rig.jobFile());
    // The margins of the start point (the far corner) are kept on the document.
    EXPECT_EQ(doc.StartToLeft, 4000);
    EXPECT_EQ(doc.StartToRight, 0);
    EXPECT_EQ(doc.StartToTop, 0);
    EXPECT_EQ(doc.StartToBottom, 2000);
    EXPECT_FALSE(doc.SingleOpenFigure);
    EXPECT_EQ(doc.SerialFeedSign, -1) << "alternate cutting turns the next start round";
}

// Fault mended: with cross-to-point on and no crossing lines the cross box
// kept its start corner, and the margins measured from it overflowed.
TEST(DocumentAdapter, CrossToPointWithoutCrossPointsMeasuresFromTheProjectBox)
{
    TProjectDocument doc = rectangle(0, 0, false);
    TProjectSettings s = doc.settings();
    s.cbKrzyzToPunkt = true;
    doc.setSettings(s);
    ASSERT_EQ(PlanProject(doc, {}).status, TPlanStatus::Planned);
    EXPECT_EQ(doc.StartToLeft + doc.StartToRight, 4000);
    EXPECT_EQ(doc.StartToBottom + doc.StartToTop, 2000);
    const job::DocumentJobProject project(doc, nullptr, nullptr);
    EXPECT_EQ(project.crossMax().x, 4000);
    EXPECT_EQ(project.crossMax().y, 2000);
}

TEST(DocumentAdapter, ProjectWhollyUnderTheAxisIsCutFromBelow)
{
    TProjectDocument doc = rectangle(1, 0, true);
    job::DocumentJobProject project(doc, nullptr, nullptr);
    EXPECT_FALSE(project.cutFromBelow());
    doc.PP = {0, -2000};
    doc.PK = {4000, 0};
    EXPECT_TRUE(project.cutFromBelow());
    EXPECT_FALSE(project.writeJob({}).ok) << "no writer: nothing is reported written";
}
