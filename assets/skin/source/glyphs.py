"""Letters as SVG path data, read from the outlines of a TrueType font file.

The artwork's words and key letters are drawn as paths rather than SVG text, so that the
pictures look the same on every machine whatever fonts it has, and Qt's SVG renderer never
has to pick a font. Only what the drawings need is read: the character map (format 4), the
horizontal advances and the glyph outlines, simple and composite. No kerning and no hinting.

The outlines come from the DejaVu fonts (Bitstream Vera licence, which lets artwork use
them); the generator is run by hand on a machine that has them, and its output, paths
only, is what the repository keeps.
"""

import struct

from svg import n

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
SANS_BOLD = f"{FONT_DIR}/DejaVuSans-Bold.ttf"
SANS_CONDENSED_BOLD = f"{FONT_DIR}/DejaVuSansCondensed-Bold.ttf"


class Font:
    """One TrueType font file, parsed once."""

    def __init__(self, file_name):
        with open(file_name, "rb") as f:
            self.data = f.read()
        d = self.data
        num_tables = struct.unpack_from(">H", d, 4)[0]
        self.tables = {}
        for i in range(num_tables):
            tag, _, offset, length = struct.unpack_from(">4sIII", d, 12 + 16 * i)
            self.tables[tag.decode("latin-1")] = (offset, length)
        head = self.tables["head"][0]
        self.units_per_em = struct.unpack_from(">H", d, head + 18)[0]
        self.long_loca = struct.unpack_from(">h", d, head + 50)[0] == 1
        self.num_glyphs = struct.unpack_from(">H", d, self.tables["maxp"][0] + 4)[0]
        self.num_metrics = struct.unpack_from(">H", d, self.tables["hhea"][0] + 34)[0]
        self.cmap = self._read_cmap()
        self._outlines = {}

    def _read_cmap(self):
        d = self.data
        base = self.tables["cmap"][0]
        count = struct.unpack_from(">H", d, base + 2)[0]
        for i in range(count):
            platform, encoding, offset = struct.unpack_from(">HHI", d, base + 4 + 8 * i)
            if (platform, encoding) in ((3, 1), (0, 3)):
                sub = base + offset
                if struct.unpack_from(">H", d, sub)[0] == 4:
                    return self._read_format4(sub)
        raise ValueError("no Unicode character map of format 4")

    def _read_format4(self, sub):
        d = self.data
        seg_count = struct.unpack_from(">H", d, sub + 6)[0] // 2
        ends = struct.unpack_from(f">{seg_count}H", d, sub + 14)
        starts_at = sub + 16 + 2 * seg_count
        starts = struct.unpack_from(f">{seg_count}H", d, starts_at)
        deltas = struct.unpack_from(f">{seg_count}h", d, starts_at + 2 * seg_count)
        ranges_at = starts_at + 4 * seg_count
        ranges = struct.unpack_from(f">{seg_count}H", d, ranges_at)
        cmap = {}
        for s in range(seg_count):
            for code in range(starts[s], ends[s] + 1):
                if code == 0xFFFF:
                    continue
                if ranges[s] == 0:
                    glyph = (code + deltas[s]) & 0xFFFF
                else:
                    at = ranges_at + 2 * s + ranges[s] + 2 * (code - starts[s])
                    glyph = struct.unpack_from(">H", d, at)[0]
                    if glyph:
                        glyph = (glyph + deltas[s]) & 0xFFFF
                if glyph:
                    cmap[code] = glyph
        return cmap

    def advance(self, glyph):
        """The glyph's advance width, in font units."""
        hmtx = self.tables["hmtx"][0]
        return struct.unpack_from(">H", self.data, hmtx + 4 * min(glyph, self.num_metrics - 1))[0]

    def _glyph_range(self, glyph):
        loca = self.tables["loca"][0]
        if self.long_loca:
            a, b = struct.unpack_from(">II", self.data, loca + 4 * glyph)
        else:
            a, b = (2 * v for v in struct.unpack_from(">HH", self.data, loca + 2 * glyph))
        return self.tables["glyf"][0] + a, b - a

    def contours(self, glyph):
        """The glyph's closed contours: lists of (x, y, on_curve) in font units, y upward."""
        if glyph not in self._outlines:
            self._outlines[glyph] = self._read_glyph(glyph)
        return self._outlines[glyph]

    def _read_glyph(self, glyph):
        d = self.data
        at, length = self._glyph_range(glyph)
        if length == 0:
            return []
        count = struct.unpack_from(">h", d, at)[0]
        if count < 0:
            return self._read_composite(at + 10)
        ends = struct.unpack_from(f">{count}H", d, at + 10)
        points = ends[-1] + 1 if count else 0
        p = at + 10 + 2 * count
        p += 2 + struct.unpack_from(">H", d, p)[0]  # skip the hinting instructions
        flags = []
        while len(flags) < points:
            flag = d[p]
            p += 1
            repeat = 0
            if flag & 8:
                repeat = d[p]
                p += 1
            flags.extend([flag] * (repeat + 1))

        def coords(short_bit, same_bit):
            nonlocal p
            values, v = [], 0
            for flag in flags:
                if flag & short_bit:
                    delta = d[p]
                    p += 1
                    v += delta if flag & same_bit else -delta
                elif not flag & same_bit:
                    v += struct.unpack_from(">h", d, p)[0]
                    p += 2
                values.append(v)
            return values

        xs = coords(2, 16)
        ys = coords(4, 32)
        out, first = [], 0
        for end in ends:
            out.append([(xs[i], ys[i], bool(flags[i] & 1)) for i in range(first, end + 1)])
            first = end + 1
        return out

    def _read_composite(self, p):
        d = self.data
        out = []
        while True:
            flags, glyph = struct.unpack_from(">HH", d, p)
            p += 4
            if flags & 1:
                a, b = struct.unpack_from(">hh" if flags & 2 else ">HH", d, p)
                p += 4
            else:
                a, b = struct.unpack_from(">bb" if flags & 2 else ">BB", d, p)
                p += 2
            if not flags & 2:
                raise ValueError("composite glyphs placed by point numbers are not read")
            xx, xy, yx, yy = 1.0, 0.0, 0.0, 1.0
            if flags & 8:
                xx = yy = struct.unpack_from(">h", d, p)[0] / 16384
                p += 2
            elif flags & 0x40:
                xx, yy = (v / 16384 for v in struct.unpack_from(">hh", d, p))
                p += 4
            elif flags & 0x80:
                xx, xy, yx, yy = (v / 16384 for v in struct.unpack_from(">hhhh", d, p))
                p += 8
            for contour in self.contours(glyph):
                out.append([(x * xx + y * yx + a, x * xy + y * yy + b, on)
                            for x, y, on in contour])
            if not flags & 0x20:
                return out

    def glyph(self, char):
        try:
            return self.cmap[ord(char)]
        except KeyError:
            raise ValueError(f"the font has no glyph for {char!r}") from None


_FONTS = {}


def font(file_name=SANS_BOLD):
    if file_name not in _FONTS:
        _FONTS[file_name] = Font(file_name)
    return _FONTS[file_name]


class Text:
    """A line of text laid out at a size, with its path data and its ink bounds."""

    def __init__(self, text, size, file_name=SANS_BOLD, spacing=0.0):
        f = font(file_name)
        scale = size / f.units_per_em
        self.parts = []  # (pen x in pixels, glyph)
        pen = 0.0
        for i, ch in enumerate(text):
            g = f.glyph(ch)
            self.parts.append((pen, g))
            pen += f.advance(g) * scale + (spacing if i < len(text) - 1 else 0)
        self.advance = pen
        self.font, self.scale = f, scale
        xs, ys = [], []
        for x0, g in self.parts:
            for contour in f.contours(g):
                for x, y, _ in contour:
                    xs.append(x0 + x * scale)
                    ys.append(-y * scale)
        # Ink bounds relative to the pen start on the baseline, y downward. Off-curve points
        # bound the curves, so this is a box that surely holds the ink, a hair generous.
        self.ink = (min(xs), min(ys), max(xs), max(ys)) if xs else (0, 0, 0, 0)

    def path(self, x, y):
        """Path data with the pen starting at x on the baseline y (pixels, y downward)."""
        out = []
        for x0, g in self.parts:
            for contour in self.font.contours(g):
                pts = [(x + x0 + px * self.scale, y - py * self.scale, on)
                       for px, py, on in contour]
                out.append(_contour_path(pts))
        return " ".join(out)

    def centred(self, cx, cy):
        """Path data with the ink's box centred on cx, cy."""
        x0, y0, x1, y1 = self.ink
        return self.path(cx - (x0 + x1) / 2, cy - (y0 + y1) / 2)


def _contour_path(pts):
    """A closed quadratic contour: between two off-curve points lies an implied on-curve one."""
    start = next((i for i, p in enumerate(pts) if p[2]), None)
    if start is None:  # all off-curve: begin at the midpoint of the first two
        a, b = pts[0], pts[1]
        pts = [((a[0] + b[0]) / 2, (a[1] + b[1]) / 2, True)] + pts[1:] + pts[:1]
        start = 0
    pts = pts[start:] + pts[:start]
    d = [f"M{n(pts[0][0])},{n(pts[0][1])}"]
    ctrl = None
    for px, py, on in pts[1:] + pts[:1]:
        if on:
            if ctrl:
                d.append(f"Q{n(ctrl[0])},{n(ctrl[1])} {n(px)},{n(py)}")
                ctrl = None
            else:
                d.append(f"L{n(px)},{n(py)}")
        else:
            if ctrl:
                mx, my = (ctrl[0] + px) / 2, (ctrl[1] + py) / 2
                d.append(f"Q{n(ctrl[0])},{n(ctrl[1])} {n(mx)},{n(my)}")
            ctrl = (px, py)
    return "".join(d) + "Z"
