"""Moving pictures of play: objects, tackle, the angler, seaweed, wave,
bubbles and the time bar. Each function returns an SVG document."""

import math

from common import OUTLINE, PLANK_JOIN, WEED_DARK, WEED_LIGHT, f, lin_grad, rad_grad, sheet, svg_doc

ST = f'stroke="{OUTLINE}" stroke-width="2" stroke-linejoin="round" stroke-linecap="round"'
THIN = f'stroke="{OUTLINE}" stroke-width="1.2" stroke-linejoin="round" stroke-linecap="round"'

# ---------------------------------------------------------------- objects

OBJ_SIZE = {1: (42, 40), 2: (36, 42), 3: (48, 26), 4: (28, 42), 5: (56, 46)}
SHELL_SCALE = 1.1
OBJ_FRAMES = {1: 5, 2: 5, 3: 5, 4: 5, 5: 6}


def boot(pfx, angle):
    w, h = OBJ_SIZE[1]
    d = (lin_grad(f"{pfx}l", [(0, "#9A6A3E"), (1, "#5E3B1E")], 0, 0, 0, 1) +
         lin_grad(f"{pfx}s", [(0, "#4A4038"), (1, "#2A241F")], 0, 0, 0, 1))
    g = (f'<g transform="rotate({f(angle)} {w / 2} {h / 2})">'
         # shaft and foot
         f'<path d="M13,4 L27,4 L28,22 Q30,25 35,26 Q40,27 40,31 L40,33 L6,33 L5,27 Q7,20 11,18 Z" fill="url(#{pfx}l)" {ST}/>'
         f'<path d="M4,33 L41,33 L41,36 Q41,38 38,38 L7,38 Q4,38 4,36 Z" fill="url(#{pfx}s)" {ST}/>'
         # cuff, laces, patch, crease
         f'<path d="M12,4 L28,4 L28,8 L12,8 Z" fill="#7A5030" {THIN}/>'
         f'<path d="M24,12 L31,15 M24,16 L32,19 M25,20 L33,22" stroke="#E8DCC0" stroke-width="1.3" stroke-linecap="round"/>'
         f'<rect x="10" y="22" width="7" height="6" rx="1" fill="#6E7E5A" {THIN} transform="rotate(-8 13 25)"/>'
         f'<path d="M15,11 Q17,14 15,18" stroke="#3E2814" stroke-width="1" fill="none" opacity="0.6"/>'
         f'<ellipse cx="17" cy="13" rx="3" ry="6" fill="#FFFFFF" opacity="0.18"/>'
         f'<path d="M36,29 q2,2 0,4" stroke="#3E2814" stroke-width="0.8" fill="none" opacity="0.5"/>'
         f'</g>')
    return d, g


def alarm(pfx, angle, ring):
    w, h = OBJ_SIZE[2]
    d = (rad_grad(f"{pfx}r", [(0, "#FF7A62"), (0.7, "#D9352A"), (1, "#9E1F1A")], 0.35, 0.35, 0.7) +
         lin_grad(f"{pfx}b", [(0, "#F3D98A"), (1, "#B8892E")], 0, 0, 0, 1))
    hammer = 3 if ring else -3
    lines = ""
    if ring:
        lines = ('<path d="M3,8 l-2,-2 M4,13 l-3,0 M33,8 l2,-2 M32,13 l3,0" stroke="#FFFFFF" stroke-width="1.4" '
                 'stroke-linecap="round"/>')
    g = (f'<g transform="rotate({f(angle)} {w / 2} {h * 0.6})">'
         f'<path d="M9,36 L6,41 M27,36 L30,41" {ST} fill="none"/>'
         f'<path d="M9,10 A6,6 0 0 1 13,3 L16,8 Z" fill="url(#{pfx}b)" {THIN}/>'
         f'<path d="M27,10 A6,6 0 0 0 23,3 L20,8 Z" fill="url(#{pfx}b)" {THIN}/>'
         f'<path d="M18,7 L{f(18 + hammer)},3" stroke="{OUTLINE}" stroke-width="1.6" stroke-linecap="round"/>'
         f'<circle cx="{f(18 + hammer)}" cy="3" r="1.6" fill="url(#{pfx}b)" {THIN}/>'
         f'<circle cx="18" cy="23" r="15" fill="url(#{pfx}r)" {ST}/>'
         f'<circle cx="18" cy="23" r="10.5" fill="#FFF8E6" {THIN}/>'
         + "".join(f'<path d="M{f(18 + 8.5 * math.cos(a))},{f(23 + 8.5 * math.sin(a))} L{f(18 + 9.8 * math.cos(a))},'
                   f'{f(23 + 9.8 * math.sin(a))}" stroke="{OUTLINE}" stroke-width="1"/>'
                   for a in [i * math.pi / 6 for i in range(12)]) +
         f'<path d="M18,23 L18,16 M18,23 L23,25" stroke="{OUTLINE}" stroke-width="1.6" stroke-linecap="round"/>'
         f'<circle cx="18" cy="23" r="1.2" fill="{OUTLINE}"/>'
         # rust
         f'<circle cx="8" cy="30" r="2.2" fill="#8A4E1E" opacity="0.8"/><circle cx="28" cy="31" r="1.6" fill="#8A4E1E" opacity="0.7"/>'
         f'<circle cx="26" cy="13" r="1.3" fill="#8A4E1E" opacity="0.7"/>'
         f'<path d="M8,16 A11,11 0 0 1 14,10" stroke="#FFFFFF" stroke-width="2" fill="none" opacity="0.55" stroke-linecap="round"/>'
         f'</g>{lines}')
    return d, g


def bottle(pfx, angle):
    w, h = OBJ_SIZE[3]
    d = lin_grad(f"{pfx}g", [(0, "#7FD39A"), (0.5, "#3E9E63"), (1, "#1F6B3E")], 0, 0, 0, 1)
    g = (f'<g transform="rotate({f(angle)} {w / 2} {h / 2})">'
         f'<path d="M4,8 Q4,5 8,5 L28,5 Q32,5 35,9 L40,10 L40,16 L35,17 Q32,21 28,21 L8,21 Q4,21 4,18 Z" '
         f'fill="url(#{pfx}g)" fill-opacity="0.9" {ST}/>'
         f'<path d="M40,9.5 L45,9.5 Q46,13 45,16.5 L40,16.5 Z" fill="#C9955A" {THIN}/>'
         # rolled note inside
         f'<path d="M9,10 L26,9 L27,16 L10,17 Z" fill="#FFF4D6" {THIN}/>'
         f'<path d="M12,12 L23,11.5 M12,14 L21,13.7" stroke="#8A5A2E" stroke-width="0.8"/>'
         f'<path d="M26,9 Q29,12.5 27,16" stroke="#C84A3A" stroke-width="1.6" fill="none"/>'
         f'<path d="M7,8 L28,7.5" stroke="#FFFFFF" stroke-width="1.6" opacity="0.6" stroke-linecap="round"/>'
         f'</g>')
    return d, g


def hourglass(pfx, angle, t):
    w, h = OBJ_SIZE[4]
    d = (lin_grad(f"{pfx}w", [(0, "#D39A5A"), (1, "#8A5A2E")], 0, 0, 0, 1) +
         lin_grad(f"{pfx}s", [(0, "#FFE08A"), (1, "#E0A93A")], 0, 0, 0, 1))
    top_level = 9 + 6 * t  # sand surface in the upper bulb
    pile = 35 - 5 * t
    dash = f(-t * 12)
    g = (f'<g transform="rotate({f(angle)} {w / 2} {h / 2})">'
         f'<path d="M6,5 L22,5 Q22,14 15.5,20 Q15,21 15.5,22 Q22,28 22,37 L6,37 Q6,28 12.5,22 Q13,21 12.5,20 Q6,14 6,5 Z" '
         f'fill="#DFF4FF" fill-opacity="0.55"/>'
         f'<clipPath id="{pfx}c"><path d="M6,5 L22,5 Q22,14 15.5,20 Q15,21 15.5,22 Q22,28 22,37 L6,37 Q6,28 12.5,22 Q13,21 12.5,20 Q6,14 6,5 Z"/></clipPath>'
         f'<g clip-path="url(#{pfx}c)"><rect x="4" y="{f(top_level)}" width="20" height="{f(21 - top_level)}" fill="url(#{pfx}s)"/>'
         f'<path d="M5,37 Q14,{f(pile - 4)} 23,37 Z" fill="url(#{pfx}s)"/>'
         f'<path d="M14,21 L14,36" stroke="#F0BE55" stroke-width="1.2" stroke-dasharray="2 1.5" stroke-dashoffset="{dash}"/></g>'
         f'<path d="M6,5 L22,5 Q22,14 15.5,20 Q15,21 15.5,22 Q22,28 22,37 L6,37 Q6,28 12.5,22 Q13,21 12.5,20 Q6,14 6,5 Z" '
         f'fill="none" {THIN}/>'
         f'<path d="M8.5,8 Q9,13 12,17" stroke="#FFFFFF" stroke-width="1.3" fill="none" opacity="0.8" stroke-linecap="round"/>'
         f'<rect x="2" y="1" width="24" height="5" rx="2" fill="url(#{pfx}w)" {THIN}/>'
         f'<rect x="2" y="36" width="24" height="5" rx="2" fill="url(#{pfx}w)" {THIN}/>'
         f'<path d="M4,6 L4,36 M24,6 L24,36" stroke="{OUTLINE}" stroke-width="3.2" stroke-linecap="round"/>'
         f'<path d="M4,6 L4,36 M24,6 L24,36" stroke="#B07A45" stroke-width="1.6" stroke-linecap="round"/>'
         f'</g>')
    return d, g


def shell(pfx, openness, sparkle):
    """A scallop on the bottom; openness 0 (shut) .. 1 (wide open)."""
    w, h = OBJ_SIZE[5]
    d = (lin_grad(f"{pfx}a", [(0, "#FFE1D2"), (1, "#E39A86")], 0, 0, 0, 1) +
         lin_grad(f"{pfx}b", [(0, "#F7C0A8"), (1, "#C9735E")], 0, 0, 0, 1) +
         rad_grad(f"{pfx}p", [(0, "#FFFFFF"), (0.5, "#F4EEFF"), (1, "#B9B0D6")], 0.35, 0.3, 0.7) +
         rad_grad(f"{pfx}i", [(0, "#FFF0F2"), (1, "#E6B5BF")], 0.5, 0.4, 0.7))
    cx, base = 25, 37
    lower = (f'<path d="M6,{base - 6} Q6,{base + 2} 25,{base + 3} Q44,{base + 2} 44,{base - 6} Z" fill="url(#{pfx}b)" {ST}/>'
             f'<path d="M10,{base - 4} Q25,{base + 2} 40,{base - 4}" stroke="{OUTLINE}" stroke-width="0.8" fill="none" opacity="0.4"/>')
    ang = openness * 30
    inside = ""
    if openness > 0.05:
        inside = f'<path d="M7,{base - 6} Q25,{f(base - 6 - 22 * openness)} 43,{base - 6} Z" fill="url(#{pfx}i)" {THIN}/>'
    pearl = ""
    if openness > 0.55:
        pr = 4.6
        pearl = (f'<circle cx="{cx}" cy="{f(base - 6 - pr + 1)}" r="{pr}" fill="url(#{pfx}p)" {THIN}/>'
                 f'<circle cx="{cx - 1.6}" cy="{f(base - 6 - pr)}" r="1.3" fill="#FFFFFF"/>')
    ribs = "".join(f'<path d="M25,{base - 6} L{f(25 + 19 * math.cos(a))},{f(base - 6 - 19 * math.sin(a))}" '
                   f'stroke="{OUTLINE}" stroke-width="0.8" opacity="0.35"/>'
                   for a in [math.pi * (0.12 + 0.76 * i / 6) for i in range(7)])
    upper = (f'<g transform="rotate({f(ang)} 44 {base - 6})">'
             f'<path d="M6,{base - 6} Q5,{base - 24} 25,{base - 27} Q45,{base - 24} 44,{base - 6} Z" fill="url(#{pfx}a)" {ST}/>'
             f'{ribs}<path d="M12,{base - 16} Q17,{base - 23} 24,{base - 24}" stroke="#FFFFFF" stroke-width="2" '
             f'fill="none" opacity="0.6" stroke-linecap="round"/></g>')
    sp = ""
    if sparkle:
        sx, sy = cx - 9, base - 15
        sp = (f'<path d="M{sx},{sy - 6} L{sx + 1},{sy - 1} L{sx + 6},{sy} L{sx + 1},{sy + 1} L{sx},{sy + 6} '
              f'L{sx - 1},{sy + 1} L{sx - 6},{sy} L{sx - 1},{sy - 1} Z" fill="#FFFFFF"/>')
    g = f'<ellipse cx="25" cy="{base + 3}" rx="20" ry="2.5" fill="#000000" opacity="0.18"/>{lower}{inside}{pearl}{upper}{sp}'
    return d, f'<g transform="scale({SHELL_SCALE})">{g}</g>'


def object_sheet(kind):
    w, h = OBJ_SIZE[kind]
    n = OBJ_FRAMES[kind]
    defs, frames = [], []
    for i in range(n):
        ph = 2 * math.pi * i / 5
        p = f"o{kind}f{i}"
        if kind == 1:
            d, g = boot(p, 9 * math.sin(ph))
        elif kind == 2:
            d, g = alarm(p, 7 * math.sin(ph * 2), i % 2 == 1)
        elif kind == 3:
            d, g = bottle(p, 8 * math.sin(ph))
        elif kind == 4:
            d, g = hourglass(p, 6 * math.sin(ph), i / 5)
        else:
            d, g = shell(p, [0, 0.3, 0.6, 0.85, 1, 1][i], i == 5)
        defs.append(d)
        frames.append(g)
    return sheet(w, h, frames, "".join(defs)), (w, h, n)


# ---------------------------------------------------------------- tackle

POPLAVOK_H = 52  # drawn at y 171: the float, then its line down to y 223


def poplavok():
    d = (lin_grad("pr", [(0, "#FF7A5C"), (1, "#D1261A")], 0, 0, 1, 0) +
         lin_grad("pw", [(0, "#FFFFFF"), (1, "#C9D6E0")], 0, 0, 1, 0))
    body = ('<path d="M3.5,0.5 L3.5,5" stroke="#1F2A3A" stroke-width="1.4" stroke-linecap="round"/>'
            '<path d="M3.5,4 Q6.6,8 6.3,12 L0.7,12 Q0.4,8 3.5,4 Z" fill="url(#pr)" stroke="#1F2A3A" stroke-width="1"/>'
            '<path d="M0.7,12 L6.3,12 Q6.4,15.5 3.5,18 Q0.6,15.5 0.7,12 Z" fill="url(#pw)" stroke="#1F2A3A" stroke-width="1"/>'
            '<path d="M2.2,7 Q2.2,9 2.4,10.5" stroke="#FFFFFF" stroke-width="0.9" opacity="0.8" fill="none"/>'
            # the line from the float down to where the stretched line begins (y 223)
            '<rect x="3" y="18" width="1" height="34" fill="#24323F" fill-opacity="0.8"/>'
            '<rect x="2" y="19" width="1" height="33" fill="#24323F" fill-opacity="0.18"/>'
            '<rect x="4" y="19" width="1" height="33" fill="#24323F" fill-opacity="0.18"/>')
    return svg_doc(7, POPLAVOK_H, body, d)


def leska():
    return svg_doc(7, 1, '<rect x="3" y="0" width="1" height="1" fill="#24323F" fill-opacity="0.8"/>'
                         '<rect x="2" y="0" width="1" height="1" fill="#24323F" fill-opacity="0.18"/>'
                         '<rect x="4" y="0" width="1" height="1" fill="#24323F" fill-opacity="0.18"/>')


def kruk():
    body = ('<path d="M3.5,0.8 L3.5,10 Q3.5,13.4 1.4,12.6 Q0.4,12 0.9,10.4" stroke="#1F2A3A" stroke-width="2.6" '
            'fill="none" stroke-linecap="round"/>'
            '<path d="M3.5,0.8 L3.5,10 Q3.5,13.4 1.4,12.6 Q0.4,12 0.9,10.4" stroke="#C8D3DC" stroke-width="1.1" '
            'fill="none" stroke-linecap="round"/>'
            '<circle cx="3.5" cy="1.6" r="1.4" fill="none" stroke="#1F2A3A" stroke-width="1"/>'
            '<path d="M0.9,10.4 L2.2,11.3" stroke="#1F2A3A" stroke-width="1"/>')
    return svg_doc(7, 14, body)


ROD_W, ROD_H = 36, 64
ROD_TIP = (0.8, 54)
ROD_HAND = (24, 10)


def udochka():
    defs = lin_grad("rodg", [(0, "#5C3A1A"), (1, "#C98A4A")], 1, 0, 0, 1)
    frames = []
    tx, ty = ROD_TIP
    hx, hy = ROD_HAND
    for i, (cxo, cyo) in enumerate(((0, 0), (-3, -4), (-13, -18))):
        mx, my = (tx + hx) / 2 + cxo, (ty + hy) / 2 + cyo
        # extend the butt beyond the hands along the rod's direction at the hand
        dx, dy = hx - mx, hy - my
        ln = math.hypot(dx, dy)
        bx, by = hx + dx / ln * 10, hy + dy / ln * 10
        rod = f"M{f(tx)},{f(ty)} Q{f(mx)},{f(my)} {f(hx)},{f(hy)} L{f(bx)},{f(by)}"
        handle = math.radians([0, 120, 240][i])
        rx, ry = hx - 4 + dx / ln * -2, hy + 5
        knob = (rx + 4 * math.cos(handle), ry + 4 * math.sin(handle))
        g = (f'<path d="{rod}" stroke="#1F2A3A" stroke-width="3.6" fill="none" stroke-linecap="round"/>'
             f'<path d="{rod}" stroke="#D08A3E" stroke-width="1.7" fill="none" stroke-linecap="round"/>'
             f'<path d="M{f(hx + dx / ln * 2)},{f(hy + dy / ln * 2)} L{f(bx)},{f(by)}" stroke="#1F2A3A" stroke-width="4.6" '
             f'stroke-linecap="round"/><path d="M{f(hx + dx / ln * 2)},{f(hy + dy / ln * 2)} L{f(bx)},{f(by)}" '
             f'stroke="#3C5A8C" stroke-width="2.6" stroke-linecap="round"/>'
             f'<path d="M{f(tx)},{f(ty)} L{f(tx)},{ROD_H}" stroke="#E9F2F6" stroke-width="0.9" opacity="0.9"/>'
             # reel
             f'<circle cx="{f(rx)}" cy="{f(ry)}" r="4.2" fill="#B8C4CE" stroke="#1F2A3A" stroke-width="1.4"/>'
             f'<path d="M{f(rx)},{f(ry)} L{f(knob[0])},{f(knob[1])}" stroke="#1F2A3A" stroke-width="1.4"/>'
             f'<circle cx="{f(knob[0])}" cy="{f(knob[1])}" r="1.5" fill="#E0312B" stroke="#1F2A3A" stroke-width="0.8"/>'
             # the angler's fist around the grip
             f'<ellipse cx="{f(hx)}" cy="{f(hy)}" rx="3.6" ry="3.2" fill="#F2C29B" stroke="#1F2A3A" stroke-width="1.4"/>'
             f'<circle cx="{f(tx)}" cy="{f(ty)}" r="1" fill="#1F2A3A"/>')
        frames.append(g)
    return sheet(ROD_W, ROD_H, frames, defs), (ROD_W, ROD_H, 3)


# ---------------------------------------------------------------- angler

PLAYER_W, PLAYER_H = 66, 74


def player_body(pfx="pl"):
    """The angler in a bucket hat, facing left; rod hands at (31, 47)."""
    d = (lin_grad(f"{pfx}v", [(0, "#8DB150"), (1, "#5E7F2C")], 0, 0, 0, 1) +
         lin_grad(f"{pfx}t", [(0, "#4E6E9E"), (1, "#2E4670")], 0, 0, 0, 1) +
         lin_grad(f"{pfx}h", [(0, "#E6D39A"), (1, "#B89B5A")], 0, 0, 0, 1) +
         rad_grad(f"{pfx}s", [(0, "#FFE0C4"), (1, "#EDB58C")], 0.35, 0.35, 0.7))
    g = (
        # back arm (behind the body)
        f'<path d="M47,31 Q40,40 35,44" stroke="{OUTLINE}" stroke-width="7" fill="none" stroke-linecap="round"/>'
        f'<path d="M47,31 Q40,40 35,44" stroke="#4E6B22" stroke-width="4.4" fill="none" stroke-linecap="round"/>'
        # legs and boots
        f'<path d="M39,52 L37,66 L45,66 L46,55 L48,66 L56,66 L55,52 Z" fill="url(#{pfx}t)" {ST}/>'
        f'<path d="M35,64 L46,64 L46,71 L32,71 Q31,67 35,64 Z" fill="#2F3B2F" {ST}/>'
        f'<path d="M47,64 L57,64 L57,71 L44,71 Q44,67 47,64 Z" fill="#35443A" {ST}/>'
        # striped shirt under the vest
        f'<path d="M40,25 L54,25 L56,52 L38,52 Z" fill="#F4F8FA" {ST}/>'
        f'<path d="M40,29 L55,29 M39,33 L55,33 M39,37 L55,37 M39,41 L56,41 M38,45 L56,45 M38,49 L56,49" '
        f'stroke="#2E4670" stroke-width="1.6"/>'
        # vest
        f'<path d="M38,25 L45,25 L43,53 L36,53 Q35,40 38,25 Z" fill="url(#{pfx}v)" {ST}/>'
        f'<path d="M52,25 L57,26 Q59,40 57,53 L50,53 Z" fill="url(#{pfx}v)" {ST}/>'
        f'<rect x="37.5" y="40" width="5" height="5" rx="1" fill="#6E8F38" {THIN}/>'
        f'<path d="M35,53 L58,53" {ST}/>'
        # head
        f'<circle cx="47" cy="16" r="9.5" fill="url(#{pfx}s)" {ST}/>'
        f'<path d="M53,16 q3,1 1,4" fill="#EDB58C" {THIN}/>'
        f'<circle cx="37.5" cy="18.5" r="3.3" fill="#F2A07C" {THIN}/>'
        f'<path d="M37,21.5 Q40,25 45,22.5 Q43,20.5 40,21 Z" fill="#8A5A2E" {THIN}/>'
        f'<circle cx="42" cy="15" r="1.4" fill="{OUTLINE}"/><circle cx="41.6" cy="14.5" r="0.45" fill="#FFFFFF"/>'
        f'<path d="M40,12 q2,-1.3 3.8,0" stroke="{OUTLINE}" stroke-width="1" fill="none" stroke-linecap="round"/>'
        f'<circle cx="45" cy="20" r="2" fill="#F49A8A" opacity="0.5"/>'
        # bucket hat
        f'<path d="M38,11 Q39,1 48,1 Q57,1 57,11 Z" fill="url(#{pfx}h)" {ST}/>'
        f'<path d="M33,11.5 Q47,7.5 61,11.5 Q62,14 58,13.5 Q47,11 36,13.5 Q32,14 33,11.5 Z" fill="#CDB373" {ST}/>'
        f'<path d="M39,8 L57,8" stroke="#7A6232" stroke-width="1.6"/>'
        f'<path d="M56,5 l3,-3 l1,3 z" fill="#E0312B" {THIN}/>'
        # front arm reaching to the grip
        f'<path d="M46,28 Q41,40 33,44" stroke="{OUTLINE}" stroke-width="7.4" fill="none" stroke-linecap="round"/>'
        f'<path d="M46,28 Q41,40 33,44" stroke="#7C9F40" stroke-width="4.8" fill="none" stroke-linecap="round"/>'
    )
    return d, g


def player():
    d, g = player_body()
    return svg_doc(PLAYER_W, PLAYER_H, g, d)


# ---------------------------------------------------------------- scenery sprites

def weed_sheet(tall, frames_n=8):
    w, h = (84, 238) if tall else (64, 128)
    rng_blades = ([(-14, 0.95, 7, 0.0), (-4, 1.0, 8, 0.6), (8, 0.82, 7, 1.3), (16, 0.68, 6, 2.1), (-22, 0.6, 5, 2.9)]
                  if tall else [(-10, 0.95, 7, 0.3), (2, 1.0, 8, 1.1), (12, 0.75, 6, 2.0), (-18, 0.62, 5, 2.7)])
    defs = (lin_grad("wd", [(0, WEED_LIGHT), (1, WEED_DARK)], 0, 0, 1, 0) +
            lin_grad("wl", [(0, "#8ED65E"), (1, "#4FA046")], 0, 0, 1, 0))
    frames = []
    base_x = w / 2
    for fi in range(frames_n):
        ph = 2 * math.pi * fi / frames_n
        parts = []
        for bi, (off, hf, bw, phase0) in enumerate(rng_blades):
            L = (h - 6) * hf
            segs = 12
            left, right = [], []
            for s in range(segs + 1):
                t = s / segs
                sway = (w / 2 - 12) * 0.55 * math.sin(ph + phase0 + t * 1.8) * t ** 1.6
                cx = base_x + off * (1 - t * 0.3) + sway + 4 * math.sin(t * 5 + bi)
                cy = h - 2 - L * t
                half = bw / 2 * (1 - t * 0.85) + 0.6
                left.append((cx - half, cy))
                right.append((cx + half, cy))
            tip = right[-1]
            pts = left + [((left[-1][0] + tip[0]) / 2, left[-1][1] - 4)] + right[::-1]
            d = "M" + " L".join(f"{f(x)},{f(y)}" for x, y in pts) + " Z"
            fill = "url(#wd)" if bi % 2 == 0 else "url(#wl)"
            mid = "M" + " L".join(f"{f((a[0] + b[0]) / 2)},{f(a[1])}" for a, b in zip(left[:-2], right[:-2]))
            parts.append(f'<path d="{d}" fill="{fill}" stroke="{OUTLINE}" stroke-width="1.6" stroke-linejoin="round"/>'
                         f'<path d="{mid}" stroke="#B8F08A" stroke-width="1" fill="none" opacity="0.55"/>')
        parts.append(f'<ellipse cx="{f(base_x)}" cy="{h - 3}" rx="{f(w * 0.32)}" ry="3" fill="#2E6B33" '
                     f'stroke="{OUTLINE}" stroke-width="1.4"/>')
        frames.append("".join(parts))
    return sheet(w, h, frames, defs), (w, h, frames_n)


def leafy_sheet(frames_n=8):
    """Pondweed: a few swaying stems with paired leaves (the short weed)."""
    w, h = 64, 128
    defs = (lin_grad("lf", [(0, "#9BDB64"), (1, "#3E8E41")], 0, 0, 1, 1) +
            lin_grad("lf2", [(0, "#A8E070"), (1, "#4A9A44")], 0, 0, 1, 1))
    stems = [(-8, 0.95, 0.0), (6, 1.0, 1.1), (16, 0.7, 2.2), (-18, 0.6, 3.0)]
    frames = []
    for fi in range(frames_n):
        ph = 2 * math.pi * fi / frames_n
        parts = []
        for si, (off, hf, p0) in enumerate(stems):
            L = (h - 8) * hf
            pts = []
            for k in range(13):
                t = k / 12
                x = w / 2 + off * (1 - 0.4 * t) + 9 * math.sin(ph + p0 + t * 1.6) * t ** 1.5
                pts.append((x, h - 3 - L * t))
            stem = "M" + " L".join(f"{f(x)},{f(y)}" for x, y in pts)
            leaves = []
            for k in range(2, 13):
                x, y = pts[k]
                x0, y0 = pts[k - 1]
                ang = math.degrees(math.atan2(y - y0, x - x0))
                size = 1 - 0.45 * k / 12
                for side in ((-1, 1) if k == 12 else ((1,) if (k + si) % 2 else (-1,))):
                    la = ang + side * 55
                    rx, ry = 7.5 * size, 2.8 * size
                    cx = x + math.cos(math.radians(la)) * rx * 0.9
                    cy = y + math.sin(math.radians(la)) * rx * 0.9
                    leaves.append(f'<ellipse cx="{f(cx)}" cy="{f(cy)}" rx="{f(rx)}" ry="{f(ry)}" '
                                  f'transform="rotate({f(la)} {f(cx)} {f(cy)})" fill="url(#{"lf" if si % 2 else "lf2"})" '
                                  f'stroke="{OUTLINE}" stroke-width="1.1"/>')
            parts.append(f'<path d="{stem}" stroke="{OUTLINE}" stroke-width="3.4" fill="none" stroke-linecap="round"/>'
                         f'<path d="{stem}" stroke="#4FA046" stroke-width="1.6" fill="none" stroke-linecap="round"/>'
                         + "".join(leaves))
        parts.append(f'<ellipse cx="{w / 2}" cy="{h - 3}" rx="{f(w * 0.3)}" ry="3" fill="#2E6B33" '
                     f'stroke="{OUTLINE}" stroke-width="1.4"/>')
        frames.append("".join(parts))
    return sheet(w, h, frames, defs), (w, h, frames_n)


VOLNA_W, VOLNA_H = 904, 46


def volna():
    defs = (lin_grad("vw", [(0, "#9BE4F8", 0.9), (0.25, "#6CCBEC", 0.72), (0.6, "#5EC4E8", 0.42), (1, "#5EC4E8", 0)],
                     0, 0, 0, 1))
    period = 56.5  # 16 waves across 904 px
    n = 16
    y0 = 8
    pts = []
    for i in range(0, VOLNA_W * 2 + 1):
        x = i / 2
        y = y0 + 3.2 * math.sin(2 * math.pi * x / period) + 1.2 * math.sin(2 * math.pi * x / (period / 2.5) + 1)
        pts.append((x, y))
    line = "M" + " L".join(f"{f(x)},{f(y)}" for x, y in pts[::2])
    body = f'{line} L{VOLNA_W},{VOLNA_H} L0,{VOLNA_H} Z'
    # foam dashes on crests
    foam = []
    for k in range(n):
        cx = k * period + period * 0.25
        foam.append(f'M{f(cx - 10)},{f(y0 - 1.5)} Q{f(cx)},{f(y0 - 4.4)} {f(cx + 10)},{f(y0 - 1.2)}')
    ripples = []
    for k in range(n * 2):
        cx = k * period / 2 + 14
        yy = 24 + (k % 3) * 6
        ripples.append(f'M{f(cx - 8)},{yy} Q{f(cx)},{yy - 2} {f(cx + 8)},{yy}')
    g = (f'<path d="{body}" fill="url(#vw)"/>'
         f'<path d="{line}" stroke="#FFFFFF" stroke-width="2.2" fill="none" opacity="0.9"/>'
         f'<path d="{line}" stroke="#2E8FB8" stroke-width="1" fill="none" opacity="0.5" transform="translate(0,2)"/>'
         f'<path d="{" ".join(foam)}" stroke="#FFFFFF" stroke-width="2" fill="none" stroke-linecap="round" opacity="0.95"/>'
         f'<path d="{" ".join(ripples)}" stroke="#FFFFFF" stroke-width="1.2" fill="none" stroke-linecap="round" opacity="0.35"/>')
    return svg_doc(VOLNA_W, VOLNA_H, g, defs)


def bubble_g(cx, cy, r):
    return (f'<circle cx="{f(cx)}" cy="{f(cy)}" r="{f(r)}" fill="#D8F6FF" fill-opacity="0.35" stroke="#FFFFFF" '
            f'stroke-width="{f(max(1, r * 0.22))}" stroke-opacity="0.95"/>'
            f'<circle cx="{f(cx - r * 0.35)}" cy="{f(cy - r * 0.38)}" r="{f(max(0.9, r * 0.22))}" fill="#FFFFFF"/>')


def puzir():
    return svg_doc(12, 12, bubble_g(6, 6, 5))


def puziri():
    g = bubble_g(13, 22, 6.5) + bubble_g(6, 11, 4) + bubble_g(16, 7, 3.2) + bubble_g(8, 3.5, 2.2)
    return svg_doc(22, 30, g)


TIME1_W, TIME1_H = 430, 16


def time1():
    w, h = TIME1_W, TIME1_H
    g = (f'<path fill-rule="evenodd" d="M8,0.5 L{w - 8},0.5 A7.5,7.5 0 0 1 {w - 8},15.5 L8,15.5 A7.5,7.5 0 0 1 8,0.5 Z '
         f'M8,3.5 L{w - 8},3.5 A4.5,4.5 0 0 1 {w - 8},12.5 L8,12.5 A4.5,4.5 0 0 1 8,3.5 Z" fill="{PLANK_JOIN}" '
         f'stroke="{OUTLINE}" stroke-width="1"/>'
         f'<path d="M9,5 L{w - 9},5" stroke="#FFFFFF" stroke-width="2" opacity="0.35" stroke-linecap="round"/>'
         f'<path d="M8,2 L{w - 8},2" stroke="#C98A4A" stroke-width="1" opacity="0.8"/>')
    return svg_doc(w, h, g)


def time2():
    defs = (lin_grad("tn", [(0, "#B8F27A"), (0.5, "#5CC441"), (1, "#2E8A30")], 0, 0, 0, 1) +
            lin_grad("ta", [(0, "#FFB08A"), (0.5, "#F24A2E"), (1, "#A81E14")], 0, 0, 0, 1))
    fr = ['<rect x="0" y="0" width="4" height="16" fill="url(#tn)"/>',
          '<rect x="0" y="0" width="4" height="16" fill="url(#ta)"/>']
    return sheet(4, 16, fr, defs), (4, 16, 2)


# ---------------------------------------------------------------- quota icons

ICON_BOX = {1: (42, 18), 2: (40, 22), 3: (40, 24), 4: (40, 28), 5: (40, 22), 6: (56, 30), 7: (38, 20),
            8: (56, 22), 9: (100, 26), 10: (72, 26)}
