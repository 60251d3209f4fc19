#!/usr/bin/env python3
"""Makes the RTF files that other programs write from our fixture sources,
and the text LibreOffice reads from each, for the RTF reader's tests.

For every source in interchange/tests/fixtures/rtf/source/ it runs
LibreOffice (soffice --headless --convert-to rtf), AbiWord (abiword
--to=rtf) and pandoc (pandoc -s -t rtf) where the program reads that kind of
source, and writes NAME.PEER.rtf beside NAME.PEER.txt: the text of
`soffice --headless --convert-to txt` of that RTF file. The results are
committed, so the tests run without the programs.

Run from anywhere: tools/make_rtf_peer_fixtures.py
"""
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURES = ROOT / "interchange" / "tests" / "fixtures" / "rtf"
SOURCES = FIXTURES / "source"


def run(command, cwd):
    subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=240)


def soffice(profile, *arguments):
    return ["soffice", f"-env:UserInstallation=file://{profile}", "--headless", *arguments]


def main():
    for program in ("soffice", "abiword", "pandoc"):
        if shutil.which(program) is None:
            sys.exit(f"{program} is missing: install it (tools/install-deps.sh) and run again")
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        profile = scratch / "profile"
        made = []
        for source in sorted(SOURCES.iterdir()):
            name = source.stem
            work = scratch / name
            work.mkdir()
            shutil.copy(source, work / source.name)
            # LibreOffice reads every source; HTML in Writer rather than its
            # web editor, which writes no RTF.
            html = ["--infilter=HTML (StarWriter)"] if source.suffix == ".html" else []
            run(soffice(profile, *html, "--convert-to", "rtf", "--outdir", str(work / "lo"), source.name), work)
            lo_rtf = work / "lo" / (name + ".rtf")
            outputs = {"libreoffice": lo_rtf}
            # AbiWord and pandoc read HTML; for the other sources AbiWord
            # reads LibreOffice's RTF, so its own writer still makes the file.
            abi_rtf = work / (name + ".abiword.rtf")
            abi_input = source.name if source.suffix == ".html" else str(lo_rtf)
            run(["abiword", f"--to={abi_rtf}", abi_input], work)
            outputs["abiword"] = abi_rtf
            if source.suffix == ".html":
                pandoc_rtf = work / (name + ".pandoc.rtf")
                run(["pandoc", "-s", "-f", "html", "-t", "rtf", "-o", str(pandoc_rtf), source.name], work)
                outputs["pandoc"] = pandoc_rtf
            for peer, rtf in outputs.items():
                target = FIXTURES / f"{name}.{peer}.rtf"
                shutil.copy(rtf, target)
                text_dir = work / ("txt-" + peer)
                run(soffice(profile, "--convert-to", "txt:Text (encoded):UTF8", "--outdir", str(text_dir),
                            str(target)), work)
                text = (text_dir / (target.stem + ".txt")).read_bytes()
                (FIXTURES / f"{name}.{peer}.txt").write_bytes(text)
                made.append(target.name)
    print("made:", ", ".join(made))


if __name__ == "__main__":
    main()
