#!/usr/bin/python3
"""Draws the program's built-in pictures: the earnings screen template, the
currency sign stamped beside the monthly incomes, and the program icon.

    tools/build_pictures.py [OUTDIR]        (default: assets/pictures)

Writes template.png, currency_sign.png, icon.png (128 px, the window's icon)
and icon_16.png ... icon_256.png, the icon at the other sizes the desktop's
icon theme gets (THEME_ICON_SIZES). The output depends only on this file,
Pillow, FreeType and the Noto Sans CJK fonts, so two runs on the same system
give byte-identical files.

The template leaves the places where the program draws the typed values plain
(header colour or pure card white); check_value_areas() guards that. Those
places, the anchors of the values and the picture's size are not written here:
they come from screen_layout.json beside the pictures, which the program's
build writes from its description of the screen (tools/write_screen_layout.cpp).
"""

import json
import os
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

# ---------------------------------------------------------------- fonts ----
CJK_REGULAR = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
CJK_BOLD = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc"
CJK_SC_INDEX = 2  # face "Noto Sans CJK SC" inside the collections

# --------------------------------------------------------------- colours ---
WHITE = (255, 255, 255)
BODY = (51, 51, 51)
SECONDARY = (102, 102, 102)
TERTIARY = (153, 153, 153)
HAIRLINE = (235, 235, 240)
PAGE = (244, 244, 248)
CHEVRON = (190, 190, 198)

HEADER_TOP = (40, 28, 92)      # deep indigo behind the status bar
HEADER_BOTTOM = (110, 72, 188)  # violet where the first card begins
STATUS_MARKS = (255, 227, 209)  # same peach as the clock drawn by the program
HEADER_CAPTION = (224, 214, 250)
BRAND = (98, 62, 180)
BRAND_TINT = (238, 233, 252)
ACCENT = (255, 183, 77)

# ---------------------------------------------------------------- layout ---
LAYOUT_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets",
                           "pictures", "screen_layout.json")
with open(LAYOUT_FILE, encoding="utf-8") as layout_file:
    LAYOUT = json.load(layout_file)
FIELDS = {field["name"]: field for field in LAYOUT["fields"]}


def anchor_x(name, side):
    anchor = FIELDS[name]["anchor"]
    assert anchor["side"] == side, (name, anchor)
    return anchor["x"]


WIDTH, HEIGHT = LAYOUT["picture"]["width"], LAYOUT["picture"]["height"]
SUPERSAMPLE = 4  # shapes are drawn this much larger and averaged down

STATUS_BAR_HEIGHT = 72
TITLE_BAR = (72, 184)            # y range of the app title bar
HEADER_END = 540                 # the header colour runs under the first card
BALANCE_X = anchor_x("balance", "left")
BALANCE_CAPTION_TOP = 292
WITHDRAW_BUTTON = (858, 352, 1008, 420)

CARD_MARGIN = 30
CARD_RADIUS = 24
INCOME_CARD = (460, 684)         # y range
INCOME_CENTRES = (anchor_x("this-month", "centre"), anchor_x("last-month", "centre"))
INCOME_CAPTION_CENTRE_Y = 510
INCOME_DIVIDER_X = 540
NOTICE_ROW = (708, 788)
DATA_CARD = (812, 1226)
DATA_HEADING_CENTRE_Y = 880
DATA_SEPARATORS_Y = (950, 1060)
SETTLED_CAPTION_CENTRE_Y = 1005
COUNT_COLUMNS_X = tuple(anchor_x(name, "left") for name in ("clicks", "payments", "transaction"))
CONTENT_LEFT = COUNT_COLUMNS_X[0]  # the cards' text starts where the first count does
COUNT_CAPTION_CENTRE_Y = 1102
COUNT_DIVIDERS_X = (392, 762)
LIST_CARD_TOP = 1250
LIST_ROW_HEIGHT = 84
LIST_ROWS = ("收益明细", "推广订单", "提现记录", "常见问题")
BANNER = (1626, 1756)
TAB_BAR_TOP = 1780
TABS = ("首页", "推广", "收益", "我的")
ACTIVE_TAB = 2

# Where the program draws values; the template must stay plain there: in the header any colour
# but no ink, on a card pure white. Fields sharing an area (the clock and its word) count once.
VALUE_AREAS = tuple(dict.fromkeys(
    (*field["keep_clear"], None if field["keep_clear"][1] < HEADER_END else WHITE)
    for field in LAYOUT["fields"]))

SIGN_SIZE = (LAYOUT["sign"]["width"], LAYOUT["sign"]["height"])
ICON_SIZE = 128  # the window's icon, built into the program
# The desktop's icon theme gets the same icon at these sizes; the 128 px one is icon.png itself.
THEME_ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


# --------------------------------------------------------------- helpers ---
def cjk_font(size, bold=False):
    return ImageFont.truetype(CJK_BOLD if bold else CJK_REGULAR, size, index=CJK_SC_INDEX)


def text_at(draw, xy, text, size, colour, bold=False, anchor="lm"):
    """Draws text; the default anchor puts its left end, vertically centred, at xy."""
    draw.text(xy, text, font=cjk_font(size, bold), fill=colour, anchor=anchor)


def paint_shape(image, colour, draw_shape, opacity=255):
    """Paints an anti-aliased shape: draw_shape(draw, s) draws it in white on a
    mask SUPERSAMPLE times larger, where s(v) scales a coordinate."""
    s = SUPERSAMPLE
    mask = Image.new("L", (image.width * s, image.height * s), 0)
    draw_shape(ImageDraw.Draw(mask), lambda v: round(v * s))
    mask = mask.reduce(s)
    if opacity != 255:
        mask = mask.point(lambda a: a * opacity // 255)
    image.paste(Image.new("RGB", image.size, colour), (0, 0), mask)


def rounded_box(image, box, radius, colour, opacity=255):
    x0, y0, x1, y1 = box
    paint_shape(image, colour,
                lambda d, s: d.rounded_rectangle((s(x0), s(y0), s(x1) - 1, s(y1) - 1),
                                                 radius=s(radius), fill=255),
                opacity)


def polyline(image, points, width, colour):
    """A stroke through points with round ends and joints."""
    def shape(d, s):
        pts = [(s(x), s(y)) for x, y in points]
        d.line(pts, fill=255, width=s(width))
        r = s(width) / 2
        for x, y in pts:
            d.ellipse((x - r, y - r, x + r, y + r), fill=255)
    paint_shape(image, colour, shape)


def chevron(image, x, y, colour, size=10, width=3, pointing="right"):
    if pointing == "right":
        points = [(x - size / 2, y - size), (x + size / 2, y), (x - size / 2, y + size)]
    else:
        points = [(x + size / 2, y - size), (x - size / 2, y), (x + size / 2, y + size)]
    polyline(image, points, width, colour)


def mix(a, b, t):
    return tuple(round(p + (q - p) * t) for p, q in zip(a, b))


def card(image, y0, y1, shadow=True):
    box = (CARD_MARGIN, y0, WIDTH - CARD_MARGIN, y1)
    if shadow:
        mask = Image.new("L", image.size, 0)
        ImageDraw.Draw(mask).rounded_rectangle((box[0], y0 + 6, box[2], y1 + 6),
                                               radius=CARD_RADIUS, fill=22)
        mask = mask.filter(ImageFilter.GaussianBlur(10))
        image.paste(Image.new("RGB", image.size, (60, 40, 110)), (0, 0), mask)
    rounded_box(image, box, CARD_RADIUS, WHITE)


def hline(draw, x0, x1, y, colour=HAIRLINE):
    draw.line((x0, y, x1, y), fill=colour, width=2)


def vline(draw, x, y0, y1, colour=HAIRLINE):
    draw.line((x, y0, x, y1), fill=colour, width=2)


# -------------------------------------------------------- screen sections ---
def draw_header_background(image):
    draw = ImageDraw.Draw(image)
    for y in range(HEADER_END):
        draw.line((0, y, WIDTH - 1, y), fill=mix(HEADER_TOP, HEADER_BOTTOM, y / (HEADER_END - 1)))
    # Soft light discs on the right give the header some depth, away from the balance.
    paint_shape(image, WHITE, lambda d, s: d.ellipse((s(790), s(120), s(1210), s(540)), fill=255), 14)
    paint_shape(image, WHITE, lambda d, s: d.ellipse((s(700), s(330), s(900), s(530)), fill=255), 10)


def draw_status_bar(image):
    """Signal bars, network type, wifi and battery at the left; the right is
    left free for the clock and the time-of-day word."""
    centre_y = 37
    bottom = centre_y + 12
    for i, height in enumerate((8, 13, 18, 24)):
        x = 40 + i * 10
        rounded_box(image, (x, bottom - height, x + 7, bottom), 2, STATUS_MARKS)
    draw = ImageDraw.Draw(image)
    text_at(draw, (86, centre_y), "4G", 22, STATUS_MARKS, bold=True)
    # wifi: three arcs and a dot
    cx, base = 146, bottom
    for radius in (22, 15, 8):
        paint_shape(image, STATUS_MARKS,
                    lambda d, s, r=radius: d.arc((s(cx - r), s(base - r), s(cx + r), s(base + r)),
                                                 225, 315, fill=255, width=s(3.5)))
    paint_shape(image, STATUS_MARKS,
                lambda d, s: d.ellipse((s(cx - 3), s(base - 6), s(cx + 3), s(base)), fill=255))
    # battery: outline, cap and an 80 % charge
    x0, y0, x1, y1 = 184, centre_y - 10, 226, centre_y + 10
    paint_shape(image, STATUS_MARKS,
                lambda d, s: d.rounded_rectangle((s(x0), s(y0), s(x1), s(y1)), radius=s(4),
                                                 outline=255, width=s(2.5)))
    rounded_box(image, (x1 + 2, centre_y - 4, x1 + 6, centre_y + 4), 1.5, STATUS_MARKS)
    rounded_box(image, (x0 + 4, y0 + 4, x0 + 4 + 28, y1 - 4 + 1), 2, STATUS_MARKS)


def draw_title_bar(image):
    draw = ImageDraw.Draw(image)
    centre_y = (TITLE_BAR[0] + TITLE_BAR[1]) // 2
    chevron(image, 52, centre_y, WHITE, size=16, width=4.5, pointing="left")
    text_at(draw, (WIDTH // 2, centre_y), "我的收益", 38, WHITE, bold=True, anchor="mm")
    text_at(draw, (WIDTH - 44, centre_y), "规则", 30, WHITE, anchor="rm")


def draw_balance_area(image):
    draw = ImageDraw.Draw(image)
    caption = "账户余额(元)"
    font = cjk_font(30)
    centre_y = BALANCE_CAPTION_TOP + 20
    draw.text((BALANCE_X, centre_y), caption, font=font, fill=HEADER_CAPTION, anchor="lm")
    # an "eye" mark after the caption (show or hide the amount)
    ex = BALANCE_X + round(draw.textlength(caption, font=font)) + 32
    paint_shape(image, HEADER_CAPTION,
                lambda d, s: d.ellipse((s(ex - 16), s(centre_y - 10), s(ex + 16), s(centre_y + 10)),
                                       outline=255, width=s(2.5)))
    paint_shape(image, HEADER_CAPTION,
                lambda d, s: d.ellipse((s(ex - 5), s(centre_y - 5), s(ex + 5), s(centre_y + 5)),
                                       fill=255))
    x0, y0, x1, y1 = WITHDRAW_BUTTON
    paint_shape(image, WHITE,
                lambda d, s: d.rounded_rectangle((s(x0), s(y0), s(x1), s(y1)), radius=s((y1 - y0) / 2),
                                                 outline=255, width=s(2.5)))
    text_at(draw, ((x0 + x1) // 2, (y0 + y1) // 2), "提现", 30, WHITE, bold=True, anchor="mm")


def draw_income_card(image):
    card(image, *INCOME_CARD)
    draw = ImageDraw.Draw(image)
    for centre_x, caption in zip(INCOME_CENTRES, ("本月预估收入(元)", "上月预估收入(元)")):
        text_at(draw, (centre_x, INCOME_CAPTION_CENTRE_Y), caption, 28, SECONDARY, anchor="mm")
    vline(draw, INCOME_DIVIDER_X, INCOME_CARD[0] + 44, INCOME_CARD[1] - 44)


def draw_notice_row(image):
    y0, y1 = NOTICE_ROW
    card(image, y0, y1)
    centre_y = (y0 + y1) // 2
    # loudspeaker: a small box and a flared cone, with one sound wave
    x = 62
    paint_shape(image, ACCENT, lambda d, s: d.polygon(
        [(s(x), s(centre_y - 7)), (s(x + 9), s(centre_y - 7)), (s(x + 22), s(centre_y - 17)),
         (s(x + 22), s(centre_y + 17)), (s(x + 9), s(centre_y + 7)), (s(x), s(centre_y + 7))], fill=255))
    paint_shape(image, ACCENT, lambda d, s: d.arc(
        (s(x + 14), s(centre_y - 16), s(x + 38), s(centre_y + 16)), 300, 60, fill=255, width=s(3)))
    draw = ImageDraw.Draw(image)
    text_at(draw, (116, centre_y), "公告：上月结算收入将于每月25日转入账户余额", 26, SECONDARY)
    chevron(image, WIDTH - 70, centre_y, CHEVRON, size=9, width=3)


def draw_data_card(image):
    top, bottom = DATA_CARD
    card(image, top, bottom)
    draw = ImageDraw.Draw(image)
    # heading: a small brand bar, the title, and the settlement day at the right
    rounded_box(image, (CONTENT_LEFT - 30, DATA_HEADING_CENTRE_Y - 15,
                        CONTENT_LEFT - 24, DATA_HEADING_CENTRE_Y + 15), 3, BRAND)
    text_at(draw, (CONTENT_LEFT - 10, DATA_HEADING_CENTRE_Y), "收益数据", 34, BODY, bold=True)
    text_at(draw, (WIDTH - 94, DATA_HEADING_CENTRE_Y), "每月25日结算", 26, TERTIARY, anchor="rm")
    chevron(image, WIDTH - 70, DATA_HEADING_CENTRE_Y, CHEVRON, size=9, width=3)
    for y in DATA_SEPARATORS_Y:
        hline(draw, CONTENT_LEFT - 30, WIDTH - CONTENT_LEFT + 30, y)
    text_at(draw, (CONTENT_LEFT, SETTLED_CAPTION_CENTRE_Y), "上月结算收入(元)：", 30, SECONDARY)
    captions = ("今日点击数", "今日付款笔数", "今日成交预估(元)")
    for x, caption in zip(COUNT_COLUMNS_X, captions):
        text_at(draw, (x, COUNT_CAPTION_CENTRE_Y), caption, 26, SECONDARY)
    for x in COUNT_DIVIDERS_X:
        vline(draw, x, COUNT_CAPTION_CENTRE_Y - 14, bottom - 40)


def list_icon(image, index, x0, y0):
    """A 48 px tinted tile with a simple mark for list row `index`."""
    size = 48
    rounded_box(image, (x0, y0, x0 + size, y0 + size), 12, BRAND_TINT)
    cx, cy = x0 + size / 2, y0 + size / 2
    if index == 0:    # details: three lines
        for dy in (-9, 0, 9):
            polyline(image, [(cx - 11, cy + dy), (cx + 11, cy + dy)], 3.5, BRAND)
    elif index == 1:  # orders: a shopping bag
        rounded_box(image, (cx - 13, cy - 6, cx + 13, cy + 15), 4, BRAND)
        paint_shape(image, BRAND, lambda d, s: d.arc(
            (s(cx - 7), s(cy - 16), s(cx + 7), s(cy + 2)), 180, 360, fill=255, width=s(3)))
    elif index == 2:  # withdrawals: a bank card
        rounded_box(image, (cx - 15, cy - 10, cx + 15, cy + 11), 4, BRAND)
        rounded_box(image, (cx - 15, cy - 5, cx + 15, cy - 1), 0, BRAND_TINT)
    else:             # questions: a ring with "?"
        paint_shape(image, BRAND, lambda d, s: d.ellipse(
            (s(cx - 14), s(cy - 14), s(cx + 14), s(cy + 14)), outline=255, width=s(3)))
        text_at(ImageDraw.Draw(image), (cx, cy), "?", 22, BRAND, bold=True, anchor="mm")


def draw_list_card(image):
    top = LIST_CARD_TOP
    bottom = top + LIST_ROW_HEIGHT * len(LIST_ROWS) + 16
    card(image, top, bottom)
    draw = ImageDraw.Draw(image)
    for i, label in enumerate(LIST_ROWS):
        centre_y = top + 8 + LIST_ROW_HEIGHT * i + LIST_ROW_HEIGHT // 2
        list_icon(image, i, CONTENT_LEFT - 30, centre_y - 24)
        text_at(draw, (CONTENT_LEFT + 40, centre_y), label, 30, BODY)
        chevron(image, WIDTH - 70, centre_y, CHEVRON, size=9, width=3)
        if i + 1 < len(LIST_ROWS):
            hline(draw, CONTENT_LEFT + 40, WIDTH - CONTENT_LEFT + 30, centre_y + LIST_ROW_HEIGHT // 2)


def draw_banner(image):
    y0, y1 = BANNER
    banner = Image.new("RGB", (WIDTH, HEIGHT), WHITE)
    draw = ImageDraw.Draw(banner)
    for x in range(WIDTH):
        draw.line((x, y0, x, y1), fill=mix((250, 160, 80), (236, 104, 84), x / (WIDTH - 1)))
    paint_shape(banner, WHITE, lambda d, s: d.ellipse((s(800), s(y0 - 60), s(1010), s(y0 + 150)), fill=255), 40)
    paint_shape(banner, WHITE, lambda d, s: d.ellipse((s(930), s(y0 + 60), s(1080), s(y0 + 210)), fill=255), 30)
    text_at(draw, (CONTENT_LEFT - 24, y0 + 50), "邀请好友一起推广", 36, WHITE, bold=True)
    text_at(draw, (CONTENT_LEFT - 24, y0 + 98), "分享好物链接，轻松赚取推广佣金", 24, (255, 238, 226))
    # a white "go" pill at the right
    rounded_box(banner, (820, y0 + 50, 980, y0 + 100), 25, WHITE)
    text_at(draw, (900, y0 + 75), "去邀请", 26, (230, 100, 70), bold=True, anchor="mm")
    mask = Image.new("L", (WIDTH, HEIGHT), 0)
    s = SUPERSAMPLE
    big = Image.new("L", (WIDTH * s, HEIGHT * s), 0)
    ImageDraw.Draw(big).rounded_rectangle((CARD_MARGIN * s, y0 * s, (WIDTH - CARD_MARGIN) * s - 1, y1 * s - 1),
                                          radius=CARD_RADIUS * s, fill=255)
    mask = big.reduce(s)
    image.paste(banner, (0, 0), mask)


def tab_icon(image, index, cx, cy, colour):
    if index == 0:    # home: roof and body
        polyline(image, [(cx - 20, cy - 2), (cx, cy - 20), (cx + 20, cy - 2)], 4, colour)
        polyline(image, [(cx - 14, cy - 6), (cx - 14, cy + 18), (cx + 14, cy + 18), (cx + 14, cy - 6)], 4, colour)
        polyline(image, [(cx - 4, cy + 18), (cx - 4, cy + 7), (cx + 4, cy + 7), (cx + 4, cy + 18)], 3.5, colour)
    elif index == 1:  # promote: share mark of three joined dots
        a, b, c = (cx + 14, cy - 14), (cx - 14, cy), (cx + 14, cy + 14)
        polyline(image, [a, b, c], 3.5, colour)
        for px, py in (a, b, c):
            paint_shape(image, colour, lambda d, s, px=px, py=py: d.ellipse(
                (s(px - 7), s(py - 7), s(px + 7), s(py + 7)), fill=255))
    elif index == 2:  # earnings: a coin with a rising line, filled when active
        paint_shape(image, colour, lambda d, s: d.ellipse(
            (s(cx - 21), s(cy - 21), s(cx + 21), s(cy + 21)), fill=255))
        polyline(image, [(cx - 11, cy + 7), (cx - 3, cy - 1), (cx + 3, cy + 5), (cx + 12, cy - 6)], 3.5, WHITE)
    else:             # me: head and shoulders
        paint_shape(image, colour, lambda d, s: d.ellipse(
            (s(cx - 9), s(cy - 20), s(cx + 9), s(cy - 2)), outline=255, width=s(4)))
        paint_shape(image, colour, lambda d, s: d.arc(
            (s(cx - 19), s(cy + 2), s(cx + 19), s(cy + 40)), 180, 360, fill=255, width=s(4)))


def draw_tab_bar(image):
    draw = ImageDraw.Draw(image)
    draw.rectangle((0, TAB_BAR_TOP, WIDTH - 1, HEIGHT - 1), fill=WHITE)
    hline(draw, 0, WIDTH - 1, TAB_BAR_TOP, (228, 228, 234))
    slot = WIDTH // len(TABS)
    for i, label in enumerate(TABS):
        cx = slot * i + slot // 2
        colour = BRAND if i == ACTIVE_TAB else TERTIARY
        tab_icon(image, i, cx, TAB_BAR_TOP + 46, colour)
        text_at(draw, (cx, TAB_BAR_TOP + 100), label, 24, colour, bold=(i == ACTIVE_TAB), anchor="mm")


def check_value_areas(image):
    """Fails the build if a change to the layout put ink where the program draws values."""
    for x0, y0, x1, y1, colour in VALUE_AREAS:
        region = image.crop((x0, y0, x1, y1))
        if colour is not None:
            extrema = region.getextrema()
            if any(lo != c or hi != c for (lo, hi), c in zip(extrema, colour)):
                sys.exit(f"value area {(x0, y0, x1, y1)} is not plain {colour}: {extrema}")
        else:
            # header: every row one colour (the gradient and soft discs vary little)
            for y in range(region.height):
                row = region.crop((0, y, region.width, y + 1)).getextrema()
                if any(hi - lo > 12 for lo, hi in row):
                    sys.exit(f"value area {(x0, y0, x1, y1)} has ink in row {y0 + y}: {row}")


def build_template():
    image = Image.new("RGB", (WIDTH, HEIGHT), PAGE)
    draw_header_background(image)
    draw_status_bar(image)
    draw_title_bar(image)
    draw_balance_area(image)
    draw_income_card(image)
    draw_notice_row(image)
    draw_data_card(image)
    draw_list_card(image)
    draw_banner(image)
    draw_tab_bar(image)
    check_value_areas(image)
    return image


# ---------------------------------------------------------- currency sign ---
def build_currency_sign():
    """A yuan sign with one cross bar: two arms meeting at the middle, a stem and a bar."""
    s = 8
    w, h = SIGN_SIZE
    stroke = 3.2
    top, meet, foot = 4.0, 14.5, 26.0
    left, right, centre = 3.5, w - 3.5, w / 2
    bar_y = 18.0
    mask = Image.new("L", (w * s, h * s), 0)
    d = ImageDraw.Draw(mask)

    def line(points, width):
        d.line([(x * s, y * s) for x, y in points], fill=255, width=round(width * s))

    line([(left, top), (centre, meet)], stroke)
    line([(right, top), (centre, meet)], stroke)
    line([(centre, meet - 1), (centre, foot)], stroke)
    line([(centre - 6.5, bar_y), (centre + 6.5, bar_y)], stroke * 0.85)
    mask = mask.reduce(s)
    sign = Image.new("RGB", SIGN_SIZE, WHITE)
    sign.paste(Image.new("RGB", SIGN_SIZE, BODY), (0, 0), mask)
    return sign


# ------------------------------------------------------------------- icon ---
def build_icon(size=ICON_SIZE):
    """A violet rounded square with a white "L" whose foot turns into a rising line,
    and an amber spark at its tip; drawn on a 128 unit grid scaled to `size` pixels.

    Drawn supersampled at the size itself rather than scaled from another size. Below 128 px
    the straight strokes get a whole number of pixels' width with their edges on pixel lines,
    the rounded square a whole pixel margin, and the spark at least three pixels across, so
    the small theme icons stay crisp."""
    s = 8 if size >= ICON_SIZE else -(-1024 // size)  # supersampling factor
    unit = size / ICON_SIZE * s                        # one grid unit, in supersampled pixels
    big = size * s
    colour = Image.new("RGB", (big, big))
    d = ImageDraw.Draw(colour)
    for y in range(big):
        d.line((0, y, big - 1, y), fill=mix((126, 84, 214), (52, 34, 120), y / (big - 1)))

    width, margin, spark = 15 * unit, 4 * unit, 9 * unit
    stem_x, foot_y = 40 * unit, 92 * unit
    if size < ICON_SIZE:
        width = max(2, round(15 * size / ICON_SIZE)) * s
        margin = max(1, int(4 * size / ICON_SIZE + 0.5)) * s
        spark = max(spark, 1.5 * s)

        def on_pixel_edges(centre):
            # the stroke's two edges fall on pixel lines
            half = width / 2
            return round((centre - half) / s) * s + half

        stem_x, foot_y = on_pixel_edges(stem_x), on_pixel_edges(foot_y)

    def stroke(points, fill):
        d.line(points, fill=fill, width=round(width), joint="curve")
        r = width / 2
        for x, y in points:
            d.ellipse((x - r, y - r, x + r, y + r), fill=fill)

    stroke([(stem_x, 30 * unit), (stem_x, foot_y), (70 * unit, foot_y), (94 * unit, 62 * unit)],
           WHITE)
    d.ellipse((100 * unit - spark, 44 * unit - spark, 100 * unit + spark, 44 * unit + spark),
              fill=ACCENT)
    alpha = Image.new("L", (big, big), 0)
    ImageDraw.Draw(alpha).rounded_rectangle((margin, margin, big - margin - 1, big - margin - 1),
                                            radius=28 * unit, fill=255)
    icon = colour.reduce(s).convert("RGBA")
    icon.putalpha(alpha.reduce(s))
    return icon


# ------------------------------------------------------------------- main ---
def save_png(image, path):
    # Fixed options and no text or time chunks, so the bytes depend on the pixels only.
    image.save(path, format="PNG", optimize=False, compress_level=9, dpi=(72, 72))


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "assets", "pictures")
    os.makedirs(out_dir, exist_ok=True)
    save_png(build_template(), os.path.join(out_dir, "template.png"))
    save_png(build_currency_sign(), os.path.join(out_dir, "currency_sign.png"))
    save_png(build_icon(), os.path.join(out_dir, "icon.png"))
    for size in THEME_ICON_SIZES:
        if size != ICON_SIZE:
            save_png(build_icon(size), os.path.join(out_dir, f"icon_{size}.png"))


if __name__ == "__main__":
    main()
