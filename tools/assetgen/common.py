"""Drawing, lighting and file-writing helpers shared by every asset.

Pictures are built as float RGBA layers with *premultiplied* alpha, usually at
several times their final size, and box-filtered down at the end; that gives
clean antialiased edges without dark fringes.  All randomness comes from
generators seeded by the asset's own name, so every run writes the same bytes
and adding an asset never changes the others.
"""

import hashlib
import os

import numpy as np
from PIL import Image, ImageDraw, ImageFont

# Light comes from the upper left and a little above (x right, y down, z up).
LIGHT = np.array([-0.55, -0.65, 0.9])
LIGHT = LIGHT / np.linalg.norm(LIGHT)

FONT_REGULAR = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT_CONDENSED_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"


def hexcol(h):
    """'#rrggbb' -> float array in 0..1."""
    h = h.lstrip("#")
    return np.array([int(h[i:i + 2], 16) / 255.0 for i in (0, 2, 4)])


# The whole game draws from this palette so the pieces sit together.
PAL = {
    "grass_dark": hexcol("#33502a"),
    "grass": hexcol("#4c6e33"),
    "grass_light": hexcol("#6a8a3e"),
    "grass_dry": hexcol("#8a8a4a"),
    "dirt_dark": hexcol("#5e4630"),
    "dirt": hexcol("#7f6344"),
    "dirt_light": hexcol("#a3845c"),
    "gravel": hexcol("#8d8372"),
    "stone": hexcol("#8a8780"),
    "stone_dark": hexcol("#5b5954"),
    "water": hexcol("#35505e"),
    "water_light": hexcol("#7a9aa6"),
    "leaf_dark": hexcol("#264020"),
    "leaf": hexcol("#3b5e2b"),
    "leaf_light": hexcol("#5d8a3a"),
    "olive": hexcol("#5a6838"),
    "olive_dark": hexcol("#3c4626"),
    "olive_light": hexcol("#7d8c4e"),
    "jacket": hexcol("#46678a"),
    "jacket_dark": hexcol("#2c425c"),
    "khaki": hexcol("#a8945e"),
    "khaki_dark": hexcol("#6e5f3a"),
    "skin": hexcol("#d2a075"),
    "skin_dark": hexcol("#a8764f"),
    "steel_dark": hexcol("#2a2c30"),
    "steel": hexcol("#5a6068"),
    "steel_light": hexcol("#8c939b"),
    "wood": hexcol("#6b4a2e"),
    "wood_light": hexcol("#94683f"),
    "zombie_skin": hexcol("#86a35e"),
    "zombie_skin_dark": hexcol("#5d7a44"),
    "zombie_shirt": hexcol("#74404a"),
    "zombie_shirt_dark": hexcol("#4a2830"),
    "zombie_pants": hexcol("#5a4734"),
    "blood": hexcol("#6e1414"),
    "gold": hexcol("#e8b53a"),
    "gold_dark": hexcol("#9c6d1c"),
    "gold_light": hexcol("#fff0a8"),
    "red": hexcol("#c0262c"),
    "red_dark": hexcol("#6e1016"),
    "red_light": hexcol("#ff7a6a"),
    "roof_tile": hexcol("#9c4a32"),
    "roof_tile_dark": hexcol("#6a2e20"),
    "roof_slate": hexcol("#56606a"),
    "roof_slate_dark": hexcol("#39414a"),
    "leather": hexcol("#5a3c26"),
    "leather_dark": hexcol("#38251a"),
    "leather_light": hexcol("#7e5a3a"),
    "ink": hexcol("#141414"),
    "bone": hexcol("#e8dcc0"),
}


def rng_for(name):
    """A generator seeded from the asset's name: stable across runs and order."""
    seed = int.from_bytes(hashlib.sha256(name.encode("utf-8")).digest()[:8], "little")
    return np.random.default_rng(seed)


# ---------------------------------------------------------------- geometry ---

def grid(h, w, scale=1.0):
    """Pixel-centre coordinates (x, y) in units of 1/scale pixels."""
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float64)
    return (xs + 0.5) / scale, (ys + 0.5) / scale


def coverage(sdf, px):
    """Antialiased coverage of the region sdf < 0, edge about px wide."""
    return np.clip(0.5 - sdf / px, 0.0, 1.0)


def sdf_ellipse(x, y, cx, cy, rx, ry, angle=0.0):
    c, s = np.cos(angle), np.sin(angle)
    dx, dy = x - cx, y - cy
    u = (dx * c + dy * s) / rx
    v = (-dx * s + dy * c) / ry
    k = np.sqrt(u * u + v * v)
    return (k - 1.0) * min(rx, ry)


def sdf_capsule(x, y, ax, ay, bx, by, r):
    pax, pay = x - ax, y - ay
    bax, bay = bx - ax, by - ay
    denom = bax * bax + bay * bay
    h = np.clip((pax * bax + pay * bay) / denom, 0.0, 1.0) if denom > 0 else 0.0
    dx, dy = pax - bax * h, pay - bay * h
    return np.sqrt(dx * dx + dy * dy) - r


def sdf_box(x, y, cx, cy, hw, hh, r=0.0, angle=0.0):
    c, s = np.cos(angle), np.sin(angle)
    dx, dy = x - cx, y - cy
    u = np.abs(dx * c + dy * s) - (hw - r)
    v = np.abs(-dx * s + dy * c) - (hh - r)
    outside = np.sqrt(np.maximum(u, 0) ** 2 + np.maximum(v, 0) ** 2)
    inside = np.minimum(np.maximum(u, v), 0)
    return outside + inside - r


def polygon_mask(h, w, points, scale=1.0):
    """Coverage of a polygon given in 1/scale units, rasterised at h x w."""
    img = Image.new("L", (w, h), 0)
    ImageDraw.Draw(img).polygon([(px * scale, py * scale) for px, py in points], fill=255)
    return np.asarray(img, dtype=np.float64) / 255.0


# ---------------------------------------------------------------- blurring ---

def _box1d(a, r, axis):
    if r < 1:
        return a
    a = np.swapaxes(a, 0, axis)
    pad = np.concatenate([np.repeat(a[:1], r + 1, 0), a, np.repeat(a[-1:], r, 0)], 0)
    c = np.cumsum(pad, axis=0)
    out = (c[2 * r + 1:] - c[:-2 * r - 1]) / (2 * r + 1)
    return np.swapaxes(out, 0, axis)


def blur(a, radius):
    """Gaussian-like blur (three box passes) of a 2-D or 3-D array."""
    r = max(1, int(round(radius / 1.7)))
    for _ in range(3):
        a = _box1d(a, r, 0)
        a = _box1d(a, r, 1)
    return a


# ---------------------------------------------------------------- lighting ---

def lighting(mask, bevel, strength=1.0, height=None):
    """Per-pixel brightness factor for a raised shape lit from the upper left.

    The shape's height field is its blurred mask (or the given height), so any
    silhouette gets rounded edges; flat tops come out at factor 1.
    """
    hgt = blur(mask, bevel) if height is None else height
    gy, gx = np.gradient(hgt)
    k = bevel * 1.6
    nx, ny, nz = -gx * k, -gy * k, np.ones_like(hgt)
    n = np.sqrt(nx * nx + ny * ny + nz * nz)
    lam = (nx * LIGHT[0] + ny * LIGHT[1] + nz * LIGHT[2]) / n
    flat = LIGHT[2]
    return 1.0 + strength * (lam - flat) / flat


def dome(x, y, cx, cy, rx, ry, strength=1.0, flatten=1.0):
    """Brightness of an ellipsoid cap: round things (heads, coins, stones)."""
    u = (x - cx) / rx
    v = (y - cy) / ry
    z = np.sqrt(np.clip(1 - u * u - v * v, 0, 1)) * flatten + 1e-6
    n = np.sqrt(u * u + v * v + z * z)
    lam = (u * LIGHT[0] + v * LIGHT[1] + z * LIGHT[2]) / n
    return 1.0 + strength * (lam - LIGHT[2]) / LIGHT[2]


def specular(x, y, cx, cy, r, power=12.0):
    """Small bright spot toward the light on a round surface."""
    hx = cx + LIGHT[0] * r * 0.5
    hy = cy + LIGHT[1] * r * 0.5
    d = np.sqrt((x - hx) ** 2 + (y - hy) ** 2) / r
    return np.clip(1 - d, 0, 1) ** power * 1.0


# ----------------------------------------------------------------- layers ---

class Layer:
    """A premultiplied float RGBA picture with painter's-order compositing."""

    def __init__(self, w, h, scale=1, zoom=1.0):
        # w, h: final size in pixels; scale: supersampling factor; zoom: final
        # pixels per drawing unit, so one drawing can be rendered at any size.
        self.w, self.h, self.scale, self.zoom = w * scale, h * scale, scale, zoom
        self.u = scale * zoom          # hi-res pixels per drawing unit
        self.px = 1.0 / self.u         # one hi-res pixel in drawing units
        self.rgb = np.zeros((self.h, self.w, 3))
        self.a = np.zeros((self.h, self.w))
        self.x, self.y = grid(self.h, self.w, self.u)

    def cov(self, sdf):
        return coverage(sdf, self.px)

    def light(self, mask, bevel, strength=1.0):
        """lighting() with the bevel given in drawing units."""
        return lighting(mask, bevel * self.u, strength)

    def fill(self, color):
        self.rgb[:] = np.asarray(color)[None, None, :]
        self.a[:] = 1.0

    def paint(self, cov, color, opacity=1.0):
        """Paint colour (RGB triple or H x W x 3 array) where cov > 0."""
        a = np.clip(cov * opacity, 0, 1)
        col = np.asarray(color, dtype=np.float64)
        if col.ndim == 1:
            col = col[None, None, :]
        col = np.clip(col, 0, 1)
        self.rgb = col * a[..., None] + self.rgb * (1 - a[..., None])
        self.a = a + self.a * (1 - a)

    def paint_under(self, cov, color, opacity=1.0):
        a = np.clip(cov * opacity, 0, 1) * (1 - self.a)
        self.rgb = self.rgb + np.asarray(color)[None, None, :] * a[..., None]
        self.a = self.a + a

    def drop_shadow(self, dx, dy, radius, opacity=0.45, color=(0.04, 0.05, 0.03)):
        """Soft shadow toward the lower right, behind what is drawn so far."""
        s = self.u
        sh = np.roll(np.roll(self.a, int(round(dy * s)), 0), int(round(dx * s)), 1)
        if dy > 0:
            sh[:int(round(dy * s))] = 0
        if dx > 0:
            sh[:, :int(round(dx * s))] = 0
        sh = blur(sh, radius * s)
        self.paint_under(sh, np.asarray(color), opacity)

    def composite(self, other):
        """Put another layer of the same size over this one."""
        self.rgb = other.rgb + self.rgb * (1 - other.a[..., None])
        self.a = other.a + self.a * (1 - other.a)

    def downsampled(self):
        """Box-filter to final size; returns (rgb premultiplied, alpha)."""
        s = self.scale
        h, w = self.h // s, self.w // s
        rgb = self.rgb.reshape(h, s, w, s, 3).mean(axis=(1, 3))
        a = self.a.reshape(h, s, w, s).mean(axis=(1, 3))
        return rgb, a

    def image(self, opaque_bg=None):
        rgb, a = self.downsampled()
        return to_image(rgb, a, opaque_bg)


def to_image(rgb_pm, a, opaque_bg=None):
    """Premultiplied float arrays -> PIL image (RGB over a background, or RGBA)."""
    if opaque_bg is not None:
        bg = np.asarray(opaque_bg)[None, None, :]
        out = rgb_pm + bg * (1 - a[..., None])
        return Image.fromarray(np.round(np.clip(out, 0, 1) * 255).astype(np.uint8), "RGB")
    safe = np.where(a > 1e-6, a, 1.0)
    straight = np.clip(rgb_pm / safe[..., None], 0, 1)
    alpha = np.round(np.clip(a, 0, 1) * 255).astype(np.uint8)
    straight = np.where(alpha[..., None] > 0, straight, 0.0)
    arr = np.dstack([np.round(straight * 255).astype(np.uint8), alpha])
    return Image.fromarray(arr, "RGBA")


def rotate_layer(layer, degrees_cw):
    """Rotate a layer about its centre (bilinear, premultiplied), same size."""
    t = np.deg2rad(degrees_cw)
    h, w = layer.h, layer.w
    cx, cy = w / 2.0, h / 2.0
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float64) + 0.5
    # Inverse map: a destination pixel samples the source rotated back.
    dx, dy = xs - cx, ys - cy
    c, s = np.cos(t), np.sin(t)
    sx = dx * c + dy * s + cx - 0.5
    sy = -dx * s + dy * c + cy - 0.5
    x0 = np.floor(sx).astype(int)
    y0 = np.floor(sy).astype(int)
    fx, fy = sx - x0, sy - y0

    def sample(arr):
        out = np.zeros_like(arr)
        for oy, ox, wgt in ((0, 0, (1 - fx) * (1 - fy)), (0, 1, fx * (1 - fy)),
                            (1, 0, (1 - fx) * fy), (1, 1, fx * fy)):
            yy, xx = y0 + oy, x0 + ox
            ok = (yy >= 0) & (yy < h) & (xx >= 0) & (xx < w)
            yy, xx = np.clip(yy, 0, h - 1), np.clip(xx, 0, w - 1)
            v = arr[yy, xx]
            if arr.ndim == 3:
                out += v * (wgt * ok)[..., None]
            else:
                out += v * wgt * ok
        return out

    out = Layer(w // layer.scale, h // layer.scale, layer.scale, layer.zoom)
    out.rgb = sample(layer.rgb)
    out.a = sample(layer.a)
    return out


# ------------------------------------------------------------------ noise ---

def value_noise(h, w, cell, rng):
    """Smooth noise in 0..1 with features about `cell` pixels across."""
    gh, gw = int(np.ceil(h / cell)) + 3, int(np.ceil(w / cell)) + 3
    g = rng.random((gh, gw)).astype(np.float32)
    big = Image.fromarray(g, "F").resize((int(gw * cell), int(gh * cell)), Image.BICUBIC)
    arr = np.asarray(big, dtype=np.float64)
    off = int(cell)
    return np.clip(arr[off:off + h, off:off + w], 0, 1)


def fbm(h, w, cell, rng, octaves=4, gain=0.5):
    total, amp, norm = np.zeros((h, w)), 1.0, 0.0
    for _ in range(octaves):
        total += amp * value_noise(h, w, max(cell, 1.5), rng)
        norm += amp
        amp *= gain
        cell /= 2.0
    return total / norm


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0, 1)
    return t * t * (3 - 2 * t)


def mix(a, b, t):
    t = np.asarray(t)
    if t.ndim == 2:
        t = t[..., None]
    return a * (1 - t) + b * t


# ------------------------------------------------------------------- text ---

def font(size, bold=True, condensed=False):
    path = FONT_CONDENSED_BOLD if condensed else (FONT_BOLD if bold else FONT_REGULAR)
    return ImageFont.truetype(path, int(round(size)))


def text_mask(w, h, text, fnt, cx, cy, stroke=0):
    """Coverage of centred text on a w x h canvas."""
    img = Image.new("L", (w, h), 0)
    d = ImageDraw.Draw(img)
    d.text((cx, cy), text, font=fnt, fill=255, anchor="mm", stroke_width=stroke,
           stroke_fill=255)
    return np.asarray(img, dtype=np.float64) / 255.0


# ---------------------------------------------------------------- writing ---

def ensure_dir(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)


def save_png(img, path):
    """Write a PNG with no time stamp or other varying chunk."""
    ensure_dir(path)
    img.save(path, format="PNG", optimize=False, compress_level=9)


def save_jpg(img, path, quality=88, subsampling=0):
    """Baseline JPEG; 4:4:4 chroma by default so small UI art stays crisp."""
    ensure_dir(path)
    img.convert("RGB").save(path, format="JPEG", quality=quality,
                            subsampling=subsampling, optimize=True)

