"""Picture buttons: one face drawn at rest and held, with a symbol on it.

A button at rest is a raised slate key with an amber symbol that casts a small shadow; held,
the same key is sunk: darker, lit from below, a shadow along its inner top and left edges,
an amber rim, and the symbol one pixel right and down. The corners outside the key are
transparent, so that the bar under the button shows. The look matches the language's Open
and Grooves buttons, which the language files bring (assets/idiomas/imagens).
"""

import math

import palette as pal
from glyphs import Text
from svg import Drawing, circle, ellipse, group, line, n, path, poly, rect, round_rect_path


def face(d, w, h, pressed, radius=4.5, up=None, down=None, rim=None):
    """The key itself, filling w x h; up and down replace the slate gradients."""
    out = ""
    if not pressed:
        fill = d.linear("faceUp", 0, 0, 0, h, up or pal.FACE_UP)
        out += rect(0.5, 0.5, w - 1, h - 1, rx=radius, fill=fill, stroke=pal.OUTLINE)
        out += path(f"M{n(radius + 0.5)},1.5 H{n(w - radius - 0.5)}", stroke="#ffffff",
                    stroke_opacity=0.24)
        out += path(f"M1.5,{n(radius + 0.5)} V{n(h - radius - 0.5)}", stroke="#ffffff",
                    stroke_opacity=0.08)
        out += path(f"M{n(radius + 0.5)},{n(h - 1.5)} H{n(w - radius - 0.5)}", stroke="#000000",
                    stroke_opacity=0.35)
    else:
        fill = d.linear("faceDown", 0, 0, 0, h, down or pal.FACE_DOWN)
        out += rect(0.5, 0.5, w - 1, h - 1, rx=radius, fill=fill, stroke=rim or pal.RIM_DOWN,
                    stroke_opacity=0.75)
        # the shadow that the key's own edge casts into the hollow
        top = d.linear("shadeTop", 0, 1, 0, 6, [(0, "#000000", 0.7), (1, "#000000", 0)])
        left = d.linear("shadeLeft", 1, 0, 5, 0, [(0, "#000000", 0.5), (1, "#000000", 0)])
        out += path(round_rect_path(1, 1, w - 2, 5, radius - 0.5), fill=top)
        out += rect(1, 1, 4, h - 2, rx=radius - 1, fill=left)
        out += path(f"M{n(radius + 0.5)},{n(h - 1.5)} H{n(w - radius - 0.5)}", stroke="#ffffff",
                    stroke_opacity=0.12)
    return out


def symbol(d, body, pressed, shadow=True, colours=None):
    """A symbol's shapes (drawn with fill='GLYPH'), amber unless colours gives the gradients
    at rest and held, with its shadow at rest and moved one pixel right and down while held."""
    up, down = colours or (pal.GLYPH_UP, pal.GLYPH_DOWN)
    if pressed:
        fill = d.linear("glyphDown", 0, 0, 0, d.height, down)
        return group(body.replace("GLYPH", fill), transform="translate(1 1)")
    fill = d.linear("glyphUp", 0, 0, 0, d.height, up)
    out = ""
    if shadow:
        out += group(body.replace("GLYPH", "#000000"), transform="translate(0 1)",
                     opacity=0.55)
    return out + body.replace("GLYPH", fill)


def button(name, w, h, pressed, about, body, face_h=None, colours=None, **face_kw):
    """A whole button picture: face, then symbol. face_h: a key shorter than its picture,
    standing at the top (the rest of the picture stays transparent)."""
    d = Drawing(name, w, h, about + (" Held down." if pressed else " At rest."))
    d.add(face(d, w, face_h or h, pressed, **face_kw))
    d.add(symbol(d, body(d) if callable(body) else body, pressed, colours=colours))
    return d


# ---------------------------------------------------------------------------------------------
# Symbols, each centred on cx, cy and filled with 'GLYPH'


def triangle_right(cx, cy, w, h):
    return path(poly([(cx - w / 2, cy - h / 2), (cx + w / 2, cy), (cx - w / 2, cy + h / 2)]),
                fill="GLYPH", stroke="GLYPH", stroke_width=1, stroke_linejoin="round")


def triangle_left(cx, cy, w, h):
    return path(poly([(cx + w / 2, cy - h / 2), (cx - w / 2, cy), (cx + w / 2, cy + h / 2)]),
                fill="GLYPH", stroke="GLYPH", stroke_width=1, stroke_linejoin="round")


def play(cx, cy):
    return triangle_right(cx + 1, cy, 10, 12)


def stop(cx, cy):
    return rect(cx - 5, cy - 5, 10, 10, rx=1.2, fill="GLYPH")


def pause(cx, cy):
    return rect(cx - 5, cy - 5.5, 3.6, 11, rx=0.8, fill="GLYPH") + \
        rect(cx + 1.4, cy - 5.5, 3.6, 11, rx=0.8, fill="GLYPH")


def fast_forward(cx, cy):
    return triangle_right(cx - 4, cy, 8, 11) + triangle_right(cx + 4, cy, 8, 11)


def rewind(cx, cy):
    return triangle_left(cx - 4, cy, 8, 11) + triangle_left(cx + 4, cy, 8, 11)


def repeat(cx, cy):
    """Two arrows chasing each other round a loop."""
    r = 5.6
    out = path(f"M{n(cx - r)},{n(cy + 1)} V{n(cy - 1)} A{n(r - 1)},{n(r - 1)} 0 0 1 "
               f"{n(cx - 1)},{n(cy - r + 1)} H{n(cx + 2)}", fill="none", stroke="GLYPH",
               stroke_width=2.2, stroke_linecap="round")
    out += path(poly([(cx + 1.5, cy - r - 2.6), (cx + 5.4, cy - r + 1), (cx + 1.5, cy - r + 4.6)]),
                fill="GLYPH")
    out += path(f"M{n(cx + r)},{n(cy - 1)} V{n(cy + 1)} A{n(r - 1)},{n(r - 1)} 0 0 1 "
                f"{n(cx + 1)},{n(cy + r - 1)} H{n(cx - 2)}", fill="none", stroke="GLYPH",
                stroke_width=2.2, stroke_linecap="round")
    out += path(poly([(cx - 1.5, cy + r + 2.6), (cx - 5.4, cy + r - 1), (cx - 1.5, cy + r - 4.6)]),
                fill="GLYPH")
    return out


def question(cx, cy, size=15):
    return path(Text("?", size).centred(cx, cy), fill="GLYPH")


def minimise(cx, cy):
    return rect(cx - 5.5, cy + 3, 11, 3, rx=1, fill="GLYPH")


def cross(cx, cy, r=4.6, width=2.6, fill="GLYPH"):
    return (line(cx - r, cy - r, cx + r, cy + r, stroke=fill, stroke_width=width,
                 stroke_linecap="round")
            + line(cx - r, cy + r, cx + r, cy - r, stroke=fill, stroke_width=width,
                   stroke_linecap="round"))


def gear(cx, cy, r_out=7.4, r_in=5.4, teeth=8, hole=2.4):
    pts = []
    for i in range(teeth * 4):
        a = math.radians(i * 360 / (teeth * 4) - 90 + 360 / teeth / 8)
        r = r_out if i % 4 in (0, 1) else r_in
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    body = poly(pts)
    # the hole: a circle drawn the other way round, so the non-zero fill leaves it empty
    hole_d = (f"M{n(cx + hole)},{n(cy)} A{n(hole)},{n(hole)} 0 1 0 {n(cx - hole)},{n(cy)} "
              f"A{n(hole)},{n(hole)} 0 1 0 {n(cx + hole)},{n(cy)} Z")
    return path(body + " " + hole_d, fill="GLYPH", fill_rule="evenodd")


def faders(cx, cy):
    """Three mixer faders: a slot each and a cap at a different height."""
    out = ""
    for i, k in enumerate((2.5, -3, 0.5)):
        x = cx + (i - 1) * 7
        out += rect(x - 0.8, cy - 7, 1.6, 14, rx=0.8, fill="GLYPH", opacity=0.55)
        out += rect(x - 2.8, cy + k - 1.6, 5.6, 3.2, rx=0.9, fill="GLYPH")
    return out


def book(cx, cy):
    """An open book, its pages ruled, a note on the right page."""
    out = path(f"M{n(cx)},{n(cy - 4.5)} C{n(cx - 3)},{n(cy - 6.5)} {n(cx - 7)},{n(cy - 6.5)} "
               f"{n(cx - 10)},{n(cy - 5)} V{n(cy + 6)} C{n(cx - 7)},{n(cy + 4.6)} "
               f"{n(cx - 3)},{n(cy + 4.6)} {n(cx)},{n(cy + 6.5)} C{n(cx + 3)},{n(cy + 4.6)} "
               f"{n(cx + 7)},{n(cy + 4.6)} {n(cx + 10)},{n(cy + 6)} V{n(cy - 5)} "
               f"C{n(cx + 7)},{n(cy - 6.5)} {n(cx + 3)},{n(cy - 6.5)} {n(cx)},{n(cy - 4.5)} Z",
               fill="GLYPH")
    for k in range(3):
        y = cy - 2.2 + k * 2.6
        out += line(cx - 8, y, cx - 2, y + 0.3, stroke="#1a1e2a", stroke_width=0.9,
                    stroke_opacity=0.8)
    out += line(cx, cy - 4.5, cx, cy + 6.5, stroke="#1a1e2a", stroke_width=0.8)
    # an eighth note on the right page
    out += ellipse(cx + 4.2, cy + 2.4, 1.9, 1.4, fill="#1a1e2a", transform=None)
    out += line(cx + 5.9, cy + 2.2, cx + 5.9, cy - 3.6, stroke="#1a1e2a", stroke_width=0.9)
    out += path(f"M{n(cx + 5.9)},{n(cy - 3.6)} Q{n(cx + 8.4)},{n(cy - 2.4)} {n(cx + 7.6)},"
                f"{n(cy)}", fill="none", stroke="#1a1e2a", stroke_width=0.9)
    return out


def mortarboard(cx, cy):
    """A graduation cap: the board as a rhombus, the crown under it and its tassel."""
    out = path(poly([(cx, cy - 5), (cx + 8, cy - 1.6), (cx, cy + 1.8), (cx - 8, cy - 1.6)]),
               fill="GLYPH")
    out += path(f"M{n(cx - 4.6)},{n(cy + 0.6)} V{n(cy + 4)} Q{n(cx)},{n(cy + 6.6)} "
                f"{n(cx + 4.6)},{n(cy + 4)} V{n(cy + 0.6)} L{n(cx)},{n(cy + 2.6)} Z",
                fill="GLYPH")
    out += path(f"M{n(cx)},{n(cy - 1.6)} L{n(cx + 6.2)},{n(cy)} V{n(cy + 4.4)}", fill="none",
                stroke="GLYPH", stroke_width=0.9)
    out += circle(cx + 6.2, cy + 5, 1.1, fill="GLYPH")
    return out
