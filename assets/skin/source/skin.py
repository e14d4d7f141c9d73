"""The main window's skin: the top strip, the bottom bar, the makers' emblem, the picture
buttons and the backdrop of the volume slider.

Places are those of the main window (793 x 527). The drum kit's panel (626 x 414 at 70, 39)
lies over both strips: the top strip shows above it and at its sides, the bottom bar below
it. So the top strip reads as a title bar in its upper 39 pixels, with a stage truss along
the kit's top edge, and the bar below the kit is a dark console whose recessed wells group
the controls that lie on it; every place a white label sits is dark.
"""

import palette as pal
from buttons import (book, button, cross, fast_forward, faders, gear, minimise, mortarboard,
                     pause, play, question, repeat, rewind, stop)
from glyphs import SANS_CONDENSED_BOLD, Text
from svg import Drawing, circle, ellipse, group, line, n, path, poly, rect

WIDTH = 793
KIT_LEFT, KIT_TOP, KIT_RIGHT, KIT_BOTTOM = 70, 39, 696, 453
BAR_TOP = 432  # the bottom bar's place in the window

# Pictures that lie on the strips (left, top, width, height in the window): the skin keeps
# calm under them.
MAKER_EMBLEM = (0, 0, 135, 77)
WEB_ADDRESS = (301, 7, 169, 21)
PRODUCT_LOGO = (657, 0, 137, 75)
WINDOW_BUTTONS = (572, 6, 78, 24)


# ---------------------------------------------------------------------------------------------
# The top strip


def _strip_ground(d, x0, width):
    """The title bar's ground from x0 (window coordinates) over width; the emblem repeats it
    so that both meet without a seam."""
    fill = d.linear("strip", 0, 0, 0, 78,
                    [(0, "#262d47"), (0.06, pal.NAVY_LIGHT), (0.3, "#141829"), (0.42, pal.NAVY),
                     (1, pal.NAVY)])
    out = rect(x0, 0, width, 78, fill=fill)
    out += line(x0, 0.5, x0 + width, 0.5, stroke="#8aa0e6", stroke_opacity=0.45)
    # the frame's lower edge, which shows beside the kit under the logos
    edge = d.linear("stripEdge", 0, 74, 0, 78, [(0, "#000000"), (0.4, "#3b4358"),
                                               (0.7, "#9aa1ad"), (1, "#2a2f3b")])
    out += rect(x0, 74, width, 4, fill=edge)
    return out


def _truss(d, x0, x1, y=30):
    """A stage truss: two chrome tubes with a zigzag of braces, hung along the kit's top."""
    out = ""
    brace = ""
    x = x0 - (x0 % 12)
    while x < x1:
        brace += f"M{n(x)},{n(y + 1.5)} L{n(x + 6)},{n(y + 6.5)} L{n(x + 12)},{n(y + 1.5)} "
        x += 12
    out += path(brace, fill="none", stroke="#5d636e", stroke_width=1.1)
    tube = d.linear("trussTube", 0, 0, 0, 2.6, pal.CHROME_V)
    for ty in (y, y + 6.4):
        out += group(rect(x0, 0, x1 - x0, 2.6, fill=tube), transform=f"translate(0 {n(ty)})")
    return out


def _par_can(d, cx, top):
    """A small stage light clamped on the truss, its lens glowing amber toward the stage."""
    body = d.linear(f"canBody{int(cx)}", cx - 6, 0, cx + 6, 0, [(0, "#15171d"), (0.4, "#4a4f5c"),
                                                     (0.6, "#3a3e49"), (1, "#101217")])
    glow = d.radial(f"canGlow{int(cx)}", cx, top + 17, 12,
                    [(0, "#ffc870", 0.5), (1, "#ffc870", 0)])
    out = ellipse(cx, top + 17, 12, 6, fill=glow)
    out += path(poly([(cx - 4.5, top), (cx + 4.5, top), (cx + 6, top + 14), (cx - 6, top + 14)]),
                fill=body, stroke="#07080a", stroke_width=0.6)
    out += ellipse(cx, top + 14, 6, 1.6, fill="#ffdf9a", stroke="#8a5a1e", stroke_width=0.5)
    out += path(f"M{n(cx - 7)},{n(top + 4)} Q{n(cx)},{n(top - 5)} {n(cx + 7)},{n(top + 4)}",
                fill="none", stroke="#9aa1ad", stroke_width=1.2)  # the yoke
    return out


def _grip(x0, x1, y0=9, rows=5):
    """Fine ridges that tell the hand where to drag the window."""
    out = ""
    for i in range(rows):
        y = y0 + i * 3
        out += line(x0, y, x1, y, stroke="#000000", stroke_opacity=0.5)
        out += line(x0, y + 1, x1, y + 1, stroke="#8090c0", stroke_opacity=0.16)
    return out


def top_strip():
    d = Drawing("imgCima", WIDTH, 78, "Top strip of the main window, its title bar.")
    d.add(_strip_ground(d, 0, WIDTH))
    # a soft blue light from the stage behind the free stretches of the bar
    glow = d.radial("stripGlow", 400, 40, 300, [(0, "#5a6cc0", 0.22), (1, "#5a6cc0", 0)],
                    transform="translate(400 40) scale(1 0.14) translate(-400 -40)")
    d.add(rect(0, 0, WIDTH, 40, fill=glow))
    # a calm, slightly sunk bed under the web address and the window buttons
    for x, y, w, h in (WEB_ADDRESS, WINDOW_BUTTONS):
        d.add(rect(x - 3.5, y - 2.5, w + 7, h + 5, rx=6, fill=pal.NAVY_DEEP, stroke="#000000",
                   stroke_opacity=0.6))
        d.add(path(f"M{n(x + 2)},{n(y + h + 2.5)} H{n(x + w - 2)}", stroke="#8090c0",
                   stroke_opacity=0.22))
    d.add(_grip(146, 290), _grip(481, 561))
    d.add(_truss(d, 0, WIDTH))
    for cx in (190, 250, 520):
        d.add(_par_can(d, cx, 17))
    return d


def maker_emblem():
    """The makers' emblem: a bronze medallion with a Q whose tail is a drumstick, and the
    makers' name beside it. Left of the kit's edge it is whole; right of it only its upper
    half counts, since the kit may lie over the rest."""
    d = Drawing("imgOrv", 135, 77, "The makers' emblem, top left of the main window.")
    d.add(_strip_ground(d, 0, 135))
    glow = d.radial("emblemGlow", 35, 38, 34, [(0, "#5a6cc0", 0.35), (1, "#5a6cc0", 0)])
    d.add(circle(35, 38, 34, fill=glow))
    d.add(_truss(d, 70, 135))
    cx, cy, r = 35, 38, 27
    d.add(circle(cx + 1, cy + 2, r + 1, fill="#000000", opacity=0.5))
    rim = d.linear("medalRim", cx - r, cy - r, cx + r, cy + r, pal.CHROME)
    d.add(circle(cx, cy, r, fill=rim))
    bronze = d.radial("medal", cx - 6, cy - 8, r * 1.25, pal.BRONZE)
    d.add(circle(cx, cy, r - 2.4, fill=bronze, stroke="#5f3e12", stroke_width=0.6))
    for k in range(1, 4):  # the lathe rings of a cymbal
        d.add(circle(cx, cy, r - 2.4 - k * 5.2, fill="none", stroke="#5f3e12",
                     stroke_opacity=0.35, stroke_width=0.6))
    sheen = d.linear("medalSheen", cx - r, cy - r, cx + r, cy + r,
                     [(0, "#ffffff", 0), (0.42, "#ffffff", 0), (0.5, "#ffffff", 0.35),
                      (0.58, "#ffffff", 0), (1, "#ffffff", 0)])
    d.add(circle(cx, cy, r - 2.4, fill=sheen))
    # the Q: a ring and, for its tail, a stick
    d.add(circle(cx - 1, cy - 1, 11.5, fill="none", stroke="#2a1606", stroke_width=5.6))
    d.add(circle(cx - 1, cy - 1, 11.5, fill="none", stroke=pal.IVORY, stroke_width=3.8))
    wood = d.linear("emblemStick", 0, -2, 0, 2, pal.WOOD)
    stick = (path("M-2,-2.1 L18,-1.3 L23,-0.8 L23,0.8 L18,1.3 L-2,2.1 Z", fill=wood,
                  stroke="#2a1606", stroke_width=0.7)
             + ellipse(24, 0, 2.4, 1.5, fill=wood, stroke="#2a1606", stroke_width=0.6))
    d.add(group(stick, transform=f"translate({n(cx + 2)} {n(cy + 3)}) rotate(40)"))
    # the makers' name, where the click area of the web address lies
    name = Text("QUENDAL", 13.5, SANS_CONDENSED_BOLD, spacing=0.6)
    d.add(path(name.path(68, 20.5), fill="#000000", opacity=0.6, transform="translate(0 1)"))
    d.add(path(name.path(68, 20.5), fill=pal.IVORY))
    sub = Text("SOFTWARE", 6.2, SANS_CONDENSED_BOLD, spacing=1.55)
    d.add(path(sub.path(69, 27.6), fill=pal.AMBER))
    return d


# ---------------------------------------------------------------------------------------------
# The bottom bar: x in window coordinates, y from the bar's top

# Recessed wells (left, top, right, bottom) and the bays of the language buttons, which
# are the language pictures' own navy.
WELLS = [
    (104, 24, 320, 94),   # position display, position slider and transport
    (323, 24, 381, 94),   # volume
    (384, 24, 471, 94),   # tempo
    (474, 24, 538, 94),   # play along
    (644, 24, 789, 94),   # drum tracks
]
BAYS = [
    (3, 35, 96, 92),      # Open and Setup
    (540, 35, 633, 91),   # Tutorial and Grooves
]
DISPLAY = (107, 26, 318, 42)  # the dark display behind the status line and the counters


def _screw(cx, cy):
    return (circle(cx, cy, 2, fill="#8c929e", stroke="#000000", stroke_width=0.5)
            + line(cx - 1.3, cy - 0.6, cx + 1.3, cy + 0.6, stroke="#30343d", stroke_width=0.7))


def _well(d, x0, y0, x1, y1, fill=None):
    w, h = x1 - x0, y1 - y0
    out = rect(x0 + 0.5, y0 + 0.5, w - 1, h - 1, rx=5, fill=fill or pal.NAVY_DEEP,
               stroke="#000000", stroke_opacity=0.8)
    shade = d.linear(f"wellShade{y0}", 0, y0, 0, y0 + 7, [(0, "#000000", 0.55),
                                                          (1, "#000000", 0)])
    out += rect(x0 + 1, y0 + 1, w - 2, 7, rx=4.5, fill=shade)
    out += path(f"M{n(x0 + 4)},{n(y1 + 0.5)} H{n(x1 - 4)}", stroke="#8090c0",
                stroke_opacity=0.25)
    return out


def bottom_bar():
    d = Drawing("imgBaixo", WIDTH, 96, "Bottom bar of the main window, under its controls.")
    ground = d.linear("bar", 0, 0, 0, 96, [(0, "#232a42"), (0.3, "#1a1f33"), (1, "#0d1020")])
    d.add(rect(0, 0, WIDTH, 96, fill=ground))
    # the frame's upper edge, beside the kit, and the stage's blue light fading into the bar
    edge = d.linear("barEdge", 0, 0, 0, 4, [(0, "#2a2f3b"), (0.35, "#9aa1ad"), (0.65, "#3b4358"),
                                           (1, "#000000")])
    d.add(rect(0, 0, WIDTH, 4, fill=edge))
    glow = d.radial("barGlow", 400, 22, 330, [(0, "#5a6cc0", 0.28), (1, "#5a6cc0", 0)],
                    transform="translate(400 22) scale(1 0.1) translate(-400 -22)")
    d.add(rect(0, 4, WIDTH, 40, fill=glow))
    for x0, y0, x1, y1 in BAYS:
        d.add(_well(d, x0, y0, x1, y1, fill=pal.NAVY))
    for x0, y0, x1, y1 in WELLS:
        d.add(_well(d, x0, y0, x1, y1))
        for sx in (x0 + 5, x1 - 5):
            d.add(_screw(sx, y1 - 5))
    x0, y0, x1, y1 = DISPLAY
    screen = d.linear("display", 0, y0, 0, y1, [(0, "#03050b"), (0.5, "#0a1024"),
                                                (1, "#060912")])
    d.add(rect(x0, y0, x1 - x0, y1 - y0, rx=3, fill=screen, stroke="#2a3350",
               stroke_width=0.8))
    d.add(line(x0 + 3, y1 - 1.5, x1 - 3, y1 - 1.5, stroke="#5a6cc0", stroke_opacity=0.35))
    return d


def volume_backdrop():
    """Behind the vertical volume slider (the slider at 12..32 across, from 1 down): the
    well's own ground with a scale that widens toward the top, loudest."""
    d = Drawing("imgFundoVolume", 47, 36, "Backdrop of the volume slider.")
    d.add(rect(0, 0, 47, 36, fill=pal.NAVY_DEEP))
    for i in range(9):
        y = 4 + i * 3.5
        length = 7 - i * 0.6
        op = 0.9 - i * 0.06
        d.add(line(10 - length, y, 10, y, stroke=pal.AMBER, stroke_opacity=op, stroke_width=1))
        d.add(line(34, y, 34 + length, y, stroke=pal.AMBER, stroke_opacity=op, stroke_width=1))
    return d


# ---------------------------------------------------------------------------------------------
# Buttons: (name, width, height, symbol, what it is), the key standing at the top of its
# picture when face_h is given.

def close_face():
    """The wine-red key of a close button, with an ivory cross."""
    return dict(up=[(0, "#d4404f"), (0.45, "#95162a"), (1, "#4c0811")],
                down=[(0, "#2a0308"), (0.6, "#4c0811"), (1, "#7a1020")],
                colours=([(0, "#ffffff"), (1, "#e9e2d4")], [(0, "#ffffff"), (1, "#ffd690")]))


BUTTONS = [
    ("imgHelp", 24, 24, lambda d: question(12, 12, 15), "Help button of the title bar.", {}),
    ("imgMin", 24, 24, lambda d: minimise(12, 12), "Minimise button of the title bar.", {}),
    ("imgFechar", 24, 24, lambda d: cross(12, 12), "Close button of the title bar.",
     close_face()),
    ("imgSetup", 83, 26, lambda d: gear(15, 13) + faders(52, 13), "Setup button.", {}),
    ("imgTutorial", 83, 25, lambda d: mortarboard(15, 11.5) + book(52, 12.5),
     "Tutorial button.", {}),
    ("imgRew", 40, 33, lambda d: rewind(20, 15.5), "Rewind button, held to rewind.",
     {"face_h": 31}),
    ("imgPlay", 31, 31, lambda d: play(15.5, 15.5), "Play button.", {}),
    ("imgStop", 31, 31, lambda d: stop(15.5, 15.5), "Stop button.", {}),
    ("imgPause", 30, 31, lambda d: pause(15, 15.5), "Pause button.", {}),
    ("imgRepeat", 30, 31, lambda d: repeat(15, 15.5), "Loop button: marks the loop's start, "
     "then its end.", {}),
    ("imgFF", 39, 31, lambda d: fast_forward(19.5, 15.5), "Fast-forward button, held to wind "
     "forward.", {}),
]


def buttons():
    out = []
    for name, w, h, body, about, kw in BUTTONS:
        for pressed in (False, True):
            out.append(button(name + ("2" if pressed else ""), w, h, pressed, about, body,
                              **kw))
    return out


def pictures():
    return [top_strip(), maker_emblem(), bottom_bar(), volume_backdrop()] + buttons()
