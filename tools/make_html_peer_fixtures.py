#!/usr/bin/env python3
"""Makes the HTML pages that other programs write from our fixture sources,
and the plain text that pandoc reads from each, for the HTML reader's tests.

For every Markdown source in interchange/tests/fixtures/html/source/ it
writes NAME.pandoc.html (pandoc --ascii -s -t html) and NAME.libreoffice.html
(pandoc to .docx, then soffice --headless --convert-to html), each beside
NAME.PEER.txt: the text of `pandoc -f html -t plain` of that page. The
results are committed, so the tests run without the programs.

Run from anywhere: tools/make_html_peer_fixtures.py
"""
import pathlib
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURES = ROOT / "interchange" / "tests" / "fixtures" / "html"
SOURCES = FIXTURES / "source"


def run(command, cwd):
    subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=240)


def plain_text(page, cwd):
    result = subprocess.run(["pandoc", "-f", "html", "-t", "plain", "--wrap=none", str(page)], cwd=cwd,
                            check=True, capture_output=True, timeout=240)
    return result.stdout


def main():
    for program in ("soffice", "pandoc"):
        if shutil.which(program) is None:
            sys.exit(f"{program} is missing: install it (tools/install-deps.sh) and run again")
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        profile = scratch / "profile"
        for source in sorted(SOURCES.glob("*.md")):
            name = source.stem
            pandoc_page = FIXTURES / f"{name}.pandoc.html"
            run(["pandoc", "--ascii", "-s", "--metadata", f"title={name}", "-t", "html", "-o", str(pandoc_page),
                 str(source)], scratch)
            docx = scratch / f"{name}.docx"
            run(["pandoc", "-o", str(docx), str(source)], scratch)
            run(["soffice", f"-env:UserInstallation=file://{profile}", "--headless", "--convert-to", "html",
                 "--outdir", str(scratch), str(docx)], scratch)
            office_page = FIXTURES / f"{name}.libreoffice.html"
            office_page.write_bytes((scratch / f"{name}.html").read_bytes())
            for page in (pandoc_page, office_page):
                page.with_suffix(".txt").write_bytes(plain_text(page, scratch))


if __name__ == "__main__":
    main()
