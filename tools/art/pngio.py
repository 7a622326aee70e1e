"""Minimal PNG reading and writing plus a median-cut quantizer (stdlib only).

Reads the 8-bit RGBA/RGB pictures rsvg-convert writes; writes RGBA, RGB and
palette PNGs. Everything is deterministic: the same pixels give the same bytes.
"""

import struct
import zlib

_SIG = b"\x89PNG\r\n\x1a\n"


def _chunks(data):
    pos = 8
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        yield kind, data[pos + 8:pos + 8 + length]
        pos += 12 + length


def read_png(path):
    """Returns (width, height, rows) with rows a list of bytearrays of RGBA."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != _SIG:
        raise ValueError(f"{path}: not a PNG")
    idat = bytearray()
    width = height = depth = ctype = 0
    for kind, body in _chunks(data):
        if kind == b"IHDR":
            width, height, depth, ctype, _c, _f, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or ctype not in (2, 6) or interlace:
                raise ValueError(f"{path}: unsupported PNG layout")
        elif kind == b"IDAT":
            idat += body
    bpp = 4 if ctype == 6 else 3
    raw = zlib.decompress(bytes(idat))
    stride = width * bpp
    rows = []
    prev = bytearray(stride)
    pos = 0
    for _ in range(height):
        ftype = raw[pos]
        cur = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        if ftype == 1:
            for i in range(bpp, stride):
                cur[i] = (cur[i] + cur[i - bpp]) & 255
        elif ftype == 2:
            for i in range(stride):
                cur[i] = (cur[i] + prev[i]) & 255
        elif ftype == 3:
            for i in range(stride):
                left = cur[i - bpp] if i >= bpp else 0
                cur[i] = (cur[i] + ((left + prev[i]) >> 1)) & 255
        elif ftype == 4:
            for i in range(stride):
                a = cur[i - bpp] if i >= bpp else 0
                b = prev[i]
                c = prev[i - bpp] if i >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                if pa <= pb and pa <= pc:
                    pr = a
                elif pb <= pc:
                    pr = b
                else:
                    pr = c
                cur[i] = (cur[i] + pr) & 255
        prev = cur
        if bpp == 3:
            rgba = bytearray(width * 4)
            rgba[0::4] = cur[0::3]
            rgba[1::4] = cur[1::3]
            rgba[2::4] = cur[2::3]
            rgba[3::4] = b"\xff" * width
            rows.append(rgba)
        else:
            rows.append(cur)
    return width, height, rows


def _write(path, width, height, ctype, depth, raw_rows, plte=None):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\x00" + bytes(r) for r in raw_rows)
    out = _SIG + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, ctype, 0, 0, 0))
    if plte is not None:
        out += chunk(b"PLTE", plte)
    out += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(out)


def write_rgba(path, width, height, rows):
    _write(path, width, height, 6, 8, rows)


def write_palette(path, width, height, index_rows, palette):
    plte = b"".join(bytes(c) for c in palette)
    _write(path, width, height, 3, 8, index_rows, plte)


def median_cut(counts, limit):
    """counts: {(r,g,b): n}. Returns (palette list, map colour->index)."""
    colours = sorted(counts)
    if len(colours) <= limit:
        return colours, {c: i for i, c in enumerate(colours)}
    boxes = [colours]
    while len(boxes) < limit:
        best = None
        for bi, box in enumerate(boxes):
            if len(box) < 2:
                continue
            ranges = [max(c[k] for c in box) - min(c[k] for c in box) for k in range(3)]
            weight = sum(counts[c] for c in box)
            score = max(ranges) * weight
            if best is None or score > best[0]:
                best = (score, bi, ranges.index(max(ranges)))
        if best is None or best[0] == 0:
            break
        _, bi, axis = best
        box = sorted(boxes[bi], key=lambda c: (c[axis], c))
        total = sum(counts[c] for c in box)
        acc = 0
        cut = 1
        for i, c in enumerate(box):
            acc += counts[c]
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, i + 1))
                break
        boxes[bi:bi + 1] = [box[:cut], box[cut:]]
    palette = []
    mapping = {}
    for i, box in enumerate(boxes):
        w = sum(counts[c] for c in box)
        palette.append(tuple((sum(c[k] * counts[c] for c in box) + w // 2) // w for k in range(3)))
        for c in box:
            mapping[c] = i
    return palette, mapping


def write_keyed_8bit(path, width, height, rows, key_mask, key=(255, 0, 255)):
    """Writes an opaque palette PNG: key colour where key_mask is true, the
    rest quantized to at most 255 other colours (never the key itself)."""
    counts = {}
    for y in range(height):
        row = rows[y]
        mrow = key_mask[y]
        for x in range(width):
            if mrow[x]:
                continue
            c = (row[4 * x], row[4 * x + 1], row[4 * x + 2])
            if c == key:
                c = (254, 0, 254)
            counts[c] = counts.get(c, 0) + 1
    palette, mapping = median_cut(counts, 255)
    palette = [key] + [p if p != key else (254, 0, 254) for p in palette]
    out = []
    for y in range(height):
        row = rows[y]
        mrow = key_mask[y]
        r = bytearray(width)
        for x in range(width):
            if mrow[x]:
                r[x] = 0
            else:
                c = (row[4 * x], row[4 * x + 1], row[4 * x + 2])
                if c == key:
                    c = (254, 0, 254)
                r[x] = mapping[c] + 1
        out.append(r)
    write_palette(path, width, height, out, palette)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    return struct.unpack(">II", head[16:24])
