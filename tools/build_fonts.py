#!/usr/bin/python3
"""Builds the two built-in fonts, lumivale_cu.ttf and lumivale_xi.ttf.

Usage: tools/build_fonts.py [OUTDIR]   (default: assets/fonts beside this script's parent)

The outlines come from Roboto (Debian package fonts-roboto-unhinted, Apache-2.0): Roboto Black
for the heavy face, kept at 2048 units per em and only re-spaced to our advances; Roboto Regular
for the light face, scaled to 1000 units per em. Hinting, kerning and layout tables are dropped.

The output is deterministic: fixed timestamps, no randomness, so two runs give the same bytes.
Each font is compiled exactly once. Loading a font back through fontTools and saving it again
would lose the character map entries that point at glyph 0 ('"' in cu, '.' in xi).
"""

import os
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.recordingPen import DecomposingRecordingPen
from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont, newTable
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

ROBOTO_DIR = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF"

# 2020-01-01 00:00:00 UTC in seconds since 1904-01-01, the sfnt epoch.
FIXED_TIMESTAMP = 3660681600

COPYRIGHT = "Copyright 2011 Google Inc. All Rights Reserved."
LICENSE_DESCRIPTION = (
    "This font is a modified subset of Roboto (Copyright 2011 Google Inc.): a few glyphs taken "
    "from it, re-spaced, scaled and renamed. Licensed under the Apache License, Version 2.0 "
    "(the \"License\"); you may not use this file except in compliance with the License. You may "
    "obtain a copy of the License at http://www.apache.org/licenses/LICENSE-2.0. Unless required "
    "by applicable law or agreed to in writing, software distributed under the License is "
    "distributed on an \"AS IS\" BASIS, WITHOUT WARRANTIES OR CONDITIONS OF ANY KIND, either "
    "express or implied.")
LICENSE_URL = "http://www.apache.org/licenses/LICENSE-2.0"

# The characters U+0022 to U+0040, in code order, with their advances in the heavy face.
CU_ADVANCES = [
    ('"', 657), ("#", 1220), ("$", 1175), ("%", 1512), ("&", 1344), ("'", 331), ("(", 719),
    (")", 722), ("*", 928), ("+", 1118), (",", 500), ("-", 794), (".", 595), ("/", 765),
    ("0", 1175), ("1", 1175), ("2", 1175), ("3", 1175), ("4", 1175), ("5", 1175), ("6", 1174),
    ("7", 1175), ("8", 1175), ("9", 1175), (":", 578), (";", 537), ("<", 1042), ("=", 1172),
    (">", 1058), ("?", 1019), ("@", 1833),
]

# The full stop (glyph 0) and the ten digits, with their advances in the light face.
XI_ADVANCES = [(".", 238)] + [(d, 562) for d in "0123456789"]

CU = {
    "file": "lumivale_cu.ttf",
    "source": "Roboto-Black.ttf",
    "scale_to": 2048,
    "advances": CU_ADVANCES,
    "unicode_map": [ch for ch, _ in CU_ADVANCES],  # all of them, '"' to glyph 0
    "mac_map": [ch for ch, _ in CU_ADVANCES],
    "bold": True,
    "win_ascent": 1946, "win_descent": 512,
    "ascender": 1900, "descender": -500, "line_gap": 0,
    "names": {
        1: "lumivale_cu",
        2: "Regular",
        3: "lumivale_cu \u7c97\u4f53:Version 1.00",  # 粗体
        4: "lumivale_cu \u7c97\u4f53",
        5: "Version 1.00 September 8, 2017, initial release",
        6: "lumivale_cu-",
    },
}

XI = {
    "file": "lumivale_xi.ttf",
    "source": "Roboto-Regular.ttf",
    "scale_to": 1000,
    "advances": XI_ADVANCES,
    "unicode_map": [ch for ch, _ in XI_ADVANCES],  # '.' to glyph 0 and the digits
    "mac_map": list("0123456789"),
    "bold": False,
    "win_ascent": 949, "win_descent": 342,
    "ascender": 949, "descender": -342, "line_gap": 90,
    "names": {
        1: "lumivale_xi",
        2: "Regular",
        3: "lumivale_xi \u5e38\u89c4:Version 1.00",  # 常规
        4: "lumivale_xi \u5e38\u89c4",
        5: "Version 1.00 March 26, 2013, initial release",
        6: "lumivale_xi-",
    },
}


def glyph_names(characters, source_cmap):
    """Glyph 0 is called .notdef; the others keep their source names."""
    names = [".notdef"]
    names += [source_cmap[ord(ch)] for ch in characters[1:]]
    return names


def build_glyphs(design, source):
    """The decomposed, scaled and re-spaced outlines, with (advance, lsb) for each."""
    upem = source["head"].unitsPerEm
    scale = design["scale_to"] / upem
    source_cmap = source.getBestCmap()
    source_glyphs = source.getGlyphSet()
    glyphs = {}
    metrics = {}
    names = glyph_names([ch for ch, _ in design["advances"]], source_cmap)
    for name, (ch, advance) in zip(names, design["advances"]):
        source_name = source_cmap[ord(ch)]
        recording = DecomposingRecordingPen(source_glyphs)
        source_glyphs[source_name].draw(recording)
        scaled_advance = source["hmtx"][source_name][0] * scale
        # Centre the ink in the new advance, as the source centred it in the old one.
        shift = round((advance - scaled_advance) / 2)
        tt_pen = TTGlyphPen(None)
        recording.replay(TransformPen(tt_pen, (scale, 0, 0, scale, shift, 0)))
        glyph = tt_pen.glyph()
        glyph.recalcBounds(None)
        glyphs[name] = glyph
        metrics[name] = (advance, glyph.xMin if glyph.numberOfContours else 0)
    return names, glyphs, metrics


def build_cmap(names, design):
    by_char = {ch: name for name, (ch, _) in zip(names, design["advances"])}
    unicode_map = {ord(ch): by_char[ch] for ch in design["unicode_map"]}
    mac_map = {ord(ch): by_char[ch] for ch in design["mac_map"]}
    subtables = []
    for platform, encoding, fmt, mapping in (
            (0, 3, 4, unicode_map), (1, 0, 0, mac_map), (3, 1, 4, unicode_map)):
        sub = CmapSubtable.newSubtable(fmt)
        sub.platformID = platform
        sub.platEncID = encoding
        sub.language = 0
        sub.cmap = dict(mapping)
        subtables.append(sub)
    cmap = newTable("cmap")
    cmap.tableVersion = 0
    cmap.tables = subtables
    return cmap


def build_names(font, design):
    name = newTable("name")
    name.names = []
    records = {0: COPYRIGHT, **design["names"], 13: LICENSE_DESCRIPTION, 14: LICENSE_URL}
    for name_id, text in sorted(records.items()):
        name.setName(text, name_id, 3, 1, 0x409)
        try:
            text.encode("mac_roman")
        except UnicodeEncodeError:
            continue  # the Chinese full names live on the Windows platform only
        name.setName(text, name_id, 1, 0, 0)
    font["name"] = name


def build_font(design, out_dir):
    source = TTFont(os.path.join(ROBOTO_DIR, design["source"]))
    scale = design["scale_to"] / source["head"].unitsPerEm
    names, glyphs, metrics = build_glyphs(design, source)

    fb = FontBuilder(design["scale_to"], isTTF=True)
    fb.font.recalcTimestamp = False
    fb.setupGlyphOrder(names)
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(
        ascent=design["ascender"], descent=design["descender"], lineGap=design["line_gap"])
    fb.font["cmap"] = build_cmap(names, design)
    build_names(fb.font, design)

    src_os2 = source["OS/2"]
    first_char = min(ord(ch) for ch, _ in design["advances"])
    last_char = max(ord(ch) for ch, _ in design["advances"])
    fb.setupOS2(
        version=4,
        usWeightClass=400,
        usWidthClass=5,
        fsType=0,
        fsSelection=(1 << 5) if design["bold"] else (1 << 6),
        achVendID="NONE",
        sTypoAscender=design["ascender"],
        sTypoDescender=design["descender"],
        sTypoLineGap=design["line_gap"],
        usWinAscent=design["win_ascent"],
        usWinDescent=design["win_descent"],
        ySubscriptXSize=round(src_os2.ySubscriptXSize * scale),
        ySubscriptYSize=round(src_os2.ySubscriptYSize * scale),
        ySubscriptYOffset=round(src_os2.ySubscriptYOffset * scale),
        ySuperscriptXSize=round(src_os2.ySuperscriptXSize * scale),
        ySuperscriptYSize=round(src_os2.ySuperscriptYSize * scale),
        ySuperscriptYOffset=round(src_os2.ySuperscriptYOffset * scale),
        yStrikeoutSize=round(src_os2.yStrikeoutSize * scale),
        yStrikeoutPosition=round(src_os2.yStrikeoutPosition * scale),
        sxHeight=round(src_os2.sxHeight * scale),
        sCapHeight=round(src_os2.sCapHeight * scale),
        ulUnicodeRange1=1,  # Basic Latin
        ulUnicodeRange2=0, ulUnicodeRange3=0, ulUnicodeRange4=0,
        ulCodePageRange1=1,  # Latin 1
        ulCodePageRange2=0,
        usFirstCharIndex=first_char,
        usLastCharIndex=last_char,
        usDefaultChar=0,
        usBreakChar=0x20,
        usMaxContext=0,
    )
    fb.setupPost(
        keepGlyphNames=False,
        underlinePosition=round(source["post"].underlinePosition * scale),
        underlineThickness=round(source["post"].underlineThickness * scale),
        isFixedPitch=0,
    )
    fb.setupMaxp()
    fb.setupHead(
        unitsPerEm=design["scale_to"],
        fontRevision=1.0,
        created=FIXED_TIMESTAMP,
        modified=FIXED_TIMESTAMP,
        macStyle=1 if design["bold"] else 0,
        lowestRecPPEM=8,
        flags=0x0003,  # baseline at y = 0, left side bearing point at x = 0
    )
    # xAvgCharWidth over the glyphs we carry; setupOS2 ran before hmtx was final.
    advances = [adv for adv, _ in metrics.values()]
    fb.font["OS/2"].xAvgCharWidth = round(sum(advances) / len(advances))

    path = os.path.join(out_dir, design["file"])
    tmp = path + ".tmp"
    fb.save(tmp)
    os.replace(tmp, path)
    return path


def main(argv):
    if len(argv) > 2:
        sys.stderr.write("usage: build_fonts.py [OUTDIR]\n")
        return 2
    default_dir = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets", "fonts")
    out_dir = argv[1] if len(argv) == 2 else os.path.normpath(default_dir)
    os.makedirs(out_dir, exist_ok=True)
    for design in (CU, XI):
        print(build_font(design, out_dir))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
