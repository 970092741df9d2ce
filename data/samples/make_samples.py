#!/usr/bin/python3
"""Writes the sample drawings of this folder: what an operator of the cutter
would open on a first day. Only needed to regenerate them; the program and
its tests read the committed files.

    /usr/bin/python3 data/samples/make_samples.py [file ...]

writes every sample, or only the files named.

sign.plt     letters "POD" for a shop sign; P and D hold a hole, O a round one
nested.plt   a foam block's frame with five parts nested in it, two with holes
flange.dxf   a flange: rounded outline (bulges), a bore, four bolt holes and
             an arc slot made of ARC and LINE entities
nested.dxf   the nested set of nested.plt as closed LWPOLYLINEs and CIRCLEs
badge.eps    an Illustrator-style badge of curves: a heart on a round plate
             with a bore, closed by "s" and "f" (needs no ezdxf)

Drawings for the modes that turn the material; each holds its rotation axis
as one straight line beside the profile:
column.plt   a column's profile above its horizontal spindle axis (rotary
             cutting on the spindle)
vase.dxf     a vase's side above its spindle axis, a LINE and an LWPOLYLINE
             with a bulged lip (turning on the spindle)
lampbase.plt a lamp base's profile left of its vertical table axis (rotary
             cutting and turning on the rotary table)
baluster/    the two faces of a baluster, 1_baluster.plt and 2_baluster.plt,
             each with its spindle axis: the numbered passes of a serial cut

Drawings for the starts that ask first:
wing.plt     a tapered, swept wing panel for independent front and back
             profiles: the root airfoil with pen 4 (front), the smaller tip
             airfoil with pen 3 (back), drawn with different point counts
block.plt    the front profile of a perpendicular cut (a stepped block with
block_side.plt  a chamfered top) and its side profile, found by the "_side"
             name
serial/1_rib.plt, 2_rib.plt, 3_rib.plt
             three passes of a serial cut: a rib profile growing pass by pass

A model for the serial cut from a 3D model:
pawn.raw     a chess pawn 32 mm across and 43 mm high, standing on its base,
             as a RAW triangle file (a surface of revolution about y)
"""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
UNITS_PER_MM = 40  # HPGL plotter units


def circle(cx, cy, r, n=48, start=0.0):
    return [(cx + r * math.cos(start + 2 * math.pi * i / n),
             cy + r * math.sin(start + 2 * math.pi * i / n)) for i in range(n)]


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def star(cx, cy, outer, inner, spikes=5):
    pts = []
    for i in range(2 * spikes):
        r = outer if i % 2 == 0 else inner
        a = math.pi / 2 + math.pi * i / spikes
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def letter_p(x, y):
    # 50 x 100 mm; the bowl's hole is a rectangle
    outer = [(x, y), (x + 15, y), (x + 15, y + 45), (x + 40, y + 45), (x + 50, y + 55),
             (x + 50, y + 90), (x + 40, y + 100), (x, y + 100)]
    hole = rect(x + 15, y + 60, x + 35, y + 85)
    return [outer, hole]


def letter_o(x, y):
    return [circle(x + 35, y + 50, 50 - 5, 72), circle(x + 35, y + 50, 25, 48)]


def letter_d(x, y):
    outer = [(x, y), (x + 30, y)] + [
        (x + 30 + 30 * math.cos(a), y + 50 + 50 * math.sin(a))
        for a in [-math.pi / 2 + math.pi * i / 16 for i in range(1, 16)]] + [(x + 30, y + 100), (x, y + 100)]
    hole = [(x + 15, y + 15), (x + 30, y + 15)] + [
        (x + 30 + 15 * math.cos(a), y + 50 + 35 * math.sin(a))
        for a in [-math.pi / 2 + math.pi * i / 12 for i in range(1, 12)]] + [(x + 30, y + 85), (x + 15, y + 85)]
    return [outer, hole]


def nested_set():
    """Frame of 300 x 200 mm with parts at least 10 mm apart."""
    figures = [rect(0, 0, 300, 200)]
    figures += [rect(15, 15, 95, 95), circle(55, 55, 20, 36)]          # plate with a bore
    figures.append(star(150, 60, 45, 20))                               # star
    figures += [rect(210, 15, 285, 110), rect(225, 30, 270, 50), rect(225, 70, 270, 95)]  # window frame
    figures.append(circle(60, 150, 35, 48))                             # disc
    figures.append([(120, 120), (200, 120), (200, 185), (160, 165), (120, 185)])  # banner
    return figures


def write_plt(name, figures, closed=True, pens=None):
    """The figures with pen 1, or each with its pen from pens."""
    path = os.path.join(HERE, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", newline="\n") as f:
        f.write("IN;\n" if pens else "IN;SP1;\n")
        for i, fig in enumerate(figures):
            if pens:
                f.write("SP%d;\n" % pens[i])
            pts = [(round(x * UNITS_PER_MM), round(y * UNITS_PER_MM)) for x, y in fig]
            if closed:
                pts.append(pts[0])
            f.write("PU%d,%d;\n" % pts[0])
            f.write("PD" + ",".join("%d,%d" % p for p in pts[1:]) + ";\n")
        f.write("PU;SP0;\n")


def airfoil(chord, x0, y0, n, thickness=0.12, camber=0.02, camber_at=0.4):
    """A four-digit airfoil from the trailing edge over the upper side to the
    leading edge and back along the lower side; n points per side."""
    def surface(upper):
        pts = []
        for i in range(n + 1):
            x = (1 - math.cos(math.pi * i / n)) / 2  # denser at both edges
            t = 5 * thickness * (0.2969 * math.sqrt(x) - 0.1260 * x - 0.3516 * x * x
                                 + 0.2843 * x ** 3 - 0.1036 * x ** 4)
            if x < camber_at:
                c = camber / camber_at ** 2 * (2 * camber_at * x - x * x)
            else:
                c = camber / (1 - camber_at) ** 2 * ((1 - 2 * camber_at) + 2 * camber_at * x - x * x)
            y = c + t if upper else c - t
            pts.append((x0 + chord * x, y0 + chord * y))
        return pts
    upper = surface(True)[::-1]   # trailing edge to leading edge
    lower = surface(False)[1:-1]  # leading edge back, the trailing edge closes it
    return upper + lower


def write_wing():
    root = airfoil(240, 10, 30, 30)
    tip = airfoil(160, 60, 36, 20)
    write_plt("wing.plt", [root, tip], pens=[4, 3])


def write_perpendicular_block():
    front = [(0, 0), (220, 0), (220, 90), (160, 90), (160, 140), (60, 140), (20, 100), (0, 100)]
    side = [(0, 0), (160, 0), (160, 120), (120, 140), (40, 140), (0, 120)]
    write_plt("block.plt", [front])
    write_plt("block_side.plt", [side])


def write_serial_ribs():
    for n in (1, 2, 3):
        height = 60 + 15 * n
        rib = [(0, 0), (120, 0), (120, height), (90, height + 20), (30, height + 20), (0, height)]
        write_plt("serial/%d_rib.plt" % n, [rib])


def catmull_rom(points, per_segment=6):
    """A smooth curve through the points (uniform Catmull-Rom), ends included."""
    ext = [points[0]] + points + [points[-1]]
    out = [points[0]]
    for i in range(1, len(ext) - 2):
        p0, p1, p2, p3 = ext[i - 1], ext[i], ext[i + 1], ext[i + 2]
        for k in range(1, per_segment + 1):
            t = k / per_segment
            out.append(tuple(0.5 * (2 * p1[j] + (-p0[j] + p2[j]) * t
                                    + (2 * p0[j] - 5 * p1[j] + 4 * p2[j] - p3[j]) * t * t
                                    + (-p0[j] + 3 * p1[j] - 3 * p2[j] + p3[j]) * t ** 3) for j in range(2)))
    return out


def shifted(points, dx, dy):
    return [(x + dx, y + dy) for x, y in points]


def column_profile():
    """Half the silhouette of a 400 mm column above its axis: plinth, torus,
    a shaft with a slight swelling, echinus and abacus."""
    pts = [(0, 60), (25, 60), (25, 56)]
    pts += [(35 + 10 * math.cos(a), 56 + 6 * math.sin(a))
            for a in [math.pi - math.pi * i / 8 for i in range(1, 8)]]
    pts += [(45, 50), (50, 46)]
    pts += [(50 + 280 * t, 46 + 3 * math.sin(math.pi * t)) for t in [i / 10 for i in range(1, 11)]]
    pts += [(340, 48)] + [(340 + 25 * math.sin(a), 48 + 14 * (1 - math.cos(a)))
                          for a in [math.pi / 2 * i / 6 for i in range(1, 7)]]
    pts += [(365, 66), (400, 66)]
    return pts


def baluster_face(beads):
    """One face of a square baluster 400 mm long: straight, 40 mm from the
    axis, with rounded beads cut into it."""
    pts = [(0, 40)]
    for centre in beads:
        pts += [(centre - 12, 40)] + [(centre - 12 * math.cos(a), 40 - 8 * math.sin(a))
                                      for a in [math.pi * i / 8 for i in range(1, 8)]] + [(centre + 12, 40)]
    pts.append((400, 40))
    return pts


def lamp_base_profile():
    """A lamp base standing on the rotary table, left of its vertical axis:
    a wide foot, a narrow waist, a bulb and a short neck."""
    return catmull_rom([(-90, 0), (-90, 15), (-70, 30), (-38, 110), (-62, 190), (-40, 260), (-30, 285),
                        (-30, 300)])


def write_vase_dxf():
    """The vase's side from its foot to its lip, 15 mm from the axis line's
    start; the lip is an arc of the polyline."""
    import ezdxf
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    msp.add_line((10, 10), (260, 10))
    side = shifted(catmull_rom([(0, 40), (40, 62), (80, 70), (120, 58), (160, 32), (185, 28), (205, 36)]), 25, 10)
    lip = math.tan(math.radians(60) / 4)
    msp.add_lwpolyline([(x, y, 0, 0, 0) for x, y in side[:-1]] + [(side[-1][0], side[-1][1], 0, 0, lip),
                                                                   (245, 55, 0, 0, 0)], format="xyseb")
    doc.saveas(os.path.join(HERE, "vase.dxf"))


def write_nested_dxf():
    import ezdxf
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    for fig in nested_set():
        if len(fig) in (36, 48):  # the circles of the set are true circles here
            xs = [p[0] for p in fig]
            ys = [p[1] for p in fig]
            cx, cy = (max(xs) + min(xs)) / 2, (max(ys) + min(ys)) / 2
            msp.add_circle((cx, cy), math.dist(fig[0], (cx, cy)))
        else:
            msp.add_lwpolyline(fig, close=True)
    doc.saveas(os.path.join(HERE, "nested.dxf"))


def write_flange_dxf():
    import ezdxf
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    # Outline 160 x 120 mm with corners of 20 mm radius: bulge tan(90/4)
    b = math.tan(math.radians(90) / 4)
    msp.add_lwpolyline([(20, 0, 0, 0, 0), (140, 0, 0, 0, b), (160, 20, 0, 0, 0), (160, 100, 0, 0, b),
                        (140, 120, 0, 0, 0), (20, 120, 0, 0, b), (0, 100, 0, 0, 0), (0, 20, 0, 0, b)],
                       format="xyseb", close=True)
    msp.add_circle((80, 60), 25)                     # bore
    for x, y in [(20, 20), (140, 20), (140, 100), (20, 100)]:
        msp.add_circle((x, y), 6)                    # bolt holes
    # Arc slot above the bore: two arcs about the bore's centre, closed by lines
    msp.add_arc((80, 60), 45, 60, 120)
    msp.add_arc((80, 60), 35, 60, 120)
    for r0, r1, a in [(35, 45, 60), (35, 45, 120)]:
        t = math.radians(a)
        msp.add_line((80 + r0 * math.cos(t), 60 + r0 * math.sin(t)), (80 + r1 * math.cos(t), 60 + r1 * math.sin(t)))
    doc.saveas(os.path.join(HERE, "flange.dxf"))


PT_PER_MM = 72 / 25.4  # PostScript points


def circle_curves(cx, cy, r):
    """A circle as four cubic curves, in points: the lines after its "m"."""
    k = 0.5522847498 * r
    quarter = [((cx + r, cy + k), (cx + k, cy + r), (cx, cy + r)),
               ((cx - k, cy + r), (cx - r, cy + k), (cx - r, cy)),
               ((cx - r, cy - k), (cx - k, cy - r), (cx, cy - r)),
               ((cx + k, cy - r), (cx + r, cy - k), (cx + r, cy))]
    return ["%.3f %.3f m" % (cx + r, cy)] + [
        "%.3f %.3f %.3f %.3f %.3f %.3f c" % (a + b + c) for a, b, c in quarter]


def write_badge_eps():
    """A plate of 120 mm with a 10 mm bore and a heart: what a shop cuts
    from a logo drawn in an illustration program."""
    mm = lambda v: v * PT_PER_MM
    cx, cy = mm(60), mm(60)
    lines = ["%!PS-Adobe-3.0 EPSF-3.0",
             "%%Creator: make_samples.py",
             "%%BoundingBox: 0 0 341 341",
             "%%EndComments",
             "%%BeginProlog",
             "%%EndProlog",
             "%%BeginSetup",
             "%%EndSetup",
             "%AI5_BeginLayer",
             "0 0 0 1 K"]
    lines += circle_curves(cx, cy, mm(58)) + ["s"]
    lines += circle_curves(cx, cy + mm(40), mm(5)) + ["s"]
    # The heart: two lobes and a point, symmetric about the plate's centre line.
    top, tip, w = cy + mm(22), cy - mm(38), mm(34)
    lines += ["%.3f %.3f m" % (cx, top),
              "%.3f %.3f %.3f %.3f %.3f %.3f c" % (cx + mm(6), top + mm(16), cx + w, top + mm(14), cx + w, top - mm(6)),
              "%.3f %.3f %.3f %.3f %.3f %.3f C" % (cx + w, top - mm(26), cx + mm(10), tip + mm(20), cx, tip),
              "%.3f %.3f %.3f %.3f %.3f %.3f C" % (cx - mm(10), tip + mm(20), cx - w, top - mm(26), cx - w, top - mm(6)),
              "%.3f %.3f %.3f %.3f %.3f %.3f c" % (cx - w, top + mm(14), cx - mm(6), top + mm(16), cx, top),
              "f",
              "%AI5_EndLayer",
              "%%PageTrailer",
              "%%Trailer",
              "%%EOF"]
    with open(os.path.join(HERE, "badge.eps"), "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def write_sign():
    sign = []
    for letter, x in [(letter_p, 0), (letter_o, 65), (letter_d, 150)]:
        sign += letter(x, 0)
    write_plt("sign.plt", sign)


AXIS = [(0, 0), (400, 0)]


def write_balusters():
    for number, beads in [(1, [100, 200, 300]), (2, [60, 340])]:
        write_plt(os.path.join("baluster", "%d_baluster.plt" % number),
                  [shifted(AXIS, 20, 30), shifted(baluster_face(beads), 20, 30)], closed=False)


def pawn_profile():
    # (radius, height) in mm from the base up; the head is a ball.
    profile = [(0, 0), (16, 0), (16, 3), (13, 5), (10, 9), (7, 20), (6, 26), (9, 27), (9, 29), (5, 30)]
    for i in range(1, 13):
        a = -math.pi / 2 + math.pi * i / 12 + math.asin(5 / 7.5)
        a = min(a, math.pi / 2)
        profile.append((7.5 * math.cos(a), 35.5 + 7.5 * math.sin(a)))
    profile[-1] = (0, 43)
    return profile


def write_pawn_raw(segments=48):
    profile = pawn_profile()
    lines = ["Object1"]

    def at(radius, height, k):
        a = 2 * math.pi * k / segments
        return (radius * math.cos(a), height, radius * math.sin(a))

    for (r0, y0), (r1, y1) in zip(profile, profile[1:]):
        for k in range(segments):
            p00, p01 = at(r0, y0, k), at(r0, y0, k + 1)
            p10, p11 = at(r1, y1, k), at(r1, y1, k + 1)
            for triangle in ((p00, p10, p11), (p00, p11, p01)):
                lines.append(" ".join("%.4f" % c for vertex in triangle for c in vertex))
    with open(os.path.join(HERE, "pawn.raw"), "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


SAMPLES = {
    "sign.plt": write_sign,
    "nested.plt": lambda: write_plt("nested.plt", nested_set()),
    "nested.dxf": write_nested_dxf,
    "flange.dxf": write_flange_dxf,
    "badge.eps": write_badge_eps,
    "column.plt": lambda: write_plt("column.plt", [shifted(AXIS, 20, 30), shifted(column_profile(), 20, 30)],
                                    closed=False),
    "vase.dxf": write_vase_dxf,
    "lampbase.plt": lambda: write_plt("lampbase.plt", [[(300, 10), (300, 340)], shifted(lamp_base_profile(), 300, 20)],
                                      closed=False),
    "baluster": write_balusters,
    "wing.plt": write_wing,
    "block.plt": write_perpendicular_block,
    "block_side.plt": write_perpendicular_block,
    "serial": write_serial_ribs,
    "pawn.raw": write_pawn_raw,
}


def main():
    for name in sys.argv[1:] or list(SAMPLES):
        SAMPLES[name]()


if __name__ == "__main__":
    main()
