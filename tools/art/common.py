"""Shared palette, SVG helpers and fonts for the game's pictures."""

from xml.sax.saxutils import escape

OUTLINE = "#1F2A3A"
OW = 2  # outline width at shipped size

SKY_TOP = "#CDEBFF"
SKY_LOW = "#F4FBFF"
SHORE = "#7FB069"
PLANK = "#B07A45"
PLANK_DARK = "#8A5A2E"
PLANK_JOIN = "#5C3A1A"
WATER_TOP = "#5EC4E8"
WATER_DEEP = "#0E4A73"
SAND = "#E9CF8E"
SAND_DARK = "#C9A25A"
WEED_DARK = "#3E8E41"
WEED_LIGHT = "#6CC04A"
PARCHMENT = "#FFF4D6"
BUTTON_UNLIT = "#E8D2A0"
BUTTON_LIT = "#FFD23F"
GOLD = "#FFD200"
BLUE = "#287DFF"

FONT_ROUND = "Comfortaa"
FONT_SANS = "Liberation Sans"
FONT_MONO = "Liberation Mono"


def f(v):
    """Formats a number compactly and deterministically."""
    if isinstance(v, int):
        return str(v)
    s = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def pts(points):
    return " ".join(f"{f(x)},{f(y)}" for x, y in points)


def svg_doc(width, height, body, defs="", view=None):
    vb = view if view else f"0 0 {width} {height}"
    return (f'<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
            f'width="{width}" height="{height}" viewBox="{vb}">\n'
            f"<defs>{defs}</defs>\n{body}\n</svg>\n")


def text(x, y, s, size, fill="#1F2A3A", family=FONT_SANS, weight="normal", anchor="start",
         stroke=None, stroke_width=0, extra=""):
    st = ""
    if stroke:
        st = (f' stroke="{stroke}" stroke-width="{f(stroke_width)}" stroke-linejoin="round" '
              f'paint-order="stroke"')
    return (f'<text x="{f(x)}" y="{f(y)}" font-family="{family}" font-size="{f(size)}" '
            f'font-weight="{weight}" fill="{fill}" text-anchor="{anchor}"{st} {extra}>'
            f"{escape(s)}</text>")


def lin_grad(gid, stops, x1=0, y1=0, x2=0, y2=1, units=None):
    u = f' gradientUnits="{units}"' if units else ""
    s = "".join(f'<stop offset="{f(o)}" stop-color="{c}"' +
                (f' stop-opacity="{f(a)}"' if a is not None else "") + "/>"
                for o, c, a in ((st + (None,))[:3] for st in stops))
    return f'<linearGradient id="{gid}" x1="{f(x1)}" y1="{f(y1)}" x2="{f(x2)}" y2="{f(y2)}"{u}>{s}</linearGradient>'


def rad_grad(gid, stops, cx=0.5, cy=0.5, r=0.5, fx=None, fy=None, units=None):
    u = f' gradientUnits="{units}"' if units else ""
    fx = cx if fx is None else fx
    fy = cy if fy is None else fy
    s = "".join(f'<stop offset="{f(o)}" stop-color="{c}"' +
                (f' stop-opacity="{f(a)}"' if a is not None else "") + "/>"
                for o, c, a in ((st + (None,))[:3] for st in stops))
    return (f'<radialGradient id="{gid}" cx="{f(cx)}" cy="{f(cy)}" r="{f(r)}" fx="{f(fx)}" '
            f'fy="{f(fy)}"{u}>{s}</radialGradient>')


def mix(c1, c2, t):
    a = [int(c1[i:i + 2], 16) for i in (1, 3, 5)]
    b = [int(c2[i:i + 2], 16) for i in (1, 3, 5)]
    return "#" + "".join(f"{round(a[k] + (b[k] - a[k]) * t):02X}" for k in range(3))


class Rng:
    """Small deterministic generator (LCG) so scenery is the same every build."""

    def __init__(self, seed):
        self.s = seed & 0xFFFFFFFF

    def next(self):
        self.s = (self.s * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.s

    def uniform(self, a, b):
        return a + (b - a) * (self.next() / 4294967296.0)

    def randint(self, a, b):
        return a + self.next() % (b - a + 1)


def sheet(frame_w, frame_h, frames, defs=""):
    """One SVG with the frames side by side, each clipped to its cell."""
    n = len(frames)
    clip = f'<clipPath id="cell"><rect x="0" y="0" width="{frame_w}" height="{frame_h}"/></clipPath>'
    body = "".join(f'<g transform="translate({i * frame_w},0)"><g clip-path="url(#cell)">{fr}</g></g>\n'
                   for i, fr in enumerate(frames))
    return svg_doc(frame_w * n, frame_h, body, defs + clip)
