#!/usr/bin/env python3
"""Writes a C++ source that carries files as byte arrays for EmbeddedWaves().

    embed_files.py OUT.cpp NAME=PATH [NAME=PATH ...]
"""

import sys


def main(argv):
    if len(argv) < 3:
        sys.stderr.write('usage: embed_files.py OUT.cpp NAME=PATH...\n')
        return 2
    out_path = argv[1]
    items = []
    for arg in argv[2:]:
        name, _, path = arg.partition('=')
        with open(path, 'rb') as f:
            items.append((name, f.read()))
    lines = ['// Generated at build time from the synthesised effects; do not edit.',
             '#include "app/embedded_waves.h"', '', 'namespace klv {', 'namespace {', '']
    for index, (name, data) in enumerate(items):
        lines.append('// %s: %d bytes' % (name, len(data)))
        lines.append('const uint8_t kWave%d[] = {' % index)
        for start in range(0, len(data), 24):
            chunk = data[start:start + 24]
            lines.append('  ' + ','.join(str(b) for b in chunk) + ',')
        lines.append('};')
        lines.append('')
    lines.append('const EmbeddedWave kWaves[] = {')
    for index, (name, data) in enumerate(items):
        lines.append('  {"%s", kWave%d, sizeof(kWave%d)},' % (name, index, index))
    lines.append('};')
    lines += ['', '}  // namespace', '',
              'std::span<const EmbeddedWave> EmbeddedWaves() { return kWaves; }', '',
              '}  // namespace klv', '']
    with open(out_path, 'w') as f:
        f.write('\n'.join(lines))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
