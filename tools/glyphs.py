#!/usr/bin/env python3
"""Draws the screens' button images and writes them into the definitions.

Each image is pixel art below: one character a pixel, mapped through PALETTE.
The images become 8-bit BMP files, stored in the definitions as the length of
the file in four bytes (little-endian) followed by the file, in hex, which is
how image properties are kept there. The same images, as the screens show
them (the background transparent, the disabled form apart), go to
bench/images/ as PNG files for the Designer copy of the screen that the
benchmarks open. Run it after changing a drawing:

    python3 tools/glyphs.py
"""
import pathlib
import re
import struct
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent

# ' ' is the background: olive, the transparent colour of glyphs (their
# bottom-left pixel), grey-blue on the date button, which is never transparent.
PALETTE = {
    " ": (128, 128, 0),
    "K": (0, 0, 0),
    "W": (255, 255, 255),
    "R": (192, 0, 0),
    "B": (0, 0, 160),
    "Y": (255, 224, 160),
    "G": (128, 128, 128),
    "S": (192, 192, 192),
    "C": (0, 128, 128),
}

CALENDAR = [
    "                ",
    " KKKKKKKKKKKKKK ",
    " KRRRRRRRRRRRRK ",
    " KRRRRRRRRRRRRK ",
    " KWWWWWWWWWWWWK ",
    " KWWWKWWKKKWWWK ",
    " KWWKKWWWWKWWWK ",
    " KWWWKWWKKKWWWK ",
    " KWWWKWWKWWWWWK ",
    " KWWKKKWKKKWWWK ",
    " KWWWWWWWWWWWWK ",
    " KWWKKKKKKKKWWK ",
    " KWWWKKKKKKWWWK ",
    " KWWWWKKKKWWWWK ",
    " KWWWWWKKWWWWWK ",
    " KKKKKKKKKKKKKK ",
]

HAND_AT_LIST = [
    "                ",
    "        KKKKKKK ",
    "        KWWWWWK ",
    "        KWBBBWK ",
    "        KWWWWWK ",
    "  KKKKKKKKBBBWK ",
    " KYYYYYYYYKWWWK ",
    "KYYYKKKKKKBBBWK ",
    "KYYYYYK  KWWWWK ",
    "KYYYKK   KBBBWK ",
    "KYYYYYK  KWWWWK ",
    " KYYYK   KBBBWK ",
    "  KKK    KWWWWK ",
    "         KWBBWK ",
    "         KKKKKK ",
    "                ",
]

PREVIEW = [
    "                ",
    " KKKKKKKKK      ",
    " KWWWWWWWKK     ",
    " KWGGGGWWKWK    ",
    " KWWWWWKKKKKK   ",
    " KWGGGKSSSKWK   ",
    " KWWWKSWWWSKK   ",
    " KWGGKSWWWSKK   ",
    " KWWWKSWWWSKK   ",
    " KWGGGKSSSKKK   ",
    " KWWWWWKKKKKKK  ",
    " KWGGGGWWWKKKKK ",
    " KWWWWWWWWWKKKKK",
    " KKKKKKKKKKKKKKK",
    "                ",
    "                ",
]

PRINTER = [
    "                ",
    "    KKKKKKKK    ",
    "    KWWWWWWK    ",
    "    KWGGGGWK    ",
    "    KWWWWWWK    ",
    "  KKKKKKKKKKKK  ",
    " KSSSSSSSSSSSSK ",
    " KSSSSSSSSSCCSK ",
    " KSSSSSSSSSSSSK ",
    " KGGGGGGGGGGGGK ",
    " KSSKKKKKKKKSSK ",
    " KSSKWWWWWWKSSK ",
    "  KKKWGGGGWKKK  ",
    "    KWWWWWWK    ",
    "    KKKKKKKK    ",
    "                ",
]

SAVE_AS = [
    "                ",
    " KKKKKKKKKKKKKK ",
    " KBKWWWWWWWWKBK ",
    " KBKWWWWWWWWKBK ",
    " KBKWGGGGGGWKBK ",
    " KBKWWWWWWWWKBK ",
    " KBKKKKKKKKKKBK ",
    " KBBBBBBBBBBBBK ",
    " KBBKKKKKKKKBBK ",
    " KBBKSSSSKSKBBK ",
    " KBBKSSSSKSKBBK ",
    " KBBKSSSSKSKBBK ",
    " KKKKKKKKKKKKKK ",
    "                ",
    "                ",
    "                ",
]


def greyed(art):
    """The disabled form: the shape in grey, its inside left blank."""
    rows = []
    for row in art:
        rows.append("".join(" " if c == " " else ("G" if c == "K" else "S") for c in row))
    return rows


def side_by_side(*images):
    return ["".join(parts) for parts in zip(*images)]


def bmp(art):
    keys = list(PALETTE)
    width, height = len(art[0]), len(art)
    stride = (width + 3) & ~3
    pixels = b"".join(
        bytes(keys.index(c) for c in art[y]) + b"\0" * (stride - width) for y in range(height - 1, -1, -1)
    )
    palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE.values()) + b"\0" * 4 * (256 - len(keys))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 3780, 3780, 256, 0)
    return header + info + palette + pixels


def stored(art):
    data = bmp(art)
    return struct.pack("<I", len(data)) + data


def png(art):
    """An RGBA PNG file of the image, its background transparent."""
    width, height = len(art[0]), len(art)
    rows = b"".join(
        b"\0" + b"".join(bytes(PALETTE[c]) + (b"\0" if c == " " else b"\xff") for c in row) for row in art
    )

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def write_bench_images():
    folder = ROOT / "bench" / "images"
    folder.mkdir(exist_ok=True)
    for name, art in (("preview", PREVIEW), ("print", PRINTER), ("save_as", SAVE_AS), ("search", HAND_AT_LIST)):
        (folder / (name + ".png")).write_bytes(png(art))
        (folder / (name + "_disabled.png")).write_bytes(png(greyed(art)))
    (folder / "calendar.png").write_bytes(png(CALENDAR))


def hex_block(data, indent):
    text = data.hex().upper()
    lines = [text[i : i + 64] for i in range(0, len(text), 64)]
    return "{\n" + "\n".join(indent + "  " + line for line in lines) + "}"


def put(definition, component, prop, data):
    path = ROOT / definition
    text = path.read_text(encoding="ascii")
    start = re.search(r"^(\s*)(object|inherited) %s:" % re.escape(component), text, re.M)
    if not start:
        raise SystemExit("%s: no component %s" % (definition, component))
    found = re.compile(r"^(\s*)%s = \{[^}]*\}" % re.escape(prop), re.M).search(text, start.end())
    if not found:
        raise SystemExit("%s: %s has no %s" % (definition, component, prop))
    block = "%s%s = %s" % (found.group(1), prop, hex_block(data, found.group(1)))
    path.write_text(text[: found.start()] + block + text[found.end() :], encoding="ascii")


def main():
    base = "components/Dadosgerrel.dfm"
    for name, art in (("sbtPreview", PREVIEW), ("sbtPrint", PRINTER), ("sbtSalvarComo", SAVE_AS)):
        put(base, name, "Glyph.Data", stored(side_by_side(art, greyed(art))))
    screen = "modules/rcl04700/Cli_rcl04700.dfm"
    if (ROOT / screen).exists():
        for name in ("depDtIni", "depDtFim"):
            put(screen, name, "ButtonBitmap.Data", stored(CALENDAR))
        put(screen, "sbtSist", "Glyph.Data", stored(side_by_side(HAND_AT_LIST, greyed(HAND_AT_LIST))))
    if (ROOT / "bench").exists():
        write_bench_images()


if __name__ == "__main__":
    main()
