#!/usr/bin/env python3
"""Draws the control panel's icons and toolbar bitmap and writes them to resources/.

Shapes are described in a 0..1 square and rasterised with 4x4 supersampling, so every icon size comes from
the same drawing. Run it again after changing a drawing; the outputs are committed.
"""
import math
import os
import struct
import sys

SUPER = 4


class Canvas:
    def __init__(self, size):
        self.size = size
        self.n = size * SUPER
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * self.n for _ in range(self.n)]

    def _blend(self, x, y, colour):
        r, g, b, a = colour
        pr, pg, pb, pa = self.px[y][x]
        out_a = a + pa * (1 - a)
        if out_a == 0:
            return
        mix = lambda c, pc: (c * a + pc * pa * (1 - a)) / out_a
        self.px[y][x] = (mix(r, pr), mix(g, pg), mix(b, pb), out_a)

    def fill(self, inside, colour):
        """Paints every sample whose centre (in 0..1 units) satisfies inside(x, y)."""
        for y in range(self.n):
            fy = (y + 0.5) / self.n
            for x in range(self.n):
                if inside((x + 0.5) / self.n, fy):
                    self._blend(x, y, colour)

    def pixels(self):
        """Averages the samples down to size x size premultiplied-correct RGBA bytes."""
        out = []
        for y in range(self.size):
            row = []
            for x in range(self.size):
                sr = sg = sb = sa = 0.0
                for dy in range(SUPER):
                    for dx in range(SUPER):
                        r, g, b, a = self.px[y * SUPER + dy][x * SUPER + dx]
                        sr += r * a
                        sg += g * a
                        sb += b * a
                        sa += a
                count = SUPER * SUPER
                a = sa / count
                if sa > 0:
                    r, g, b = sr / sa, sg / sa, sb / sa
                else:
                    r = g = b = 0
                row.append(tuple(int(round(v * 255)) for v in (r, g, b, a)))
            out.append(row)
        return out


def rgb(hexcode, alpha=1.0):
    v = int(hexcode, 16)
    return ((v >> 16) / 255, ((v >> 8) & 255) / 255, (v & 255) / 255, alpha)


def rect(x0, y0, x1, y1, radius=0.0):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 + 1e-12
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, width):
    return lambda x, y: (r - width) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


def polyline(points, width):
    parts = [segment(*points[i], *points[i + 1], width) for i in range(len(points) - 1)]
    return lambda x, y: any(p(x, y) for p in parts)


def sine(x0, x1, cy, amplitude, cycles, width, steps=24):
    pts = []
    for i in range(steps + 1):
        t = i / steps
        pts.append((x0 + (x1 - x0) * t, cy - amplitude * math.sin(2 * math.pi * cycles * t)))
    return polyline(pts, width)


# --- drawings, each a list of (shape, colour) painted in order ---------------------------------------------

def program_icon():
    """A rack unit with a level meter and a wave: the Corvex control panel."""
    return [
        (rect(0.04, 0.18, 0.96, 0.82, 0.08), rgb("1F2A36")),
        (rect(0.08, 0.22, 0.92, 0.78, 0.05), rgb("34495E")),
        (rect(0.14, 0.30, 0.58, 0.70, 0.04), rgb("0B1620")),
        (sine(0.18, 0.54, 0.50, 0.12, 1.5, 0.06), rgb("39D5FF")),
        (rect(0.66, 0.58, 0.72, 0.70), rgb("2ECC71")),
        (rect(0.74, 0.48, 0.80, 0.70), rgb("2ECC71")),
        (rect(0.82, 0.36, 0.88, 0.70), rgb("F1C40F")),
        (circle(0.70, 0.37, 0.045), rgb("E74C3C")),
    ]


def info_icon():
    return [
        (circle(0.5, 0.5, 0.46), rgb("1565C0")),
        (ring(0.5, 0.5, 0.46, 0.06), rgb("0D3C78")),
        (circle(0.5, 0.27, 0.08), rgb("FFFFFF")),
        (rect(0.42, 0.42, 0.58, 0.80, 0.03), rgb("FFFFFF")),
    ]


def channels_icon():
    """Three channel faders."""
    shapes = [(rect(0.06, 0.06, 0.94, 0.94, 0.10), rgb("455A64"))]
    for i, knob in enumerate((0.62, 0.32, 0.48)):
        x = 0.24 + i * 0.26
        shapes.append((rect(x - 0.03, 0.16, x + 0.03, 0.84), rgb("10171C")))
        shapes.append((rect(x - 0.11, knob - 0.07, x + 0.11, knob + 0.07, 0.03), rgb("FF9800")))
    return shapes


def device_icon():
    """A small rack device with its status lights."""
    return [
        (rect(0.02, 0.26, 0.98, 0.78, 0.06), rgb("263238")),
        (rect(0.06, 0.30, 0.94, 0.74, 0.04), rgb("607D8B")),
        (circle(0.20, 0.52, 0.08), rgb("2ECC71")),
        (circle(0.40, 0.52, 0.08), rgb("F1C40F")),
        (rect(0.56, 0.44, 0.88, 0.60, 0.03), rgb("10171C")),
    ]


def mixer_icon():
    """A speaker with sound waves."""
    return [
        (rect(0.10, 0.36, 0.30, 0.64), rgb("37474F")),
        (lambda x, y: 0.28 <= x <= 0.52 and abs(y - 0.5) <= 0.14 + (x - 0.28) * 1.1, rgb("37474F")),
        (lambda x, y: x > 0.60 and ring(0.52, 0.5, 0.22, 0.08)(x, y), rgb("1E88E5")),
        (lambda x, y: x > 0.60 and ring(0.52, 0.5, 0.40, 0.08)(x, y), rgb("1E88E5")),
    ]


def plugin_icon():
    """A plug-in module: a box with a connector."""
    return [
        (rect(0.12, 0.22, 0.88, 0.90, 0.08), rgb("6A1B9A")),
        (rect(0.18, 0.28, 0.82, 0.84, 0.05), rgb("AB47BC")),
        (rect(0.30, 0.06, 0.40, 0.26), rgb("9E9E9E")),
        (rect(0.60, 0.06, 0.70, 0.26), rgb("9E9E9E")),
        (sine(0.26, 0.74, 0.56, 0.12, 1.0, 0.08), rgb("FFFFFF")),
    ]


def rate_icon():
    """A sampled wave: sample rate and buffer settings."""
    shapes = [(rect(0.04, 0.04, 0.96, 0.96, 0.12), rgb("00796B")),
              (sine(0.12, 0.88, 0.5, 0.26, 1.0, 0.08), rgb("FFFFFF"))]
    for i in range(5):
        t = i / 4
        x = 0.12 + 0.76 * t
        y = 0.5 - 0.26 * math.sin(2 * math.pi * t)
        shapes.append((circle(x, y, 0.07), rgb("FFEB3B")))
    return shapes


def about_button():
    """The toolbar's About image: a question mark in a speech bubble."""
    return [
        (rect(0.06, 0.06, 0.94, 0.76, 0.16), rgb("FFF59D")),
        (lambda x, y: 0.20 <= x <= 0.40 and 0.70 <= y <= 0.96 and x - 0.20 <= (0.96 - y) * 0.8, rgb("FFF59D")),
        (lambda x, y: not (y > 0.34 and x < 0.5) and ring(0.5, 0.30, 0.17, 0.10)(x, y), rgb("0D47A1")),
        (rect(0.45, 0.40, 0.56, 0.54), rgb("0D47A1")),
        (circle(0.5, 0.65, 0.06), rgb("0D47A1")),
    ]


def new_button():
    return [(rect(0.20, 0.06, 0.80, 0.94, 0.04), rgb("FFFFFF")),
            (lambda x, y: 0.62 <= x <= 0.80 and 0.06 <= y <= 0.24, rgb("B0BEC5"))]


def open_button():
    return [(rect(0.06, 0.24, 0.90, 0.86, 0.04), rgb("FFCA28")),
            (rect(0.06, 0.14, 0.44, 0.30, 0.04), rgb("FFB300"))]


def save_button():
    return [(rect(0.08, 0.08, 0.92, 0.92, 0.06), rgb("1E88E5")),
            (rect(0.24, 0.08, 0.76, 0.40), rgb("ECEFF1")),
            (rect(0.30, 0.58, 0.70, 0.92), rgb("0D47A1"))]


def render(drawing, size):
    canvas = Canvas(size)
    for inside, colour in drawing:
        canvas.fill(inside, colour)
    return canvas.pixels()


# --- file formats ------------------------------------------------------------------------------------------

def ico_image(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def write_ico(path, drawing, sizes=(16, 32)):
    images = [ico_image(render(drawing, s)) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    with open(path, "wb") as f:
        f.write(out)


def write_toolbar_bmp(path, drawings, width=16, height=15):
    """A 24-bit strip of images on the conventional light grey background, which stands for transparency."""
    background = (192, 192, 192)
    total = width * len(drawings)
    rows = [[background] * total for _ in range(height)]
    for index, drawing in enumerate(drawings):
        pixels = render(drawing, width)
        for y in range(height):
            for x in range(width):
                r, g, b, a = pixels[y + (width - height) // 2][x]
                alpha = a / 255
                if alpha < 0.5:
                    continue  # keep the key colour crisp: no half-blended edge pixels
                rows[y][index * width + x] = (r, g, b)
    stride = (total * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, total, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    write_ico(os.path.join(root, "corvexcpl.ico"), program_icon(), sizes=(16, 32, 48))
    for resource_id, drawing in ((232, info_icon()), (233, channels_icon()), (234, device_icon()),
                                 (235, mixer_icon()), (236, plugin_icon()), (237, rate_icon())):
        write_ico(os.path.join(root, "corvexcpl.%d.ico" % resource_id), drawing)
    write_toolbar_bmp(os.path.join(root, "corvexcpl.toolbar.bmp"),
                      [new_button(), open_button(), save_button(), about_button()])
    return 0


if __name__ == "__main__":
    sys.exit(main())
