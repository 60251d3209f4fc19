#!/usr/bin/env python3
"""Makes the footer fixtures: LibreOffice's RTF and Word files of our own
RTF sources, for the footer peer checks (where a footer's lines stand, and
the paragraphs a footer holds).

For every source NAME.rtf in interchange/tests/fixtures/footers/source/ it
writes into interchange/tests/fixtures/footers/:
  NAME.lo.rtf   soffice --headless --convert-to rtf
  NAME.doc      soffice --headless --convert-to doc
The results are committed; the checks print them with LibreOffice when
they run. Run from anywhere:
  tools/make_footer_peer_fixtures.py [NAME...]
"""
import pathlib
import shutil
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURES = ROOT / "interchange" / "tests" / "fixtures" / "footers"
SOURCES = FIXTURES / "source"
sys.path.insert(0, str(ROOT / "tools"))
from make_page_peer_fixtures import INFILTER, soffice  # noqa: E402


def main():
    names = sys.argv[1:]
    with tempfile.TemporaryDirectory() as scratch:
        work = pathlib.Path(scratch)
        profile = work / "profile"
        for source in sorted(SOURCES.glob("*.rtf")):
            if names and source.stem not in names:
                continue
            copy = work / "src" / source.name
            copy.parent.mkdir(exist_ok=True)
            shutil.copy(source, copy)
            for target, name in (("rtf", f"{source.stem}.lo.rtf"), ("doc", f"{source.stem}.doc")):
                out = work / "lo"
                out.mkdir(exist_ok=True)
                soffice(profile, out, target, [copy], INFILTER[".rtf"])
                shutil.move(str(out / f"{source.stem}.{target}"), str(FIXTURES / name))
                print(name)


if __name__ == "__main__":
    main()
