#!/usr/bin/env python3
"""Synthesises Klevaria's four sound effects as RIFF WAV files.

    make_sfx.py OUT_DIR

writes Up.wav (reel winding), Poimal.wav (a bright plop), Level.wav (a cheerful
jingle) and Over.wav (a falling game-over phrase), each in the exact format the
game carries. Output is deterministic: the noise comes from a fixed-seed LCG.
"""

import math
import os
import struct
import sys
import wave


class Noise:
    """Deterministic white noise in -1..1 (a 32-bit LCG)."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return (self.state >> 8) / float(1 << 23) - 1.0


def ramp(i, n, attack, release):
    """Linear fade-in over `attack` samples and fade-out over the last `release`."""
    g = 1.0
    if attack > 0 and i < attack:
        g = i / attack
    if release > 0 and i >= n - release:
        g = min(g, (n - 1 - i) / release)
    return max(0.0, g)


def write_wav(path, rate, channels, bits, frames):
    """frames: list of tuples of floats in -1..1, one value per channel."""
    data = bytearray()
    for fr in frames:
        for v in fr:
            v = max(-1.0, min(1.0, v))
            if bits == 16:
                data += struct.pack('<h', int(round(v * 32767)))
            else:
                data.append(int(round(128 + v * 127)))
    with wave.open(path, 'wb') as w:
        w.setnchannels(channels)
        w.setsampwidth(bits // 8)
        w.setframerate(rate)
        w.writeframes(bytes(data))


def make_up():
    """The reel winding: a ratchet ticking over a soft gear whirr, 4.67 s."""
    rate, n = 22050, int(round(4.67 * 22050))
    noise = Noise(12345)
    tick_rate = 17.0  # ratchet clicks per second
    out = []
    lp_l = lp_r = 0.0
    hp_prev = hp_out = 0.0
    for i in range(n):
        t = i / rate
        # Pawl ticks: a short decaying band of noise, a touch irregular.
        phase = t * tick_rate + 0.08 * math.sin(2 * math.pi * 0.7 * t)
        frac = phase - math.floor(phase)
        tick_env = math.exp(-frac * 60.0) * min(1.0, frac * 400.0)
        nz = noise.next()
        # One-pole high-pass so the ticks sound crisp but not harsh.
        hp_out = 0.85 * (hp_out + nz - hp_prev)
        hp_prev = nz
        tick = hp_out * tick_env * 0.55
        # A resonant metallic ping on every tick.
        ping = math.sin(2 * math.pi * 2300 * frac / tick_rate) * tick_env * 0.18
        # The gear whirr: a soft hum wobbling with the crank.
        crank = 0.5 + 0.5 * math.sin(2 * math.pi * 2.2 * t)
        hum = (math.sin(2 * math.pi * 110 * t) * 0.6 +
               math.sin(2 * math.pi * 220 * t) * 0.25 +
               math.sin(2 * math.pi * 330 * t) * 0.1) * (0.10 + 0.06 * crank)
        env = ramp(i, n, int(0.03 * rate), int(0.35 * rate))
        mono = (tick + ping) * env
        # A little width: the ticks lean left, the hum right.
        lp_l = 0.7 * lp_l + 0.3 * (mono + hum * env * 0.8)
        lp_r = 0.7 * lp_r + 0.3 * (mono * 0.85 + hum * env)
        out.append((lp_l * 2.0, lp_r * 2.0))
    return rate, 2, 16, out


def make_poimal():
    """A bright plop: a rising sine chirp with a quick decay, 0.07 s."""
    rate, n = 22050, int(round(0.07 * 22050))
    out = []
    phase = 0.0
    for i in range(n):
        t = i / rate
        f = 520 + 1500 * (1 - math.exp(-t * 70))
        phase += 2 * math.pi * f / rate
        env = math.exp(-t * 38) * ramp(i, n, int(0.002 * rate), int(0.012 * rate))
        v = (math.sin(phase) * 0.8 + math.sin(2 * phase) * 0.15) * env * 0.85
        out.append((v, v))
    return rate, 2, 16, out


def bell(freq, t, length):
    """A soft marimba-like tone: fundamental plus a decaying octave."""
    if t < 0 or t >= length:
        return 0.0
    env = math.exp(-t * 3.2) * min(1.0, t / 0.004) * min(1.0, (length - t) / 0.03)
    v = math.sin(2 * math.pi * freq * t)
    v += 0.3 * math.sin(2 * math.pi * 2 * freq * t) * math.exp(-t * 8)
    v += 0.08 * math.sin(2 * math.pi * 3 * freq * t) * math.exp(-t * 14)
    return v * env


def note_freq(midi):
    return 440.0 * 2 ** ((midi - 69) / 12.0)


def make_level():
    """A cheerful jingle: D major arpeggio up to a sustained chord, 1.81 s.

    D major, the key of the play tune it sounds over.
    """
    rate, n = 12000, int(round(1.81 * 12000))
    # (start s, midi note, length s)
    notes = [(0.00, 74, 0.30), (0.12, 78, 0.30), (0.24, 81, 0.30), (0.36, 86, 0.35),
             (0.52, 81, 0.25), (0.64, 86, 1.17), (0.64, 78, 1.17), (0.64, 74, 1.17),
             (0.64, 62, 1.17)]
    out = []
    for i in range(n):
        t = i / rate
        v = 0.0
        for start, midi, length in notes:
            v += bell(note_freq(midi), t - start, length) * (0.55 if midi < 84 else 0.45)
        v *= ramp(i, n, 0, int(0.05 * rate)) * 0.44
        out.append((v,))
    return rate, 1, 16, out


def make_over():
    """The falling game-over phrase: three notes down and a sagging last one, 0.78 s."""
    rate, n = 11025, int(round(0.78 * 11025))
    # (start s, midi, length s, bend semitones over the note)
    notes = [(0.00, 67, 0.16, 0.0), (0.17, 66, 0.16, 0.0), (0.34, 65, 0.16, 0.0),
             (0.51, 64, 0.27, -1.5)]
    out = []
    phase = 0.0
    for i in range(n):
        t = i / rate
        v = 0.0
        for start, midi, length, bend in notes:
            u = t - start
            if 0 <= u < length:
                f = note_freq(midi + bend * (u / length))
                phase += 2 * math.pi * f / rate
                # A muted brass-like voice: odd harmonics, gently rounded.
                s = math.sin(phase) + 0.3 * math.sin(3 * phase) + 0.1 * math.sin(5 * phase)
                env = min(1.0, u / 0.01) * min(1.0, (length - u) / 0.03)
                env *= 0.9 + 0.1 * math.sin(2 * math.pi * 6 * u)
                v += s * env * 0.45
        out.append((v,))
    return rate, 1, 8, out


EFFECTS = {
    'Up': make_up,
    'Poimal': make_poimal,
    'Level': make_level,
    'Over': make_over,
}


def main(argv):
    if len(argv) != 2:
        sys.stderr.write('usage: make_sfx.py OUT_DIR\n')
        return 2
    out_dir = argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for name, fn in EFFECTS.items():
        rate, channels, bits, frames = fn()
        write_wav(os.path.join(out_dir, name + '.wav'), rate, channels, bits, frames)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
