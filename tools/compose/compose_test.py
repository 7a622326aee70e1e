#!/usr/bin/env python3
"""Checks of the composer: score errors, the XM it writes, its instruments."""

import os
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import compose  # noqa: E402
import instruments  # noqa: E402
from xm_writer import Sample  # noqa: E402

TINY = """
title Tiny
tempo 120
meter 4
form  S S
loop  S
figure bass b | R:2 5,:2 |
figure comp c | c:1 |
groove g
  kick | x . . . . . . . x . . . . . . . |
end
section S
  chords | C | G7 |
  melody | c5:4 e5 g5 c6 | b5:2 f5:4 d5:8 r |
  bass b
  comp c
  drums g
end
"""


def write(text):
    f = tempfile.NamedTemporaryFile('w', suffix='.score', delete=False)
    f.write(text)
    f.close()
    return f.name


class ScoreErrors(unittest.TestCase):
    def test_faults_name_their_line(self):
        cases = [
            ('a bar that does not add up', TINY.replace('c5:4 e5 g5 c6', 'c5:4 e5 g5'), 'line 14'),
            ('an unknown chord', TINY.replace('G7', 'H7'), 'bad chord'),
            ('a bad duration', TINY.replace('b5:2', 'b5:3'), 'bad duration'),
            ('a note without a length', TINY.replace('c5:4', 'c5'), 'needs a duration'),
            ('a figure longer than a bar', TINY.replace('R:2 5,:2', 'R:2 5,:1'), 'figure lasts'),
            ('a groove of the wrong length', TINY.replace('x . . . . . . . x', 'x . x'), 'steps'),
            ('an unknown section in the form', TINY.replace('form  S S', 'form  S X'), "'X'"),
        ]
        for what, text, expected in cases:
            with self.subTest(what):
                path = write(text)
                try:
                    with self.assertRaises(compose.ScoreError) as ctx:
                        compose.arrange(compose.parse(path))
                    self.assertIn(expected, str(ctx.exception))
                finally:
                    os.unlink(path)

    def test_sharps_are_not_comments(self):
        path = write(TINY.replace('f5:4', 'f#5:4'))
        try:
            parts, _, _ = compose.arrange(compose.parse(path))
        finally:
            os.unlink(path)
        self.assertIn(78, [n[2] for n in parts['melody'].notes])


class WrittenModule(unittest.TestCase):
    def test_header_patterns_and_key_offs(self):
        path = write(TINY)
        out = path + '.xm'
        try:
            compose.compose(path, out)
            with open(out, 'rb') as f:
                data = f.read()
        finally:
            os.unlink(path)
            if os.path.exists(out):
                os.unlink(out)
        self.assertEqual(data[:17], b'Extended Module: ')
        (length, restart, channels, patterns, insts, flags, speed,
         bpm) = struct.unpack('<8H', data[64:80])
        self.assertEqual((length, restart, patterns, insts), (2, 0, 2, 7))
        self.assertEqual(channels, len(compose.GROUPS) * compose.CHANNELS_PER_GROUP)
        self.assertEqual((flags, speed, bpm), (1, 6, 120))
        # First pattern: 2 bars of 16 rows; unpack and count notes and key-offs.
        pos = 60 + 276
        header_len, _, rows, size = struct.unpack('<IBHH', data[pos:pos + 9])
        self.assertEqual(rows, 32)
        body = data[pos + header_len:pos + header_len + size]
        notes, offs, i, cells = [], 0, 0, 0
        while i < len(body):
            b = body[i]
            i += 1
            cells += 1
            if b & 0x80:
                fields = [body[i + k] for k in range(bin(b & 0x1f).count('1'))]
                i += len(fields)
                if b & 1:
                    if fields[0] == 97:
                        offs += 1
                    else:
                        notes.append(fields[0])
            else:
                notes.append(b)
                i += 4
        self.assertEqual(cells, rows * channels)
        self.assertIn(60 - 11, notes)  # the C chord's root, voiced at middle C
        self.assertGreater(offs, 0)


class Instruments(unittest.TestCase):
    def test_every_instrument_starts_ends_and_loops_cleanly(self):
        for inst in instruments.build_all():
            with self.subTest(inst.name):
                self.assertEqual(instruments.check_sample(inst.sample), [])
                self.assertLessEqual(len(inst.envelope), 12)
                self.assertIsNotNone(inst.sustain)

    def test_the_check_catches_clicks(self):
        ramp = [i * 100 for i in range(100)]
        cases = [
            ('a loud first sample', Sample('s', [9000] + [0] * 10), 'starts'),
            ('a loud last sample', Sample('e', [0] * 10 + [9000]), 'ends'),
            ('a loop seam', Sample('l', ramp, loop_start=0, loop_length=100), 'seam'),
        ]
        for what, sample, expected in cases:
            with self.subTest(what):
                problems = instruments.check_sample(sample)
                self.assertTrue(any(expected in p for p in problems), problems)

    def test_tuning_makes_c4_sound_middle_c(self):
        self.assertEqual(instruments.tuning(instruments.MIDDLE_C), (24, 0))
        rel, fine = instruments.tuning(instruments.MIDDLE_C * 2)
        self.assertEqual((rel, fine), (12, 0))


if __name__ == '__main__':
    unittest.main()
