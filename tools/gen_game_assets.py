#!/usr/bin/python3
"""Writes the game's four pictures, game/assets/{title,impact,carre,ball_gif}.gif.

Run from the repository root:  /usr/bin/python3 tools/gen_game_assets.py

Needs Debian's python3-pil (for rendering the DejaVu fonts of fonts-dejavu-core;
their licence is in tools/LICENSE.dejavu-fonts). The build does not run this: the
GIF files it writes are kept in the tree and embedded as they are.

Every picture is a GIF89a with a global colour table (256 entries, 16 for the
font sheet), one graphics-control block of delay 0 and one non-interlaced image.
Magenta (255, 0, 255) is the transparent colour; it sits at index 0.
"""
from PIL import Image, ImageDraw, ImageFont

DEJAVU = "/usr/share/fonts/truetype/dejavu/"
MAGENTA = (255, 0, 255)
NAME = "SPARKBOX"  # the program's name, shown by the logo


# ---------------------------------------------------------------- GIF writer

def lzw(indices, min_code_size):
    """LZW-compresses palette indices the way a GIF decoder reads them back."""
    clear, eoi = 1 << min_code_size, (1 << min_code_size) + 1
    out = bytearray()
    acc = nbits = 0
    size = min_code_size + 1
    next_code = eoi + 1

    def emit(code):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 255)
            acc >>= 8
            nbits -= 8

    def fresh():
        return {bytes([i]): i for i in range(clear)}

    table = fresh()
    emit(clear)
    w = bytes([indices[0]])
    for k in indices[1:]:
        wk = w + bytes([k])
        if wk in table:
            w = wk
            continue
        emit(table[w])
        table[wk] = next_code
        next_code += 1
        if next_code > (1 << size) and size < 12:
            size += 1
        if next_code >= 4093:  # restart well before the 12-bit limit
            emit(clear)
            table, next_code, size = fresh(), eoi + 1, min_code_size + 1
        w = bytes([k])
    emit(table[w])
    # The decoder counts this last code too before it reads the end code.
    next_code += 1
    if next_code > (1 << size) and size < 12:
        size += 1
    emit(eoi)
    if nbits:
        out.append(acc & 255)
    return bytes(out)


def write_gif(path, width, height, palette, indices):
    """palette: list of (r, g, b), length a power of two from 2 to 256."""
    n = len(palette)
    bits = n.bit_length() - 1
    assert 1 << bits == n and 1 <= bits <= 8 and len(indices) == width * height
    assert max(indices) < n
    data = bytearray(b"GIF89a")
    data += width.to_bytes(2, "little") + height.to_bytes(2, "little")
    data += bytes([0x80 | ((bits - 1) << 4) | (bits - 1), 0, 0])
    for rgb in palette:
        data += bytes(rgb)
    # Graphics control: no delay; the transparent flag is for other viewers
    # (the engine finds the transparent colour by its value).
    transparent = palette.index(MAGENTA) if MAGENTA in palette else 0
    data += bytes([0x21, 0xF9, 4, 1 if MAGENTA in palette else 0, 0, 0, transparent, 0])
    data += b"," + bytes(4) + width.to_bytes(2, "little") + height.to_bytes(2, "little") + b"\0"
    min_code = max(2, bits)
    data.append(min_code)
    stream = lzw(indices, min_code)
    for at in range(0, len(stream), 255):
        block = stream[at:at + 255]
        data.append(len(block))
        data += block
    data += b"\0;"
    with open(path, "wb") as f:
        f.write(data)


def paletted(pixels, size=256):
    """pixels: list of (r, g, b). Returns (palette, indices), magenta first."""
    colours = [MAGENTA] + sorted(set(pixels) - {MAGENTA})
    assert len(colours) <= size, len(colours)
    where = {c: i for i, c in enumerate(colours)}
    palette = colours + [(0, 0, 0)] * (size - len(colours))
    return palette, [where[p] for p in pixels]


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


# ---------------------------------------------------------------- ball_gif
# 8 x 48: six 8 x 8 frames, a shaded ball then an arrow head pointing to +x,
# for red, purple and blue. The sprite's centre falls on pixel (4, 4).

BALL = [
    "..####..",
    ".######.",
    "########",
    "########",
    "########",
    "########",
    ".######.",
    "..####..",
]
ARROW = [
    "#.......",
    "###.....",
    "#####...",
    "########",
    "########",
    "#####...",
    "###.....",
    "#.......",
]
HUES = [  # (dark, base, light)
    ((110, 8, 8), (228, 36, 36), (255, 190, 170)),     # red: speed class 0
    ((70, 16, 110), (168, 60, 220), (236, 190, 255)),  # purple: class 1
    ((10, 30, 120), (48, 112, 244), (190, 225, 255)),  # blue: class 2
]


def ball_frame(shape, hue, light_at):
    dark, base, light = hue
    rows = []
    for y, line in enumerate(shape):
        for x, c in enumerate(line):
            if c == ".":
                rows.append(MAGENTA)
                continue
            # Lit from the top left: near the light spot -> light, far -> dark.
            d = ((x - light_at[0]) ** 2 + (y - light_at[1]) ** 2) ** 0.5
            if d < 1.2:
                rows.append(light)
            elif d < 4.2:
                rows.append(mix(light, base, min(1.0, (d - 1.2) / 2.0)))
            else:
                rows.append(mix(base, dark, min(1.0, (d - 4.2) / 2.5)))
    # Quantise the shading to a few steps per hue.
    return [tuple((v // 8) * 8 + 4 if v < 248 else 255 for v in p) if p != MAGENTA else p for p in rows]


def make_ball():
    pixels = []
    for hue in HUES:
        pixels += ball_frame(BALL, hue, (2.5, 2.5))
        pixels += ball_frame(ARROW, hue, (2.0, 3.5))
    palette, indices = paletted(pixels)
    write_gif("game/assets/ball_gif.gif", 8, 48, palette, indices)


# ---------------------------------------------------------------- carre
# 16 x 32: frame 0 the square (grey, darker one-pixel border, a soft bevel),
# frame 1 the cursor: a small diagonal cross, light with a dark edge, centred
# on pixel (8, 8) where the sprite's centre falls.

def make_carre():
    pixels = []
    for y in range(16):
        for x in range(16):
            if x in (0, 15) or y in (0, 15):
                pixels.append((84, 84, 92))
            elif x == 1 or y == 1:
                pixels.append((212, 212, 220))
            elif x == 14 or y == 14:
                pixels.append((132, 132, 140))
            else:
                pixels.append((172, 172, 180))
    core = {(8 + d, 8 + s * d) for d in range(-3, 4) for s in (1, -1)}
    edge = {(x + i, y + j) for x, y in core for i in (-1, 0, 1) for j in (-1, 0, 1)} - core
    for y in range(16):
        for x in range(16):
            pixels.append((255, 255, 255) if (x, y) in core else (20, 20, 36) if (x, y) in edge else MAGENTA)
    palette, indices = paletted(pixels)
    write_gif("game/assets/carre.gif", 16, 32, palette, indices)


# ---------------------------------------------------------------- helpers for fonts

def render_mask(font, text, scale, squeeze, baseline, width, height):
    """Renders text at `scale` times the size and brings it back down with a box
    filter, narrowed by `squeeze`. Returns a coverage grid (0..1) of width x height
    with the baseline on row `baseline`, the ink starting at column 0."""
    big = Image.new("L", (width * scale * 2, height * scale), 0)
    ImageDraw.Draw(big).text((0, baseline * scale), text, font=font, fill=255, anchor="ls")
    box = big.getbbox()
    if box is None:
        return [[0.0] * width for _ in range(height)]
    big = big.crop((box[0], 0, box[2], height * scale))
    w = max(1, round((box[2] - box[0]) * squeeze / scale))
    small = big.resize((w, height), Image.BOX)
    grid = [[0.0] * width for _ in range(height)]
    for y in range(height):
        for x in range(min(w, width)):
            grid[y][x] = small.getpixel((x, y)) / 255.0
    return grid


def dilate(cells, radius=1):
    return {(x + i, y + j) for x, y in cells for i in range(-radius, radius + 1) for j in range(-radius, radius + 1)}


# ---------------------------------------------------------------- impact
# 512 x 128: 32 x 8 cells of 16 x 16, cell n holds the glyph of code n, its ink
# starting at the cell's left column. Printable ASCII and the lower-case
# accented letters (224..255), from DejaVu Sans Condensed Bold, in a light
# gradient with a dark one-pixel edge so they read over any screen colour.

FONT_FILL = [mix((255, 255, 255), (255, 206, 84), t / 11) for t in range(12)]
FONT_EDGE = [(16, 12, 40), (64, 44, 88)]


def make_impact():
    font = ImageFont.truetype(DEJAVU + "DejaVuSansCondensed-Bold.ttf", 14 * 4)
    palette = [MAGENTA] + FONT_EDGE + FONT_FILL + [(0, 0, 0)]
    assert len(palette) == 16
    sheet = [[0] * 512 for _ in range(128)]
    codes = list(range(33, 127)) + list(range(224, 256))
    for code in codes:
        grid = render_mask(font, bytes([code]).decode("latin-1"), 4, 0.92, 12, 14, 16)
        ink = {(x + 1, y) for y in range(16) for x in range(14) if grid[y][x] >= 0.6}
        ink = {(x, y) for x, y in ink if 1 <= y <= 14}
        edge = {(x, y) for x, y in dilate(ink) if 0 <= x < 16 and 0 <= y < 16} - ink
        cx, cy = (code % 32) * 16, (code // 32) * 16
        for x, y in ink:
            sheet[cy + y][cx + x] = 3 + min(11, max(0, (y - 2) * 11 // 11))
        for x, y in edge:
            # The lower edge a little lighter: a hint of relief.
            sheet[cy + y][cx + x] = 1 if (x, y - 1) not in ink else 2
    write_gif("game/assets/impact.gif", 512, 128, palette, [p for row in sheet for p in row])


# ---------------------------------------------------------------- title
# 238 x 37: the name in slanted heavy capitals, a hot vertical gradient
# (white, yellow, orange, red), a dark outline and a drop shadow.

def make_title():
    W, H, S = 238, 37, 4
    font = ImageFont.truetype(DEJAVU + "DejaVuSansCondensed-BoldOblique.ttf", 33 * S)
    big = Image.new("L", (W * S, H * S), 0)
    draw = ImageDraw.Draw(big)
    box = draw.textbbox((0, 0), NAME, font=font)
    tw, th = box[2] - box[0], box[3] - box[1]
    draw.text(((W * S - tw) // 2 - box[0], (H * S - th) // 2 - box[1] - S), NAME, font=font, fill=255)
    fill = big.resize((W, H), Image.BOX)
    inside = {(x, y) for y in range(H) for x in range(W) if fill.getpixel((x, y)) >= 100}
    outline = {(x, y) for x, y in dilate(inside, 1) if 0 <= x < W and 0 <= y < H}
    shadow = {(x + 2, y + 2) for x, y in outline if x + 2 < W and y + 2 < H}
    top = min(y for _, y in inside)
    bottom = max(y for _, y in inside)
    ramp = [(255, 255, 255), (255, 244, 120), (255, 190, 40), (250, 110, 20), (220, 30, 40)]
    pixels = []
    for y in range(H):
        t = (y - top) / max(1, bottom - top) * (len(ramp) - 1)
        i = min(len(ramp) - 2, max(0, int(t)))
        row_colour = mix(ramp[i], ramp[i + 1], min(1.0, max(0.0, t - i)))
        for x in range(W):
            if (x, y) in inside:
                cover = fill.getpixel((x, y)) / 255.0
                # Soft inner edge: blend towards the outline where coverage is partial.
                pixels.append(mix((40, 8, 64), row_colour, min(1.0, (cover - 0.39) / 0.45)))
            elif (x, y) in outline:
                pixels.append((40, 8, 64))
            elif (x, y) in shadow:
                pixels.append((8, 0, 16))
            else:
                pixels.append(MAGENTA)
    # Bring the colours down to 255 plus magenta.
    opaque = Image.new("RGB", (W, H))
    opaque.putdata([p if p != MAGENTA else (0, 0, 0) for p in pixels])
    quant = opaque.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    qpal = quant.getpalette()[:255 * 3]
    qcols = [tuple(qpal[i:i + 3]) for i in range(0, len(qpal), 3)]
    qcols += [(0, 0, 0)] * (255 - len(qcols))
    qcols = [c if c != MAGENTA else (254, 0, 254) for c in qcols]
    palette = [MAGENTA] + qcols
    indices = [0 if p == MAGENTA else 1 + q for p, q in zip(pixels, quant.getdata())]
    write_gif("game/assets/title.gif", W, H, palette, indices)


if __name__ == "__main__":
    make_ball()
    make_carre()
    make_impact()
    make_title()
