"""The application icon: a wine-red snare drum with two crossed sticks on a navy tile lit
from behind in the stage's blue. Drawn on a 256-unit canvas; the scalable icon is that
canvas, and the pictures of the desktop's smaller icon sizes (16 to 128 pixels) the same
drawing at those sizes.

Shapes are few and bold so that the drum still reads at 16 pixels: the head is a large
light ellipse, the shell a band of strong red, the sticks thick and pale against the navy.
"""

import palette as pal
from svg import Drawing, ellipse, group, path, rect

S = 256


def icon_body(d):
    out = ""
    tile = d.linear("tile", 0, 0, 0, S, [(0, "#2a3352"), (0.45, "#151a2e"), (1, "#090b14")])
    out += rect(8, 8, 240, 240, rx=44, fill=tile, stroke="#05060a", stroke_width=4)
    glow = d.radial("glow", 128, 110, 120, [(0, "#6a7ed8", 0.75), (0.5, "#34408a", 0.35),
                                            (1, "#1a2050", 0)])
    out += rect(8, 8, 240, 240, rx=44, fill=glow)
    out += path("M52,14 H204", stroke="#ffffff", stroke_opacity=0.25, stroke_width=4,
                stroke_linecap="round")

    cx, top, rx, ry, shell_h = 128, 140, 92, 30, 58
    bottom = top + shell_h
    out += ellipse(cx, bottom + 30, 100, 10, fill="#000000", opacity=0.5)
    # sticks behind the drum, crossed above it: each a 200-unit stick at 50 degrees, its
    # butt behind the drum and the crossing 28 units above the head's back edge
    wood = d.linear("wood", 0, -9, 0, 9, pal.WOOD)
    tip = d.radial("tip", 0, -2, 10, pal.WOOD_TIP)
    stick = (path("M0,-9 L140,-9 L172,-5 L172,5 L140,9 L0,9 Z", fill=wood,
                  stroke="#2a1606", stroke_width=3.5)
             + ellipse(176, 0, 11, 7.5, fill=tip, stroke="#2a1606", stroke_width=3.5))
    out += group(stick, transform="translate(128 82) rotate(-50) translate(-118 0)")
    out += group(stick, transform="translate(128 82) scale(-1 1) rotate(-50) translate(-118 0)")

    shell = d.linear("shell", cx - rx, 0, cx + rx, 0, pal.SHELL)
    chrome = d.linear("chrome", cx - rx, 0, cx + rx, 0, pal.CHROME)
    out += path(f"M{cx - rx},{top} V{bottom} A{rx},{ry} 0 0 0 {cx + rx},{bottom} V{top} Z",
                fill=shell, stroke="#12010a", stroke_width=4)
    for x in (cx - 58, cx, cx + 58):
        lug_top = top + (34 if x == cx else 26)
        out += rect(x - 7, lug_top, 14, 30, rx=5, fill=chrome, stroke="#2a2d36",
                    stroke_width=2)
    out += path(f"M{cx - rx},{bottom} A{rx},{ry} 0 0 0 {cx + rx},{bottom}", fill="none",
                stroke=chrome, stroke_width=10)
    head = d.radial("head", cx - 22, top - 10, 110, pal.HEAD,
                    transform=f"translate({cx} {top}) scale(1 0.33) translate({-cx} {-top})")
    out += ellipse(cx, top, rx, ry, fill=head)
    out += ellipse(cx, top, rx, ry, fill="none", stroke=chrome, stroke_width=10)
    out += ellipse(cx, top, rx + 5, ry + 5, fill="none", stroke="#12010a", stroke_width=2)
    # a glint where the stick meets the head
    spark = d.radial("spark", cx, top - 2, 34, [(0, "#ffffff", 0.95), (0.35, "#fff0b0", 0.6),
                                                (1, "#ffb040", 0)])
    out += ellipse(cx, top - 2, 34, 14, fill=spark)
    return out


# The sizes of the desktop's icon theme that get a picture of their own besides the 256-pixel
# one: 48 is also compiled into the program.
SIZES = (16, 24, 32, 48, 64, 128)


def pictures():
    out = []
    for name, size in [("kovrinta", S)] + [(f"kovrinta-{n}", n) for n in SIZES]:
        d = Drawing(name, size, size, "Kovrinta's application icon.", view=(S, S))
        out.append(d.add(icon_body(d)))
    return out
