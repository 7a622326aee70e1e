"""Buttons, panels, the question frame, the check box and the help pages."""

from common import (BUTTON_LIT, BUTTON_UNLIT, FONT_ROUND, FONT_SANS, OUTLINE, PARCHMENT, PLANK_DARK, f,
                    lin_grad, rad_grad, text)

UI_DEFS = (lin_grad("bu", [(0, "#F7EACB"), (0.55, BUTTON_UNLIT), (1, "#CDB07A")], 0, 0, 0, 1) +
           lin_grad("bl", [(0, "#FFF1A8"), (0.5, BUTTON_LIT), (1, "#F0A91A")], 0, 0, 0, 1) +
           lin_grad("wood", [(0, "#B57E48"), (0.5, PLANK_DARK), (1, "#6E4622")], 0, 0, 1, 1) +
           rad_grad("parch", [(0, "#FFF8E4"), (0.75, PARCHMENT), (1, "#F3E1B4")], 0.45, 0.4, 0.75))


def button(x, y, w, h, label, lit, size, inset_l=2, inset=2, radius=None):
    """A rounded button inside the box (x, y, w, h); the same geometry lit or not."""
    bx, by = x + inset_l, y + inset
    bw, bh = w - inset_l - inset, h - 2 * inset
    r = bh / 2 if radius is None else radius
    out = []
    if lit:
        out.append(f'<rect x="{f(bx - 0.5)}" y="{f(by - 0.5)}" width="{f(bw + 1)}" height="{f(bh + 1)}" rx="{f(r + 0.5)}" '
                   f'fill="none" stroke="#FFF6B0" stroke-width="{f(min(3, inset + 1))}" opacity="0.9"/>')
    out.append(f'<rect x="{f(bx + 1)}" y="{f(by + 1)}" width="{f(bw - 2)}" height="{f(bh - 2)}" rx="{f(r - 1)}" '
               f'fill="url(#{"bl" if lit else "bu"})" stroke="{OUTLINE}" stroke-width="2"/>')
    out.append(f'<path d="M{f(bx + r)},{f(by + 3.5)} L{f(bx + bw - r)},{f(by + 3.5)}" stroke="#FFFFFF" '
               f'stroke-width="{f(max(1.2, bh * 0.1))}" stroke-linecap="round" opacity="{0.75 if lit else 0.55}"/>')
    ty = by + bh / 2 + size * 0.36
    out.append(text(bx + bw / 2, ty, label, size, fill="#3A2610" if not lit else "#2A1A06", family=FONT_ROUND,
                    weight="bold", anchor="middle"))
    return "".join(out)


# Menu buttons (name, x, y, w, h, label, font size, left inset).
MENU_BUTTONS = [("Start", 261, 226, "Начать игру"), ("Opt", 261, 272, "Настройки"), ("HScores", 261, 322, "Рекорды"),
                ("Help", 261, 370, "Помощь"), ("Visit", 261, 419, "Другие игры"), ("Exit", 261, 468, "Выход")]
MENU_W, MENU_H = 278, 40

OPT_BUTTONS = [("Win", 301, 230, 90, 20, "Окно"), ("Full", 447, 230, 145, 20, "Весь экран"),
               ("On", 301, 278, 36, 20, "Вкл"), ("Off", 391, 278, 45, 20, "Выкл")]
OPT_SECOND_ROW = [("On", 301, 326, 36, 20, "Вкл"), ("Off", 391, 326, 45, 20, "Выкл")]
BACK_W, BACK_H, BACK_INSET = 116, 28, 6
HSCR_BUTTONS = [("Clear", 41, 465, 182, 20, "Очистить таблицу"), ("World", 373, 465, 262, 20, "Мировая таблица рекордов")]
HELP_BUTTONS = [("Previos", 40, 465, 160, 18, "‹ Предыдущая"), ("Next", 501, 465, 119, 18, "Следующая ›")]


def small_button(x, y, w, h, label, lit):
    size = 11 if w < 50 else (12 if h < 20 or len(label) * 9 > w else 13)
    return button(x, y, w, h, label, lit, size, inset_l=1, inset=1, radius=6 if w < 50 else None)


def back_button(x, y, lit):
    return button(x, y, BACK_W, BACK_H, "В меню", lit, 15, inset_l=BACK_INSET, inset=2)


def panel_frame(w, h, heading=None):
    """A parchment sheet in a wooden frame filling (0, 0, w, h)."""
    out = [f'<rect x="3" y="3" width="{w - 6}" height="{h - 6}" rx="14" fill="url(#wood)" stroke="{OUTLINE}" stroke-width="2"/>',
           f'<rect x="5" y="5" width="{w - 10}" height="{h - 10}" rx="12" fill="none" stroke="#D8A468" stroke-width="1.5" opacity="0.7"/>',
           f'<rect x="14" y="14" width="{w - 28}" height="{h - 28}" rx="8" fill="#FFF4D6" stroke="{OUTLINE}" stroke-width="2"/>',
           f'<rect x="16" y="16" width="{w - 32}" height="{h - 32}" rx="7" fill="url(#parch)"/>']
    for cx, cy in ((9, 9), (w - 9, 9), (9, h - 9), (w - 9, h - 9)):
        out.append(f'<circle cx="{cx}" cy="{cy}" r="2.6" fill="#3A2A1A"/><circle cx="{cx - 0.8}" cy="{cy - 0.8}" r="0.9" fill="#C9A57A"/>')
    if heading:
        out.append(text(w / 2, 42, heading, 26, fill="#FFD200", family=FONT_ROUND, weight="bold", anchor="middle",
                        stroke=OUTLINE, stroke_width=5))
    return "".join(out)


PANEL_W, PANEL_H = 738, 412


def fon_opt():
    """Options panel, drawn at (33, 128); content in screen coordinates shifted by the caller."""
    ox, oy = 33, 128
    out = [panel_frame(PANEL_W - 1, PANEL_H, "Настройки"), f'<g transform="translate({-ox},{-oy})">']
    rows = [(230, "Экран"), (278, "Музыка"), (326, "Звуки")]
    for y, label in rows:
        out.append(text(270, y + 16, label, 18, fill="#5C3A1A", family=FONT_ROUND, weight="bold", anchor="end"))
    for name, x, y, w, h, lab in OPT_BUTTONS + OPT_SECOND_ROW:
        out.append(small_button(x, y, w, h, lab, False))
    out.append(text(270, 388, "Подпись", 18, fill="#5C3A1A", family=FONT_ROUND, weight="bold", anchor="end"))
    # The text is drawn from y 357 in a tall face: a field with no top edge keeps it clear of any line.
    out.append(f'<rect x="296" y="359" width="298" height="47" rx="5" fill="#FFFFFF" opacity="0.9"/>'
               f'<path d="M298,404.5 L592,404.5" stroke="{PLANK_DARK}" stroke-width="2" stroke-linecap="round"/>'
               f'<path d="M296.8,366 L296.8,402 M593.2,366 L593.2,402" stroke="#E3D3B0" stroke-width="1.5"/>')
    out.append(text(445, 428, "Подпись видна рядом с вашими очками в мировой таблице рекордов", 12,
                    fill="#6E5434", family=FONT_SANS, anchor="middle"))
    out.append(back_button(33, 462, False))
    out.append(fish_emblem(680, 180))
    out.append("</g>")
    return "".join(out)


def fish_emblem(x, y, s=1.0):
    return (f'<g transform="translate({x},{y}) scale({s})" opacity="0.9">'
            f'<path d="M-22,0 Q-6,-14 14,-6 L24,-14 L22,0 L24,14 L14,6 Q-6,14 -22,0 Z" fill="#E8C88E" stroke="#8A5A2E" stroke-width="2"/>'
            f'<circle cx="-12" cy="-2" r="2" fill="#8A5A2E"/></g>')


def fon_hscr():
    ox, oy = 33, 129
    out = [panel_frame(PANEL_W - 1, PANEL_H - 1, "Рекорды"), f'<g transform="translate({-ox},{-oy})">']
    out.append(text(82, 212, "Место   Имя", 14, fill="#8A5A2E", family=FONT_ROUND, weight="bold"))
    out.append(text(540, 212, "Очки", 14, fill="#8A5A2E", family=FONT_ROUND, weight="bold", anchor="end"))
    for r in range(1, 11):
        y = 197 + 23 * r
        if r % 2 == 1:
            out.append(f'<rect x="70" y="{y}" width="484" height="22" rx="5" fill="#F0DCAE" opacity="0.55"/>')
    out.append(f'<path d="M70,216 L554,216" stroke="#C9A57A" stroke-width="1.5"/>')
    # a trophy on the free side
    out.append(trophy(650, 320))
    for name, x, y, w, h, lab in HSCR_BUTTONS:
        out.append(small_button(x, y, w, h, lab, False))
    out.append(back_button(30, 504, False))
    out.append("</g>")
    return "".join(out)


def trophy(x, y):
    return (f'<g transform="translate({x},{y})">'
            f'<path d="M-30,-60 L30,-60 Q30,-10 0,0 Q-30,-10 -30,-60 Z" fill="#FFD23F" stroke="{OUTLINE}" stroke-width="2.4"/>'
            f'<path d="M-30,-52 Q-52,-50 -44,-30 Q-38,-20 -22,-22 M30,-52 Q52,-50 44,-30 Q38,-20 22,-22" '
            f'fill="none" stroke="{OUTLINE}" stroke-width="5"/>'
            f'<path d="M-30,-52 Q-52,-50 -44,-30 Q-38,-20 -22,-22 M30,-52 Q52,-50 44,-30 Q38,-20 22,-22" '
            f'fill="none" stroke="#F2B01E" stroke-width="2.4"/>'
            f'<rect x="-6" y="0" width="12" height="18" fill="#F2B01E" stroke="{OUTLINE}" stroke-width="2"/>'
            f'<rect x="-24" y="18" width="48" height="12" rx="3" fill="#8A5A2E" stroke="{OUTLINE}" stroke-width="2"/>'
            f'<path d="M-18,-54 Q-20,-30 -8,-14" stroke="#FFFFFF" stroke-width="4" fill="none" opacity="0.6" stroke-linecap="round"/>'
            f'<path d="M-12,-36 Q0,-46 14,-38 L20,-44 L19,-36 L20,-28 L14,-34 Q0,-26 -12,-36 Z" fill="#F29A00" stroke="{OUTLINE}" stroke-width="1.5"/>'
            f'</g>')


def fon_help():
    ox, oy = 32, 128
    out = [panel_frame(PANEL_W, PANEL_H, "Помощь"), f'<g transform="translate({-ox},{-oy})">']
    for name, x, y, w, h, lab in HELP_BUTTONS:
        out.append(small_button(x, y, w, h, lab, False))
    out.append(back_button(37, 505, False))
    out.append("</g>")
    return "".join(out)


def fon_plain(heading):
    return panel_frame(PANEL_W - 1, PANEL_H - 1, heading) + fish_emblem(PANEL_W / 2, PANEL_H / 2, 3)


QTNS_W, QTNS_H = 400, 230


def qtns():
    w, h = QTNS_W, QTNS_H
    # Hard outer edge so the colour key around the corners leaves no fringe.
    out = [f'<rect x="0" y="0" width="{w}" height="{h}" fill="#FF00FF"/>',
           f'<rect x="0" y="0" width="{w}" height="{h}" rx="10" fill="{OUTLINE}" shape-rendering="crispEdges"/>',
           f'<rect x="2" y="2" width="{w - 4}" height="{h - 4}" rx="9" fill="url(#wood)"/>',
           f'<rect x="11" y="11" width="{w - 22}" height="{h - 22}" rx="6" fill="#FFF4D6" stroke="{OUTLINE}" stroke-width="2"/>',
           f'<rect x="13" y="13" width="{w - 26}" height="{h - 26}" rx="5" fill="url(#parch)"/>']
    for cx, cy in ((6.5, 6.5), (w - 6.5, 6.5), (6.5, h - 6.5), (w - 6.5, h - 6.5)):
        out.append(f'<circle cx="{cx}" cy="{cy}" r="2.2" fill="#3A2A1A"/>')
    # a small hook-and-fish ornament at the top, clear of every text line
    out.append(f'<g transform="translate({w / 2},36)" opacity="0.85">'
               f'<path d="M-60,0 L-18,0 M18,0 L60,0" stroke="#C9A57A" stroke-width="2" stroke-linecap="round"/>'
               f'<path d="M-14,0 Q-2,-10 10,-4 L17,-9 L16,0 L17,9 L10,4 Q-2,10 -14,0 Z" fill="#E8C88E" stroke="#8A5A2E" stroke-width="1.6"/>'
               f'<circle cx="-7" cy="-1.5" r="1.5" fill="#8A5A2E"/></g>')
    return "".join(out)


CHK_W, CHK_H = 24, 36


def chk(ticked):
    out = [f'<rect x="2" y="14" width="20" height="20" rx="4" fill="#FFFFFF" stroke="{OUTLINE}" stroke-width="2"/>',
           '<rect x="4" y="16" width="16" height="4" rx="2" fill="#E4ECF2"/>']
    if ticked:
        out.append(f'<path d="M5,23 L10.5,29.5 L21,8" stroke="{OUTLINE}" stroke-width="5.4" fill="none" '
                   f'stroke-linecap="round" stroke-linejoin="round"/>'
                   f'<path d="M5,23 L10.5,29.5 L21,8" stroke="#3DBE4A" stroke-width="3" fill="none" '
                   f'stroke-linecap="round" stroke-linejoin="round"/>')
    return "".join(out)


TABLE_W, TABLE_H = 700, 400


def table_sheet():
    # Colour-keyed around the rounded corners, with a hard outer edge.
    out = [f'<rect x="0" y="0" width="{TABLE_W}" height="{TABLE_H}" fill="#FF00FF"/>',
           f'<rect x="2" y="2" width="{TABLE_W - 4}" height="{TABLE_H - 4}" rx="15" fill="{OUTLINE}" '
           f'shape-rendering="crispEdges"/>',
           panel_frame(TABLE_W, TABLE_H, "Таблица рекордов")]
    for r in range(10):
        y = 70 + r * 30
        out.append(f'<path d="M40,{y + 26} L{TABLE_W - 40},{y + 26}" stroke="#D8BE8A" stroke-width="1.2"/>')
    return "".join(out)
