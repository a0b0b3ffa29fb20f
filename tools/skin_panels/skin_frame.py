"""The background chooser that opens under the title bar's skin button (skin.ui): preset
pictures, preset colours, a picture of the user's own and the default background. Also draws the
preset pictures (skin_bg/*.png)."""
import os
import struct
import zlib

from skin_builder import (SKIN, W, box, button, key, option, p_bool, p_dyn, p_fixed, p_geom,
                          page, spacer, stacked, write_ui)

PANEL = None

TEXTS = {
    "skin_title_text": ("Background", "皮肤"),
    "skin_image_text": ("Pictures", "图片"),
    "skin_color_text": ("Colours", "颜色"),
    "skin_reset_text": ("Default", "默认"),
    "skin_Custom_text": ("Your picture…", "自定义图片…"),
    "skin_custom_filter": ("Pictures", "图片"),
    "skin_custom_title": ("Choose a background picture", "选择背景图片"),
    "skin_not_image_text": ("This file is not a picture the program can show.",
                            "此文件不是可显示的图片。"),
    "skin_copy_failed_text": ("The picture could not be copied into the program's folder: ",
                              "无法将图片复制到程序文件夹："),
    "skin_image_tip": ("Use this picture as the background", "使用此图片作为背景"),
    "skin_color_tip": ("Use this colour as the background", "使用此颜色作为背景"),
}

# Preset pictures: (file, top-left colour, bottom-right colour).
PICTURES = [
    ("skin_bg/bg_1.png", (0x10, 0x22, 0x3a), (0x05, 0x08, 0x10)),
    ("skin_bg/bg_2.png", (0x3a, 0x10, 0x2a), (0x10, 0x05, 0x10)),
    ("skin_bg/bg_3.png", (0x10, 0x3a, 0x2a), (0x04, 0x10, 0x0c)),
    ("skin_bg/bg_4.png", (0x40, 0x30, 0x10), (0x10, 0x0a, 0x04)),
]
COLOURS = ["#FF1B1C1F", "#FF0E2A47", "#FF2D1B3D", "#FF123524", "#FF3D2B12", "#FF3A1414",
           "#FF2B2B2B", "#FF000000"]


def _argb_to_css(argb):
    a, rgb = int(argb[1:3], 16), argb[3:]
    return "rgba(%d, %d, %d, %d)" % (int(rgb[0:2], 16), int(rgb[2:4], 16), int(rgb[4:6], 16), a)


def _png(path, width, height, top, bottom):
    """A diagonal gradient, written with zlib (no imaging library needed)."""
    rows = []
    for y in range(height):
        row = bytearray([0])
        for x in range(width):
            t = (x / width + y / height) / 2
            row += bytes(int(top[i] + (bottom[i] - top[i]) * t) for i in range(3))
        rows.append(bytes(row))
    raw = zlib.compress(b"".join(rows), 9)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", raw) + chunk(b"IEND", b""))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)


def skin_ui():
    pictures = [button("skin_image_btn_%d" % i, props=p_fixed(96, 62) + [
        p_dyn("userdata", rel), p_dyn("skinrole", "skinpick"),
        ("styleSheet", "string", "border-image: url(skin:%s);" % rel, True),
        ("toolTip", "string", key("skin_image_tip"), True)]) for i, (rel, _, _) in enumerate(PICTURES)]
    colours = [button("skin_color_btn_%d" % i, props=p_fixed(44, 44) + [
        p_dyn("bkcolor", argb), p_dyn("skinrole", "skinpick"),
        ("styleSheet", "string", "background-color: %s;" % _argb_to_css(argb), True),
        ("toolTip", "string", key("skin_color_tip"), True)]) for i, argb in enumerate(COLOURS)]
    root = box("QWidget", "root", "V", [
        box("QWidget", "skin_tabs", "H", [
            option("skin_image", "skin_tabs", "skin_image_text", checked=True),
            option("skin_color", "skin_tabs", "skin_color_text"),
            spacer("skin_tabs_spacer", True),
        ], spacing=6),
        stacked("skin_tab", [
            page("skin_image_page", [box("QWidget", "skin_image_grid", "H", pictures, spacing=6)]),
            page("skin_color_page", [box("QWidget", "skin_color_grid", "H", colours, spacing=6)]),
        ]),
        box("QWidget", "skin_actions", "H", [
            button("skin_Custom", "skin_Custom_text"),
            spacer("skin_actions_spacer", True),
            button("skin_reset", "skin_reset_text"),
        ], spacing=6),
    ], props=[p_geom(0, 0, 430, 150), ("windowTitle", "string", key("skin_title_text"), True)],
        spacing=8, margins=(10, 10, 10, 10))
    write_ui("skin.ui", root)


def build(family):
    return None


def write_files():
    skin_ui()
    for rel, top, bottom in PICTURES:
        _png(os.path.join(SKIN, rel), 400, 256, top, bottom)
