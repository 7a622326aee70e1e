#!/usr/bin/env python3
"""Writes a C++ source that carries the window icon (a PNG file) as bytes.

    embed_icon.py OUT.cpp ICON.png
"""

import sys


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: embed_icon.py OUT.cpp ICON.png\n")
        return 2
    with open(argv[2], "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.stderr.write("embed_icon.py: %s is not a PNG file\n" % argv[2])
        return 1
    lines = ["// Generated at build time from the game's icon; do not edit.",
             '#include "platform/window_icon.h"', "", "namespace klv {", "namespace {", "",
             "// %d bytes" % len(data), "const uint8_t kIconPng[] = {"]
    for start in range(0, len(data), 24):
        lines.append("  " + ",".join(str(b) for b in data[start:start + 24]) + ",")
    lines += ["};", "", "}  // namespace", "",
              "std::span<const uint8_t> WindowIconPng() { return kIconPng; }", "",
              "}  // namespace klv", ""]
    with open(argv[1], "w") as f:
        f.write("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
