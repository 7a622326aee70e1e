"""Writes FastTracker II extended modules (XM 1.04).

A module is a list of patterns (rows of cells across the channels), an order
list, and instruments of one sample each with a volume envelope. Samples are
stored delta-coded as 16-bit data.
"""

import struct

KEY_OFF = 97  # the note value of a key-off


class Cell:
    __slots__ = ('note', 'instrument', 'volume', 'effect', 'param')

    def __init__(self, note=0, instrument=0, volume=0, effect=0, param=0):
        self.note = note
        self.instrument = instrument
        self.volume = volume          # volume column byte (0x10..0x50 sets 0..64)
        self.effect = effect
        self.param = param

    def empty(self):
        return not (self.note or self.instrument or self.volume or self.effect or self.param)


class Sample:
    def __init__(self, name, data, loop_start=0, loop_length=0, volume=64, finetune=0,
                 relative_note=0, panning=128):
        self.name = name
        self.data = data                 # list of ints -32768..32767
        self.loop_start = loop_start     # in samples
        self.loop_length = loop_length   # in samples; 0 = no loop
        self.volume = volume
        self.finetune = finetune         # -128..127, 1/128 semitone
        self.relative_note = relative_note
        self.panning = panning


class Instrument:
    def __init__(self, name, sample, envelope=None, sustain=None, fadeout=0,
                 vibrato=(0, 0, 0, 0)):
        self.name = name
        self.sample = sample
        self.envelope = envelope or []   # [(tick, 0..64)], at most 12 points
        self.sustain = sustain           # index of the sustain point, or None
        self.fadeout = fadeout
        self.vibrato = vibrato           # (type, sweep, depth, rate)


def _text(s, n):
    b = s.encode('ascii', 'replace')[:n]
    return b + b'\0' * (n - len(b))


def _pack_pattern(rows):
    out = bytearray()
    for row in rows:
        for c in row:
            if c is None or c.empty():
                out.append(0x80)
                continue
            flags = 0x80
            body = bytearray()
            if c.note:
                flags |= 1
                body.append(c.note)
            if c.instrument:
                flags |= 2
                body.append(c.instrument)
            if c.volume:
                flags |= 4
                body.append(c.volume)
            if c.effect or c.param:
                flags |= 8 | 16
                body.append(c.effect)
                body.append(c.param)
            out.append(flags)
            out += body
    return bytes(out)


def _instrument_bytes(inst):
    s = inst.sample
    env = inst.envelope[:12]
    env_bytes = b''.join(struct.pack('<HH', x, y) for x, y in env)
    env_bytes += b'\0' * (48 - len(env_bytes))
    vol_type = 0
    if env:
        vol_type |= 1
        if inst.sustain is not None:
            vol_type |= 2
    header = bytearray()
    header += struct.pack('<I', 263)
    header += _text(inst.name, 22)
    header += struct.pack('<BH', 0, 1)
    header += struct.pack('<I', 40)
    header += bytes(96)                      # every note plays sample 0
    header += env_bytes
    header += bytes(48)                      # no panning envelope
    header += struct.pack('<BBBBBBBB', len(env), 0, inst.sustain or 0, 0, 0, 0, 0, 0)
    header += struct.pack('<BB', vol_type, 0)
    header += struct.pack('<BBBB', *inst.vibrato)
    header += struct.pack('<H', inst.fadeout)
    header += bytes(22)
    assert len(header) == 263

    loop_type = 1 if s.loop_length > 0 else 0
    sample_type = loop_type | 0x10           # 16-bit
    header += struct.pack('<IIIBbBBbB', len(s.data) * 2, s.loop_start * 2, s.loop_length * 2,
                          s.volume, s.finetune, sample_type, s.panning, s.relative_note, 0)
    header += _text(s.name, 22)

    prev = 0
    data = bytearray()
    for v in s.data:
        d = (v - prev) & 0xFFFF
        data += struct.pack('<H', d)
        prev = v
    return bytes(header) + bytes(data)


def write_xm(path, title, channels, speed, bpm, patterns, order, restart, instruments):
    """patterns: list of row lists; each row a list of `channels` cells (or None)."""
    out = bytearray()
    out += b'Extended Module: '
    out += _text(title, 20)
    out += b'\x1a'
    out += _text('klevaria compose', 20)
    out += struct.pack('<H', 0x0104)
    out += struct.pack('<I', 276)
    out += struct.pack('<HHHHHHHH', len(order), restart, channels, len(patterns),
                       len(instruments), 1, speed, bpm)
    order_table = bytes(order) + bytes(256 - len(order))
    out += order_table
    for rows in patterns:
        packed = _pack_pattern(rows)
        out += struct.pack('<IBHH', 9, 0, len(rows), len(packed))
        out += packed
    for inst in instruments:
        out += _instrument_bytes(inst)
    with open(path, 'wb') as f:
        f.write(out)
