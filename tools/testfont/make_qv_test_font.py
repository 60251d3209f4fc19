#!/usr/bin/env python3
"""Writes "Qv Test", the synthetic TrueType face the layout tests measure with.

Every advance is a whole multiple of a quarter em, so at any pixel size that
is a multiple of 4 each advance is a whole number of pixels and layout can be
worked out by hand:
    space and punctuation   1/4 em
    digits, lower case      1/2 em
    upper case              3/4 em
The ascent is 3/4 em and the descent 1/4 em, with no leading of any kind, so a
line is exactly one em high. Glyphs are filled boxes (none for the space) as
tall as the ascent for letters and digits and half of it for punctuation.

Usage: make_qv_test_font.py OUTPUT.ttf
"""
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.misc import timeTools
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.tables import ttProgram

UNITS_PER_EM = 1024
QUARTER = UNITS_PER_EM // 4
ASCENT = 3 * QUARTER
DESCENT = QUARTER
INSET = UNITS_PER_EM // 16  # one pixel at 16 px: boxes stand apart


def advance_of(code):
    ch = chr(code)
    if ch == " " or not ch.isalnum():
        return QUARTER
    if ch.isupper():
        return 3 * QUARTER
    return 2 * QUARTER


def box(width, height):
    pen = TTGlyphPen(None)
    if height > 0:
        left, right = INSET, width - INSET
        pen.moveTo((left, 0))
        pen.lineTo((left, height))
        pen.lineTo((right, height))
        pen.lineTo((right, 0))
        pen.closePath()
    glyph = pen.glyph()
    # A program that moves nothing: a font with no instructions at all is
    # handed to FreeType's automatic hinter, which shifts the box edges and
    # with them the advances; with one the box stays as drawn.
    if height > 0:
        program = ttProgram.Program()
        program.fromAssembly(["SVTCA[0]"])
        glyph.program = program
    return glyph


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_qv_test_font.py OUTPUT.ttf\n")
        return 2
    codes = list(range(0x20, 0x7F))
    names = [".notdef"] + ["u%04X" % c for c in codes]
    glyphs = {".notdef": box(2 * QUARTER, ASCENT)}
    metrics = {".notdef": (2 * QUARTER, INSET)}
    cmap = {}
    for code, name in zip(codes, names[1:]):
        width = advance_of(code)
        ch = chr(code)
        height = 0 if ch == " " else (ASCENT if ch.isalnum() else ASCENT // 2)
        glyphs[name] = box(width, height)
        metrics[name] = (width, INSET if height else 0)
        cmap[code] = name

    builder = FontBuilder(UNITS_PER_EM, isTTF=True)
    builder.setupGlyphOrder(names)
    builder.setupCharacterMap(cmap)
    builder.setupGlyf(glyphs)
    builder.setupHorizontalMetrics(metrics)
    builder.setupHorizontalHeader(ascent=ASCENT, descent=-DESCENT, lineGap=0)
    builder.setupNameTable({
        "familyName": "Qv Test",
        "styleName": "Regular",
        "uniqueFontIdentifier": "Qv Test Regular",
        "fullName": "Qv Test",
        "psName": "QvTest-Regular",
        "version": "Version 1.000",
    })
    builder.setupOS2(
        sTypoAscender=ASCENT, sTypoDescender=-DESCENT, sTypoLineGap=0,
        usWinAscent=ASCENT, usWinDescent=DESCENT,
        sxHeight=ASCENT // 2, sCapHeight=ASCENT,
        usWeightClass=400, fsSelection=0x40,
        achVendID="QVTS", usFirstCharIndex=0x20, usLastCharIndex=0x7E)
    builder.setupPost()
    builder.font["maxp"].maxSizeOfInstructions = 1
    # Fixed creation and modification times (1 January 2026): the same bytes
    # on every build.
    stamp = 1767225600 - timeTools.epoch_diff
    builder.font["head"].created = stamp
    builder.font["head"].modified = stamp
    builder.save(argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
