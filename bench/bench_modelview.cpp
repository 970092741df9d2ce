// Frames of the model view for a sphere of a million triangles at 1000 x 800, against the
// same vertex buffer drawn bare (no lighting, one colour) in the same context, and against
// drawing every triangle in immediate mode as a plain transcription would. Needs an X display
// with OpenGL; run it as
//   LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a -s "-screen 0 1280x1024x24" bench/bench_modelview

#include "model3d/ui/rawview.h"

#include <QApplication>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <numbers>

namespace {

// A sphere of the radius about the origin in 2 x slices x stacks triangles, wound
// counter-clockwise seen from outside.
ModelHandle Sphere(float radius, int slices, int stacks)
{
    std::vector<TRawTriangle> triangles;
    triangles.reserve(std::size_t(2) * slices * stacks);
    const auto point = [&](int slice, int stack) {
        const double theta = std::numbers::pi * stack / stacks; // from the north pole
        const double phi = 2 * std::numbers::pi * slice / slices;
        return std::array<float, 3> {float(radius * std::sin(theta) * std::cos(phi)),
                                     float(radius * std::cos(theta)),
                                     float(-radius * std::sin(theta) * std::sin(phi))};
    };
    for (int stack = 0; stack < stacks; ++stack) {
        for (int slice = 0; slice < slices; ++slice) {
            const auto a = point(slice, stack), b = point(slice, stack + 1);
            const auto c = point(slice + 1, stack + 1), d = point(slice + 1, stack);
            triangles.push_back({a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]});
            triangles.push_back({a[0], a[1], a[2], c[0], c[1], c[2], d[0], d[1], d[2]});
        }
    }
    TModelBox box;
    for (const TRawTriangle &t : triangles)
        box.GrowModelBox(t);
    return MakeModelData(std::move(triangles), box, QStringLiteral("sphere.raw"));
}

// The view's paint reached from outside, so a frame can be timed without the widget's
// composition.
class BenchView : public TRAWview
{
public:
    using TRAWview::paintGL;
};

const ModelHandle &MillionSphere()
{
    static const ModelHandle sphere = Sphere(50, 1000, 500);
    return sphere;
}

// The view as the serial-cut window sets it up, with the sphere loaded; made in main() so
// that it goes before the application object.
BenchView *g_view = nullptr;

BenchView &View()
{
    return *g_view;
}

void SetUpView(BenchView &view)
{
    TRAWviewProperties p;
    p.TrybPracy = TTrybPracy::tpPrzegladRAWtermSeryjne;
    p.Model_Material = 1.0;
    p.UkladWsp = true;
    p.PanelColour = 0;
    view.setProperties(p);
    view.resize(1000, 800);
    view.grabFramebuffer(); // makes the context
    view.LadujListeRAW(MillionSphere());
}

QOpenGLFunctions_2_1 *Gl(BenchView &view)
{
    return QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(view.context());
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The same buffer and depth test, but positions only, unlit, in one colour.
void BareDraw(QOpenGLFunctions_2_1 &gl, BenchView &view)
{
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.glDisable(GL_LIGHTING);
    gl.glColor3f(1, 0, 0);
    gl.glBindBuffer(GL_ARRAY_BUFFER, view.vertexBufferId());
    gl.glEnableClientState(GL_VERTEX_ARRAY);
    gl.glVertexPointer(3, GL_FLOAT, kFloatsPerVertex * sizeof(float), nullptr);
    gl.glDrawArrays(GL_TRIANGLES, 0, view.vertexCount());
    gl.glDisableClientState(GL_VERTEX_ARRAY);
    gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
    gl.glFinish();
}

void FrameAgainstBareDraw(benchmark::State &state)
{
    BenchView &view = View();
    view.makeCurrent();
    QOpenGLFunctions_2_1 *gl = Gl(view);
    if (!gl || view.vertexCount() == 0) {
        state.SkipWithError("no OpenGL 2.1 context or no buffer");
        return;
    }
    double frame = 0, bare = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        view.paintGL();
        gl->glFinish();
        const auto t1 = std::chrono::steady_clock::now();
        BareDraw(*gl, view);
        const auto t2 = std::chrono::steady_clock::now();
        frame += Milliseconds(t1 - t0);
        bare += Milliseconds(t2 - t1);
    }
    view.doneCurrent();
    const double n = double(state.iterations());
    state.counters["frame_ms"] = frame / n;
    state.counters["bare_ms"] = bare / n;
    state.counters["frame_over_bare"] = frame / bare;
}
BENCHMARK(FrameAgainstBareDraw)->Unit(benchmark::kMillisecond)->Iterations(20);

// What the buffer avoids: every triangle sent by glBegin/glNormal/glVertex/glEnd per frame.
void ImmediateModeFrame(benchmark::State &state)
{
    BenchView &view = View();
    view.makeCurrent();
    QOpenGLFunctions_2_1 *gl = Gl(view);
    if (!gl) {
        state.SkipWithError("no OpenGL 2.1 context");
        return;
    }
    const std::vector<TRawTriangle> &triangles = MillionSphere()->triangles;
    double loop = 0, frame = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        gl->glEnable(GL_LIGHTING);
        for (const TRawTriangle &t : triangles) {
            const float ax = t.x2 - t.x1, ay = t.y2 - t.y1, az = t.z2 - t.z1;
            const float bx = t.x3 - t.x1, by = t.y3 - t.y1, bz = t.z3 - t.z1;
            gl->glBegin(GL_TRIANGLES);
            gl->glNormal3f(ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx);
            gl->glVertex3f(t.x1, t.y1, t.z1);
            gl->glVertex3f(t.x2, t.y2, t.z2);
            gl->glVertex3f(t.x3, t.y3, t.z3);
            gl->glEnd();
        }
        gl->glFinish();
        const auto t1 = std::chrono::steady_clock::now();
        view.paintGL();
        gl->glFinish();
        const auto t2 = std::chrono::steady_clock::now();
        loop += Milliseconds(t1 - t0);
        frame += Milliseconds(t2 - t1);
    }
    view.doneCurrent();
    state.counters["immediate_ms"] = loop / double(state.iterations());
    state.counters["immediate_over_frame"] = loop / frame;
}
BENCHMARK(ImmediateModeFrame)->Unit(benchmark::kMillisecond)->Iterations(3);

// A load: the interleaved buffer built and uploaded, the previous one freed.
void UploadMillionTriangles(benchmark::State &state)
{
    BenchView &view = View();
    for (auto _ : state) {
        view.LadujListeRAW(MillionSphere());
        view.makeCurrent();
        Gl(view)->glFinish();
        view.doneCurrent();
    }
    if (view.vertexCount() != 3'000'000)
        state.SkipWithError("the sphere was not uploaded");
}
BENCHMARK(UploadMillionTriangles)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    {
        BenchView view;
        SetUpView(view);
        g_view = &view;
        benchmark::RunSpecifiedBenchmarks();
        g_view = nullptr;
    }
    benchmark::Shutdown();
    return 0;
}
