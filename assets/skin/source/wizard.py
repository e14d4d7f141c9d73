"""The picture along the left edge of the sound-card test wizard (139 x 210): a corner of the
kit's stage, with a speaker cabinet, a snare drum, a small MIDI keyboard and notes rising
from the speaker, under the same blue light as the kit.
"""

import math

import palette as pal
from svg import Drawing, circle, ellipse, group, line, n, path, rect

W, H = 139, 210
FLOOR_Y = 150


def _stage(d):
    out = rect(0, 0, W, H, fill=d.linear("wall", 0, 0, 0, FLOOR_Y, pal.WALL))
    out += rect(0, 0, W, FLOOR_Y, fill=d.linear("folds", 0, 0, 19, 0, pal.FOLDS,
                                                spread="repeat"))
    out += rect(0, 0, W, FLOOR_Y + 6, fill=d.radial(
        "backlight", 70, 70, 110, pal.BACKLIGHT,
        transform="translate(70 70) scale(1.1 0.9) translate(-70 -70)"))
    out += rect(0, FLOOR_Y, W, H - FLOOR_Y, fill=d.linear("floor", 0, FLOOR_Y, 0, H, pal.FLOOR))
    out += ellipse(72, 186, 100, 30, fill=d.radial(
        "rug", 72, 186, 100, pal.RUG,
        transform="translate(72 186) scale(1 0.3) translate(-72 -186)"))
    out += rect(0, FLOOR_Y - 2, W, 4, fill=d.linear(
        "floorEdge", 0, FLOOR_Y - 2, 0, FLOOR_Y + 2,
        [(0, "#000000", 0), (0.5, "#000000", 0.6), (1, "#000000", 0)]))
    return out


def _speaker(d, x, y, w, h):
    """A speaker cabinet: black box, chrome-ringed tweeter and woofer."""
    box = d.linear("cabinet", x, 0, x + w, 0, [(0, "#0c0d11"), (0.35, "#2a2d36"),
                                               (0.65, "#1f2229"), (1, "#08090c")])
    out = ellipse(x + w / 2, y + h + 1, w * 0.7, 4, fill="#000000", opacity=0.6)
    out += rect(x, y, w, h, rx=3, fill=box, stroke="#000000", stroke_width=0.8)
    out += line(x + 2, y + 1, x + w - 2, y + 1, stroke="#ffffff", stroke_opacity=0.18)
    chrome = d.linear("cone_ring", x, y, x + w, y + h, pal.CHROME)
    for cy, r in ((y + 17, 7.5), (y + h - 25, 17)):
        cx = x + w / 2
        cone = d.radial(f"cone{int(r)}", cx - r * 0.25, cy - r * 0.3, r * 1.1,
                        [(0, "#5a5f6a"), (0.5, "#23262e"), (1, "#0b0c10")])
        out += circle(cx, cy, r + 1.6, fill=chrome)
        out += circle(cx, cy, r, fill=cone)
        out += circle(cx, cy, r * 0.32, fill=d.radial(
            f"cap{int(r)}", cx - r * 0.1, cy - r * 0.12, r * 0.36,
            [(0, "#8c929e"), (1, "#2a2d36")]))
    return out


def _waves(cx, cy):
    out = ""
    for i, r in enumerate((24, 31, 38)):
        a0, a1 = math.radians(-40), math.radians(40)
        out += path(f"M{n(cx + r * math.cos(a0))},{n(cy + r * math.sin(a0))} A{r},{r} 0 0 1 "
                    f"{n(cx + r * math.cos(a1))},{n(cy + r * math.sin(a1))}", fill="none",
                    stroke=pal.AMBER, stroke_opacity=0.55 - i * 0.15, stroke_width=1.6,
                    stroke_linecap="round")
    return out


def _note(d, x, y, scale=1.0, double=False, opacity=1.0):
    """An eighth note (or two beamed) with its head at x, y."""
    fill = d.linear("note", 0, -16, 0, 4, [(0, "#ffe2a8"), (1, "#f08a22")])
    head = ellipse(0, 0, 3.6, 2.6, fill=fill, transform="rotate(-22)")
    out = head + line(3.1, -0.8, 3.1, -15, stroke=fill, stroke_width=1.3)
    if double:
        out += group(head, transform="translate(10 -3)")
        out += line(13.1, -3.8, 13.1, -18, stroke=fill, stroke_width=1.3)
        out += path("M2.5,-15.6 L13.7,-18.6 L13.7,-15.4 L2.5,-12.4 Z", fill=fill)
    else:
        out += path("M3.1,-15 Q9,-12 7,-5.5 Q7.6,-10.5 3.1,-11 Z", fill=fill)
    return group(out, transform=f"translate({n(x)} {n(y)}) scale({n(scale)})",
                 opacity=opacity if opacity != 1 else None)


def _snare(d, cx, top, rx=30, shell_h=22):
    ry = rx * 0.3
    shell = d.linear("shell", cx - rx, 0, cx + rx, 0, pal.SHELL)
    chrome = d.linear("hoop", cx - rx, 0, cx + rx, 0, pal.CHROME)
    head = d.radial("head", cx - rx * 0.2, top - ry * 0.3, rx * 1.1, pal.HEAD,
                    transform=f"translate({n(cx)} {n(top)}) scale(1 0.3) "
                              f"translate({n(-cx)} {n(-top)})")
    bottom = top + shell_h
    out = ellipse(cx, bottom + ry * 0.7 + 14, rx * 1.2, 5, fill="#000000", opacity=0.55)
    # the stand: three legs from a basket under the drum
    for fx in (cx - rx * 0.9, cx + rx * 0.9, cx + 4):
        out += line(cx, bottom + 4, fx, bottom + 20, stroke="#9aa1ad", stroke_width=1.6,
                    stroke_linecap="round")
    out += line(cx, bottom, cx, bottom + 6, stroke="#cfd4db", stroke_width=2.4)
    out += path(f"M{n(cx - rx)},{n(top)} V{n(bottom)} A{n(rx)},{n(ry)} 0 0 0 {n(cx + rx)},"
                f"{n(bottom)} V{n(top)} Z", fill=shell, stroke="#1a0205", stroke_width=0.6)
    for k in range(5):  # the tension lugs
        t = -0.8 + k * 0.4
        lx = cx + rx * t
        ly = top + ry * math.sqrt(max(0, 1 - t * t)) * 0.9
        out += rect(lx - 1.5, ly + 4, 3, shell_h - 8, rx=1, fill=chrome)
    out += path(f"M{n(cx - rx)},{n(bottom)} A{n(rx)},{n(ry)} 0 0 0 {n(cx + rx)},{n(bottom)}",
                fill="none", stroke=chrome, stroke_width=2.4)
    out += ellipse(cx, top, rx, ry, fill=head, stroke=chrome, stroke_width=2.4)
    return out


def _stick(d, x, y, angle, length=62):
    wood = d.linear("wood", 0, -2.2, 0, 2.2, pal.WOOD)
    tip = d.radial("tip", 0, -0.6, 2.6, pal.WOOD_TIP)
    body = (path(f"M0,-2.2 L{n(length * 0.6)},-2.2 L{n(length - 3)},-1 L{n(length - 3)},1 "
                 f"L{n(length * 0.6)},2.2 L0,2.2 Z", fill=wood, stroke="#3a2410",
                 stroke_width=0.4)
            + ellipse(length - 1.5, 0, 2.6, 1.7, fill=tip, stroke="#3a2410", stroke_width=0.4))
    return group(body, transform=f"translate({n(x)} {n(y)}) rotate({n(angle)})")


def _midi_keyboard(d, x, y, w, h):
    """A small MIDI keyboard seen from the front and a little above."""
    out = ellipse(x + w / 2, y + h + 2, w * 0.55, 4, fill="#000000", opacity=0.6)
    case = d.linear("kbCase", 0, y, 0, y + h, [(0, "#4a5062"), (0.25, "#262b38"),
                                               (1, "#0e1016")])
    out += rect(x, y, w, h, rx=3, fill=case, stroke="#000000", stroke_width=0.8)
    # the panel above the keys: a small display and two knobs
    out += rect(x + 6, y + 3.5, 22, 6, rx=1, fill="#0a1024", stroke="#3b4358", stroke_width=0.5)
    out += line(x + 8, y + 6.5, x + 20, y + 6.5, stroke="#7f95e0", stroke_width=1.2,
                stroke_opacity=0.9)
    for kx in (x + w - 22, x + w - 12):
        knob = d.radial(f"knob{int(kx)}", kx - 1, y + 5.5, 3.4, [(0, "#dfe3e9"), (1, "#4a4f59")])
        out += circle(kx, y + 6.6, 3, fill=knob, stroke="#1a1c22", stroke_width=0.5)
        out += line(kx, y + 6.6, kx, y + 4, stroke="#1a1c22", stroke_width=0.8)
    keys_top, keys_h = y + 12, h - 15
    count = 14
    kw = (w - 8) / count
    white = d.linear("whiteKey", 0, keys_top, 0, keys_top + keys_h,
                     [(0, "#d9d4c8"), (0.15, "#ffffff"), (1, "#e9e4d8")])
    for i in range(count):
        out += rect(x + 4 + i * kw, keys_top, kw - 0.6, keys_h, rx=0.6, fill=white,
                    stroke="#6a6558", stroke_width=0.3)
    black = d.linear("blackKey", 0, keys_top, 0, keys_top + keys_h * 0.6,
                     [(0, "#3a3d46"), (1, "#07080a")])
    for i in range(count - 1):
        if i % 7 in (2, 6):
            continue
        bx = x + 4 + (i + 1) * kw - kw * 0.3
        out += rect(bx, keys_top, kw * 0.6, keys_h * 0.6, rx=0.5, fill=black)
    # one key held down, lit amber
    lit = 9
    out += rect(x + 4 + lit * kw, keys_top, kw - 0.6, keys_h, rx=0.6,
                fill=d.linear("litKey", 0, keys_top, 0, keys_top + keys_h,
                              [(0, "#fff0c4"), (1, "#ffa23a")]))
    return out


def wizard_picture():
    d = Drawing("Image1", W, H, "Picture of the sound-card test wizard, along its left edge.")
    d.add(_stage(d))
    spot = d.radial("spot", 70, 110, 90, [(0, "#fff2d8", 0.16), (1, "#fff2d8", 0)],
                    transform="translate(70 110) scale(1 0.8) translate(-70 -110)")
    d.add(rect(0, 0, W, H, fill=spot))
    d.add(_speaker(d, 10, 52, 50, 96))
    d.add(_waves(35, 52 + 96 - 25))
    d.add(_note(d, 76, 62, 1.0, opacity=0.95))
    d.add(_note(d, 98, 40, 1.15, double=True))
    d.add(_note(d, 70, 30, 0.8, opacity=0.8))
    d.add(_note(d, 112, 80, 0.85, opacity=0.85))
    d.add(_snare(d, 98, 118, rx=27, shell_h=20))
    d.add(_stick(d, 62, 98, 22))
    d.add(_stick(d, 134, 94, 154))
    d.add(_midi_keyboard(d, 8, 160, 123, 34))
    vignette = d.radial("vignette", 70, 105, 130, [(0, "#000000", 0), (0.7, "#000000", 0),
                                                   (1, "#000000", 0.55)])
    d.add(rect(0, 0, W, H, fill=vignette))
    return d


def pictures():
    return [wizard_picture()]
