"""The palette window ("PalletDialog.ui"): a palette, twenty preset cells, twenty cells for the
user's own colours, a preview, red/green/blue edits, the seven-colour option and the window's
buttons. Not a page panel: it writes its own file."""
import skin_builder
from skin_builder import (W, box, button, label, option, p_bool, p_dyn, p_fixed, p_geom, p_text,
                          spacer, write_ui)

skin_builder.CUSTOM.setdefault("ColorPalette", ("QWidget", False))

PANEL = "ColorSelectWnd"

# The preset cells' colours (ARGB).
PRESETS = ["#FFFF0000", "#FFFF4000", "#FFFF8000", "#FFFFC000", "#FFFFFF00",
           "#FF80FF00", "#FF00FF00", "#FF00FF80", "#FF00FFFF", "#FF0080FF",
           "#FF0000FF", "#FF4000FF", "#FF8000FF", "#FFC000FF", "#FFFF00FF",
           "#FFFF0080", "#FFFFFFFF", "#FFC0C0C0", "#FF808080", "#FF000000"]

TEXTS = {
    "palette_title_text": ("Colour", "颜色"),
    "palette_preset_text": ("Basic colours", "基本颜色"),
    "palette_custom_text": ("My colours", "自定义颜色"),
    "palette_seven_colour_text": ("Colourful", "七彩"),
    "palette_collect_text": ("Keep", "收藏"),
    "palette_ok_text": ("OK", "确定"),
    "palette_later_text": ("Cancel", "取消"),
    "palette_menu_tip": ("Menu", "菜单"),
    "palette_red_text": ("Red", "红"),
    "palette_green_text": ("Green", "绿"),
    "palette_blue_text": ("Blue", "蓝"),
}


def build(family):
    return None


def _cell(name, group, colour):
    return option(name, group, props=p_fixed(28, 28) + [
        p_dyn("bkcolor", colour),
        ("styleSheet", "string", "background-color: #%s;" % colour[3:], True)])


def _grid(prefix, group, colours):
    rows = []
    for r in range(2):
        rows.append(box("QWidget", "%srow_%d" % (prefix, r), "H",
                        [_cell("%s%d" % (prefix, r * 10 + c), group, colours[r * 10 + c])
                         for c in range(10)] + [spacer("%srow_sp_%d" % (prefix, r), True)],
                        spacing=6))
    return rows


def _edit(name, key_):
    return box("QWidget", name + "_row", "H", [
        label(name + "_label", key_, props=p_fixed(48, 24)),
        W("QLineEdit", name, props=p_fixed(60, 26) + [("maxLength", "number", 3, True)])],
        spacing=6)


def write_files():
    tb = [spacer("palette_title_sp", True)]
    for name, hide in (("menubtn", False), ("minbtn", False), ("maxbtn", False),
                       ("restorebtn", True), ("closebtn", False)):
        props = p_fixed(28, 28) + ([p_bool("visible", False)] if hide else [])
        tb.append(button(name, props=props))
    root = box("QWidget", "root", "V", [
        box("QWidget", "palette_title_bar", "H",
            [label("palette_title", "palette_title_text")] + tb, spacing=4),
        box("QWidget", "palette_body", "H", [
            box("QWidget", "palette_left", "V", [
                W("ColorPalette", "Pallet", props=p_fixed(380, 300)),
                box("QWidget", "7color_layout", "H", [
                    option("7color", "palette_seven", "palette_seven_colour_text"),
                    button("7color_collect", "palette_collect_text"),
                    spacer("7color_sp", True)], spacing=6),
            ], spacing=8),
            box("QWidget", "palette_right", "V", [
                label("palette_preset_title", "palette_preset_text")] +
                _grid("color_option_", "palette_preset", PRESETS) +
                [label("palette_custom_title", "palette_custom_text")] +
                _grid("collect_color_option_", "palette_custom", ["#FFFFFFFF"] * 20) +
                [box("QWidget", "palette_preview_row", "H", [
                    W("QPushButton", "color_show_btn", props=p_fixed(80, 60)),
                    box("QWidget", "palette_edits", "V", [
                        _edit("color_edit_r", "palette_red_text"),
                        _edit("color_edit_g", "palette_green_text"),
                        _edit("color_edit_b", "palette_blue_text")], spacing=4),
                    spacer("palette_preview_sp", True)], spacing=12),
                 spacer("palette_right_sp", False)], spacing=6),
        ], spacing=16),
        box("QWidget", "palette_buttons", "H", [
            spacer("palette_buttons_sp", True),
            button("okbtn", "palette_ok_text", props=p_fixed(100, 32)),
            button("laterbtn", "palette_later_text", props=p_fixed(100, 32))], spacing=12),
    ], props=[p_geom(0, 0, 800, 572)], spacing=10, margins=(16, 8, 16, 16))
    write_ui("PalletDialog.ui", root)
