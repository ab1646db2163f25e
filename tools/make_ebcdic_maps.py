#!/usr/bin/env python3
"""Builds the supplied EBCDIC mapping files (data/ebcdic.*) from the C library's iconv tables.

Each file maps one IBM EBCDIC code page to the Windows code page of its language, one
line "%2.2x %2.2x" (EBCDIC, display byte) for each of the 256 EBCDIC values:

- a graphic character that the display code page has maps both ways;
- control codes, undefined positions and graphics the display code page lacks show as
  a blank, except DUP (0x1C) as '*' and FM (0x1E) as ';', the way a 3278 shows them;
- those lines come first: a later line wins the display-to-EBCDIC direction, so a
  typed blank, '*' or ';' goes to the real graphic, not to a control code.

Exactly 256 lines, so the editor (which keeps at most 256 pairs) can load and save a
supplied file without losing any. Usage: make_ebcdic_maps.py [--check] [OUTPUT_DIR]
"""

import ctypes
import ctypes.util
import pathlib
import sys

HEADER = "# TN3270 ebcdic mapping file\n"

# (file name, EBCDIC code page, display code page), in the order of the selection list.
CODE_PAGES = [
    ("ebcdic.map", "IBM037", "CP1252"),
    ("ebcdic.ita", "IBM280", "CP1252"),
    ("ebcdic.ger", "IBM273", "CP1252"),
    ("ebcdic.spa", "IBM284", "CP1252"),
    ("ebcdic.fr", "IBM297", "CP1252"),
    ("ebcdic.uk", "IBM285", "CP1252"),
    ("ebcdic.fin", "IBM278", "CP1252"),
    ("ebcdic.dk", "IBM277", "CP1252"),
    ("ebcdic.ice", "IBM871", "CP1252"),
    ("ebcdic.rus", "IBM1025", "CP1251"),
    ("ebcdic.cz", "IBM870", "CP1250"),
    ("ebcdic.grk", "IBM875", "CP1253"),
    ("ebcdic.tur", "IBM1026", "CP1254"),
]

BLANK, DUP, FM = 0x20, 0x1C, 0x1E
SHOWN_AS = {DUP: ord("*"), FM: ord(";")}

_libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
_libc.iconv_open.restype = ctypes.c_void_p
_libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
_libc.iconv.restype = ctypes.c_size_t
_libc.iconv.argtypes = [ctypes.c_void_p] + [
    ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t)] * 2
_libc.iconv_close.argtypes = [ctypes.c_void_p]
_FAILED = ctypes.c_size_t(-1).value


def convert(source, target, data):
    """DATA converted by the C library's iconv, or None where it has no conversion."""
    cd = _libc.iconv_open(target.encode(), source.encode())
    if cd is None or cd == _FAILED:
        sys.exit(f"iconv cannot convert {source} to {target}")
    try:
        inbuf = ctypes.create_string_buffer(data, len(data))
        outbuf = ctypes.create_string_buffer(16)
        inp, inleft = ctypes.cast(inbuf, ctypes.c_char_p), ctypes.c_size_t(len(data))
        outp, outleft = ctypes.cast(outbuf, ctypes.c_char_p), ctypes.c_size_t(16)
        done = _libc.iconv(cd, ctypes.byref(inp), ctypes.byref(inleft),
                           ctypes.byref(outp), ctypes.byref(outleft))
        if done == _FAILED or inleft.value:
            return None
        return outbuf.raw[:16 - outleft.value]
    finally:
        _libc.iconv_close(cd)


def is_control(code_point):
    return code_point < 0x20 or 0x7F <= code_point <= 0x9F


def build_pairs(ebcdic_page, display_page):
    """The 256 (EBCDIC, display) pairs in file order."""
    hidden, graphic = [], []
    for ebcdic in range(256):
        ucs = convert(ebcdic_page, "UCS-4LE", bytes([ebcdic]))
        shown = None
        if ucs is not None and not is_control(int.from_bytes(ucs, "little")):
            shown = convert("UCS-4LE", display_page, ucs)
        if shown is None or len(shown) != 1:
            hidden.append((ebcdic, SHOWN_AS.get(ebcdic, BLANK)))
        else:
            graphic.append((ebcdic, shown[0]))

    # Where two EBCDIC codes show as the same character, the one iconv itself
    # chooses for that character goes last, so that typing it yields that code.
    def preferred_last(pair):
        ucs = convert(display_page, "UCS-4LE", bytes([pair[1]]))
        back = convert("UCS-4LE", ebcdic_page, ucs) if ucs else None
        return back == bytes([pair[0]])

    graphic.sort(key=preferred_last)  # stable: otherwise EBCDIC order
    return hidden + graphic


def render(pairs):
    return HEADER + "".join(f"{e:02x} {a:02x}\n" for e, a in pairs)


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    out_dir = pathlib.Path(args[0]) if args else pathlib.Path(__file__).parent.parent / "data"
    stale = []
    for name, ebcdic_page, display_page in CODE_PAGES:
        text = render(build_pairs(ebcdic_page, display_page))
        path = out_dir / name
        if check:
            if not path.exists() or path.read_bytes() != text.encode("ascii"):
                stale.append(name)
        else:
            path.write_bytes(text.encode("ascii"))
    if stale:
        sys.exit("out of date: " + " ".join(stale))


if __name__ == "__main__":
    main(sys.argv[1:])
