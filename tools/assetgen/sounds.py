"""Synthesised sound effects: 22050 Hz, 16-bit mono PCM."""

import wave

import numpy as np

from .common import ensure_dir, rng_for

RATE = 22050


def _t(seconds):
    return np.arange(int(RATE * seconds)) / RATE


def lowpass(x, cutoff):
    """One-pole low-pass; cutoff may be a constant or a per-sample array."""
    c = np.broadcast_to(np.asarray(cutoff, dtype=np.float64), x.shape)
    a = 1 - np.exp(-2 * np.pi * c / RATE)
    y = np.empty_like(x)
    acc = 0.0
    for i in range(len(x)):
        acc += a[i] * (x[i] - acc)
        y[i] = acc
    return y


def highpass(x, cutoff):
    return x - lowpass(x, cutoff)


def resonator(x, freq, q):
    """Two-pole band-pass ringing at freq: metallic bodies, bottles."""
    r = np.exp(-np.pi * freq / (q * RATE))
    b1 = 2 * r * np.cos(2 * np.pi * freq / RATE)
    b2 = -r * r
    y = np.zeros_like(x)
    y1 = y2 = 0.0
    for i in range(len(x)):
        v = x[i] * (1 - r) + b1 * y1 + b2 * y2
        y[i] = v
        y2, y1 = y1, v
    return y


def env(t, attack, decay):
    return np.clip(t / max(attack, 1e-6), 0, 1) * np.exp(-np.maximum(t - attack, 0) / decay)


def place(total, piece, at):
    start = int(at * RATE)
    end = min(len(total), start + len(piece))
    total[start:end] += piece[:end - start]


def normalise(x, peak=0.9):
    # Fade the last few milliseconds so no sound ends on a click.
    fade = min(len(x), int(0.004 * RATE))
    x = x.copy()
    x[-fade:] *= np.linspace(1, 0, fade)
    return x / (np.max(np.abs(x)) + 1e-12) * peak


def click(rng, length, ring_freqs, decay, bright=4000):
    t = _t(length)
    n = rng.uniform(-1, 1, len(t)) * env(t, 0.0003, decay * 0.4)
    out = highpass(n, bright * 0.3) * 0.6
    for f, q, g in ring_freqs:
        out += resonator(n, f, q) * g
    return out * env(t, 0.0002, decay)


def glock_shot():
    rng = rng_for("glockShot")
    t = _t(0.42)
    noise = rng.uniform(-1, 1, len(t))
    crack = highpass(noise, 1500) * env(t, 0.0005, 0.018)
    body = lowpass(noise, 2200 * np.exp(-t / 0.08) + 250) * env(t, 0.001, 0.09) * 1.6
    thump = np.sin(2 * np.pi * (140 * t - 260 * t * t)) * env(t, 0.001, 0.06) * 0.9
    tail = lowpass(noise, 600) * env(t, 0.02, 0.16) * 0.8
    return normalise(crack * 1.2 + body + thump + tail)


def uzi_shot():
    # Shorter than the 71 ms between rounds so bursts stay crisp.
    rng = rng_for("uziShot")
    t = _t(0.065)
    noise = rng.uniform(-1, 1, len(t))
    crack = highpass(noise, 2500) * env(t, 0.0003, 0.008)
    body = lowpass(noise, 3500 * np.exp(-t / 0.02) + 400) * env(t, 0.0005, 0.018) * 1.4
    thump = np.sin(2 * np.pi * (200 * t - 600 * t * t)) * env(t, 0.0005, 0.015) * 0.6
    return normalise(crack + body + thump, 0.85)


def glock_reload():
    """Magazine out (click and slide), then in (a firmer double click)."""
    rng = rng_for("glockReload")
    out = np.zeros(int(RATE * 0.72))
    place(out, click(rng, 0.08, [(2300, 30, 2.0), (3900, 40, 1.2)], 0.02), 0.02)
    slide = rng.uniform(-1, 1, int(RATE * 0.12))
    st = _t(0.12)
    place(out, lowpass(highpass(slide, 1200), 5000) * env(st, 0.02, 0.04) * 0.25, 0.07)
    place(out, click(rng, 0.06, [(1600, 25, 1.6), (3100, 35, 1.4)], 0.015) * 0.8, 0.44)
    place(out, click(rng, 0.1, [(1900, 30, 2.4), (4200, 45, 1.0)], 0.025), 0.485)
    return normalise(out, 0.8)


def no_ammo():
    rng = rng_for("noAmmo")
    out = np.zeros(int(RATE * 0.09))
    place(out, click(rng, 0.06, [(3200, 25, 1.5), (5400, 30, 0.8)], 0.008, 6000), 0.003)
    return normalise(out, 0.6)


def flamethrower():
    rng = rng_for("flamethrower")
    t = _t(0.5)
    noise = rng.uniform(-1, 1, len(t))
    # A roar: low-passed noise whose brightness swells, with a slow flutter.
    cutoff = 500 + 1400 * np.clip(t / 0.12, 0, 1) * (0.8 + 0.2 * np.sin(2 * np.pi * 9 * t))
    roar = lowpass(lowpass(noise, cutoff), cutoff * 1.5) * 3.0
    hiss = highpass(noise, 3000) * 0.18
    rumble = lowpass(noise, 120) * 6.0
    crackle = np.zeros_like(t)
    for at in rng.uniform(0.05, 0.45, 14):
        place(crackle, rng.uniform(-1, 1, 60) * np.exp(-np.arange(60) / 12.0), at)
    shape = np.clip(t / 0.05, 0, 1) * np.clip((0.5 - t) / 0.15, 0, 1) ** 0.7
    return normalise((roar + hiss + rumble + crackle * 0.5) * shape, 0.85)


def gold_pickup():
    """Two bright bell notes a fifth apart: the chime of coins."""
    out = np.zeros(int(RATE * 0.55))
    for at, f in ((0.0, 1318.5), (0.07, 1975.5)):
        t = _t(0.48)
        tone = (np.sin(2 * np.pi * f * t) + 0.45 * np.sin(2 * np.pi * f * 2.76 * t) * np.exp(-t / 0.05)
                + 0.25 * np.sin(2 * np.pi * f * 5.4 * t) * np.exp(-t / 0.02))
        place(out, tone * env(t, 0.002, 0.14), at)
    return normalise(out, 0.7)


def health_potion():
    """Three gulps: low bubbles whose pitch rises as they pop."""
    rng = rng_for("healthPotion")
    out = np.zeros(int(RATE * 0.6))
    for at, f0 in ((0.0, 180), (0.17, 210), (0.34, 170)):
        t = _t(0.14)
        f = f0 * np.exp(t * 9.0)
        phase = 2 * np.pi * np.cumsum(f) / RATE
        gulp = np.sin(phase) * env(t, 0.01, 0.045)
        gulp += lowpass(rng.uniform(-1, 1, len(t)), 900) * env(t, 0.002, 0.02) * 0.8
        place(out, gulp, at)
    return normalise(out, 0.75)


SOUNDS = {
    "sounds/gunSounds/glockShot.wav": glock_shot,
    "sounds/gunSounds/uziShot.wav": uzi_shot,
    "sounds/gunSounds/glockReload.wav": glock_reload,
    "sounds/gunSounds/noAmmo.wav": no_ammo,
    "sounds/gunSounds/flamethrower.wav": flamethrower,
    "sounds/itemSounds/goldPickup.wav": gold_pickup,
    "sounds/itemSounds/healthPotion.wav": health_potion,
}


def write_wav(path, samples):
    ensure_dir(path)
    pcm = np.round(np.clip(samples, -1, 1) * 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(pcm.tobytes())
