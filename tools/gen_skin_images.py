#!/usr/bin/env python3
"""Draws the skin's pictures (data/skin/**/*.png): device pictures, list icons, power and phone
states, title-bar glyphs, tray and program icons.

Plain python3: shapes are signed-distance functions rasterised with one pixel of anti-aliasing,
and PNG files are written with zlib and struct. The device pictures take their key and LED
places from gen_skin_layout.py, so the drawing matches the buttons of the page files.

Run from anywhere:  python3 tools/gen_skin_images.py
"""
import math
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_skin_layout as layout  # noqa: E402
from gen_skin_style import COLOURS  # noqa: E402

SKIN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "skin")


def rgb(hexcolour, alpha=255):
    h = hexcolour.lstrip("#")
    return (int(h[0:2], 16), int(h[2:4], 16), int(h[4:6], 16), alpha)


ACCENT = rgb(COLOURS["accent"])
WHITE = (255, 255, 255, 255)
DIM = rgb(COLOURS["text_dim"])
TEXT = rgb(COLOURS["text"])
PANEL = rgb(COLOURS["panel"])
PANEL_HI = rgb(COLOURS["panel_hi"])
LINE = rgb(COLOURS["line"])
WINDOW = rgb(COLOURS["window"])
DANGER = rgb(COLOURS["danger"])
GREEN = (48, 196, 96, 255)
AMBER = (240, 170, 40, 255)


class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(fill) for _ in range(w * h)]

    def blend(self, x, y, colour, cover):
        if cover <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        a = colour[3] / 255.0 * min(cover, 1.0)
        d = self.px[y * self.w + x]
        da = d[3] / 255.0
        oa = a + da * (1 - a)
        if oa <= 0:
            return
        for i in range(3):
            d[i] = int(round((colour[i] * a + d[i] * da * (1 - a)) / oa))
        d[3] = int(round(oa * 255))

    def shape(self, sdf, bbox, colour):
        x0, y0, x1, y1 = bbox
        for y in range(max(0, int(y0) - 1), min(self.h, int(math.ceil(y1)) + 2)):
            for x in range(max(0, int(x0) - 1), min(self.w, int(math.ceil(x1)) + 2)):
                d = sdf(x + 0.5, y + 0.5)
                if d < 0.5:
                    self.blend(x, y, colour, 0.5 - d)

    # shapes ----------------------------------------------------------------------------------
    def rrect(self, x, y, w, h, r, colour):
        cx, cy, hx, hy = x + w / 2.0, y + h / 2.0, w / 2.0, h / 2.0
        r = min(r, hx, hy)

        def sdf(px, py):
            qx, qy = abs(px - cx) - hx + r, abs(py - cy) - hy + r
            return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
        self.shape(sdf, (x, y, x + w, y + h), colour)

    def rrect_outline(self, x, y, w, h, r, width, colour):
        cx, cy, hx, hy = x + w / 2.0, y + h / 2.0, w / 2.0, h / 2.0
        r = min(r, hx, hy)

        def sdf(px, py):
            qx, qy = abs(px - cx) - hx + r, abs(py - cy) - hy + r
            d = math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
            return abs(d + width / 2.0) - width / 2.0
        self.shape(sdf, (x, y, x + w, y + h), colour)

    def circle(self, cx, cy, r, colour):
        self.shape(lambda px, py: math.hypot(px - cx, py - cy) - r,
                   (cx - r, cy - r, cx + r, cy + r), colour)

    def ring(self, cx, cy, r, width, colour, start=None, end=None):
        def sdf(px, py):
            d = abs(math.hypot(px - cx, py - cy) - r) - width / 2.0
            if start is not None:
                a = math.atan2(py - cy, px - cx) % (2 * math.pi)
                if not (start <= a <= end or start <= a + 2 * math.pi <= end):
                    return 9.0
            return d
        m = r + width
        self.shape(sdf, (cx - m, cy - m, cx + m, cy + m), colour)

    def line(self, x0, y0, x1, y1, width, colour):
        dx, dy = x1 - x0, y1 - y0
        ll = dx * dx + dy * dy or 1.0

        def sdf(px, py):
            t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / ll))
            return math.hypot(px - x0 - t * dx, py - y0 - t * dy) - width / 2.0
        m = width
        self.shape(sdf, (min(x0, x1) - m, min(y0, y1) - m, max(x0, x1) + m, max(y0, y1) + m), colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        def sdf(px, py):
            k = math.hypot((px - cx) / rx, (py - cy) / ry)
            return (k - 1.0) * min(rx, ry)
        self.shape(sdf, (cx - rx, cy - ry, cx + rx, cy + ry), colour)

    def vgradient(self, x, y, w, h, top, bottom):
        for yy in range(y, y + h):
            t = (yy - y) / max(1, h - 1)
            c = tuple(int(top[i] + (bottom[i] - top[i]) * t) for i in range(4))
            for xx in range(x, x + w):
                self.blend(xx, yy, c, 1.0)

    def save(self, rel):
        path = os.path.join(SKIN, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)
            for p in self.px[y * self.w:(y + 1) * self.w]:
                raw.extend(p)

        def chunk(tag, data):
            c = struct.pack(">I", len(data)) + tag + data
            return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6,
                                                                   0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
        with open(path, "wb") as f:
            f.write(png)


# ---------------------------------------------------------------------------------------------
# Device pictures


def keyboard_picture():
    w, h = layout.KB_SIZE
    c = Canvas(w, h)
    c.rrect(0, 0, w, h, 12, (40, 42, 47, 255))
    c.rrect_outline(0, 0, w, h, 12, 2, LINE)
    c.rrect(4, 4, w - 8, h - 8, 10, (30, 32, 36, 255))
    for k, (x, y, kw, kh) in layout.keyboard_keys().items():
        c.rrect(x + 2, y + 2, kw - 4, kh - 4, 4, (20, 21, 24, 255))      # well
        c.rrect(x + 3, y + 3, kw - 6, kh - 7, 4, (58, 61, 68, 255))      # cap side
        c.rrect(x + 5, y + 4, kw - 10, kh - 12, 3, (72, 76, 84, 255))    # cap top
    c.line(w - 60, 8, w - 20, 8, 2, ACCENT)  # accent strip on the case
    c.save("device/keyboard_picture.png")
    # the glow an LED button draws over its key, tinted with the LED's colour by the control
    g = Canvas(34, 34)
    g.rrect(1, 1, 32, 32, 5, (255, 255, 255, 90))
    g.rrect(4, 4, 26, 26, 4, (255, 255, 255, 160))
    g.save("common/key_light.png")
    # The marks are drawn over the whole key, so they are key-sized pictures with a bar under
    # the cap: stretched over a wide key the bar only grows longer.
    m = Canvas(34, 34)
    m.rrect(9, 26, 16, 3, 1.5, ACCENT)
    m.save("common/key_set_mark.png")
    m = Canvas(34, 34)
    m.rrect(9, 26, 16, 3, 1.5, DIM)
    m.save("common/key_unset_mark.png")
    led = Canvas(16, 16)
    led.circle(8, 8, 7, (255, 255, 255, 110))
    led.circle(8, 8, 4, (255, 255, 255, 230))
    led.save("common/led_light.png")


def mouse_picture():
    w, h = layout.MOUSE_SIZE
    c = Canvas(w, h)
    x0, y0, mw, mh = layout.MOUSE_SHELL
    cx = x0 + mw / 2.0
    c.ellipse(cx, y0 + mh / 2.0, mw / 2.0 + 4, mh / 2.0 + 4, LINE)
    c.ellipse(cx, y0 + mh / 2.0, mw / 2.0, mh / 2.0, (44, 46, 52, 255))
    c.line(cx, y0 + 6, cx, y0 + 76, 2, (24, 25, 28, 255))
    c.line(x0 + 10, y0 + 78, x0 + mw - 10, y0 + 78, 2, (24, 25, 28, 255))
    c.rrect(cx - 6, y0 + 30, 12, 26, 6, (24, 25, 28, 255))
    c.rrect(cx - 5, y0 + 32, 10, 22, 5, (70, 74, 82, 255))
    c.ring(cx, y0 + 134, 12, 3, ACCENT)
    for (k, x, y, bw, bh, _) in layout.mouse_buttons()[1]:
        if x < x0 or x > x0 + mw:  # side buttons
            c.rrect(x + 2, y + 2, bw - 4, bh - 4, 4, (58, 61, 68, 255))
        elif k in (5, 6, 10):  # DPI and mode buttons on the top
            c.rrect(x + 3, y + 2, bw - 6, bh - 4, 3, (24, 25, 28, 255))
            c.rrect(x + 4, y + 3, bw - 8, bh - 6, 2, (70, 74, 82, 255))
    c.save("device/mouse_picture.png")


def pad_picture():
    w, h = layout.PAD_SIZE
    c = Canvas(w, h)
    x0, y0, pw, ph = layout.PAD_MAT
    c.rrect(x0 - 4, y0 - 4, pw + 8, ph + 8, 16, LINE)
    c.rrect(x0, y0, pw, ph, 14, (36, 38, 43, 255))
    for i in range(0, pw, 24):
        c.line(x0 + i + 12, y0 + 20, x0 + i + 12, y0 + ph - 20, 1, (42, 44, 50, 255))
    c.rrect(x0 + pw - 60, y0 + 20, 36, 20, 4, (58, 61, 68, 255))
    c.save("device/pad_picture.png")


def headset_picture():
    w, h = layout.HS_SIZE
    c = Canvas(w, h)
    c.ring(190, 170, 130, 14, (44, 46, 52, 255), math.pi, 2 * math.pi)
    c.ring(190, 170, 130, 2, LINE, math.pi, 2 * math.pi)
    for cx in (80, 300):
        c.circle(cx, 160, 56, LINE)
        c.circle(cx, 160, 52, (44, 46, 52, 255))
        c.circle(cx, 160, 34, (30, 32, 36, 255))
        c.ring(cx, 160, 20, 3, ACCENT)
    c.save("device/headset_picture.png")


# ---------------------------------------------------------------------------------------------
# Icons


def glyph(c, kind, colour, s):
    """Draws the glyph of a device family scaled to an s x s box at the canvas origin."""
    k = s / 48.0
    if kind == "kb":
        c.rrect_outline(6 * k, 15 * k, 36 * k, 18 * k, 3 * k, 2.2 * k, colour)
        for row in range(2):
            for col in range(5):
                c.rrect((10 + col * 6) * k, (19 + row * 5) * k, 3.5 * k, 3 * k, 0.8 * k, colour)
        c.rrect(14 * k, 29 * k, 20 * k, 2 * k, 1 * k, colour)
    elif kind == "ms":
        c.rrect_outline(15 * k, 8 * k, 18 * k, 32 * k, 9 * k, 2.2 * k, colour)
        c.line(24 * k, 9 * k, 24 * k, 20 * k, 2 * k, colour)
    elif kind in ("hard_mp", "soft_mp"):
        c.rrect_outline(6 * k, 12 * k, 36 * k, 24 * k, (3 if kind == "hard_mp" else 8) * k,
                        2.2 * k, colour)
        c.rrect_outline(25 * k, 16 * k, 10 * k, 15 * k, 5 * k, 1.8 * k, colour)
    elif kind == "hd":
        c.ring(24 * k, 26 * k, 14 * k, 2.4 * k, colour, math.pi, 2 * math.pi)
        c.rrect(8 * k, 24 * k, 7 * k, 13 * k, 3 * k, colour)
        c.rrect(33 * k, 24 * k, 7 * k, 13 * k, 3 * k, colour)
    elif kind == "hub":
        c.circle(24 * k, 24 * k, 5 * k, colour)
        for a in range(4):
            ang = a * math.pi / 2 + math.pi / 4
            ex, ey = 24 * k + 14 * k * math.cos(ang), 24 * k + 14 * k * math.sin(ang)
            c.line(24 * k, 24 * k, ex, ey, 2 * k, colour)
            c.circle(ex, ey, 3 * k, colour)
    else:
        c.ring(24 * k, 24 * k, 14 * k, 2.4 * k, colour)
        c.circle(24 * k, 24 * k, 3 * k, colour)


def device_icons():
    for kind in ("kb", "ms", "hard_mp", "soft_mp", "hd", "hub", "unknow"):
        base = "common/device_ico/%s_device_" % kind
        c = Canvas(48, 48)
        glyph(c, kind, DIM, 48)
        c.save(base + "normal.png")
        c = Canvas(48, 48)
        c.rrect(0, 0, 48, 48, 10, ACCENT)
        glyph(c, kind, WHITE, 48)
        c.save(base + "selected.png")
        c = Canvas(20, 20)
        c.ring(10, 10, 7.5, 1.6, DIM)
        c.save(base + "synchro_normal.png")
        c = Canvas(20, 20)
        c.circle(10, 10, 8.5, ACCENT)
        c.line(6, 10.5, 9, 13.5, 1.8, WHITE)
        c.line(9, 13.5, 14.5, 7, 1.8, WHITE)
        c.save(base + "synchro_selected.png")


def battery(colour, bolt=None, wireless=False):
    c = Canvas(28, 16)
    c.rrect_outline(1, 2, 23, 12, 2.5, 1.6, TEXT)
    c.rrect(24.5, 5.5, 2.5, 5, 1, TEXT)
    c.rrect(3.5, 4.5, 18, 7, 1.5, colour)
    if bolt:
        c.line(14, 4, 11, 8.5, 1.6, bolt)
        c.line(11, 8.5, 15, 8.5, 1.6, bolt)
        c.line(15, 8.5, 12, 13, 1.6, bolt)
    if wireless:
        c.ring(24, 14, 6, 1.4, ACCENT, math.pi * 1.1, math.pi * 1.4)
    return c


def power_images():
    battery(GREEN).save("power/powered.png")
    battery(AMBER, bolt=WHITE).save("power/powering.png")
    battery(AMBER, bolt=WHITE, wireless=True).save("power/wuxian_powering.png")
    battery(ACCENT).save("power/power.png")
    c = Canvas(16, 16)
    for r in (3, 6, 9):
        c.ring(8, 13, r, 1.5, ACCENT, math.pi * 1.25, math.pi * 1.75)
    c.circle(8, 13, 1.5, ACCENT)
    c.save("power/wuxian_logo.png")
    for name, colour in (("iphone", TEXT), ("samsung", ACCENT), ("other", DIM),
                         ("no_device", LINE)):
        c = Canvas(16, 16)
        c.rrect_outline(4, 1, 8, 14, 2, 1.4, colour)
        c.line(7, 12.5, 9, 12.5, 1.2, colour)
        if name == "no_device":
            c.line(2, 2, 14, 14, 1.4, DANGER)
        c.save("power/Phone_type_%s.png" % name)


def title_glyphs():
    def new():
        return Canvas(32, 32)
    c = new(); c.line(11, 11, 21, 21, 1.8, TEXT); c.line(21, 11, 11, 21, 1.8, TEXT)
    c.save("common/title/close.png")
    c = new(); c.line(10, 16, 22, 16, 1.8, TEXT); c.save("common/title/min.png")
    c = new(); c.rrect_outline(10, 10, 12, 12, 1.5, 1.6, TEXT); c.save("common/title/max.png")
    c = new(); c.rrect_outline(9, 12, 10, 10, 1.5, 1.6, TEXT)
    c.line(13, 9, 23, 9, 1.6, TEXT); c.line(23, 9, 23, 19, 1.6, TEXT)
    c.save("common/title/restore.png")
    c = new(); c.ring(16, 16, 6, 2, TEXT)
    for a in range(8):
        ang = a * math.pi / 4
        c.line(16 + 8 * math.cos(ang), 16 + 8 * math.sin(ang), 16 + 10 * math.cos(ang),
               16 + 10 * math.sin(ang), 2.4, TEXT)
    c.save("common/title/setting.png")
    c = new(); c.rrect_outline(9, 9, 14, 14, 3, 1.6, TEXT); c.circle(19, 13, 2, ACCENT)
    c.line(10, 21, 15, 16, 1.6, TEXT); c.line(15, 16, 22, 22, 1.6, TEXT)
    c.save("common/title/skin.png")
    c = new(); c.rrect_outline(7, 11, 18, 11, 5.5, 1.6, TEXT)
    c.line(12, 14, 12, 19, 1.4, TEXT); c.line(9.5, 16.5, 14.5, 16.5, 1.4, TEXT)
    c.circle(20, 15, 1.2, TEXT); c.circle(22, 18, 1.2, TEXT)
    c.save("common/title/gamemode.png")
    c = new(); c.circle(13, 17, 4.5, TEXT); c.circle(19, 15, 5.5, TEXT); c.rrect(9, 17, 16, 5, 2.5, TEXT)
    c.save("common/title/cloud.png")
    c = new(); c.ellipse(16, 16, 9, 5.5, TEXT); c.ellipse(16, 16, 7.4, 4, (0, 0, 0, 0))
    c.circle(16, 16, 2.6, ACCENT); c.save("common/title/smarteyes.png")
    c = Canvas(24, 16); c.line(6, 11, 12, 5, 1.8, DIM); c.line(12, 5, 18, 11, 1.8, DIM)
    c.save("common/arrow_up.png")
    c = Canvas(24, 16); c.line(6, 5, 12, 11, 1.8, DIM); c.line(12, 11, 18, 5, 1.8, DIM)
    c.save("common/arrow_down.png")


def program_icons():
    for name, s in (("common/logo.png", 28), ("common/tray_icon.png", 32),
                    ("common/program_icon.png", 64), ("common/program_icon_256.png", 256)):
        c = Canvas(s, s)
        k = s / 64.0
        c.rrect(2 * k, 2 * k, 60 * k, 60 * k, 14 * k, (34, 36, 41, 255))
        c.ring(32 * k, 32 * k, 19 * k, 6 * k, ACCENT)
        c.line(38 * k, 38 * k, 50 * k, 50 * k, 6 * k, ACCENT)
        c.circle(32 * k, 32 * k, 6 * k, WHITE)
        c.save(name)
    c = Canvas(160, 120)
    glyph(c, "unknow", LINE, 120)
    c.line(100, 30, 150, 80, 3, DIM)
    c.save("common/no_device.png")
    c = Canvas(200, 128)
    c.vgradient(0, 0, 200, 128, (30, 31, 35, 255), (24, 25, 28, 255))
    c.save("common/background.png")


def main():
    keyboard_picture()
    mouse_picture()
    pad_picture()
    headset_picture()
    device_icons()
    power_images()
    title_glyphs()
    program_icons()


if __name__ == "__main__":
    main()
