#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages that building and testing need
# and that are missing. Run as root on Debian 12; does nothing when all are there.
# Given package names, it installs those instead (what `make fuzz` needs).
set -euo pipefail

if [ $# -gt 0 ]; then
  packages=("$@")
else
packages=(
  cmake ninja-build g++ make pkg-config binutils
  lld                   # the linker of every build (CMakeLists.txt)
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libpng-dev libjpeg62-turbo-dev
  libsqlite3-dev        # the stand-in host keeps its records in SQLite
  python3 icu-devtools  # the text table generator and its Unicode data
  libicu-dev            # clusters and stray characters (ICU), the open tests' Unicode blocks
  python3-fonttools     # the synthetic test font "Qv Test"
  libfreetype-dev libfontconfig-dev
  libharfbuzz-dev       # marks on their letters, joiners unseen: runs shaped by HarfBuzz
  fonts-liberation2 fonts-dejavu-core fonts-symbola
  fonts-wqy-microhei    # CJK where a face lacks it (Arabic comes from DejaVu Sans)
  libcairo2-dev         # printed pages are written as PDF files
  poppler-utils         # the print tests read those files back (pdftotext, pdftoppm)
  strace                # the save's trace: the new file's protection before its flush
  # The peers: the programs people use for the foreign formats, which read
  # what we write and wrote the documents we read (ctest label `peers`).
  libreoffice-writer-nogui  # soffice --headless --convert-to
  abiword pandoc unrtf antiword catdoc
  wv libimage-exiftool-perl  # wvText and exiftool read the Word files we write
  python3-olefile tidy python3-html5lib
  chromium              # headless, it lays out our HTML pages as a browser shows them
  # The spelling engine library (libqvspell.so) checks words with Hunspell
  # and Debian's dictionaries; its tests compare with `hunspell -l` and
  # check French and German words, whose dictionaries count the full stop
  # among their word characters.
  libhunspell-dev hunspell hunspell-en-us hunspell-fr-classical hunspell-de-de
)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
