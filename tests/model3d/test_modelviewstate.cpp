// What the model view computes, without a screen: the fit with its degenerate cases, the
// navigation steps and the mouse rules by button and modifier.

#include "model3d/modelviewstate.h"
#include "modelbuilders.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using modeltest::BoxOf;

ModelViewState Fitted(const TModelBox &box, int width = 400, int height = 300,
                      TTrybPracy mode = TTrybPracy::tpPrzegladRAWtermSeryjne)
{
    ModelViewState s;
    TRAWviewProperties p;
    p.TrybPracy = mode;
    s.setProperties(p);
    s.setViewSize(width, height);
    s.setModelBox(box);
    return s;
}

const TModelBox kBox = BoxOf(10, -20, 5, 110, 30, 25); // 100 x 50 x 20

} // namespace

TEST(ModelViewState, FitScalesTheXYExtentCentresTheModelAndNeverDividesByZero)
{
    ModelViewState s = Fitted(kBox);
    s.Nawigacja(ModelViewState::Rotate, 30, 40);
    s.Nawigacja(ModelViewState::Pan, 30, 40);
    s.Fit();
    EXPECT_NEAR(s.scale(), 0.15 * std::sqrt(500.0) / std::hypot(100.0, 50.0), 1e-12); // 0.0300
    EXPECT_EQ(s.rotationY() + s.rotationX() + s.panX() + s.panY(), 0);
    EXPECT_EQ(s.centring(), QVector3D(-60, -5, -15));
    // The z centring belongs to the serial-cut mode only; the tool mode has a fixed scale.
    EXPECT_EQ(Fitted(kBox, 400, 300, TTrybPracy::tpPrzegladRAW).centring(), QVector3D(-60, -5, 0));
    EXPECT_EQ(Fitted(kBox, 400, 300, TTrybPracy::tpPrzegladNarzedzi).scale(), 0.01);

    // A line along z has no x-y extent: fitted as if it were 1 mm across.
    EXPECT_NEAR(Fitted(BoxOf(5, 5, 0, 5, 5, 30)).scale(), 0.15 * std::sqrt(500.0), 1e-9);
    // A file without triangles keeps its box at infinity: not fitted, not drawn.
    s.setModelBox(TModelBox {});
    EXPECT_NEAR(s.scale(), 0.0300, 5e-5);
    EXPECT_FALSE(s.drawsModel());
    // A view of height 0 projects with aspect 1.
    EXPECT_EQ(Fitted(kBox, 400, 0).projection(), Fitted(kBox, 300, 300).projection());
    // Loaded before the view had a size: fitted as soon as it gets one.
    ModelViewState early = Fitted(kBox, 0, 0);
    early.setViewSize(400, 300);
    EXPECT_NEAR(early.scale(), 0.0300, 5e-5);
}

TEST(ModelViewState, NavigationAndWheelChangeTheViewByTheirSteps)
{
    ModelViewState s = Fitted(kBox);
    s.Nawigacja(ModelViewState::Rotate, -20, 8);
    EXPECT_DOUBLE_EQ(s.rotationY(), -10);
    EXPECT_DOUBLE_EQ(s.rotationX(), -4);
    s.Nawigacja(ModelViewState::Pan, 10, -20);
    EXPECT_DOUBLE_EQ(s.panX(), 0.1);
    EXPECT_DOUBLE_EQ(s.panY(), -0.2);
    // One wheel notch (0.00096) is checked through the view's own wheel event.
    s.Nawigacja(ModelViewState::Zoom, 0, 1000); // far below 0
    EXPECT_EQ(s.scale(), 0);
    EXPECT_FALSE(s.drawsScene()); // the model and the axes go
}

TEST(ModelViewState, MouseDragsByButtonAndModifierUnlessBusy)
{
    struct Case
    {
        const char *name;
        Qt::MouseButton button;
        Qt::KeyboardModifiers pressKeys, moveKeys;
        double rotationY, rotationX, scale, panX, panY; // changes after a drag by (+20, -10)
    };
    const Case cases[] = {
        {"right turns", Qt::RightButton, {}, {}, 10, -5, 0, 0, 0},
        {"right with Alt keeps the vertical axis", Qt::RightButton, {}, Qt::AltModifier, 0, -5, 0, 0, 0},
        {"right with Shift keeps the horizontal axis",
         Qt::RightButton,
         {},
         Qt::ShiftModifier,
         10,
         0,
         0,
         0,
         0},
        {"Ctrl and right zoom", Qt::RightButton, Qt::ControlModifier, {}, 0, 0, 0.001, 0, 0},
        {"middle zooms", Qt::MiddleButton, {}, {}, 0, 0, 0.001, 0, 0},
        {"left pans, y upwards", Qt::LeftButton, {}, {}, 0, 0, 0, 0.2, 0.1},
        {"left with Ctrl keeps x", Qt::LeftButton, {}, Qt::ControlModifier, 0, 0, 0, 0, 0.1},
        {"left with Shift keeps y", Qt::LeftButton, {}, Qt::ShiftModifier, 0, 0, 0, 0.2, 0},
    };
    for (const Case &c : cases) {
        for (const bool busy : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (busy ? ", busy" : ""));
            ModelViewState s = Fitted(kBox);
            const double scale = s.scale();
            s.setBusy(busy);
            EXPECT_EQ(s.mousePress(c.button, c.pressKeys, {100, 100}), !busy);
            EXPECT_EQ(s.mouseMove({120, 90}, c.moveKeys), !busy);
            const double k = busy ? 0 : 1;
            EXPECT_DOUBLE_EQ(s.rotationY(), k * c.rotationY);
            EXPECT_DOUBLE_EQ(s.rotationX(), k * c.rotationX);
            EXPECT_NEAR(s.scale() - scale, k * c.scale, 1e-12);
            EXPECT_NEAR(s.panX(), k * c.panX, 1e-12);
            EXPECT_NEAR(s.panY(), k * c.panY, 1e-12);
            s.mouseRelease();
            EXPECT_FALSE(s.mouseMove({200, 200}, {})); // no drag after the release
        }
    }
}
