#!/usr/bin/env python3
"""Makes the page and look fixtures: documents other writers made from our
own sources, with what LibreOffice reads of each, for the page peer checks.

For every source NAME.rtf in interchange/tests/fixtures/pages/source/ it
writes into interchange/tests/fixtures/pages/:
  NAME.doc        soffice --headless --convert-to doc
  NAME.lo.rtf     soffice --headless --convert-to rtf
  NAME.lo.html    soffice --headless --convert-to html
  NAME.abiword.rtf  abiword --to=rtf
  NAME.pandoc.rtf   pandoc -f rtf -t rtf -s
and for each of those files F:
  F.facts   every body paragraph's facts as LibreOffice reads F (its flat
            XML, --convert-to fodt), as tools/page_facts.py facts gives them;
  F.page    LibreOffice's PDF of F: its page size, page count and the first
            word of each line of page 1 (tools/page_facts.py page).
The results are committed, so the checks run without making them again.

With --read only the .facts and .page files are made again, from the
committed documents. Run from anywhere:
  tools/make_page_peer_fixtures.py [--read] [NAME...]
"""
import pathlib
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURES = ROOT / "interchange" / "tests" / "fixtures" / "pages"
SOURCES = FIXTURES / "source"
sys.path.insert(0, str(ROOT / "tools"))
import page_facts  # noqa: E402

# The filter LibreOffice opens each kind of fixture with.
INFILTER = {".rtf": "Rich Text Format", ".html": "HTML (StarWriter)", ".doc": "MS Word 97"}


def soffice(profile, work, target, files, infilter=None):
    command = ["soffice", f"-env:UserInstallation=file://{profile}", "--headless"]
    if infilter:
        command.append(f"--infilter={infilter}")
    command += ["--convert-to", target, "--outdir", str(work)] + [str(f) for f in files]
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=600)


def make_documents(source, work, profile):
    """The five documents of one source, in `work`; their paths."""
    stem = source.stem
    copy = work / "src" / source.name
    copy.parent.mkdir(exist_ok=True)
    shutil.copy(source, copy)
    made = []
    for target, name in (("doc", f"{stem}.doc"), ("rtf", f"{stem}.lo.rtf"),
                         ("html:HTML (StarWriter)", f"{stem}.lo.html")):
        out = work / "lo"
        out.mkdir(exist_ok=True)
        soffice(profile, out, target, [copy], INFILTER[".rtf"])
        produced = out / f"{stem}.{target.split(':')[0]}"
        shutil.move(str(produced), str(FIXTURES / name))
        made.append(FIXTURES / name)
    abiword = FIXTURES / f"{stem}.abiword.rtf"
    subprocess.run(["abiword", "--to=rtf", "-o", str(abiword), str(copy)], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    made.append(abiword)
    pandoc = FIXTURES / f"{stem}.pandoc.rtf"
    subprocess.run(["pandoc", "-f", "rtf", "-t", "rtf", "-s", "-o", str(pandoc), str(copy)],
                   check=True, timeout=120)
    made.append(pandoc)
    return made


def peer_reading(document, work, profile):
    """F.facts and F.page of one fixture document."""
    folder = work / ("read-" + document.name)
    folder.mkdir()
    # LibreOffice names its output after the file's stem: a copy without
    # the fixture's inner dots keeps the names apart.
    copy = folder / ("f" + document.suffix)
    shutil.copy(document, copy)
    infilter = INFILTER[document.suffix]
    soffice(profile, folder, "fodt", [copy], infilter)
    soffice(profile, folder, "pdf", [copy], infilter)
    (FIXTURES / (document.name + ".facts")).write_text(page_facts.fodt_facts(str(folder / "f.fodt")))
    (FIXTURES / (document.name + ".page")).write_text(page_facts.pdf_page(str(folder / "f.pdf")))


def main():
    names = [a for a in sys.argv[1:] if not a.startswith("--")]
    read_only = "--read" in sys.argv[1:]
    with tempfile.TemporaryDirectory() as scratch:
        work = pathlib.Path(scratch)
        profile = work / "profile"
        for source in sorted(SOURCES.glob("*.rtf")):
            if names and source.stem not in names:
                continue
            if read_only:
                documents = sorted(p for p in FIXTURES.glob(source.stem + ".*")
                                   if p.suffix in INFILTER)
            else:
                documents = make_documents(source, work, profile)
            for document in documents:
                peer_reading(document, work, profile)
                print(document.name)


if __name__ == "__main__":
    main()
