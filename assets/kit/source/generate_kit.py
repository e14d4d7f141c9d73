#!/usr/bin/env python3
"""Draws the drum kit once, in the coordinates of its 626 x 414 panel, and writes one SVG per
picture of the kit into the folder above this script.

Every picture is a window (left, top, width, height) onto the same master drawing: its SVG has
the window's size and a viewBox equal to the window, so that the program, placing the rendered
picture at (left, top) of the panel, lines it up with the background exactly. The background
(imgBateria) is the whole kit at rest; every other picture holds only its own elements (a lit
piece, a stick, a foot, the hi-hat closed) over transparency.

The drawings keep to what Qt's SVG renderer supports (SVG Tiny 1.2): shapes, paths,
transforms, linear and radial gradients, opacity. No clip paths, masks or filters: where a
picture must hide something of the background (the open hi-hat's top cymbal), it repaints the
backdrop there with the backdrop's own gradients, which are laid out in panel coordinates.

Run it after changing the kit:  python3 assets/kit/source/generate_kit.py
"""

import math
import os
import re

PANEL_W, PANEL_H = 626, 414

# The window of each picture onto the panel: left, top, width, height.
PLACES = {
    "imgBateria": (0, 0, 626, 414),
    "imgChimbal": (41, 80, 107, 321),
    "imgPeChimbal": (79, 335, 97, 75),
    "imgSurdo2": (467, 204, 40, 19),
    "imgCaixa": (160, 188, 40, 18),
    "imgSurdo1": (380, 182, 36, 21),
    "imgTon1": (221, 123, 36, 20),
    "imgTon2": (302, 121, 39, 22),
    "imgPrato1": (72, 0, 102, 71),
    "imgPratoAttack1": (183, 43, 81, 40),
    "imgPrato2": (290, 11, 112, 69),
    "imgPratoAttack2": (392, 108, 90, 61),
    "imgPrato3": (452, 20, 142, 88),
    "imgBaqCaixa": (111, 197, 68, 28),
    "imgBaqPrAttack1": (218, 70, 25, 57),
    "imgBaqPrato1": (139, 58, 38, 63),
    "imgBaqSurdo2": (410, 204, 69, 12),
    "imgBaqSurdo1": (322, 181, 73, 18),
    "imgBaqTon2": (300, 132, 19, 68),
    "imgBaqTon1": (240, 136, 17, 69),
    "imgBaqChimbal": (114, 140, 68, 22),
    "imgBaqAro": (170, 184, 69, 18),
    "imgBaqPrato2": (303, 62, 23, 69),
    "imgBaqPrAttack2": (354, 141, 59, 45),
    "imgBaqPrato3": (412, 85, 64, 41),
    "imgBaqChimbal2": (115, 129, 71, 24),
    "imgPeSolto": (92, 344, 86, 64),
    "imgBombo": (208, 214, 133, 189),
    "imgPeBomboSolto": (259, 300, 42, 105),
}

# ---------------------------------------------------------------------------------------------
# Small SVG helpers


def n(v):
    """A coordinate written short: at most two decimals, no trailing zeros."""
    s = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def attrs(**kw):
    out = []
    for k, v in kw.items():
        if v is None:
            continue
        k = k.rstrip("_").replace("_", "-")
        out.append(f'{k}="{n(v) if isinstance(v, (int, float)) else v}"')
    return " ".join(out)


def ellipse(cx, cy, rx, ry, **kw):
    return f"<ellipse {attrs(cx=cx, cy=cy, rx=rx, ry=ry, **kw)}/>\n"


def path(d, **kw):
    return f'<path d="{d}" {attrs(**kw)}/>\n'


def line(x1, y1, x2, y2, **kw):
    return f"<line {attrs(x1=x1, y1=y1, x2=x2, y2=y2, **kw)}/>\n"


def rect(x, y, w, h, **kw):
    return f"<rect {attrs(x=x, y=y, width=w, height=h, **kw)}/>\n"


def group(body, transform=None, **kw):
    return f"<g {attrs(transform=transform, **kw)}>\n{body}</g>\n"


def poly(points):
    return "M" + " L".join(f"{n(x)},{n(y)}" for x, y in points) + " Z"


def smooth_closed(points, tension=1.0):
    """A closed Catmull-Rom curve through the points, as cubic Bezier path data."""
    k = len(points)
    d = f"M{n(points[0][0])},{n(points[0][1])}"
    for i in range(k):
        p0, p1, p2, p3 = (points[(i + j) % k] for j in (-1, 0, 1, 2))
        c1 = (p1[0] + (p2[0] - p0[0]) * tension / 6, p1[1] + (p2[1] - p0[1]) * tension / 6)
        c2 = (p2[0] - (p3[0] - p1[0]) * tension / 6, p2[1] - (p3[1] - p1[1]) * tension / 6)
        d += f" C{n(c1[0])},{n(c1[1])} {n(c2[0])},{n(c2[1])} {n(p2[0])},{n(p2[1])}"
    return d + " Z"


def url(gid):
    return f"url(#{gid})"


# Gradients, written into a picture's <defs> only when the picture uses them.
DEFS = {}


def _stops(stops):
    out = ""
    for s in stops:
        off, color = s[0], s[1]
        op = s[2] if len(s) > 2 else 1
        out += f'<stop offset="{n(off)}" stop-color="{color}"'
        out += f' stop-opacity="{n(op)}"/>' if op != 1 else "/>"
    return out


def linear(gid, x1, y1, x2, y2, stops, user=False, spread=None):
    units = ' gradientUnits="userSpaceOnUse"' if user else ""
    spread = f' spreadMethod="{spread}"' if spread else ""
    DEFS[gid] = (
        f'<linearGradient id="{gid}" x1="{n(x1)}" y1="{n(y1)}" x2="{n(x2)}" y2="{n(y2)}"'
        f"{units}{spread}>{_stops(stops)}</linearGradient>\n"
    )
    return url(gid)


def radial(gid, cx, cy, r, stops, fx=None, fy=None, user=False, transform=None):
    units = ' gradientUnits="userSpaceOnUse"' if user else ""
    focus = f' fx="{n(fx)}" fy="{n(fy)}"' if fx is not None else ""
    tr = f' gradientTransform="{transform}"' if transform else ""
    DEFS[gid] = (
        f'<radialGradient id="{gid}" cx="{n(cx)}" cy="{n(cy)}" r="{n(r)}"{focus}{units}{tr}>'
        f"{_stops(stops)}</radialGradient>\n"
    )
    return url(gid)


def rot(px, py, deg):
    a = math.radians(deg)
    return px * math.cos(a) - py * math.sin(a), px * math.sin(a) + py * math.cos(a)


# ---------------------------------------------------------------------------------------------
# Palette

SHELL = linear(
    "shell", 0, 0, 1, 0,
    [(0, "#1c0206"), (0.1, "#4c0811"), (0.3, "#95162a"), (0.42, "#d4404f"), (0.47, "#f07a84"),
     (0.53, "#b82235"), (0.75, "#6a0d1a"), (1, "#1a0205")],
)
SHELL_DARK = linear(
    "shellDark", 0, 0, 1, 0,
    [(0, "#140104"), (0.3, "#5e0c18"), (0.47, "#8c1a2a"), (0.75, "#420711"), (1, "#120103")],
)
CHROME_H = linear(
    "chromeH", 0, 0, 1, 0,
    [(0, "#4a4f59"), (0.3, "#eef1f5"), (0.55, "#9aa1ad"), (0.8, "#dfe3e9"), (1, "#444952")],
)
CHROME_V = linear(
    "chromeV", 0, 0, 0, 1,
    [(0, "#f4f6f9"), (0.45, "#a3a9b4"), (0.7, "#d9dde4"), (1, "#4d525c")],
)
HOOP_REST = linear(
    "hoopRest", 0, 0, 0, 1, [(0, "#e9edf2"), (0.5, "#9299a5"), (1, "#5a606b")]
)
HOOP_LIT = linear(
    "hoopLit", 0, 0, 0, 1, [(0, "#fff6d6"), (0.45, "#ffc45c"), (1, "#ff7a14")]
)
HEAD_REST = radial(
    "headRest", 0.45, 0.35, 0.7,
    [(0, "#f1ecdf"), (0.55, "#d2cbb9"), (0.85, "#aaa391"), (1, "#8a8474")],
)
HEAD_LIT = radial(
    "headLit", 0.5, 0.42, 0.62,
    [(0, "#ffffff"), (0.3, "#fff5cc"), (0.68, "#ffd272"), (0.9, "#ffab3c"), (1, "#ff8d24")],
)
BASS_HEAD_REST = radial(
    "bassHeadRest", 0.5, 0.6, 0.62,
    [(0, "#d9d2c0"), (0.6, "#b9b2a0"), (0.88, "#8f897a"), (1, "#6f6a5e")],
)
BASS_HEAD_LIT = radial(
    "bassHeadLit", 0.5, 0.56, 0.62,
    [(0, "#fffef8"), (0.35, "#fff0bc"), (0.7, "#ffcf6a"), (0.9, "#ffa53a"), (1, "#ff8a22")],
)
BASS_HOOP_LIT = linear(
    "bassHoopLit", 0, 0, 1, 0,
    [(0, "#7a1410"), (0.25, "#e0502a"), (0.45, "#ffb45a"), (0.55, "#ffc070"), (0.75, "#e0502a"),
     (1, "#7a1410")],
)
CYM_REST = radial(
    "cymRest", 0.5, 0.5, 0.5,
    [(0, "#f0cb7a"), (0.2, "#c9963c"), (0.45, "#dcae58"), (0.7, "#b07c2c"), (0.9, "#8a5e1e"),
     (1, "#5f3e12")],
)
CYM_LIT = radial(
    "cymLit", 0.5, 0.5, 0.5,
    [(0, "#ffffff"), (0.22, "#fff6d2"), (0.42, "#ffe49a"), (0.55, "#f9cf6a"), (0.72, "#ffdc88"),
     (0.88, "#f0a83a"), (0.96, "#ff9424"), (1, "#ff7a12")],
)
CHINA_REST = radial(
    "chinaRest", 0.5, 0.5, 0.5,
    [(0, "#e3b565"), (0.3, "#b98238"), (0.6, "#c48d40"), (0.8, "#8e5a22"), (0.86, "#5a3410"),
     (0.9, "#a8703a"), (1, "#6a4016")],
)
CHINA_LIT = radial(
    "chinaLit", 0.5, 0.5, 0.5,
    [(0, "#ffffff"), (0.3, "#ffeeb0"), (0.6, "#ffd370"), (0.8, "#ffaa40"), (0.86, "#e86a18"),
     (0.9, "#ffc060"), (1, "#ff8a1e")],
)
BELL_REST = radial(
    "bellRest", 0.4, 0.3, 0.7, [(0, "#fbe3a8"), (0.5, "#d4a24c"), (1, "#7e561a")]
)
BELL_LIT = radial(
    "bellLit", 0.4, 0.3, 0.7, [(0, "#ffffff"), (0.5, "#ffe8a0"), (1, "#ffa43a")]
)
SHEEN = linear(
    "sheen", 0, 0, 1, 1,
    [(0, "#ffffff", 0), (0.4, "#ffffff", 0), (0.5, "#ffffff", 0.32), (0.6, "#ffffff", 0),
     (1, "#ffffff", 0)],
)
SHEEN2 = linear(
    "sheen2", 1, 0, 0, 1,
    [(0, "#ffffff", 0), (0.44, "#ffffff", 0), (0.5, "#ffffff", 0.14), (0.56, "#ffffff", 0),
     (1, "#ffffff", 0)],
)
WOOD = linear(
    "wood", 0, 0, 0, 1,
    [(0, "#7a4c1e"), (0.25, "#e6c18a"), (0.45, "#f7e2b8"), (0.7, "#c99550"), (1, "#6a3f16")],
)
WOOD_TIP = radial(
    "woodTip", 0.4, 0.35, 0.7, [(0, "#fff4dc"), (0.6, "#e7c791"), (1, "#8f602c")]
)
SHOE = linear(
    "shoe", 0, 0, 1, 0,
    [(0, "#141519"), (0.3, "#3a3d46"), (0.5, "#4c505b"), (0.7, "#30333a"), (1, "#121316")],
)
SOLE = linear("sole", 0, 0, 1, 0, [(0, "#9a9a9a"), (0.5, "#f2f2f2"), (1, "#9a9a9a")])
FOOTBOARD = linear(
    "footboard", 0, 0, 1, 0,
    [(0, "#2a2d33"), (0.3, "#5d626c"), (0.5, "#787e89"), (0.7, "#545962"), (1, "#25272c")],
)
FOOTBOARD_DOWN = linear(
    "footboardDown", 0, 0, 0, 1,
    [(0, "#2c2f35"), (0.5, "#4a4e57"), (1, "#6d727c")],
)
FELT = radial("felt", 0.4, 0.35, 0.7, [(0, "#c0404c"), (1, "#4e0d15")])
BEATER = radial("beater", 0.38, 0.32, 0.72, [(0, "#ffffff"), (0.5, "#d7d7d2"), (1, "#77776f")])
BADGE = radial("badge", 0.4, 0.35, 0.7, [(0, "#fff2c0"), (0.6, "#d8a640"), (1, "#7a5614")])
SHADOW = radial("shadow", 0.5, 0.5, 0.5, [(0, "#000000", 0.6), (0.6, "#000000", 0.35),
                                          (1, "#000000", 0)])
GLOW_SPOT = radial("impact", 0.5, 0.5, 0.5, [(0, "#ffffff", 0.95), (0.4, "#fff0b0", 0.6),
                                             (1, "#ffb040", 0)])

# ---------------------------------------------------------------------------------------------
# The stage: wall, curtain, floor and rug. Its gradients live in panel coordinates, so any
# shape filled with them repaints exactly the backdrop it covers.

WALL = linear("wall", 0, 0, 0, PANEL_H,
              [(0, "#07090f"), (0.3, "#0d1120"), (0.52, "#151a2e"), (0.56, "#0f0f15"),
               (1, "#060608")], user=True)
FOLDS = linear("folds", 0, 0, 31, 0,
               [(0, "#000000", 0.45), (0.3, "#000000", 0.05), (0.5, "#8090c0", 0.06),
                (0.7, "#000000", 0.1), (1, "#000000", 0.45)], user=True, spread="repeat")
BACKLIGHT = radial("backlight", 300, 150, 250,
                   [(0, "#5a6cc0", 0.42), (0.45, "#34408a", 0.2), (1, "#1a2050", 0)], user=True,
                   transform="translate(300 150) scale(1.25 0.75) translate(-300 -150)")
FLOOR = linear("floor", 0, 222, 0, PANEL_H,
               [(0, "#18161c"), (0.5, "#100e13"), (1, "#070609")], user=True)
FLOOR_EDGE = linear("floorEdge", 0, 214, 0, 232,
                    [(0, "#18161c", 0), (1, "#18161c", 1)], user=True)
RUG = radial("rug", 300, 320, 330,
             [(0, "#5a1f29"), (0.55, "#43141d"), (0.85, "#2f0d14"), (1, "#220a0f")], user=True,
             transform="translate(300 320) scale(1 0.32) translate(-300 -320)")
SPOT = radial("spot", 290, 250, 300,
              [(0, "#fff2d8", 0.16), (0.5, "#ffe6c0", 0.07), (1, "#ffe6c0", 0)], user=True,
              transform="translate(290 250) scale(1 0.62) translate(-290 -250)")
VIGNETTE = radial("vignette", 313, 190, 380,
                  [(0, "#000000", 0), (0.65, "#000000", 0), (1, "#000000", 0.6)], user=True,
                  transform="translate(313 190) scale(1 0.72) translate(-313 -190)")

# The stage's layers, bottom first: (fill, region it covers as x0, y0, x1, y1 or None for the
# whole panel, element drawing it in the background). A layer whose fill is None is not a flat
# gradient: no patch may reach it.
def _stage_layers():
    boards = ""
    for i in range(-9, 10):
        boards += line(300 + i * 26, 232, 300 + i * 70, PANEL_H, stroke="#000000",
                       stroke_opacity=0.35, stroke_width=0.8)
    rug = (ellipse(300, 322, 322, 104, fill=RUG)
           + ellipse(300, 322, 316, 100, fill="none", stroke="#6a2a33", stroke_opacity=0.5,
                     stroke_width=1.2, stroke_dasharray="3 3"))
    layers = [(WALL, None), (FOLDS, (0, 0, PANEL_W, 222)), (BACKLIGHT, (0, 0, PANEL_W, 232)),
              (FLOOR_EDGE, (0, 214, PANEL_W, 232)), (FLOOR, (0, 232, PANEL_W, PANEL_H))]
    out = []
    for fill, region in layers:
        x0, y0, x1, y1 = region or (0, 0, PANEL_W, PANEL_H)
        out.append((fill, region, rect(x0, y0, x1 - x0, y1 - y0, fill=fill)))
    out.append((None, (0, 232, PANEL_W, PANEL_H), boards))
    out.append((None, (-22, 218, 622, PANEL_H), rug))
    out.append((SPOT, None, rect(0, 0, PANEL_W, PANEL_H, fill=SPOT)))
    out.append((VIGNETTE, None, rect(0, 0, PANEL_W, PANEL_H, fill=VIGNETTE)))
    return out


STAGE = _stage_layers()


def backdrop_patch(shape, bbox):
    """Repaints the stage behind shape (a function fill -> element), whose bounds are bbox."""
    out = ""
    for fill, region, _ in STAGE:
        r = region or (0, 0, PANEL_W, PANEL_H)
        inside = r[0] <= bbox[0] and r[1] <= bbox[1] and bbox[2] <= r[2] and bbox[3] <= r[3]
        disjoint = bbox[2] <= r[0] or bbox[0] >= r[2] or bbox[3] <= r[1] or bbox[1] >= r[3]
        assert disjoint or (inside and fill), f"patch {bbox} reaches stage layer {r}"
        if inside:
            out += shape(fill)
    return out


def stage():
    return "".join(element for _, _, element in STAGE)


def floor_shadow(cx, cy, rx, ry, opacity=1):
    return ellipse(cx, cy, rx, ry, fill=SHADOW, opacity=opacity if opacity != 1 else None)


# ---------------------------------------------------------------------------------------------
# Hardware: tubes, stands


def tube(x1, y1, x2, y2, w=2.6):
    """A chrome tube: a dark body with a light streak along it."""
    dx, dy = x2 - x1, y2 - y1
    length = math.hypot(dx, dy) or 1
    ox, oy = -dy / length * w * 0.18, dx / length * w * 0.18
    return (line(x1, y1, x2, y2, stroke="#4b505a", stroke_width=w, stroke_linecap="round")
            + line(x1, y1, x2, y2, stroke="#b7bdc8", stroke_width=w * 0.55, stroke_linecap="round")
            + line(x1 - ox, y1 - oy, x2 - ox, y2 - oy, stroke="#ffffff", stroke_width=w * 0.2,
                   stroke_opacity=0.85, stroke_linecap="round"))


def tripod(x, collar_y, floor_y, spread=24, w=2.2):
    """Three legs from a collar on a stand's tube to the floor, with rubber feet."""
    out = floor_shadow(x, floor_y + 1, spread + 8, 6, opacity=0.8)
    feet = [(x - spread, floor_y), (x + spread * 0.9, floor_y - 3), (x + 3, floor_y + 5)]
    back = (x - 2, floor_y - 9)
    out += tube(x, collar_y + 6, back[0], back[1], w * 0.8)
    for fx, fy in feet:
        out += tube(x, collar_y + 4, fx, fy, w)
        out += ellipse(fx, fy + 0.5, 2.4, 1.3, fill="#101012")
    out += rect(x - 2.6, collar_y - 2, 5.2, 7, rx=1.2, fill=CHROME_H)
    return out


def cymbal_stand(top, boom_joint, floor_y, collar_gap=26):
    """A cymbal stand: vertical tube from the floor to a tilter, then a boom to the cymbal."""
    jx, jy = boom_joint
    collar_y = floor_y - collar_gap
    out = tripod(jx, collar_y, floor_y)
    out += tube(jx, collar_y, jx, jy, 2.8)
    out += rect(jx - 2.2, (jy + collar_y) / 2, 4.4, 4, rx=1, fill=CHROME_H)  # height clamp
    if boom_joint != top:
        out += tube(jx, jy, top[0], top[1], 2.2)
        out += ellipse(jx, jy, 3, 3, fill=CHROME_V, stroke="#3a3e46", stroke_width=0.5)
    return out


# ---------------------------------------------------------------------------------------------
# Drums


class Drum:
    """A drum standing up, seen from slightly above: its top hoop fills exactly the box given
    (the hoop's front thickness included), the shell hangs below by depth."""

    def __init__(self, box, depth, hoop_depth=2.0, hoop_w=1.8):
        x, y, w, h = box
        self.rx = w / 2
        self.ry = (h - hoop_depth) / 2
        self.cx = x + self.rx
        self.cy = y + self.ry
        self.depth = depth
        self.hd = hoop_depth
        self.hw = hoop_w

    def shell(self, fill=SHELL, lugs=6, badge=True):
        cx, cy, rx, ry, d = self.cx, self.cy, self.rx, self.ry, self.depth
        out = path(f"M{n(cx - rx)},{n(cy)} L{n(cx - rx)},{n(cy + d)} "
                   f"A{n(rx)},{n(ry)} 0 0 0 {n(cx + rx)},{n(cy + d)} L{n(cx + rx)},{n(cy)} Z",
                   fill=fill, stroke="#12020a", stroke_width=0.6)
        # bottom hoop
        out += path(f"M{n(cx - rx)},{n(cy + d - 1)} A{n(rx)},{n(ry)} 0 0 0 "
                    f"{n(cx + rx)},{n(cy + d - 1)}", fill="none", stroke="#c4c9d2",
                    stroke_width=1.6)
        out += path(f"M{n(cx - rx)},{n(cy + d + 0.2)} A{n(rx)},{n(ry)} 0 0 0 "
                    f"{n(cx + rx)},{n(cy + d + 0.2)}", fill="none", stroke="#3c4048",
                    stroke_width=0.6)
        # lugs and tension rods, on the front half
        for i in range(lugs):
            t = math.pi * (i + 0.5) / lugs
            lx = cx + rx * math.cos(t)
            ly = cy + ry * math.sin(t)
            lw = max(1.0, 2.6 * math.sin(t) * (rx / 20) ** 0.5)
            top_y = ly + self.hd + 1
            out += line(lx, top_y, lx, top_y + d * 0.22, stroke="#cfd4dc", stroke_width=0.7)
            out += rect(lx - lw / 2, top_y + d * 0.2, lw, d * 0.3, rx=lw / 2, fill=CHROME_H)
            out += line(lx, top_y + d * 0.5, lx, cy + d + ry * math.sin(t) - 1.5,
                        stroke="#cfd4dc", stroke_width=0.7)
        if badge:
            bw = max(2.5, rx * 0.16)
            out += ellipse(cx + rx * 0.06, cy + ry + d * 0.42, bw, bw * 0.7, fill=BADGE,
                           stroke="#5a3e10", stroke_width=0.4)
        return out

    def head(self, lit=False):
        """The top hoop and the head: what a lit picture repaints."""
        cx, cy, rx, ry, hd, hw = self.cx, self.cy, self.rx, self.ry, self.hd, self.hw
        hoop = HOOP_LIT if lit else HOOP_REST
        out = ellipse(cx, cy + hd / 2, rx - 0.3, ry - 0.3 + hd / 2,
                      fill="#8a3a10" if lit else "#3a3e46")
        out += ellipse(cx, cy + hd * 0.45, rx - 0.4, ry, fill=hoop)
        out += ellipse(cx, cy, rx - 0.5, ry - 0.4, fill=hoop, stroke="#fff6e0" if lit else "#f3f5f8",
                       stroke_width=0.5, stroke_opacity=0.9)
        out += ellipse(cx, cy + 0.2, rx - hw, ry - hw * 0.75, fill=HEAD_LIT if lit else HEAD_REST)
        if lit:
            # rim light along the inside of the hoop and a hot spot where the stick lands
            out += ellipse(cx, cy + 0.2, rx - hw - 0.6, ry - hw * 0.75 - 0.5, fill="none",
                           stroke="#ff7a10", stroke_width=1.1, stroke_opacity=0.9)
            out += ellipse(cx - rx * 0.12, cy - ry * 0.15, rx * 0.45, ry * 0.35, fill="#ffffff",
                           opacity=0.45)
        else:
            out += ellipse(cx, cy + 0.2, rx - hw - 0.4, ry - hw * 0.75 - 0.3, fill="none",
                           stroke="#000000", stroke_width=0.6, stroke_opacity=0.18)
            out += ellipse(cx - rx * 0.18, cy - ry * 0.2, rx * 0.35, ry * 0.25, fill="#ffffff",
                           opacity=0.18)
        return out


SNARE = Drum(PLACES["imgCaixa"], depth=12)
TOM1 = Drum(PLACES["imgTon1"], depth=23)
TOM2 = Drum(PLACES["imgTon2"], depth=25)
FLOOR1 = Drum(PLACES["imgSurdo1"], depth=35)
FLOOR2 = Drum(PLACES["imgSurdo2"], depth=38)


def snare_drum():
    d = SNARE
    floor_y = 284
    out = tripod(d.cx, floor_y - 24, floor_y, spread=20)
    out += tube(d.cx, d.cy + d.depth + 4, d.cx, floor_y - 24, 2.6)
    # basket arms holding the bottom hoop
    by = d.cy + d.depth + d.ry * 0.2
    for ax in (-d.rx * 0.8, d.rx * 0.75, 0):
        out += tube(d.cx, by + 6, d.cx + ax, by + (2 if ax else 3.5), 1.6)
    out += d.shell(lugs=6, badge=False)
    # snare strainer on the left, throw-off lever
    sx, sy = d.cx - d.rx + 1.5, d.cy + d.depth * 0.35
    out += rect(sx - 1.4, sy, 2.8, d.depth * 0.5, rx=0.8, fill=CHROME_H)
    out += line(sx, sy + 1, sx - 3, sy + 5, stroke="#e2e6ec", stroke_width=1.1,
                stroke_linecap="round")
    out += d.head()
    return out


def rack_toms():
    out = ""
    # tom holder on the bass drum's shell, with an arm to each tom and the splash's arm
    px, py_base, py_top = 280, 196, 158
    out += tube(px, py_base, px - 1, py_top, 3.2)
    out += rect(px - 4, py_base - 6, 8, 7, rx=1.5, fill=CHROME_H, stroke="#2c2f35",
                stroke_width=0.4)
    out += tube(px - 1, py_top + 2, TOM1.cx + TOM1.rx - 1, TOM1.cy + 13, 2.6)
    out += tube(px - 1, py_top + 2, TOM2.cx - TOM2.rx + 1, TOM2.cy + 13, 2.6)
    out += rect(px - 4, py_top - 1, 6, 6, rx=1.5, fill=CHROME_V, stroke="#2c2f35",
                stroke_width=0.4)
    for t in (TOM1, TOM2):
        out += t.shell(lugs=6)
        out += t.head()
    # the arm clamps, in front of the shells
    out += rect(TOM1.cx + TOM1.rx - 3.5, TOM1.cy + 10, 4, 6, rx=1, fill=CHROME_H)
    out += rect(TOM2.cx - TOM2.rx - 0.5, TOM2.cy + 10, 4, 6, rx=1, fill=CHROME_H)
    return out


def floor_tom(d, floor_y):
    out = floor_shadow(d.cx, floor_y + 1, d.rx + 14, 6)
    # three legs from brackets on the shell: back, left, right
    by = d.cy + d.depth * 0.35
    out += tube(d.cx + 3, by - 4, d.cx + 4, floor_y - 8, 2.0)
    out += d.shell(lugs=7)
    for side in (-1, 1):
        bx = d.cx + side * (d.rx - 0.5)
        out += tube(bx, by, bx + side * 5, floor_y + (2 if side < 0 else 0), 2.2)
        out += ellipse(bx + side * 5, floor_y + (2 if side < 0 else 0) + 0.5, 2.2, 1.2,
                       fill="#101012")
        out += rect(bx - 2.2, by - 3, 4.4, 6, rx=1, fill=CHROME_H)
    out += d.head()
    return out


# Where the bass drum's beater strikes its head.
BEATER_HIT = (280, 287)


class BassDrum:
    """The bass drum on its side, batter head toward the drummer: the head with its hoop fills
    the box; the shell runs back (up the picture) to the far hoop, where the toms sit."""

    def __init__(self, box):
        x, y, w, h = box
        self.hd = 5
        self.rx = w / 2
        self.ry = (h - self.hd) / 2
        self.cx = x + self.rx
        self.cy = y + self.ry
        self.far = (self.cx, self.cy - 44, self.rx - 3.5, self.ry - 3)
        self.hoop_w = 7

    def body(self):
        cx, cy, rx, ry = self.cx, self.cy, self.rx, self.ry
        fx, fy, frx, fry = self.far
        out = floor_shadow(cx, cy + ry + 4, rx + 24, 11)
        # spurs, behind the head
        for side in (-1, 1):
            out += tube(cx + side * (rx - 6), cy - 8, cx + side * (rx + 10), cy + ry + 1, 2.6)
            out += ellipse(cx + side * (rx + 10), cy + ry + 1.5, 2.6, 1.4, fill="#101012")
        out += path(f"M{n(cx - rx)},{n(cy)} L{n(fx - frx)},{n(fy)} "
                    f"A{n(frx)},{n(fry)} 0 0 1 {n(fx + frx)},{n(fy)} L{n(cx + rx)},{n(cy)} "
                    f"A{n(rx)},{n(ry)} 0 0 0 {n(cx - rx)},{n(cy)} Z",
                    fill=SHELL, stroke="#12020a", stroke_width=0.7)
        # the far hoop's top edge
        out += path(f"M{n(fx - frx + 1)},{n(fy - 4)} A{n(frx)},{n(fry)} 0 0 1 "
                    f"{n(fx + frx - 1)},{n(fy - 4)}", fill="none", stroke=SHELL_DARK,
                    stroke_width=6)
        out += path(f"M{n(fx - frx + 3)},{n(fy - 1)} A{n(frx - 2)},{n(fry)} 0 0 1 "
                    f"{n(fx + frx - 3)},{n(fy - 1)}", fill="none", stroke="#d9dde4",
                    stroke_width=0.8, stroke_opacity=0.8)
        # long lugs running along the top of the shell
        for t in (math.radians(a) for a in (215, 245, 270, 295, 325)):
            x0 = cx + (rx - 2) * math.cos(t)
            y0 = cy + (ry - 2) * math.sin(t)
            x1 = fx + (frx - 2) * math.cos(t)
            y1 = fy + (fry - 2) * math.sin(t)
            mx, my = (x0 + x1) / 2, (y0 + y1) / 2
            out += tube(x0 + (mx - x0) * 0.35, y0 + (my - y0) * 0.35, x1 + (mx - x1) * 0.35,
                        y1 + (my - y1) * 0.35, 2.4)
        return out

    def head(self, lit=False):
        cx, cy, rx, ry, hd, hw = self.cx, self.cy, self.rx, self.ry, self.hd, self.hoop_w
        out = ellipse(cx, cy + hd / 2, rx - 0.4, ry + hd / 2 - 0.4,
                      fill="#5a1208" if lit else "#1e0307")
        out += ellipse(cx, cy, rx - 0.5, ry - 0.4, fill=BASS_HOOP_LIT if lit else SHELL,
                       stroke="#ffd79a" if lit else "#d7a0a6", stroke_width=0.6,
                       stroke_opacity=0.7)
        out += ellipse(cx, cy + 0.5, rx - hw, ry - hw * 0.85, fill="none",
                       stroke="#fff0c8" if lit else "#c9ced6", stroke_width=1.2)
        out += ellipse(cx, cy + 0.5, rx - hw - 0.6, ry - hw * 0.85 - 0.5,
                       fill=BASS_HEAD_LIT if lit else BASS_HEAD_REST)
        # the impact patch where the beater lands
        hx, hy = BEATER_HIT
        out += ellipse(hx, hy, 10.5, 9.5, fill="#ffffff" if lit else "#000000",
                       opacity=0.3 if lit else 0.07, stroke="#ff9a30" if lit else "#000000",
                       stroke_width=0.8, stroke_opacity=0.5 if lit else 0.15)
        # claws holding the hoop, and their rods
        for i in range(10):
            t = 2 * math.pi * (i + 0.5) / 10
            c, s = math.cos(t), math.sin(t)
            x0, y0 = cx + (rx - 1.5) * c, cy + (ry - 1.5) * s
            x1, y1 = cx + (rx - hw + 0.5) * c, cy + (ry - hw * 0.85 + 0.5) * s
            out += line(x0, y0, x1, y1, stroke="#f0f2f6" if not lit else "#fff6e0",
                        stroke_width=2.6, stroke_linecap="round")
            out += line(x0, y0, x1, y1, stroke="#6a707b" if not lit else "#c07a30",
                        stroke_width=0.8, stroke_linecap="round")
        # the head's outer ring, and its glow or its shade
        inner_rx, inner_ry = rx - hw - 0.6, ry - hw * 0.85 - 0.5
        out += ellipse(cx, cy + 0.5, inner_rx * 0.86, inner_ry * 0.86, fill="none",
                       stroke="#000000" if not lit else "#ffffff", stroke_width=1,
                       stroke_opacity=0.12 if not lit else 0.35)
        if lit:
            out += ellipse(cx, cy + 0.5, inner_rx - 0.8, inner_ry - 0.8, fill="none",
                           stroke="#ff7a12", stroke_width=2, stroke_opacity=0.85)
            out += ellipse(cx - 12, cy - 14, inner_rx * 0.5, inner_ry * 0.38, fill="#ffffff",
                           opacity=0.4)
        else:
            out += ellipse(cx - 14, cy - 18, inner_rx * 0.42, inner_ry * 0.3, fill="#ffffff",
                           opacity=0.12)
            # the toms' shadow across the top of the head
            out += ellipse(cx, cy - inner_ry * 0.78, inner_rx * 0.7, inner_ry * 0.2,
                           fill=SHADOW, opacity=0.5)
        return out


BASS = BassDrum((208, 214, 133, 118))

# ---------------------------------------------------------------------------------------------
# Bass-drum pedal and feet


PEDAL_X = 280
PEDAL_AXLE_Y = 326
PEDAL_TOE_Y = 345
PEDAL_HEEL_Y = 398


def footboard(toe, heel_len, w_toe, w_heel, pressed=False):
    """A footboard in local coordinates: toe at y=0 on the axis, heel at y=heel_len."""
    x0, x1 = w_toe / 2, w_heel / 2
    d = (f"M{n(-x0 + 1.5)},0 L{n(x0 - 1.5)},0 Q{n(x0)},0 {n(x0)},1.5 L{n(x1)},{n(heel_len - 2)} "
         f"Q{n(x1)},{n(heel_len)} {n(x1 - 2)},{n(heel_len)} L{n(-x1 + 2)},{n(heel_len)} "
         f"Q{n(-x1)},{n(heel_len)} {n(-x1)},{n(heel_len - 2)} L{n(-x0)},1.5 Q{n(-x0)},0 "
         f"{n(-x0 + 1.5)},0 Z")
    out = path(d, fill=FOOTBOARD_DOWN if pressed else FOOTBOARD, stroke="#c9ced6",
               stroke_width=0.7)
    # grip ridges
    for i in range(1, 9):
        y = heel_len * i / 9.5
        hw = x0 + (x1 - x0) * y / heel_len - 2.2
        out += line(-hw, y, hw, y, stroke="#1a1c20", stroke_width=0.8, stroke_opacity=0.8)
    # heel plate
    out += rect(-x1 - 0.5, heel_len - 1, 2 * x1 + 1, 6, rx=1.8, fill=CHROME_V, stroke="#2a2d33",
                stroke_width=0.5)
    out += ellipse(0, heel_len + 2, 1.2, 1.2, fill="#2a2d33")
    return out


def bass_pedal(struck=False):
    x, ay = PEDAL_X, PEDAL_AXLE_Y
    out = ""
    # hoop clamp and base plate
    out += rect(x - 5, BASS.cy + BASS.ry - 2, 10, 6, rx=1.5, fill=CHROME_H)
    out += rect(x - 16, 338, 32, 7, rx=2, fill="#2a2d33", stroke="#9aa1ad", stroke_width=0.6)
    # posts and the axle between them
    for side in (-1, 1):
        px = x + side * 13
        out += rect(px - 2.2, ay - 2, 4.4, 343 - ay, rx=1.5, fill=CHROME_H, stroke="#2a2d33",
                    stroke_width=0.4)
    out += rect(x - 13, ay - 1.6, 26, 3.2, rx=1.6, fill=CHROME_V)
    # spring on the right post
    for i in range(5):
        yy = ay + 3 + i * 2.3
        out += line(x + 10.3, yy, x + 15.7, yy + 1.2, stroke="#e6e9ee", stroke_width=0.9)
    # beater: resting back toward the drummer, or on the head
    if struck:
        by = BEATER_HIT[1]
        out += ellipse(x, by, 13, 9, fill=GLOW_SPOT)
        out += tube(x, ay, x, by + 4, 2.2)
        out += rect(x - 7, by - 5.5, 14, 11, rx=5.5, fill=BEATER, stroke="#4a4a44",
                    stroke_width=0.5)
    else:
        by = 311
        out += tube(x, ay, x, by + 4, 2.2)
        out += ellipse(x, by, 7.8, 6.8, fill=BEATER, stroke="#4a4a44", stroke_width=0.5)
    # cam and chain to the footboard
    out += ellipse(x - 6, ay, 4, 4, fill=CHROME_V, stroke="#2a2d33", stroke_width=0.5)
    out += line(x - 6, ay + 3, x - 1, PEDAL_TOE_Y + 2, stroke="#c2c7cf", stroke_width=1.6,
                stroke_dasharray="1.4 0.8")
    out += group(footboard(0, PEDAL_HEEL_Y - PEDAL_TOE_Y, 17, 25, pressed=struck),
                 transform=f"translate({n(x)} {n(PEDAL_TOE_Y)})")
    return out


SHOE_LEN, SHOE_W = 56, 23
HEM_Y = 0.64 * SHOE_LEN  # where the trouser hem crosses the shoe, in the shoe's coordinates


def shoe_outline(right=True):
    """A sneaker's outline seen from above, toe at y=0, heel at y=SHOE_LEN."""
    s = 1 if right else -1
    L, W = SHOE_LEN, SHOE_W / 2
    return [(0.1 * W * s, 0), (0.75 * W * s, 0.05 * L), (W * s, 0.2 * L), (0.98 * W * s, 0.38 * L),
            (0.8 * W * s, 0.58 * L), (0.82 * W * s, 0.8 * L), (0.55 * W * s, 0.97 * L),
            (0, L), (-0.6 * W * s, 0.96 * L), (-0.84 * W * s, 0.8 * L), (-0.82 * W * s, 0.58 * L),
            (-0.92 * W * s, 0.36 * L), (-0.85 * W * s, 0.14 * L), (-0.5 * W * s, 0.02 * L)]


def shoe(right=True):
    s = 1 if right else -1
    L, W = SHOE_LEN, SHOE_W / 2
    pts = shoe_outline(right)
    sole = [(x * 1.1, y * 1.04 - 1) for x, y in pts]
    out = path(smooth_closed(sole), fill=SOLE, stroke="#5a5a5a", stroke_width=0.5)
    out += path(smooth_closed(pts), fill=SHOE, stroke="#0a0a0c", stroke_width=0.5)
    # toe cap
    cap = [(x * 0.8, y * 0.8 + 1.4) for x, y in pts[:4] + pts[-3:]]
    out += path(smooth_closed(cap), fill="#555a65", opacity=0.55)
    # tongue and laces
    out += path(smooth_closed([(0, 0.26 * L), (0.42 * W, 0.34 * L), (0.42 * W, 0.66 * L),
                               (-0.42 * W, 0.66 * L), (-0.42 * W, 0.34 * L)]), fill="#23252b")
    for i in range(4):
        y = (0.32 + i * 0.075) * L
        out += line(-0.34 * W, y, 0.34 * W, y + 1.2, stroke="#d8dae0", stroke_width=1.1,
                    stroke_linecap="round")
    # a side stripe
    out += path(f"M{n(0.93 * W * s)},{n(0.3 * L)} Q{n(0.62 * W * s)},{n(0.46 * L)} "
                f"{n(0.8 * W * s)},{n(0.62 * L)}", fill="none", stroke="#c8ccd4",
                stroke_width=1.2, stroke_linecap="round")
    return out


def jeans(y0, y1, w0, w1, gid):
    """The shin rising toward the drummer from the ankle, seen from above: a trouser leg that
    widens and fades into the dark before the picture's lower edge (local coordinates)."""
    # opaque over the shoe's heel, fading only past it
    f0, f1 = max(y0 + 4, min(SHOE_LEN + 1, y1 - 10)), y1
    fill = linear(gid, 0, f0, 0, f1, [(0, "#2f4e82"), (0.45, "#2a4676", 0.8),
                                      (1, "#22395f", 0)], user=True)
    dark = linear(gid + "D", 0, f0, 0, f1, [(0, "#0c1628", 0.9), (1, "#0c1628", 0)], user=True)
    light = linear(gid + "L", 0, f0, 0, f1, [(0, "#7d9fd2", 0.5), (1, "#7d9fd2", 0)], user=True)
    bulge = w0 * 0.5
    out = path(f"M{n(-w0)},{n(y0)} Q0,{n(y0 - bulge)} {n(w0)},{n(y0)} L{n(w1)},{n(y1)} "
               f"L{n(-w1)},{n(y1)} Z", fill=fill)
    for sgn in (-1, 1):
        out += path(poly([(sgn * w0, y0), (sgn * w0 * 0.6, y0 - bulge * 0.35),
                          (sgn * w1 * 0.6, y1), (sgn * w1, y1)]), fill=dark)
    out += path(poly([(-w0 * 0.3, y0 - bulge * 0.9), (w0 * 0.08, y0 - bulge * 0.98),
                      (w1 * 0.08, y1), (-w1 * 0.3, y1)]), fill=light)
    # the hem around the ankle, and a crease
    out += path(f"M{n(-w0)},{n(y0)} Q0,{n(y0 - bulge)} {n(w0)},{n(y0)}", fill="none",
                stroke="#5a7bb3", stroke_width=1.5)
    out += path(f"M{n(-w0 * 0.7)},{n(y0 + 5)} Q0,{n(y0 - bulge + 6)} {n(w0 * 0.6)},{n(y0 + 4)}",
                fill="none", stroke="#0c1628", stroke_width=0.8, stroke_opacity=0.6)
    return out


def foot(tx, ty, bottom, angle=0.0, scale=1.0, squash=1.0, right=True, gid="leg",
         shadow=None):
    """A shoe and its leg, toe at (tx, ty), pointing up the picture turned by angle degrees;
    the leg fades out by the panel row bottom. shadow: (dx, dy, opacity) of the shoe's shadow
    left on the footboard, in the shoe's coordinates, for a foot held above it."""
    # the trouser leg ends where its lower corner reaches the bottom row
    a = math.radians(angle)
    w0, w1 = 12.5, 16
    lowest = max(math.sin(a) * scale * x for x in (-w1, w1))
    y1 = (bottom - 0.5 - ty - lowest) / (math.cos(a) * scale * squash)
    body = ""
    if shadow:
        dx, dy, op = shadow
        body += path(smooth_closed([(x * 1.05 + dx, y + dy) for x, y in shoe_outline(right)]),
                     fill="#000000", opacity=op)
    body += shoe(right)
    body += jeans(HEM_Y, y1, w0, w1, gid)
    tr = f"translate({n(tx)} {n(ty)}) rotate({n(angle)}) scale({n(scale)} {n(scale * squash)})"
    return group(body, transform=tr)


def bass_foot(pressed):
    x, y, w, h = PLACES["imgBombo" if pressed else "imgPeBomboSolto"]
    if pressed:
        # the toe driven down with the footboard: the foot looks shorter from above
        return foot(PEDAL_X + 0.5, PEDAL_TOE_Y + 5, y + h, scale=0.86, squash=0.9,
                    gid="legBassDown")
    return foot(PEDAL_X + 0.5, PEDAL_TOE_Y - 1, y + h, scale=0.86, gid="legBassUp")


# ---------------------------------------------------------------------------------------------
# Hi-hat

HH_X = 96
HH_RX, HH_RY = 44, 17
HH_BOTTOM_Y = 153
HH_TOP_OPEN_Y = 136
HH_TOP_CLOSED_Y = 149
HH_BASE_Y = 336
HH_PEDAL_TOE = (100, 344)
HH_PEDAL_ANGLE = -35
HH_FLOOR = {"left": (54, 358), "right": (140, 350), "back": (101, 318)}


def hh_cymbal(cy, top=True):
    out = ellipse(HH_X, cy + 1.6, HH_RX, HH_RY, fill="#3a2608", opacity=0.9)
    out += ellipse(HH_X, cy, HH_RX, HH_RY, fill=CYM_REST, stroke="#4a300c", stroke_width=0.6)
    for k in (0.42, 0.55, 0.68, 0.81, 0.93):
        out += ellipse(HH_X, cy, HH_RX * k, HH_RY * k, fill="none",
                       stroke="#ffffff" if k * 100 % 2 < 1 else "#000000", stroke_width=0.5,
                       stroke_opacity=0.12)
    out += ellipse(HH_X, cy, HH_RX, HH_RY, fill=SHEEN)
    if top:
        out += ellipse(HH_X, cy - 1.5, HH_RX * 0.27, HH_RY * 0.3, fill=BELL_REST,
                       stroke="#5a3c10", stroke_width=0.5)
    return out


def hh_top(cy):
    """The top cymbal with its clutch and the end of the pull rod above it."""
    out = hh_cymbal(cy)
    out += tube(HH_X, cy - 24, HH_X, cy - 3, 2.0)
    out += rect(HH_X - 3.5, cy - 11, 7, 5, rx=1.2, fill=CHROME_H, stroke="#2c2f35",
                stroke_width=0.4)
    out += rect(HH_X - 5, cy - 6.5, 10, 2.2, rx=1, fill="#5c1620")
    out += ellipse(HH_X + 4.5, cy - 9, 2.2, 1.2, fill=CHROME_V)
    return out


def hh_stand():
    out = floor_shadow(HH_X + 4, 352, 54, 16, opacity=0.9)
    collar = 298
    for key in ("back", "left", "right"):
        fx, fy = HH_FLOOR[key]
        out += tube(HH_X, collar + 5, fx, fy, 2.4)
        out += ellipse(fx, fy + 0.5, 2.6, 1.4, fill="#101012")
    out += tube(HH_X, HH_BOTTOM_Y + 4, HH_X, HH_BASE_Y, 3.2)
    out += rect(HH_X - 3, collar - 2, 6, 9, rx=1.5, fill=CHROME_H)
    out += rect(HH_X - 2.5, 228, 5, 6, rx=1.2, fill=CHROME_H)
    out += rect(HH_X - 5, HH_BASE_Y - 2, 12, 8, rx=2, fill="#2a2d33", stroke="#9aa1ad",
                stroke_width=0.6)
    # the spring housing at the stand's foot
    out += rect(HH_X - 2.6, HH_BASE_Y - 26, 5.2, 22, rx=2, fill=CHROME_H, stroke="#2a2d33",
                stroke_width=0.4)
    return out


def hh_pedal(pressed=False):
    tx, ty = HH_PEDAL_TOE
    return group(footboard(0, 56, 16, 24, pressed=pressed),
                 transform=f"translate({n(tx)} {n(ty)}) rotate({n(HH_PEDAL_ANGLE)})")


def hh_foot(on_pedal):
    tx, ty = HH_PEDAL_TOE
    if on_pedal:
        x, y, w, h = PLACES["imgPeChimbal"]
        return foot(tx + 0.5, ty + 2, y + h, angle=HH_PEDAL_ANGLE, squash=0.94, right=False,
                    gid="legHatDown")
    # lifted: drawn back toward the drummer with the toe up, its shadow left on the footboard
    x, y, w, h = PLACES["imgPeSolto"]
    return foot(tx + 12, ty + 9, y + h, angle=HH_PEDAL_ANGLE - 3, scale=1.04, squash=0.86,
                right=False, gid="legHatUp", shadow=(-5, -9, 0.45))


def hihat_open():
    return hh_stand() + hh_pedal() + hh_cymbal(HH_BOTTOM_Y, top=False) + hh_top(HH_TOP_OPEN_Y)


def hihat_closed_picture():
    # wipe the open top cymbal, its clutch and rod, then draw the pair closed
    cy = HH_TOP_OPEN_Y
    bbox = (HH_X - HH_RX - 1.5, cy - 26, HH_X + HH_RX + 1.5, cy + HH_RY + 3)
    patch = backdrop_patch(
        lambda fill: ellipse(HH_X, cy + 0.8, HH_RX + 1.5, HH_RY + 2.2, fill=fill)
        + rect(HH_X - 4.5, cy - 26, 9, 16, fill=fill), bbox)
    return patch + hh_cymbal(HH_BOTTOM_Y, top=False) + hh_top(HH_TOP_CLOSED_Y)


# ---------------------------------------------------------------------------------------------
# Cymbals


class Cymbal:
    """A cymbal tilted toward the drummer: an ellipse rotated by rot degrees whose bounding box
    is the picture's box."""

    def __init__(self, box, rot, kind="crash"):
        x, y, w, h = box
        self.cx, self.cy = x + w / 2, y + h / 2
        half_w, half_h = w / 2 - 0.7, h / 2 - 0.7
        c2, s2 = math.cos(math.radians(rot)) ** 2, math.sin(math.radians(rot)) ** 2
        self.a = math.sqrt((half_w ** 2 * c2 - half_h ** 2 * s2) / (c2 - s2))
        self.b = math.sqrt((half_h ** 2 * c2 - half_w ** 2 * s2) / (c2 - s2))
        self.rot = rot
        self.kind = kind

    def contains(self, px, py, margin=0.0):
        lx, ly = rot(px - self.cx, py - self.cy, -self.rot)
        return (lx / (self.a - margin)) ** 2 + (ly / (self.b - margin)) ** 2 <= 1

    def draw(self, lit=False):
        a, b = self.a, self.b
        china = self.kind == "china"
        ride = self.kind == "ride"
        fill = (CHINA_LIT if lit else CHINA_REST) if china else (CYM_LIT if lit else CYM_REST)
        out = ellipse(0, 0, a, b, fill=fill, stroke="#ff8a1a" if lit else "#3e2a0c",
                      stroke_width=1.3 if lit else 0.6)
        for i, k in enumerate((0.3, 0.38, 0.46, 0.54, 0.62, 0.7, 0.78, 0.86, 0.94)):
            out += ellipse(0, 0, a * k, b * k, fill="none",
                           stroke="#000000" if i % 2 else "#ffffff", stroke_width=0.55,
                           stroke_opacity=(0.1 if i % 2 else 0.16) if not lit else
                           (0.16 if i % 2 else 0.3))
        if lit:
            # light bursting from the bell
            for i in range(12):
                t = 2 * math.pi * i / 12 + 0.2
                out += line(math.cos(t) * a * 0.25, math.sin(t) * b * 0.25, math.cos(t) * a * 0.9,
                            math.sin(t) * b * 0.9, stroke="#ffffff", stroke_width=1.1,
                            stroke_opacity=0.28, stroke_linecap="round")
            out += ellipse(0, 0, a - 1.6, b - 1.4, fill="none", stroke="#ffe29a",
                           stroke_width=0.9, stroke_opacity=0.9)
        out += ellipse(0, 0, a, b, fill=SHEEN)
        out += ellipse(0, 0, a, b, fill=SHEEN2)
        bk = 0.3 if ride else 0.2 if not china else 0.24
        bell_dy = -b * 0.05
        out += ellipse(0, bell_dy + b * bk * 0.25, a * bk, b * bk, fill="#000000", opacity=0.22)
        out += ellipse(0, bell_dy, a * bk, b * bk, fill=BELL_LIT if lit else BELL_REST,
                       stroke="#ffb040" if lit else "#5a3c10", stroke_width=0.5)
        if china:
            out += ellipse(0, bell_dy - b * 0.03, a * bk * 0.6, b * bk * 0.6, fill="none",
                           stroke="#5a3c10", stroke_width=0.5, stroke_opacity=0.6)
        # felt and wing nut on top of the bell
        fy = bell_dy - b * 0.02
        out += ellipse(0, fy, a * 0.055, b * 0.06, fill=FELT)
        out += ellipse(-a * 0.06, fy - 1.8, a * 0.045, 1.4, fill=CHROME_V)
        out += ellipse(a * 0.06, fy - 1.8, a * 0.045, 1.4, fill=CHROME_V)
        out += ellipse(0, fy - 1.5, 1.6, 1.6, fill=CHROME_V, stroke="#3a3e46", stroke_width=0.4)
        return group(out, transform=f"translate({n(self.cx)} {n(self.cy)}) rotate({n(self.rot)})")


CHINA = Cymbal(PLACES["imgPrato1"], 10, "china")
SPLASH = Cymbal(PLACES["imgPratoAttack1"], 6)
CRASH2 = Cymbal(PLACES["imgPrato2"], -4)
RIDE = Cymbal(PLACES["imgPratoAttack2"], -8, "ride")
CRASH = Cymbal(PLACES["imgPrato3"], -12)


def cymbal_stands():
    out = ""
    out += cymbal_stand((CHINA.cx, CHINA.cy), (28, 96), 306)
    out += cymbal_stand((CRASH2.cx, CRASH2.cy), (366, 98), 272)
    out += cymbal_stand((RIDE.cx, RIDE.cy), (441, 150), 292)
    out += cymbal_stand((CRASH.cx, CRASH.cy), (566, 118), 316)
    return out


def splash_arm():
    return tube(279, 160, SPLASH.cx, SPLASH.cy, 2.2) + ellipse(279, 160, 3, 3, fill=CHROME_V)


# ---------------------------------------------------------------------------------------------
# Sticks


def stick(tip, butt, thick=4.6, flash=None):
    """A wooden drumstick from its butt to its tip (panel coordinates), the tip an oval bead.
    Answers the drawing and points of its outline in panel coordinates. flash: where the
    stroke sounds, if not at the tip (a cross-stick sounds where the shaft meets the rim)."""
    (tx, ty), (bx, by) = tip, butt
    length = math.hypot(tx - bx, ty - by)
    angle = math.degrees(math.atan2(ty - by, tx - bx))
    rb = thick / 2
    rn = rb * 0.45
    L = length - 2.6
    body = (f"M0,{n(-rb)} L{n(L * 0.55)},{n(-rb)} C{n(L * 0.8)},{n(-rb)} {n(L - 5)},{n(-rn)} "
            f"{n(L - 1)},{n(-rn)} L{n(L - 1)},{n(rn)} C{n(L - 5)},{n(rn)} {n(L * 0.8)},{n(rb)} "
            f"{n(L * 0.55)},{n(rb)} L0,{n(rb)} A{n(rb)},{n(rb)} 0 0 1 0,{n(-rb)} Z")
    out = path(body, fill=WOOD, stroke="#3a2410", stroke_width=0.45)
    out += ellipse(L, 0, 2.6, rb * 0.78, fill=WOOD_TIP, stroke="#3a2410", stroke_width=0.4)
    out += line(rb * 0.3, -rb * 0.35, L * 0.7, -rb * 0.35, stroke="#fff6e2", stroke_width=0.6,
                stroke_opacity=0.6, stroke_linecap="round")
    if flash is None:
        out += ellipse(L + 1.2, 0, 2.4, 1.8, fill=GLOW_SPOT)
    out = group(out, transform=f"translate({n(bx)} {n(by)}) rotate({n(angle)})")
    if flash is not None:
        out += ellipse(flash[0], flash[1], 5, 5, fill=GLOW_SPOT)
        out += ellipse(flash[0], flash[1], 1.6, 1.6, fill="#ffffff", opacity=0.9)
    outline = [(bx + px, by + py) for px, py in
               (rot(qx, qy, angle) for qx, qy in
                ((-rb, 0), (0, -rb), (0, rb), (L + 3.6, 0), (L, -rb), (L, rb), (L * 0.55, -rb),
                 (L * 0.55, rb)))]
    if flash is not None:
        outline += [(flash[0] + dx, flash[1] + dy) for dx, dy in ((-5, -5), (5, 5))]
    return out, outline


def rim_crossing(drum, tip, butt):
    """Where a stick from tip (on the head) toward butt crosses the drum's hoop."""
    lo, hi = 0.0, 1.0
    for _ in range(40):
        mid = (lo + hi) / 2
        x, y = tip[0] + (butt[0] - tip[0]) * mid, tip[1] + (butt[1] - tip[1]) * mid
        inside = ((x - drum.cx) / drum.rx) ** 2 + ((y - drum.cy) / drum.ry) ** 2 < 1
        lo, hi = (mid, hi) if inside else (lo, mid)
    return tip[0] + (butt[0] - tip[0]) * lo, tip[1] + (butt[1] - tip[1]) * lo


# Where each stick strikes (its tip) and where its butt lies, in panel coordinates.
STICKS = {
    "imgBaqCaixa": ((176, 199.5), (113.5, 222.3)),
    "imgBaqAro": ((172.5, 198.8), (236.5, 186.5)),
    "imgBaqChimbal": ((117, 143), (179.5, 159.5)),
    "imgBaqChimbal2": ((118, 131.5), (183.5, 150.5)),
    "imgBaqTon1": ((243, 138.5), (254.5, 202.5)),
    "imgBaqTon2": ((317, 135), (302.5, 197.5)),
    "imgBaqSurdo1": ((391, 185), (324.5, 196.3)),
    "imgBaqSurdo2": ((475.5, 207), (412.5, 213.4)),
    "imgBaqPrAttack1": ((221, 73), (240.5, 124.5)),
    "imgBaqPrato1": ((142, 61.5), (174.5, 118.5)),
    "imgBaqPrato2": ((306, 65.5), (323.5, 128.5)),
    "imgBaqPrAttack2": ((410.5, 144), (356.5, 183.5)),
    "imgBaqPrato3": ((473, 88), (414.5, 123.5)),
}

class _Ellipse:
    def __init__(self, cx, cy, rx, ry):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry


STRUCK = {
    "imgBaqChimbal": _Ellipse(HH_X, HH_TOP_CLOSED_Y, HH_RX, HH_RY),
    "imgBaqChimbal2": _Ellipse(HH_X, HH_TOP_OPEN_Y, HH_RX, HH_RY),
    "imgBaqCaixa": SNARE, "imgBaqAro": SNARE, "imgBaqTon1": TOM1, "imgBaqTon2": TOM2,
    "imgBaqSurdo1": FLOOR1, "imgBaqSurdo2": FLOOR2, "imgBaqPrAttack1": SPLASH,
    "imgBaqPrato1": CHINA, "imgBaqPrato2": CRASH2, "imgBaqPrAttack2": RIDE, "imgBaqPrato3": CRASH,
}


def stick_picture(name):
    tip, butt = STICKS[name]
    piece = STRUCK[name]
    flash = rim_crossing(SNARE, tip, butt) if name == "imgBaqAro" else None
    body, outline = stick(tip, butt, thick=4.2 if name == "imgBaqSurdo2" else 4.6, flash=flash)
    x, y, w, h = PLACES[name]
    for px, py in outline:
        assert x - 0.3 <= px <= x + w + 0.3 and y - 0.3 <= py <= y + h + 0.3, \
            f"{name}: stick outline point {px:.1f},{py:.1f} leaves its box"
    if isinstance(piece, Cymbal):
        assert piece.contains(*tip, margin=2), f"{name}: the tip misses its cymbal"
    else:
        lx, ly = (tip[0] - piece.cx) / piece.rx, (tip[1] - piece.cy) / piece.ry
        assert lx * lx + ly * ly < 0.8, f"{name}: the tip misses its head"
    return body


# ---------------------------------------------------------------------------------------------
# The pictures


def background():
    return (stage()
            + cymbal_stands()
            + splash_arm()
            + BASS.body()
            + rack_toms()
            + floor_tom(FLOOR1, 268)
            + floor_tom(FLOOR2, 290)
            + snare_drum()
            + BASS.head()
            + bass_pedal()
            + hihat_open()
            + CHINA.draw() + SPLASH.draw() + CRASH2.draw() + RIDE.draw() + CRASH.draw())


def pictures():
    pics = {
        "imgBateria": background(),
        "imgChimbal": hihat_closed_picture(),
        "imgPeChimbal": hh_pedal(pressed=True) + hh_foot(on_pedal=True),
        "imgPeSolto": hh_foot(on_pedal=False),
        "imgCaixa": SNARE.head(lit=True),
        "imgTon1": TOM1.head(lit=True),
        "imgTon2": TOM2.head(lit=True),
        "imgSurdo1": FLOOR1.head(lit=True),
        "imgSurdo2": FLOOR2.head(lit=True),
        "imgPrato1": CHINA.draw(lit=True),
        "imgPratoAttack1": SPLASH.draw(lit=True),
        "imgPrato2": CRASH2.draw(lit=True),
        "imgPratoAttack2": RIDE.draw(lit=True),
        "imgPrato3": CRASH.draw(lit=True),
        "imgBombo": BASS.head(lit=True) + bass_pedal(struck=True) + bass_foot(pressed=True),
        "imgPeBomboSolto": bass_pedal() + bass_foot(pressed=False),
    }
    for name in STICKS:
        pics[name] = stick_picture(name)
    assert set(pics) == set(PLACES), set(PLACES) ^ set(pics)
    return pics


def used_defs(body):
    ids = sorted(set(re.findall(r"url\(#([\w-]+)\)", body)))
    return "".join(DEFS[i] for i in ids)


def write_svg(folder, name, body):
    x, y, w, h = PLACES[name]
    svg = (f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
           f'width="{w}" height="{h}" viewBox="{x} {y} {w} {h}">\n'
           f"<!-- Generated by source/generate_kit.py from the kit's master drawing. -->\n"
           f"<defs>\n{used_defs(body)}</defs>\n{body}</svg>\n")
    with open(os.path.join(folder, name + ".svg"), "w", encoding="utf-8") as f:
        f.write(svg)


def main():
    folder = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    for name, body in pictures().items():
        write_svg(folder, name, body)
    print(f"wrote {len(PLACES)} pictures to {folder}")


if __name__ == "__main__":
    main()
