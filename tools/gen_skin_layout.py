#!/usr/bin/env python3
"""Layout tables of the device pictures: where each key and LED button of a device page sits.

Imported by gen_skin_ui.py (button geometry) and gen_skin_images.py (the drawn pictures), so a
key's button and its drawing always agree. Units: pixels of the page at 96 DPI.

A key and its LED are two buttons at the same place: the device indexes its picture by button
name ("key_N" into the key list, "light_N" into the LED list) and a button has one name. The LED
button lies underneath and paints the light; the key button lies on top, transparent, takes the
clicks and shows the assignment mark.
"""

# Keyboard: rows of (logical key, x, width) in key units, and the row's y in key units. The
# logical key numbers are those of the keyboard's key table; a key's LED has the same number.
# Keys that this keyboard does not have (no LED in its grid) get hidden buttons.
KB_UNIT = 34
KB_MARGIN = 14
KB_ROWS = [
    # function row
    (0.0, [(0, 0.0, 1)] + [(1 + i, 1.25 + i + 0.125 * (i // 4), 1) for i in range(12)] +
     [(13, 14.0, 1), (35, 15.25, 1), (15, 16.375, 1), (36, 17.5, 1), (56, 18.5, 1), (37, 19.5, 1),
      (58, 20.5, 1)]),
    # number row
    (1.25, [(21, 0.0, 1)] + [(22 + i, 1.0 + i, 1) for i in range(10)] +
     [(32, 11.0, 1), (33, 12.0, 1), (34, 13.0, 2), (38, 17.5, 1), (39, 18.5, 1), (40, 19.5, 1),
      (41, 20.5, 1)]),
    # top letter row
    (2.25, [(42, 0.0, 1.5)] + [(43 + i, 1.5 + i, 1) for i in range(10)] +
     [(53, 11.5, 1), (54, 12.5, 1), (55, 13.5, 1.5), (57, 15.25, 1), (59, 17.5, 1), (60, 18.5, 1),
      (61, 19.5, 1)]),
    # home row
    (3.25, [(63, 0.0, 1.75)] + [(64 + i, 1.75 + i, 1) for i in range(9)] +
     [(73, 10.75, 1), (74, 11.75, 1), (75, 12.75, 2.25), (76, 17.5, 1), (77, 18.5, 1),
      (78, 19.5, 1)]),
    # bottom letter row
    (4.25, [(84, 0.0, 1.25), (102, 1.25, 1)] + [(85 + i, 2.25 + i, 1) for i in range(10)] +
     [(95, 12.25, 2.75), (96, 15.25, 1), (97, 17.5, 1), (98, 18.5, 1), (99, 19.5, 1)]),
    # space row
    (5.25, [(105, 0.0, 1.25), (106, 1.25, 1.25), (107, 2.5, 1.25), (108, 3.75, 6.25),
            (109, 10.0, 1), (110, 11.0, 1), (111, 12.0, 1), (112, 13.0, 1), (113, 14.25, 1),
            (114, 15.25, 1), (115, 16.25, 1), (116, 17.5, 2), (117, 19.5, 1)]),
]
# Tall keys of the number pad: (logical key, x, y, height) in key units.
KB_TALL = [(119, 20.5, 2.25, 2.0), (118, 20.5, 4.25, 2.0)]
KB_KEY_COUNT = 170
KB_WIDTH_UNITS = 21.5
KB_HEIGHT_UNITS = 6.25
KB_SIZE = (int(KB_WIDTH_UNITS * KB_UNIT) + 2 * KB_MARGIN, int(KB_HEIGHT_UNITS * KB_UNIT) + 2 * KB_MARGIN)


def keyboard_keys():
    """{logical key: (x, y, w, h)} in pixels, for the keys this keyboard has."""
    u, m = KB_UNIT, KB_MARGIN
    out = {}
    for y, keys in KB_ROWS:
        for k, x, w in keys:
            out[k] = (m + round(x * u), m + round(y * u), round(w * u), u)
    for k, x, y, h in KB_TALL:
        out[k] = (m + round(x * u), m + round(y * u), u, round(h * u))
    return out


def keyboard_buttons():
    """(index, x, y, w, h, visible) for all 170 buttons; a missing key is a hidden 1x1 button."""
    keys = keyboard_keys()
    out = []
    for i in range(KB_KEY_COUNT):
        if i in keys:
            out.append((i,) + keys[i] + (True,))
        else:
            out.append((i, 0, 0, 1, 1, False))
    return out


# Mouse: 15 LEDs (a ring around the shell, the wheel and the logo) and 11 key buttons.
MOUSE_SIZE = (300, 240)
MOUSE_SHELL = (105, 12, 90, 216)  # x, y, w, h of the drawn body


def mouse_buttons():
    leds = []
    x0, y0, w, h = MOUSE_SHELL
    # 6 LEDs down each side, then wheel, logo and tail
    for i in range(6):
        leds.append((i, x0 - 16, y0 + 40 + i * 26, 12, 18, True))
    for i in range(6):
        leds.append((6 + i, x0 + w + 4, y0 + 40 + i * 26, 12, 18, True))
    leds.append((12, x0 + w // 2 - 7, y0 + 30, 14, 24, True))    # wheel
    leds.append((13, x0 + w // 2 - 14, y0 + 120, 28, 28, True))  # logo
    leds.append((14, x0 + w // 2 - 20, y0 + h - 14, 40, 10, True))  # tail
    keys = [
        (0, x0 + 2, y0 + 2, w // 2 - 12, 70, True),            # left button
        (1, x0 + w // 2 + 10, y0 + 2, w // 2 - 12, 70, True),  # right button
        (2, x0 + w // 2 - 9, y0 + 60, 18, 14, True),           # wheel click
        (3, x0 - 38, y0 + 96, 18, 26, True),                   # forward
        (4, x0 - 38, y0 + 126, 18, 26, True),                  # back
        (5, x0 + w // 2 - 9, y0 + 80, 18, 14, True),           # DPI up
        (6, x0 + w // 2 - 9, y0 + 96, 18, 14, True),           # DPI down
        (7, x0 + w + 20, y0 + 96, 18, 26, True),               # right side front
        (8, x0 + w + 20, y0 + 126, 18, 26, True),              # right side back
        (9, x0 - 38, y0 + 66, 18, 26, True),                   # fire key
        (10, x0 + w // 2 - 9, y0 + 158, 18, 14, True),         # mode key under the logo
    ]
    return leds, keys


# Mouse pad: 15 LEDs along the edges of the mat.
PAD_SIZE = (420, 240)
PAD_MAT = (20, 20, 380, 200)


def pad_buttons():
    x0, y0, w, h = PAD_MAT
    leds = []
    for i in range(5):  # top edge
        leds.append((i, x0 + 30 + i * 70, y0 - 6, 40, 12, True))
    for i in range(2):  # right edge
        leds.append((5 + i, x0 + w - 6, y0 + 50 + i * 70, 12, 40, True))
    for i in range(5):  # bottom edge, right to left
        leds.append((7 + i, x0 + w - 70 - i * 70, y0 + h - 6, 40, 12, True))
    for i in range(2):  # left edge, bottom to top
        leds.append((12 + i, x0 - 6, y0 + h - 90 - i * 70, 12, 40, True))
    leds.append((14, x0 + w - 60, y0 + 20, 36, 20, True))  # logo
    return leds


# Headset: 13 LEDs, six on each ear cup ring and the headband.
HS_SIZE = (380, 240)


def headset_buttons():
    leds = []
    cups = ((80, 160), (300, 160))
    import math
    for side, (cx, cy) in enumerate(cups):
        for i in range(6):
            a = math.pi * (0.5 + i / 3.0)
            x = cx + round(48 * math.cos(a)) - 7
            y = cy + round(48 * math.sin(a)) - 7
            leds.append((side * 6 + i, x, y, 14, 14, True))
    leds.append((12, 160, 18, 60, 12, True))  # headband
    return leds
