#!/usr/bin/python3
"""Reads an HTML page the way browsers do (html5lib's parser) and prints
its text, one line per block, then each parse error on standard error as
"parse-error: CODE".

Run with the system interpreter, which has html5lib:
  /usr/bin/python3 tools/html5lib_page_text.py PAGE.html
"""
import sys

import html5lib

BLOCKS = {"p", "div", "br", "li", "tr", "h1", "h2", "h3", "h4", "h5", "h6", "table", "ul", "ol", "pre",
          "blockquote", "center", "hr", "body"}


def text_of(element, out):
    tag = element.tag.split("}")[-1] if isinstance(element.tag, str) else ""
    if tag in ("script", "style", "head", "title"):
        return
    if element.text:
        out.append(element.text)
    for child in element:
        text_of(child, out)
        if child.tail:
            out.append(child.tail)
    if tag in BLOCKS:
        out.append("\n")
    elif tag in ("td", "th"):
        out.append("\t")


def main():
    with open(sys.argv[1], "rb") as page:
        parser = html5lib.HTMLParser(tree=html5lib.getTreeBuilder("etree"))
        document = parser.parse(page)
    out = []
    text_of(document, out)
    sys.stdout.write("".join(out))
    for _position, code, _data in parser.errors:
        sys.stderr.write("parse-error: %s\n" % code)


if __name__ == "__main__":
    main()
