"""The keyboard help of the main window: the key scheme, the small keyboard that opens the
help, the help's close button and the key labels laid over the kit's pieces.

A key that plays a piece is an ivory keycap with a navy letter, in the scheme and over the
kit alike, so the eye links each label to its key; keys that play nothing are dark. On the
scheme every playing key also shows a small picture of its piece, numbered where the kit has
more than one of a kind (rack toms, floor toms, cymbals, attack cymbals).
"""

import palette as pal
from buttons import button, cross
from glyphs import Text
from skin import close_face
from svg import Drawing, circle, ellipse, group, line, n, path, poly, rect

# Each piece of the kit that keys play: its keys (the first one is the "1" label, the second
# the "2" label), its picture on the scheme and its number among pieces of its kind.
PIECES = {
    "Caixa": (("A", "S"), "snare", None),
    "Aro": (("Z",), "rim", None),
    "Chimbal": (("X", "D"), "hihat", None),
    "Tom1": (("C", "F"), "tom", 1),
    "Tom2": (("V", "G"), "tom", 2),
    "Surdo1": (("B", "H"), "floor", 1),
    "Surdo2": (("N", "J"), "floor", 2),
    "Prato1": (("E",), "cymbal", 1),
    "Prato2": (("Y",), "cymbal", 2),
    "Prato3": (("O",), "cymbal", 3),
    "Ataque1": (("R",), "attack", 1),
    "Ataque2": (("K",), "attack", 2),
    "Bombo": (("Space",), "bass", None),
    "PedalChimbal": (("Ctrl",), "pedal", None),
}
KEY_PIECE = {key: (kind, number) for keys, kind, number in PIECES.values() for key in keys}


# ---------------------------------------------------------------------------------------------
# Keycaps


def keycap(d, x, y, w, h, label, lit=True, size=None, shadow=True, letter_at=None):
    """A keycap filling x, y, w, h: a skirt, a dished top and the key's name on it.
    letter_at: where the name's ink is centred, when not on the middle of the top."""
    out = ""
    key = "Lit" if lit else "Dim"
    if shadow:
        out += rect(x + 0.6, y + 1.4, w, h, rx=4.5, fill="#000000", opacity=0.55)
    side = d.linear(f"capSide{key}{n(y)}-{n(h)}".replace(".", "_"), 0, y, 0, y + h,
                    pal.CAP_SIDE if lit else pal.CAP_DIM_SIDE)
    out += rect(x + 0.5, y + 0.5, w - 1, h - 1, rx=4, fill=side,
                stroke="#0a0c14" if lit else "#05060a", stroke_width=1)
    tx, ty, tw, th = x + 2.6, y + 1.6, w - 5.2, h - 5.6
    top = d.linear(f"capTop{key}{n(ty)}-{n(th)}".replace(".", "_"), 0, ty, 0, ty + th,
                   pal.CAP_TOP if lit else pal.CAP_DIM_TOP)
    out += rect(tx, ty, tw, th, rx=3, fill=top, stroke="#ffffff" if lit else "#59617a",
                stroke_opacity=0.7 if lit else 0.5, stroke_width=0.6)
    if label:
        size = size or (15 if len(label) == 1 else 11)
        text = Text(label, size)
        cx, cy = letter_at or (tx + tw / 2, ty + th / 2)
        out += path(text.centred(cx, cy), fill=pal.CAP_LETTER if lit else "#8a93ab")
    return out


# ---------------------------------------------------------------------------------------------
# Small pictures of the pieces, about 16 x 13, centred on cx, cy


def _drum(d, cx, cy, w, shell_h, legs=False):
    rx, ry = w / 2, w * 0.2
    top = cy - shell_h / 2 + ry / 2
    shell = d.linear(f"miniShell{n(w)}", cx - rx, 0, cx + rx, 0, pal.SHELL)
    chrome = d.linear(f"miniChrome{n(w)}", cx - rx, 0, cx + rx, 0, pal.CHROME)
    out = ""
    if legs:
        out += line(cx - rx + 1.2, top + shell_h - 2, cx - rx - 0.6, top + shell_h + 3,
                    stroke="#9aa1ad", stroke_width=0.9)
        out += line(cx + rx - 1.2, top + shell_h - 2, cx + rx + 0.6, top + shell_h + 3,
                    stroke="#9aa1ad", stroke_width=0.9)
    out += path(f"M{n(cx - rx)},{n(top)} V{n(top + shell_h)} A{n(rx)},{n(ry)} 0 0 0 "
                f"{n(cx + rx)},{n(top + shell_h)} V{n(top)} Z", fill=shell, stroke="#1a0205",
                stroke_width=0.5)
    out += path(f"M{n(cx - rx)},{n(top + shell_h)} A{n(rx)},{n(ry)} 0 0 0 {n(cx + rx)},"
                f"{n(top + shell_h)}", fill="none", stroke=chrome, stroke_width=1)
    out += ellipse(cx, top, rx, ry, fill="#e9e3d5", stroke=chrome, stroke_width=1)
    return out


def _cymbal(d, cx, cy, w, tilt=-8):
    bronze = d.radial(f"miniBronze{n(w)}", 0, 0, w / 2, pal.BRONZE,
                      transform="scale(1 0.32)")
    body = (ellipse(0, 0, w / 2, w * 0.16, fill=bronze, stroke="#4a2e0c", stroke_width=0.5)
            + ellipse(0, -0.4, w * 0.12, w * 0.07, fill="#fbe3a8", stroke="#7e561a",
                      stroke_width=0.4))
    return group(body, transform=f"translate({n(cx)} {n(cy)}) rotate({tilt})")


def piece_picture(d, kind, cx, cy):
    if kind == "snare":
        return _drum(d, cx, cy, 15, 5)
    if kind == "rim":
        wood = d.linear("miniStick", 0, -1, 0, 1, pal.WOOD)
        stick = group(rect(-9, -0.9, 17, 1.8, rx=0.9, fill=wood, stroke="#3a2410",
                           stroke_width=0.3),
                      transform=f"translate({n(cx)} {n(cy - 2.6)}) rotate(-14)")
        return _drum(d, cx, cy + 1, 15, 5) + stick
    if kind == "tom":
        # a rack tom hangs from an arm
        arm = line(cx - 1, cy - 3, cx - 7, cy - 7, stroke="#9aa1ad", stroke_width=1)
        return arm + _drum(d, cx + 1, cy, 11, 7)
    if kind == "floor":
        return _drum(d, cx, cy - 1.6, 13, 9, legs=True)
    if kind == "cymbal":
        return line(cx, cy, cx, cy + 7, stroke="#9aa1ad", stroke_width=0.9) + \
            _cymbal(d, cx, cy, 18)
    if kind == "attack":
        return line(cx, cy, cx, cy + 7, stroke="#9aa1ad", stroke_width=0.9) + \
            _cymbal(d, cx, cy, 12, tilt=10)
    if kind in ("hihat", "pedal"):
        out = line(cx, cy - 5, cx, cy + 7, stroke="#9aa1ad", stroke_width=0.9)
        out += _cymbal(d, cx, cy - 2.6, 15, tilt=0) + _cymbal(d, cx, cy + 1.2, 15, tilt=0)
        if kind == "pedal":
            out += path(poly([(cx - 2.4, cy + 5), (cx + 2.4, cy + 5), (cx + 3.4, cy + 9),
                              (cx - 3.4, cy + 9)]), fill="#9aa1ad", stroke="#30343d",
                        stroke_width=0.4)
        return out
    if kind == "bass":
        # the bass drum from the front: shell ring, head, spurs and the pedal's beater
        shell = d.linear("miniBass", cx - 9, 0, cx + 9, 0, pal.SHELL)
        out = line(cx - 6, cy + 5, cx - 10, cy + 9.5, stroke="#9aa1ad", stroke_width=1.1)
        out += line(cx + 6, cy + 5, cx + 10, cy + 9.5, stroke="#9aa1ad", stroke_width=1.1)
        out += circle(cx, cy, 9, fill=shell, stroke="#1a0205", stroke_width=0.5)
        out += circle(cx, cy, 6.6, fill="#e9e3d5", stroke="#9aa1ad", stroke_width=1)
        out += line(cx, cy + 9.6, cx, cy + 3, stroke="#9aa1ad", stroke_width=1)
        out += circle(cx, cy + 3, 1.6, fill="#ffffff", stroke="#6a6558", stroke_width=0.4)
        return out
    raise ValueError(kind)


def number_badge(d, number, cx, cy):
    text = Text(str(number), 7.5)
    return (circle(cx, cy, 4.2, fill=pal.CAP_LETTER)
            + path(text.centred(cx, cy), fill="#ffffff"))


# ---------------------------------------------------------------------------------------------
# The key scheme: the left part of a keyboard, up to O and K, with the keys' stagger kept and
# the leading Tab, Caps Lock and Shift keys shortened to fit.

UNIT = 31
ROWS = [
    # (row's top in units, leading key and its width in units, letters)
    (0, ("Tab", 1.0), "QWERTYUIO"),
    (1, ("Caps", 1.25), "ASDFGHJK"),
    (2, ("Shift", 1.75), "ZXCVBN"),
]
BOTTOM_ROW = [("Ctrl", 1.5), ("", 1.25), ("Alt", 1.25), ("Space", 6.0)]


def scheme_keys():
    """Every key of the scheme: (name, left, top, width, height) in units."""
    keys = []
    for row, (lead, lead_w), letters in ROWS:
        keys.append((lead, 0, row, lead_w, 1))
        for i, ch in enumerate(letters):
            keys.append((ch, lead_w + i, row, 1, 1))
    x = 0
    for name, w in BOTTOM_ROW:
        keys.append((name, x, 3, w, 1))
        x += w
    return keys


def key_scheme():
    W, H = 323, 137
    d = Drawing("imgTecladoEsquema", W, H, "Key scheme of the keyboard help: which key plays "
                "which piece of the kit.")
    body = d.linear("kbBody", 0, 0, 0, H, [(0, "#3a4152"), (0.08, "#232838"), (1, "#11141d")])
    d.add(rect(0.5, 0.5, W - 1, H - 1, rx=8, fill=body, stroke="#000000"))
    d.add(rect(1.5, 1.5, W - 3, H - 3, rx=7, fill="none", stroke="#9aa1ad", stroke_opacity=0.35))
    ox, oy = (W - 10 * UNIT) / 2, (H - 4 * UNIT) / 2
    for name, kx, ky, kw, kh in scheme_keys():
        x, y = ox + kx * UNIT + 1, oy + ky * UNIT + 1
        w, h = kw * UNIT - 2, kh * UNIT - 2
        piece = KEY_PIECE.get(name)
        if not piece:
            size = 12 if len(name) == 1 else 8
            d.add(keycap(d, x, y, w, h, name, lit=False, size=size, shadow=False))
            continue
        kind, number = piece
        if len(name) == 1:
            d.add(keycap(d, x, y, w, h, name, size=11, shadow=False,
                         letter_at=(x + 8.4, y + 8.4)))
            d.add(piece_picture(d, kind, x + w / 2 + 0.5, y + h - 8.6))
            if number:
                d.add(number_badge(d, number, x + w - 7.6, y + 7.6))
        else:
            d.add(keycap(d, x, y, w, h, name, size=10, shadow=False,
                         letter_at=(x + w / 2 - (8 if name == "Ctrl" else 14), y + h / 2 - 1.4)))
            px = x + w / 2 + (12 if name == "Ctrl" else 26)
            d.add(piece_picture(d, kind, px, y + h / 2 - 1.4))
    return d


# ---------------------------------------------------------------------------------------------
# The small keyboard that opens the help


def small_keyboard():
    W, H = 90, 41
    d = Drawing("imgTecladoPequeno", W, H, "Small keyboard: a click opens the keyboard help.")
    d.add(rect(1.5, 3.5, W - 2, H - 4, rx=5, fill="#000000", opacity=0.45))
    body = d.linear("smallBody", 0, 0, 0, H, [(0, "#4a5266"), (0.12, "#262c3c"), (1, "#10131b")])
    d.add(rect(0.5, 1.5, W - 2, H - 3, rx=5, fill=body, stroke="#000000"))
    d.add(rect(1.5, 2.5, W - 4, H - 5, rx=4, fill="none", stroke="#9aa1ad", stroke_opacity=0.4))
    lit_keys = {(1, 0), (1, 1), (2, 1), (0, 2), (2, 3), (1, 5)}
    pitch, size = 7.4, 6.2
    for row, (offset, count) in enumerate(((0, 11), (1.8, 10), (3.6, 8))):
        for i in range(count):
            x, y = 5 + offset + i * pitch, 5.5 + row * pitch
            lit = (row, i) in lit_keys
            fill = "#f4f0e6" if lit else "#3d4456"
            d.add(rect(x, y + 0.8, size, size, rx=1.2, fill="#07080a"))
            d.add(rect(x, y, size, size, rx=1.2, fill=fill, stroke="#07080a",
                       stroke_width=0.5))
            if lit:
                d.add(rect(x + 1.6, y + 1.6, 3, 1.4, rx=0.5, fill=pal.CAP_LETTER))
    # the space bar, lit: it plays the bass drum
    d.add(rect(21, 28.3, 38, 6, rx=1.2, fill="#07080a"))
    d.add(rect(21, 27.5, 38, 6, rx=1.2, fill="#f4f0e6", stroke="#07080a", stroke_width=0.5))
    d.add(rect(8.6, 27.5, 9.4, 6, rx=1.2, fill="#3d4456", stroke="#07080a", stroke_width=0.5))
    # a question mark: this opens help
    d.add(circle(76.5, 31, 7.2, fill="#000000", opacity=0.5))
    amber = d.linear("smallBadge", 0, 23, 0, 38, pal.GLYPH_UP)
    d.add(circle(76, 30, 7.2, fill=amber, stroke="#07080a", stroke_width=0.8))
    d.add(path(Text("?", 11).centred(76, 30.2), fill=pal.CAP_LETTER))
    return d


# ---------------------------------------------------------------------------------------------
# Key labels over the kit: (picture, key, size)


def label_list():
    labels = [("imgTeclaPedalChimbal", "Ctrl", (45, 32)), ("imgTeclaBombo", "Space", (131, 31)),
              ("imgTeclaAro", "Z", (31, 32))]
    for piece, (keys, _, _) in PIECES.items():
        if piece in ("PedalChimbal", "Bombo", "Aro"):
            continue
        if len(keys) == 2:
            labels += [(f"imgTecla1{piece}", keys[0], (31, 31)),
                       (f"imgTecla2{piece}", keys[1], (31, 31))]
        else:
            labels.append((f"imgTecla{piece}", keys[0], (31, 31)))
    return labels


def key_label(name, key, size):
    w, h = size
    d = Drawing(name, w, h, f"Key label {key} of the keyboard help, laid over the kit.")
    # a dark halo first, so the cap stays clear over bronze and chrome alike
    d.add(rect(0, 0, w - 1, h - 1, rx=5.5, fill="#000000", opacity=0.35))
    d.add(keycap(d, 1, 1, w - 3, 29 - 1, key, size=15 if len(key) == 1 else 12.5))
    return d


def help_close(pressed):
    kw = close_face()
    # the key is one pixel shorter than its picture: the panel that holds the button is
    # 24 pixels high and cuts its last row
    return button("imgFecharAjuda" + ("2" if pressed else ""), 25, 25, pressed,
                  "Close button of the keyboard help.", lambda d: cross(12.5, 12),
                  face_h=24, **kw)


def pictures():
    out = [key_scheme(), small_keyboard(), help_close(False), help_close(True)]
    out += [key_label(*entry) for entry in label_list()]
    return out
