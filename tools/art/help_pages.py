"""The four help pages (732 x 281, drawn at (34, 174) over the help panel)."""

from common import FONT_ROUND, FONT_SANS, OUTLINE, f, text
from fish import SPECIES, VALUES, fish_group
import sprites

PAGE_W, PAGE_H = 732, 281
INK = "#3A2610"
BROWN = "#8A5A2E"


def heading(s, page):
    return (text(PAGE_W / 2, 26, s, 21, fill=BROWN, family=FONT_ROUND, weight="bold", anchor="middle") +
            text(PAGE_W - 24, 22, f"{page} / 4", 12, fill="#A07A50", family=FONT_ROUND, weight="bold",
                 anchor="end"))


def lines(x, y, rows, size=14, gap=18, fill=INK, bold_first=False):
    out = []
    for i, r in enumerate(rows):
        out.append(text(x, y + i * gap, r, size, fill=fill, family=FONT_SANS,
                        weight="bold" if (bold_first and i == 0) else "normal"))
    return "".join(out)


def key(x, y, label, w=None):
    w = w or max(24, 9 * len(label) + 12)
    return (f'<rect x="{f(x)}" y="{f(y)}" width="{f(w)}" height="24" rx="5" fill="#FFFFFF" stroke="{OUTLINE}" stroke-width="1.6"/>'
            f'<rect x="{f(x + 2)}" y="{f(y + 18)}" width="{f(w - 4)}" height="4" rx="2" fill="#D9D2C2"/>'
            + text(x + w / 2, y + 16, label, 13, fill=INK, family=FONT_SANS, weight="bold", anchor="middle")), w


def keys(x, y, labels):
    out = []
    for lab in labels:
        if lab == "или":
            out.append(text(x + 2, y + 16, "или", 12, fill="#8A7050", family=FONT_SANS))
            x += 26
            continue
        s, w = key(x, y, lab)
        out.append(s)
        x += w + 5
    return "".join(out)


def mouse(x, y, button_lit=False, arrows=False):
    s = (f'<g transform="translate({x},{y})"><rect x="0" y="0" width="20" height="28" rx="10" fill="#FFFFFF" '
         f'stroke="{OUTLINE}" stroke-width="1.6"/><path d="M10,0 L10,11 M0,11 L20,11" stroke="{OUTLINE}" stroke-width="1.3"/>')
    if button_lit:
        s += f'<path d="M1.5,10 L1.5,9 Q2,1.5 9,1.2 L9,10 Z" fill="#FFD23F"/>'
    if arrows:
        s += (f'<path d="M-4,16 L-14,16 M-10,12 L-14,16 L-10,20 M24,16 L34,16 M30,12 L34,16 L30,20" '
              f'stroke="{OUTLINE}" stroke-width="1.8" fill="none" stroke-linecap="round" stroke-linejoin="round"/>')
    return s + "</g>"


def gamepad(x, y):
    return (f'<g transform="translate({x},{y})">'
            f'<path d="M8,2 L48,2 Q60,2 62,16 L64,28 Q64,34 58,32 L48,24 L16,24 L6,32 Q0,34 0,28 L2,16 Q4,2 8,2 Z" '
            f'fill="#5A6B78" stroke="{OUTLINE}" stroke-width="1.6"/>'
            f'<path d="M12,13 L22,13 M17,8 L17,18" stroke="#FFFFFF" stroke-width="3" stroke-linecap="round"/>'
            f'<circle cx="44" cy="10" r="3" fill="#FFD23F"/><circle cx="50" cy="16" r="3" fill="#E0312B"/>'
            f'<circle cx="30" cy="18" r="4" fill="#2E3A44" stroke="#FFFFFF" stroke-width="1"/></g>')


def page1():
    out = [heading("Управление", 1)]
    tx = 262
    y = 42
    out.append(keys(20, y, ["←", "H", "4"]) + text(20, y + 38, "влево", 11, fill="#8A7050"))
    out.append(keys(106, y, ["→", "L", "6"]) + text(106, y + 38, "вправо", 11, fill="#8A7050"))
    out.append(mouse(210, y - 2, arrows=True))
    out.append(lines(tx, y + 10, ["Ходите по мосткам: стрелки ← и →, клавиши H и L,",
                                  "4 и 6 на цифровой клавиатуре — или ведите мышь."], size=14))
    y = 94
    out.append(keys(20, y, ["Ctrl", "↓", "Пробел"]))
    out.append(mouse(210, y - 2, button_lit=True))
    out.append(lines(tx, y + 10, ["Держите Ctrl, ↓, пробел или левую кнопку мыши —",
                                  "крючок опускается. Отпустите — он пойдёт вверх."], size=14))
    y = 142
    out.append(gamepad(20, y))
    out.append(lines(tx, y + 12, ["Геймпад: стик или крестовина влево и вправо —",
                                  "ходить, вниз — опускать крючок."], size=14))
    y = 184
    out.append(f'<rect x="18" y="{y}" width="{PAGE_W - 36}" height="60" rx="8" fill="#FFE9A8" opacity="0.85" '
               f'stroke="#E0B85A" stroke-width="1.2"/>')
    out.append(lines(30, y + 18, ["Рыба и предметы цепляются только к крючку, который идёт вверх! Вытащите улов",
                                  "из воды — получите очки. Поднимающийся крючок нельзя опустить снова,",
                                  "но можно придержать: нажмите клавишу опускания, и он замрёт."], size=13.5, gap=17))
    y = 254
    out.append(keys(20, y - 4, ["P", "Pause"]) + text(112, y + 12, "пауза", 13, fill=INK))
    out.append(keys(172, y - 4, ["Esc"]) + text(218, y + 12, "выйти из игры", 13, fill=INK))
    out.append(keys(332, y - 4, ["Alt+Enter"]) + text(432, y + 12, "окно или весь экран", 13, fill=INK))
    return "".join(out)


def fish_thumb(kind, x, y, box_w, box_h, pfx):
    sp = SPECIES[kind]
    sc = min(box_w / sp["w"], box_h / sp["h"])
    w, h = sp["w"] * sc, sp["h"] * sc
    d, g = fish_group(kind, 0.0, pfx)
    return f'<defs>{d}</defs><g transform="translate({f(x + (box_w - w) / 2)},{f(y + (box_h - h) / 2)}) scale({f(sc)})">{g}</g>'


NOTES = {8: "живёт у самого дна", 9: "длинная и хищная", 10: "колючий: берите за хвост!"}


def page2():
    out = [heading("Рыбы и очки", 2)]
    for k in range(1, 11):
        col = (k - 1) // 5
        row = (k - 1) % 5
        x = 20 + col * 350
        y = 36 + row * 42
        out.append(f'<rect x="{x}" y="{y}" width="340" height="38" rx="7" fill="#F3E2B8" opacity="0.6"/>')
        out.append(fish_thumb(k, x + 6, y + 3, 92, 32, f"h2k{k}"))
        out.append(text(x + 108, y + (18 if k in NOTES else 25), f"{SPECIES[k]['name']}", 15, fill=INK,
                        family=FONT_ROUND, weight="bold"))
        if k in NOTES:
            out.append(text(x + 108, y + 33, NOTES[k], 12, fill="#6E5434", family=FONT_SANS))
        out.append(text(x + 330, y + 26, f"{VALUES[k]}", 18, fill="#E08A00", family=FONT_ROUND, weight="bold",
                        anchor="end", stroke="#FFFFFF", stroke_width=3))
    out.append(text(PAGE_W / 2, 256, "Судак колется: зацепите его не у хвоста — вместо 100 очков получите −50.", 13,
                    fill="#C0392B", family=FONT_SANS, weight="bold", anchor="middle"))
    out.append(text(PAGE_W / 2, 274, "Каждая вытащенная рыба добавляет полсекунды времени.", 13, fill=INK,
                    family=FONT_SANS, anchor="middle"))
    return "".join(out)


def object_thumb(kind, x, y, frame=0):
    w, h = sprites.OBJ_SIZE[kind]
    p = f"h3o{kind}"
    if kind == 1:
        d, g = sprites.boot(p, 0)
    elif kind == 2:
        d, g = sprites.alarm(p, 0, True)
    elif kind == 3:
        d, g = sprites.bottle(p, 0)
    elif kind == 4:
        d, g = sprites.hourglass(p, 0, 0.4)
    else:
        d, g = sprites.shell(p, 1, True)
    return f'<defs>{d}</defs><g transform="translate({f(x + (56 - w) / 2)},{f(y + (42 - h) / 2)})">{g}</g>'


def page3():
    out = [heading("Что ещё попадается на крючок", 3)]
    items = [(1, "Старый сапог", "−50 очков"),
             (2, "Ржавый будильник", "−50 очков и крадёт десятую часть времени уровня"),
             (3, "Бутылка с запиской", "+50 очков"),
             (4, "Песочные часы", "добавляют десятую часть времени уровня"),
             (5, "Ракушка с жемчужиной", "лежит на дне: +100 очков")]
    for i, (k, name, effect) in enumerate(items):
        y = 38 + i * 44
        out.append(f'<rect x="20" y="{y}" width="{PAGE_W - 40}" height="40" rx="7" fill="#F3E2B8" opacity="0.6"/>')
        out.append(object_thumb(k, 26, y - 1))
        out.append(text(92, y + 26, name, 15, fill=INK, family=FONT_ROUND, weight="bold"))
        colour = "#C0392B" if effect.startswith("−") or "крадёт" in effect else "#2E8A30"
        out.append(text(330, y + 26, effect, 14, fill=colour, family=FONT_SANS, weight="bold"))
    out.append(text(PAGE_W / 2, 268, "Время на часах никогда не станет больше, чем было в начале уровня.", 13,
                    fill=INK, family=FONT_SANS, anchor="middle"))
    return "".join(out)


def page4():
    out = [heading("Уровни, время и бонус", 4)]
    # a small quota strip as it looks at the top of the screen
    out.append(f'<rect x="20" y="40" width="196" height="62" rx="8" fill="#EAF6FF" stroke="#9CC8E6" stroke-width="1.2"/>')
    for i, (k, n) in enumerate(((1, 3), (2, 2), (3, 1))):
        out.append(fish_thumb(k, 26 + i * 64, 46, 50, 26, f"h4k{k}"))
        out.append(text(51 + i * 64, 92, str(n), 15, fill="#287DFF", family=FONT_SANS, weight="bold", anchor="middle"))
    out.append(lines(232, 58, ["Вверху — задание уровня: какие рыбы нужны и сколько ещё осталось.",
                               "Поймайте всех — и уровень пройден. Дальше задания всё больше."], size=14))
    # the time bar
    out.append(f'<rect x="20" y="118" width="196" height="16" rx="8" fill="#5C3A1A"/>'
               f'<rect x="23" y="121" width="120" height="10" rx="5" fill="#5CC441"/>'
               f'<rect x="20" y="140" width="196" height="16" rx="8" fill="#5C3A1A"/>'
               f'<rect x="23" y="143" width="44" height="10" rx="5" fill="#F24A2E"/>')
    out.append(lines(232, 128, ["Время уровня: 10 секунд плюс по секунде на каждую рыбу задания.",
                                "Полоска внизу экрана тает; когда остаётся 30 % времени, она мигает."], size=14))
    out.append(f'<rect x="18" y="172" width="{PAGE_W - 36}" height="82" rx="8" fill="#FFE9A8" opacity="0.8" '
               f'stroke="#E0B85A" stroke-width="1.2"/>')
    out.append(lines(32, 194, ["Бонус: за каждую целую секунду, оставшуюся после задания, — 5 очков.",
                               "Каждая вытащенная рыба добавляет полсекунды к часам.",
                               "Время вышло — игра окончена. Хороший счёт попадёт в таблицу рекордов,",
                               "а если захотите — и в мировую."], size=14, gap=18))
    return "".join(out)


PAGES = [page1, page2, page3, page4]
