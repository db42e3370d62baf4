#!/usr/bin/env python3
"""Generates encoding/code_page_tables.cpp, the built-in code-page tables.

    python3 encoding/gen/gen_code_pages.py [OUTPUT]

Mapping data, all published vendor tables:
  * Python's charmap codecs (generated from the Unicode Consortium's
    MAPPINGS/ISO8859, VENDORS/MICSFT/WINDOWS, /PC and /EBCDIC files) for the
    ISO 8859 parts, the Windows, DOS and EBCDIC 037/500/875 code pages;
  * glibc's IBM870 charmap (/usr/share/i18n/charmaps) for EBCDIC 870;
  * Wine's c_708.nls (Microsoft's own table of the Arabic DOS code page,
    which neither of the above carries) for 708.

On top of them the differences the converter promises are applied here, in
one place (see DIFFERENCES). Each table is then written in the stored form:

  table      = flag ("a" ASCII-compatible, "x" not), "u",
               single-byte records (increment u8 != 0, delta u16 LE), 0,
               double-byte records (none here), 00 00
  descriptor = "c" + base64(E1 A7 94 B3, u32 LE table length, bzip2 stream)

Code pages the converter knows without data get an empty descriptor.
"""

import base64
import bz2
import codecs
import gzip
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUTPUT = os.path.join(HERE, "..", "code_page_tables.cpp")
CHARMAPS = "/usr/share/i18n/charmaps"
WINE_NLS = "/usr/share/wine/nls"

MAGIC = bytes([0xE1, 0xA7, 0x94, 0xB3])


def c1(*bytes_):
    """Bytes that map to the C1 control of the same value."""
    return {b: b for b in bytes_}


# ---- Sources ---------------------------------------------------------------

def from_python(codec):
    """byte -> code unit for 01..FF from one of Python's charmap codecs."""
    codecs.lookup(codec)  # fails loudly for an unknown name
    m = {}
    for b in range(1, 256):
        try:
            s = bytes([b]).decode(codec)
        except UnicodeDecodeError:
            continue
        if len(s) == 1 and s != "\ufffe":
            m[b] = ord(s)
    return m


def from_glibc(name):
    m = {}
    with gzip.open(os.path.join(CHARMAPS, name + ".gz"), "rt", encoding="ascii",
                   errors="replace") as f:
        in_map = False
        for line in f:
            if line.startswith("CHARMAP"):
                in_map = True
                continue
            if line.startswith("END CHARMAP"):
                break
            if not in_map or not line.startswith("<U"):
                continue
            fields = line.split()
            unit = int(fields[0][2:-1], 16)
            code = fields[1]
            if not code.startswith("/x") or len(code) != 4 or unit > 0xFFFF:
                raise SystemExit("%s: unexpected charmap line %r" % (name, line))
            b = int(code[2:], 16)
            if b != 0:
                m[b] = unit
    return m


def from_wine_nls(code_page):
    """The multi-byte-to-wide table of a Windows NLS code-page file."""
    path = os.path.join(WINE_NLS, "c_%03d.nls" % code_page)
    with open(path, "rb") as f:
        data = f.read()
    header = struct.unpack("<13H", data[:26])
    if header[0] != 13 or header[1] != code_page or header[2] != 1:
        raise SystemExit("%s: not a single-byte code-page file" % path)
    table = struct.unpack("<256H", data[28:28 + 512])
    default = header[4]  # the unicode default character stands for "none"
    return {b: table[b] for b in range(1, 256) if table[b] != default or b == default}


# ---- The code pages ----------------------------------------------------------

# code page -> (source, ASCII-compatible). DIFFERENCES below changes single
# bytes of a source: a code unit, or None for "no mapping".
ISO_EURO = {0x80: 0x20AC}
DIFFERENCES = {}

SOURCES = {
    28591: ("py:cp1252", True),
    28592: ("py:iso8859_2", True),
    28593: ("py:iso8859_3", True),
    28594: ("py:iso8859_4", True),
    28595: ("py:iso8859_5", True),
    28596: ("py:iso8859_6", True),
    28597: ("py:iso8859_7", True),
    28598: ("py:iso8859_8", True),
    28599: ("py:iso8859_9", True),
    28603: ("py:iso8859_13", True),
    28605: ("py:iso8859_15", True),
    708: ("wine:708", True),
    870: ("glibc:IBM870", False),
    37: ("py:cp037", False),
    500: ("py:cp500", False),
    875: ("py:cp875", False),
}
for cp in range(1250, 1259):
    SOURCES[cp] = ("py:cp%d" % cp, True)
for cp in (437, 720, 737, 775, 850, 852, 855, 857, 860, 861, 862, 863, 864,
           865, 866, 869, 874):
    SOURCES[cp] = ("py:cp%d" % cp, True)
SOURCES[858] = ("py:cp850", True)

for cp in (28592, 28593, 28594, 28595, 28596, 28598, 28599):
    DIFFERENCES[cp] = dict(ISO_EURO)
DIFFERENCES[28597] = {0x80: None}
DIFFERENCES[858] = {0xD5: 0x20AC}
DIFFERENCES[857] = {0xD5: 0xF8BB, 0xE7: 0xF8BC, 0xF2: 0xF8BD}
DIFFERENCES[864] = {0x25: 0x0025, 0xA6: 0xF8BE, 0xA7: 0xF8BF, 0xFF: 0xF8C0,
                    **c1(0x9B, 0x9C, 0x9F)}
DIFFERENCES[869] = c1(0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x87, 0x93, 0x94)
DIFFERENCES[874] = {**c1(*range(0x81, 0x85), *range(0x86, 0x91), *range(0x98, 0xA0)),
                    0xDB: 0xF8C1, 0xDC: 0xF8C2, 0xDD: 0xF8C3, 0xDE: 0xF8C4,
                    0xFC: 0xF8C5, 0xFD: 0xF8C6, 0xFE: 0xF8C7, 0xFF: 0xF8C8}
DIFFERENCES[875] = {b: None for b in (0xDC, 0xE1, 0xEC, 0xED, 0xFC, 0xFD)}

# 20127: the ASCII rule alone, plus U+00A0 -> 20 for encoding only. With the
# ASCII flag set, byte 20 is never looked up when decoding, so the record
# acts in the encode direction only.
ASCII_RECORDS = {20127: [(0x20, 0x00A0)]}

DOUBLE_BYTE_WITHOUT_DATA = [932, 936, 949, 950, 1361, 10001, 51932, 51936, 51949]
SINGLE_BYTE_WITHOUT_DATA = (
    [1026, 1047] + list(range(1140, 1150)) +
    [10000, 10004, 10005, 10006, 10007, 10010, 10017, 10021, 10029, 10079,
     10081, 10082, 20105, 20106, 20107, 20108, 20261, 20269, 20273, 20277,
     20278, 20280, 20284, 20285, 20290, 20297, 20420, 20423, 20424, 20838,
     20866, 20871, 20880, 20905, 20924, 21025, 21866, 38598])


def load(source):
    kind, name = source.split(":", 1)
    if kind == "py":
        return from_python(name)
    if kind == "glibc":
        return from_glibc(name)
    if kind == "wine":
        return from_wine_nls(int(name))
    raise SystemExit("unknown source " + source)


def mapping_for(cp):
    source, ascii_compatible = SOURCES[cp]
    m = load(source)
    for b, u in DIFFERENCES.get(cp, {}).items():
        if u is None:
            m.pop(b, None)
        else:
            m[b] = u
    if ascii_compatible:
        for b in range(1, 0x80):
            if m.get(b) != b:
                raise SystemExit("code page %d: byte %02X is not ASCII (%r)" % (cp, b, m.get(b)))
        records = [(b, m[b]) for b in sorted(m) if b >= 0x80]
    else:
        records = [(b, m[b]) for b in sorted(m)]
    units = [u for _, u in records]
    if len(set(units)) != len(units):
        raise SystemExit("code page %d maps two bytes to one code unit" % cp)
    return ascii_compatible, records


# ---- Stored form ---------------------------------------------------------------

def table_bytes(ascii_compatible, records):
    out = bytearray(b"a" if ascii_compatible else b"x")
    out += b"u"
    byte, unit = 0, 0
    for b, u in records:
        inc = b - byte
        assert 1 <= inc <= 255
        out.append(inc)
        out += struct.pack("<H", (u - unit) & 0xFFFF)
        byte, unit = b, u
    out.append(0)
    out += b"\0\0"  # no double-byte records
    return bytes(out)


def descriptor(table):
    block = MAGIC + struct.pack("<I", len(table)) + bz2.compress(table, 9)
    return "c" + base64.b64encode(block).decode("ascii")


def c_string(text, indent="    "):
    if not text:
        return indent + '""'
    width = 72
    pieces = [text[i:i + width] for i in range(0, len(text), width)]
    return "\n".join(indent + '"%s"' % p for p in pieces)


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUTPUT
    entries = []  # (code page, double byte, descriptor)
    total = 0
    for cp in sorted(set(SOURCES) | set(ASCII_RECORDS)):
        if cp in ASCII_RECORDS:
            table = table_bytes(True, ASCII_RECORDS[cp])
        else:
            table = table_bytes(*mapping_for(cp))
        d = descriptor(table)
        total += len(d)
        entries.append((cp, False, d))
    for cp in SINGLE_BYTE_WITHOUT_DATA:
        entries.append((cp, False, ""))
    for cp in DOUBLE_BYTE_WITHOUT_DATA:
        entries.append((cp, True, ""))
    entries.sort()
    numbers = [e[0] for e in entries]
    assert len(numbers) == len(set(numbers))

    lines = [
        "// generated by encoding/gen/gen_code_pages.py, do not edit",
        "//",
        "// The built-in code-page tables: one descriptor per code page, \"c\" and",
        "// the base64 text of a bzip2-packed table, or empty for a code page that",
        "// is known but has no data. %d tables, %d bytes of descriptor text."
        % (sum(1 for e in entries if e[2]), total),
        '#include "encoding/code_page_tables.h"',
        "",
        "namespace {",
        "",
    ]
    for cp, _, d in entries:
        if d:
            lines.append("const char kCodePage%d[] =" % cp)
            lines.append(c_string(d) + ";")
            lines.append("")
    lines.append("const CodePageTableEntry kEntries[] = {")
    for cp, double_byte, d in entries:
        lines.append("    {%d, %s, %s}," % (cp, "true" if double_byte else "false",
                                           "kCodePage%d" % cp if d else '""'))
    lines += [
        "};",
        "",
        "}  // namespace",
        "",
        "const CodePageTableEntry* codePageTableEntries(int& count) {",
        "  count = static_cast<int>(sizeof kEntries / sizeof kEntries[0]);",
        "  return kEntries;",
        "}",
        "",
    ]
    with open(output, "w", newline="\n") as f:
        f.write("\n".join(lines))
    print("wrote %s: %d code pages, %d bytes of descriptors" % (output, len(entries), total))


if __name__ == "__main__":
    main()
