"""Ten fish species drawn from one parameterised body (facing right).

A body is two Bezier arcs from the tail stalk to the snout; the tail and the
pectoral fin are their own groups that swing by a few degrees per frame.
"""

import math

from common import OUTLINE, f, lin_grad, mix

# Per kind: frame size, body, colours and marks.
SPECIES = {
    1: dict(name="Уклейка", w=44, h=18, back="#5B8FA8", mid="#C8DCE6", belly="#F4F8FA", fin="#D9E4EA",
            tail="fork", hump=0.95, belly_drop=0.9, stalk=0.3, tailfrac=0.24, eye=3.0, stripe="#8FB8CC"),
    2: dict(name="Плотва", w=46, h=24, back="#4F6E8C", mid="#BFD0DC", belly="#F6F4EE", fin="#E5683A",
            tail="fork", hump=1.05, belly_drop=0.95, stalk=0.28, tailfrac=0.23, eye=3.4, iris="#D9402A"),
    3: dict(name="Окунь", w=46, h=29, extra=3, back="#5F7F2E", mid="#B9C95A", belly="#F3EBC0", fin="#E8582E",
            tail="fork", hump=1.12, belly_drop=0.95, stalk=0.3, tailfrac=0.22, eye=3.6, bars=5,
            spiny=True, spiny_color="#6E7F3A"),
    4: dict(name="Карась", w=42, h=33, extra=3, back="#9B7A22", mid="#E3B743", belly="#FBE7A2", fin="#C9952F",
            tail="round_fork", hump=1.25, belly_drop=1.05, stalk=0.34, tailfrac=0.22, eye=3.4, scales=True),
    5: dict(name="Краснопёрка", w=46, h=24, back="#7D8A3A", mid="#E2C25A", belly="#FBF0C8", fin="#E0312B",
            tail="fork", hump=1.05, belly_drop=1.0, stalk=0.28, tailfrac=0.23, eye=3.4, iris="#E0312B"),
    6: dict(name="Лещ", w=66, h=47, extra=5, back="#6F5A36", mid="#C2A267", belly="#EEDDB4", fin="#5E5A56",
            tail="fork", hump=1.35, belly_drop=1.15, stalk=0.22, tailfrac=0.22, eye=4.0, scales=True,
            long_anal=True),
    7: dict(name="Сазан", w=92, h=50, extra=4, back="#6E5420", mid="#CF9A35", belly="#F6DC95", fin="#B0682C",
            tail="fork", hump=1.12, belly_drop=1.0, stalk=0.3, tailfrac=0.2, eye=5.0, scales=True,
            barbels=True, long_dorsal=True),
    8: dict(name="Сом", w=112, h=40, back="#3B3F37", mid="#6D7461", belly="#D8D3BE", fin="#4A4A40",
            tail="round", hump=0.95, belly_drop=0.95, stalk=0.32, tailfrac=0.16, eye=3.2, mottled=True,
            whiskers=True, catfish=True),
    9: dict(name="Щука", w=132, h=32, back="#3E5B2A", mid="#7F9C45", belly="#EEF0D0", fin="#9C6A32",
            tail="fork", hump=0.9, belly_drop=0.9, stalk=0.42, tailfrac=0.16, eye=4.0, spots=True,
            pike=True),
    10: dict(name="Судак", w=100, h=43, extra=5, back="#4C5E55", mid="#A7B4A3", belly="#EEF0E6", fin="#A9AE98",
             tail="fork", hump=1.0, belly_drop=0.95, stalk=0.32, tailfrac=0.18, eye=4.6, bars=7,
             spiny=True, spiny_color="#8A9381", fangs=True, big_spines=True),
}

VALUES = {1: 10, 2: 10, 3: 10, 4: 10, 5: 10, 6: 20, 7: 50, 8: 50, 9: 100, 10: 100}


def fish_group(kind, phase, pfx, w=None, h=None):
    """Returns (defs, body) of a fish facing right in a w x h box.

    phase: swim phase in turns (0 = rest pose, tail straight)."""
    sp = SPECIES[kind]
    W = sp["w"] if w is None else w
    H = sp["h"] if h is None else h
    sx = W / sp["w"]
    sy = H / sp["h"]
    # Work in the species' own units, then scale.
    W0, H0 = sp["w"], sp["h"]
    swing = math.sin(phase * 2 * math.pi) * (13 if kind not in (8, 9) else 9)
    fin_swing = math.sin(phase * 2 * math.pi + 1.2) * 16
    bend = math.sin(phase * 2 * math.pi) * 0.9

    extra = sp.get("extra", 0)  # room above the body for a tall dorsal fin
    cy = (H0 - extra) * 0.5 + extra
    nose_x = W0 - 2.5
    tail_len = W0 * sp["tailfrac"]
    p = 2 + tail_len  # tail stalk x
    bl = nose_x - p
    fin_room = 0.17 if not sp.get("catfish") else 0.08
    bh = (H0 - extra) * (0.5 - fin_room) * 0.98  # half body height
    hump = sp["hump"]
    drop = sp["belly_drop"]
    ph = bh * sp["stalk"]
    nose_dy = bh * 0.12 if not sp.get("catfish") else bh * 0.05
    top_y = cy - bh * hump
    bot_y = cy + bh * drop * 0.85
    cy += (top_y - (cy - bh)) * -0.35  # keep the humped fish inside its box
    top_y = cy - bh * hump
    bot_y = cy + bh * drop * 0.85

    g = pfx
    defs = []
    defs.append(lin_grad(f"{g}b", [(0, sp["back"]), (0.45, sp["mid"]), (1, sp["belly"])],
                         0, top_y, 0, bot_y + 2, units="userSpaceOnUse"))
    defs.append(lin_grad(f"{g}f", [(0, mix(sp["fin"], "#FFFFFF", 0.25)), (1, sp["fin"])], 0, 0, 1, 1))

    if sp.get("pike"):
        body = (f"M{f(p)},{f(cy - ph)} C{f(p + bl * 0.35)},{f(top_y)} {f(p + bl * 0.7)},{f(top_y + bh * 0.05)} "
                f"{f(nose_x - bl * 0.1)},{f(cy - bh * 0.45)} L{f(nose_x)},{f(cy + bh * 0.05)} "
                f"L{f(nose_x - bl * 0.1)},{f(cy + bh * 0.35)} "
                f"C{f(p + bl * 0.7)},{f(bot_y)} {f(p + bl * 0.35)},{f(bot_y)} {f(p)},{f(cy + ph)} Z")
    elif sp.get("catfish"):
        body = (f"M{f(p)},{f(cy - ph)} C{f(p + bl * 0.4)},{f(cy - ph * 1.5)} {f(p + bl * 0.55)},{f(top_y)} "
                f"{f(nose_x - bl * 0.22)},{f(top_y)} C{f(nose_x - bl * 0.05)},{f(top_y)} {f(nose_x + 0.5)},{f(cy - bh * 0.3)} "
                f"{f(nose_x)},{f(cy + bh * 0.05)} C{f(nose_x - 0.5)},{f(cy + bh * 0.5)} {f(nose_x - bl * 0.1)},{f(bot_y)} "
                f"{f(nose_x - bl * 0.25)},{f(bot_y)} C{f(p + bl * 0.5)},{f(bot_y)} {f(p + bl * 0.3)},{f(cy + ph * 1.6)} "
                f"{f(p)},{f(cy + ph)} Z")
    else:
        body = (f"M{f(p)},{f(cy - ph)} C{f(p + bl * 0.3)},{f(top_y)} {f(p + bl * 0.72)},{f(top_y - bh * 0.02)} "
                f"{f(nose_x)},{f(cy + nose_dy)} "
                f"C{f(p + bl * 0.72)},{f(bot_y + bh * 0.1)} {f(p + bl * 0.3)},{f(bot_y)} {f(p)},{f(cy + ph)} Z")

    parts = []
    st = f'stroke="{OUTLINE}" stroke-width="{f(2 / ((sx + sy) / 2))}" stroke-linejoin="round" stroke-linecap="round"'
    thin = f'stroke="{OUTLINE}" stroke-width="{f(1.2 / ((sx + sy) / 2))}" stroke-linejoin="round" stroke-linecap="round"'

    # Tail.
    tl = tail_len
    th = bh * (1.05 if kind not in (8,) else 0.62)
    tx = p + 1
    if sp["tail"] == "fork":
        tail = (f"M{f(tx)},{f(cy - ph * 0.8)} C{f(tx - tl * 0.45)},{f(cy - th * 0.55)} {f(tx - tl * 0.8)},{f(cy - th * 1.0)} "
                f"{f(tx - tl)},{f(cy - th * 1.05)} C{f(tx - tl * 0.75)},{f(cy - th * 0.35)} {f(tx - tl * 0.6)},{f(cy)} "
                f"{f(tx - tl * 0.6)},{f(cy)} C{f(tx - tl * 0.6)},{f(cy)} {f(tx - tl * 0.75)},{f(cy + th * 0.35)} "
                f"{f(tx - tl)},{f(cy + th * 1.05)} C{f(tx - tl * 0.8)},{f(cy + th)} {f(tx - tl * 0.45)},{f(cy + th * 0.55)} "
                f"{f(tx)},{f(cy + ph * 0.8)} Z")
    elif sp["tail"] == "round_fork":
        tail = (f"M{f(tx)},{f(cy - ph * 0.8)} C{f(tx - tl * 0.5)},{f(cy - th * 0.6)} {f(tx - tl)},{f(cy - th * 1.1)} "
                f"{f(tx - tl)},{f(cy - th * 0.7)} Q{f(tx - tl * 0.7)},{f(cy)} {f(tx - tl)},{f(cy + th * 0.7)} "
                f"C{f(tx - tl)},{f(cy + th * 1.1)} {f(tx - tl * 0.5)},{f(cy + th * 0.6)} {f(tx)},{f(cy + ph * 0.8)} Z")
    else:  # round
        tail = (f"M{f(tx)},{f(cy - ph * 0.9)} C{f(tx - tl * 0.6)},{f(cy - th * 0.9)} {f(tx - tl * 1.1)},{f(cy - th * 0.7)} "
                f"{f(tx - tl)},{f(cy)} C{f(tx - tl * 1.1)},{f(cy + th * 0.7)} {f(tx - tl * 0.6)},{f(cy + th * 0.9)} "
                f"{f(tx)},{f(cy + ph * 0.9)} Z")
    tail_rays = "".join(
        f'<path d="M{f(tx - 1)},{f(cy)} L{f(tx - tl * 0.8)},{f(cy + th * k)}" stroke="{OUTLINE}" '
        f'stroke-opacity="0.25" stroke-width="0.8" fill="none"/>' for k in (-0.6, -0.25, 0.25, 0.6))
    parts.append(f'<g transform="rotate({f(swing)} {f(p + 2)} {f(cy)})">'
                 f'<path d="{tail}" fill="url(#{g}f)" {st}/>{tail_rays}</g>')

    # Dorsal fin(s).
    if sp.get("spiny"):
        n = 7 if sp.get("big_spines") else 5
        x0 = p + bl * (0.36 if sp.get("big_spines") else 0.4)
        x1 = p + bl * (0.68 if sp.get("big_spines") else 0.66)
        base = lambda t: cy - bh * hump * (0.93 - 0.12 * (2 * t - 1) ** 2)
        spike_h = bh * (0.8 if sp.get("big_spines") else 0.6)
        pts_ = [(x0, base(0) + 2)]
        for i in range(n + 1):
            t = i / n
            x = x0 + (x1 - x0) * t
            pts_.append((x - 0.6, base(t) - spike_h * (1 - 0.35 * t)))
            if i < n:
                xm = x + (x1 - x0) / n * 0.5
                pts_.append((xm, base(t + 0.5 / n) - spike_h * 0.45))
        pts_.append((x1, base(1) + 2))
        d = "M" + " L".join(f"{f(x)},{f(y)}" for x, y in pts_) + " Z"
        parts.append(f'<path d="{d}" fill="{sp["spiny_color"]}" {thin}/>')
        if kind == 3:
            parts.append(f'<circle cx="{f(x1 - 3)}" cy="{f(base(1) - spike_h * 0.3)}" r="1.6" fill="{OUTLINE}"/>')
        # Soft second dorsal.
        sx0 = x0 - bl * 0.24
        sx1 = x0 - bl * 0.04
        parts.append(f'<path d="M{f(sx0)},{f(cy - bh * 0.75)} Q{f(sx0 + 2)},{f(cy - bh * 1.25)} {f(sx1)},{f(cy - bh * 1.2)} '
                     f'L{f(sx1 + 2)},{f(cy - bh * 0.85)} Z" fill="url(#{g}f)" {thin}/>')
    elif sp.get("pike"):
        dx = p + bl * 0.02
        parts.append(f'<path d="M{f(dx)},{f(cy - ph * 1.2)} Q{f(dx + 4)},{f(cy - bh * 1.45)} {f(dx + bl * 0.16)},{f(cy - bh * 1.25)} '
                     f'L{f(dx + bl * 0.2)},{f(cy - bh * 0.8)} Z" fill="url(#{g}f)" {thin}/>')
    elif sp.get("catfish"):
        dx = p + bl * 0.62
        parts.append(f'<path d="M{f(dx)},{f(top_y + 3)} Q{f(dx + 3)},{f(top_y - bh * 0.35)} {f(dx + 9)},{f(top_y - bh * 0.2)} '
                     f'L{f(dx + 10)},{f(top_y + 2)} Z" fill="url(#{g}f)" {thin}/>')
    else:
        if sp.get("long_dorsal"):
            dx0, dx1 = p + bl * 0.22, p + bl * 0.62
        else:
            dx0, dx1 = p + bl * 0.36, p + bl * 0.6
        top_at = lambda x: top_y + (abs((x - (p + bl * 0.5)) / bl)) ** 2 * bh * 1.6
        peak = bh * (0.55 if kind != 6 else 0.6)
        parts.append(f'<path d="M{f(dx0)},{f(top_at(dx0) + 3)} C{f(dx0 + (dx1 - dx0) * 0.3)},{f(top_at(dx0) - peak * 0.6)} '
                     f'{f(dx1 - 1)},{f(top_at(dx1) - peak * 1.25)} {f(dx1)},{f(top_at(dx1) - peak)} '
                     f'L{f(dx1 + 2)},{f(top_at(dx1) + 3)} Z" fill="url(#{g}f)" {thin}/>')

    # Anal / ventral fins under the body.
    ax0 = p + bl * (0.04 if sp.get("catfish") else 0.14)
    ax1 = p + bl * (0.55 if sp.get("catfish") else (0.42 if sp.get("long_anal") else 0.3))
    depth = bh * (0.3 if sp.get("catfish") else (0.38 if sp.get("long_anal") else 0.45))
    base_y = lambda x: bot_y - 1 - (abs(x - (p + bl * 0.4)) / bl) ** 2 * bh * 0.5
    parts.append(f'<path d="M{f(ax0)},{f(base_y(ax0) - 2)} Q{f(ax0 + (ax1 - ax0) * 0.15)},{f(base_y(ax0) + depth)} '
                 f'{f(ax0 + (ax1 - ax0) * 0.4)},{f(base_y(ax0) + depth * 0.95)} Q{f(ax1 - (ax1 - ax0) * 0.15)},{f(base_y(ax1) + depth * 0.7)} '
                 f'{f(ax1)},{f(base_y(ax1) - 2)} Z" fill="url(#{g}f)" {thin}/>')
    vx = p + bl * 0.5
    parts.append(f'<path d="M{f(vx)},{f(bot_y + 1 - bh * 0.15)} L{f(vx - bh * 0.25)},{f(bot_y + bh * 0.45)} '
                 f'L{f(vx + bh * 0.3)},{f(bot_y + bh * 0.12)} Z" fill="url(#{g}f)" {thin}/>')

    # Body.
    parts.append(f'<path d="{body}" fill="url(#{g}b)" {st}/>')
    clip_id = f"{g}c"
    defs.append(f'<clipPath id="{clip_id}"><path d="{body}"/></clipPath>')
    marks = []
    if sp.get("stripe"):
        marks.append(f'<path d="M{f(p)},{f(cy)} Q{f(p + bl * 0.5)},{f(cy - bh * 0.15)} {f(nose_x)},{f(cy)}" '
                     f'stroke="{sp["stripe"]}" stroke-width="{f(bh * 0.25)}" fill="none" opacity="0.6"/>')
    if sp.get("bars"):
        n = sp["bars"]
        for i in range(n):
            x = p + bl * (0.12 + 0.62 * i / (n - 1))
            wbar = bl * (0.05 if kind == 3 else 0.045)
            marks.append(f'<path d="M{f(x - wbar)},{f(cy - bh * 1.5)} Q{f(x + 1)},{f(cy)} {f(x - wbar * 0.2)},{f(cy + bh * 0.35)} '
                         f'L{f(x + wbar)},{f(cy + bh * 0.3)} Q{f(x + wbar + 2)},{f(cy)} {f(x + wbar)},{f(cy - bh * 1.5)} Z" '
                         f'fill="{OUTLINE}" opacity="{0.38 if kind == 3 else 0.3}"/>')
    if sp.get("scales"):
        r = max(2.2, bh * 0.16)
        rows = []
        y = cy - bh * 0.7
        row = 0
        while y < cy + bh * 0.9:
            x = p + 3 + (r if row % 2 else 0)
            while x < nose_x - bl * 0.22:
                rows.append(f"M{f(x - r)},{f(y)} A{f(r)},{f(r)} 0 0 0 {f(x + r)},{f(y)}")
                x += 2 * r
            y += r * 1.15
            row += 1
        marks.append(f'<path d="{" ".join(rows)}" stroke="{mix(sp["back"], "#000000", 0.3)}" stroke-width="0.7" '
                     f'fill="none" opacity="0.45"/>')
    if sp.get("spots"):
        k = 0
        for row in range(3):
            y = cy - bh * 0.55 + row * bh * 0.5
            x = p + 4 + (row % 2) * 4
            while x < nose_x - bl * 0.3:
                rr = 1.4 + ((k * 7) % 3) * 0.35
                marks.append(f'<ellipse cx="{f(x)}" cy="{f(y + ((k * 5) % 3 - 1))}" rx="{f(rr * 1.5)}" ry="{f(rr)}" '
                             f'fill="#F1E9A0" opacity="0.85"/>')
                x += 9 + (k % 3)
                k += 1
    if sp.get("mottled"):
        k = 0
        for row in range(3):
            y = cy - bh * 0.6 + row * bh * 0.45
            x = p + 3 + row * 3
            while x < nose_x - 10:
                rr = 2 + ((k * 11) % 4) * 0.6
                marks.append(f'<ellipse cx="{f(x)}" cy="{f(y)}" rx="{f(rr * 1.6)}" ry="{f(rr)}" fill="#22261F" opacity="0.35"/>')
                x += 8 + (k * 3) % 5
                k += 1
    # Highlight from the upper left and a lateral line.
    marks.append(f'<ellipse cx="{f(p + bl * 0.55)}" cy="{f(cy - bh * 0.5)}" rx="{f(bl * 0.3)}" ry="{f(bh * 0.22)}" '
                 f'fill="#FFFFFF" opacity="0.3"/>')
    marks.append(f'<path d="M{f(p + 1)},{f(cy + 0.5)} Q{f(p + bl * 0.45)},{f(cy - bh * 0.25)} {f(nose_x - bl * 0.28)},{f(cy - bh * 0.15)}" '
                 f'stroke="{OUTLINE}" stroke-opacity="0.25" stroke-width="0.8" fill="none"/>')
    parts.append(f'<g clip-path="url(#{clip_id})">{"".join(marks)}</g>')

    # Gill line.
    gx = nose_x - bl * (0.3 if not sp.get("pike") else 0.28)
    if sp.get("catfish"):
        gx = nose_x - bl * 0.26
    parts.append(f'<path d="M{f(gx)},{f(cy - bh * 0.62)} Q{f(gx - bh * 0.35)},{f(cy + bh * 0.05)} {f(gx)},{f(cy + bh * 0.7)}" '
                 f'stroke="{OUTLINE}" stroke-opacity="0.55" stroke-width="1.1" fill="none"/>')

    # Eye.
    er = sp["eye"]
    ex = nose_x - bl * (0.13 if not sp.get("pike") else 0.14)
    if sp.get("catfish"):
        ex = nose_x - bl * 0.12
    ey = cy - bh * (0.3 if not sp.get("catfish") else 0.45)
    iris = sp.get("iris")
    parts.append(f'<circle cx="{f(ex)}" cy="{f(ey)}" r="{f(er)}" fill="#FFFFFF" {thin}/>')
    if iris:
        parts.append(f'<circle cx="{f(ex + er * 0.15)}" cy="{f(ey)}" r="{f(er * 0.72)}" fill="{iris}"/>')
    parts.append(f'<circle cx="{f(ex + er * 0.2)}" cy="{f(ey + er * 0.05)}" r="{f(er * 0.48)}" fill="{OUTLINE}"/>')
    parts.append(f'<circle cx="{f(ex - er * 0.05)}" cy="{f(ey - er * 0.25)}" r="{f(max(0.7, er * 0.22))}" fill="#FFFFFF"/>')

    # Mouth.
    if sp.get("pike"):
        parts.append(f'<path d="M{f(nose_x - 1)},{f(cy + bh * 0.1)} L{f(nose_x - bl * 0.16)},{f(cy + bh * 0.12)}" '
                     f'stroke="{OUTLINE}" stroke-width="1.1" fill="none" stroke-linecap="round"/>')
    elif sp.get("catfish"):
        parts.append(f'<path d="M{f(nose_x - 0.5)},{f(cy + bh * 0.12)} Q{f(nose_x - bl * 0.08)},{f(cy + bh * 0.28)} '
                     f'{f(nose_x - bl * 0.14)},{f(cy + bh * 0.1)}" stroke="{OUTLINE}" stroke-width="1.2" fill="none" '
                     f'stroke-linecap="round"/>')
    else:
        parts.append(f'<path d="M{f(nose_x - 0.5)},{f(cy + nose_dy + 0.5)} Q{f(nose_x - bh * 0.25)},{f(cy + nose_dy + bh * 0.18)} '
                     f'{f(nose_x - bh * 0.42)},{f(cy + nose_dy + bh * 0.05)}" stroke="{OUTLINE}" stroke-width="1" fill="none" '
                     f'stroke-linecap="round"/>')
    if sp.get("fangs"):
        fx = nose_x - bh * 0.3
        fy = cy + nose_dy + bh * 0.1
        parts.append(f'<path d="M{f(fx)},{f(fy)} l0.8,2.2 l0.8,-2.1 M{f(fx + 2.6)},{f(fy - 0.3)} l0.7,1.8 l0.7,-1.7" '
                     f'fill="#FFFFFF" stroke="{OUTLINE}" stroke-width="0.5"/>')
    if sp.get("barbels"):
        parts.append(f'<path d="M{f(nose_x - 2)},{f(cy + nose_dy + 1)} q-1,4 -4,5" stroke="{OUTLINE}" stroke-width="1.2" '
                     f'fill="none" stroke-linecap="round"/>')
    if sp.get("whiskers"):
        wob = bend * 1.5
        parts.append(f'<path d="M{f(nose_x - 3)},{f(cy - bh * 0.05)} C{f(nose_x + 2)},{f(cy - bh * 0.5)} '
                     f'{f(nose_x - 6)},{f(cy + bh * 0.9 + wob)} {f(nose_x - 18)},{f(cy + bh * 1.05 + wob)}" '
                     f'stroke="{OUTLINE}" stroke-width="1.6" fill="none" stroke-linecap="round"/>')
        parts.append(f'<path d="M{f(nose_x - 5)},{f(cy + bh * 0.2)} C{f(nose_x - 4)},{f(cy + bh * 0.8)} '
                     f'{f(nose_x - 12)},{f(cy + bh * 0.9 - wob)} {f(nose_x - 22)},{f(cy + bh * 0.75 - wob)}" '
                     f'stroke="{OUTLINE}" stroke-width="1.2" fill="none" stroke-linecap="round"/>')

    # Pectoral fin, swinging.
    pfx_ = gx - bh * 0.05
    pfy = cy + bh * 0.3
    plen = bh * (0.75 if not sp.get("catfish") else 0.6)
    parts.append(f'<g transform="rotate({f(fin_swing)} {f(pfx_)} {f(pfy)})"><path d="M{f(pfx_)},{f(pfy - 1.5)} '
                 f'Q{f(pfx_ - plen * 0.6)},{f(pfy - plen * 0.2)} {f(pfx_ - plen)},{f(pfy + plen * 0.45)} '
                 f'Q{f(pfx_ - plen * 0.3)},{f(pfy + plen * 0.4)} {f(pfx_)},{f(pfy + 1.5)} Z" fill="url(#{g}f)" {thin}/></g>')

    inner = "".join(parts)
    if sx != 1 or sy != 1:
        inner = f'<g transform="scale({f(sx)} {f(sy)})">{inner}</g>'
    return "".join(defs), inner


def fish_frames(kind, facing_right, pfx):
    """Four swim frames; frame 0 is the rest pose."""
    sp = SPECIES[kind]
    frames = []
    defs = []
    for i, phase in enumerate((0.0, 0.25, 0.5, 0.75)):
        d, body = fish_group(kind, phase if i else 0.0, f"{pfx}{i}")
        defs.append(d)
        if not facing_right:
            body = f'<g transform="translate({sp["w"]},0) scale(-1,1)">{body}</g>'
        frames.append(body)
    return "".join(defs), frames
