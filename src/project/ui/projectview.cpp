#include "project/ui/projectview.h"

#include "app/language.h"
#include "app/messages.h"
#include "project/projectdocument.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>

#include <vector>

namespace {

// About sixty frames a second: the timer only shows the path; the pace comes
// from the clock.
constexpr int FrameIntervalMs = 16;
constexpr int CrossPointRadius = 10;

QPoint ToQPoint(TPixel p)
{
    return {p.x, p.y};
}

} // namespace

QColor ScreenColour(TFigureColour colour)
{
    switch (colour) {
    case TFigureColour::Blue:
        return QColor(0, 0, 255);
    case TFigureColour::Red:
        return QColor(255, 0, 0);
    case TFigureColour::Green:
        return QColor(0, 128, 0);
    case TFigureColour::Yellow:
        return QColor(255, 255, 0);
    case TFigureColour::White:
        return QColor(255, 255, 255);
    case TFigureColour::Black:
        break;
    }
    return QColor(0, 0, 0);
}

QColor ProjectBackground()
{
    // Not white: the selected figure is drawn white.
    return QColor(240, 240, 240);
}

void DrawPaintPlan(QPainter &painter, const TPaintPlan &plan)
{
    std::vector<QPoint> points;
    painter.setBrush(Qt::NoBrush);
    for (const TPaintItem &item : plan.items) {
        painter.setPen(QPen(ScreenColour(item.colour), 1));
        if (item.pixels.size() == 1) {
            painter.drawPoint(ToQPoint(item.pixels.front()));
        } else if (!item.pixels.empty()) {
            points.clear();
            points.reserve(item.pixels.size());
            for (const TPixel &p : item.pixels)
                points.push_back(ToQPoint(p));
            painter.drawPolyline(points.data(), static_cast<int>(points.size()));
        }
        if (item.circle)
            painter.drawEllipse(ToQPoint(item.circleCentre), CrossPointRadius, CrossPointRadius);
    }
}

QImage RenderProjectPicture(const TProjectDocument &document, const TPaintSettings &settings, QSize size,
                            int statusBarHeight)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(ProjectBackground());
    QPainter painter(&image);
    DrawPaintPlan(
        painter,
        BuildPaintPlan(document, settings, size.width(), size.height() + statusBarHeight, statusBarHeight));
    return image;
}

TProjectView::TProjectView(TProjectDocument &document, QStatusBar *statusBar,
                           std::function<TPaintSettings()> settings, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
    , m_statusBar(statusBar)
    , m_settings(std::move(settings))
{
    setObjectName(QStringLiteral("ProjectView"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ProjectBackground());
    setPalette(palette);
    m_elapsed.start();
    m_timer.setInterval(FrameIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TProjectView::advanceSimulation);
}

TProjectView::~TProjectView()
{
    if (m_running)
        qApp->removeEventFilter(this);
}

int TProjectView::statusBarHeight() const
{
    return m_statusBar && m_statusBar->isVisible() ? m_statusBar->height() : 0;
}

double TProjectView::now() const
{
    return m_clock ? m_clock() : static_cast<double>(m_elapsed.nsecsElapsed()) / 1e6;
}

TViewTransform TProjectView::transform() const
{
    const int bar = statusBarHeight();
    return ComputeViewTransform(m_document, m_settings(), width(), height() + bar, bar);
}

void TProjectView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_running && !m_picture.isNull()) {
        painter.drawImage(0, 0, m_picture);
    } else {
        const int bar = statusBarHeight();
        DrawPaintPlan(painter, BuildPaintPlan(m_document, m_settings(), width(), height() + bar, bar));
    }
    if (!m_overlay.isNull()) {
        // Rotary cutting merges the wire's path with the picture.
        if (m_merge)
            painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        painter.drawImage(0, 0, m_overlay);
    }
}

void TProjectView::resizeEvent(QResizeEvent *event)
{
    // A path in the old size's pixels no longer fits the picture.
    if (m_running)
        stopSimulation();
    m_overlay = QImage();
    QWidget::resizeEvent(event);
    update();
}

void TProjectView::startSimulation()
{
    if (m_running)
        finishSimulation();
    const TPaintSettings settings = m_settings();
    const int bar = statusBarHeight();
    const TViewTransform t = ComputeViewTransform(m_document, settings, width(), height() + bar, bar);
    TSimulationPath path = BuildSimulation(m_document, settings, t);
    m_merge = path.merge;
    m_player = TSimulationPlayer(std::move(path), settings.sbWspSymulacji);
    m_picture = RenderProjectPicture(m_document, settings, size(), bar);
    m_overlay = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    m_overlay.fill(Qt::transparent);
    m_running = true;
    m_startMs = now();
    qApp->installEventFilter(this);
    m_timer.start();
    advanceSimulation();
}

void TProjectView::advanceSimulation()
{
    if (!m_running)
        return;
    drawOverlay(m_player.advance(now() - m_startMs));
    update();
    if (m_player.finished())
        finishSimulation();
}

void TProjectView::drawOverlay(const std::vector<TSimDraw> &draws)
{
    if (draws.empty() || m_overlay.isNull())
        return;
    QPainter painter(&m_overlay);
    for (const TSimDraw &d : draws) {
        const QColor colour = ScreenColour(d.colour);
        painter.setPen(QPen(colour, 1));
        if (d.kind == TSimDraw::Kind::Circle) {
            painter.setBrush(colour);
            painter.drawEllipse(ToQPoint(d.a), CrossPointRadius, CrossPointRadius);
        } else if (d.a == d.b) {
            painter.drawPoint(ToQPoint(d.a));
        } else {
            painter.drawLine(ToQPoint(d.a), ToQPoint(d.b));
        }
    }
}

void TProjectView::stopSimulation()
{
    if (!m_running)
        return;
    m_player.stop();
    m_document.AbortWalk = true;
    finishSimulation();
}

void TProjectView::finishSimulation()
{
    m_timer.stop();
    qApp->removeEventFilter(this);
    m_running = false;
    m_picture = QImage();
    // The merged window of paired profiles keeps the wire's picture; every
    // other window returns to the plain picture.
    if (!m_document.PairedProfiles)
        m_overlay = QImage();
    update();
    emit simulationFinished();
}

void TProjectView::invalidatePicture()
{
    if (!m_running)
        m_overlay = QImage();
    update();
}

bool TProjectView::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_running)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        stopSimulation();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // Only the left button stops; no click acts on anything while the
        // wire moves.
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            stopSimulation();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void TProjectView::mousePressEvent(QMouseEvent *event)
{
    m_document.SelectedFigure = -1;
    if (event->button() == Qt::LeftButton) {
        const QPointF at = event->position();
        m_document.SelectedFigure = PickFigure(m_document.Figures, transform(), at.x(), at.y());
        invalidatePicture();
        repaint();
    }
    const std::int32_t selected = m_document.SelectedFigure;
    if (selected >= 0 && selected < static_cast<std::int32_t>(m_document.Figures.size())) {
        const QString text = GetText(QStringLiteral("Project_window"), QStringLiteral("wybranaFiguraNr"))
            + QString::number(selected);
        if (m_statusBar)
            m_statusBar->showMessage(text);
        const auto all = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
        if ((event->modifiers() & all) == all)
            ShowMsg(QString::fromStdString(PointListingText(m_document.Figures[selected])), false, text);
    } else if (m_statusBar) {
        m_statusBar->clearMessage();
    }
    if (event->button() == Qt::RightButton && m_showJobInfo)
        m_showJobInfo();
}

void TProjectView::mouseReleaseEvent(QMouseEvent *)
{
    if (m_statusBar)
        m_statusBar->clearMessage();
}
