#pragma once

// What the 3D model view computes, without OpenGL: its properties, the turn, pan, zoom and
// centring of the model, the fit to the view, the mouse rules and the matrices that the view
// hands to the fixed-function pipeline.

#include "model3d/model.h"

#include <QMatrix4x4>
#include <QPoint>
#include <QVector3D>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

enum class TSposobKreslenia { skWypelnienie, skKontur, skPunkty };

// Only the two model modes draw anything: tool shapes and output paths are named for
// completeness but no window shows them.
enum class TTrybPracy { tpPrzegladRAW, tpPrzegladNarzedzi, tpPrzegladPlikuWy, tpPrzegladRAWtermSeryjne };

// A colour as one integer: red in the low byte, green in the middle byte, blue in the high byte.
using TColorValue = std::uint32_t;

// Red, green, blue and alpha for OpenGL: each byte divided by 256, alpha 1.
std::array<float, 4> ColourComponents(TColorValue colour);

struct TRAWviewProperties
{
    double Model_KrokObrotu = 0.5; // degrees per pixel of mouse movement
    double Model_KrokPrzesuwu = 0.01; // model units of pan per pixel
    double Model_KrokSkali = 0.0001; // scale per pixel of vertical movement
    double Model_KrokSkaliRolka = 0.08; // factor of a wheel delta, times Model_KrokSkali
    TColorValue Model_Kolor = 255;
    TSposobKreslenia Model_SposobKreslenia = TSposobKreslenia::skWypelnienie;
    double Model_Material = 0; // specular strength
    bool UkladWsp = false; // coordinate axes shown
    TTrybPracy TrybPracy = TTrybPracy::tpPrzegladRAW;
    TColorValue PanelColour = 0xF0F0F0; // the clear colour; a light grey like a bare panel
};

class ModelViewState
{
public:
    enum NavigationMode { Rotate = 1, Zoom = 2, Pan = 3 };

    const TRAWviewProperties &properties() const { return m_properties; }
    // Stores the properties; the next frame uses them.
    void setProperties(const TRAWviewProperties &properties) { m_properties = properties; }

    // The view's client size in pixels.
    void setViewSize(int width, int height);
    int width() const { return m_width; }
    int height() const { return m_height; }

    // Keeps the model's box and fits the view to it.
    void setModelBox(const TModelBox &box);
    const TModelBox &modelBox() const { return m_box; }

    // Turns and pans back to 0, the scale that shows the model's x-y extent whole and the
    // model's centre on the axes. A model without triangles (an empty box) is left as it is;
    // a view without a size yet is fitted when it gets one.
    void Fit();

    // Changes the view as a drag by (dx, dy) pixels would in the given mode; no redraw.
    void Nawigacja(int mode, double dx, double dy);
    static double SkalaWZakresie(double scale) { return scale < 0 ? 0 : scale; }

    // While busy (a model is loading or none is present) the view only clears and the mouse
    // does nothing. A busy view that is `drawn` still shows the model, as its owner turns it
    // step by step, while the mouse does nothing.
    bool busy() const { return m_busy; }
    void setBusy(bool busy, bool drawn = false);

    // Mouse handling; each returns true when the view must be drawn again.
    bool mousePress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);
    bool mouseMove(QPoint position, Qt::KeyboardModifiers modifiers);
    void mouseRelease();
    // delta: 120 per notch of a common wheel.
    bool wheel(int delta);

    double rotationY() const { return m_rotationY; } // about the vertical axis, degrees
    double rotationX() const { return m_rotationX; } // about the horizontal axis, degrees
    double panX() const { return m_panX; }
    double panY() const { return m_panY; }
    double scale() const { return m_scale; }
    QVector3D centring() const { return m_centring; }
    void setScale(double scale) { m_scale = SkalaWZakresie(scale); }

    // 20 degrees of field of view, near 1 and far 100, the scene pushed 12 units away.
    QMatrix4x4 projection() const;
    // Pan, turn about y, turn about x, scale: the frame in which the axes are drawn.
    QMatrix4x4 viewMatrix() const;
    // viewMatrix() followed by the centring: the frame of the triangles.
    QMatrix4x4 modelMatrix() const;

    // A zero scale shrinks everything to a point: nothing is drawn then, not even the axes.
    bool drawsScene() const;
    bool drawsModel() const;
    bool drawsAxes() const;
    // The axes as pairs of line ends, in viewMatrix() coordinates, sized by the view.
    std::vector<QVector3D> axesLines() const;

    std::array<float, 4> clearColour() const { return ColourComponents(m_properties.PanelColour); }
    std::array<float, 4> modelColour() const { return ColourComponents(m_properties.Model_Kolor); }

private:
    bool modelMode() const;

    TRAWviewProperties m_properties;
    TModelBox m_box;
    int m_width = 0;
    int m_height = 0;
    double m_rotationY = 0;
    double m_rotationX = 0;
    double m_panX = 0;
    double m_panY = 0;
    double m_scale = 0;
    QVector3D m_centring;
    bool m_rotating = false;
    bool m_zooming = false;
    bool m_panning = false;
    QPoint m_last;
    bool m_busy = false;
    bool m_drawnWhileBusy = false;
    bool m_fitWhenSized = false;
};

// Six floats per vertex (position, then normal), three vertices per triangle: what one
// glDrawArrays(GL_TRIANGLES) of the view reads.
inline constexpr int kFloatsPerVertex = 6;
inline constexpr int kFloatsPerTriangle = 3 * kFloatsPerVertex;

// Writes the triangles interleaved into out (kFloatsPerTriangle floats each); every vertex
// carries the face normal (v2 - v1) x (v3 - v1), unnormalised (the pipeline normalises it).
void InterleaveTriangles(std::span<const TRawTriangle> triangles, float *out);
