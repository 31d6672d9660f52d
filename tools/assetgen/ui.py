"""HUD pieces, the menu pictures and the credit cards."""

import numpy as np
from PIL import Image

from . import sprites
from .common import (PAL, Layer, blur, dome, fbm, font, hexcol, lighting, mix,
                     rng_for, sdf_box, sdf_ellipse, smoothstep, specular,
                     text_mask, to_image)
from .world import ground_map

SCREEN_W, SCREEN_H = 1080, 720
TITLE = "DEAD ACRE"
TITLE_H = 200
START_X, START_Y, START_W, START_H = 415, 460, 256, 152


def health_bar():
    """One 2 x 16 segment; side by side copies make a glossy red bar."""
    top = hexcol("#ff8f80")
    mid = hexcol("#d42a2a")
    low = hexcol("#6e0e12")
    rows = []
    for i in range(16):
        t = i / 15.0
        if i in (0, 15):
            c = hexcol("#2a0808")
        elif t < 0.3:
            c = mix(top, mid, t / 0.3)
        else:
            c = mix(mid, low, (t - 0.3) / 0.7)
        rows.append(c)
    arr = np.repeat(np.array(rows)[:, None, :], 2, axis=1)
    rgba = np.dstack([np.round(arr * 255).astype(np.uint8), np.full((16, 2), 255, np.uint8)])
    return Image.fromarray(rgba, "RGBA")


def leather(w, h, rng, base=None):
    base = PAL["leather"] if base is None else base
    grain = fbm(h, w, 6, rng, 3)
    blotch = fbm(h, w, 120, rng, 3)
    rgb = base[None, None, :] * (0.75 + 0.35 * blotch)[..., None] * (0.9 + 0.2 * grain)[..., None]
    return rgb


def backpack_panel():
    """600 x 400: a stitched leather panel with 6 x 4 slot pockets."""
    rng = rng_for("backpack.jpg")
    W, H = 600, 400
    L = Layer(W, H, 1)
    L.fill((0, 0, 0))
    L.rgb = leather(W, H, rng)
    x, y = L.x, L.y
    # Raised outer border, lit from the upper left.
    inner = sdf_box(x, y, W / 2, H / 2, W / 2 - 7, H / 2 - 7, 4)
    border = 1 - L.cov(inner)
    lit = lighting(L.cov(sdf_box(x, y, W / 2, H / 2, W / 2 - 1, H / 2 - 1, 4)), 5, 1.2)
    L.rgb = L.rgb * np.where(border > 0.5, lit * 1.1, 1.0)[..., None]
    # Slot pockets: recessed, so their shading is the reverse of a bump.
    for r in range(4):
        for c in range(6):
            cx, cy = c * 100 + 50, r * 100 + 50
            pocket = L.cov(sdf_box(x, y, cx, cy, 44, 44, 6))
            depth = lighting(pocket, 4, 1.0)
            shade = np.where(pocket > 0, 2.0 - depth, 1.0) * (1 - 0.25 * pocket)
            L.rgb = L.rgb * shade[..., None]
            # Stitching around each pocket.
            ring = np.abs(sdf_box(x, y, cx, cy, 47, 47, 8))
            dash = (np.mod(x + y, 8) < 4.5)
            L.paint(L.cov(ring - 0.7) * dash, hexcol("#c8a878"), 0.75)
    # Stitching along the border.
    ring = np.abs(sdf_box(x, y, W / 2, H / 2, W / 2 - 3.5, H / 2 - 3.5, 3))
    L.paint(L.cov(ring - 0.7) * (np.mod(x + y, 10) < 6), hexcol("#d8b888"), 0.8)
    return L.image(opaque_bg=(0, 0, 0))


def gold_icon():
    """32 x 32: a coin in a stitched leather pocket, a small piece of the
    backpack panel, so the opaque square reads as a designed tile."""
    rng = rng_for("gold.jpg")
    S = 8
    L = Layer(32, 32, S)
    L.fill((0, 0, 0))
    x, y = L.x, L.y
    grain = np.repeat(np.repeat(leather(32, 32, rng), S, 0), S, 1)
    # Raised rim lit from the upper left, the pocket recessed inside it.
    tile = L.cov(sdf_box(x, y, 16, 16, 15.6, 15.6, 3.5))
    rim = lighting(tile, 1.6 * S, 1.3)
    pocket = L.cov(sdf_box(x, y, 16, 16, 12.2, 12.2, 3))
    depth = 2.0 - lighting(pocket, 1.2 * S, 1.0)
    shade = np.where(pocket > 0, depth * (1 - 0.3 * pocket), rim * 1.1)
    L.rgb = np.clip(grain * shade[..., None], 0, 1) * tile[..., None]
    L.paint(1 - tile, PAL["leather_dark"] * 0.5)
    stitch = L.cov(np.abs(sdf_box(x, y, 16, 16, 13.9, 13.9, 3.5)) - 0.35)
    L.paint(stitch * (np.mod(x + y, 3.0) < 1.8), hexcol("#d8b888"), 0.85)
    # The coin, resting in the pocket with its shadow to the lower right.
    L.paint(blur(L.cov(sdf_ellipse(x, y, 17.0, 17.2, 9.6, 9.6)), 1.5 * S), np.zeros(3), 0.6)
    sdf = sdf_ellipse(x, y, 16, 16, 9.8, 9.8)
    L.paint(L.cov(sdf - 0.6), PAL["gold_dark"] * 0.45)
    L.paint(L.cov(sdf), PAL["gold"][None, None, :] * dome(x, y, 16, 16, 9.8, 9.8, 0.6, 0.4)[..., None])
    inner = sdf_ellipse(x, y, 16, 16, 7.0, 7.0)
    ring = L.cov(np.abs(inner) - 0.5)
    L.paint(ring * np.clip((x - 16 + y - 16) / 6, 0, 1), PAL["gold_light"], 0.9)
    L.paint(ring * np.clip(-(x - 16 + y - 16) / 6, 0, 1), PAL["gold_dark"], 0.9)
    star = text_mask(L.w, L.h, "\u2605", font(11 * S, True), 16 * S, 16.4 * S)
    L.paint(star, PAL["gold_dark"], 0.85)
    L.paint(specular(x, y, 16, 16, 9.8, 5), PAL["gold_light"], 0.9)
    return L.image(opaque_bg=(0, 0, 0))


# --------------------------------------------------------------------- menu ---

def _paste_sprite(rgb, img, x, y):
    a = np.asarray(img, dtype=np.float64) / 255.0
    h, w = a.shape[:2]
    H, W = rgb.shape[:2]
    xa, ya, xb, yb = max(0, x), max(0, y), min(W, x + w), min(H, y + h)
    sub = a[ya - y:yb - y, xa - x:xb - x]
    rgb[ya:yb, xa:xb] = sub[..., :3] * sub[..., 3:] + rgb[ya:yb, xa:xb] * (1 - sub[..., 3:])


def _big_sprite(draw, zoom, rotate=0, frame=None):
    L = Layer(int(50 * zoom), int(50 * zoom), 2, zoom)
    if frame is None:
        draw(L)
    else:
        draw(L, frame)
    if rotate:
        from .common import rotate_layer
        L = rotate_layer(L, rotate)
    L.drop_shadow(1.6, 1.8, 1.4, 0.5)
    return L.image()


def menu_background(ground=None):
    """Night falls on the field: the player at the centre, the dead closing in."""
    ground = ground_map() if ground is None else ground
    crop = np.asarray(ground.crop((1150, 520, 1150 + SCREEN_W, 520 + SCREEN_H)), dtype=np.float64) / 255.0
    rgb = crop.copy()
    _paste_sprite(rgb, _big_sprite(sprites.draw_soldier, 3.2, rotate=200), 460, 270)
    for (zx, zy, rot, fr, zoom) in ((90, 420, -60, 0, 2.8), (780, 470, 60, 2, 3.0),
                                    (850, 180, 130, 1, 2.6), (140, 120, -130, 2, 2.5),
                                    (560, 560, 10, 1, 2.7)):
        _paste_sprite(rgb, _big_sprite(sprites.draw_zombie, zoom, rotate=rot, frame=fr), zx, zy)
    ys, xs = np.mgrid[0:SCREEN_H, 0:SCREEN_W].astype(np.float64)
    # Moonlit grade: cool and dark, a red haze low down, strong vignette.
    lum = rgb.mean(axis=2, keepdims=True)
    night = mix(lum * np.array([0.55, 0.7, 0.95]), rgb * np.array([0.5, 0.6, 0.8]), 0.55)
    d = np.sqrt(((xs - 560) / 640) ** 2 + ((ys - 380) / 460) ** 2)
    vignette = np.clip(1.15 - d * 0.85, 0.15, 1.0)
    haze = smoothstep(0.5, 1.0, ys / SCREEN_H) * 0.18
    out = night * vignette[..., None] + haze[..., None] * np.array([0.6, 0.05, 0.05])
    return Image.fromarray(np.round(np.clip(out, 0, 1) * 255).astype(np.uint8), "RGB")


def _bevel_text(L, text, size, cx, cy, color, stroke=4):
    m = text_mask(L.w, L.h, text, font(size * L.u), cx * L.u, cy * L.u)
    outline = text_mask(L.w, L.h, text, font(size * L.u), cx * L.u, cy * L.u, stroke=int(stroke * L.u))
    shadow = np.roll(np.roll(outline, int(5 * L.u), 0), int(5 * L.u), 1)
    L.paint(blur(shadow, 4 * L.u), np.zeros(3), 0.8)
    L.paint(outline, hexcol("#120606"))
    shade = lighting(m, 3 * L.u, 1.3)
    grad = mix(color * 1.25, color * 0.7, np.clip((L.y - (cy - size / 2)) / size, 0, 1))
    L.paint(m, np.clip(grad * shade[..., None], 0, 1))


def title_banner(background):
    """The top of the menu background, darkened, with the title over it; its
    lower edge fades into the same pixels so it sits seamlessly on top."""
    bg = np.asarray(background, dtype=np.float64)[:TITLE_H] / 255.0
    L = Layer(SCREEN_W, TITLE_H, 2)
    L.fill((0, 0, 0))
    L.rgb = np.repeat(np.repeat(bg, 2, 0), 2, 1)
    t = np.clip(L.y / TITLE_H, 0, 1)
    L.paint(np.ones_like(t), hexcol("#080404"), 0.85 * (1 - smoothstep(0.55, 1.0, t)))
    _bevel_text(L, TITLE, 104, SCREEN_W / 2, 86, hexcol("#b8201c"), 5)
    sub = text_mask(L.w, L.h, "hold the field until the last of them falls", font(22 * 2, False),
                    SCREEN_W, 160 * 2)
    L.paint(sub, PAL["bone"], 0.85)
    return L.image(opaque_bg=(0, 0, 0))


def start_button(background):
    """A riveted steel plate with a red START; the corners outside the plate
    are the background itself, so the rounded shape shows."""
    bg = np.asarray(background, dtype=np.float64)[START_Y:START_Y + START_H,
                                                    START_X:START_X + START_W] / 255.0
    L = Layer(START_W, START_H, 2)
    L.fill((0, 0, 0))
    L.rgb = np.repeat(np.repeat(bg, 2, 0), 2, 1)
    x, y = L.x, L.y
    cx, cy = START_W / 2, START_H / 2
    plate = sdf_box(x, y, cx, cy, START_W / 2 - 3, START_H / 2 - 3, 14)
    m = L.cov(plate)
    rng = rng_for("start.jpg")
    brushed = blur(rng.random((L.h, L.w)), 1)[:, :]
    brushed = np.repeat(brushed.mean(axis=1, keepdims=True), L.w, 1) * 0.6 + brushed * 0.4
    steel = mix(hexcol("#3a4048"), hexcol("#6c747e"), np.clip(1 - y / START_H, 0, 1))
    steel = steel * (0.9 + 0.2 * brushed)[..., None] * lighting(m, 8 * 2, 1.3)[..., None]
    L.paint(L.cov(plate - 2), hexcol("#0c0c0c"))
    L.paint(m, steel)
    # Inset face.
    face = sdf_box(x, y, cx, cy, START_W / 2 - 22, START_H / 2 - 22, 8)
    fm = L.cov(face)
    L.paint(fm, hexcol("#1a1c20")[None, None, :] * (2.0 - lighting(fm, 3 * 2, 1.0))[..., None])
    for rx, ry in ((12, 12), (START_W - 12, 12), (12, START_H - 12), (START_W - 12, START_H - 12)):
        r = sdf_ellipse(x, y, rx, ry, 4, 4)
        L.paint(L.cov(r - 0.8), hexcol("#101010"))
        L.paint(L.cov(r), hexcol("#a0a8b0")[None, None, :] * dome(x, y, rx, ry, 4, 4, 1.2)[..., None])
    _bevel_text(L, "START", 54, cx, cy + 2, hexcol("#d0281e"), 3)
    return L.image(opaque_bg=(0, 0, 0))


CREDITS = {
    "vorthIntro": ("VORTH", "presents"),
    "palemIntro": ("PALEM", "in association with"),
    "quisoIntro": ("QUISO", "a game of mud, lead and the restless dead"),
}


def credit_card(key):
    name, line = CREDITS[key]
    rng = rng_for(key)
    L = Layer(SCREEN_W, SCREEN_H, 1)
    L.fill((0, 0, 0))
    n = fbm(SCREEN_H, SCREEN_W, 200, rng, 4)
    ys, xs = L.y, L.x
    d = np.sqrt(((xs - 540) / 700) ** 2 + ((ys - 360) / 500) ** 2)
    L.rgb = (hexcol("#1c1410") * (0.6 + 0.8 * n)[..., None]) * np.clip(1.2 - d, 0.2, 1)[..., None]
    L2 = Layer(SCREEN_W, SCREEN_H, 1)
    _bevel_text(L2, name, 120, 540, 320, hexcol("#b8201c"), 5)
    sub = text_mask(L2.w, L2.h, line, font(30, False), 540, 440)
    L2.paint(sub, PAL["bone"], 0.9)
    L2.paint(L2.cov(np.abs(ys - 395) - 1.0) * L2.cov(np.abs(xs - 540) - 220), hexcol("#6e1414"))
    L.composite(L2)
    return L.image(opaque_bg=(0, 0, 0))
