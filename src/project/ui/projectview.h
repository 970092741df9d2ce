#pragma once

#include "project/painting.h"
#include "project/simulation.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>

class QPainter;
class QStatusBar;
class TProjectDocument;

// The colour a figure is drawn in on the screen.
QColor ScreenColour(TFigureColour colour);
// The window's background behind the project.
QColor ProjectBackground();

// Draws a paint plan: every figure's lines in its colour, circles round the
// cross points.
void DrawPaintPlan(QPainter &painter, const TPaintPlan &plan);

// The picture of a project at the given client size, as the view paints it.
QImage RenderProjectPicture(const TProjectDocument &document, const TPaintSettings &settings, QSize size,
                            int statusBarHeight);

// The painting part of the project window: the project fitted into the view,
// picking with the mouse, and the animated simulation of the cut. The
// animation is computed once when it starts and played by a timer into an
// overlay over the picture, so the window stays responsive; a key press or a
// left click anywhere stops it at once.
class TProjectView : public QWidget
{
    Q_OBJECT
public:
    // The status bar sits below the view in the same window: the fit leaves
    // room for it as if it were part of the client area.
    TProjectView(TProjectDocument &document, QStatusBar *statusBar, std::function<TPaintSettings()> settings,
                 QWidget *parent = nullptr);
    ~TProjectView() override;

    // Opens the job information window (right click).
    void setJobInfoHandler(std::function<void()> handler) { m_showJobInfo = std::move(handler); }
    // Milliseconds of a monotonic clock; tests step it by hand.
    void setClock(std::function<double()> clock) { m_clock = std::move(clock); }

    // The transform of the current size.
    TViewTransform transform() const;

    // Starts the animation of the cut. The walk runs now; the timer then
    // plays it.
    void startSimulation();
    // Plays what is due by the clock; the timer calls it.
    void advanceSimulation();
    // Ends the animation as a key press or a left click does.
    void stopSimulation();
    bool simulationRunning() const { return m_running; }
    // The window was invalidated: a finished animation's picture goes.
    void invalidatePicture();

    const QImage &overlay() const { return m_overlay; }

signals:
    void simulationFinished();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int statusBarHeight() const;
    double now() const;
    void finishSimulation();
    void drawOverlay(const std::vector<TSimDraw> &draws);

    TProjectDocument &m_document;
    QStatusBar *m_statusBar = nullptr;
    std::function<TPaintSettings()> m_settings;
    std::function<void()> m_showJobInfo;
    std::function<double()> m_clock;
    QElapsedTimer m_elapsed;

    QTimer m_timer;
    TSimulationPlayer m_player;
    bool m_running = false;
    double m_startMs = 0.0;
    QImage m_picture; // the project as it was when the animation started
    QImage m_overlay; // the wire's path so far; transparent elsewhere
    bool m_merge = false;
};
