#include "model3d/ui/rawview.h"

#include "drawing/jobbytes.h"

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QSurfaceFormat>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <vector>

static_assert(sizeof(QVector3D) == 3 * sizeof(float), "the axes are handed to OpenGL as packed floats");

namespace {

// The view's own surface, whatever the program's default is: the fixed-function pipeline of
// OpenGL 2.1, 24-bit colour without alpha, a 16-bit depth buffer, no stencil.
QSurfaceFormat ViewFormat()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(0);
    format.setDepthBufferSize(16);
    format.setStencilBufferSize(0);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    return format;
}

GLenum PolygonMode(TSposobKreslenia style)
{
    switch (style) {
    case TSposobKreslenia::skKontur:
        return GL_LINE;
    case TSposobKreslenia::skPunkty:
        return GL_POINT;
    case TSposobKreslenia::skWypelnienie:
        break;
    }
    return GL_FILL;
}

// Triangles interleaved and uploaded per block, so a large model never needs a second
// full-size copy in main memory.
constexpr std::size_t kUploadBlock = 65536;
constexpr GLsizei kStride = kFloatsPerVertex * sizeof(float);

} // namespace

TRAWview::TRAWview(QWidget *parent)
    : QOpenGLWidget(parent)
{
    setFormat(ViewFormat());
    setFocusPolicy(Qt::ClickFocus);
}

TRAWview::~TRAWview()
{
    releaseGL();
}

void TRAWview::LadujListeRAW(ModelHandle model)
{
    m_model = std::move(model);
    m_state.setViewSize(width(), height());
    m_state.setModelBox(m_model ? m_model->model.box : TModelBox {});
    if (m_gl) {
        makeCurrent();
        uploadModel();
        doneCurrent();
    }
    update();
}

void TRAWview::DostosujDoRozmiaruOkna()
{
    m_state.setViewSize(width(), height());
}

void TRAWview::ResetujPrzeksztalcenia()
{
    m_state.setViewSize(width(), height());
    m_state.Fit();
    update();
}

void TRAWview::setBusy(bool busy, bool drawn)
{
    m_state.setBusy(busy, drawn);
    update();
}

void TRAWview::initializeGL()
{
    // A widget moved to another window gets a new context: the buffer is made again there.
    disconnect(m_contextGone);
    m_gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(context());
    if (!m_gl) {
        qWarning("The model view needs OpenGL 2.1 with the fixed-function pipeline.");
        return;
    }
    m_contextGone = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &TRAWview::releaseGL,
                            Qt::DirectConnection);
    uploadModel();
}

void TRAWview::releaseGL()
{
    if (!m_gl)
        return;
    makeCurrent();
    releaseModelBuffer();
    doneCurrent();
    disconnect(m_contextGone);
    m_gl = nullptr;
}

void TRAWview::releaseModelBuffer()
{
    if (m_vertices.isCreated())
        m_vertices.destroy();
    m_vertexCount = 0;
}

void TRAWview::uploadModel()
{
    releaseModelBuffer();
    if (!m_gl || !m_model || m_model->triangles.empty())
        return;
    const std::vector<TRawTriangle> &triangles = m_model->triangles;
    // One draw call counts its vertices in an int.
    if (triangles.size() > std::size_t(INT_MAX / 3))
        return;
    constexpr GLsizeiptr triangleBytes = kFloatsPerTriangle * sizeof(float);
    for (int i = 0; i < 8 && m_gl->glGetError() != GL_NO_ERROR; ++i) { }
    if (!m_vertices.create())
        return;
    m_vertices.bind();
    m_gl->glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(triangles.size()) * triangleBytes, nullptr,
                       GL_STATIC_DRAW);
    if (m_gl->glGetError() != GL_NO_ERROR) {
        // Out of graphics memory: the model is not shown rather than shown in part.
        m_vertices.release();
        m_vertices.destroy();
        return;
    }
    std::vector<float> block(std::min(kUploadBlock, triangles.size()) * kFloatsPerTriangle);
    const std::span<const TRawTriangle> all(triangles);
    for (std::size_t first = 0; first < triangles.size(); first += kUploadBlock) {
        const std::size_t count = std::min(kUploadBlock, triangles.size() - first);
        InterleaveTriangles(all.subspan(first, count), block.data());
        m_gl->glBufferSubData(GL_ARRAY_BUFFER, GLintptr(first) * triangleBytes,
                              GLsizeiptr(count) * triangleBytes, block.data());
    }
    m_vertices.release();
    m_vertexCount = int(triangles.size() * 3);
}

void TRAWview::resizeGL(int width, int height)
{
    m_state.setViewSize(width, height);
}

void TRAWview::paintGL()
{
    if (!m_gl)
        return;
    QOpenGLFunctions_2_1 &gl = *m_gl;
    const std::array<float, 4> clear = m_state.clearColour();
    gl.glClearColor(clear[0], clear[1], clear[2], clear[3]);
    gl.glEnable(GL_DEPTH_TEST);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!m_state.drawsScene())
        return;

    const qreal ratio = devicePixelRatioF();
    gl.glViewport(0, 0, int(RoundHalfEven(width() * ratio)), int(RoundHalfEven(height() * ratio)));
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadMatrixf(m_state.projection().constData());
    gl.glMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();
    // Placed under the identity, the light stays fixed in eye space while the model turns.
    setLightsAndMaterial();
    gl.glFrontFace(GL_CCW);
    gl.glEnable(GL_NORMALIZE);
    gl.glShadeModel(GL_SMOOTH);
    gl.glPolygonMode(GL_FRONT_AND_BACK, PolygonMode(m_state.properties().Model_SposobKreslenia));

    gl.glLoadMatrixf(m_state.viewMatrix().constData());
    if (m_state.drawsAxes())
        drawAxes();
    if (m_state.drawsModel()) {
        gl.glLoadMatrixf(m_state.modelMatrix().constData());
        drawModel();
    }
}

void TRAWview::setLightsAndMaterial()
{
    QOpenGLFunctions_2_1 &gl = *m_gl;
    const GLfloat position[] = {-8, 8, 16, 0}; // w = 0: a directional light
    const GLfloat ambient[] = {0.1f, 0.1f, 0.1f, 1};
    const GLfloat diffuse[] = {0.7f, 0.7f, 0.7f, 1};
    gl.glEnable(GL_LIGHTING);
    gl.glLightfv(GL_LIGHT0, GL_POSITION, position);
    gl.glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    gl.glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    gl.glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    gl.glEnable(GL_LIGHT0);

    const std::array<float, 4> colour = m_state.modelColour();
    gl.glEnable(GL_COLOR_MATERIAL);
    gl.glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    gl.glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour.data());
    gl.glColor3f(colour[0], colour[1], colour[2]);
    const auto m = GLfloat(m_state.properties().Model_Material);
    const GLfloat specular[] = {m, m, m, 1};
    gl.glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    gl.glMaterialf(GL_FRONT, GL_SHININESS, 128);
}

void TRAWview::drawAxes()
{
    // Unlit, in the model's colour: lines have no face for the light to fall on.
    QOpenGLFunctions_2_1 &gl = *m_gl;
    const std::vector<QVector3D> lines = m_state.axesLines();
    gl.glDisable(GL_LIGHTING);
    gl.glEnableClientState(GL_VERTEX_ARRAY);
    gl.glVertexPointer(3, GL_FLOAT, 0, lines.data());
    gl.glDrawArrays(GL_LINES, 0, GLsizei(lines.size()));
    gl.glDisableClientState(GL_VERTEX_ARRAY);
    gl.glEnable(GL_LIGHTING);
}

void TRAWview::drawModel()
{
    if (m_vertexCount == 0)
        return;
    QOpenGLFunctions_2_1 &gl = *m_gl;
    m_vertices.bind();
    gl.glEnableClientState(GL_VERTEX_ARRAY);
    gl.glEnableClientState(GL_NORMAL_ARRAY);
    gl.glVertexPointer(3, GL_FLOAT, kStride, nullptr);
    gl.glNormalPointer(GL_FLOAT, kStride, reinterpret_cast<const void *>(3 * sizeof(float)));
    gl.glDrawArrays(GL_TRIANGLES, 0, m_vertexCount);
    gl.glDisableClientState(GL_NORMAL_ARRAY);
    gl.glDisableClientState(GL_VERTEX_ARRAY);
    m_vertices.release();
}

void TRAWview::mousePressEvent(QMouseEvent *event)
{
    if (m_state.mousePress(event->button(), event->modifiers(), event->position().toPoint()))
        setFocus(Qt::MouseFocusReason);
}

void TRAWview::mouseMoveEvent(QMouseEvent *event)
{
    if (m_state.mouseMove(event->position().toPoint(), event->modifiers()))
        update();
}

void TRAWview::mouseReleaseEvent(QMouseEvent *)
{
    m_state.mouseRelease();
}

void TRAWview::wheelEvent(QWheelEvent *event)
{
    if (m_state.wheel(event->angleDelta().y()))
        update();
    event->accept();
}
