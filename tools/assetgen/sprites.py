"""Characters, pickups, weapons, the bullet and the fire particles.

Every drawing works in its own unit box (50 x 50 for characters, 20 x 15 for
weapons, ...) on a Layer, so the same function renders the in-world sprite,
the larger HUD picture and the menu illustration.
"""

import numpy as np

from .common import (PAL, Layer, blur, dome, hexcol, mix, polygon_mask, rotate_layer,
                     sdf_box, sdf_capsule, sdf_ellipse, specular, to_image)

SS = 8  # supersampling for small sprites


def _round_part(L, cx, cy, rx, ry, color, strength=0.9, angle=0.0, outline=None):
    """A rounded body part: ellipse with dome lighting and a thin dark rim."""
    sdf = sdf_ellipse(L.x, L.y, cx, cy, rx, ry, angle)
    if outline is not None:
        L.paint(L.cov(sdf - outline), PAL["ink"], 0.75)
    shade = dome(L.x, L.y, cx, cy, rx + 0.5, ry + 0.5, strength)
    L.paint(L.cov(sdf), color[None, None, :] * shade[..., None])
    return sdf


def _limb(L, ax, ay, bx, by, r, color, outline=0.45, strength=0.8):
    sdf = sdf_capsule(L.x, L.y, ax, ay, bx, by, r)
    if outline:
        L.paint(L.cov(sdf - outline), PAL["ink"], 0.7)
    mask = L.cov(sdf)
    shade = L.light(mask, r * 0.9, strength)
    L.paint(mask, color[None, None, :] * shade[..., None])
    return sdf


# ------------------------------------------------------------------ player ---

def draw_soldier(L):
    """The player, facing straight up, centred in a 50 x 50 unit box."""
    P = PAL
    # Small pack on the back, under everything else.
    sdf = sdf_box(L.x, L.y, 25, 32.5, 6.5, 4.0, 1.8)
    L.paint(L.cov(sdf - 0.5), P["ink"], 0.7)
    m = L.cov(sdf)
    L.paint(m, P["khaki_dark"][None, None, :] * L.light(m, 1.5)[..., None])
    L.paint(L.cov(sdf_box(L.x, L.y, 25, 30.3, 6.0, 0.5)), P["ink"], 0.35)

    # Shoulders and torso: a wide flattened ellipse in a blue field jacket.
    _round_part(L, 25, 26.5, 12.0, 6.8, P["jacket"], 0.9, outline=0.5)
    # Khaki vest over it, and webbing straps.
    vest = sdf_ellipse(L.x, L.y, 25, 26.8, 7.8, 6.0)
    L.paint(L.cov(vest), P["khaki"][None, None, :] * dome(L.x, L.y, 25, 26.5, 12, 7, 0.9)[..., None])
    for sx in (-1, 1):
        strap = sdf_capsule(L.x, L.y, 25 + sx * 6.5, 21.5, 25 + sx * 5.0, 31.5, 0.8)
        L.paint(L.cov(strap), P["khaki_dark"], 0.9)

    # Arms: right arm to the pistol grip, left arm forward to the fore-grip.
    _limb(L, 34.5, 26.0, 32.0, 20.0, 2.9, P["jacket"])
    _limb(L, 32.0, 20.0, 27.6, 17.4, 2.4, P["jacket"])
    _limb(L, 15.5, 26.0, 17.0, 18.5, 2.9, P["jacket"])
    _limb(L, 17.0, 18.5, 22.4, 11.6, 2.4, P["jacket"])

    # The gun, held forward along the centre line; the muzzle is the figure's
    # farthest point from the centre, so the heading reads even at 50 pixels.
    sdf = sdf_box(L.x, L.y, 25.4, 12.5, 2.0, 7.5, 0.5)
    L.paint(L.cov(sdf - 0.5), P["ink"], 0.85)
    m = L.cov(sdf)
    L.paint(m, P["steel"][None, None, :] * L.light(m, 0.8, 1.2)[..., None])
    barrel = sdf_box(L.x, L.y, 25.4, 4.2, 0.9, 2.8, 0.3)
    L.paint(L.cov(barrel - 0.45), P["ink"], 0.85)
    L.paint(L.cov(barrel), P["steel_light"] * 0.85)
    mag = sdf_box(L.x, L.y, 28.0, 14.0, 1.3, 1.6, 0.3)
    L.paint(L.cov(mag - 0.3), P["ink"], 0.8)
    L.paint(L.cov(mag), P["steel_dark"])
    # Highlight along the lit side of the receiver.
    L.paint(L.cov(sdf_box(L.x, L.y, 24.0, 12.5, 0.35, 6.5)), P["steel_light"], 0.8)

    # Hands.
    for hx, hy in ((27.4, 17.4), (23.0, 11.2)):
        _round_part(L, hx, hy, 2.1, 2.1, P["skin"], 1.0, outline=0.4)

    # Head in a helmet, seen from above, with a rim and a light spot.
    _round_part(L, 25, 25.2, 6.6, 6.6, P["olive_dark"], 0.5, outline=0.5)
    _round_part(L, 25, 24.9, 5.6, 5.6, P["olive"], 1.1)
    L.paint(specular(L.x, L.y, 25, 24.9, 5.6, 3.0), np.array([1, 1, 0.9]), 0.35)
    # A strip of face (below the helmet's front edge) shows toward the heading.
    face = np.maximum(sdf_ellipse(L.x, L.y, 25, 19.6, 2.6, 1.3), -sdf_ellipse(L.x, L.y, 25, 24.9, 5.7, 5.7))
    L.paint(L.cov(face), P["skin"] * 0.95)


def player_frames():
    """36 pictures, frame k facing k * 10 degrees clockwise from up."""
    base = Layer(50, 50, SS)
    draw_soldier(base)
    frames = []
    for k in range(36):
        r = rotate_layer(base, k * 10)
        # The sun does not turn with the player: shadow after rotation.
        r.drop_shadow(1.6, 1.8, 1.4, 0.42)
        frames.append(r.image())
    return frames


# ------------------------------------------------------------------ zombie ---

def draw_zombie(L, frame):
    """The shambler, facing down (toward +y), walk frame 0, 1 or 2."""
    P = PAL
    stride = (-1.0, 0.0, 1.0)[frame]
    sway = (1.3, 0.0, -1.3)[frame]
    # Legs and feet: one forward, one back, swapping between frames.
    for side, s in ((-1, stride), (1, -stride)):
        hx = 25 + side * 4.0
        fy = 25 + s * 9.5
        _limb(L, hx, 25.0, hx + side * 0.5, fy, 2.6, P["zombie_pants"])
        _round_part(L, hx + side * 0.5, fy + 1.2 * (1 if s >= 0 else -1), 2.4, 3.0,
                    hexcol("#4a3a2a"), 0.8, outline=0.4)

    # Arms reaching forward, swaying against the stride.
    for side in (-1, 1):
        sx = 25 + side * 10.0
        hx = 25 + side * 6.0 + sway * side
        hy = 39.0 + sway * side * 1.5
        _limb(L, sx, 23.5, sx - side * 1.0, 31.0, 2.7, P["zombie_shirt"])
        _limb(L, sx - side * 1.0, 30.0, hx, hy, 2.3, P["zombie_skin"])
        _round_part(L, hx, hy + 0.8, 2.4, 2.2, P["zombie_skin_dark"], 0.9, outline=0.4)
        for f in (-1, 0, 1):
            L.paint(L.cov(sdf_capsule(L.x, L.y, hx + f * 1.2, hy + 1.5, hx + f * 1.6, hy + 3.6, 0.55)),
                    P["zombie_skin_dark"] * 0.85)

    # Torso in a torn shirt.
    sdf = _round_part(L, 25, 23.5, 11.0, 6.6, P["zombie_shirt"], 0.9, angle=sway * 0.05,
                      outline=0.5)
    rng = np.random.default_rng(7 + frame * 0)  # tears identical in every frame
    for _ in range(6):
        tx, ty = rng.uniform(16, 34), rng.uniform(19, 28)
        tear = polygon_mask(L.h, L.w, [(tx, ty - 1.6), (tx + 1.8, ty + 0.2), (tx + 0.3, ty + 1.4),
                                       (tx - 1.5, ty + 0.6)], L.u)
        L.paint(tear * L.cov(sdf + 0.6), P["zombie_skin_dark"])
    for bx, by, br in ((20.5, 26.0, 2.2), (29.0, 21.0, 1.5), (27.5, 27.5, 1.2)):
        L.paint(L.cov(sdf_ellipse(L.x, L.y, bx, by, br, br * 0.7)) * L.cov(sdf), P["blood"], 0.85)

    # Head, lolling a little to one side, patchy hair, red eyes at the front.
    hx = 24.2 + sway * 0.4
    _round_part(L, hx, 24.0, 5.6, 5.9, P["zombie_skin"], 1.0, outline=0.5)
    for px, py, pr in ((hx - 2.0, 21.5, 1.8), (hx + 1.5, 20.6, 1.4), (hx + 2.6, 23.3, 1.0)):
        L.paint(L.cov(sdf_ellipse(L.x, L.y, px, py, pr, pr * 0.8)), hexcol("#3a3226"), 0.85)
    for ex in (-1.9, 1.9):
        L.paint(L.cov(sdf_ellipse(L.x, L.y, hx + ex, 28.0, 0.95, 0.7)), hexcol("#d8281c"))
    L.paint(L.cov(sdf_ellipse(L.x, L.y, hx, 29.4, 1.4, 0.5)), hexcol("#2a0c0a"), 0.8)


def zombie_frames():
    out = []
    for f in range(3):
        L = Layer(50, 50, SS)
        draw_zombie(L, f)
        L.drop_shadow(1.6, 1.8, 1.4, 0.42)
        out.append(L.image())
    return out


# ----------------------------------------------------------------- pickups ---
# Everything that can be picked up wears the same pale rim: it separates dark
# steel from dark grass and gold from sunlit ground, and tells the player at a
# glance which things on the map are for taking.

PICKUP_RIM = hexcol("#fffaea")


def _dilate(a, r):
    """Grey-scale dilation of a coverage array by a disc of r pixels."""
    out = a.copy()
    n = int(np.ceil(r))
    for dy in range(-n, n + 1):
        for dx in range(-n, n + 1):
            if dx * dx + dy * dy > r * r:
                continue
            sh = np.zeros_like(a)
            ys = slice(max(0, dy), a.shape[0] + min(0, dy))
            yd = slice(max(0, -dy), a.shape[0] + min(0, -dy))
            xs = slice(max(0, dx), a.shape[1] + min(0, dx))
            xd = slice(max(0, -dx), a.shape[1] + min(0, -dx))
            sh[ys, xs] = a[yd, xd]
            np.maximum(out, sh, out=out)
    return out


def pickup_rim(L, width=1.4, color=PICKUP_RIM):
    """A solid pale outline `width` units wide behind everything drawn so far."""
    solid = np.clip((L.a - 0.35) / 0.3, 0, 1)
    L.paint_under(_dilate(solid, width * L.u), color)


def _coin(L, cx, cy, r):
    P = PAL
    sdf = sdf_ellipse(L.x, L.y, cx, cy, r, r * 0.92)
    L.paint(L.cov(sdf - 0.35), P["gold_dark"] * 0.6)
    L.paint(L.cov(sdf), P["gold"][None, None, :] * dome(L.x, L.y, cx, cy, r, r, 0.6, 0.5)[..., None])
    inner = sdf_ellipse(L.x, L.y, cx, cy, r * 0.62, r * 0.56)
    ring = L.cov(np.abs(inner) - 0.25)
    L.paint(ring * np.clip((L.x - cx + L.y - cy) / r, 0, 1), P["gold_light"], 0.8)
    L.paint(ring * np.clip(-(L.x - cx + L.y - cy) / r, 0, 1), P["gold_dark"], 0.8)
    L.paint(specular(L.x, L.y, cx, cy, r, 6), P["gold_light"], 0.9)


def gold_pile():
    L = Layer(20, 20, SS)
    k = 0.88  # drawn a little inside the picture to leave room for the rim
    for cx, cy, r in ((6.2, 13.2, 4.3), (13.6, 13.6, 4.3), (9.6, 9.4, 4.4),
                      (14.0, 7.0, 3.8), (5.6, 6.8, 3.6)):
        _coin(L, 10 + (cx - 10) * k, 10 + (cy - 10) * k, r * k)
    # A glint.
    for dx, dy, ln in ((1, 0, 2.6), (0, 1, 2.6)):
        L.paint(L.cov(sdf_capsule(L.x, L.y, 11.5 - dx * ln, 6.5 - dy * ln,
                                  11.5 + dx * ln, 6.5 + dy * ln, 0.35)), np.array([1, 1, 0.9]))
    pickup_rim(L, 1.8)
    L.drop_shadow(0.9, 1.0, 0.8, 0.45)
    return L.image()


def health_potion():
    P = PAL
    L = Layer(19, 32, SS)
    body = sdf_ellipse(L.x, L.y, 9.5, 21.5, 8.3, 8.6)
    neck = sdf_box(L.x, L.y, 9.5, 10.0, 2.6, 4.2, 0.6)
    glass = np.minimum(body, neck)
    L.paint(L.cov(glass - 0.6), P["ink"], 0.85)
    L.paint(L.cov(glass), hexcol("#b9d4dc") * 0.55, 0.9)
    # Red draught, a little meniscus line on top.
    liquid = np.maximum(sdf_ellipse(L.x, L.y, 9.5, 21.5, 7.4, 7.7), 15.2 - L.y)
    shade = dome(L.x, L.y, 9.5, 21.5, 7.5, 7.8, 0.8)
    L.paint(L.cov(liquid), P["red"][None, None, :] * shade[..., None])
    L.paint(L.cov(np.abs(L.y - 15.4) - 0.35) * L.cov(sdf_ellipse(L.x, L.y, 9.5, 21.5, 7.4, 7.7)),
            P["red_light"], 0.8)
    # A white cross on the flask so it reads as healing.
    cross = np.minimum(sdf_box(L.x, L.y, 9.5, 22.0, 2.9, 0.95), sdf_box(L.x, L.y, 9.5, 22.0, 0.95, 2.9))
    L.paint(L.cov(cross - 0.45), P["red_dark"], 0.8)
    L.paint(L.cov(cross), hexcol("#f4f0e8"))
    # Cork and glass glints.
    cork = sdf_box(L.x, L.y, 9.5, 4.3, 2.9, 2.6, 0.8)
    L.paint(L.cov(cork - 0.5), P["ink"], 0.85)
    m = L.cov(cork)
    L.paint(m, P["wood_light"][None, None, :] * L.light(m, 1.0)[..., None])
    L.paint(L.cov(sdf_capsule(L.x, L.y, 4.6, 17.5, 3.6, 22.5, 0.7)), np.array([1, 1, 1]), 0.75)
    L.paint(L.cov(sdf_capsule(L.x, L.y, 8.3, 8.0, 8.3, 12.0, 0.45)), np.array([1, 1, 1]), 0.6)
    pickup_rim(L)
    L.drop_shadow(0.8, 0.9, 0.7, 0.4)
    return L.image()


# ----------------------------------------------------------------- weapons ---
# Side views facing right in a 20 x 15 unit box.

def _solid(L, sdf, color, bevel=0.6, outline=0.35, strength=1.0):
    if outline:
        L.paint(L.cov(sdf - outline), PAL["ink"], 0.9)
    m = L.cov(sdf)
    L.paint(m, color[None, None, :] * L.light(m, bevel, strength)[..., None])


def _poly(L, pts):
    """Polygon as an approximate signed distance (good within about a unit
    of its edge): a blurred mask falls off almost linearly across the edge."""
    m = polygon_mask(L.h, L.w, pts, L.u)
    v = blur(m, 1.2 * L.u)
    return (0.5 - v) * 2.5 * 1.2


def draw_glock(L):
    P = PAL
    grip = _poly(L, [(3.6, 7.6), (9.2, 7.6), (8.2, 13.9), (2.6, 13.6)])
    _solid(L, grip, hexcol("#2b2c2e"), 0.8)
    for k in range(4):  # grip texture
        L.paint(L.cov(np.abs(L.y - (9.2 + k * 1.2)) - 0.15) * L.cov(grip + 0.6), P["steel"], 0.6)
    guard = np.abs(sdf_ellipse(L.x, L.y, 11.0, 9.0, 2.3, 1.9)) - 0.45
    guard = np.maximum(guard, 7.9 - L.y)
    _solid(L, guard, hexcol("#2b2c2e"), 0.3)
    L.paint(L.cov(sdf_capsule(L.x, L.y, 10.6, 8.0, 10.3, 9.6, 0.35)), P["steel_light"] * 0.7)
    frame = sdf_box(L.x, L.y, 10.5, 7.6, 7.2, 0.9, 0.3)
    _solid(L, frame, hexcol("#2b2c2e"), 0.4)
    slide = sdf_box(L.x, L.y, 10.8, 5.0, 8.3, 2.0, 0.5)
    _solid(L, slide, P["steel"], 0.8, strength=1.3)
    for k in range(4):  # serrations at the back of the slide
        L.paint(L.cov(np.abs(L.x - (4.0 + k * 0.8)) - 0.16) * L.cov(slide + 0.5), P["steel_dark"], 0.8)
    L.paint(L.cov(sdf_box(L.x, L.y, 18.6, 5.2, 0.5, 0.7)), P["ink"])  # muzzle
    L.paint(L.cov(sdf_box(L.x, L.y, 17.6, 2.9, 0.4, 0.35)), P["steel_light"])  # front sight


def draw_uzi(L):
    P = PAL
    stock = np.minimum(sdf_capsule(L.x, L.y, 0.8, 4.6, 3.8, 4.6, 0.5),
                       sdf_capsule(L.x, L.y, 0.8, 4.6, 1.6, 8.4, 0.5))
    _solid(L, stock, P["steel"], 0.3)
    barrel = sdf_box(L.x, L.y, 17.4, 6.0, 2.4, 0.8, 0.3)
    _solid(L, barrel, P["steel"], 0.4)
    grip = _poly(L, [(8.6, 8.5), (12.0, 8.5), (11.2, 14.6), (7.8, 14.6)])
    _solid(L, grip, hexcol("#303236"), 0.6)
    L.paint(L.cov(sdf_box(L.x, L.y, 9.6, 14.2, 1.9, 0.5)), P["steel_light"] * 0.8)  # magazine base
    guard = np.maximum(np.abs(sdf_ellipse(L.x, L.y, 13.6, 9.0, 1.8, 1.6)) - 0.4, 8.2 - L.y)
    _solid(L, guard, P["steel"], 0.3)
    body = sdf_box(L.x, L.y, 9.6, 6.0, 6.6, 2.6, 0.4)
    _solid(L, body, hexcol("#3d4452"), 0.9, strength=1.3)
    for k in range(3):  # cooling grooves along the receiver
        L.paint(L.cov(np.abs(L.x - (11.0 + k * 1.5)) - 0.2) * L.cov(sdf_box(L.x, L.y, 12.5, 6.3, 2.6, 1.3)),
                P["steel_dark"], 0.85)
    L.paint(L.cov(sdf_box(L.x, L.y, 6.0, 3.1, 0.8, 0.5, 0.2)), P["steel_light"])  # cocking knob
    L.paint(L.cov(sdf_box(L.x, L.y, 19.6, 6.0, 0.3, 0.45)), P["ink"])


def draw_flamethrower(L):
    P = PAL
    # Fuel tank slung under the wand.
    tank = sdf_capsule(L.x, L.y, 3.4, 10.6, 10.2, 10.6, 3.2)
    L.paint(L.cov(tank - 0.35), P["ink"], 0.9)
    L.paint(L.cov(tank), P["red"][None, None, :] *
            (1 + 0.8 * np.clip((10.6 - L.y) / 3.2, -1, 1))[..., None] * 0.85)
    L.paint(L.cov(sdf_capsule(L.x, L.y, 3.6, 8.6, 9.6, 8.6, 0.45)), P["red_light"], 0.8)
    for bx in (5.0, 8.6):
        L.paint(L.cov(sdf_box(L.x, L.y, bx, 10.6, 0.35, 3.2)), P["steel_dark"], 0.9)
    # Hose from the tank up to the wand.
    hose = np.abs(sdf_ellipse(L.x, L.y, 11.5, 9.0, 2.0, 3.0)) - 0.45
    hose = np.maximum(hose, 9.5 - L.x)
    _solid(L, hose, hexcol("#2b2a28"), 0.3)
    # The wand: grip, tube and nozzle.
    grip = _poly(L, [(5.2, 6.0), (7.8, 6.0), (7.0, 9.6), (4.6, 9.4)])
    _solid(L, grip, P["wood"], 0.6)
    tube = sdf_box(L.x, L.y, 10.0, 5.0, 6.4, 1.2, 0.5)
    _solid(L, tube, P["steel"], 0.6, strength=1.3)
    nozzle = sdf_box(L.x, L.y, 17.0, 5.0, 1.2, 1.7, 0.3)
    _solid(L, nozzle, P["steel_light"] * 0.8, 0.5)
    # Pilot flame at the tip.
    fl = sdf_ellipse(L.x, L.y, 19.2, 5.0, 1.1, 1.6)
    L.paint(L.cov(fl), hexcol("#ff7a1a"))
    L.paint(L.cov(sdf_ellipse(L.x, L.y, 19.0, 5.2, 0.5, 0.9)), hexcol("#ffe27a"))


WEAPONS = {"glock": draw_glock, "uzi": draw_uzi, "flamethrower": draw_flamethrower}


def weapon_image(name, zoom):
    """The weapon at zoom times its 20 x 15 pickup size, with a soft shadow."""
    if zoom != 1:
        L = Layer(int(round(20 * zoom)), int(round(15 * zoom)), SS if zoom < 2 else 4, zoom)
        WEAPONS[name](L)
    else:
        # Lying on the map: drawn a little smaller and centred, so the pickup
        # rim fits inside the 20 x 15 picture.
        inset = 0.84
        L = Layer(20, 15, SS, inset)
        WEAPONS[name](L)
        dx, dy = int(round(20 * (1 - inset) / 2 * SS)), int(round(15 * (1 - inset) / 2 * SS))
        L.rgb = np.roll(np.roll(L.rgb, dy, 0), dx, 1)
        L.a = np.roll(np.roll(L.a, dy, 0), dx, 1)
        pickup_rim(L)
    L.drop_shadow(0.5, 0.6, 0.5, 0.45)
    return L.image()


# ------------------------------------------------------------ projectiles ---

def bullet():
    """A tracer: white-hot core in an orange glow, ringed in soot-black so it
    shows on pale gravel as well as on dark grass.  The game paints it with its
    top-left corner on the bullet's point, as it always has."""
    L = Layer(9, 9, SS)
    d = np.sqrt((L.x - 4.5) ** 2 + (L.y - 4.5) ** 2)
    L.paint(L.cov(d - 3.9), hexcol("#140c06"))
    L.paint(L.cov(d - 2.7), hexcol("#ff9a2a"))
    L.paint(L.cov(d - 2.3), hexcol("#fff4c8"))
    L.paint(L.cov(d - 1.4), hexcol("#ffffff"))
    L.drop_shadow(0.5, 0.6, 0.6, 0.55)
    return L.image()


PARTICLES = {
    "red": "#e0402a",
    "yellow": "#ffd84a",
    "orange": "#ff8a22",
    "gray": "#8a8a88",
    "darkGray": "#464644",
    "white": "#ffffff",
}


def particle(name):
    base = hexcol(PARTICLES[name])
    L = Layer(10, 10, SS)
    d = np.sqrt((L.x - 5) ** 2 + (L.y - 5) ** 2) / 5.0
    a = np.clip((1 - d) / 0.8, 0, 1) ** 1.5  # a solid core that fades out
    col = mix(base, np.minimum(base * 1.25 + 0.12, 1.0), np.clip(1 - d * 2.2, 0, 1))
    L.rgb = col * a[..., None]
    L.a = a
    rgb, alpha = L.downsampled()
    return to_image(rgb, alpha)
