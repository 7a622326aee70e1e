"""Full-screen pictures: the menu backdrop and the three lake scenes."""

import math

from common import (FONT_ROUND, OUTLINE, PLANK, PLANK_DARK, PLANK_JOIN, SAND, SAND_DARK, Rng, f,
                    lin_grad, mix, rad_grad, text)
from fish import fish_group
import sprites

SCENES = {
    0: dict(sky=("#A8DCFF", "#F4FBFF"), far=("#A6D6EE", "#7CC6E6"), shore="#7FB069", hills="#A9CF8A",
            water=("#5EC4E8", "#2E86B8", "#0E4A73"), sand=(SAND, SAND_DARK), church=True, seed=11),
    1: dict(sky=("#BFE6FF", "#F4FBFF"), far=("#A6D6EE", "#7CC6E6"), shore="#7FB069", hills="#A9CF8A",
            water=("#5EC4E8", "#2E86B8", "#0E4A73"), sand=(SAND, SAND_DARK), church=False, seed=21),
    2: dict(sky=("#C6E8F6", "#F6FBF4"), far=("#9ED6D0", "#6CC0BA"), shore="#6FA65A", hills="#98C47C",
            water=("#52C2B8", "#23858F", "#0B4656"), sand=("#D9C48E", "#A99162"), church=True, seed=32),
    3: dict(sky=("#FFC99A", "#FFF3DE"), far=("#E9C3A0", "#B9B7C8"), shore="#6F9A5A", hills="#B3A77F",
            water=("#58B4E0", "#2A6FAE", "#13306A"), sand=("#E6C88A", "#B7905A"), church=False, seed=43),
}

SURFACE_Y = 183
BOTTOM_Y = 550


def defs_for(v, p):
    s = SCENES[v]
    return (lin_grad(f"{p}sky", [(0, s["sky"][0]), (1, s["sky"][1])], 0, 0, 0, 1) +
            lin_grad(f"{p}far", [(0, s["far"][0]), (1, s["far"][1])], 0, 0, 0, 1) +
            lin_grad(f"{p}wat", [(0, s["water"][0]), (0.45, s["water"][1]), (1, s["water"][2])], 0, 0, 0, 1) +
            lin_grad(f"{p}ray", [(0, "#FFFFFF", 0.16), (1, "#FFFFFF", 0)], 0, 0, 0, 1) +
            lin_grad(f"{p}snd", [(0, s["sand"][0]), (1, s["sand"][1])], 0, 0, 0, 1) +
            lin_grad(f"{p}plk", [(0, "#C98F55"), (1, PLANK)], 0, 0, 0, 1) +
            lin_grad(f"{p}bem", [(0, PLANK_DARK), (1, "#6E4622")], 0, 0, 0, 1) +
            lin_grad(f"{p}pst", [(0, "#7A4E26"), (1, "#7A4E26", 0)], 0, 0, 0, 1) +
            lin_grad(f"{p}hud", [(0, "#9A6636"), (0.15, "#8A5A2E"), (1, "#5C3A1A")], 0, 0, 0, 1) +
            rad_grad(f"{p}sun", [(0, "#FFFFFF", 0.95), (0.25, "#FFF6C8", 0.8), (1, "#FFF6C8", 0)], 0.5, 0.5, 0.5))


def sky_and_shore(v, p):
    s = SCENES[v]
    r = Rng(s["seed"])
    out = [f'<rect x="0" y="0" width="800" height="150" fill="url(#{p}sky)"/>']
    # sun in the upper left, soft
    out.append(f'<circle cx="28" cy="24" r="90" fill="url(#{p}sun)"/>')
    # a few calm clouds, kept low in contrast
    for cx, cy, sc in ((210, 78, 1.0), (520, 70, 0.8), (700, 92, 0.7), (380, 100, 0.6)):
        sc *= r.uniform(0.9, 1.1)
        out.append(f'<g transform="translate({f(cx)},{f(cy)}) scale({f(sc)})" opacity="0.8">'
                   '<path d="M-50,10 Q-48,-6 -30,-4 Q-24,-20 -4,-16 Q8,-28 26,-14 Q46,-16 50,2 Q62,4 58,12 Z" '
                   'fill="#FFFFFF"/><path d="M-46,10 L56,10" stroke="#DCEBF5" stroke-width="3"/></g>')
    # far hills and tree line
    hill = "M0,132 " + " ".join(
        f"Q{f(x + 50)},{f(112 + r.uniform(-8, 6))} {f(x + 100)},{f(126 + r.uniform(-6, 4))}" for x in range(0, 800, 100)) + " L800,150 L0,150 Z"
    out.append(f'<path d="{hill}" fill="{s["hills"]}" opacity="0.85"/>')
    trees = []
    x = -6
    while x < 810:
        h = r.uniform(14, 30)
        wdt = r.uniform(8, 14)
        base = 142
        if r.next() % 3 == 0:  # spruce
            trees.append(f'<path d="M{f(x)},{f(base - h - 6)} L{f(x + wdt * 0.7)},{f(base)} L{f(x - wdt * 0.7)},{f(base)} Z" '
                         f'fill="{mix(s["shore"], "#1F3A2A", 0.35)}"/>')
        else:  # birch crown and white trunk
            trees.append(f'<ellipse cx="{f(x)}" cy="{f(base - h * 0.6)}" rx="{f(wdt * 0.75)}" ry="{f(h * 0.55)}" '
                         f'fill="{s["shore"]}"/><ellipse cx="{f(x - 2)}" cy="{f(base - h * 0.75)}" rx="{f(wdt * 0.35)}" '
                         f'ry="{f(h * 0.25)}" fill="{mix(s["shore"], "#FFFFFF", 0.25)}"/>'
                         f'<path d="M{f(x)},{f(base)} L{f(x)},{f(base - h * 0.45)}" stroke="#F4F4EE" stroke-width="1.6"/>')
        x += r.uniform(9, 17)
    out.append("".join(trees))
    if s["church"]:
        cx = 655 if v != 2 else 150
        out.append(f'<g transform="translate({cx},104)">'
                   '<rect x="-9" y="14" width="18" height="24" fill="#C99A66" stroke="#5C3A1A" stroke-width="1"/>'
                   '<rect x="-5" y="6" width="10" height="10" fill="#D7AC7A" stroke="#5C3A1A" stroke-width="1"/>'
                   '<path d="M-6,7 Q-7,-2 0,-7 Q7,-2 6,7 Z" fill="#4E8FD0" stroke="#23436A" stroke-width="1"/>'
                   '<path d="M0,-7 L0,-13 M-2.5,-10.5 L2.5,-10.5" stroke="#C9A227" stroke-width="1.2"/>'
                   '<path d="M-12,16 L0,9 L12,16 Z" fill="#8A5A2E"/></g>')
    # the lake's far surface up to the water line
    out.append(f'<rect x="0" y="140" width="800" height="{SURFACE_Y - 140 + 4}" fill="url(#{p}far)"/>')
    out.append(f'<path d="M0,141 L800,141" stroke="#FFFFFF" stroke-width="1.5" opacity="0.6"/>')
    glints = []
    for i in range(40):
        gx = r.uniform(0, 800)
        gy = r.uniform(146, 180)
        gw = r.uniform(6, 18)
        glints.append(f'M{f(gx)},{f(gy)} L{f(gx + gw)},{f(gy)}')
    out.append(f'<path d="{" ".join(glints)}" stroke="#FFFFFF" stroke-width="1.2" opacity="0.55" stroke-linecap="round"/>')
    if v == 3:  # lily pads in the evening bay
        for lx, ly in ((90, 172), (130, 176), (700, 170), (742, 177)):
            out.append(f'<ellipse cx="{lx}" cy="{ly}" rx="13" ry="3.4" fill="#5E9E44" stroke="{OUTLINE}" stroke-width="1"/>'
                       f'<path d="M{lx},{ly} L{lx + 9},{ly - 2}" stroke="{OUTLINE}" stroke-width="1"/>')
        out.append('<circle cx="132" cy="172" r="3" fill="#FFFFFF" stroke="#E58FB0" stroke-width="1.2"/>')
    return "".join(out)


def pier(p, seed=5, posts=True):
    r = Rng(seed)
    out = []
    deck_top, deck_front, beam_bottom = 144, 156, 168
    if posts:
        for x in range(40, 800, 128):
            out.append(f'<rect x="{x - 7}" y="{beam_bottom - 2}" width="14" height="110" fill="url(#{p}pst)"/>'
                       f'<path d="M{x - 7},{beam_bottom} L{x - 7},{SURFACE_Y + 18} M{x + 7},{beam_bottom} L{x + 7},{SURFACE_Y + 18}" '
                       f'stroke="{OUTLINE}" stroke-width="2" opacity="0.8"/>'
                       f'<rect x="{x - 5}" y="{beam_bottom}" width="4" height="{SURFACE_Y - beam_bottom}" fill="#A4713F"/>')
    # deck top face with plank ends
    out.append(f'<rect x="-2" y="{deck_top}" width="804" height="{deck_front - deck_top}" fill="url(#{p}plk)" '
               f'stroke="{OUTLINE}" stroke-width="2"/>')
    x = 0
    joins = []
    while x < 800:
        x += r.uniform(34, 60)
        joins.append(f"M{f(x)},{deck_top + 1} L{f(x - 3)},{deck_front - 1}")
    out.append(f'<path d="{" ".join(joins)}" stroke="{PLANK_JOIN}" stroke-width="1.4" opacity="0.8"/>')
    out.append(f'<path d="M0,{deck_top + 2.5} L800,{deck_top + 2.5}" stroke="#E2B07A" stroke-width="1.4" opacity="0.8"/>')
    # front beam
    out.append(f'<rect x="-2" y="{deck_front}" width="804" height="{beam_bottom - deck_front}" fill="url(#{p}bem)" '
               f'stroke="{OUTLINE}" stroke-width="2"/>')
    bolts = " ".join(f"M{x},{deck_front + 6} h0.01" for x in range(40, 800, 128))
    out.append(f'<path d="{bolts}" stroke="#3A2A1A" stroke-width="3.4" stroke-linecap="round"/>')
    return "".join(out)


def underwater(v, p):
    s = SCENES[v]
    r = Rng(s["seed"] + 7)
    out = [f'<rect x="0" y="{SURFACE_Y}" width="800" height="{BOTTOM_Y - SURFACE_Y + 2}" fill="url(#{p}wat)"/>']
    # light rays from the upper left
    for i in range(7):
        x0 = 40 + i * 120 + r.uniform(-20, 20)
        w0 = r.uniform(22, 48)
        out.append(f'<path d="M{f(x0)},{SURFACE_Y} L{f(x0 + w0)},{SURFACE_Y} L{f(x0 + w0 + 190)},{BOTTOM_Y} '
                   f'L{f(x0 + 120)},{BOTTOM_Y} Z" fill="url(#{p}ray)"/>')
    # distant reeds and stones, low contrast
    deep = s["water"][2]
    back = []
    for i in range(26):
        x = r.uniform(0, 800)
        h = r.uniform(40, 120)
        back.append(f'M{f(x)},{BOTTOM_Y - 30} Q{f(x + r.uniform(-14, 14))},{f(BOTTOM_Y - 30 - h * 0.6)} '
                    f'{f(x + r.uniform(-10, 10))},{f(BOTTOM_Y - 30 - h)}')
    out.append(f'<path d="{" ".join(back)}" stroke="{mix(deep, s["water"][1], 0.55)}" stroke-width="5" fill="none" '
               f'stroke-linecap="round" opacity="0.55"/>')
    # sand bottom
    top = "M0,522 " + " ".join(f"Q{f(x + 40)},{f(512 + r.uniform(-6, 6))} {f(x + 80)},{f(520 + r.uniform(-5, 5))}"
                               for x in range(0, 800, 80))
    out.append(f'<path d="{top} L800,{BOTTOM_Y + 2} L0,{BOTTOM_Y + 2} Z" fill="url(#{p}snd)"/>'
               f'<path d="{top}" fill="none" stroke="{OUTLINE}" stroke-width="2" stroke-opacity="0.5"/>')
    ripples = []
    for i in range(30):
        x = r.uniform(0, 790)
        y = r.uniform(528, 546)
        ripples.append(f"M{f(x)},{f(y)} q6,-3 12,0")
    out.append(f'<path d="{" ".join(ripples)}" stroke="{s["sand"][1]}" stroke-width="1.4" fill="none" opacity="0.8"/>')
    peb = []
    colours = ["#9C9A92", "#B7AE9E", "#7E8A8C", "#C9B79A", "#8C7A66"]
    for i in range(34 if v != 2 else 20):
        x = r.uniform(5, 795)
        y = r.uniform(524, 547)
        rw = r.uniform(2.5, 6)
        peb.append(f'<ellipse cx="{f(x)}" cy="{f(y)}" rx="{f(rw)}" ry="{f(rw * 0.65)}" fill="{colours[i % 5]}" '
                   f'stroke="{OUTLINE}" stroke-width="1" stroke-opacity="0.7"/>'
                   f'<ellipse cx="{f(x - rw * 0.3)}" cy="{f(y - rw * 0.25)}" rx="{f(rw * 0.35)}" ry="{f(rw * 0.2)}" '
                   f'fill="#FFFFFF" opacity="0.4"/>')
    out.append("".join(peb))
    out.append(props(v, p))
    return "".join(out)


def props(v, p):
    """A few things lying on the bottom, different in each scene."""
    if v == 1:  # a sunken log
        return (f'<g transform="translate(430,520) rotate(-4)">'
                f'<rect x="0" y="-14" width="140" height="20" rx="9" fill="#7A5232" stroke="{OUTLINE}" stroke-width="2"/>'
                f'<ellipse cx="140" cy="-4" rx="6" ry="10" fill="#C9955A" stroke="{OUTLINE}" stroke-width="2"/>'
                f'<ellipse cx="140" cy="-4" rx="2.5" ry="5" fill="none" stroke="#8A5A2E" stroke-width="1"/>'
                f'<path d="M12,-8 L60,-9 M40,-2 L110,-3 M70,-10 L128,-10" stroke="#5C3A1A" stroke-width="1.3"/>'
                f'<path d="M30,-14 q2,-10 8,-14" stroke="#5C3A1A" stroke-width="3" fill="none" stroke-linecap="round"/>'
                f'<ellipse cx="60" cy="-10" rx="30" ry="2.5" fill="#FFFFFF" opacity="0.2"/></g>')
    if v == 2:  # rocks and a sunken rowboat
        rocks = (f'<path d="M20,548 Q24,516 52,510 Q82,508 92,530 L96,548 Z" fill="#8E9A96" stroke="{OUTLINE}" stroke-width="2"/>'
                 f'<path d="M34,520 Q46,512 60,514" stroke="#FFFFFF" stroke-width="2" opacity="0.35" fill="none"/>'
                 f'<path d="M690,548 Q694,526 720,522 Q748,524 752,548 Z" fill="#7F8B88" stroke="{OUTLINE}" stroke-width="2"/>'
                 f'<path d="M735,548 Q740,534 760,532 Q780,536 782,548 Z" fill="#A3ABA6" stroke="{OUTLINE}" stroke-width="2"/>')
        boat = (f'<g transform="translate(420,530) rotate(8)">'
                f'<path d="M-80,-18 L80,-22 Q70,10 20,14 L-50,12 Q-76,4 -80,-18 Z" fill="#6E5238" stroke="{OUTLINE}" stroke-width="2"/>'
                f'<path d="M-76,-8 L76,-12 M-66,2 L66,-2" stroke="#4A3520" stroke-width="1.5"/>'
                f'<path d="M-82,-20 L82,-24" stroke="#4A3520" stroke-width="4" stroke-linecap="round"/>'
                f'<rect x="-20" y="-10" width="22" height="10" fill="#1B3A3A" opacity="0.7"/></g>')
        return rocks + boat
    if v == 3:  # an old anchor with its chain
        chain = "".join(f'<ellipse cx="{300 + i * 9}" cy="{f(540 - 3 * math.sin(i / 2))}" rx="5" ry="3" fill="none" '
                        f'stroke="#5B5F66" stroke-width="2"/>' for i in range(14))
        anchor = (f'<g transform="translate(460,505) rotate(24)">'
                  f'<path d="M0,-40 L0,22 M-18,-26 L18,-26" stroke="{OUTLINE}" stroke-width="8" stroke-linecap="round"/>'
                  f'<path d="M0,-40 L0,22 M-18,-26 L18,-26" stroke="#6F757E" stroke-width="5" stroke-linecap="round"/>'
                  f'<path d="M-26,6 Q-22,28 0,28 Q22,28 26,6" stroke="{OUTLINE}" stroke-width="8" fill="none" stroke-linecap="round"/>'
                  f'<path d="M-26,6 Q-22,28 0,28 Q22,28 26,6" stroke="#6F757E" stroke-width="5" fill="none" stroke-linecap="round"/>'
                  f'<circle cx="0" cy="-46" r="6" fill="none" stroke="{OUTLINE}" stroke-width="6"/>'
                  f'<circle cx="0" cy="-46" r="6" fill="none" stroke="#6F757E" stroke-width="3"/>'
                  f'<circle cx="-6" cy="-10" r="3" fill="#9A5A2A" opacity="0.7"/></g>')
        return chain + anchor
    return ""


def hud_band(p):
    out = [f'<rect x="0" y="{BOTTOM_Y}" width="800" height="50" fill="url(#{p}hud)"/>',
           f'<path d="M0,{BOTTOM_Y + 1} L800,{BOTTOM_Y + 1}" stroke="{OUTLINE}" stroke-width="2"/>',
           f'<path d="M0,{BOTTOM_Y + 3.5} L800,{BOTTOM_Y + 3.5}" stroke="#C98F55" stroke-width="1.2" opacity="0.8"/>']
    joins = " ".join(f"M{x},{BOTTOM_Y + 4} L{x},600" for x in (170, 640))
    out.append(f'<path d="{joins}" stroke="{PLANK_JOIN}" stroke-width="1.5" opacity="0.7"/>')
    grain = " ".join(f"M{x},{y} q30,-2 60,0" for x, y in ((20, 590), (260, 560), (420, 594), (660, 592), (720, 556)))
    out.append(f'<path d="{grain}" stroke="#4A2E14" stroke-width="1" fill="none" opacity="0.5"/>')
    out.append(text(12, 580, "Уровень", 14, fill="#FFE9B8", family=FONT_ROUND, weight="bold"))
    out.append(text(636, 580, "Очки", 14, fill="#FFE9B8", family=FONT_ROUND, weight="bold", anchor="start"))
    # a small clock before the time bar
    out.append(f'<circle cx="172" cy="587" r="9" fill="#FFF4D6" stroke="{OUTLINE}" stroke-width="2"/>'
               f'<path d="M172,587 L172,581 M172,587 L176,589" stroke="{OUTLINE}" stroke-width="1.6" stroke-linecap="round"/>'
               f'<path d="M166,577 l-2,-2 M178,577 l2,-2" stroke="{OUTLINE}" stroke-width="2" stroke-linecap="round"/>')
    out.append(f'<rect x="190" y="582" width="424" height="10" rx="5" fill="#3A2410"/>')
    return "".join(out)


def play_scene(v):
    p = f"s{v}"
    body = sky_and_shore(v, p) + underwater(v, p) + pier(p, seed=v * 13) + hud_band(p)
    return defs_for(v, p), body


# ---------------------------------------------------------------- menu backdrop

MENU_ITEMS = [("Start", 226, "Начать игру"), ("Opt", 272, "Настройки"), ("HScores", 322, "Рекорды"),
              ("Help", 370, "Помощь"), ("Visit", 419, "Другие игры"), ("Exit", 468, "Выход")]
MENU_X, MENU_W, MENU_H = 261, 278, 40


def title(cx, cy, size):
    t = "Клевария"
    return (text(cx + 3, cy + 5, t, size, fill="#1F2A3A", family=FONT_ROUND, weight="bold", anchor="middle",
                 extra='opacity="0.35"') +
            text(cx, cy, t, size, fill="#FFD200", family=FONT_ROUND, weight="bold", anchor="middle",
                 stroke=OUTLINE, stroke_width=7) +
            text(cx, cy, t, size, fill="url(#ttl)", family=FONT_ROUND, weight="bold", anchor="middle"))


def menu_backdrop(buttons_svg):
    p = "m0"
    defs = defs_for(0, p) + lin_grad("ttl", [(0, "#FFF3A0"), (0.5, "#FFD200"), (1, "#F29A00")], 0, 0, 0, 1)
    body = [sky_and_shore(0, p), underwater(0, p), sand_floor(p), pier(p, seed=3)]
    # decorative fish in the water beside the buttons
    deco = [(2, 70, 300, 1.3, True), (6, 90, 400, 1.1, True), (9, 548, 252, 1.05, True), (7, 600, 430, 1.0, False),
            (1, 140, 250, 1.3, True), (5, 660, 350, 1.4, False), (10, 40, 478, 1.0, True)]
    for i, (k, x, y, sc, right) in enumerate(deco):
        d, g = fish_group(k, 0.15 * i, f"md{i}")
        defs += d
        from fish import SPECIES
        w = SPECIES[k]["w"]
        tr = f"translate({x},{y}) scale({f(sc)},{f(sc)})" if right else f"translate({x + w * sc},{y}) scale({f(-sc)},{f(sc)})"
        body.append(f'<g transform="{tr}">{g}</g>')
    # seaweed in the corners
    for x, y, tall, fr in ((8, 310, True, 2), (700, 300, True, 5), (228, 420, False, 1), (556, 424, False, 6)):
        body.append(f'<g transform="translate({x},{y})">{weed_frame(tall, fr)}</g>')
    # the angler on the pier with his rod
    px = 688
    d, g = sprites.player_body("mp")
    defs += d
    body.append(f'<g transform="translate({px},80)">{g}</g>')
    body.append(f'<g transform="translate({px + 7},117)">{rod_frame(0)}</g>')
    body.append(f'<g transform="translate({px},171)">{float_g()}</g>')
    body.append(f'<path d="M{px + 3.5},223 L{px + 3.5},250" stroke="#24323F" stroke-width="1" opacity="0.8"/>')
    body.append(f'<g transform="translate({px},250)">{kruk_g()}</g>')
    body.append(title(400, 104, 88))
    body.append(buttons_svg)
    return defs, "".join(body)


def sand_floor(p):
    """The menu has no score band: the lake bed runs down to the screen's edge."""
    r = Rng(77)
    out = [f'<rect x="0" y="{BOTTOM_Y}" width="800" height="{600 - BOTTOM_Y}" fill="{SAND_DARK}"/>']
    ripples = " ".join(f"M{f(r.uniform(0, 790))},{f(r.uniform(556, 596))} q7,-3 14,0" for _ in range(30))
    out.append(f'<path d="{ripples}" stroke="{SAND_DARK}" stroke-width="1.4" fill="none" opacity="0.8"/>')
    colours = ["#9C9A92", "#B7AE9E", "#7E8A8C", "#C9B79A", "#8C7A66"]
    for i in range(26):
        x, y, rw = r.uniform(5, 795), r.uniform(556, 596), r.uniform(3, 7)
        out.append(f'<ellipse cx="{f(x)}" cy="{f(y)}" rx="{f(rw)}" ry="{f(rw * 0.65)}" fill="{colours[i % 5]}" '
                   f'stroke="{OUTLINE}" stroke-width="1" stroke-opacity="0.7"/>'
                   f'<ellipse cx="{f(x - rw * 0.3)}" cy="{f(y - rw * 0.25)}" rx="{f(rw * 0.35)}" ry="{f(rw * 0.2)}" '
                   f'fill="#FFFFFF" opacity="0.4"/>')
    for x, y, a in ((150, 578, -20), (612, 586, 15)):
        out.append(f'<g transform="translate({x},{y}) rotate({a}) scale(0.5)">{sprites.shell("mss" + str(x), 0, False)[1]}</g>'
                   f'<defs>{sprites.shell("mss" + str(x), 0, False)[0]}</defs>')
    return "".join(out)


def weed_frame(tall, i):
    doc, (w, _h, _n) = sprites.weed_sheet(True) if tall else sprites.leafy_sheet()
    # pick the i-th cell out of the sheet's body
    start = doc.index("<g transform=\"translate(" + str(i * w) + ",0)\">")
    end = doc.index("</g></g>", start) + 8
    return doc[start:end].replace('clip-path="url(#cell)"', '').replace(f'translate({i * w},0)', 'translate(0,0)') + \
        ('<defs>' + doc[doc.index("<defs>") + 6:doc.index("</defs>")].replace('<clipPath id="cell">', '<clipPath id="cellx">') + '</defs>')


def rod_frame(i):
    doc, _ = sprites.udochka()
    start = doc.index(f'<g transform="translate({i * sprites.ROD_W},0)">')
    end = doc.index("</g></g>", start) + 8
    return doc[start:end].replace('clip-path="url(#cell)"', '') + '<defs>' + lin_grad("rodg", [(0, "#5C3A1A"), (1, "#C98A4A")], 1, 0, 0, 1) + '</defs>'


def float_g():
    doc = sprites.poplavok()
    return doc[doc.index("<defs>"):doc.rindex("</svg>")]


def kruk_g():
    doc = sprites.kruk()
    return doc[doc.index("<defs>"):doc.rindex("</svg>")]
