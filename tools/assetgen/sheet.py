"""One overview picture of every picture asset, for review (not loaded)."""

import numpy as np
from PIL import Image, ImageDraw

from .common import font

SHEET_W = 1600
BG = (34, 34, 38)


def _checker(w, h, cell=6):
    ys, xs = np.mgrid[0:h, 0:w]
    v = np.where(((xs // cell) + (ys // cell)) % 2 == 0, 92, 120).astype(np.uint8)
    return Image.fromarray(np.dstack([v, v, v, np.full_like(v, 255)]), "RGBA")


def _thumb(img):
    w, h = img.size
    if max(w, h) > 120:
        k = min(360 / w, 220 / h, 1.0)
        img = img.resize((max(1, int(w * k)), max(1, int(h * k))), Image.LANCZOS)
    else:
        k = max(1, min(5, 100 // max(w, h)))
        img = img.resize((w * k, h * k), Image.NEAREST)
    rgba = img.convert("RGBA")
    back = _checker(*rgba.size)
    back.alpha_composite(rgba)
    return back


def _get(pictures, rel):
    return dict(pictures)[rel].convert("RGBA")


def menu_mock(pictures):
    screen = _get(pictures, "images/menuImages/background.jpg").copy()
    screen.alpha_composite(_get(pictures, "menuImages/titleIntro.jpg"), (0, 0))
    screen.alpha_composite(_get(pictures, "images/menuImages/start.jpg"), (415, 460))
    return screen


def level_mock(pictures):
    """The first frame of the level as the game lays it out."""
    screen = _get(pictures, "images/level1Images/backgroundLevel.jpg").crop((0, 0, 1080, 720))
    screen.alpha_composite(_get(pictures, "images/level1Images/building.jpg").crop((10, 0, 100, 100)), (0, 100))
    screen.alpha_composite(_get(pictures, "images/level1Images/building.png"), (300, 100))
    items = (("gold", 700, 400), ("gold", 300, 500), ("healthPotion", 500, 500),
             ("healthPotion", 500, 600), ("healthPotion", 500, 700), ("uzi", 700, 500),
             ("glock", 700, 600), ("flamethrower", 700, 700))
    for name, x, y in items:
        img = _get(pictures, "images/itemImages/%s.png" % name)
        if y + img.size[1] <= 720:
            screen.alpha_composite(img, (x, y))
    for k, x in enumerate((100, 200, 300)):
        screen.alpha_composite(_get(pictures, "images/level1Images/player/animation/player%d.png" % (k + 1)), (x, 300))
    screen.alpha_composite(_get(pictures, "images/level1Images/player/player13.png"), (520, 330))
    for i in range(6):
        screen.alpha_composite(_get(pictures, "images/projectileImages/bullet.png"), (575 + i * 14, 380 + i * 7))
    for i, c in enumerate(("white", "yellow", "orange", "red", "gray", "darkGray")):
        screen.alpha_composite(_get(pictures, "images/particleImages/%s.png" % c), (520 - i * 10, 320 - i * 9))
    screen.alpha_composite(_get(pictures, "images/HUDImages/uzi.png"), (1020, 20))
    screen.alpha_composite(_get(pictures, "images/HUDImages/gold.jpg"), (970, 600))
    d = ImageDraw.Draw(screen)
    d.text((1010, 600), "150", font=font(28, False), fill=(255, 255, 255, 255))
    bar = _get(pictures, "images/HUDImages/healthBar.png")
    for x in range(80):
        screen.alpha_composite(bar, (970 - x, 645))
    return screen


def contact_sheet(pictures, _background=None):
    label_font = font(12, False)
    head_font = font(20, True)
    tiles = []
    for rel, img in pictures:
        t = _thumb(img)
        name = rel.split("/")[-1]
        if "/animation/" in rel:
            name = "animation/" + name
        tiles.append((t, name, "%dx%d" % img.size))

    mocks = [("menu screen", menu_mock(pictures)), ("level start", level_mock(pictures))]
    mock_h = 360 + 30

    # Flow the tiles into rows.
    x, y, row_h = 10, 10 + mock_h + 34, 0
    placed = []
    for t, name, size in tiles:
        w, h = t.size
        cell_w = max(w, 90) + 12
        if x + cell_w > SHEET_W - 10:
            x, y, row_h = 10, y + row_h + 36, 0
        placed.append((x, y, t, name, size))
        x += cell_w
        row_h = max(row_h, h)
    total_h = y + row_h + 46

    sheet = Image.new("RGBA", (SHEET_W, total_h), BG + (255,))
    d = ImageDraw.Draw(sheet)
    mx = 10
    for title, m in mocks:
        small = m.convert("RGB").resize((540, 360), Image.LANCZOS)
        sheet.paste(small, (mx, 34))
        d.text((mx, 8), title, font=head_font, fill=(230, 220, 200, 255))
        mx += 560
    d.text((10, 10 + mock_h + 6), "every picture the game loads (small ones enlarged, big ones reduced)",
           font=head_font, fill=(230, 220, 200, 255))
    for x, y, t, name, size in placed:
        sheet.alpha_composite(t, (x, y))
        d.text((x, y + t.size[1] + 3), name, font=label_font, fill=(220, 220, 220, 255))
        d.text((x, y + t.size[1] + 17), size, font=label_font, fill=(150, 150, 150, 255))
    return sheet.convert("RGB")
