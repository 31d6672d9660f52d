#!/usr/bin/python3
"""Draw and synthesise every picture and sound the game loads.

    /usr/bin/python3 tools/generate_assets.py            # writes data/ and docs/
    /usr/bin/python3 tools/generate_assets.py --data /tmp/d --sheet /tmp/s.png

Needs Debian's python3-pil and python3-numpy, and fonts-dejavu-core.  The
outputs are committed, so building the game never runs this.  The same run
writes the same bytes (all randomness is seeded per asset).
"""

import argparse
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import icons  # noqa: E402
from assetgen import sprites, ui, world  # noqa: E402
from assetgen.common import FONT_REGULAR, save_jpg, save_png  # noqa: E402
from assetgen.sheet import contact_sheet  # noqa: E402
from assetgen.sounds import SOUNDS, write_wav  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FONT_LICENCE = "/usr/share/doc/fonts-dejavu-core/copyright"

ASSETS_LICENCE = """\
# Asset licence

Every picture and sound under this folder (images/, menuImages/, sounds/) is
the project's own work, drawn and synthesised by `tools/generate_assets.py`;
they are covered by the same terms as the rest of the project's code: the MIT
licence in `LICENSE` at the top of the source tree.

`testFont.ttf` is DejaVu Sans, copied unchanged from Debian's
`fonts-dejavu-core` package. It is free to use and redistribute under the
Bitstream Vera licence (DejaVu's own changes are in the public domain); the
full licence text is in `LICENSE-DejaVu.txt` beside it.  The generator also
draws its text (menu title, button, credits) with DejaVu Sans Bold from the
same package.
"""


def build(data, sheet_path):
    pictures = []  # (relative path, PIL image) for the contact sheet

    def png(rel, img):
        save_png(img, os.path.join(data, rel))
        pictures.append((rel, img))

    def jpg(rel, img, **kw):
        save_jpg(img, os.path.join(data, rel), **kw)
        pictures.append((rel, img))

    print("map ...", flush=True)
    ground = world.ground_map()
    # 4:2:0 chroma keeps the big map well under 2 MB; grass hides it.
    save_jpg(ground, os.path.join(data, "images/level1Images/backgroundLevel.jpg"),
             quality=85, subsampling=2)
    pictures.append(("images/level1Images/backgroundLevel.jpg", ground))
    jpg("images/level1Images/building.jpg", world.building_tiled())
    png("images/level1Images/building.png", world.building_slate())

    print("characters ...", flush=True)
    for k, img in enumerate(sprites.player_frames()):
        png("images/level1Images/player/player%d.png" % (k + 1), img)
    for k, img in enumerate(sprites.zombie_frames()):
        png("images/level1Images/player/animation/player%d.png" % (k + 1), img)

    print("items, HUD, projectiles ...", flush=True)
    png("images/itemImages/gold.png", sprites.gold_pile())
    png("images/itemImages/healthPotion.png", sprites.health_potion())
    for name in sprites.WEAPONS:
        png("images/itemImages/%s.png" % name, sprites.weapon_image(name, 1))
    for name in sprites.WEAPONS:
        png("images/HUDImages/%s.png" % name, sprites.weapon_image(name, 3))
    png("images/HUDImages/healthBar.png", ui.health_bar())
    jpg("images/HUDImages/backpack.jpg", ui.backpack_panel())
    jpg("images/HUDImages/gold.jpg", ui.gold_icon(), quality=95)
    png("images/projectileImages/bullet.png", sprites.bullet())
    for name in sprites.PARTICLES:
        png("images/particleImages/%s.png" % name, sprites.particle(name))

    print("menu ...", flush=True)
    background = ui.menu_background(ground)
    jpg("images/menuImages/background.jpg", background)
    jpg("menuImages/titleIntro.jpg", ui.title_banner(background), quality=92)
    jpg("images/menuImages/start.jpg", ui.start_button(background), quality=92)
    for key in ui.CREDITS:
        jpg("menuImages/%s.jpg" % key, ui.credit_card(key))

    print("sounds ...", flush=True)
    for rel, make in SOUNDS.items():
        write_wav(os.path.join(data, rel), make())

    shutil.copyfile(FONT_REGULAR, os.path.join(data, "testFont.ttf"))
    shutil.copyfile(FONT_LICENCE, os.path.join(data, "LICENSE-DejaVu.txt"))
    with open(os.path.join(data, "ASSETS-LICENSE.md"), "w", encoding="utf-8") as f:
        f.write(ASSETS_LICENCE)

    print("contact sheet ...", flush=True)
    os.makedirs(os.path.dirname(sheet_path), exist_ok=True)
    save_png(contact_sheet(pictures, background), sheet_path)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--data", default=os.path.join(ROOT, "data"),
                    help="folder the game runs from (default: data/)")
    ap.add_argument("--sheet", default=os.path.join(ROOT, "docs", "contact-sheet.png"),
                    help="where to write the overview picture")
    args = ap.parse_args()
    build(args.data, args.sheet)
    icons.build(os.path.join(ROOT, "packaging", "icons"))
    print("done:", args.data)


if __name__ == "__main__":
    main()
