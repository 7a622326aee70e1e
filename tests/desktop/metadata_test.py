#!/usr/bin/env python3
"""The desktop entry, the AppStream metadata, the icons and the screenshots
name one another consistently, and the versions agree.

    metadata_test.py --metainfo F --desktop F --icons DIR --sizes "48;64"
                     --version V --changelog F [--screenshots DIR]
"""

import argparse
import configparser
import os
import re
import struct
import sys
import xml.etree.ElementTree as ET

problems = []


def check(ok, message):
    if not ok:
        problems.append(message)


def png_size(path):
    with open(path, "rb") as fh:
        head = fh.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def main():
    ap = argparse.ArgumentParser()
    for name in ("metainfo", "desktop", "icons", "sizes", "version", "changelog"):
        ap.add_argument("--" + name, required=True)
    ap.add_argument("--screenshots")
    args = ap.parse_args()

    root = ET.parse(args.metainfo).getroot()
    app_id = root.findtext("id")
    check(app_id and re.fullmatch(r"[a-z][a-z0-9]*(\.[a-z][a-z0-9_-]*){2,}", app_id),
          f"the id {app_id!r} is not a reverse-DNS name")

    # One id for the desktop entry's file, the icon, the window's class and
    # the metadata's launchable and icon.
    entry = configparser.RawConfigParser(strict=True, interpolation=None)
    entry.optionxform = str
    entry.read(args.desktop, encoding="utf-8")
    group = entry["Desktop Entry"]
    check(os.path.basename(args.desktop) == app_id + ".desktop",
          f"the desktop entry is {os.path.basename(args.desktop)}, not {app_id}.desktop")
    check(group.get("Icon") == app_id, f"Icon={group.get('Icon')}, not {app_id}")
    check(group.get("StartupWMClass") == app_id, f"StartupWMClass={group.get('StartupWMClass')}")
    check(root.findtext("launchable[@type='desktop-id']") == app_id + ".desktop",
          "the launchable is not the desktop entry")
    check(root.findtext("icon[@type='stock']") == app_id, "the metadata's icon is not the id")
    check(root.findtext("provides/binary") == group.get("Exec", "").split()[0],
          "the metadata provides another program than the desktop entry starts")
    # SDL sends no startup notification: promising one leaves a busy cursor.
    check(group.get("StartupNotify", "false") == "false", "StartupNotify is set")
    # Keywords in Russian belong to the Russian translation of the key.
    cyrillic = re.compile("[\u0400-\u04FF]")
    check(not cyrillic.search(group.get("Keywords", "")), "Russian words in Keywords=")
    check(cyrillic.search(group.get("Keywords[ru]", "")), "no Russian Keywords[ru]=")

    # The icon: scalable and every size, each PNG of its size.
    check(os.path.isfile(os.path.join(args.icons, app_id + ".svg")), "no scalable icon")
    for size in args.sizes.split(";"):
        path = os.path.join(args.icons, size, app_id + ".png")
        if not os.path.isfile(path):
            check(False, f"no {size} px icon")
            continue
        check(png_size(path) == (int(size), int(size)), f"{path} is {png_size(path)}")

    # The newest release is this version, released on the day the Debian
    # changelog gives.
    releases = root.findall("releases/release")
    check(releases, "no releases")
    if releases:
        newest = releases[0]
        check(newest.get("version") == args.version,
              f"the newest release is {newest.get('version')}, the build is {args.version}")
        check(newest.find("description") is not None, "the newest release has no notes")
        with open(args.changelog, encoding="utf-8") as fh:
            text = fh.read()
        m = re.match(r"klevaria \(([^)]+)\)", text)
        check(m and m.group(1) == args.version,
              f"debian/changelog says {m.group(1) if m else '?'}, the build {args.version}")
        day = re.search(r"^ -- .*>  \w{3}, (\d{1,2}) (\w{3}) (\d{4})", text, re.M)
        months = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()
        if day:
            date = f"{day.group(3)}-{months.index(day.group(2)) + 1:02d}-{int(day.group(1)):02d}"
            check(newest.get("date") == date,
                  f"the release date {newest.get('date')} is not the changelog's {date}")
        else:
            check(False, "debian/changelog has no dated entry")

    # Every screenshot the metadata shows was made by the build, full size.
    shots = root.findall("screenshots/screenshot")
    check(shots, "no screenshots")
    check([s.get("type") for s in shots].count("default") == 1, "not exactly one default screenshot")
    for shot in shots:
        image = shot.find("image")
        url = image.text.strip() if image is not None and image.text else ""
        check(url.startswith("https://"), f"screenshot address {url!r}")
        check(shot.findtext("caption"), f"{url} has no caption")
        if args.screenshots:
            path = os.path.join(args.screenshots, url.rsplit("/", 1)[-1])
            if not os.path.isfile(path):
                check(False, f"the build made no {path}")
                continue
            size = (int(image.get("width", 0)), int(image.get("height", 0)))
            check(png_size(path) == size, f"{path} is {png_size(path)}, the metadata says {size}")

    for p in problems:
        print("metadata:", p)
    if not problems:
        print(f"metadata: {app_id} is consistent ({len(shots)} screenshots)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
