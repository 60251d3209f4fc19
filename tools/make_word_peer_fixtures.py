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
                font face, per size and per centred paragraph: the property
                (bold, italic, underline, font NAME, size POINTS, centre), a
                tab, the text.
With --runs only the last is made again, from the committed .doc files;
with --stories only the files of the stories folder below.

The sources in interchange/tests/fixtures/word/stories/source/ (headers and
footers, fields, a symbol, notes, comments and pictures) become NAME.doc in
interchange/tests/fixtures/word/stories/ with NAME.antiword.txt,
NAME.catdoc.txt and NAME.pdftotext.txt: the text pdftotext -layout reads from
LibreOffice's PDF of NAME.doc, pages separated by form feeds, whose first and
last lines are the pages' headers and footers.
The results are committed, so the tests run without the programs.

Run from anywhere: tools/make_word_peer_fixtures.py
"""
import html.parser
import pathlib
import shutil
import subprocess
import sys
import tempfile
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURES = ROOT / "interchange" / "tests" / "fixtures" / "word"
SOURCES = FIXTURES / "source"
STORIES = FIXTURES / "stories"


def listing(path):
    import olefile
    lines = []
    with olefile.OleFileIO(str(path)) as ole:
        for entry in ole.listdir(streams=True, storages=False):
            data = ole.openstream(entry).read()
            lines.append(f"{'/'.join(entry)}\t{len(data)}\t{zlib.crc32(data):08x}")
    return "\n".join(sorted(lines)) + "\n"


class RunsParser(html.parser.HTMLParser):
    """Collects the text under <b>, <i>, <u>, <font face> and centred <p>."""

    def __init__(self):
        super().__init__()
        self.open = []  # (tag, property or None, collected text)
        self.lines = []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        prop = None
        if tag in ("b", "i", "u"):
            prop = {"b": "bold", "i": "italic", "u": "underline"}[tag]
        elif tag == "font" and "face" in attrs:
            prop = "font " + attrs["face"].split(",")[0].strip()
        elif tag == "font" and "font-size:" in attrs.get("style", ""):
            size = attrs["style"].split("font-size:")[1].split(";")[0].strip()
            if size.endswith("pt"):
                prop = "size " + size[:-2]
        elif tag == "p" and attrs.get("align") == "center":
            prop = "centre"
        self.open.append([tag, prop, ""])

    def handle_endtag(self, tag):
        while self.open:
            open_tag, prop, text = self.open.pop()
            if self.open:
                self.open[-1][2] += text
            text = " ".join(text.split())
            if prop and text:
                self.lines.append(f"{prop}\t{text}")
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


def make_stories(scratch, profile):
    for source in sorted((STORIES / "source").iterdir()):
        work = scratch / ("stories-" + source.stem)
        work.mkdir()
        shutil.copy(source, work / source.name)
        convert(source, work, profile, "doc:MS Word 97")
        target = STORIES / (source.stem + ".doc")
        shutil.copy(work / target.name, target)
        peer_texts(target, STORIES)
        pdf_work = work / "pdf"
        pdf_work.mkdir()
        shutil.copy(target, pdf_work / target.name)
        convert(target, pdf_work, profile, "pdf")
        text = subprocess.run(["pdftotext", "-layout", str(pdf_work / (source.stem + ".pdf")), "-"],
                              check=True, capture_output=True, timeout=60).stdout
        (STORIES / (source.stem + ".pdftotext.txt")).write_bytes(text)
        print(target.relative_to(ROOT))


def main():
    if "--runs" in sys.argv[1:]:
        with tempfile.TemporaryDirectory() as scratch:
            for doc in sorted(FIXTURES.glob("*.doc")):
                write_runs(doc, pathlib.Path(scratch))
                print((FIXTURES / (doc.stem + ".runs.txt")).relative_to(ROOT))
        return
    for program in ("soffice", "antiword", "catdoc", "pdftotext"):
        if shutil.which(program) is None:
            sys.exit(f"{program} is missing: install it (tools/install-deps.sh) and run again")
    if "--stories" in sys.argv[1:]:
        with tempfile.TemporaryDirectory() as scratch:
            scratch = pathlib.Path(scratch)
            make_stories(scratch, scratch / "profile")
        return
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        profile = scratch / "profile"
        for source in sorted(SOURCES.iterdir()):
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
        make_stories(scratch, profile)


if __name__ == "__main__":
    main()
