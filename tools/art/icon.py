#!/usr/bin/env python3
"""The desktop icon: a perch on the hook under the lake's surface.

Usage: icon.py OUT.svg

Writes the scalable icon; the build renders it in every size the desktop asks
for, and the program carries one of them as its window icon.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import common  # noqa: E402
from common import svg_doc  # noqa: E402
import fish  # noqa: E402


def icon_svg():
    sp = fish.SPECIES[3]
    fw, fh = 128, 72
    d, g = fish.fish_group(3, 0.0, "ic", fw, fh)
    nose_x, cy = fw - 2.5 * fw / sp["w"], fh * 0.5
    defs = (common.lin_grad("isky", [(0, "#BFE6FF"), (1, "#F4FBFF")], 0, 0, 0, 1) +
            common.lin_grad("iwat", [(0, "#5EC4E8"), (1, "#0E4A73")], 0, 0, 0, 1) + d +
            '<clipPath id="icl"><rect x="8" y="8" width="240" height="240" rx="48"/></clipPath>')
    hook = "M128,8 L128,58 Q128,72 118,70 Q111,68 113,60"
    body = ('<g clip-path="url(#icl)"><rect x="0" y="0" width="256" height="256" fill="url(#iwat)"/>'
            '<rect x="0" y="0" width="256" height="44" fill="url(#isky)"/>'
            '<path d="M0,44 Q32,36 64,44 T128,44 T192,44 T256,44 L256,56 L0,56 Z" fill="#8EE0F6"/>'
            '<path d="M0,44 Q32,36 64,44 T128,44 T192,44 T256,44" stroke="#FFFFFF" stroke-width="4" fill="none"/>'
            '<path d="M30,256 Q44,200 28,160 M54,256 Q70,196 52,150 M226,256 Q214,210 232,180" stroke="#3E8E41" '
            'stroke-width="10" fill="none" stroke-linecap="round"/>'
            '<circle cx="200" cy="150" r="8" fill="none" stroke="#FFFFFF" stroke-width="3"/>'
            '<circle cx="212" cy="118" r="5" fill="none" stroke="#FFFFFF" stroke-width="2.5"/>'
            '<circle cx="190" cy="96" r="3.5" fill="none" stroke="#FFFFFF" stroke-width="2"/></g>'
            f'<g transform="translate(119,68) rotate(-76) translate({common.f(-nose_x)},{common.f(-cy)})">{g}</g>'
            f'<path d="{hook}" stroke="#1F2A3A" stroke-width="7" fill="none" stroke-linecap="round"/>'
            f'<path d="{hook}" stroke="#D9E2EA" stroke-width="3" fill="none" stroke-linecap="round"/>'
            '<rect x="8" y="8" width="240" height="240" rx="48" fill="none" stroke="#1F2A3A" stroke-width="6"/>')
    return svg_doc(256, 256, body, defs)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: icon.py OUT.svg\n")
        return 2
    data = icon_svg()
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(argv[1], "wb") as fh:
        fh.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
