#!/usr/bin/env python3
"""Makes the Word 97 files LibreOffice writes from our fixture sources, with
what the programs people use read from each, for the compound file and Word
reader tests.

For every source in interchange/tests/fixtures/word/source/ it runs
`soffice --headless --convert-to doc` and writes, beside NAME.doc:
  NAME.streams  one line per stream python3-olefile lists: the path (storages
                joined by '/'), a tab, the size in bytes, a tab, the CRC-32 of
                the bytes in hexadecimal;
  NAME.antiword.txt and NAME.catdoc.txt  the text antiword and catdoc read;
  NAME.runs.txt  what LibreOffice's HTML of NAME.doc says of its text: one
                line per stretch of bold, italic or underlined text, per
                font face, per size, per centred paragraph, per paragraph
                with space before or after it, and per table cell that is
                centred, right-aligned, shaded or bordered: the property
                (bold, italic, underline, font NAME, size POINTS, centre,
                before TWIPS, after TWIPS, cell centre, cell right, cell
                shaded, cell bordered), a tab, the text.
With --runs only the last is made again, from the committed .doc files;
with --stories only the files of the stories folder below, with --look
only those of the look folder. Names of
sources (without their extension) after the options make only those.

The sources in interchange/tests/fixtures/word/stories/source/ (headers and
footers, fields, a symbol, notes, comments and pictures) become NAME.doc in
interchange/tests/fixtures/word/stories/ with NAME.antiword.txt,
NAME.catdoc.txt and NAME.pdftotext.txt: the text pdftotext -layout reads from
LibreOffice's PDF of NAME.doc, pages separated by form feeds, whose first and
last lines are the pages' headers and footers.
The sources in interchange/tests/fixtures/word/look/source/ (headings and
body text with indents, spacing, colours and highlights; page, column and
line breaks; a first page number, a title page, a binding and an even-page
start) become NAME.doc in interchange/tests/fixtures/word/look/ with
NAME.antiword.txt, the text antiword reads (catdoc loses the text before a
column break), and NAME.libreoffice.txt, what LibreOffice's flat XML of
NAME.doc says of each paragraph (tools/fodt_facts.py), and NAME.lines.txt,
where LibreOffice prints each line of NAME.doc: one line per printed line,
the page number, the left and the upper edge of its first word in points
from the paper's upper left corner (pdftotext -bbox-layout), and the word,
separated by tabs; --look-facts makes only those again, from the committed
.doc files.
The results are committed, so the tests run without the programs.

Run from anywhere: tools/make_word_peer_fixtures.py
"""
import html
import html.parser
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURES = ROOT / "interchange" / "tests" / "fixtures" / "word"
SOURCES = FIXTURES / "source"
STORIES = FIXTURES / "stories"
LOOK = FIXTURES / "look"


def listing(path):
    import olefile
    lines = []
    with olefile.OleFileIO(str(path)) as ole:
        for entry in ole.listdir(streams=True, storages=False):
            data = ole.openstream(entry).read()
            lines.append(f"{'/'.join(entry)}\t{len(data)}\t{zlib.crc32(data):08x}")
    return "\n".join(sorted(lines)) + "\n"


def twips(length):
    """A CSS length in inches or centimetres as twips, else None."""
    length = length.strip()
    if length.endswith("in"):
        return round(float(length[:-2]) * 1440)
    if length.endswith("cm"):
        return round(float(length[:-2]) * 1440 / 2.54)
    return None


class RunsParser(html.parser.HTMLParser):
    """Collects the text under <b>, <i>, <u>, <font face>, centred <p>,
    paragraphs with margins and table cells."""

    def __init__(self):
        super().__init__()
        self.open = []  # (tag, properties, collected text)
        self.lines = []
        self.cells = 0  # <td> elements open

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        props = []
        style = attrs.get("style") or ""
        if tag == "td":
            self.cells += 1
            if attrs.get("bgcolor"):
                props.append("cell shaded")
            if "border:" in style and not style.split("border:")[1].strip().startswith("none"):
                props.append("cell bordered")
        elif tag == "p" and self.cells:
            if attrs.get("align") in ("center", "right"):
                props.append("cell centre" if attrs["align"] == "center" else "cell right")
        elif tag == "p":
            for css, name in (("margin-top:", "before"), ("margin-bottom:", "after")):
                if css in style:
                    value = twips(style.split(css)[1].split(";")[0])
                    if value:
                        props.append(f"{name} {value}")
            if attrs.get("align") == "center":
                props.append("centre")
        elif tag in ("b", "i", "u"):
            props.append({"b": "bold", "i": "italic", "u": "underline"}[tag])
        elif tag == "font" and "face" in attrs:
            props.append("font " + attrs["face"].split(",")[0].strip())
        elif tag == "font" and "font-size:" in style:
            size = style.split("font-size:")[1].split(";")[0].strip()
            if size.endswith("pt"):
                props.append("size " + size[:-2])
        self.open.append([tag, props, ""])

    def handle_endtag(self, tag):
        if tag == "td" and self.cells:
            self.cells -= 1
        while self.open:
            open_tag, props, text = self.open.pop()
            if self.open:
                self.open[-1][2] += text
            text = " ".join(text.split())
            if text:
                self.lines.extend(f"{prop}\t{text}" for prop in props)
            if open_tag == tag:
                break

    def handle_data(self, data):
        if self.open:
            self.open[-1][2] += data


def write_runs(doc, scratch):
    profile = scratch / "profile"
    subprocess.run(["soffice", f"-env:UserInstallation=file://{profile}", "--headless",
                    "--convert-to", "html", str(doc)], cwd=scratch, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=240)
    parser = RunsParser()
    parser.feed((scratch / (doc.stem + ".html")).read_text(encoding="utf-8"))
    (FIXTURES / (doc.stem + ".runs.txt")).write_text("\n".join(parser.lines) + "\n")


def convert(source, work, profile, target_format):
    infilter = ["--infilter=Rich Text Format"] if source.suffix == ".rtf" else []
    subprocess.run(["soffice", f"-env:UserInstallation=file://{profile}", "--headless", *infilter,
                    "--convert-to", target_format, source.name],
                   cwd=work, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=240)


def peer_texts(target, folder):
    for program, command in (("antiword", ["antiword", "-w", "0", str(target)]),
                             ("catdoc", ["catdoc", "-w", "-d", "utf-8", str(target)])):
        text = subprocess.run(command, check=True, capture_output=True, timeout=60).stdout
        (folder / f"{target.stem}.{program}.txt").write_bytes(text)


def word_files(folder, scratch, profile, names):
    """LibreOffice's Word file of each source in `folder`/source (those of
    `names` only, when there are any), saved beside the others in `folder`:
    the scratch folder it was made in and its path, one by one."""
    for source in sorted((folder / "source").iterdir()):
        if names and source.stem not in names:
            continue
        work = scratch / (folder.name + "-" + source.stem)
        work.mkdir()
        shutil.copy(source, work / source.name)
        convert(source, work, profile, "doc:MS Word 97")
        target = folder / (source.stem + ".doc")
        shutil.copy(work / target.name, target)
        yield source, work, target


def make_stories(scratch, profile, names):
    for source, work, target in word_files(STORIES, scratch, profile, names):
        peer_texts(target, STORIES)
        pdf_work = work / "pdf"
        pdf_work.mkdir()
        shutil.copy(target, pdf_work / target.name)
        convert(target, pdf_work, profile, "pdf")
        text = subprocess.run(["pdftotext", "-layout", str(pdf_work / (source.stem + ".pdf")), "-"],
                              check=True, capture_output=True, timeout=60).stdout
        (STORIES / (source.stem + ".pdftotext.txt")).write_bytes(text)
        print(target.relative_to(ROOT))


def look_facts(doc, scratch, profile):
    work = scratch / ("facts-" + doc.stem)
    work.mkdir()
    shutil.copy(doc, work / doc.name)
    convert(work / doc.name, work, profile, "fodt")
    facts = subprocess.run([sys.executable, str(ROOT / "tools" / "fodt_facts.py"), str(work / (doc.stem + ".fodt"))],
                           check=True, capture_output=True, timeout=60).stdout
    (LOOK / (doc.stem + ".libreoffice.txt")).write_bytes(facts)
    pdf_work = work / "pdf"
    pdf_work.mkdir()
    shutil.copy(doc, pdf_work / doc.name)
    convert(pdf_work / doc.name, pdf_work, profile, "pdf")
    boxes = subprocess.run(["pdftotext", "-bbox-layout", str(pdf_work / (doc.stem + ".pdf")), "-"],
                           check=True, capture_output=True, timeout=60).stdout.decode("utf-8")
    (LOOK / (doc.stem + ".lines.txt")).write_text(printed_lines(boxes), encoding="utf-8")


def printed_lines(boxes):
    """Each printed line of pdftotext's -bbox-layout output: the page, the
    left and upper edge of the line's first word and the word."""
    out = []
    for number, page in enumerate(boxes.split("<page ")[1:], start=1):
        for line in re.findall(r"<line [^>]*>(.*?)</line>", page, re.S):
            word = re.search(r'<word xMin="([0-9.]+)" yMin="([0-9.]+)"[^>]*>([^<]*)</word>', line)
            if word:
                out.append(f"{number}\t{float(word[1]):.1f}\t{float(word[2]):.1f}\t{html.unescape(word[3])}")
    return "\n".join(out) + "\n"


def make_look(scratch, profile, names):
    for source, _, target in word_files(LOOK, scratch, profile, names):
        text = subprocess.run(["antiword", "-w", "0", str(target)], check=True, capture_output=True,
                              timeout=60).stdout
        (LOOK / (source.stem + ".antiword.txt")).write_bytes(text)
        look_facts(target, scratch, profile)
        print(target.relative_to(ROOT))


def main():
    names = [arg for arg in sys.argv[1:] if not arg.startswith("--")]
    if "--runs" in sys.argv[1:]:
        with tempfile.TemporaryDirectory() as scratch:
            for doc in sorted(FIXTURES.glob("*.doc")):
                if names and doc.stem not in names:
                    continue
                write_runs(doc, pathlib.Path(scratch))
                print((FIXTURES / (doc.stem + ".runs.txt")).relative_to(ROOT))
        return
    for program in ("soffice", "antiword", "catdoc", "pdftotext"):
        if shutil.which(program) is None:
            sys.exit(f"{program} is missing: install it (tools/install-deps.sh) and run again")
    if "--look-facts" in sys.argv[1:]:
        with tempfile.TemporaryDirectory() as scratch:
            scratch = pathlib.Path(scratch)
            for doc in sorted(LOOK.glob("*.doc")):
                if not names or doc.stem in names:
                    look_facts(doc, scratch, scratch / "profile")
        return
    if "--look" in sys.argv[1:]:
        with tempfile.TemporaryDirectory() as scratch:
            scratch = pathlib.Path(scratch)
            make_look(scratch, scratch / "profile", names)
        return
    if "--stories" in sys.argv[1:]:
        with tempfile.TemporaryDirectory() as scratch:
            scratch = pathlib.Path(scratch)
            make_stories(scratch, scratch / "profile", names)
        return
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        profile = scratch / "profile"
        for source in sorted(SOURCES.iterdir()):
            if names and source.stem not in names:
                continue
            work = scratch / source.stem
            work.mkdir()
            shutil.copy(source, work / source.name)
            infilter = ["--infilter=Rich Text Format"] if source.suffix == ".rtf" else []
            subprocess.run(["soffice", f"-env:UserInstallation=file://{profile}", "--headless", *infilter,
                            "--convert-to", "doc:MS Word 97", source.name],
                           cwd=work, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=240)
            made = work / (source.stem + ".doc")
            target = FIXTURES / made.name
            shutil.copy(made, target)
            (FIXTURES / (source.stem + ".streams")).write_text(listing(target))
            for program, command in (("antiword", ["antiword", "-w", "0", str(target)]),
                                     ("catdoc", ["catdoc", "-w", "-d", "utf-8", str(target)])):
                text = subprocess.run(command, check=True, capture_output=True, timeout=60).stdout
                (FIXTURES / f"{source.stem}.{program}.txt").write_bytes(text)
            write_runs(target, work)
            print(target.relative_to(ROOT))
        make_stories(scratch, profile, names)
        make_look(scratch, profile, names)


if __name__ == "__main__":
    main()
