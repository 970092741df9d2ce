#include "model3d/modelviewstate.h"

#include "drawing/jobbytes.h"

#include <cmath>

std::array<float, 4> ColourComponents(TColorValue colour)
{
    // Divided by 256, not 255: full red shows as 255/256 of the brightest red.
    const auto byte = [colour](int shift) { return float((colour >> shift) & 0xFFu) / 256.0f; };
    return {byte(0), byte(8), byte(16), 1.0f};
}

void ModelViewState::setViewSize(int width, int height)
{
    m_width = width;
    m_height = height;
    if (m_fitWhenSized && width > 0 && height > 0)
        Fit();
}

void ModelViewState::setModelBox(const TModelBox &box)
{
    m_box = box;
    Fit();
}

void ModelViewState::Fit()
{
    // A file without triangles leaves the box at plus and minus infinity: there is nothing
    // to centre or to measure.
    if (m_box.isEmpty())
        return;
    m_rotationY = m_rotationX = 0;
    m_panX = m_panY = 0;
    m_fitWhenSized = m_width <= 0 || m_height <= 0;

    const double extentX = m_box.maxX - m_box.minX;
    const double extentY = m_box.maxY - m_box.minY;
    const double extentZ = m_box.maxZ - m_box.minZ;
    if (m_properties.TrybPracy == TTrybPracy::tpPrzegladNarzedzi) {
        m_scale = 0.01;
    } else {
        // A model flat in x and y (a line along z) is sized as if it were 1 mm across.
        double diagonal = std::hypot(extentX, extentY);
        if (!(diagonal > 0))
            diagonal = 1;
        const double viewDiagonal = double(m_width) * m_width + double(m_height) * m_height;
        m_scale = 0.15 * std::sqrt(std::sqrt(viewDiagonal)) / diagonal;
    }
    const bool centreZ = m_properties.TrybPracy == TTrybPracy::tpPrzegladRAWtermSeryjne;
    m_centring = QVector3D(float(-(m_box.minX + extentX / 2)), float(-(m_box.minY + extentY / 2)),
                           centreZ ? float(-(m_box.minZ + extentZ / 2)) : 0.0f);
}

void ModelViewState::Nawigacja(int mode, double dx, double dy)
{
    const TRAWviewProperties &p = m_properties;
    switch (mode) {
    case Rotate:
        if (dx != 0)
            m_rotationY += dx * p.Model_KrokObrotu;
        if (dy != 0)
            m_rotationX += -dy * p.Model_KrokObrotu;
        break;
    case Zoom:
        m_scale = SkalaWZakresie(-dy * p.Model_KrokSkali + m_scale);
        break;
    case Pan:
        m_panX += dx * p.Model_KrokPrzesuwu;
        m_panY += dy * p.Model_KrokPrzesuwu;
        break;
    default:
        break;
    }
}

void ModelViewState::setBusy(bool busy, bool drawn)
{
    m_busy = busy;
    m_drawnWhileBusy = busy && drawn;
    if (busy)
        mouseRelease();
}

bool ModelViewState::mousePress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position)
{
    if (m_busy)
        return false;
    switch (button) {
    case Qt::LeftButton:
        m_panning = true;
        break;
    case Qt::RightButton:
        if (modifiers & Qt::ControlModifier)
            m_zooming = true;
        else
            m_rotating = true;
        break;
    case Qt::MiddleButton:
        m_zooming = true;
        break;
    default:
        break;
    }
    m_last = position;
    return true;
}

bool ModelViewState::mouseMove(QPoint position, Qt::KeyboardModifiers modifiers)
{
    if (m_busy || !(m_rotating || m_zooming || m_panning))
        return false;
    const TRAWviewProperties &p = m_properties;
    const double dx = position.x() - m_last.x();
    const double dy = position.y() - m_last.y();
    if (m_rotating) {
        if (!(modifiers & Qt::AltModifier))
            m_rotationY += dx * p.Model_KrokObrotu;
        if (!(modifiers & Qt::ShiftModifier))
            m_rotationX += dy * p.Model_KrokObrotu;
    }
    if (m_zooming)
        m_scale = SkalaWZakresie(-dy * p.Model_KrokSkali + m_scale);
    if (m_panning) {
        // Screen y grows downwards, the scene's upwards: an upward drag moves the model up.
        if (!(modifiers & Qt::ControlModifier))
            m_panX += dx * p.Model_KrokPrzesuwu;
        if (!(modifiers & Qt::ShiftModifier))
            m_panY += -dy * p.Model_KrokPrzesuwu;
    }
    m_last = position;
    return true;
}

void ModelViewState::mouseRelease()
{
    m_rotating = m_zooming = m_panning = false;
}

bool ModelViewState::wheel(int delta)
{
    if (m_busy)
        return false;
    m_scale
        = SkalaWZakresie(delta * m_properties.Model_KrokSkaliRolka * m_properties.Model_KrokSkali + m_scale);
    return true;
}

QMatrix4x4 ModelViewState::projection() const
{
    const float aspect = m_width > 0 && m_height > 0 ? float(m_width) / float(m_height) : 1.0f;
    QMatrix4x4 m;
    m.perspective(20.0f, aspect, 1.0f, 100.0f);
    m.translate(0.0f, 0.0f, -12.0f);
    return m;
}

QMatrix4x4 ModelViewState::viewMatrix() const
{
    QMatrix4x4 m;
    m.translate(float(m_panX), float(m_panY), 0.0f);
    m.rotate(float(m_rotationY), 0.0f, 1.0f, 0.0f);
    m.rotate(float(m_rotationX), 1.0f, 0.0f, 0.0f);
    m.scale(float(m_scale));
    return m;
}

QMatrix4x4 ModelViewState::modelMatrix() const
{
    QMatrix4x4 m = viewMatrix();
    m.translate(m_centring);
    return m;
}

bool ModelViewState::modelMode() const
{
    return m_properties.TrybPracy == TTrybPracy::tpPrzegladRAW
        || m_properties.TrybPracy == TTrybPracy::tpPrzegladRAWtermSeryjne;
}

bool ModelViewState::drawsScene() const
{
    return (!m_busy || m_drawnWhileBusy) && m_scale > 0 && modelMode();
}

bool ModelViewState::drawsModel() const
{
    return drawsScene() && !m_box.isEmpty();
}

bool ModelViewState::drawsAxes() const
{
    return drawsScene() && m_properties.UkladWsp;
}

std::vector<QVector3D> ModelViewState::axesLines() const
{
    const auto h2 = float(RoundHalfEven(m_height / 2.0L));
    const auto w2 = float(RoundHalfEven(m_width / 2.0L));
    return {
        {0, -h2, 0},      {0, h2, 0}, // y
        {-w2, 0, 0},      {w2, 0, 0}, // x
        {-5, h2 - 10, 0}, {0, h2, 0}, // the arrowhead of y
        {5, h2 - 10, 0},  {0, h2, 0}, {w2 - 10, 5, 0}, {w2, 0, 0}, // the arrowhead of x
        {w2 - 10, -5, 0}, {w2, 0, 0}, {0, 0, -h2},     {0, 0, h2}, // z
    };
}

void InterleaveTriangles(std::span<const TRawTriangle> triangles, float *out)
{
    for (const TRawTriangle &t : triangles) {
        const float ax = t.x2 - t.x1, ay = t.y2 - t.y1, az = t.z2 - t.z1;
        const float bx = t.x3 - t.x1, by = t.y3 - t.y1, bz = t.z3 - t.z1;
        const float normal[3] = {ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx};
        const float vertices[3][3] = {{t.x1, t.y1, t.z1}, {t.x2, t.y2, t.z2}, {t.x3, t.y3, t.z3}};
        for (const auto &v : vertices) {
            *out++ = v[0];
            *out++ = v[1];
            *out++ = v[2];
            *out++ = normal[0];
            *out++ = normal[1];
            *out++ = normal[2];
        }
    }
}
