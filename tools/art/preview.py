#!/usr/bin/env python3
"""Draws mock screens from the rendered pictures, for looking at the art.

Usage: preview.py ART_OUT_DIR PREVIEW_DIR
Writes play.png (a scene in play), menu screens and a contact sheet of every
picture with its frames. Nothing here goes into the game data.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fish  # noqa: E402
import pngio  # noqa: E402

def main():
    global ART_DIR
    art, out = sys.argv[1], sys.argv[2]
    ART_DIR = art
    os.makedirs(out, exist_ok=True)
    png = lambda n: os.path.join(art, "png", n + ".png")

    def img(n, x, y, fw=None, fh=None, frame=0, w=None, h=None):
        W, H = pngio.png_size(png(n)) if fw else (None, None)
        if fw:
            cols = W // fw
            fx, fy = (frame % cols) * fw, (frame // cols) * fh
            return (f'<svg x="{x}" y="{y}" width="{fw}" height="{fh}" viewBox="{fx} {fy} {fw} {fh}">'
                    f'<image href="png/{n}.png" width="{W}" height="{H}"/></svg>')
        extra = f' width="{w}" height="{h}" preserveAspectRatio="none"' if w else ""
        return f'<image x="{x}" y="{y}" href="png/{n}.png"{extra}/>'

    def text(x, y, s, size, fill, family="Liberation Sans", weight="normal"):
        return (f'<text x="{x}" y="{y + size * 1.1}" font-family="{family}" font-size="{size * 96 / 72:.1f}" '
                f'font-weight="{weight}" fill="{fill}">{s}</text>')

    X = 300
    body = [img("Scene1", 0, 0)]
    body.append(img("Vodorosl1", 78, 305, 84, 238, 0) + img("Vodorosl1", 590, 312, 84, 238, 3))
    body.append(img("Puzir", 200, 400) + img("Puziri", 640, 330))
    fishes = [(1, "L", 60, 250), (2, "R", 420, 280), (3, "L", 200, 330), (4, "R", 600, 300), (5, "L", 660, 420),
              (6, "L", 90, 400), (7, "R", 380, 380), (8, "L", 560, 500), (9, "R", 100, 470), (10, "L", 430, 440)]
    for k, l, x, y in fishes:
        sp = fish.SPECIES[k]
        body.append(img(f"Fish{k}{l}", x, y, sp["w"], sp["h"], k % 4))
    objs = [(1, 700, 240), (2, 520, 250), (3, 250, 270), (4, 40, 330), (5, 300, 490)]
    import sprites
    for k, x, y in objs:
        w, h = sprites.OBJ_SIZE[k]
        body.append(img(f"Obj{k}", x, y, w, h, 5 if k == 5 else 1))
    hookY = 345
    body.append(img("Leska", X, 223, w=7, h=hookY - 223) + img("Kruk", X, hookY))
    # a hooked fish would be rotated; show a hooked object instead
    w, h = sprites.OBJ_SIZE[3]
    body.append(img("Obj3", X - w // 2 + 3, hookY - 10, w, h, 4))
    body.append(img("Player", X, 80) + img("Udochka", X + 7, 117, 36, 64, 2) + img("Poplavok", X, 171))
    body.append(img("Volna", -40, 183))
    icons = [(1, 99, 5, 112), (2, 169, 3, 180), (3, 235, 10, 240), (4, 282, 8, 296), (5, 346, 10, 354),
             (6, 396, 5, 418), (7, 482, 5, 484), (8, 524, 8, 541), (9, 588, 3, 622), (10, 706, 12, 733)]
    for k, x, y, lx in icons:
        body.append(img(f"Target{k}", x, y))
        body.append(text(lx + 2, 40, str(11 - k), 12, "#287DFF", weight="bold"))
    body.append(img("Time2", 187, 579, 4, 16, 0).replace('width="4"', 'width="300" preserveAspectRatio="none"', 1))
    body.append(img("Time1", 187, 579))
    body.append(text(80, 560, "   7", 20, "#FFFFFF") + text(700, 567, "00001250", 14, "#FFFFFF"))
    body.append(text(325, 300, "Готовсь!", 20, "#00FF00", "Comfortaa"))
    write(out, "play", 800, 600, "".join(body))

    # options screen with a lit button and the question frame
    body = [img("Scene0", 0, 0), img("FonOpt", 33, 128), img("Win", 301, 230), img("On", 301, 278),
            img("Off", 391, 326), img("OptBack", 33, 462),
            '<rect x="287" y="357" width="315" height="53" fill="none" stroke="#FFD200" stroke-width="3"/>',
            text(310, 357, "Привет|", 25, "#287DFF", "Comfortaa", "bold")]
    write(out, "options", 800, 600, "".join(body))
    body = [img("Scene0", 0, 0), img("FonHScr", 33, 129), img("World", 373, 465), img("HScrBack", 30, 504)]
    for r in range(1, 11):
        body.append(text(82, 197 + 23 * r, f"{r:2d}    Рыбак{r}".replace(" ", "&#160;"), 16,
                         "#FF0000" if r == 1 else "#2864E6", "Liberation Mono", "bold"))
        body.append(text(410, 197 + 23 * r, f"{11000 - r * 1000:10d}".replace(" ", "&#160;"), 16,
                         "#FF0000" if r == 1 else "#2864E6", "Liberation Mono", "bold"))
    write(out, "hiscores", 800, 600, "".join(body))
    for p in range(1, 5):
        body = [img("Scene0", 0, 0), img("FonHelp", 32, 128), img(f"Hlp{p}", 34, 174), img("Next", 501, 465)]
        write(out, f"help{p}", 800, 600, "".join(body))
    body = [img("Scene0", 0, 0), img("Start", 261, 226), img("Qtns", 220, 120),
            text(280, 200, "Выйти из игры?", 25, "#000000", "Comfortaa", "bold"),
            text(320, 243, "Да", 25, "#FFD200", "Comfortaa", "bold"), text(385, 243, "/", 25, "#000000", "Comfortaa", "bold"),
            text(420, 243, "Нет", 25, "#000000", "Comfortaa", "bold")]
    write(out, "exit", 800, 600, "".join(body))
    body = [img("Scene2", 0, 0), img("Qtns", 200, 187), img("Chk", 376, 365, 24, 36, 1),
            text(300, 255, "Введите ваше имя", 13, "#000000", weight="bold"),
            text(300, 275, "И нажмите \"Enter\"", 13, "#000000", weight="bold"),
            text(264, 295, "Вася|", 16, "#FFD200", weight="bold"),
            text(270, 325, "Отправить очки на мировую", 12, "#000000", weight="bold"),
            text(300, 345, "таблицу рекордов?", 12, "#000000", weight="bold")]
    write(out, "entername", 800, 600, "".join(body))
    write(out, "scene3", 800, 600, img("Scene3", 0, 0) + img("Vodorosl1", 179, 311, 84, 238, 0) +
          img("Vodorosl2", 321, 420, 64, 128, 2) + img("Volna", -1, 183))


ART_DIR = "."


def write(out, name, w, h, body):
    # rsvg loads pictures only from the SVG's own folder and below.
    svg = os.path.join(ART_DIR, "preview_" + name + ".svg")
    with open(svg, "w", encoding="utf-8") as fh:
        fh.write(f'<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
                 f'width="{w}" height="{h}">{body}</svg>')
    subprocess.run(["rsvg-convert", "-o", os.path.join(out, name + ".png"), svg], check=True)


if __name__ == "__main__":
    main()
