// The model view drawn by OpenGL (Mesa's software renderer under Xvfb): the lit box, the
// turn, the axes, the busy and outline pictures, and the life of its vertex buffer. Without
// a GL context these tests fail.

#include "model3d/ui/rawview.h"
#include "modelbuilders.h"

#include <QApplication>
#include <QDir>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

void Save(const QImage &image, const char *name)
{
    QDir().mkpath(QStringLiteral(PRENTAVIK_TEST_ARTIFACT_DIR));
    EXPECT_TRUE(image.save(QStringLiteral(PRENTAVIK_TEST_ARTIFACT_DIR "/") + QString::fromLatin1(name)));
}

// Pixels other than the colour, in one row or (row < 0) in the whole picture.
int Drawn(const QImage &image, QRgb clear, int row = -1)
{
    int count = 0;
    for (int y = row < 0 ? 0 : row; y < (row < 0 ? image.height() : row + 1); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != clear;
    return count;
}

const QRgb kBlack = qRgb(0, 0, 0);

struct View
{
    explicit View(TColorValue panel = 0)
    {
        TRAWviewProperties p;
        p.TrybPracy = TTrybPracy::tpPrzegladRAWtermSeryjne;
        p.PanelColour = panel;
        view.setProperties(p);
        view.resize(400, 300);
        view.LadujListeRAW(modeltest::Box(0, 0, 0, 100, 50, 20));
    }

    QImage frame()
    {
        view.PokazScene();
        QImage image = view.grabFramebuffer();
        EXPECT_TRUE(view.context() && view.context()->isValid()) << "no OpenGL context";
        EXPECT_EQ(image.size(), QSize(400, 300));
        return image;
    }

    // Where a point of the model lands in the picture.
    QPoint pixel(QVector3D point) const
    {
        const QVector3D ndc = (view.state().projection() * view.state().modelMatrix()).map(point);
        return QPoint(int((ndc.x() + 1) / 2 * 400), int((1 - ndc.y()) / 2 * 300));
    }

    void set(TSposobKreslenia style, bool axes)
    {
        TRAWviewProperties p = view.properties();
        p.Model_SposobKreslenia = style;
        p.UkladWsp = axes;
        view.setProperties(p);
    }

    TRAWview view;
};

} // namespace

TEST(RAWview, DrawsTheFittedBoxLitInPerspectiveAndTurnsIt)
{
    View v;
    const QImage front = v.frame();
    Save(front, "model_view.png");
    const QRgb centre = front.pixel(200, 150);
    // Directional light from (-8, 8, 16) on a face towards the viewer, plus two ambients of 0.1.
    EXPECT_NEAR(qRed(centre), 196, 6);
    EXPECT_LT(qGreen(centre) + qBlue(centre), 10);
    EXPECT_EQ(front.pixel(2, 2), kBlack);
    const int width = Drawn(front, kBlack, 150);
    // 3 units wide, 11.7 away, in a frustum of 20 degrees with aspect 4:3.
    EXPECT_NEAR(width, 218, 4);

    v.view.Nawigacja(ModelViewState::Rotate, 180, 0); // 90 degrees about the vertical axis
    const QImage turned = v.frame();
    Save(turned, "model_view_turned.png");
    const double ratio = double(Drawn(turned, kBlack, 150)) / width; // 20 mm deep of 100 wide
    EXPECT_GT(ratio, 0.15);
    EXPECT_LT(ratio, 0.3);
    // The light stays with the eye: the face now in front is lit as the first one was.
    EXPECT_NEAR(qRed(turned.pixel(200, 150)), qRed(centre), 3);
}

TEST(RAWview, AxesCrossTheCentreAndScaleZeroLeavesOnlyTheClearColour)
{
    View v;
    v.set(TSposobKreslenia::skWypelnienie, true);
    const QImage image = v.frame();
    Save(image, "model_view_axes.png");
    EXPECT_GT(Drawn(image.copy(199, 0, 3, 20), kBlack), 0); // the y axis above the model
    EXPECT_GT(Drawn(image.copy(0, 149, 20, 3), kBlack), 0); // the x axis left of it
    EXPECT_EQ(Drawn(image.copy(0, 0, 20, 20), kBlack), 0);

    v.view.Nawigacja(ModelViewState::Zoom, 0, 1e6);
    EXPECT_EQ(Drawn(v.frame(), kBlack), 0);
}

TEST(RAWview, BusyViewClearsAndOutlineShowsTheBackgroundInsideAFace)
{
    View v(0x00804020); // blue 0x80, green 0x40, red 0x20, each over 256
    v.view.setBusy(true);
    const QImage busy = v.frame();
    const QRgb clear = busy.pixel(0, 0);
    EXPECT_NEAR(qRed(clear), 32, 1);
    EXPECT_NEAR(qGreen(clear), 64, 1);
    EXPECT_NEAR(qBlue(clear), 127, 1);
    EXPECT_EQ(Drawn(busy, clear), 0);

    v.view.setBusy(false);
    const QPoint inFace = v.pixel({25, 37.5f, 20}); // a quarter in from the front face's upper left
    const QImage filled = v.frame();
    EXPECT_NE(filled.pixel(inFace), clear);
    v.set(TSposobKreslenia::skKontur, false);
    const QImage outline = v.frame();
    Save(outline, "model_view_outline.png");
    EXPECT_EQ(outline.pixel(inFace), clear);
    // The edges are drawn: more than the front face's rim, far less than its area.
    EXPECT_GT(Drawn(outline, clear), 2 * (218 + 109));
    EXPECT_LT(Drawn(outline, clear), Drawn(filled, clear) / 5);
}

TEST(RAWview, EachLoadFreesThePreviousBufferAndAMovedViewDrawsAgain)
{
    View v;
    v.frame();
    const GLuint first = v.view.vertexBufferId();
    ASSERT_NE(first, 0u);
    EXPECT_EQ(v.view.vertexCount(), 36);
    v.view.LadujListeRAW(nullptr);
    EXPECT_EQ(v.view.vertexBufferId(), 0u);
    v.view.makeCurrent();
    EXPECT_FALSE(QOpenGLContext::currentContext()->functions()->glIsBuffer(first));
    v.view.doneCurrent();

    // A new window means a new context: the model is uploaded there again.
    v.view.LadujListeRAW(modeltest::Box(0, 0, 0, 100, 50, 20));
    QWidget window;
    v.view.setParent(&window);
    window.resize(400, 300);
    window.show();
    v.view.show();
    EXPECT_GT(qRed(v.frame().pixel(200, 150)), 150);
    EXPECT_NE(v.view.vertexBufferId(), 0u);
    v.view.setParent(nullptr); // the fixture destroys the view after the window

    // The mouse reaches the state: one wheel notch.
    const double scale = v.view.state().scale();
    QWheelEvent wheel({200, 150}, {200, 150}, {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(&v.view, &wheel);
    EXPECT_NEAR(v.view.state().scale() - scale, 0.00096, 1e-12);
}
