#!/usr/bin/env python3
"""Klevaria's composer: turns a readable score into an XM module.

    compose.py SCORE OUT.xm

The score format is described in assets/music/README.md. The composer plays
the melody as written on a plucked string, voices the chord symbols for an
accordion, draws the bass line from the chords through a named figure, and
plays the drum grooves; all instruments are synthesised (instruments.py).
"""

import re
import sys

import instruments
from xm_writer import KEY_OFF, Cell, write_xm

ROWS_PER_BEAT = 4
SPEED = 6  # ticks per row; with 4 rows per beat the XM BPM equals the tempo

# Channels per part: each voice alternates between two channels so that a
# note can release while the next one starts.
GROUPS = ['melody', 'double', 'chord0', 'chord1', 'chord2', 'bass', 'kick', 'snare', 'hat', 'brush']
CHANNELS_PER_GROUP = 2
DRUMS = ['kick', 'snare', 'hat', 'brush']
INSTRUMENT_OF = {'melody': 'pluck', 'double': 'pluck', 'chord0': 'reed', 'chord1': 'reed', 'chord2': 'reed',
                 'bass': 'bass', 'kick': 'kick', 'snare': 'snare', 'hat': 'hat', 'brush': 'brush'}

NOTE_NAMES = {'c': 0, 'd': 2, 'e': 4, 'f': 5, 'g': 7, 'a': 9, 'b': 11}
CHORD_QUALITIES = {
    '': (0, 4, 7), 'm': (0, 3, 7), '7': (0, 4, 7, 10), 'm7': (0, 3, 7, 10),
    'maj7': (0, 4, 7, 11), 'dim': (0, 3, 6), '6': (0, 4, 7, 9), 'sus4': (0, 5, 7),
}


class ScoreError(Exception):
    pass


def fail(line_no, text):
    raise ScoreError('line %d: %s' % (line_no, text))


def parse_duration(text, line_no):
    m = re.fullmatch(r'(1|2|4|8|16)(\.?)', text)
    if not m:
        fail(line_no, 'bad duration %r' % text)
    rows = 4 * ROWS_PER_BEAT // int(m.group(1))
    if m.group(2):
        if rows % 2:
            fail(line_no, 'a dotted %s is not a whole number of rows' % text)
        rows = rows * 3 // 2
    return rows


def parse_pitch(text, line_no):
    m = re.fullmatch(r'([a-g])([#b]?)(\d)', text)
    if not m:
        fail(line_no, 'bad pitch %r' % text)
    pc = NOTE_NAMES[m.group(1)] + {'': 0, '#': 1, 'b': -1}[m.group(2)]
    return 12 * (int(m.group(3)) + 1) + pc


def parse_chord(text, line_no):
    m = re.fullmatch(r'([A-G])([#b]?)(maj7|m7|m|7|dim|6|sus4)?', text)
    if not m:
        fail(line_no, 'bad chord %r' % text)
    root = (NOTE_NAMES[m.group(1).lower()] + {'': 0, '#': 1, 'b': -1}[m.group(2)]) % 12
    return root, CHORD_QUALITIES[m.group(3) or '']


def bars_of(text):
    return [b.split() for b in text.split('|') if b.strip()]


class Score:
    def __init__(self):
        self.title = 'Klevaria'
        self.tempo = 120
        self.meter = 4
        self.form = []
        self.loop = None
        self.levels = {'melody': 48, 'chords': 20, 'bass': 44, 'kick': 48, 'snare': 36,
                       'hat': 18, 'brush': 30}
        self.bass_figures = {}
        self.comp_figures = {}
        self.grooves = {}
        self.sections = {}

    @property
    def bar_rows(self):
        return self.meter * ROWS_PER_BEAT


def parse_figure(score, text, line_no, kind):
    bars = bars_of(text)
    if len(bars) != 1:
        fail(line_no, 'a figure is one bar long')
    steps = []
    total = 0
    rows = None
    for tok in bars[0]:
        what, _, dur = tok.partition(':')
        if dur:
            rows = parse_duration(dur, line_no)
        if rows is None:
            fail(line_no, 'the first step needs a duration')
        if what == '-':
            steps.append((total, rows, None))
        elif kind == 'bass':
            m = re.fullmatch(r"(R|3|5|7|8)([,']*)", what)
            if not m:
                fail(line_no, 'bad bass degree %r' % what)
            shift = 12 * (m.group(2).count("'") - m.group(2).count(','))
            steps.append((total, rows, (m.group(1), shift)))
        else:
            if what != 'c':
                fail(line_no, "a comping figure plays 'c' (the chord) or '-' (rest)")
            steps.append((total, rows, 'c'))
        total += rows
    if total != score.bar_rows:
        fail(line_no, 'figure lasts %d rows, a bar has %d' % (total, score.bar_rows))
    return steps


def parse(path):
    score = Score()
    with open(path, encoding='utf-8') as f:
        lines = f.readlines()
    section = None
    groove = None
    for line_no, raw in enumerate(lines, 1):
        line = re.sub(r'(^|\s)#.*', '', raw).rstrip()  # '#' after a letter is a sharp
        if not line.strip():
            continue
        words = line.split()
        key = words[0]
        if groove is not None:
            if key == 'end':
                groove = None
            elif key in DRUMS:
                steps = ''.join(line.split('|')[1:]).replace(' ', '')
                if len(steps) != score.bar_rows:
                    fail(line_no, '%s needs %d steps, has %d' % (key, score.bar_rows, len(steps)))
                if any(c not in '.xXo' for c in steps):
                    fail(line_no, "drum steps are '.', 'o' (soft), 'x' or 'X' (accent)")
                groove[key] = steps
            else:
                fail(line_no, 'unknown drum %r' % key)
            continue
        if section is not None:
            if key == 'end':
                section = None
            elif key in ('chords', 'melody'):
                section[key] += line.split(None, 1)[1] + ' '
                section[key + '_line'] = line_no
            elif key in ('bass', 'comp'):
                section[key] = words[1]
            elif key == 'double':
                section['double'] = int(words[1])
            elif key == 'drums':
                section['drums'] = words[1]
                if len(words) >= 4 and words[2] == 'fill':
                    section['fill'] = words[3]
            else:
                fail(line_no, 'unknown section line %r' % key)
            continue
        if key == 'title':
            score.title = line.split(None, 1)[1]
        elif key == 'tempo':
            score.tempo = int(words[1])
        elif key == 'meter':
            score.meter = int(words[1])
        elif key == 'form':
            score.form = words[1:]
        elif key == 'loop':
            score.loop = words[1]
        elif key == 'level':
            if words[1] not in score.levels:
                fail(line_no, 'unknown part %r' % words[1])
            score.levels[words[1]] = int(words[2])
        elif key == 'figure':
            kind, name = words[1], words[2]
            text = line.split(None, 3)[3]
            if kind == 'bass':
                score.bass_figures[name] = parse_figure(score, text, line_no, 'bass')
            elif kind == 'comp':
                score.comp_figures[name] = parse_figure(score, text, line_no, 'comp')
            else:
                fail(line_no, 'figures are bass or comp')
        elif key == 'groove':
            groove = {}
            score.grooves[words[1]] = groove
        elif key == 'section':
            section = {'name': words[1], 'chords': '', 'melody': '', 'line': line_no}
            score.sections[words[1]] = section
        else:
            fail(line_no, 'unknown line %r' % key)
    if not score.form:
        fail(len(lines), 'no form')
    for name in score.form:
        if name not in score.sections:
            fail(len(lines), 'form names unknown section %r' % name)
    return score


class Part:
    """Notes of one group on the song's timeline: (row, rows, midi, volume)."""

    def __init__(self):
        self.notes = []


def section_chords(score, sec):
    line_no = sec.get('chords_line', sec['line'])
    bars = bars_of(sec['chords'])
    timeline = []  # per row: (root, intervals, changed_here)
    prev = None
    for bar in bars:
        if score.bar_rows % len(bar):
            fail(line_no, 'a bar of %d chords does not divide evenly' % len(bar))
        step = score.bar_rows // len(bar)
        for tok in bar:
            changed = tok != '.'
            if changed:
                prev = parse_chord(tok, line_no)
            if prev is None:
                fail(line_no, 'a section must start with a chord')
            for i in range(step):
                timeline.append((prev[0], prev[1], changed and i == 0))
    return timeline, len(bars)


def section_melody(score, sec):
    line_no = sec.get('melody_line', sec['line'])
    notes = []
    row = 0
    rows = None
    for bar_index, bar in enumerate(bars_of(sec['melody'])):
        start = row
        for tok in bar:
            tremolo = tok.endswith('~')
            tok = tok.rstrip('~')
            what, _, dur = tok.partition(':')
            if dur:
                rows = parse_duration(dur, line_no)
            if rows is None:
                fail(line_no, 'the first note needs a duration')
            if what != 'r':
                midi = parse_pitch(what, line_no)
                notes.append((row, rows, midi, tremolo))
            row += rows
        if row - start != score.bar_rows:
            fail(line_no, 'section %s melody bar %d lasts %d rows, not %d' %
                 (sec['name'], bar_index + 1, row - start, score.bar_rows))
    return notes, row


def bass_pitch(root, intervals, degree):
    deg, shift = degree
    base = 40 + (root - 40) % 12  # the root between E2 and D#3
    offset = {'R': 0, '3': intervals[1], '5': intervals[2],
              '7': intervals[3] if len(intervals) > 3 else 10, '8': 12}[deg]
    return base + offset + shift


def voicing(intervals, root):
    tones = list(intervals)
    if len(tones) > 3:
        tones = [tones[0], tones[1], tones[3]]  # drop the fifth of a four-note chord
    voiced = sorted(55 + (root + t - 55) % 12 for t in tones)
    return voiced


def arrange(score):
    parts = {g: Part() for g in GROUPS}
    lv = score.levels
    offset = 0
    starts = []
    for name in score.form:
        sec = score.sections[name]
        starts.append(offset)
        chords, nbars = section_chords(score, sec)
        melody, mrows = section_melody(score, sec)
        length = nbars * score.bar_rows
        if mrows and mrows != length:
            fail(sec['line'], 'section %s: melody has %d rows, chords %d' % (name, mrows, length))
        # Melody: off-beat notes a touch softer; tremolo notes as repeated sixteenths.
        for row, rows, midi, tremolo in melody:
            vol = lv['melody'] if row % ROWS_PER_BEAT == 0 else round(lv['melody'] * 0.88)
            doubled = [('melody', midi, vol)]
            if 'double' in sec:
                doubled.append(('double', midi + sec['double'], round(vol * 0.7)))
            for group, pitch, v0 in doubled:
                if tremolo:
                    for k in range(rows):
                        v = v0 if k % 2 == 0 else round(v0 * 0.78)
                        parts[group].notes.append((offset + row + k, 1, pitch, v))
                else:
                    parts[group].notes.append((offset + row, rows, pitch, v0))
        # Bass and comping figures, bar by bar.
        bass_fig = score.bass_figures.get(sec.get('bass'))
        comp_fig = score.comp_figures.get(sec.get('comp'))
        if sec.get('bass') and bass_fig is None:
            fail(sec['line'], 'unknown bass figure %r' % sec['bass'])
        if sec.get('comp') and comp_fig is None:
            fail(sec['line'], 'unknown comp figure %r' % sec['comp'])
        for bar in range(nbars):
            b0 = bar * score.bar_rows
            for start, rows, degree in bass_fig or []:
                if degree is None:
                    continue
                root, intervals, changed = chords[b0 + start]
                if changed and start > 0:
                    degree = ('R', 0)  # a new chord mid-bar: the bass takes its root
                vol = lv['bass'] if start % (2 * ROWS_PER_BEAT) == 0 else round(lv['bass'] * 0.9)
                parts['bass'].notes.append(
                    (offset + b0 + start, rows, bass_pitch(root, intervals, degree), vol))
            for start, rows, what in comp_fig or []:
                if what is None:
                    continue
                # Split a held chord where the harmony changes.
                pieces = []
                s = start
                for r in range(start + 1, start + rows):
                    if chords[b0 + r][2]:
                        pieces.append((s, r - s))
                        s = r
                pieces.append((s, start + rows - s))
                for ps, pr in pieces:
                    root, intervals, _ = chords[b0 + ps]
                    for voice, midi in enumerate(voicing(intervals, root)):
                        parts['chord%d' % voice].notes.append(
                            (offset + b0 + ps, pr, midi, lv['chords']))
            groove_name = sec.get('drums')
            if bar == nbars - 1 and sec.get('fill'):
                groove_name = sec['fill']
            if groove_name:
                groove = score.grooves.get(groove_name)
                if groove is None:
                    fail(sec['line'], 'unknown groove %r' % groove_name)
                for drum, steps in groove.items():
                    for i, c in enumerate(steps):
                        if c == '.':
                            continue
                        vel = {'o': 0.55, 'x': 1.0, 'X': 1.2}[c]
                        nxt = next((j for j in range(i + 1, len(steps)) if steps[j] != '.'),
                                   len(steps))
                        rows = min(nxt - i, 4)
                        parts[drum].notes.append(
                            (offset + b0 + i, rows, 60, min(64, round(lv[drum] * vel))))
        offset += length
    return parts, starts, offset


def place(parts, total_rows, channels_total):
    """Lays the notes into channels; returns per-channel cell lists."""
    grid = [[None] * channels_total for _ in range(total_rows)]
    inst_index = {name: i + 1 for i, name in enumerate(instruments.ORDER)}
    for gi, group in enumerate(GROUPS):
        chans = [gi * CHANNELS_PER_GROUP + k for k in range(CHANNELS_PER_GROUP)]
        per_channel = {c: [] for c in chans}
        busy = {c: -1 for c in chans}
        for row, rows, midi, vol in sorted(parts[group].notes):
            free = [c for c in chans if busy[c] < row]
            if free:
                c = min(free, key=lambda ch: busy[ch])
            else:
                c = min(chans, key=lambda ch: busy[ch])
                if per_channel[c]:
                    r0, _, m0, v0 = per_channel[c][-1]
                    per_channel[c][-1] = (r0, max(1, row - r0), m0, v0)
            per_channel[c].append((row, rows, midi, vol))
            busy[c] = row + rows
        for c, notes in per_channel.items():
            for i, (row, rows, midi, vol) in enumerate(notes):
                grid[row][c] = Cell(note=midi - 11, instrument=inst_index[INSTRUMENT_OF[group]],
                                    volume=0x10 + max(0, min(64, vol)))
                end = row + rows
                next_start = notes[i + 1][0] if i + 1 < len(notes) else None
                if end >= total_rows or next_start == end:
                    # No free row for a key-off: release half a row early.
                    k_row = min(end, total_rows) - 1
                    cell = grid[k_row][c]
                    if cell is None:
                        cell = grid[k_row][c] = Cell()
                    cell.effect, cell.param = 0x14, 3  # Kxx: key off at tick 3
                elif end < total_rows and grid[end][c] is None:
                    grid[end][c] = Cell(note=KEY_OFF)
    return grid


def compose(score_path, out_path):
    score = parse(score_path)
    parts, starts, total = arrange(score)
    channels = len(GROUPS) * CHANNELS_PER_GROUP
    grid = place(parts, total, channels)
    patterns = []
    for i, start in enumerate(starts):
        end = starts[i + 1] if i + 1 < len(starts) else total
        patterns.append(grid[start:end])
    restart = score.form.index(score.loop) if score.loop in score.form else 0
    insts = instruments.build_all()
    problems = []
    for inst in insts:
        problems += instruments.check_sample(inst.sample)
    if problems:
        raise ScoreError('instrument check failed: ' + '; '.join(problems))
    write_xm(out_path, score.title, channels, SPEED, score.tempo, patterns,
             list(range(len(patterns))), restart, insts)
    seconds = total / ROWS_PER_BEAT * 60.0 / score.tempo
    loop_seconds = (total - starts[restart]) / ROWS_PER_BEAT * 60.0 / score.tempo
    print('%s: %d bars, %.1f s, loop of %.1f s, %d channels' %
          (out_path, total // score.bar_rows, seconds, loop_seconds, channels))


def main(argv):
    if len(argv) != 3:
        sys.stderr.write('usage: compose.py SCORE OUT.xm\n')
        return 2
    try:
        compose(argv[1], argv[2])
    except (ScoreError, OSError) as e:
        sys.stderr.write('%s: %s\n' % (argv[1], e))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
