"""Turns the 13-pixel strike of fonts-wine's bitmap "MS Sans Serif" into outlines.

Windows (and Wine) will not draw a TrueType font that holds bitmaps only: Wine skips its own, and
Qt's Windows font engine cannot use one. Each pixel of the strike becomes a square of the outline
font, sized so that 8 points on a 96-dpi screen (11 pixels per em) draw every square on exactly
one pixel: the same glyphs and the same widths as the bitmap font the Linux build uses.

usage: outline_font.py BITMAP_TTF OUTLINE_TTF   (Debian's python3-fonttools)
"""
import sys

from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont

STRIKE_PPEM = 13  # the strike of 8 points: cell 13 pixels, ascent 11, descent 2
EM_PIXELS = 11  # 8 points at 96 dpi, as Windows asks for it
UNITS = 128  # font units per pixel


def strike(font):
    for index, s in enumerate(font["EBLC"].strikes):
        if s.bitmapSizeTable.ppemY == STRIKE_PPEM:
            return s, font["EBDT"].strikeData[index]
    sys.exit(f"no {STRIKE_PPEM}-pixel strike in the font")


def glyph_metrics(location, name):
    for sub in location.indexSubTables:
        if name in sub.names:
            return getattr(sub, "metrics", None)
    return None


def pixel_runs(bitmap, metrics):
    """(row, first column, end column) of every run of set pixels. The strike's images are
    bit-aligned (formats 2 and 5): one bit per pixel, rows following each other unpadded."""
    data = bitmap.imageData

    def pixel(row, column):
        bit = row * metrics.width + column
        return data[bit >> 3] & (0x80 >> (bit & 7))

    for row in range(metrics.height):
        column = 0
        while column < metrics.width:
            if not pixel(row, column):
                column += 1
                continue
            end = column
            while end < metrics.width and pixel(row, end):
                end += 1
            yield row, column, end
            column = end


def outline(bitmap, metrics):
    pen = TTGlyphPen(None)
    for row, first, end in pixel_runs(bitmap, metrics):
        left = (metrics.BearingX + first) * UNITS
        right = (metrics.BearingX + end) * UNITS
        top = (metrics.BearingY - row) * UNITS
        bottom = top - UNITS
        # Clockwise: the filled side on the right, as TrueType wants it.
        pen.moveTo((left, bottom))
        pen.lineTo((left, top))
        pen.lineTo((right, top))
        pen.lineTo((right, bottom))
        pen.closePath()
    return pen.glyph()


def main(source, target):
    font = TTFont(source)
    location, glyphs = strike(font)
    glyf, hmtx = font["glyf"], font["hmtx"]
    for name in font.getGlyphOrder():
        bitmap = glyphs.get(name)
        if bitmap is None:
            glyf[name] = TTGlyphPen(None).glyph()
            hmtx[name] = (0, 0)
            continue
        bitmap.decompile()
        metrics = getattr(bitmap, "metrics", None) or glyph_metrics(location, name)
        metrics.BearingX = getattr(metrics, "horiBearingX", getattr(metrics, "BearingX", 0))
        metrics.BearingY = getattr(metrics, "horiBearingY", getattr(metrics, "BearingY", 0))
        advance = getattr(metrics, "horiAdvance", getattr(metrics, "Advance", 0))
        glyf[name] = outline(bitmap, metrics)
        hmtx[name] = (advance * UNITS, metrics.BearingX * UNITS)
    ascent, descent = location.bitmapSizeTable.hori.ascender, -location.bitmapSizeTable.hori.descender
    font["head"].unitsPerEm = EM_PIXELS * UNITS
    for table in ("EBDT", "EBLC", "EBSC"):
        del font[table]
    hhea, os2 = font["hhea"], font["OS/2"]
    hhea.ascent, hhea.descent, hhea.lineGap = ascent * UNITS, -descent * UNITS, 0
    os2.usWinAscent, os2.usWinDescent = ascent * UNITS, descent * UNITS
    os2.sTypoAscender, os2.sTypoDescender, os2.sTypoLineGap = ascent * UNITS, -descent * UNITS, 0
    os2.achVendID = "Dvl "  # no longer Wine's bitmap font
    font.save(target)


if __name__ == "__main__":
    main(*sys.argv[1:3])
