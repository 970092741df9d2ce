#pragma once

#include "model3d/model.h"
#include "model3d/modelviewstate.h"

#include <QOpenGLBuffer>
#include <QOpenGLWidget>

class QOpenGLFunctions_2_1;

// The triangle model lit in perspective, turned, moved and zoomed with the mouse.
//
// The triangles go to the graphics memory once per load, as one interleaved vertex and
// normal buffer; a frame is one draw call from it plus the axes, so turning a model of
// millions of triangles does not walk them again.
class TRAWview : public QOpenGLWidget
{
    Q_OBJECT
public:
    explicit TRAWview(QWidget *parent = nullptr);
    ~TRAWview() override;

    const TRAWviewProperties &properties() const { return m_state.properties(); }
    // Stores the properties; they show from the next frame on.
    void setProperties(const TRAWviewProperties &properties) { m_state.setProperties(properties); }
    const ModelViewState &state() const { return m_state; }

    // Shows the model (nothing for a null handle), replacing the previous one and its
    // buffer, and fits the view to it.
    void LadujListeRAW(ModelHandle model);
    const ModelHandle &model() const { return m_model; }
    // The projection for the current size (a resize does it too).
    void DostosujDoRozmiaruOkna();
    // Fits the view to the model again and draws.
    void ResetujPrzeksztalcenia();
    // Turns (1), zooms (2) or pans (3) as a drag by (dx, dy) pixels would; does not draw.
    void Nawigacja(int mode, double dx, double dy) { m_state.Nawigacja(mode, dx, dy); }
    // Draws the scene.
    void PokazScene() { update(); }
    static double SkalaWZakresie(double scale) { return ModelViewState::SkalaWZakresie(scale); }

    // Set by the owner while a model loads and before one is present: the view only
    // clears to the panel colour and ignores the mouse. A busy view that is `drawn` shows
    // the model the owner turns, and still ignores the mouse.
    bool busy() const { return m_state.busy(); }
    void setBusy(bool busy, bool drawn = false);

    // The uploaded buffer (0 when none) and its vertex count, for tests and measurements.
    GLuint vertexBufferId() const { return m_vertices.isCreated() ? m_vertices.bufferId() : 0; }
    int vertexCount() const { return m_vertexCount; }

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void uploadModel();
    void releaseModelBuffer();
    void releaseGL();
    void setLightsAndMaterial();
    void drawAxes();
    void drawModel();

    ModelViewState m_state;
    ModelHandle m_model;
    QOpenGLFunctions_2_1 *m_gl = nullptr;
    QOpenGLBuffer m_vertices {QOpenGLBuffer::VertexBuffer};
    int m_vertexCount = 0;
    QMetaObject::Connection m_contextGone;
};
