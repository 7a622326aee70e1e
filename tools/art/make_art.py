#!/usr/bin/env python3
"""Builds every picture of the game from the SVG generators here.

Usage: make_art.py OUT_DIR [--rsvg rsvg-convert]
       make_art.py --fonts-only

Every font the pictures name must be installed, or nothing is drawn and the
build stops (--fonts-only checks that alone).

Writes OUT_DIR/svg/*.svg, renders them to OUT_DIR/png/*.png with rsvg-convert,
turns the lit buttons and the check box into colour-keyed 8-bit pictures, and
writes the two manifests OUT_DIR/MenuImgs.txt and OUT_DIR/GameImgs.txt that
icf-pack reads. The same sources always give the same bytes.

Kinds: the four backgrounds are JPEG; the opaque panels and help pages are
8-bit DIBs (icf-pack reduces them to 256 colours; they load several times
faster than 24-bit ones); the question frame is a colour-keyed 24-bit DIB and
the table sheet a keyed 32-bit DIB; buttons and the check box are keyed 8-bit
DIBs made here; everything that moves over the scene is PNG with alpha.
"""

import argparse
import concurrent.futures
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import common  # noqa: E402
from common import svg_doc, sheet  # noqa: E402
import fish  # noqa: E402
import help_pages  # noqa: E402
import pngio  # noqa: E402
import scenes  # noqa: E402
import sprites  # noqa: E402
import ui  # noqa: E402

KEY = 0xFF00FF  # magenta, as 0xBBGGRR


class Build:
    def __init__(self, out, rsvg):
        self.out = out
        self.rsvg = rsvg
        self.svg_dir = os.path.join(out, "svg")
        self.png_dir = os.path.join(out, "png")
        os.makedirs(self.svg_dir, exist_ok=True)
        os.makedirs(self.png_dir, exist_ok=True)
        self.jobs = []  # (svg path, png path)

    def svg(self, name, doc):
        path = os.path.join(self.svg_dir, name + ".svg")
        data = doc.encode("utf-8")
        old = None
        if os.path.exists(path):
            with open(path, "rb") as fh:
                old = fh.read()
        if old != data:
            with open(path, "wb") as fh:
                fh.write(data)
        png = os.path.join(self.png_dir, name + ".png")
        self.jobs.append((path, png))
        return png

    def render_all(self):
        def run(job):
            svg, png = job
            if os.path.exists(png) and os.path.getmtime(png) >= os.path.getmtime(svg):
                return
            subprocess.run([self.rsvg, "-o", png, svg], check=True)

        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as ex:
            list(ex.map(run, self.jobs))
        self.jobs = []


def crop_doc(body, defs, x, y, w, h):
    return svg_doc(w, h, body, defs, view=f"{x} {y} {w} {h}")


def keyed_from(composite_png, overlay_png, out_png):
    """Opaque pixels from the composite, colour key where the overlay is empty."""
    w, h, rows = pngio.read_png(composite_png)
    w2, h2, orows = pngio.read_png(overlay_png)
    assert (w, h) == (w2, h2)
    mask = [[orow[4 * x + 3] == 0 for x in range(w)] for orow in orows]
    pngio.write_keyed_8bit(out_png, w, h, rows, mask)


def check_fonts():
    """rsvg-convert quietly draws with another font when one is missing, and
    the pictures would come out different: every family the art names must be
    installed (fontconfig must find that very family, not a stand-in)."""
    missing = []
    for family in (common.FONT_ROUND, common.FONT_SANS, common.FONT_MONO):
        try:
            found = subprocess.run(["fc-list", f"{family}:", "family"], check=True,
                                   capture_output=True, text=True).stdout
        except (OSError, subprocess.CalledProcessError) as e:
            sys.exit(f"make_art: cannot ask fontconfig about the fonts: {e}")
        names = {n.strip() for line in found.splitlines() for n in line.split(",")}
        if family not in names:
            missing.append(family)
    if missing:
        sys.exit("make_art: font not installed: " + ", ".join(missing) +
                 " (fonts-comfortaa, fonts-liberation2; scripts/install-deps)")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out", nargs="?")
    ap.add_argument("--rsvg", default="rsvg-convert")
    ap.add_argument("--fonts-only", action="store_true",
                    help="check that every font the pictures name is installed, draw nothing")
    args = ap.parse_args()
    if args.out is None and not args.fonts_only:
        ap.error("OUT_DIR is missing")
    check_fonts()
    if args.fonts_only:
        return
    b = Build(args.out, args.rsvg)
    game, menu = [], []  # manifest lines

    def item(lst, name, png, kind, pw=0, ph=0, tr="none"):
        rel = os.path.relpath(png, args.out)
        lst.append(f"{name} {rel} {kind} {pw} {ph} 0 0 {tr}")

    # ------------------------------------------------------------ game pictures
    png = b.svg("Player", sprites.player())
    item(game, "Player", png, "TPNGImage", tr="alpha")
    doc, (w, h, n) = sprites.udochka()
    item(game, "Udochka", b.svg("Udochka", doc), "TPNGImage", w, h, tr="alpha")
    item(game, "Poplavok", b.svg("Poplavok", sprites.poplavok()), "TPNGImage", tr="alpha")
    item(game, "Leska", b.svg("Leska", sprites.leska()), "TPNGImage", tr="alpha")
    item(game, "Kruk", b.svg("Kruk", sprites.kruk()), "TPNGImage", tr="alpha")
    item(game, "Volna", b.svg("Volna", sprites.volna()), "TPNGImage", tr="alpha")
    for name, (doc, (w, h, n)) in (("Vodorosl1", sprites.weed_sheet(True)), ("Vodorosl2", sprites.leafy_sheet())):
        item(game, name, b.svg(name, doc), "TPNGImage", w, h, tr="alpha")
    item(game, "Puzir", b.svg("Puzir", sprites.puzir()), "TPNGImage", tr="alpha")
    item(game, "Puziri", b.svg("Puziri", sprites.puziri()), "TPNGImage", tr="alpha")
    item(game, "Time1", b.svg("Time1", sprites.time1()), "TPNGImage", tr="alpha")
    doc, (w, h, n) = sprites.time2()
    item(game, "Time2", b.svg("Time2", doc), "TPNGImage", w, h, tr="alpha")
    for k in range(1, 6):
        doc, (w, h, n) = sprites.object_sheet(k)
        item(game, f"Obj{k}", b.svg(f"Obj{k}", doc), "TPNGImage", w, h, tr="alpha")

    fish_items = []
    for k in range(1, 11):
        sp = fish.SPECIES[k]
        for letter, right in (("L", True), ("R", False)):
            d, frames = fish.fish_frames(k, right, f"f{k}{letter}")
            name = f"Fish{k}{letter}"
            fish_items.append((name, b.svg(name, sheet(sp["w"], sp["h"], frames, d)), sp["w"], sp["h"]))
    for name, png, w, h in fish_items[:4]:
        item(game, name, png, "TPNGImage", w, h, tr="alpha")
    assert len(game) == 21, len(game)
    for k in range(1, 11):
        bw, bh = sprites.ICON_BOX[k]
        sp = fish.SPECIES[k]
        sc = min(bw / sp["w"], bh / sp["h"])
        w, h = round(sp["w"] * sc), round(sp["h"] * sc)
        d, g = fish.fish_group(k, 0.0, f"i{k}", w, h)
        item(game, f"Target{k}", b.svg(f"Target{k}", svg_doc(w, h, g, d)), "TPNGImage", tr="alpha")
    for name, png, w, h in fish_items[4:]:
        item(game, name, png, "TPNGImage", w, h, tr="alpha")

    # ------------------------------------------------------------ menu pictures
    unlit = "".join(ui.button(x, y, ui.MENU_W, ui.MENU_H, label, False, 20) for _n, x, y, label in ui.MENU_BUTTONS)
    mdefs, mbody = scenes.menu_backdrop(unlit)
    mdefs += ui.UI_DEFS
    menu_png = b.svg("Scene0", svg_doc(800, 600, mbody, mdefs))
    item(menu, "Menu", menu_png, "TJPEGImage")
    for v in (1, 2, 3):
        d, body = scenes.play_scene(v)
        item(menu, f"Scene{v}", b.svg(f"Scene{v}", svg_doc(800, 600, body, d)), "TJPEGImage")

    keyed = []  # (composite png, overlay png, out png)

    def lit_button(name, under_body, under_defs, x, y, w, h, overlay):
        comp = b.svg(f"{name}_comp", crop_doc(under_body + overlay, under_defs + ui.UI_DEFS, x, y, w, h))
        over = b.svg(f"{name}_over", crop_doc(overlay, ui.UI_DEFS, x, y, w, h))
        out = os.path.join(b.png_dir, f"{name}.png")
        keyed.append((comp, over, out))
        return out

    for name, x, y, label in ui.MENU_BUTTONS:
        out = lit_button(name, mbody, mdefs, x, y, ui.MENU_W, ui.MENU_H,
                         ui.button(x, y, ui.MENU_W, ui.MENU_H, label, True, 20))
        item(menu, name, out, "TDIB8", tr=f"0x{KEY:06X}")

    def panel_over_menu(px, py, panel_svg):
        return mbody + f'<g transform="translate({px},{py})">{panel_svg}</g>'

    opt_body = panel_over_menu(33, 128, ui.fon_opt())
    hscr_body = panel_over_menu(33, 129, ui.fon_hscr())
    help_body = panel_over_menu(32, 128, ui.fon_help())

    item(menu, "FonOpt", b.svg("FonOpt", crop_doc(opt_body, mdefs, 33, 128, ui.PANEL_W - 1, ui.PANEL_H)), "TDIB8")
    for name, x, y, w, h, label in ui.OPT_BUTTONS:
        out = lit_button(name, opt_body, mdefs, x, y, w, h, ui.small_button(x, y, w, h, label, True))
        item(menu, name, out, "TDIB8", tr=f"0x{KEY:06X}")
    out = lit_button("OptBack", opt_body, mdefs, 33, 462, ui.BACK_W, ui.BACK_H, ui.back_button(33, 462, True))
    item(menu, "OptBack", out, "TDIB8", tr=f"0x{KEY:06X}")

    item(menu, "FonHScr", b.svg("FonHScr", crop_doc(hscr_body, mdefs, 33, 129, ui.PANEL_W - 1, ui.PANEL_H - 1)), "TDIB8")
    for name, x, y, w, h, label in ui.HSCR_BUTTONS:
        out = lit_button(name, hscr_body, mdefs, x, y, w, h, ui.small_button(x, y, w, h, label, True))
        item(menu, name, out, "TDIB8", tr=f"0x{KEY:06X}")
    out = lit_button("HScrBack", hscr_body, mdefs, 30, 504, ui.BACK_W, ui.BACK_H, ui.back_button(30, 504, True))
    item(menu, "HScrBack", out, "TDIB8", tr=f"0x{KEY:06X}")

    item(menu, "FonHelp", b.svg("FonHelp", crop_doc(help_body, mdefs, 32, 128, ui.PANEL_W, ui.PANEL_H)), "TDIB8")
    for name, x, y, w, h, label in ui.HELP_BUTTONS:
        out = lit_button(name, help_body, mdefs, x, y, w, h, ui.small_button(x, y, w, h, label, True))
        item(menu, name, out, "TDIB8", tr=f"0x{KEY:06X}")
    for i, page in enumerate(help_pages.PAGES, start=1):
        body = help_body + f'<g transform="translate(34,174)">{page()}</g>'
        item(menu, f"Hlp{i}", b.svg(f"Hlp{i}", crop_doc(body, mdefs, 34, 174, help_pages.PAGE_W, help_pages.PAGE_H)),
             "TDIB8")

    qdoc = svg_doc(ui.QTNS_W, ui.QTNS_H, ui.qtns(), ui.UI_DEFS)
    item(menu, "Qtns", b.svg("Qtns", qdoc), "TDIB24", tr=f"0x{KEY:06X}")
    # The check box sits on the name-entry frame at (176, 178) of it.
    chk_frames = []
    for ticked in (False, True):
        under = f'<g transform="translate(-176,-178)">{ui.qtns()}</g>'
        chk_frames.append((under, ui.chk(ticked)))
    comp = b.svg("Chk_comp", svg_doc(ui.CHK_W * 2, ui.CHK_H, "".join(
        f'<g transform="translate({i * ui.CHK_W},0)"><svg width="{ui.CHK_W}" height="{ui.CHK_H}">{u}{c}</svg></g>'
        for i, (u, c) in enumerate(chk_frames)), ui.UI_DEFS))
    over = b.svg("Chk_over", svg_doc(ui.CHK_W * 2, ui.CHK_H, "".join(
        f'<g transform="translate({i * ui.CHK_W},0)">{c}</g>' for i, (u, c) in enumerate(chk_frames))))
    chk_png = os.path.join(b.png_dir, "Chk.png")
    keyed.append((comp, over, chk_png))
    item(menu, "Chk", chk_png, "TDIB8", ui.CHK_W, ui.CHK_H, tr=f"0x{KEY:06X}")

    item(menu, "Table", b.svg("Table", svg_doc(ui.TABLE_W, ui.TABLE_H, ui.table_sheet(), ui.UI_DEFS)), "TDIB32",
         tr=f"0x{KEY:06X}")
    item(menu, "FonMP", b.svg("FonMP", crop_doc(panel_over_menu(33, 129, ui.fon_plain("Два игрока")), mdefs,
                                                33, 129, ui.PANEL_W - 1, ui.PANEL_H - 1)), "TDIB8")
    item(menu, "FonMP2", b.svg("FonMP2", crop_doc(panel_over_menu(33, 129, ui.fon_plain("Игра по сети")), mdefs,
                                                  33, 129, ui.PANEL_W - 1, ui.PANEL_H - 1)), "TDIB8")

    b.render_all()
    for comp, over, out in keyed:
        if os.path.exists(out) and os.path.getmtime(out) >= max(os.path.getmtime(comp), os.path.getmtime(over)):
            continue
        keyed_from(comp, over, out)

    header = ("# Generated by tools/art/make_art.py: NAME SOURCE KIND PW PH SW SH TRANSPARENCY\n")
    for fname, lines in (("GameImgs.txt", game), ("MenuImgs.txt", menu)):
        data = header + "\n".join(lines) + "\n"
        # Always written: the packing step follows the manifests' time stamps.
        with open(os.path.join(args.out, fname), "w", encoding="utf-8") as fh:
            fh.write(data)


if __name__ == "__main__":
    main()
