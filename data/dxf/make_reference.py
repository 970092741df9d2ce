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
"""
import math
import os

import ezdxf
from ezdxf.math import BSpline, bulge_to_arc

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
        refs.append("spline %d " % len(fit) + " ".join("%r %r" % p for p in fit))

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


if __name__ == "__main__":
    main()
