#!/usr/bin/env python3
"""Writes the older-format documents the reader's tests open.

No program here writes the older format, so these files come from this small
writer, laid out from the format's own structures (an IFF "FORM" of type
'QMVT' with its chunks), in both byte orders. Beside each NAME.qmv it writes
NAME.txt, which states what the file holds. The results are committed.

Run from anywhere: tools/make_older_fixtures.py
"""
import pathlib
import struct

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURES = ROOT / "interchange" / "tests" / "fixtures" / "older"


class Writer:
    def __init__(self, big):
        self.order = ">" if big else "<"

    def tag(self, text):
        # A tag is a 32-bit number: the bytes "FORM" in a big-endian file,
        # reversed in a little-endian one.
        return struct.pack(self.order + "I", int.from_bytes(text.encode("ascii"), "big"))

    def num(self, fmt, *values):
        return struct.pack(self.order + fmt, *values)

    def chunk(self, tag, data):
        out = self.tag(tag) + self.num("I", len(data)) + data
        return out + (b"\0" if len(data) % 2 else b"")

    def form(self, kind, chunks):
        body = self.tag(kind) + b"".join(chunks)
        return self.tag("FORM") + self.num("I", len(body)) + body

    def run(self, font, size, face, rgb, offset):
        return self.num("HBBB", font, size, face, 0) + bytes(rgb) + self.num("H", offset)

    def text_paragraph(self, text, runs):
        record = self.num("HBBH", 0, 0, 0, len(runs))
        return self.form("PARA", [self.chunk("PARA", record), self.chunk("TEXT", text.encode("mac_roman")),
                                  self.chunk("STYL", b"".join(runs))])

    def page_break(self):
        record = self.num("HBB", 0, 0, 1) + self.num("hhhhh", 0, 0, 0, 0, 0) + b"\0\0" + self.num("II", 0,
                                                                                                  0xFFFFFFFF)
        return self.form("PARA", [self.chunk("PARA", record)])

    def picture(self, frame):
        top, left, bottom, right = frame
        record = self.num("HBB", 0, 0, 1) + self.num("hhhhh", top, left, bottom, right, 0) + b"\0\0"
        record += self.num("II", 0, 1)
        # A version 1 picture: size, frame, the version opcode and the end.
        pict = self.num("Hhhhh", 14, top, left, bottom, right) + bytes([0x11, 0x01, 0xFF, 0x00])
        return self.form("PARA", [self.chunk("PARA", record), self.chunk("PICT", pict)])

    def paragraph_format(self, left, first, right, align, spacing, tabs):
        record = self.num("HBB", 0, 0, 2) + self.num("hhhBBBB", left, first, right, align, spacing, len(tabs), 0)
        record += b"".join(self.num("H", t) for t in tabs)
        return self.form("PARA", [self.chunk("PARA", record)])

    def settings(self, unit, mode):
        data = bytes([1, 0, 1]) + self.num("HHHH", 0, 0, 0, 0) + bytes(8) + self.run(0, 0, 0, (0, 0, 0), 0)
        return self.chunk("DOCU", data + bytes([unit, 0, 0, mode]) + self.num("HH", 0, 0))

    def print_record(self):
        # Page rectangle (printable area) and paper rectangle, in points.
        return self.chunk("PRNT", bytes(8) + self.num("hhhh", 0, 0, 734, 540) + self.num("hhhh", -36, -36, 756, 576))

    def fonts(self, fonts):
        return self.form("FNTS", [self.chunk("FNTS", self.num("HB", n, len(name)) + name.encode()) for n, name in fonts])

    def styles(self):
        name = b"Body"
        record = self.num("HBBBBBBB", 20, 0, 0, 0, 0, 12, 0, 0) + bytes([len(name)]) + name.ljust(32, b"\0")
        return self.form("STLS", [self.chunk("STLS", record)])

    def marks(self):
        expression = b"[Table]Field"
        record = self.num("HhHh", 0, 0, 0, 1) + bytes([len(expression)]) + expression.ljust(128, b"\0")
        record += bytes(65) + self.num("HHII", 1, 1, 0, 0) + self.run(0, 0, 0, (0, 0, 0), 0)
        return self.form("MARK", [self.chunk("MARK", record)])

    def mark(self, paragraph, start, end, table=0, field=0, expression=b"", name=b"", code=0, skip=0,
             fmt=None, expression_length=None, stored=b""):
        # u16 paragraph, i16 start, u16, i16 end, the expression (a length
        # byte and 128 bytes), the name (a length byte and 64 bytes; with no
        # name the byte after it is a format code), u16 table, u16 field, u32
        # skip flag, u32, a character format, then the host's own form.
        length = len(expression) if expression_length is None else expression_length
        record = self.num("HhHh", paragraph, start, 0, end) + bytes([length]) + expression.ljust(128, b"\0")
        record += (bytes([len(name)]) + name if name else bytes([0, code])).ljust(65, b"\0")
        record += self.num("HHII", table, field, skip, 0)
        record += fmt if fmt is not None else self.run(0, 0, 0, (0, 0, 0), 0)
        return self.chunk("MARK", record + stored)

    def field_marks(self):
        plain = [self.run(0, 12, 0, (0, 0, 0), 0)]
        own = self.run(0, 18, 1, (0, 0, 255), 0)
        body = [
            self.text_paragraph("Dear \x07\x07\x07, you owe \x07\x07 by \x07.", plain),
            self.text_paragraph("Page \x07 \x07end", plain),
            self.picture((0, 0, 36, 72)),
            self.form("MARK", [
                self.mark(0, 5, 8, table=2, field=3, code=0x23),
                self.mark(0, 18, 20, table=2, field=4, name=b"#,##0.00"),
                self.mark(0, 24, 25, expression=b"Current date", code=5, stored=b"\x01\x02\x03\x04"),
                self.mark(1, 5, 6, expression=b"Page number"),
                self.mark(1, 7, 7, table=2, field=5, fmt=own),
                # Marks that name nothing the reader can place: past the
                # paragraph, an expression longer than its field, a table
                # without a field, a table number no host has, skipped, in
                # no paragraph, over a unit another mark took, ending before
                # it starts.
                self.mark(1, 8, 40, table=2, field=6),
                self.mark(1, 8, 11, table=2, field=6, expression=b"x" * 128, expression_length=200),
                self.mark(1, 8, 11, table=3, field=0),
                self.mark(1, 8, 11, table=40000, field=1),
                self.mark(1, 8, 11, table=2, field=6, skip=1),
                self.mark(99, 0, 1, table=2, field=6),
                self.mark(1, 4, 6, table=2, field=6),
                self.mark(1, 9, 8, table=2, field=6),
                self.mark(2, 0, 0, table=2, field=7),
            ]),
            self.chunk("HIDR", self.form("QMVT", [
                self.text_paragraph("Page \x07", plain),
                self.form("MARK", [self.mark(0, 5, 6, expression=b"Page number")]),
            ])),
        ]
        return self.form("QMVT", body)

    def header(self, text, height):
        # The nested form's length is its own; the header height is read as
        # the 16-bit value at offset 6, which lies in that length's low half
        # for a form shorter than 64 KB in a big-endian file.
        return self.form("QMVT", [self.text_paragraph(text, [self.run(20, 10, 2, (0, 0, 0), 0)])])

    def letter(self):
        red = (255, 0, 0)
        body = [
            self.settings(0, 0),
            self.print_record(),
            self.fonts([(20, "Arial"), (22, "Courier New")]),
            self.styles(),
            self.paragraph_format(36, 54, 468, 1, 2, [0x4000 + 72, 0x1000 + 144]),
            self.text_paragraph("Hello\tworld caf\u00e9", [self.run(20, 0, 0, (0, 0, 0), 0),
                                                          self.run(22, 18, 1 | 4, red, 6),
                                                          self.run(20, 0, 2, (0, 0, 255), 12)]),
            self.page_break(),
            self.text_paragraph("Second", [self.run(20, 14, 0x20, (0, 0, 0), 0)]),
            self.picture((0, 0, 36, 72)),
            self.marks(),
            self.chunk("HIDR", self.header("Head", 30)),
            self.chunk("FUTR", self.header("Foot", 0)),
            self.chunk("HOTL", bytes([3]) + b"abc"),
            self.chunk("XTRA", b"skipped"),
        ]
        return self.form("QMVT", body)


LETTER_TEXT = """A letter in the older format, written {order}.
Body: "Hello<TAB>world caf<U+00E9>", a page break, "Second", a picture of 72 x 36 points (a version 1 PICT).
Runs: "Hello\\t" Arial 12 points plain black; "world " Courier New 18 points bold underlined red;
"caf<U+00E9>" Arial 12 points italic blue; "Second" Arial 14 points superscript.
First paragraph: left indent 36 points, first-line indent 18 points, centred, line spacing 20 tenths,
a right tab at 72 points and a left tab with a "." leader at 144 points.
Header "Head" (10 points italic), footer "Foot"; one host field mark; a hot link "abc"; an unknown chunk.
Print record: page 540 x 734 points at (36, 36) on paper 612 x 792.
"""

MARKS_TEXT = """Host field marks in the older format, written {order}. Control characters hold the marks' places.
Body paragraph 0 "Dear <7><7><7>, you owe <7><7> by <7>.": units 5 to 7 a reference to field 3 of table 2 with the
first display format 3 (code 0x23); units 18 and 19 field 4 of table 2 named "#,##0.00"; unit 24 the expression
"Current date" with the second display format 5, stored in the host's own form as the bytes 1 2 3 4.
Body paragraph 1 "Page <7> <7>end": unit 5 the expression "Page number" (the page number); an empty mark at unit 7
for field 5 of table 2 in 18 points bold blue; then eight marks that stand nowhere (past the paragraph, an expression
length of 200, field 0, table 40000, skipped, paragraph 99, over unit 5 again, ending before their start).
Body paragraph 2: a picture (72 x 36 points) whose mark, field 7 of table 2, stands in its place.
Header "Page <7>", its unit 5 the expression "Page number".
"""


def main():
    FIXTURES.mkdir(parents=True, exist_ok=True)
    for big, name in ((True, "letter.be"), (False, "letter.le")):
        (FIXTURES / f"{name}.qmv").write_bytes(Writer(big).letter())
        (FIXTURES / f"{name}.txt").write_text(LETTER_TEXT.format(order="big-endian" if big else "little-endian"))
    for big, name in ((True, "marks.be"), (False, "marks.le")):
        (FIXTURES / f"{name}.qmv").write_bytes(Writer(big).field_marks())
        (FIXTURES / f"{name}.txt").write_text(MARKS_TEXT.format(order="big-endian" if big else "little-endian"))
    form = Writer(False).letter()
    # The first word gives the offset of the form.
    (FIXTURES / "offset.qmv").write_bytes(struct.pack("<H", 16) + bytes(14) + form)
    (FIXTURES / "offset.txt").write_text("The little-endian letter behind 16 leading bytes whose first word is 16.\n")
    # The form lies 64 KB after the offset the first word gives.
    (FIXTURES / "far.qmv").write_bytes(struct.pack("<H", 8) + bytes(6 + 65536) + Writer(True).letter())
    (FIXTURES / "far.txt").write_text("The big-endian letter at 8 + 65536, the first word giving 8.\n")


if __name__ == "__main__":
    main()
