#!/usr/bin/python3
"""The earnings picture the straightforward way, with Pillow: the floor the batch benchmark
measures `lumivale batch` and `lumivale render` against.

    bench/pillow_render.py OUT_DIR [COUNT]

Composes COUNT pictures (default 1) of varied values the way the program lays them out (the
template, the texts in the built-in faces at their places and sizes, the currency sign) and
saves each as a quality-100 JPEG with optimised Huffman tables and 4:2:0 sampling, as the
program does. It is a fair floor, not a copy: the pixels differ in small ways (Pillow's own
rasteriser and rounding), the work is the same.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
PICTURES = os.path.join(ROOT, "assets", "pictures")
FONTS = os.path.join(ROOT, "assets", "fonts")
WORD_FACE = ("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 2)

CLOCK = (255, 227, 209)
WHITE = (255, 255, 255)
BODY = (51, 51, 51)


def em(points):
    """Points at 96 pixels per inch, rounded half up, as the program sizes its faces."""
    return (points * 96 * 2 + 72) // (2 * 72)


class Faces:
    def __init__(self):
        self.cache = {}

    def get(self, name, points):
        key = (name, points)
        if key not in self.cache:
            if name == "word":
                self.cache[key] = ImageFont.truetype(WORD_FACE[0], em(points), index=WORD_FACE[1])
            else:
                self.cache[key] = ImageFont.truetype(os.path.join(FONTS, name + ".ttf"), em(points))
        return self.cache[key]


def values(i):
    """Varied values for picture i, as a table of a thousand rows would hold them."""
    return {
        "clock": "%02d:%02d" % (i % 24, i * 7 % 60),
        "word": ("上午", "下午", "早上", "中午", "晚上")[i % 5],
        "balance": "%d.%02d" % (i * 37 % 100000, i % 100),
        "this-month": "%d.%02d" % (i * 11 % 9000, i * 3 % 100),
        "last-month": "%d.%02d" % (i * 13 % 9000, i * 7 % 100),
        "settled": "%d.%02d" % (i * 17 % 50000, i * 9 % 100),
        "clicks": str(i * 31 % 10000),
        "payments": str(i * 3 % 500),
        "transaction": "%d.%02d" % (i * 19 % 8000, i * 5 % 100),
    }


def compose(template, sign, faces, v):
    image = template.copy()
    draw = ImageDraw.Draw(image)

    def text(x, y, s, face, points, colour):
        # The program places a text by the top of its cell (the face's ascent above the baseline).
        font = faces.get(face, points)
        ascent, _ = font.getmetrics()
        draw.text((x, y + ascent), s, font=font, fill=colour, anchor="ls")
        return int(draw.textlength(s, font=font))

    clock_width = int(draw.textlength(v["clock"], font=faces.get("lumivale_xi", 25)))
    text(1056 - clock_width, 18, v["clock"], "lumivale_xi", 25, CLOCK)
    text(1056 - clock_width - 72, 14, v["word"], "word", 25, CLOCK)

    def amount(x, y, fraction_y, fraction_points, s, colour):
        integer, _, fraction = s.rpartition(".")
        width = text(x, y, integer, "lumivale_cu", 45, colour)
        text(x + width, fraction_y, "." + fraction, "lumivale_cu", fraction_points, colour)

    amount(132, 354, 376, 28, v["balance"], WHITE)
    for centre, key in ((270, "this-month"), (810, "last-month")):
        integer = v[key].rpartition(".")[0]
        width = int(draw.textlength(integer, font=faces.get("lumivale_cu", 45)))
        sign_x = int(centre - width / 2 - 38)
        image.paste(sign, (sign_x, 586))
        amount(sign_x + 30, 556, 578, 28, v[key], BODY)
    amount(400, 969, 987, 31, v["settled"], BODY)
    for x, key in ((96, "clicks"), (424, "payments"), (794, "transaction")):
        text(x, 1144, v[key], "lumivale_xi", 32, BODY)
    return image


def main():
    out_dir = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    os.makedirs(out_dir, exist_ok=True)
    template = Image.open(os.path.join(PICTURES, "template.png")).convert("RGB")
    sign = Image.open(os.path.join(PICTURES, "currency_sign.png")).convert("RGB")
    faces = Faces()
    for i in range(1, count + 1):
        picture = compose(template, sign, faces, values(i))
        picture.save(os.path.join(out_dir, "%06d.jpg" % i), format="JPEG", quality=100,
                     optimize=True, subsampling=2)


if __name__ == "__main__":
    main()
