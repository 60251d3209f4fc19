#!/usr/bin/env python3
"""Prints what a flat OpenDocument text (LibreOffice's --convert-to fodt)
says of the stretch of text holding each probe word: one line per word,

    WORD<TAB>name=value<TAB>name=value ...

with the paragraph's alignment, left, right and first-line indents (in
pixels at 96 dots per inch, rounded), whether it starts a page or a column,
and the text's colour, background, weight, slant, size in points and font,
each resolved through the automatic and named styles and their parents.
A word that is not in the text prints "WORD<TAB>missing".

Without probe words, one line per paragraph and heading instead: its first
30 characters, then the facts of its paragraph and of its first stretch of
text.

Usage: fodt_facts.py FILE.fodt [WORD...]
"""
import sys
import xml.etree.ElementTree as ET

NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "fo": "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
    "svg": "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0",
    "config": "urn:oasis:names:tc:opendocument:xmlns:config:1.0",
}


def q(prefix, name):
    return "{%s}%s" % (NS[prefix], name)


class FlatDocument:
    """A flat OpenDocument text as its styles see it: the named and
    automatic styles by family and name, the default style of each family,
    and the first font family of each font declaration (a style's font name
    is one of theirs). The page checks read their facts through it too."""

    def __init__(self, path):
        self.root = ET.parse(path).getroot()
        self.styles = {}
        self.defaults = {}
        self.faces = {}
        for element in self.root.iter(q("style", "style")):
            self.styles[(element.get(q("style", "family")), element.get(q("style", "name")))] = element
        for element in self.root.iter(q("style", "default-style")):
            self.defaults[element.get(q("style", "family"))] = element
        for element in self.root.iter(q("style", "font-face")):
            family = element.get(q("svg", "font-family")) or element.get(q("style", "name")) or ""
            self.faces[element.get(q("style", "name"))] = family.split(",")[0].strip().strip("'\"")

    def chain(self, family, name, default=True):
        """The style `name` of `family`, then its parents up to the first
        without one (a loop of parents ends where it repeats), then the
        family's default style unless `default` is False."""
        seen = []
        while name is not None and (family, name) in self.styles and name not in seen:
            seen.append(name)
            yield self.styles[(family, name)]
            name = self.styles[(family, name)].get(q("style", "parent-style-name"))
        if default and family in self.defaults:
            yield self.defaults[family]


def pixels(length):
    """A length in in, cm, mm or pt as pixels at 96 per inch."""
    for unit, per_inch in (("in", 1.0), ("cm", 2.54), ("mm", 25.4), ("pt", 72.0)):
        if length.endswith(unit):
            return str(round(float(length[: -len(unit)]) * 96 / per_inch))
    return length


def main():
    document = FlatDocument(sys.argv[1])
    root = document.root
    faces = document.faces
    chain = document.chain

    def lookup(elements, kind, attribute):
        for element in elements:
            for properties in element.findall(q("style", kind)):
                value = properties.get(attribute)
                if value is not None:
                    return value
        return None

    # Every paragraph and heading with its spans, in order.
    stretches = []  # (text, paragraph style, span styles from the outside in)

    def walk(element, paragraph_style, spans):
        if element.text:
            stretches.append((element.text, paragraph_style, spans))
        for child in element:
            if child.tag == q("text", "span"):
                walk(child, paragraph_style, spans + [child.get(q("text", "style-name"))])
            elif child.tag == q("text", "s"):
                stretches.append((" ", paragraph_style, spans))
            elif child.tag == q("text", "tab"):
                stretches.append(("\t", paragraph_style, spans))
            elif child.tag == q("text", "line-break"):
                stretches.append(("\n", paragraph_style, spans))
            if child.tail:
                stretches.append((child.tail, paragraph_style, spans))

    body = root.find(".//" + q("office", "text"))
    paragraphs = []  # (first characters, index of its first stretch)
    for element in body.iter():
        if element.tag in (q("text", "p"), q("text", "h")):
            first = len(stretches)
            walk(element, element.get(q("text", "style-name")), [])
            text = "".join(s[0] for s in stretches[first:])
            if text.strip():
                paragraphs.append((text[:30].replace("\n", "\\n"), next(i for i in range(first, len(stretches)) if stretches[i][0].strip())))

    probes = [(word, next((s for s in stretches if word in s[0]), None)) for word in sys.argv[2:]]
    if len(sys.argv) == 2:
        probes = [(key, stretches[at]) for key, at in paragraphs]
    for word, found in probes:
        if found is None:
            print(word + "\tmissing")
            continue
        _, paragraph_style, spans = found
        paragraph = list(chain("paragraph", paragraph_style))
        text = []
        for span in reversed(spans):
            text.extend(chain("text", span))
        text.extend(paragraph)
        facts = []
        align = lookup(paragraph, "paragraph-properties", q("fo", "text-align")) or "start"
        facts.append("align=" + {"start": "left", "left": "left", "end": "right", "right": "right"}.get(align, align))
        for name in ("margin-left", "margin-right", "text-indent"):
            facts.append(name + "=" + pixels(lookup(paragraph, "paragraph-properties", q("fo", name)) or "0in"))
        # A paragraph that takes a page style of its own starts a page.
        brk = lookup(paragraph, "paragraph-properties", q("fo", "break-before")) or "auto"
        if brk == "auto" and paragraph and paragraph[0].get(q("style", "master-page-name")) and found is not stretches[0]:
            brk = "page"
        facts.append("break=" + brk)
        facts.append("color=" + (lookup(text, "text-properties", q("fo", "color")) or "auto").lower())
        background = lookup(text, "text-properties", q("fo", "background-color")) or "transparent"
        facts.append("background=" + background.lower())
        facts.append("weight=" + (lookup(text, "text-properties", q("fo", "font-weight")) or "normal"))
        facts.append("style=" + (lookup(text, "text-properties", q("fo", "font-style")) or "normal"))
        facts.append("size=" + (lookup(text, "text-properties", q("fo", "font-size")) or "?"))
        font = lookup(text, "text-properties", q("style", "font-name")) or "?"
        facts.append("font=" + faces.get(font, font))
        print(word + "\t" + "\t".join(facts))


if __name__ == "__main__":
    main()
