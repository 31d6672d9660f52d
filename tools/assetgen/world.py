"""The level's ground picture and the two buildings."""

import numpy as np
from PIL import Image, ImageDraw

from .common import (PAL, Layer, blur, dome, fbm, hexcol, lighting, mix, rng_for,
                     sdf_box, sdf_ellipse, smoothstep, to_image)

MAP_W, MAP_H = 2916, 1712
WALL = 22  # thickness of the stone wall around the map

# The main road enters from the left just under the two buildings (which sit
# at the top-left of the map), wanders east, and sends a branch south.
ROAD = [(-40, 268), (420, 282), (880, 250), (1300, 330), (1720, 420), (2120, 395),
        (2520, 318), (2960, 352)]
BRANCH = [(1300, 330), (1390, 700), (1290, 1090), (1430, 1480), (1400, 1760)]
PATHS = [
    [(560, 280), (640, 560), (560, 860), (760, 1180), (700, 1500), (820, 1760)],
    [(2120, 395), (2260, 760), (2180, 1040), (2560, 1300), (2960, 1360)],
    [(1360, 880), (1750, 940), (2050, 1180), (2180, 1040)],
]


def catmull(points, step=6.0):
    """Smooth curve through the points, resampled about every `step` pixels."""
    p = [points[0]] + list(points) + [points[-1]]
    out = []
    for i in range(1, len(p) - 2):
        p0, p1, p2, p3 = (np.array(q, dtype=float) for q in p[i - 1:i + 3])
        n = max(2, int(np.linalg.norm(p2 - p1) / step))
        for t in np.linspace(0, 1, n, endpoint=False):
            t2, t3 = t * t, t * t * t
            out.append(0.5 * ((2 * p1) + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t2
                              + (-p0 + 3 * p1 - 3 * p2 + p3) * t3))
    out.append(np.array(points[-1], dtype=float))
    return np.array(out)


def offset_curve(curve, d):
    t = np.gradient(curve, axis=0)
    t /= np.linalg.norm(t, axis=1, keepdims=True) + 1e-9
    normal = np.stack([-t[:, 1], t[:, 0]], 1)
    return curve + normal * d


def stroke_mask(curves, width, shape=(MAP_H, MAP_W)):
    img = Image.new("L", (shape[1], shape[0]), 0)
    d = ImageDraw.Draw(img)
    r = width / 2.0
    for c in curves:
        pts = [tuple(p) for p in c]
        d.line(pts, fill=255, width=int(width))
        for x, y in pts[::3]:
            d.ellipse((x - r, y - r, x + r, y + r), fill=255)
    return np.asarray(img, dtype=np.float64) / 255.0


def stamp(canvas_rgb, layer, x0, y0):
    """Composite a small layer onto the big canvas at (x0, y0), clipped."""
    rgb, a = layer.downsampled()
    h, w = a.shape
    H, W = canvas_rgb.shape[:2]
    xa, ya, xb, yb = max(0, x0), max(0, y0), min(W, x0 + w), min(H, y0 + h)
    if xa >= xb or ya >= yb:
        return
    sa = a[ya - y0:yb - y0, xa - x0:xb - x0, None]
    sc = rgb[ya - y0:yb - y0, xa - x0:xb - x0]
    canvas_rgb[ya:yb, xa:xb] = sc + canvas_rgb[ya:yb, xa:xb] * (1 - sa)


def stone_sprite(rng, r):
    size = int(r * 2 + 8)
    L = Layer(size, size, 3)
    c = size / 2.0 - 1
    ang = rng.uniform(0, np.pi)
    rx, ry = r, r * rng.uniform(0.55, 0.9)
    base = mix(PAL["stone"], hexcol("#b4ada0"), rng.uniform(0.0, 1.0)) * rng.uniform(0.9, 1.1)
    sdf = sdf_ellipse(L.x, L.y, c, c, rx, ry, ang)
    L.paint(L.cov(sdf), base[None, None, :] * dome(L.x, L.y, c, c, rx, rx, 1.0, 0.6)[..., None])
    L.drop_shadow(r * 0.25 + 0.6, r * 0.3 + 0.7, r * 0.2 + 0.6, 0.5)
    return L


def bush_sprite(rng, r):
    size = int(r * 2.6 + 16)
    L = Layer(size, size, 2)
    c = size / 2.0 - 2
    blobs = [(c, c, r * 0.75)]
    for _ in range(rng.integers(4, 8)):
        a = rng.uniform(0, 2 * np.pi)
        d = rng.uniform(0.25, 0.6) * r
        blobs.append((c + np.cos(a) * d, c + np.sin(a) * d, r * rng.uniform(0.4, 0.6)))
    tint = rng.uniform(0.85, 1.1)
    for bx, by, br in sorted(blobs, key=lambda b: b[1] + b[0]):
        sdf = sdf_ellipse(L.x, L.y, bx, by, br, br)
        sh = dome(L.x, L.y, bx, by, br, br, 1.1, 0.8)
        col = mix(PAL["leaf_dark"], PAL["leaf_light"], np.clip(sh * 0.6, 0, 1))
        L.paint(L.cov(sdf), col * tint)
    # Leaf speckle.
    n = rng.random((L.h, L.w))
    L.rgb *= (0.85 + 0.3 * blur(n, 2.0))[..., None]
    L.drop_shadow(r * 0.28, r * 0.34, r * 0.3, 0.55)
    return L


def ground_map():
    rng = rng_for("backgroundLevel")
    H, W = MAP_H, MAP_W
    P = PAL
    ys, xs = np.mgrid[0:H, 0:W].astype(np.float64)

    # --- grass: large colour drift, medium clumps, fine blades -------------
    big = fbm(H, W, 420, rng, 3)
    mid = fbm(H, W, 70, rng, 3)
    fine = rng.random((H, W))
    grass = mix(P["grass_dark"], P["grass_light"], smoothstep(0.2, 0.8, big * 0.7 + mid * 0.3))
    dry = smoothstep(0.6, 0.75, fbm(H, W, 300, rng, 3))
    grass = mix(grass, P["grass_dry"], dry * 0.55)
    grass *= (0.9 + 0.2 * mid)[..., None]
    clump = fbm(H, W, 7, rng, 2)
    grass *= (0.86 + 0.28 * clump)[..., None]
    grass *= (0.93 + 0.14 * fine)[..., None]
    rgb = grass

    # Grass tufts: short strokes, darker and lighter than their ground.
    tuft = Image.new("L", (W, H), 128)
    d = ImageDraw.Draw(tuft)
    for _ in range(160000):
        x, y = rng.uniform(0, W), rng.uniform(0, H)
        a = rng.uniform(-0.9, 0.9) - np.pi / 2
        ln = rng.uniform(2.5, 6.0)
        shade = 70 if rng.random() < 0.6 else 200
        d.line((x, y, x + np.cos(a) * ln, y + np.sin(a) * ln), fill=shade, width=1)
    tuft_arr = (np.asarray(tuft, dtype=np.float64) - 128) / 128.0
    rgb = rgb * (1 + 0.3 * tuft_arr)[..., None]

    # --- dirt: scattered patches and the trodden yard by the buildings -----
    patches = smoothstep(0.64, 0.70, fbm(H, W, 260, rng, 4))
    yard = smoothstep(1.0, 0.75, np.sqrt(((xs - 230) / 300) ** 2 + ((ys - 170) / 150) ** 2)
                      + (fbm(H, W, 40, rng, 2) - 0.5) * 0.5)
    dirt_amt = np.clip(patches + yard, 0, 1)
    dn = fbm(H, W, 30, rng, 3)
    dirt = mix(P["dirt_dark"], P["dirt_light"], dn) * (0.84 + 0.32 * fine ** 3)[..., None]
    dirt *= (0.88 + 0.24 * clump)[..., None]
    rgb = mix(rgb, dirt, dirt_amt)

    # --- road, branch and footpaths ---------------------------------------
    road_c = catmull(ROAD)
    branch_c = catmull(BRANCH)
    edge = fbm(H, W, 18, rng, 2) - 0.5
    road = smoothstep(0.35, 0.65, blur(stroke_mask([road_c, branch_c], 78), 5) + edge * 0.45)
    verge = smoothstep(0.2, 0.5, blur(stroke_mask([road_c, branch_c], 104), 9) + edge * 0.5)
    paths = smoothstep(0.35, 0.65, blur(stroke_mask([catmull(p) for p in PATHS], 26), 3) + edge * 0.6)
    rgb = mix(rgb, mix(P["dirt_dark"], P["dirt"], dn) * 0.95, np.clip(verge - road, 0, 1) * 0.7)
    path_col = mix(P["dirt"], P["dirt_light"], dn)
    rgb = mix(rgb, path_col * (0.92 + 0.16 * fine)[..., None], paths * (1 - road))
    gravel = mix(P["gravel"], P["dirt_light"], fbm(H, W, 60, rng, 3))
    gravel *= (0.8 + 0.4 * fine ** 2)[..., None]
    ruts = stroke_mask([offset_curve(c, s) for c in (road_c, branch_c) for s in (-17, 17)], 9)
    ruts = blur(ruts, 3) * road
    gravel = mix(gravel, P["dirt_dark"] * 1.05, ruts * 0.6)
    rgb = mix(rgb, gravel, road)

    # --- puddles on the road and in the dirt -------------------------------
    puddle_sites = [(470, 276), (1010, 268), (1540, 382), (2330, 348), (1360, 520),
                    (1330, 1240), (1395, 1600), (620, 700), (720, 1320), (2240, 900),
                    (260, 200), (1900, 1050), (2650, 1310), (180, 1420)]
    water = np.full((H, W), -1.0)
    for (px, py) in puddle_sites:
        x0, y0 = max(0, px - 90), max(0, py - 70)
        x1, y1 = min(W, px + 90), min(H, py + 70)
        sx, sy = xs[y0:y1, x0:x1], ys[y0:y1, x0:x1]
        f = np.full_like(sx, -1.0)
        for _ in range(4):
            cx, cy = px + rng.uniform(-30, 30), py + rng.uniform(-14, 14)
            rx, ry = rng.uniform(14, 34), rng.uniform(8, 18)
            f = np.maximum(f, 1 - ((sx - cx) / rx) ** 2 - ((sy - cy) / ry) ** 2)
        water[y0:y1, x0:x1] = np.maximum(water[y0:y1, x0:x1], f)
    wnoise = fbm(H, W, 12, rng, 2) - 0.5
    wet = smoothstep(-0.6, 0.0, water + wnoise * 0.6)
    pool = smoothstep(0.0, 0.15, water + wnoise * 0.4)
    rgb = rgb * (1 - 0.35 * wet)[..., None]
    # The water mirrors a pale sky, brighter toward the light.
    sky = mix(P["water"], P["water_light"], np.clip(0.35 + 0.3 * blur(pool, 6) + 0.2 * wnoise, 0, 1))
    rim = np.clip(blur(pool, 2) - blur(pool, 5), 0, 1)
    rgb = mix(rgb, sky, pool * 0.9)
    rgb = rgb + (rim * 0.5)[..., None] * 0.25

    # --- flowers -----------------------------------------------------------
    grassy = (1 - dirt_amt) * (1 - verge) * (1 - paths)
    for _ in range(4500):
        x, y = int(rng.uniform(WALL + 4, W - WALL - 4)), int(rng.uniform(WALL + 4, H - WALL - 4))
        if grassy[y, x] < 0.9:
            continue
        # Cool colours only: a warm or white speck would pass for a coin,
        # a bullet or an ember at a glance.
        col = (hexcol("#9aa8e8"), hexcol("#7c8fd6"), hexcol("#c8a0d8"))[rng.integers(0, 3)]
        rgb[y, x] = col
        rgb[y, x + 1] = col * 0.8
        rgb[y + 1, x] = col * 0.7

    rgb = np.clip(rgb, 0, 1)

    # --- stones and bushes -------------------------------------------------
    for _ in range(300):
        x, y = rng.uniform(WALL + 10, W - WALL - 20), rng.uniform(WALL + 10, H - WALL - 20)
        r = rng.uniform(2.0, 4.0) if road[int(y), int(x)] > 0.5 else rng.uniform(2.5, 8.0)
        s = stone_sprite(rng, r)
        stamp(rgb, s, int(x), int(y))
    for _ in range(3000):  # pebbles on the road
        x, y = rng.uniform(0, W - 4), rng.uniform(0, H - 4)
        if road[int(y), int(x)] > 0.8:
            v = rng.uniform(0.45, 0.85) * 0.85  # grey stone, never a bright speck
            rgb[int(y), int(x)] = v
            rgb[int(y) + 1, int(x) + 1] *= 0.7
    bush_spots = []
    for _ in range(170):
        x, y = rng.uniform(WALL + 10, W - WALL - 60), rng.uniform(WALL + 10, H - WALL - 60)
        cxp, cyp = int(x + 25), int(y + 25)
        if verge[min(cyp, H - 1), min(cxp, W - 1)] > 0.05 or paths[min(cyp, H - 1), min(cxp, W - 1)] > 0.05:
            continue
        if x < 480 and y < 300:  # keep the yard by the buildings clear
            continue
        if wet[min(cyp, H - 1), min(cxp, W - 1)] > 0.05:
            continue
        bush_spots.append((x, y))
        stamp(rgb, bush_sprite(rng, rng.uniform(9, 26)), int(x), int(y))
    # Hedgerows along the inside of the wall make the edge read from afar.
    for edge_pts in _hedge_points(rng):
        x, y, r = edge_pts
        stamp(rgb, bush_sprite(rng, r), int(x), int(y))

    # --- the wall around the map -------------------------------------------
    rgb = _wall(rgb, rng, road)
    return Image.fromarray(np.round(np.clip(rgb, 0, 1) * 255).astype(np.uint8), "RGB")


def _hedge_points(rng):
    pts = []
    # Only in stretches, with gaps, and never across the road or the yard.
    for x in np.arange(520, MAP_W - 80, 34):
        if (x // 400) % 3 != 1:
            pts.append((x + rng.uniform(-6, 6), WALL + rng.uniform(-10, 0), rng.uniform(11, 16)))
        if (x // 500) % 3 != 2 and not 1230 < x < 1520 and not 700 < x < 900:
            pts.append((x + rng.uniform(-6, 6), MAP_H - WALL - 44 + rng.uniform(0, 8), rng.uniform(11, 16)))
    for y in np.arange(420, MAP_H - 80, 34):
        if (y // 300) % 3 != 1:
            pts.append((WALL + rng.uniform(-12, -4), y + rng.uniform(-6, 6), rng.uniform(11, 16)))
        if (y // 350) % 3 != 0 and not 250 < y < 460 and not 1280 < y < 1440:
            pts.append((MAP_W - WALL - 44 + rng.uniform(0, 8), y + rng.uniform(-6, 6), rng.uniform(11, 16)))
    return pts


def _wall(rgb, rng, road):
    """A dry-stone wall all round: lit blocks, mortar, and its shadow inward."""
    H, W = rgb.shape[:2]
    P = PAL
    wall = np.zeros((H, W))
    wall[:WALL, :] = 1
    wall[-WALL:, :] = 1
    wall[:, :WALL] = 1
    wall[:, -WALL:] = 1
    # Cast shadow onto the ground toward the lower right of the top and left
    # walls; the bottom and right walls throw theirs outward, off the map.
    shadow = np.zeros((H, W))
    shadow[WALL:WALL + 14, WALL:] = np.linspace(0.55, 0, 14)[:, None]
    shadow[WALL:, WALL:WALL + 14] = np.maximum(shadow[WALL:, WALL:WALL + 14],
                                               np.linspace(0.55, 0, 14)[None, :])
    shadow = blur(shadow, 3)
    rgb = rgb * (1 - shadow)[..., None]

    blocks = Image.new("L", (W, H), 0)
    lit = np.zeros((H, W))
    d = ImageDraw.Draw(blocks)
    shades = []

    def run(x0, y0, length, horizontal):
        pos = 0
        rows = ((0, WALL // 2 - 1), (WALL // 2, WALL - 1))
        for ri, (a, b) in enumerate(rows):
            pos = -rng.uniform(0, 30) if ri else 0
            while pos < length:
                bl = rng.uniform(22, 46)
                s = int(rng.integers(150, 256))
                if horizontal:
                    box = (x0 + pos + 1, y0 + a + 1, x0 + pos + bl - 1, y0 + b - 1)
                else:
                    box = (x0 + a + 1, y0 + pos + 1, x0 + b - 1, y0 + pos + bl - 1)
                d.rounded_rectangle(box, radius=3, fill=s)
                shades.append(s)
                pos += bl

    run(0, 0, W, True)
    run(0, H - WALL, W, True)
    run(0, 0, H, False)
    run(W - WALL, 0, H, False)
    bm = np.asarray(blocks, dtype=np.float64) / 255.0
    mask = (bm > 0).astype(np.float64)
    light = lighting(mask, 3.5, 1.4)
    stone = mix(P["stone_dark"], P["stone"], bm) * light[..., None]
    moss = smoothstep(0.6, 0.75, fbm(H, W, 25, rng, 3))
    stone = mix(stone, P["leaf"] * light[..., None], moss * 0.6)
    mortar = P["stone_dark"] * 0.45
    wall_rgb = mix(np.broadcast_to(mortar, rgb.shape), stone, mask)
    return mix(rgb, wall_rgb, wall)


# --------------------------------------------------------------- buildings ---

def building_tiled():
    """Opaque: a red clay-tile gable roof, ridge north-south, with a chimney."""
    rng = rng_for("building.jpg")
    P = PAL
    S = 4
    L = Layer(100, 100, S)
    x, y = L.x, L.y
    # Two roof planes: the west one faces the light.
    plane = np.where(x < 50, 1.12, 0.72)
    row = np.floor(y / 6.0)
    stagger = (row % 2) * 3.5
    tile_x = np.mod(x + stagger, 7.0)
    tile_y = np.mod(y, 6.0)
    # Each tile's curved lower edge darkens, its top catches light.
    curve = np.clip(tile_y / 6.0, 0, 1) ** 2
    joint = smoothstep(0.0, 0.9, np.minimum(tile_x, 7.0 - tile_x))
    tile_id = (np.floor((x + stagger) / 7.0) * 31 + row * 17) % 11
    var = 0.88 + 0.02 * tile_id
    col = mix(P["roof_tile"], P["roof_tile_dark"], curve * 0.8)
    col = col * (var * (0.55 + 0.45 * joint))[..., None] * plane[..., None]
    weather = blur(rng.random((L.h, L.w)), 10 * S)
    col = mix(col, hexcol("#5c5a3c") * plane[..., None], smoothstep(0.52, 0.56, weather) * 0.45)
    L.fill((0, 0, 0))
    L.rgb = col
    # Ridge cap and eaves.
    ridge = sdf_box(x, y, 50, 50, 3.2, 50)
    L.paint(L.cov(ridge), hexcol("#b86548")[None, None, :] * np.where(x < 50, 1.1, 0.8)[..., None])
    for k in range(15):
        L.paint(L.cov(np.abs(y - k * 7.0) - 0.4) * L.cov(ridge), P["roof_tile_dark"], 0.8)
    eave = np.maximum(np.abs(x - 50) - 47.5, np.abs(y - 50) - 47.5)
    L.paint(L.cov(-eave), P["roof_tile_dark"] * 0.6, 0.9)
    # Brick chimney on the shaded plane, with its shadow falling down-right.
    ch = sdf_box(x, y, 70, 30, 6, 6, 0.5)
    sh = sdf_box(x, y, 74, 34.5, 6.5, 6.5, 1.5)
    L.paint(L.cov(sh) * (1 - L.cov(ch)), np.array([0.08, 0.03, 0.02]), 0.5)
    L.paint(L.cov(ch + 0.6), P["ink"], 0.7)
    brick = mix(hexcol("#8a4a3a"), hexcol("#6a3226"), (np.mod(np.floor(y / 2.0) + np.floor(x / 3.0), 2)))
    L.paint(L.cov(ch), brick * L.light(L.cov(ch), 1.5, 1.2)[..., None])
    L.paint(L.cov(sdf_box(x, y, 70, 30, 3.2, 3.2, 0.5)), hexcol("#141010"))
    return L.image(opaque_bg=(0, 0, 0))


def building_slate():
    """Transparent surroundings: a slate hip roof with a skylight."""
    P = PAL
    S = 4
    L = Layer(100, 100, S)
    x, y = L.x, L.y
    x0, y0, x1, y1 = 4.0, 4.0, 92.0, 92.0
    cy = (y0 + y1) / 2
    rx0, rx1 = 34.0, 62.0  # the ridge, east-west
    foot = L.cov(sdf_box(x, y, (x0 + x1) / 2, cy, (x1 - x0) / 2, (y1 - y0) / 2, 1.0))
    # Which plane each point lies on: compare distances to the four eaves
    # scaled by the hip geometry.
    d_w = (x - x0) / (rx0 - x0)
    d_e = (x1 - x) / (x1 - rx1)
    d_n = (y - y0) / (cy - y0)
    d_s = (y1 - y) / (y1 - cy)
    planes = np.stack([d_w, d_n, d_e, d_s])
    which = np.argmin(planes, 0)
    bright = np.array([1.18, 1.02, 0.66, 0.80])[which]
    # Slates: courses parallel to each plane's eave.
    along = np.choose(which, [y, x, y, x])
    across = np.choose(which, [x - x0, y - y0, x1 - x, y1 - y])
    course = np.floor(across / 5.0)
    slate_edge = smoothstep(0.0, 0.8, np.mod(across, 5.0))
    joint = smoothstep(0.0, 0.7, np.abs(np.mod(along + course * 3.0, 8.0) - 4.0) - 3.2 + 0.7)
    var = 0.9 + 0.2 * ((course * 7 + np.floor((along + course * 3.0) / 8.0) * 13) % 5) / 4
    col = P["roof_slate"][None, None, :] * (bright * var * (0.75 + 0.25 * slate_edge) * (0.8 + 0.2 * joint))[..., None]
    L.paint(foot, col)
    # Hips and ridge in lead flashing.
    hip = np.min(np.sort(planes, 0)[1:2] - np.sort(planes, 0)[0:1], 0)
    hipline = L.cov(hip * 25 - 1.0)
    L.paint(hipline * foot, hexcol("#9aa3ab"), 0.8)
    # Eave outline.
    L.paint(foot * (1 - L.cov(sdf_box(x, y, (x0 + x1) / 2, cy, (x1 - x0) / 2 - 1.2, (y1 - y0) / 2 - 1.2, 0.5))),
            P["roof_slate_dark"] * 0.7)
    # Skylight on the north plane.
    sk = sdf_box(x, y, 48, 18, 7, 4.5, 0.6)
    L.paint(L.cov(sk - 0.8), P["ink"], 0.8)
    glass = mix(hexcol("#9cc0d0"), hexcol("#34505e"), np.clip((x - 41 + (y - 13.5) * 1.5) / 14, 0, 1))
    L.paint(L.cov(sk), glass)
    L.paint(L.cov(np.abs(x - 48) - 0.4) * L.cov(sk), P["ink"], 0.8)
    # Vent pipe on the east plane.
    L.paint(L.cov(sdf_ellipse(x, y, 76, 62, 3.0, 3.0) - 0.5), P["ink"], 0.8)
    L.paint(L.cov(sdf_ellipse(x, y, 76, 62, 3.0, 3.0)), P["steel"][None, None, :] *
            dome(x, y, 76, 62, 3, 3, 1.0)[..., None])
    L.paint(L.cov(sdf_ellipse(x, y, 76, 62, 1.5, 1.5)), P["ink"])
    L.drop_shadow(4.5, 5.0, 2.0, 0.5)
    return L.image()
