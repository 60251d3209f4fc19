#!/usr/bin/env python3
"""Makes the Word 97 files LibreOffice writes from our fixture sources, with
what the programs people use read from each, for the compound file and Word
reader tests.

For every source in interchange/tests/fixtures/word/source/ it runs
`soffice --headless --convert-to doc` and writes, beside NAME.doc:
  NAME.streams  one line per stream python3-olefile lists: the path (storages
                joined by '/'), a tab, the size in bytes, a tab, the CRC-32 of
                the bytes in hexadecimal;
  NAME.antiword.txt and NAME.catdoc.txt  the text antiword and catdoc read.
The results are committed, so the tests run without the programs.

Run from anywhere: tools/make_word_peer_fixtures.py
"""
import pathlib
import shutil
import subprocess
import sys
import tempfile
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURES = ROOT / "interchange" / "tests" / "fixtures" / "word"
SOURCES = FIXTURES / "source"


def listing(path):
    import olefile
    lines = []
    with olefile.OleFileIO(str(path)) as ole:
        for entry in ole.listdir(streams=True, storages=False):
            data = ole.openstream(entry).read()
            lines.append(f"{'/'.join(entry)}\t{len(data)}\t{zlib.crc32(data):08x}")
    return "\n".join(sorted(lines)) + "\n"


def main():
    for program in ("soffice", "antiword", "catdoc"):
        if shutil.which(program) is None:
            sys.exit(f"{program} is missing: install it (tools/install-deps.sh) and run again")
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
            print(target.relative_to(ROOT))


if __name__ == "__main__":
    main()
