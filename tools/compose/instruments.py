"""The composer's instruments, synthesised from scratch.

Every sample is made at RATE (four times the tracker's C-4 rate of 8363 Hz), starts
from silence with a short fade-in, and either loops over a whole number of
cycles (reed, bass) or fades to exact silence at its end (plucked string, drums).
The relative note and finetune make C-4 in the module sound middle C.
"""

import math

from xm_writer import Instrument, Sample

RATE = 8363 * 4
MIDDLE_C = 261.6255653


class Noise:
    """Deterministic white noise in -1..1."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return (self.state >> 8) / float(1 << 23) - 1.0


def tuning(freq):
    """(relative note, finetune) making a sample of pitch `freq` at RATE sound middle C at C-4."""
    t = 12 * math.log2(MIDDLE_C * RATE / (freq * 8363.0))
    rel = int(round(t))
    fine = int(round((t - rel) * 128))
    fine = max(-128, min(127, fine))
    return rel, fine


def to_pcm(values, peak=0.9):
    """Scales to `peak` of full scale and rounds to 16-bit."""
    m = max(1e-9, max(abs(v) for v in values))
    g = peak * 32767 / m
    return [int(round(v * g)) for v in values]


def fade(values, fade_in, fade_out):
    n = len(values)
    for i in range(min(fade_in, n)):
        values[i] *= i / fade_in
    for i in range(min(fade_out, n)):
        values[n - 1 - i] *= i / fade_out
    return values


def pluck():
    """A balalaika-like plucked string (Karplus-Strong) with a small wooden body."""
    # The loop below reads one sample ahead, so the string's period is N - 0.5.
    n_delay = int(round(RATE / MIDDLE_C + 0.5))
    freq = RATE / (n_delay - 0.5)
    noise = Noise(777)
    exc = [noise.next() for _ in range(n_delay)]
    # Brighten a little, then pluck near the bridge: subtract a delayed copy.
    lp = 0.0
    for i in range(n_delay):
        lp = 0.6 * lp + 0.4 * exc[i]
        exc[i] = 0.5 * exc[i] + 0.5 * lp
    pos = int(n_delay * 0.16)
    exc = [exc[i] - (exc[i - pos] if i >= pos else 0.0) for i in range(n_delay)]
    mean = sum(exc) / n_delay
    exc = [e - mean for e in exc]
    length = int(RATE * 1.5)
    buf = exc[:]
    out = []
    rho = 0.9955
    idx = 0
    for i in range(length):
        cur = buf[idx]
        nxt = buf[(idx + 1) % n_delay]
        buf[idx] = rho * 0.5 * (cur + nxt)
        idx = (idx + 1) % n_delay
        out.append(cur)
    # Body: two gentle resonances added to the string.
    def resonator(sig, f, q, gain):
        w = 2 * math.pi * f / RATE
        r = math.exp(-w / (2 * q))
        a1, a2 = 2 * r * math.cos(w), -r * r
        y1 = y2 = 0.0
        res = []
        for x in sig:
            y = x * (1 - r) + a1 * y1 + a2 * y2
            y2, y1 = y1, y
            res.append(y * gain)
        return res
    body1 = resonator(out, 420.0, 6.0, 0.9)
    body2 = resonator(out, 1350.0, 8.0, 0.6)
    mixed = [out[i] + body1[i] + body2[i] for i in range(length)]
    # Remove any DC drift.
    hp_prev_x = hp_y = 0.0
    for i in range(length):
        x = mixed[i]
        hp_y = 0.995 * (hp_y + x - hp_prev_x)
        hp_prev_x = x
        mixed[i] = hp_y
    # Soften the top end a little (a gut-and-wood tone, not a wire buzz), then
    # compress gently so the ringing tail stands closer to the attack.
    lp = 0.0
    a = 1.0 - math.exp(-2 * math.pi * 3200.0 / RATE)
    for i in range(length):
        lp += a * (mixed[i] - lp)
        mixed[i] = lp
    top = max(abs(v) for v in mixed)
    mixed = [math.tanh(2.0 * v / top) for v in mixed]
    fade(mixed, 40, int(RATE * 0.25))
    rel, fine = tuning(freq)
    return Sample('pluck', to_pcm(mixed), volume=64, relative_note=rel, finetune=fine,
                  panning=150)


def reed():
    """An accordion voice: two reeds a few cents apart beating gently.

    Both reeds fit a whole number of cycles into the loop (128 and 129 cycles of
    16384 samples), so the loop joins without a seam.
    """
    loop = 16384
    c1, c2 = 128, 129
    f1 = c1 * RATE / loop
    f2 = c2 * RATE / loop
    harmonics = []
    for n in range(1, 25):
        fr = n * f1
        a = 1.0 / (n ** 1.05)
        a *= 1.0 + 0.8 * math.exp(-((fr - 1400.0) / 700.0) ** 2)  # reedy formant
        a *= 0.5 * (1 + math.cos(math.pi * min(1.0, fr / 7000.0)))  # roll off the top
        harmonics.append((n, a))
    attack = 1024
    total = attack + loop
    table = []
    for i in range(total):
        v = 0.0
        p1 = 2 * math.pi * c1 * i / loop
        p2 = 2 * math.pi * c2 * i / loop
        for n, a in harmonics:
            v += a * (math.sin(n * p1) + 0.45 * math.sin(n * p2 + 0.3 * n))
        table.append(v)
    # Fade-in over the attack only; the loop (attack..total) is left periodic.
    for i in range(attack):
        table[i] *= i / attack
    rel, fine = tuning(math.sqrt(f1 * f2))
    return Sample('reed', to_pcm(table, 0.85), loop_start=attack, loop_length=loop, volume=64,
                  relative_note=rel, finetune=fine, panning=104)


def bass():
    """A round bass: sine with a little second and third harmonic, one-cycle loop."""
    period = 256
    freq = RATE / period
    cycles_attack = 4
    total = period * (cycles_attack + 1)
    vals = []
    for i in range(total):
        p = 2 * math.pi * i / period
        vals.append(math.sin(p) + 0.28 * math.sin(2 * p) + 0.1 * math.sin(3 * p))
    for i in range(period):
        vals[i] *= i / period
    rel, fine = tuning(freq)
    return Sample('bass', to_pcm(vals, 0.9), loop_start=period * cycles_attack,
                  loop_length=period, volume=64, relative_note=rel, finetune=fine, panning=128)


def kick():
    length = int(RATE * 0.32)
    vals = []
    phase = 0.0
    for i in range(length):
        t = i / RATE
        f = 46.0 + 110.0 * math.exp(-t * 28.0)
        phase += 2 * math.pi * f / RATE
        vals.append(math.sin(phase) * math.exp(-t * 9.0))
    fade(vals, int(RATE * 0.001), int(RATE * 0.03))
    return Sample('kick', to_pcm(vals), relative_note=24, panning=128)


def snare():
    length = int(RATE * 0.24)
    noise = Noise(4242)
    vals = []
    lp = hp_prev = 0.0
    for i in range(length):
        t = i / RATE
        body = (math.sin(2 * math.pi * 185 * t) + 0.5 * math.sin(2 * math.pi * 330 * t)) * \
            math.exp(-t * 30.0)
        x = noise.next()
        lp = 0.55 * lp + 0.45 * x
        hp = lp - hp_prev
        hp_prev = lp
        vals.append(0.55 * body + 0.9 * hp * math.exp(-t * 17.0))
    fade(vals, int(RATE * 0.001), int(RATE * 0.03))
    return Sample('snare', to_pcm(vals), relative_note=24, panning=140)


def hat():
    length = int(RATE * 0.09)
    noise = Noise(99)
    vals = []
    x1 = x2 = 0.0
    for i in range(length):
        t = i / RATE
        x = noise.next()
        hp = x - 2 * x1 + x2
        x2, x1 = x1, x
        vals.append(hp * math.exp(-t * 48.0))
    fade(vals, int(RATE * 0.001), int(RATE * 0.015))
    return Sample('hat', to_pcm(vals, 0.8), relative_note=24, panning=172)


def brush():
    length = int(RATE * 0.30)
    noise = Noise(31337)
    vals = []
    lp1 = lp2 = prev = smooth = 0.0
    for i in range(length):
        t = i / RATE
        x = noise.next()
        lp1 = 0.5 * lp1 + 0.5 * x
        lp2 = 0.5 * lp2 + 0.5 * lp1
        hp = lp2 - prev
        prev = lp2
        smooth = 0.6 * smooth + 0.4 * hp  # a soft swish, no sharp grains
        env = min(1.0, t / 0.025) * math.exp(-max(0.0, t - 0.025) * 11.0)
        vals.append(smooth * env)
    fade(vals, int(RATE * 0.002), int(RATE * 0.03))
    return Sample('brush', to_pcm(vals, 0.8), relative_note=24, panning=96)


# Volume envelopes (ticks, level): sustained until key-off, then a release of a
# few ticks so no note is ever cut off sharply.
ENV_PLUCK = ([(0, 64), (2, 64), (5, 0)], 1)
ENV_REED = ([(0, 0), (2, 64), (5, 56), (8, 0)], 2)
ENV_BASS = ([(0, 0), (1, 64), (8, 46), (24, 38), (27, 0)], 3)
ENV_DRUM = ([(0, 64), (2, 64), (5, 0)], 1)

# Instrument numbers in the module (1-based) by name.
ORDER = ['pluck', 'reed', 'bass', 'kick', 'snare', 'hat', 'brush']


def build_all():
    made = {
        'pluck': Instrument('Balalaika', pluck(), *ENV_PLUCK),
        'reed': Instrument('Accordion', reed(), *ENV_REED, vibrato=(0, 40, 3, 14)),
        'bass': Instrument('Bass', bass(), *ENV_BASS),
        'kick': Instrument('Kick', kick(), *ENV_DRUM),
        'snare': Instrument('Snare', snare(), *ENV_DRUM),
        'hat': Instrument('Hat', hat(), *ENV_DRUM),
        'brush': Instrument('Brush', brush(), *ENV_DRUM),
    }
    return [made[name] for name in ORDER]


def check_sample(s):
    """Returns a list of problems: clicks at the start, the end or the loop seam."""
    problems = []
    d = s.data
    steps = [abs(d[i + 1] - d[i]) for i in range(len(d) - 1)]
    if abs(d[0]) > 64:
        problems.append('%s starts at %d' % (s.name, d[0]))
    if s.loop_length:
        a, b = s.loop_start, s.loop_start + s.loop_length
        seam = abs(d[a] - d[b - 1])
        typical = max(steps[a:b - 1])
        if seam > typical * 1.05 + 16:
            problems.append('%s loop seam jump %d > %d' % (s.name, seam, typical))
        if b != len(d):
            problems.append('%s has data after its loop' % s.name)
    elif abs(d[-1]) > 64:
        problems.append('%s ends at %d' % (s.name, d[-1]))
    return problems
