#!/usr/bin/env python3
"""What LibreOffice makes of a document, in the form the page checks compare.

  page_facts.py facts FILE.fodt
      One line per paragraph of the body (headers and footers left out), as
      LibreOffice's flat XML gives it, its styles resolved (default style,
      named styles with their parents, the automatic style, and the first
      text span's style for the character look):
        N<TAB>fact=value<TAB>fact=value...
      facts: text (the first 24 characters, spaces collapsed), align (left,
      centre, right, justify), left, right, first, before, after (twips,
      rounded), line (a percentage, or "exact N" and "least N" in twips), tabs (position:kind:leader, kinds l c r d,
      leader the character or "0" for none, positions from the page's
      margin), font, size (points), bold, italic, underline (0 or 1),
      colour and highlight (RRGGBB hexadecimal, "none" for none).
  page_facts.py picture OURS.pdf THEIRS.pdf OUT.png
      Page 1 of both PDFs side by side, ours on the left, as a PNG.
  page_facts.py page FILE.pdf
      The printed page: "size W H" in points (rounded), "pages N", then the
      first word of each line of page 1 as pdftotext -layout reads it.
"""
import re
import subprocess
import sys

from fodt_facts import FlatDocument, q  # noqa: E402


def inches(length):
    """A length of the flat XML in inches, None when it is none."""
    match = re.fullmatch(r"\s*(-?[0-9.]+)\s*(cm|mm|in|inch|pt|pc|px)?\s*", length or "")
    if not match:
        return None
    value = float(match.group(1))
    unit = match.group(2) or "in"
    return value * {"cm": 1 / 2.54, "mm": 1 / 25.4, "in": 1, "inch": 1, "pt": 1 / 72,
                    "pc": 1 / 6, "px": 1 / 96}[unit]


class Styles:
    """Each paragraph and text style's own properties, resolved through
    the document's chain of parents."""

    def __init__(self, document):
        self.document = document
        self.fonts = document.faces
        self.default_par = ({}, {}, None)
        if "paragraph" in document.defaults:
            self.default_par = self.properties(document.defaults["paragraph"])
        self.relative_tabs = True
        for item in document.root.iter(q("config", "config-item")):
            if item.get(q("config", "name")) == "TabsRelativeToIndent":
                self.relative_tabs = (item.text or "").strip() == "true"

    @staticmethod
    def properties(style):
        par, txt, tabs = {}, {}, None
        p = style.find(q("style", "paragraph-properties"))
        if p is not None:
            par = dict(p.attrib)
            stops = p.find(q("style", "tab-stops"))
            if stops is not None:
                tabs = [dict(t.attrib) for t in stops.findall(q("style", "tab-stop"))]
        t = style.find(q("style", "text-properties"))
        if t is not None:
            txt = dict(t.attrib)
        return par, txt, tabs

    def chain(self, family, name):
        """The properties of the style `name` and of its parents, the
        furthest parent first."""
        return [self.properties(element) for element in
                reversed(list(self.document.chain(family, name, default=False)))]

    def resolved(self, par_style, span_style):
        par = dict(self.default_par[0])
        txt = dict(self.default_par[1])
        tabs = self.default_par[2] or []
        for p, t, tb in self.chain("paragraph", par_style):
            par.update(p)
            txt.update(t)
            if tb is not None:
                tabs = tb
        for p, t, tb in self.chain("text", span_style):
            txt.update(t)
        return par, txt, tabs


def colour(value):
    if not value or value == "transparent":
        return "none"
    return value.lstrip("#").upper()


def facts_of(par, txt, tabs, styles, TWIPS, text):
    def px(name, props=par):
        length = inches(props.get(q("fo", name), "0"))
        return str(round((length or 0) * TWIPS))
    align = {"start": "left", "left": "left", "center": "centre", "end": "right",
             "right": "right", "justify": "justify"}.get(par.get(q("fo", "text-align"), "start"), "left")
    line = "100"
    height = par.get(q("fo", "line-height"))
    if height and height.endswith("%"):
        line = str(round(float(height[:-1])))
    elif height and height != "normal":
        line = "exact " + str(round(inches(height) * TWIPS))
    elif par.get(q("style", "line-height-at-least")):
        line = "least " + str(round(inches(par.get(q("style", "line-height-at-least"))) * TWIPS))
    left_margin = inches(par.get(q("fo", "margin-left"), "0")) or 0
    stops = []
    for tab in tabs:
        position = inches(tab.get(q("style", "position"), "0")) or 0
        if styles.relative_tabs:
            position += left_margin
        kind = {"left": "l", "center": "c", "right": "r", "char": "d"}.get(tab.get(q("style", "type"), "left"), "l")
        leader = tab.get(q("style", "leader-text"))
        if not leader:
            style = tab.get(q("style", "leader-style"), "none")
            leader = {"none": "0", "dotted": ".", "solid": "_", "dash": "-"}.get(style, "?")
        if leader == " ":
            leader = "0"
        stops.append("%d:%s:%s" % (round(position * TWIPS), kind, leader))
    font = txt.get(q("style", "font-name"))
    font = styles.fonts.get(font, font or "").split(",")[0].strip().strip("'\"")
    size = txt.get(q("fo", "font-size"), "12pt")
    size = str(round(float(size[:-2]))) if size.endswith("pt") else size
    underline = txt.get(q("style", "text-underline-style"), "none")
    out = [
        ("text", text),
        ("align", align),
        ("left", px("margin-left")),
        ("right", px("margin-right")),
        ("first", px("text-indent")),
        ("before", px("margin-top")),
        ("after", px("margin-bottom")),
        ("line", line),
        ("tabs", " ".join(stops) or "none"),
        ("font", font),
        ("size", size),
        ("bold", "1" if txt.get(q("fo", "font-weight"), "normal") == "bold" else "0"),
        ("italic", "1" if txt.get(q("fo", "font-style"), "normal") == "italic" else "0"),
        ("underline", "0" if underline == "none" else "1"),
        ("colour", colour(txt.get(q("fo", "color"), "#000000"))),
        ("highlight", colour(txt.get(q("fo", "background-color")))),
    ]
    return out


def first_span(paragraph):
    """The style of the span that holds the paragraph's first text, or None
    (comments left out)."""
    if (paragraph.text or "").strip():
        return None

    def walk(element):
        for child in element:
            if child.tag == q("office", "annotation"):
                if (child.tail or "").strip():
                    return None, True
                continue
            if (child.text or "").strip():
                if child.tag == q("text", "span"):
                    return child.get(q("text", "style-name")), True
                return None, True
            style, found = walk(child)
            if found:
                return style, True
            if (child.tail or "").strip():
                return None, True
        return None, False
    return walk(paragraph)[0]


def paragraph_text(paragraph):
    parts = []

    def walk(element):
        # Comments (LibreOffice keeps an HTML page's meta lines as such) are
        # not the paragraph's text.
        if element.tag == q("office", "annotation"):
            return
        if element.tag in (q("text", "tab"), q("text", "s"), q("text", "line-break")):
            parts.append(" ")
        elif element.text:
            parts.append(element.text)
        for child in element:
            walk(child)
            if child.tail:
                parts.append(child.tail)
    walk(paragraph)
    return " ".join("".join(parts).split())[:24]


def fodt_facts(path, TWIPS=1440):
    document = FlatDocument(path)
    root = document.root
    styles = Styles(document)
    body = root.find(q("office", "body")).find(q("office", "text"))
    lines = []
    n = 0
    def paragraphs(element):
        for child in element:
            if child.tag in (q("text", "p"), q("text", "h")):
                yield child
            elif child.tag != q("office", "annotation"):
                yield from paragraphs(child)
    for paragraph in paragraphs(body):
        text = paragraph_text(paragraph)
        if not text:
            continue
        n += 1
        par, txt, tabs = styles.resolved(paragraph.get(q("text", "style-name")), first_span(paragraph))
        facts = facts_of(par, txt, tabs, styles, TWIPS, text)
        lines.append(str(n) + "\t" + "\t".join("%s=%s" % fact for fact in facts))
    return "\n".join(lines) + "\n"


def pdf_page(path):
    info = subprocess.run(["pdfinfo", path], capture_output=True, text=True, check=True).stdout
    size = re.search(r"Page size:\s+([0-9.]+) x ([0-9.]+)", info)
    pages = re.search(r"Pages:\s+([0-9]+)", info)
    text = subprocess.run(["pdftotext", "-layout", "-f", "1", "-l", "1", path, "-"],
                          capture_output=True, text=True, check=True).stdout
    out = ["size %d %d" % (round(float(size.group(1))), round(float(size.group(2)))),
           "pages " + pages.group(1)]
    for line in text.split("\n"):
        words = line.split()
        if words:
            out.append(words[0])
    return "\n".join(out) + "\n"


def page_pixels(path):
    """Page 1 of a PDF at 50 dots per inch: width, height, RGB rows."""
    data = subprocess.run(["pdftoppm", "-r", "50", "-f", "1", "-l", "1", path],
                          capture_output=True, check=True).stdout
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    at += 1
    width, height = int(fields[1]), int(fields[2])
    rows = [data[at + y * width * 3: at + (y + 1) * width * 3] for y in range(height)]
    return width, height, rows


def picture(ours, theirs, out):
    import struct
    import zlib
    left = page_pixels(ours)
    right = page_pixels(theirs)
    gap = 12
    height = max(left[1], right[1])
    width = left[0] + gap + right[0]
    grey = bytes([128, 128, 128])
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for side, fill in ((left, gap), (right, 0)):
            row = side[2][y] if y < side[1] else bytes([255]) * (side[0] * 3)
            raw += row
            raw += grey * fill

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(out, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    if sys.argv[1] == "facts":
        sys.stdout.write(fodt_facts(sys.argv[2]))
    elif sys.argv[1] == "picture":
        picture(sys.argv[2], sys.argv[3], sys.argv[4])
    elif sys.argv[1] == "page":
        sys.stdout.write(pdf_page(sys.argv[2]))
