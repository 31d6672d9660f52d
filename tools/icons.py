#!/usr/bin/python3
"""Draw the game's application icon: a grave on a patch of grass, a zombie's hand breaking out
of the fresh earth in front of it, and a gun sight on the hand.

    /usr/bin/python3 tools/icons.py [FOLDER]     # default: packaging/icons/

Writes deadacre-48.png, deadacre-128.png and deadacre-256.png (the hicolor sizes the package
installs).  The drawing is made once at 1024 px and box-filtered down, so every size is the
same picture; the small one is not a blurred copy of a large one but it is no hand-tuned pixel
art either.  Deterministic: no randomness, no time stamps.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFilter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from assetgen.common import PAL, save_png  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIZES = (48, 128, 256)
BIG = 1024


def rgb(name, scale=1.0, alpha=255):
    r, g, b = (min(255, int(round(c * 255 * scale))) for c in PAL[name])
    return (r, g, b, alpha)


def shadow(shape_mask, offset, blur, strength=150):
    """A soft shadow of a mask, thrown to the lower right (the game's light is upper left)."""
    layer = Image.new("L", (BIG, BIG), 0)
    layer.paste(shape_mask, offset)
    layer = layer.filter(ImageFilter.GaussianBlur(blur)).point(lambda v: v * strength // 255)
    black = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 255))
    black.putalpha(layer)
    return black


def draw_icon():
    icon = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))

    # The tile: a rounded square of grass, lighter towards the upper left.
    tile_mask = Image.new("L", (BIG, BIG), 0)
    ImageDraw.Draw(tile_mask).rounded_rectangle((40, 40, 984, 984), radius=180, fill=255)
    grass = Image.new("RGBA", (BIG, BIG))
    gd = ImageDraw.Draw(grass)
    for y in range(BIG):
        t = y / BIG
        c = [int((PAL["grass_light"][i] * (1 - t) + PAL["grass_dark"][i] * t) * 255)
             for i in range(3)]
        gd.line((0, y, BIG, y), fill=tuple(c) + (255,))
    icon.paste(grass, (0, 0), tile_mask)

    # The fresh grave: a mound of earth.
    mound = Image.new("L", (BIG, BIG), 0)
    ImageDraw.Draw(mound).ellipse((170, 560, 860, 900), fill=255)
    icon.alpha_composite(shadow(mound, (24, 30), 30))
    earth = ImageDraw.Draw(icon)
    earth.ellipse((170, 560, 860, 900), fill=rgb("dirt_dark"))
    earth.ellipse((200, 575, 800, 850), fill=rgb("dirt"))
    earth.ellipse((250, 595, 600, 740), fill=rgb("dirt_light"))

    # The headstone, rounded on top, behind the mound.
    stone = Image.new("L", (BIG, BIG), 0)
    sd = ImageDraw.Draw(stone)
    sd.rounded_rectangle((330, 150, 700, 640), radius=40, fill=255)
    sd.ellipse((330, 130, 700, 420), fill=255)
    icon.alpha_composite(shadow(stone, (30, 22), 24))
    slab = Image.new("RGBA", (BIG, BIG), rgb("stone"))
    lit = ImageDraw.Draw(slab)
    lit.rectangle((560, 0, BIG, BIG), fill=rgb("stone_dark"))
    lit.rectangle((330, 0, 400, BIG), fill=rgb("stone", 1.18))
    icon.paste(slab, (0, 0), stone)
    carve = ImageDraw.Draw(icon)
    carve.rectangle((500, 250, 530, 470), fill=rgb("stone_dark", 0.8))
    carve.rectangle((430, 310, 600, 340), fill=rgb("stone_dark", 0.8))
    # The mound's front covers the headstone's foot.
    carve.ellipse((230, 600, 820, 900), fill=rgb("dirt"))
    carve.ellipse((270, 615, 600, 760), fill=rgb("dirt_light"))

    # The hand, clawing up out of the earth.
    hand = Image.new("L", (BIG, BIG), 0)
    hd = ImageDraw.Draw(hand)
    hd.rounded_rectangle((560, 560, 680, 800), radius=40, fill=255)  # wrist and palm
    for x0, top in ((548, 440), (585, 405), (622, 415), (658, 450)):
        hd.rounded_rectangle((x0, top, x0 + 34, 620), radius=17, fill=255)
    hd.rounded_rectangle((668, 560, 740, 600), radius=18, fill=255)  # thumb
    icon.alpha_composite(shadow(hand, (22, 18), 14, 170))
    skin = Image.new("RGBA", (BIG, BIG), rgb("zombie_skin"))
    ImageDraw.Draw(skin).rectangle((650, 0, BIG, BIG), fill=rgb("zombie_skin_dark"))
    icon.paste(skin, (0, 0), hand)
    clods = ImageDraw.Draw(icon)
    clods.ellipse((520, 760, 720, 850), fill=rgb("dirt_dark"))
    clods.ellipse((540, 750, 700, 820), fill=rgb("dirt"))

    # The sight on the hand.
    sight = ImageDraw.Draw(icon)
    cx, cy, r = 620, 560, 170
    sight.ellipse((cx - r, cy - r, cx + r, cy + r), outline=rgb("red"), width=30)
    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        sight.line((cx + dx * (r - 70), cy + dy * (r - 70), cx + dx * (r + 60),
                    cy + dy * (r + 60)), fill=rgb("red"), width=30)

    # Nothing may stick out of the tile.
    clipped = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    clipped.paste(icon, (0, 0), tile_mask)
    return clipped


def build(folder):
    big = draw_icon()
    for size in SIZES:
        save_png(big.resize((size, size), Image.BOX), os.path.join(folder, "deadacre-%d.png" % size))


if __name__ == "__main__":
    build(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "packaging", "icons"))
