#!/usr/bin/env python3
"""Writes the toolbar button pictures, one SVG file per button key, and lists them in
resources/tagloom.qrc.

Every picture is a rounded tile coloured by the button's family with a white glyph on it: the
tag's or statement's short name for HTML and ASP buttons, a small drawing for the others. The
labels are placed with DejaVu Sans metrics read from the installed font files, so each label is
centred on its ink and squeezed sideways just enough to fit the tile; QtSvg then draws them with
the same font.

Run from anywhere: python3 resources/icons/make-icons.py
"""

import os
import re
import struct
import sys
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
QRC = os.path.join(HERE, "..", "tagloom.qrc")
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

# Tile colours by family: fill, then a darker edge.
FAMILIES = {
    "tools": ("#4A6274", "#33444F"),   # files, pages, editing, navigation, helpers
    "text": ("#1E5FC0", "#154486"),    # character and paragraph formatting
    "struct": ("#2E7D32", "#1F5722"),  # document head, lists, blocks, tables, frames
    "media": ("#C7511A", "#8E3A12"),   # pictures, sound, video, links and anchors
    "form": ("#7B3FA3", "#572C74"),    # forms and their controls
    "asp": ("#B0282E", "#7D1C20"),     # ASP delimiters, VBScript statements, ASP objects
    "data": ("#00796B", "#00554B"),    # database files, connections, recordsets
}

W = "#FFFFFF"


class Font:
    """Just enough of a TrueType file: advance widths and glyph bounding boxes."""

    def __init__(self, name):
        data = open(os.path.join(FONT_DIR, name), "rb").read()
        self.data = data
        count = struct.unpack(">H", data[4:6])[0]
        tables = {}
        for i in range(count):
            tag, _, off, length = struct.unpack(">4sIII", data[12 + 16 * i:28 + 16 * i])
            tables[tag.decode("latin-1")] = off
        head, hhea, maxp = tables["head"], tables["hhea"], tables["maxp"]
        self.upm = self.u16(head + 18)
        long_loca = struct.unpack(">h", data[head + 50:head + 52])[0] == 1
        metrics = self.u16(hhea + 34)
        glyphs = self.u16(maxp + 4)
        hmtx = tables["hmtx"]
        self.advance = [self.u16(hmtx + 4 * min(g, metrics - 1)) for g in range(glyphs)]
        loca, glyf = tables["loca"], tables["glyf"]
        if long_loca:
            offsets = [struct.unpack(">I", data[loca + 4 * g:loca + 4 * g + 4])[0]
                       for g in range(glyphs + 1)]
        else:
            offsets = [2 * self.u16(loca + 2 * g) for g in range(glyphs + 1)]
        self.bbox = []
        for g in range(glyphs):
            if offsets[g + 1] == offsets[g]:
                self.bbox.append(None)
            else:
                at = glyf + offsets[g]
                self.bbox.append(struct.unpack(">hhhh", data[at + 2:at + 10]))
        self.cmap = self.read_cmap(tables["cmap"])

    def u16(self, at):
        return struct.unpack(">H", self.data[at:at + 2])[0]

    def read_cmap(self, cmap):
        for i in range(self.u16(cmap + 2)):
            platform, encoding, off = struct.unpack(">HHI", self.data[cmap + 4 + 8 * i:cmap + 12 + 8 * i])
            sub = cmap + off
            if platform == 3 and encoding == 1 and self.u16(sub) == 4:
                break
        else:
            raise SystemExit("no Unicode BMP cmap")
        segs = self.u16(sub + 6) // 2
        ends = sub + 14
        starts = ends + 2 * segs + 2
        deltas = starts + 2 * segs
        ranges = deltas + 2 * segs

        def lookup(c):
            for i in range(segs):
                if self.u16(ends + 2 * i) >= c:
                    start = self.u16(starts + 2 * i)
                    if start > c:
                        return 0
                    delta = self.u16(deltas + 2 * i)
                    rng = self.u16(ranges + 2 * i)
                    if rng == 0:
                        return (c + delta) & 0xFFFF
                    g = self.u16(ranges + 2 * i + rng + 2 * (c - start))
                    return (g + delta) & 0xFFFF if g else 0
            return 0
        return lookup

    def ink(self, text):
        """Ink box (left, bottom, right, top) of text in font units, y upwards."""
        pen, box = 0, None
        for ch in text:
            g = self.cmap(ord(ch))
            if g == 0:
                raise SystemExit(f"the font has no glyph for {ch!r}")
            b = self.bbox[g]
            if b:
                x0, y0, x1, y1 = pen + b[0], b[1], pen + b[2], b[3]
                box = (x0, y0, x1, y1) if box is None else (
                    min(box[0], x0), min(box[1], y0), max(box[2], x1), max(box[3], y1))
            pen += self.advance[g]
        return box


FONTS = {
    "sans": ("DejaVu Sans", "normal", Font("DejaVuSans-Bold.ttf")),
    "italic": ("DejaVu Sans", "italic", Font("DejaVuSans-BoldOblique.ttf")),
    "mono": ("DejaVu Sans Mono", "normal", Font("DejaVuSansMono-Bold.ttf")),
}


def n(v):
    return f"{v:.2f}".rstrip("0").rstrip(".")


def text(label, font="sans", height=None, box=(2.5, 2.5, 21.5, 21.5), fill=W, squeeze=None):
    """A bold label centred on its ink inside box. height is the wanted height of a capital
    letter; long labels are squeezed sideways down to squeeze, then made smaller."""
    family, style, f = FONTS[font]
    if height is None:
        height = {1: 13.5, 2: 12.5, 3: 10.5}.get(len(label), 10.0)
    if squeeze is None:
        squeeze = 0.62 if len(label) <= 3 else 0.55
    size = height / 0.729  # DejaVu's capital height is 0.729 of the em
    x0, y0, x1, y1 = f.ink(label)
    width = (x1 - x0) * size / f.upm
    room = box[2] - box[0]
    sx = min(1.0, room / width)
    if sx < squeeze:
        size *= sx / squeeze
        sx = squeeze
    k = size / f.upm
    cx, cy = (box[0] + box[2]) / 2, (box[1] + box[3]) / 2
    tx = cx - (x0 + x1) / 2 * k * sx
    ty = cy + (y0 + y1) / 2 * k
    scale = "" if sx == 1.0 else f" scale({n(sx)},1)"
    style_attr = ' font-style="italic"' if style == "italic" else ""
    return (f'<text transform="translate({n(tx)},{n(ty)}){scale}" font-family="{family}" '
            f'font-weight="bold"{style_attr} font-size="{n(size)}" fill="{fill}">'
            f"{escape(label)}</text>")


def tile(family):
    fill, edge = FAMILIES[family]
    return f'<rect x="1" y="1" width="22" height="22" rx="4" fill="{fill}" stroke="{edge}"/>'


def line(points, width=2.0, colour=W, cap="round"):
    d = "M" + " L".join(f"{n(x)},{n(y)}" for x, y in points)
    return (f'<path d="{d}" fill="none" stroke="{colour}" stroke-width="{n(width)}" '
            f'stroke-linecap="{cap}" stroke-linejoin="round"/>')


def poly(points, colour=W):
    return f'<path d="M{" L".join(f"{n(x)},{n(y)}" for x, y in points)} Z" fill="{colour}"/>'


def path(d, fill=W, stroke=None, width=2.0):
    s = f' stroke="{stroke}" stroke-width="{n(width)}" stroke-linecap="round" stroke-linejoin="round"' if stroke else ""
    return f'<path d="{d}" fill="{fill}"{s}/>'


def rect(x, y, w, h, fill=W, rx=0, stroke=None, width=2.0):
    r = f' rx="{n(rx)}"' if rx else ""
    s = f' stroke="{stroke}" stroke-width="{n(width)}"' if stroke else ""
    return f'<rect x="{n(x)}" y="{n(y)}" width="{n(w)}" height="{n(h)}"{r} fill="{fill}"{s}/>'


def circle(cx, cy, r, fill=W, stroke=None, width=2.0):
    s = f' stroke="{stroke}" stroke-width="{n(width)}"' if stroke else ""
    return f'<circle cx="{n(cx)}" cy="{n(cy)}" r="{n(r)}" fill="{fill}"{s}/>'


# Drawings. Each takes the tile colour (for cut-outs in white shapes) and returns SVG elements.

def page(x, y, w, h, fold=4):
    return path(f"M{x},{y} h{w - fold} l{fold},{fold} v{h - fold} h{-w} Z")


def d_new(c):
    return (page(5, 3, 13, 18) + line([(11.5, 10), (11.5, 17)], 2.4, c)
            + line([(8, 13.5), (15, 13.5)], 2.4, c))


def d_open(c):
    return (path("M3,6 h6 l2,2 h9 v3 H7 L3,20 Z")
            + path("M7,12 H22 L18,20 H3 Z", stroke=c, width=1.0))


def d_save(c):
    return (rect(4, 4, 16, 16, rx=2) + rect(8, 4, 8, 5.5, c) + rect(12.5, 5, 2, 3.5)
            + rect(7, 12.5, 10, 7.5, c) + line([(9, 15.5), (15, 15.5)], 1.2))


def d_cut(c):
    return (line([(9.5, 14.5), (16.5, 3.5)], 2.2) + line([(14.5, 14.5), (7.5, 3.5)], 2.2)
            + circle(7.5, 17.5, 3, "none", W, 2.2) + circle(16.5, 17.5, 3, "none", W, 2.2))


def d_copy(c):
    return (rect(4, 3.5, 10, 12, "none", 1, W, 2) + rect(10, 8.5, 10, 12, W, 1)
            + line([(12.5, 12.5), (17.5, 12.5)], 1.3, c) + line([(12.5, 15.5), (17.5, 15.5)], 1.3, c))


def d_paste(c):
    return (rect(5, 5, 14, 16, W, 1.5) + rect(8.5, 3, 7, 4.5, c, 1, W, 1.5)
            + line([(8, 11.5), (16, 11.5)], 1.5, c) + line([(8, 14.5), (16, 14.5)], 1.5, c)
            + line([(8, 17.5), (13, 17.5)], 1.5, c))


def d_undo(c):
    return path("M8.5,9 H14 A5,5 0 0 1 14,19 H8", "none", W, 2.6) + poly([(3, 9), (9, 4), (9, 14)])


def d_find(c, inner=None):
    out = circle(10, 10, 6, "none", W, 2.6) + line([(14.5, 14.5), (20, 20)], 3.6)
    if inner:
        out += text(inner, height=6.5, box=(6, 6, 14, 14))
    return out


def d_keyboard(c):
    out = rect(2, 6.5, 20, 12, W, 2)
    for y in (8.7, 11.7):
        for x in (4.3, 7.8, 11.3, 14.8, 18.3):
            out += rect(x - 1.1, y, 2.2, 2, c)
    return out + rect(7, 15, 10, 1.8, c)


def d_top(c):
    return line([(5, 4.5), (19, 4.5)], 2.6) + line([(12, 20), (12, 11)], 2.8) + poly([(12, 7), (6.5, 13), (17.5, 13)])


def d_bottom(c):
    return line([(5, 19.5), (19, 19.5)], 2.6) + line([(12, 4), (12, 13)], 2.8) + poly([(12, 17), (6.5, 11), (17.5, 11)])


def d_middle(c):
    return (line([(4, 12), (20, 12)], 2.6) + line([(12, 3), (12, 6)], 2.6)
            + poly([(12, 10), (8, 5.5), (16, 5.5)]) + line([(12, 21), (12, 18)], 2.6)
            + poly([(12, 14), (8, 18.5), (16, 18.5)]))


def d_newline(c):
    return path("M18,4.5 V12 A2.5,2.5 0 0 1 15.5,14.5 H9", "none", W, 2.8) + poly([(3.5, 14.5), (9.5, 9), (9.5, 20)])


def d_stamp(c):
    return (circle(12, 5.5, 3.2) + rect(10.5, 7.5, 3, 5) + rect(4.5, 12, 15, 4.5, W, 1.2)
            + rect(4.5, 18.5, 15, 2, W, 0.8))


def d_jump(c):
    return (line([(11, 5.5), (20, 5.5)], 2.2) + rect(10, 10, 11, 4, W, 1) + line([(11, 18.5), (20, 18.5)], 2.2)
            + line([(3, 12), (5.5, 12)], 2.6) + poly([(9, 12), (4.5, 7.5), (4.5, 16.5)]))


def d_palette(c):
    return (circle(8, 8, 4.3, "#F44336", W, 1.2) + circle(16, 8, 4.3, "#FFD600", W, 1.2)
            + circle(8, 16, 4.3, "#43A047", W, 1.2) + circle(16, 16, 4.3, "#2196F3", W, 1.2))


def d_picture(c):
    return (rect(2.5, 4.5, 19, 15, W, 1.5) + poly([(4.5, 17.5), (9.5, 10), (13, 14.5), (15.5, 12), (19.5, 17.5)], c)
            + circle(16, 8.5, 2, c))


def d_previous(c):
    return page(10, 3.5, 11, 17) + poly([(2, 12), (8.5, 6), (8.5, 18)])


def d_next(c):
    return page(3, 3.5, 11, 17) + poly([(22, 12), (15.5, 6), (15.5, 18)])


def d_clear_pages(c):
    return (path("M4,3 h8 l3,3", "none", W, 1.6) + line([(4, 3), (4, 17)], 1.6) + page(7, 6, 13, 15)
            + line([(10, 11), (16, 17)], 2.4, "#D32F2F") + line([(16, 11), (10, 17)], 2.4, "#D32F2F"))


def d_file_list(c):
    out = ""
    for y in (5.5, 12, 18.5):
        out += rect(3.5, y - 2.5, 4.5, 5, W, 0.8) + line([(10.5, y), (20, y)], 2.4)
    return out


def d_chain(c):
    g = '<g transform="rotate(-45,12,12)">'
    return (g + rect(2.5, 8.5, 11, 7, "none", 3.5, W, 2.4) + rect(10.5, 8.5, 11, 7, "none", 3.5, W, 2.4) + "</g>")


def d_notepad(c):
    return (rect(3.5, 3, 12, 18, W, 1.2) + line([(6, 7), (13, 7)], 1.4, c) + line([(6, 10.5), (13, 10.5)], 1.4, c)
            + line([(6, 14), (10, 14)], 1.4, c)
            + line([(20.5, 8), (12.5, 16)], 3.8, c, "butt") + line([(20, 8.5), (13, 15.5)], 2.4, "#FFC400", "butt")
            + poly([(12.2, 16.3), (11, 19.5), (14.2, 18.3)], W))


def d_globe(c):
    return (circle(12, 12, 8.5, "none", W, 2) + path("M12,3.5 C7,7 7,17 12,20.5 C17,17 17,7 12,3.5 Z", "none", W, 1.6)
            + line([(3.5, 12), (20.5, 12)], 1.6) + line([(5.5, 7.5), (18.5, 7.5)], 1.3) + line([(5.5, 16.5), (18.5, 16.5)], 1.3))


def d_font_colour(c):
    return text("A", height=11.5, box=(3, 1.5, 21, 16)) + rect(4, 18, 16, 3.5, "#FF5252", 0.8)


def d_underline(c):
    return text("U", height=11.5, box=(3, 1.5, 21, 16.5)) + rect(5.5, 18.5, 13, 2.4, W)


def d_strike(c):
    return text("S", height=13.5) + rect(3.5, 11, 17, 2.4, W)


def d_superscript(c):
    return text("x", height=11, box=(2, 7, 15, 21)) + text("2", height=8, box=(14, 2.5, 21.5, 11))


def d_subscript(c):
    return text("x", height=11, box=(2, 3, 15, 17)) + text("2", height=8, box=(14, 13, 21.5, 21.5))


def d_centre(c):
    return (line([(5, 5.5), (19, 5.5)], 2.2) + line([(8, 9.8), (16, 9.8)], 2.2)
            + line([(4, 14.1), (20, 14.1)], 2.2) + line([(8, 18.4), (16, 18.4)], 2.2))


def d_bullets(c):
    out = ""
    for y in (6, 12, 18):
        out += circle(5.5, y, 2) + line([(10, y), (19.5, y)], 2.2)
    return out


def d_numbers(c):
    out = ""
    for i, y in enumerate((6, 12, 18)):
        out += text(str(i + 1), height=5.6, box=(2.5, y - 3, 8.5, y + 3), squeeze=0.8) + line([(11, y), (20, y)], 2.2)
    return out


def d_indent(c):
    return (line([(4, 4.5), (20, 4.5)], 2.2) + line([(11, 9.5), (20, 9.5)], 2.2) + line([(11, 14.5), (20, 14.5)], 2.2)
            + line([(4, 19.5), (20, 19.5)], 2.2) + poly([(8.5, 12), (3.5, 8), (3.5, 16)]))


def d_film(c):
    out = rect(3, 5, 18, 14, W, 1)
    for x in (4.5, 8.5, 12.5, 16.5):
        out += rect(x, 6, 2.5, 1.8, c) + rect(x, 16.2, 2.5, 1.8, c)
    return out + poly([(10, 9.3), (10, 14.7), (14.5, 12)], c)


def d_speaker(c):
    return (poly([(3.5, 9), (7.5, 9), (12.5, 4.5), (12.5, 19.5), (7.5, 15), (3.5, 15)])
            + path("M15.5,9 A4,4 0 0 1 15.5,15", "none", W, 2) + path("M18,6 A8,8 0 0 1 18,18", "none", W, 2))


def d_marquee(c):
    return (text("ABC", height=8, box=(2.5, 11, 21.5, 21)) + line([(8, 6), (20, 6)], 2.4)
            + poly([(3.5, 6), (8.5, 2.5), (8.5, 9.5)]))


def d_text_box(c):
    return (rect(2, 6.5, 20, 11, W, 1.5) + text("ab", height=6, box=(4, 9, 13, 15), fill=c)
            + line([(15.5, 8.5), (15.5, 15.5)], 1.6, c))


def d_radio(c):
    return circle(12, 12, 8) + circle(12, 12, 4, c)


def d_check(c):
    return rect(4, 4, 16, 16, W, 2.5) + line([(7.5, 12), (10.8, 15.5), (16.8, 8.5)], 2.8, c)


def d_submit(c):
    return rect(2, 6.5, 20, 11, W, 3) + text("OK", height=6.5, box=(4, 8, 20, 16), fill=c)


def d_reset(c):
    return (rect(2, 5, 20, 14, W, 3) + path("M16,12.5 A4,4 0 1 1 11.5,8", "none", c, 2.2)
            + poly([(15.5, 8), (11.5, 5.2), (11.5, 10.8)], c))


def d_push_button(c):
    return (rect(2, 4.5, 17, 10, W, 3) + rect(6, 8.5, 9, 2, c, 1)
            + path("M12,11 V22 L14.6,19.4 L16.4,23 L18.2,22.1 L16.5,18.6 L20,18.2 Z", W, c, 1.2))


def d_text_area(c):
    return (rect(3, 3.5, 18, 17, W, 1.5) + line([(6, 8), (14, 8)], 1.6, c) + line([(6, 11.5), (14, 11.5)], 1.6, c)
            + line([(6, 15), (11.5, 15)], 1.6, c) + rect(16.5, 5, 3, 14, c, 1) + rect(16.5, 5, 3, 5, W, 1, c, 0.8))


def d_drop_list(c):
    return (rect(2, 6.5, 20, 11, W, 1.5) + line([(5, 12), (11, 12)], 1.8, c) + rect(14, 6.5, 8, 11, c, 1.5)
            + rect(14, 7.5, 7, 9, c) + poly([(15.5, 10.5), (20.5, 10.5), (18, 13.8)]))


def d_hidden(c):
    return (path("M2,12 Q12,2 22,12 Q12,22 2,12 Z") + circle(12, 12, 3.5, c)
            + line([(4.5, 20.5), (19.5, 3.5)], 4.4, c) + line([(4.5, 20.5), (19.5, 3.5)], 2.2))


def d_frameset(c):
    return rect(3, 4, 18, 16, "none", 1, W, 2.2) + line([(9.5, 4), (9.5, 20)], 2) + line([(9.5, 11), (21, 11)], 2)


def d_frame(c):
    return d_frameset(c) + rect(10.5, 12, 9.5, 7, W)


def d_frame_wizard(c):
    return (rect(3, 6, 15, 14, "none", 1, W, 2) + line([(9, 6), (9, 20)], 1.8) + line([(9, 12.5), (18, 12.5)], 1.8)
            + poly([(18.5, 1.5), (19.7, 4.8), (23, 6), (19.7, 7.2), (18.5, 10.5), (17.3, 7.2), (14, 6), (17.3, 4.8)]))


def d_target(c):
    return circle(12, 12, 8.3, "none", W, 2.2) + circle(12, 12, 4.5, "none", W, 2.2) + circle(12, 12, 1.6)


def d_link(c):
    return text("A", height=12, box=(3, 1.5, 21, 17)) + rect(4.5, 18.5, 15, 2.4, W)


def d_comment_mark(c):
    return (text("'", height=14, box=(3, 3, 9, 13)) + line([(11, 8), (20, 8)], 2.2) + line([(11, 12.5), (20, 12.5)], 2.2)
            + line([(11, 17), (17, 17)], 2.2))


def d_database(c):
    return (path("M5,6 V18 A7,2.8 0 0 0 19,18 V6 Z") + '<ellipse cx="12" cy="6" rx="7" ry="2.8" fill="#FFFFFF" '
            f'stroke="{c}" stroke-width="1.3"/>' + path("M5,10 A7,2.8 0 0 0 19,10", "none", c, 1.3)
            + path("M5,14 A7,2.8 0 0 0 19,14", "none", c, 1.3))


def d_lock(c, open_=False):
    shackle = "M15.5,11 V6 A3.5,3.5 0 0 0 8.5,6 V7.5" if open_ else "M8.5,11 V8 A3.5,3.5 0 0 1 15.5,8 V11"
    return (path(shackle, "none", W, 2.4) + rect(5.5, 11, 13, 10, W, 1.5) + circle(12, 15, 1.6, c)
            + rect(11.3, 15, 1.4, 3.2, c))


def d_cookie(c):
    out = circle(12, 12, 8.5, "#E3AE63", W, 1.2)
    for x, y, r in ((9, 8.5, 1.5), (14.5, 9.5, 1.3), (8.5, 14, 1.3), (13, 15.5, 1.6), (16.5, 13, 1.0), (11.8, 12, 0.9)):
        out += circle(x, y, r, "#5D3218")
    return out


def d_redirect(c):
    return path("M5,19 V13 A4.5,4.5 0 0 1 9.5,8.5 H15", "none", W, 2.8) + poly([(21, 8.5), (15, 3), (15, 14)])


def d_struck(label):
    def draw(c):
        return text(label) + line([(4, 19), (20, 5)], 4.6, c) + line([(4, 19), (20, 5)], 2.2)
    return draw


def d_clock(c):
    return circle(12, 12, 8.5, "none", W, 2.2) + line([(12, 6.5), (12, 12), (15.5, 14.5)], 2.2) + circle(12, 12, 1.3)


def d_file_read(c):
    return (page(2.5, 3.5, 11, 17) + line([(5, 11), (10, 11)], 1.4, c) + line([(5, 14), (10, 14)], 1.4, c)
            + line([(14, 13), (17.5, 13)], 2.6) + poly([(22, 13), (17, 8.5), (17, 17.5)]))


def d_file_write(c):
    return (page(10.5, 3.5, 11, 17) + line([(13, 11), (18, 11)], 1.4, c) + line([(13, 14), (18, 14)], 1.4, c)
            + line([(2.5, 13), (5.5, 13)], 2.6) + poly([(10, 13), (5, 8.5), (5, 17.5)]))


def d_untag(c):
    red = "#FF6E6E"
    return (line([(7, 6), (2.5, 12), (7, 18)], 2.4) + line([(17, 6), (21.5, 12), (17, 18)], 2.4)
            + line([(9, 8), (15, 16)], 3, red) + line([(15, 8), (9, 16)], 3, red))


def label(s, **kw):
    return lambda c: text(s, **kw)


# One row per button key: family, picture.
ICONS = [
    # File, edit and navigation toolbar
    ("FileNewButton", "tools", d_new),
    ("FileOpenButton", "tools", d_open),
    ("FileSaveButton", "tools", d_save),
    ("CutButton", "tools", d_cut),
    ("CopyButton", "tools", d_copy),
    ("PasteButton", "tools", d_paste),
    ("UndoButton", "tools", d_undo),
    ("FindButton", "tools", d_find),
    ("DataButton", "tools", d_keyboard),
    ("TopButton", "tools", d_top),
    ("CenteButton", "tools", d_middle),
    ("LastButton", "tools", d_bottom),
    ("CllFButton", "tools", d_newline),
    ("StampButton", "tools", d_stamp),
    ("JumpButton", "tools", d_jump),
    ("ColorButton", "tools", d_palette),
    ("FilesButton", "tools", label("../")),
    ("ImgBrowButton", "tools", d_picture),
    ("MovePreviousFileButton", "tools", d_previous),
    ("MoveNextFileButton", "tools", d_next),
    ("PageClearButton", "tools", d_clear_pages),
    ("FilesListButton", "tools", d_file_list),
    ("LinkListButton", "tools", d_chain),
    ("EditTextButton", "tools", d_notepad),
    ("ExplorerButton", "tools", d_globe),
    # HTML text and media toolbar
    ("TitleButton", "struct", label("TTL")),
    ("PageButton", "struct", label("BODY")),
    ("BaseFontButton", "text", label("BF")),
    ("CommentButton", "struct", label("!--")),
    ("HButton", "text", label("H")),
    ("FontButton", "text", d_font_colour),
    ("PButton", "text", label("P")),
    ("BrButton", "text", label("BR")),
    ("BButton", "text", label("B")),
    ("IButton", "text", label("I", font="italic")),
    ("UButton", "text", d_underline),
    ("SButton", "text", d_strike),
    ("SUPButton", "text", d_superscript),
    ("SUBButton", "text", d_subscript),
    ("BIGButton", "text", label("BIG")),
    ("SMALLButton", "text", label("SML")),
    ("TTButton", "text", label("TT", font="mono")),
    ("CenterButton", "struct", d_centre),
    ("LinesButton", "struct", label("HR")),
    ("ListButton", "struct", d_bullets),
    ("NListButton", "struct", d_numbers),
    ("LIButton", "struct", label("LI")),
    ("IndentButton", "struct", d_indent),
    ("ClearButton", "struct", label("CLR")),
    ("SuccessButton", "text", label("PRE")),
    ("ImgButton", "media", label("IMG")),
    ("DynButton", "media", d_film),
    ("SoundButton", "media", d_speaker),
    ("ScrollButton", "text", d_marquee),
    ("CatButton", "tools", d_untag),
    # Forms, tables, frames, links and ASP statements toolbar
    ("FormButton", "form", label("FORM")),
    ("TxboxButton", "form", d_text_box),
    ("RadioButton", "form", d_radio),
    ("CkboxButton", "form", d_check),
    ("SubmiButton", "form", d_submit),
    ("ResetButton", "form", d_reset),
    ("ButtonButton", "form", d_push_button),
    ("TEXTAREAButton", "form", d_text_area),
    ("DListButton", "form", d_drop_list),
    ("HiddenButton", "form", d_hidden),
    ("TableButton", "struct", label("TBL")),
    ("IndexButton", "struct", label("TH")),
    ("SelButton", "struct", label("TD")),
    ("FrameButton", "struct", d_frameset),
    ("AutoFrameButton", "struct", d_frame_wizard),
    ("FrameSetButton", "struct", d_frame),
    ("TargetButton", "media", d_target),
    ("LinkButton", "media", d_link),
    ("MarkerButton", "media", label("#")),
    ("IfThenButton", "asp", label("IF")),
    ("SelectButton", "asp", label("CASE")),
    ("DoLoopButton", "asp", label("DO")),
    ("ForNextButton", "asp", label("FOR")),
    ("IncludeButton", "asp", label("INC")),
    ("OptionExplicitButton", "asp", label("OPT")),
    ("ScriptButon", "asp", label("SCR")),
    ("AspStartButton", "asp", label("<%")),
    ("AspStartEndButton", "asp", label("<%=", squeeze=0.56)),
    ("AspEndButton", "asp", label("%>")),
    ("TenButton", "asp", d_comment_mark),
    ("MdbTableButton", "data", d_database),
    # ASP objects toolbar
    ("ScopeButton", "asp", label("OBJ")),
    ("ApplicationLockButton", "asp", d_lock),
    ("ApplicationButton", "asp", label("APP")),
    ("ApplicationUnlockButton", "asp", lambda c: d_lock(c, open_=True)),
    ("ResponseWriteButton", "asp", label("WRT")),
    ("ResponsecooksButton", "asp", d_cookie),
    ("ResponseRedirectButton", "asp", d_redirect),
    ("ResponseBufferButton", "asp", label("BUF")),
    ("ResponseClearButton", "asp", label("CLR")),
    ("ResponseEndButton", "asp", label("END")),
    ("ResponseExpiresButton", "asp", label("EXP")),
    ("WebSarverButton", "asp", label("ENV")),
    ("RequestFormButton", "asp", label("REQ")),
    ("RequestQueryStringButton", "asp", label("QS")),
    ("SessionButton", "asp", label("SES")),
    ("SessionAbandonButton", "asp", d_struck("SES")),
    ("SessionTimeoutButton", "asp", d_clock),
    ("SessionOnStartButton", "asp", label("OnS")),
    ("Session_OnEnd", "asp", label("OnE")),
    ("FileReadButton", "asp", d_file_read),
    ("FileWriteButton", "asp", d_file_write),
    ("EncodeButton", "asp", label("&lt")),
    ("FieldsButton", "data", label("FLD")),
    ("TenLeftButton", "asp", label('"&')),
    ("TenBothButton", "asp", label('"&&"')),
    ("TenRightButton", "asp", label('&"')),
    ("SubFindButton", "asp", lambda c: d_find(c, "S")),
    ("FixedNumberButton", "data", label("ad")),
    ("dbButton", "data", label("db")),
    ("rsButton", "data", label("rs")),
    ("dbExecuteButton", "data", label("SQL")),
    ("MethodButton", "data", label("M()")),
]


def svg(family, draw):
    body = tile(family) + draw(FAMILIES[family][0])
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">\n'
            + body.replace("><", ">\n<") + "\n</svg>\n")


def update_qrc(names):
    begin = "<!-- toolbar pictures: written by icons/make-icons.py -->"
    end = "<!-- end of toolbar pictures -->"
    block = [f"  <qresource prefix=\"/\">\n    {begin}\n"]
    block += [f"    <file>icons/{name}.svg</file>\n" for name in names]
    block.append(f"    {end}\n  </qresource>\n")
    qrc = open(QRC, encoding="utf-8").read()
    pattern = re.compile(r"  <qresource prefix=\"/\">\n    " + re.escape(begin) + r".*?" + re.escape(end)
                         + r"\n  </qresource>\n", re.S)
    if pattern.search(qrc):
        qrc = pattern.sub(lambda _: "".join(block), qrc)
    else:
        qrc = qrc.replace("</RCC>", "".join(block) + "</RCC>")
    open(QRC, "w", encoding="utf-8").write(qrc)


def main():
    keys = [k for k, _, _ in ICONS]
    if len(set(keys)) != len(keys):
        sys.exit("a key is listed twice")
    for old in os.listdir(HERE):
        if old.endswith(".svg"):
            os.remove(os.path.join(HERE, old))
    for key, family, draw in ICONS:
        with open(os.path.join(HERE, key + ".svg"), "w", encoding="utf-8") as out:
            out.write(svg(family, draw))
    update_qrc(keys)
    print(f"{len(ICONS)} pictures written")


if __name__ == "__main__":
    main()
