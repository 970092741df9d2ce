#!/usr/bin/python3
"""Writes the DXF test drawings of this folder with ezdxf (an independent
DXF writer) and, from the same library, the true curve of every entity, so
the reader's figures can be checked against it. Only needed to regenerate
the files; the tests read the committed output.

    /usr/bin/python3 data/dxf/make_reference.py

Reference lines, one per figure in drawing order, lengths in millimetres:
    line x0 y0 x1 y1
    circle cx cy r
    arc cx cy r start_deg end_deg
    ellipse cx cy mx my ratio t0 t1
    poly n  then n segments of: x0 y0 x1 y1 cx cy r   (r = 0: straight)
    spline n  then n points x y on the curve, the ends first and last
    curve n  then n points x y densely along the curve (a polyline within
             a thousandth of a millimetre of it), the ends first and last
    point x y

converted_r2000.dxf holds what converters and CAD programs write: splines by
fit points alone (with and without end tangents), a 3D polyline, a LINE of
zero length and slivers shorter than the joining tolerance; converted.ref
describes its figures as read, in the same way.
"""
import math
import os

import ezdxf
from ezdxf.math import BSpline, bulge_to_arc, fit_points_to_cad_cv

HERE = os.path.dirname(os.path.abspath(__file__))
MINIMUM_CHORD = 2.0  # the reader's default


def spline_samples(control, knots, degree):
    """The curve at the parameters the reader samples: chord rule over the
    control polygon, m steps from knot[degree] to knot[n + 1]."""
    count = len(control)
    length = sum(math.dist(control[i - 1], control[i]) for i in range(1, count))
    chord = max(min(length / (192 * count), 5.0), MINIMUM_CHORD)
    s = max(length / chord, 4)
    dt = min(1 / s, 0.25)
    m = max(round(1 / dt), 4)
    curve = BSpline(control, order=degree + 1, knots=knots)
    start, end = knots[degree], knots[count]
    step = (end - start) / m
    points = [control[0]]
    t = start
    while t < end:
        p = curve.point(t)
        points.append((p.x, p.y))
        t += step
    points.append(control[-1])
    return points


def natural_spline_samples(fit, per_span=100):
    """The C2 cubic through the fit points at their cumulative chord
    lengths with natural ends (no curvature at either end), sampled densely.
    Written out here (a tridiagonal solve) since ezdxf offers only ends with
    tangents."""
    u = [0.0]
    for a, b in zip(fit, fit[1:]):
        u.append(u[-1] + math.dist(a, b))
    n = len(fit) - 1
    h = [u[i + 1] - u[i] for i in range(n)]

    def moments(q):
        sub, diag, sup, rhs = [0.0] * (n + 1), [1.0] * (n + 1), [0.0] * (n + 1), [0.0] * (n + 1)
        for i in range(1, n):
            sub[i], diag[i], sup[i] = h[i - 1], 2 * (h[i - 1] + h[i]), h[i]
            rhs[i] = 6 * ((q[i + 1] - q[i]) / h[i] - (q[i] - q[i - 1]) / h[i - 1])
        for i in range(1, n + 1):
            m = sub[i] / diag[i - 1]
            diag[i] -= m * sup[i - 1]
            rhs[i] -= m * rhs[i - 1]
        out = [0.0] * (n + 1)
        out[n] = rhs[n] / diag[n]
        for i in range(n - 1, -1, -1):
            out[i] = (rhs[i] - sup[i] * out[i + 1]) / diag[i]
        return out

    xs, ys = [p[0] for p in fit], [p[1] for p in fit]
    mx, my = moments(xs), moments(ys)
    samples = [fit[0]]
    for i in range(n):
        for k in range(1, per_span + 1):
            a = h[i] * k / per_span
            b = h[i] - a

            def at(m, c):
                return ((m[i] * b ** 3 + m[i + 1] * a ** 3) / (6 * h[i]) + (c[i] / h[i] - m[i] * h[i] / 6) * b
                        + (c[i + 1] / h[i] - m[i + 1] * h[i] / 6) * a)
            samples.append((at(mx, xs), at(my, ys)))
    samples[-1] = fit[-1]
    return samples


def curve_ref(samples):
    return "curve %d " % len(samples) + " ".join("%r %r" % (p[0], p[1]) for p in samples)


def converted():
    """The drawing of converter-made entities and its reference."""
    refs = []
    doc = ezdxf.new("R2000")
    doc.header["$INSUNITS"] = 4
    msp = doc.modelspace()
    # A converter's path starts with a LINE of zero length.
    msp.add_line((5, 5), (5, 5))
    refs.append("point 5 5")
    # Fit points alone, no tangents: natural ends.
    fit = [(0, 0), (10, 25), (30, 30), (45, 5), (70, 15)]
    msp.add_spline(fit)
    refs.append(curve_ref(natural_spline_samples(fit)))
    # Fit points with start and end tangents: the curve CAD programs draw
    # (chord-length knots, end derivatives scaled by the chord length).
    fit = [(0, 50), (20, 70), (40, 50), (60, 80)]
    tangents = [(0, 1), (1, 0)]
    spline = msp.add_spline(fit)
    spline.dxf.start_tangent = (tangents[0][0], tangents[0][1], 0)
    spline.dxf.end_tangent = (tangents[1][0], tangents[1][1], 0)
    curve = fit_points_to_cad_cv(fit, tangents=tangents)
    samples = [(p.x, p.y) for p in curve.approximate(600)]
    refs.append(curve_ref(samples))
    # A 3D polyline (flags 8) is straight from vertex to vertex.
    corners = [(100, 0), (160, 0), (160, 40), (100, 40)]
    msp.add_polyline3d([(x, y, z) for (x, y), z in zip(corners, (0, 1, 2, 3))], close=True)
    sides = list(zip(corners, corners[1:] + corners[:1]))
    refs.append("poly %d " % len(sides)
                + " ".join("%r %r %r %r 0.0 0.0 0.0" % (a[0], a[1], b[0], b[1]) for a, b in sides))
    # A sliver of its own, and one that two pieces join into; both shorter
    # than the joining tolerance (0.25 mm).
    msp.add_line((200, 200), (200.1, 200.1))
    refs.append("line 200 200 200.1 200.1")
    msp.add_line((300, 300), (300.1, 300))
    refs.append("line 300 300 300.1 300")
    msp.add_line((300.1, 300), (300.05, 300.1))
    refs.append("line 300.1 300 300.05 300.1")
    doc.saveas(os.path.join(HERE, "converted_r2000.dxf"))
    with open(os.path.join(HERE, "converted.ref"), "w") as out:
        out.write("\n".join(refs) + "\n")


def main():
    refs = []
    doc = ezdxf.new("R2000")
    doc.header["$INSUNITS"] = 4
    msp = doc.modelspace()

    def line(a, b, colour=256):
        msp.add_line(a, b, dxfattribs={"color": colour})
        refs.append("line %r %r %r %r" % (a[0], a[1], b[0], b[1]))

    def circle(c, r):
        msp.add_circle(c, r)
        refs.append("circle %r %r %r" % (c[0], c[1], r))

    def arc(c, r, a0, a1):
        msp.add_arc(c, r, a0, a1)
        refs.append("arc %r %r %r %r %r" % (c[0], c[1], r, a0, a1))

    def ellipse(c, major, ratio, t0, t1):
        msp.add_ellipse(c, major, ratio, t0, t1)
        refs.append("ellipse %r %r %r %r %r %r %r" % (c[0], c[1], major[0], major[1], ratio, t0, t1))

    def poly(vertices, closed, light):
        if light:
            msp.add_lwpolyline(vertices, format="xyb", close=closed)
        else:
            pl = msp.add_polyline2d([(x, y) for x, y, _ in vertices], close=closed)
            for vertex, (_, _, b) in zip(pl.vertices, vertices):
                if b:
                    vertex.dxf.bulge = b
        segments = []
        pairs = list(zip(vertices, vertices[1:]))
        if closed:
            pairs.append((vertices[-1], vertices[0]))
        for (x0, y0, b), (x1, y1, _) in pairs:
            if b:
                centre, _, _, radius = bulge_to_arc((x0, y0), (x1, y1), b)
                segments.append((x0, y0, x1, y1, centre.x, centre.y, radius))
            else:
                segments.append((x0, y0, x1, y1, 0.0, 0.0, 0.0))
        refs.append("poly %d " % len(segments) + " ".join(" ".join(repr(v) for v in s) for s in segments))

    def open_spline(control, degree):
        spline = msp.add_open_spline(control, degree=degree)
        knots = list(spline.knots)
        samples = spline_samples(control, knots, degree)
        refs.append("spline %d " % len(samples) + " ".join("%r %r" % p for p in samples))

    def fit_spline(fit):
        msp.add_spline(fit)
        refs.append(curve_ref(natural_spline_samples(fit)))

    line((0, 0), (10, 5), 1)
    line((-12.3456, 7.89), (100.0125, -50.5), 2)
    circle((50, 50), 10)
    circle((-20, 30), 1)
    circle((0, 0), 150)
    arc((0, 0), 100, 0, 100)
    arc((10, -10), 25, 350, 10)
    arc((5, 5), 3.3, 45, 300)
    ellipse((10, 10), (0, 20), 0.5, 0, 2 * math.pi)
    ellipse((-30, 40), (25, 10), 0.3, 0.5, 4.0)
    ellipse((0, 0), (30, 0), 0.6, 5.0, 1.0)
    poly([(0, 0, 0), (40, 0, 1), (40, 20, 0), (0, 20, -0.5)], True, True)
    poly([(0, 0, 1), (20, 0, 0)], False, True)
    poly([(0, 0, -1), (20, 0, 0)], False, True)
    poly([(5, 5, 0.25), (45, 15, -2.0), (60, -10, 0)], False, True)
    poly([(0, 0, 0), (30, 0, 0.3), (30, 30, 0), (0, 30, 0)], True, False)
    open_spline([(0, 0), (10, 30), (30, -10), (50, 40), (70, 0), (90, 20), (100, 0)], 3)
    open_spline([(0, 0), (20, 40), (40, -20), (60, 40), (80, 0)], 2)
    open_spline([(0, 0), (0, 10), (10, 10), (10, 0)], 3)
    fit_spline([(0, 0), (20, 20), (40, 0), (60, 30)])

    doc.saveas(os.path.join(HERE, "entities_r2000.dxf"))
    # The same drawing as a newer release writes it (classes, objects).
    doc.dxfversion = "AC1032"
    doc.saveas(os.path.join(HERE, "entities_r2018.dxf"))
    with open(os.path.join(HERE, "entities.ref"), "w") as out:
        out.write("\n".join(refs) + "\n")
    converted()


if __name__ == "__main__":
    main()
