#!/usr/bin/env python3
"""Generates the international text tables of the module's resource file.

The character-set mappings come from Python's codecs (the Macintosh and
Windows code pages, and the CJK code pages the Macintosh encodings derive
from); the case tables and the four character sets come from ICU, through its
`uconv` tool. The output is resource source text for the resource compiler.

Stored layouts (all 16-bit fields big-endian):
  'macu', 'winu'  byte-to-UTF-16: maxBytes; when 1, 256 units indexed by the
                  byte (0 for a byte with no character); otherwise count, then
                  count entries sorted by their byte sequences, each a unit and
                  a field of maxBytes rounded up to even bytes (zero-padded).
  'umac', 'uwin'  UTF-16-to-byte: maxBytes, count of ranges, then each range:
                  first, last, and one field per unit as above (a field
                  starting with a zero byte: no byte form).
  'lwrn' ...      case: count of ranges, then first, last, and one
                  replacement unit per unit of the range.
  'uset'          set: count, then count (first, last) pairs.
"""

import argparse
import subprocess
import sys

# Script code -> (name, Macintosh encoding, Windows code page). The Macintosh
# CJK encodings are the code pages they derive from. Hebrew (6), Thai (14)
# and Vietnamese (15) have no Macintosh mapping in any source at hand: they
# get only the Windows table to UTF-16, for the bytes of a Word 6/95 run in
# their font or language, so a user of those languages still falls back to
# United States English (the manager's tables start with the Macintosh one).
SCRIPTS = [
    (0, "Roman", "mac_roman", "cp1252"),
    (1, "Japanese", "shift_jis", "cp932"),
    (2, "Traditional Chinese", "big5", "cp950"),
    (3, "Simplified Chinese", "gb2312", "cp936"),
    (4, "Korean", "euc_kr", "cp949"),
    (5, "Arabic", "mac_arabic", "cp1256"),
    (7, "Greek", "mac_greek", "cp1253"),
    (8, "Cyrillic", "mac_cyrillic", "cp1251"),
    (9, "Central European", "mac_latin2", "cp1250"),
    (10, "Croatian", "mac_croatian", "cp1250"),
    (11, "Icelandic", "mac_iceland", "cp1252"),
    (12, "Farsi", "mac_farsi", "cp1256"),
    (13, "Romanian", "mac_romanian", "cp1250"),
    (16, "Turkish", "mac_turkish", "cp1254"),
    # Baltic has no Macintosh script of its own (the Macintosh writes it in
    # Central European): its code is ours, for the Windows Baltic character
    # set of a font (a Word 6/95 file's), and no language chooses it.
    (17, "Baltic", "mac_latin2", "cp1257"),
    # Windows only. Vietnamese 1258 writes a tone mark as a combining
    # character after its letter: each byte is one character, as Windows
    # converts it, with no composition.
    (6, "Hebrew", None, "cp1255"),
    (14, "Thai", None, "cp874"),
    (15, "Vietnamese", None, "cp1258"),
]

# Case tables: id 0 for every language without its own, and the languages
# whose case rules differ (Turkish dotted and dotless i).
CASE_LANGUAGES = [(0, "Any"), (0x041F, "tr")]

# Marks removed by the accent-free case variants: the combining diacritics.
STRIP_MARKS = r"[\u0300-\u036F]"

# The four character sets: letters, decimal digits, white space, punctuation.
SETS = [
    (0, "letters", "[:^L:]"),
    (1, "decimal digits", "[:^Nd:]"),
    (2, "white space", "[:^White_Space:]"),
    (3, "punctuation", "[:^P:]"),
]

# A gap of more than this many unmapped units between two mapped ones starts
# a new range: a range header costs 4 bytes, a gap unit 2; a longer bound
# keeps the range walks short.
RANGE_GAP = 32


def fail(message):
    sys.stderr.write("gen_texttables: " + message + "\n")
    sys.exit(1)


def bmp_units(start=1):
    """Every BMP code point that can stand alone in UTF-8 text."""
    for u in range(start, 0x10000):
        if 0xD800 <= u <= 0xDFFF or 0xFDD0 <= u <= 0xFDEF or u in (0xFFFE, 0xFFFF):
            continue
        yield u


# ---------------------------------------------------------------- code pages

def decode_one(data, codec):
    """The one BMP unit that `data` decodes to, or None."""
    try:
        text = data.decode(codec)
    except UnicodeDecodeError:
        return None
    if len(text) != 1 or ord(text) > 0xFFFF:
        return None
    return ord(text)


def single_byte_tables(codec):
    """(256 units, {unit: bytes}) of a single-byte encoding. A byte that the
    code page leaves undefined carries the code point of its own value (as the
    system's conversion does), unless that unit is already taken."""
    units = list(range(256))
    taken = set()
    undefined = []
    for b in range(0x80, 0x100):
        u = decode_one(bytes([b]), codec)
        if u is None:
            undefined.append(b)
            units[b] = 0
        else:
            units[b] = u
            taken.add(u)
    for b in undefined:
        if b not in taken:
            units[b] = b
            taken.add(b)
    reverse = {}
    for u in bmp_units(0x80):
        try:
            data = chr(u).encode(codec)
        except UnicodeEncodeError:
            continue
        if len(data) == 1:
            reverse[u] = data
    for b in undefined:
        if units[b] == b and b not in reverse:
            reverse[b] = bytes([b])
    return units, reverse


def multi_byte_tables(codec):
    """(maxBytes, [(sequence, unit)] sorted, {unit: bytes}) of a multi-byte
    encoding. Only sequences whose first byte is 0x80 or above are listed:
    bytes below are ASCII and never looked up."""
    entries = []
    for lead in range(0x80, 0x100):
        u = decode_one(bytes([lead]), codec)
        if u is not None:
            entries.append((bytes([lead]), u))
            continue
        for trail in range(0x01, 0x100):
            u = decode_one(bytes([lead, trail]), codec)
            if u is not None:
                entries.append((bytes([lead, trail]), u))
    entries.sort()
    # The lookup stops at the first entry whose sequence is used up, so no
    # sequence may be the start of another.
    singles = {seq[0] for seq, _ in entries if len(seq) == 1}
    for seq, _ in entries:
        if len(seq) > 1 and seq[0] in singles:
            fail("%s: sequence %s starts with a one-byte character" % (codec, seq.hex()))
    if len(entries) > 0xFFFF:
        fail("%s: %d entries do not fit a 16-bit count" % (codec, len(entries)))
    max_bytes = max(len(seq) for seq, _ in entries)
    reverse = {}
    for u in bmp_units(0x80):
        try:
            data = chr(u).encode(codec)
        except UnicodeEncodeError:
            continue
        if 1 <= len(data) <= max_bytes and 0 not in data:
            reverse[u] = data
    return max_bytes, entries, reverse


def is_multi_byte(codec):
    """True when some byte that is no character on its own starts a two-byte one."""
    return any(decode_one(bytes([b]), codec) is None and
               any(decode_one(bytes([b, t]), codec) is not None for t in range(0x40, 0x100))
               for b in range(0x80, 0x100))


# ---------------------------------------------------------------- ICU data

def uconv(rules, text, uconv_path):
    result = subprocess.run(
        [uconv_path, "-f", "utf-8", "-t", "utf-8", "-x", rules],
        input=text.encode("utf-8"), capture_output=True)
    if result.returncode != 0:
        fail("uconv %s: %s" % (rules, result.stderr.decode(errors="replace")))
    return result.stdout.decode("utf-8")


def case_mapping(transform, uconv_path):
    """{unit: replacement} for every BMP unit that `transform` changes into
    exactly one BMP unit (mappings into several units are left out)."""
    # One unit a line: the controls and the line separators, none of which
    # has a case, stay out.
    units = [u for u in bmp_units(0x20)
             if not (0x7F <= u <= 0x9F) and u not in (0x2028, 0x2029)]
    out = uconv(transform, "\n".join(chr(u) for u in units) + "\n", uconv_path)
    lines = out.split("\n")
    if len(lines) != len(units) + 1:
        fail("uconv %s answered %d lines for %d units" % (transform, len(lines) - 1, len(units)))
    mapping = {}
    for u, line in zip(units, lines):
        if len(line) == 1 and ord(line) <= 0xFFFF and ord(line) != u:
            mapping[u] = ord(line)
    return mapping


def character_set(remove_others, uconv_path):
    text = "".join(chr(u) for u in bmp_units(1))
    kept = uconv("::%s Remove;" % remove_others, text, uconv_path)
    return sorted({ord(c) for c in kept if ord(c) <= 0xFFFF})


# ---------------------------------------------------------------- layouts

def group_ranges(units):
    """Splits sorted units into (first, last) ranges, bridging short gaps."""
    ranges = []
    for u in units:
        if ranges and u - ranges[-1][1] - 1 <= RANGE_GAP:
            ranges[-1][1] = u
        else:
            ranges.append([u, u])
    return ranges


def field(data, width):
    return data + bytes(width - len(data))


class Resource:
    """One resource as lines of the resource source text."""

    def __init__(self, rtype, rid, name):
        self.head = "resource '%s' %d \"%s\" {" % (rtype, rid, name)
        self.lines = []
        self.size = 0

    def comment(self, text):
        self.lines.append("  # " + text)

    def u16(self, values, per_line=16):
        for i in range(0, len(values), per_line):
            chunk = values[i:i + per_line]
            self.lines.append("  u16 " + " ".join("0x%04X" % v for v in chunk))
        self.size += 2 * len(values)

    def hex(self, data, per_line=16):
        for i in range(0, len(data), per_line):
            chunk = data[i:i + per_line]
            self.lines.append('  hex "' + " ".join("%02X" % b for b in chunk) + '"')
        self.size += len(data)

    def text(self):
        return "\n".join([self.head] + self.lines + ["}", ""])


def byte_to_uni_single(rtype, rid, name, units):
    r = Resource(rtype, rid, name)
    r.comment("maxBytes 1, then the unit of each byte 0x00 to 0xFF (0: none)")
    r.u16([1])
    r.u16(units)
    return r


def byte_to_uni_multi(rtype, rid, name, max_bytes, entries):
    width = (max_bytes + 1) & ~1
    r = Resource(rtype, rid, name)
    r.comment("maxBytes %d, count %d, then each entry: the unit (big-endian) and"
              % (max_bytes, len(entries)))
    r.comment("its byte sequence in %d bytes, zero-padded, in ascending byte order" % width)
    r.u16([max_bytes, len(entries)])
    data = bytearray()
    for seq, u in entries:
        data += bytes([u >> 8, u & 0xFF]) + field(seq, width)
    r.hex(bytes(data), per_line=4 * (2 + width))
    return r


def uni_to_byte(rtype, rid, name, max_bytes, reverse):
    width = (max_bytes + 1) & ~1
    ranges = group_ranges(sorted(reverse))
    r = Resource(rtype, rid, name)
    r.comment("maxBytes %d, %d ranges; each: first, last, then %d bytes per unit"
              % (max_bytes, len(ranges), width))
    r.u16([max_bytes, len(ranges)])
    for first, last in ranges:
        r.u16([first, last])
        data = bytearray()
        for u in range(first, last + 1):
            data += field(reverse.get(u, b""), width)
        r.hex(bytes(data))
    return r


def case_table(rtype, rid, name, mapping):
    ranges = group_ranges(sorted(mapping))
    r = Resource(rtype, rid, name)
    r.comment("%d ranges; each: first, last, then one replacement per unit" % len(ranges))
    r.u16([len(ranges)])
    for first, last in ranges:
        r.u16([first, last])
        r.u16([mapping.get(u, u) for u in range(first, last + 1)])
    return r


def set_table(rid, name, members):
    pairs = []
    for u in members:
        if pairs and u == pairs[-1][1] + 1:
            pairs[-1][1] = u
        else:
            pairs.append([u, u])
    r = Resource("uset", rid, name)
    r.comment("%s: %d (first, last) pairs" % (name, len(pairs)))
    r.u16([len(pairs)])
    r.u16([v for p in pairs for v in p])
    return r


# ---------------------------------------------------------------- main

def conversion_tables(script, name, mac_codec, win_codec):
    resources = []
    if mac_codec is None:
        # A script of Windows alone: its bytes read, never written.
        label = "%s (%s)" % (name, win_codec)
        return [byte_to_uni_single("winu", script, label, single_byte_tables(win_codec)[0])]
    for kind, codec in (("mac", mac_codec), ("win", win_codec)):
        label = "%s (%s)" % (name, codec)
        to_uni = "macu" if kind == "mac" else "winu"
        from_uni = "umac" if kind == "mac" else "uwin"
        if is_multi_byte(codec):
            max_bytes, entries, reverse = multi_byte_tables(codec)
            resources.append(byte_to_uni_multi(to_uni, script, label, max_bytes, entries))
        else:
            max_bytes = 1
            units, reverse = single_byte_tables(codec)
            resources.append(byte_to_uni_single(to_uni, script, label, units))
        resources.append(uni_to_byte(from_uni, script, label, max_bytes, reverse))
    return resources


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--output", required=True)
    parser.add_argument("--uconv", default="uconv")
    args = parser.parse_args()

    resources = []
    for script, name, mac_codec, win_codec in SCRIPTS:
        resources += conversion_tables(script, name, mac_codec, win_codec)

    for rid, locale in CASE_LANGUAGES:
        plain_upper = "%s-Upper" % locale
        plain_lower = "%s-Lower" % locale
        strip = "; NFD; %s Remove; NFC" % STRIP_MARKS
        tables = [
            ("lwrn", "lower case", plain_lower),
            ("lwra", "lower case without accents", plain_lower + strip),
            ("uprn", "upper case", plain_upper),
            ("upra", "upper case without accents", plain_upper + strip),
        ]
        for rtype, what, transform in tables:
            mapping = case_mapping(transform, args.uconv)
            resources.append(case_table(rtype, rid, "%s, %s" % (what, locale), mapping))

    for rid, name, others in SETS:
        resources.append(set_table(rid, name, character_set(others, args.uconv)))

    header = [
        "# International text tables, generated at build time by",
        "# tools/texttables/gen_texttables.py from Python's codecs and ICU. Do not edit.",
        "",
    ]
    text = "\n".join(header) + "\n" + "\n".join(r.text() for r in resources)
    with open(args.output, "w", encoding="ascii") as out:
        out.write(text)


if __name__ == "__main__":
    main()
