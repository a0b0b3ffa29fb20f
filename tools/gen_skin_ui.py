#!/usr/bin/env python3
"""Writes the skin's Qt Designer files (data/skin/**/*.ui), the style sheet and the language files.

Every visible text of a skin is a language key; the keys used here are collected while the files
are built and both language files are written from TEXTS below, so a key without a translation
stops the script. The keyboard picture's buttons come from the layout table of
gen_skin_layout.py; the pictures themselves are drawn by gen_skin_images.py.

Run from anywhere:
    python3 tools/gen_skin_style.py && python3 tools/gen_skin_ui.py && python3 tools/gen_skin_images.py
"""
import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_skin_layout as layout  # noqa: E402
from skin_builder import *  # noqa: E402,F401,F403
from skin_builder import SKIN, USED_KEYS, W, empty_panel  # noqa: E402
from skin_texts import TEXTS  # noqa: E402
import skin_panels  # noqa: E402

def title_bar():
    def tb(name, tip, hide=False):
        ps = p_fixed(32, 32)
        if hide:
            ps.append(hidden())
        return button(name, props=ps, tip=tip)

    return box("QWidget", "title_bar", "H", [
        label("title_logo", props=p_fixed(28, 28)),
        label("title_text", "main_title_text", props=[p_font(50)]),
        spacer("title_spacer", True),
        box("QWidget", "title_status", "H", [
            W("QProgressBar", "setting_progress", props=[hidden(), ("maximum", "number", 100, True),
                                                          ("value", "number", 0, True),
                                                          p_bool("textVisible", False)] +
              p_fixed(120, 6)),
            label("text_test", "main_title_text", props=[hidden()]),
            label("str_test", "main_title_text", props=[hidden()]),
        ]),
        button("control_light_status", "control_light_on_text",
               props=[p_bool("checkable", False)], tip="control_light_tip"),
        tb("gamemodebtn", "gamemode_tip"),
        tb("cloudbtn", "cloud_tip"),
        tb("smarteyesbtn", "smarteyes_tip"),
        tb("skinbtn", "skin_tip"),
        tb("setbtn", "setting_tip"),
        tb("minbtn", "min_tip"),
        tb("maxbtn", "max_tip"),
        tb("restorebtn", "restore_tip", hide=True),
        tb("closebtn", "close_tip"),
    ], props=[("minimumSize", "size", (0, 44), True), ("maximumSize", "size", (16777215, 44), True)],
        spacing=6, margins=(12, 6, 8, 6))


def device_column():
    return box("QWidget", "device_list_panel", "V", [
        label("device_list_title", "device_list_title_text"),
        button("device_select_prev", props=p_fixed(156, 20), tip="device_prev_tip"),
        box("QWidget", "device_select_layout", "V", [], spacing=6),
        button("device_select_next", props=p_fixed(156, 20), tip="device_next_tip"),
        spacer("device_list_spacer", False),
        stacked("device_power_switch", [page("device_power_empty")],
                props=[("minimumSize", "size", (156, 96), True),
                       ("maximumSize", "size", (156, 96), True)]),
    ], props=[("minimumSize", "size", (180, 0), True), ("maximumSize", "size", (180, 16777215), True)],
        spacing=8, margins=(12, 12, 12, 12))


def no_device_page():
    return page("device_page_empty", [
        spacer("nodevice_top", False),
        W("QWidget", "No_device_Link", layout="V", align="Qt::AlignHCenter", children=[
            W("QLabel", "nodevice_image", props=p_fixed(160, 120), align="Qt::AlignHCenter"),
            label("nodevice_title", "nodevice_title_text", props=[p_font(5), p_centre()]),
            label("nodevice_text", "nodevice_text", props=[p_bool("wordWrap", True), p_centre()]),
            label("nodevice_access_title", "nodevice_access_text",
                  props=[p_bool("wordWrap", True), p_centre(), hidden()]),
            label("nodevice_access_reason", None,
                  props=[p_bool("wordWrap", True), p_centre(), hidden()]),
            box("QWidget", "nodevice_btn_row", "H", [
                spacer("nodevice_btn_l", True),
                button("nodevice_ok_btn", "nodevice_ok_text", props=p_fixed(120, 34)),
                spacer("nodevice_btn_r", True),
            ]),
        ], props=[("minimumSize", "size", (420, 0), True), ("maximumSize", "size", (420, 340), True)],
            spacing=12, margins=(24, 24, 24, 24)),
        spacer("nodevice_bottom", False),
    ])


def main_ui():
    root = box("QWidget", "root", "V", [
        title_bar(),
        box("QWidget", "notice_bar", "H", [
            label("notice_text", None, props=[p_bool("wordWrap", True)]),
            button("notice_close", props=p_fixed(24, 24), tip="notice_close_tip"),
        ], props=[hidden()], spacing=8, margins=(12, 6, 12, 6)),
        box("QWidget", "main_body", "H", [
            device_column(),
            stacked("device_switch", [no_device_page()]),
        ]),
    ], props=[p_geom(0, 0, 1000, 640), ("windowTitle", "string", key("main_title_text"), True)])
    write_ui("main.ui", root)


# ---------------------------------------------------------------------------------------------
# msg.ui, menu.ui


def msg_ui():
    root = box("QWidget", "root", "V", [
        box("QWidget", "msg_title_bar", "H", [
            label("MessageTitle", "msg_default_title", props=[p_font(0)]),
            spacer("msg_title_spacer", True),
            button("closebtn", props=p_fixed(28, 28), tip="close_tip"),
        ], margins=(16, 8, 8, 8)),
        label("MessageText", "msg_default_text", props=[p_bool("wordWrap", True)]),
        spacer("msg_spacer", False),
        box("QWidget", "msg_buttons", "H", [
            spacer("msg_btn_spacer", True),
            button("confirm_btn", "msg_confirm_text", props=p_fixed(100, 32)),
            button("cancel_btn", "msg_cancel_text", props=p_fixed(100, 32)),
        ], spacing=12, margins=(16, 8, 16, 16)),
    ], props=[p_geom(0, 0, 400, 220), ("windowTitle", "string", key("msg_default_title"), True)])
    write_ui("msg.ui", root)


def menu_ui():
    root = box("QWidget", "root", "V", [
        button("setwnd_menu", "menu_setting_text"),
        button("about_menu", "menu_about_text"),
        button("autostart_menu", "menu_autostart_text", props=[p_bool("checkable", True)]),
        button("exit", "menu_exit_text"),
    ], props=[p_geom(0, 0, 180, 130)], spacing=2, margins=(4, 4, 4, 4))
    write_ui("menu.ui", root)


# ---------------------------------------------------------------------------------------------
# Device list entry and power control


def device_option_ui():
    root = box("DeviceOption", "root", "H", [
        option("device_select", "tab_header_device",
               props=p_fixed(48, 48) + [p_dyn("normalimage", "common/device_ico/unknow_device_normal.png"),
                                        p_dyn("selectedimage",
                                              "common/device_ico/unknow_device_selected.png")]),
        label("device_select_name", "unknow_device_name_text"),
        spacer("device_option_spacer", True),
        W("QPushButton", "synchro_device_select",
          props=p_fixed(20, 20) + [p_bool("checkable", True),
                                   ("toolTip", "string", key("synchro_device_tip"), True)]),
    ], props=[p_geom(0, 0, 156, 52), ("minimumSize", "size", (156, 52), True),
              ("maximumSize", "size", (156, 52), True)], spacing=6, margins=(2, 2, 2, 2))
    write_ui("XML/CustomControlXML/DeviceOption.ui", root)


def power_ui():
    root = box("MpDevicePower", "root", "V", [
        box("QWidget", "device_power_Layout", "H", [
            label("device_power_status", props=p_fixed(28, 16) + [p_dyn("bkimage", "file='power/powered.png'")]),
            W("QProgressBar", "device_Power_progress",
              props=[("maximum", "number", 100, True), ("value", "number", 0, True),
                     p_bool("textVisible", False), p_bool("invertedAppearance", True)] +
              p_fixed(64, 8)),
            label("device_power_value", props=[p_str("text", ""), p_font(8)]),
            label("device_wuxian_logo", props=p_fixed(16, 16) + [hidden(), p_dyn("bkimage", "file='power/wuxian_logo.png'")]),
        ], spacing=6),
        box("QWidget", "device_phone_layout", "H", [
            # empty until a mouse pad reports what lies on its charger
            label("device_phone_image", props=p_fixed(16, 16)),
            label("device_phone_type", props=[p_str("text", "")]),
        ], spacing=6),
    ], props=[p_geom(0, 0, 156, 96)], spacing=8, margins=(4, 4, 4, 4))
    write_ui("XML/CustomControlXML/MpDevicePower.ui", root)


# ---------------------------------------------------------------------------------------------
# Device pages

TABS = [  # name, text key, page number
    ("deng_Op_tab", "tab_light_text"), ("key_Op_tab", "tab_key_text"),
    ("macro_Op_tab", "tab_macro_text"), ("system_Op_tab", "tab_system_text"),
    ("cursor_Op_tab", "tab_cursor_text"), ("6533_voice_Op_tab", "tab_voice_text"),
    ("magic_Op_tab", "tab_magic_text"), ("Virtual7.1_Op_tab", "tab_virtual_text"),
]


def profile_bar(family, shown_tabs):
    tabs = []
    for name, k in TABS:
        props = [] if name in shown_tabs else [hidden()]
        tabs.append(option(name, family + "_page_tab", k, checked=(name == "deng_Op_tab"),
                           props=props + [("minimumSize", "size", (88, 32), True), p_font(0),
                                          p_dyn("skinrole", "pagetab")]))
    row = box("QWidget", "device_profile_row", "H", [
        label("device_profile_label", "profile_text"),
        W("QComboBox", "device_profile_combo", props=p_fixed(160, 30)),
        button("profile_fun_spread_btn", props=p_fixed(30, 30), tip="profile_menu_tip"),
        spacer("profile_tab_spacer", True),
    ] + tabs, spacing=6, margins=(0, 0, 0, 0))
    # The profile buttons, a row under the bar, hidden until the spread button shows them.
    return box("QWidget", "DeviceProfileItem", "V", [row, panel("profile_menu_layout", family)],
               spacing=4, margins=(0, 6, 0, 6))


# Pages of the two tab layouts: the device selects them by page number, so every family has all
# of them, empty where it has no such panel.
KEY_FUNCTION_PAGES = 3  # lighting, keys (headset: sound), headset voice changer
FUNCTION_PAGES = 4  # the key-function layout, macros (headset: virtual 7.1), DPI, system


def function_switches(key_pages, function_pages):
    """device_function_switch page 0 holds device_key_function_switch; the other pages follow."""
    key_pages = key_pages + [page("keyfunc_page_unused_%d" % i)
                             for i in range(len(key_pages), KEY_FUNCTION_PAGES)]
    function_pages = function_pages + [page("function_page_unused_%d" % i)
                                       for i in range(len(function_pages) + 1, FUNCTION_PAGES)]
    return stacked("device_function_switch", [
        page("function_page_0", [stacked("device_key_function_switch", key_pages)]),
    ] + function_pages)


def panel(name, family):
    """The panel container `name` of a family's page: built by its module in skin_panels/, or
    an empty named container until a panel is written for it."""
    built = skin_panels.build(name, family)
    if built is None:
        return empty_panel(name)
    if name == "profile_menu_layout":  # a row of buttons, shown and hidden by its own button
        return built
    # A panel taller than the window scrolls instead of forcing every page of the stack (and
    # with it the window) to its height.
    return W("QScrollArea", name + "_scroll", layout=None, children=[built], props=[
        p_bool("widgetResizable", True),
        ("frameShape", "enum", "QFrame::NoFrame", True),
        ("styleSheet", "string", "QScrollArea#%s_scroll, QScrollArea#%s_scroll > QWidget > QWidget"
         "#%s { background: transparent; }" % (name, name, name), True)])


def device_page(rel, cls, family, picture, shown_tabs, key_pages, function_pages, name_key):
    root = box(cls, "root", "V", [
        box("QWidget", "device_header", "H", [
            label("device_page_name", name_key, props=[p_font(2)]),
            spacer("device_header_spacer", True),
            button("default_btn", "default_btn_text", props=[("minimumSize", "size", (96, 28), True)]),
        ], margins=(0, 0, 0, 0)),
        picture,
        profile_bar(family, shown_tabs),
        function_switches(key_pages, function_pages),
    ], props=[p_geom(0, 0, 820, 596)], spacing=4, margins=(16, 8, 16, 8))
    write_ui(rel, root)


def key_buttons(entries, with_keys, light_image):
    """entries: (index, x, y, w, h, visible). LED button under the key button of the same place."""
    out = []
    for (i, x, y, w, h, vis) in entries:
        ps = [p_geom(x, y, w, h), p_dyn("lightimage", light_image), p_dyn("skinrole", "led")]
        if not vis:
            ps.append(hidden())
        out.append(W("DeviceKeyButton", "light_%d" % i, props=ps))
    if with_keys:
        for (i, x, y, w, h, vis) in with_keys:
            ps = [p_geom(x, y, w, h), p_dyn("keysetimage", "common/key_set_mark.png"),
                  p_dyn("keyunsetimage", "common/key_unset_mark.png"), p_dyn("skinrole", "key")]
            if not vis:
                ps.append(hidden())
            out.append(W("DeviceKeyButton", "key_%d" % i, props=ps))
    return out


def select_panel(name, size, children, image):
    """The picture: a label drawing the device (below) and the key and LED buttons over it.
    A label lets mouse presses through, so the panel's rubber band still starts on it."""
    picture = W("QLabel", name + "_picture",
                props=[p_geom(0, 0, size[0], size[1]), p_dyn("bkimage", "file='%s'" % image)])
    return W("SelectPanel", name, props=p_fixed(*size), children=[picture] + children)


def centred(inner):
    """The picture directly in the page's layout: the device finds its SelectPanel among the
    page's own children."""
    inner.align = "Qt::AlignHCenter"
    return inner


def keyboard_page():
    keys = layout.keyboard_buttons()
    picture_panel = select_panel("device_key_light", layout.KB_SIZE,
                         key_buttons(keys, keys, "common/key_light.png"),
                         "device/keyboard_picture.png")
    picture = W("QWidget", "keyboard_device_key_light", layout="H",
                children=[spacer("kb_pic_l", True), picture_panel, spacer("kb_pic_r", True)])
    device_page("XML/DeviceXml/keyboarddevice.ui", "OrvaneKeyboardDevice", "kb", picture,
                ["deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"],
                [page("keyfunc_page_light", [panel("LightControlItem", "kb")]),
                 page("keyfunc_page_keyset", [panel("KeySetControlItem", "kb")])],
                [page("function_page_macro", [panel("MacroControlItem", "kb")]),
                 page("function_page_cursor"),
                 page("function_page_system", [panel("KeyboardSystemItem", "kb")])],
                "kb_device_name_text")


def mouse_page():
    leds, keys = layout.mouse_buttons()
    picture_panel = select_panel("mouse_device_key_light", layout.MOUSE_SIZE,
                         key_buttons(leds, keys, "common/led_light.png"), "device/mouse_picture.png")
    device_page("XML/DeviceXml/mousedevice.ui", "OrvaneMouseDevice", "ms",
                centred(picture_panel),
                ["deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab"],
                [page("keyfunc_page_light", [panel("LightControlItem", "ms")]),
                 page("keyfunc_page_keyset", [panel("device_setkeyinfo_layout", "ms"),
                                                   panel("KeySetControlItem", "ms"),
                                                   panel("ShootControlItem", "ms")])],
                [page("function_page_macro", [panel("MacroControlItem", "ms")]),
                 page("function_page_cursor", [panel("mouse_option_layout", "ms")]),
                 page("function_page_system", [panel("mouse_device_seting_layout", "ms")])],
                "ms_device_name_text")


def pad_page():
    leds = layout.pad_buttons()
    picture_panel = select_panel("pad_device_key_light", layout.PAD_SIZE,
                         key_buttons(leds, None, "common/led_light.png"), "device/pad_picture.png")
    device_page("XML/DeviceXml/mousepaddevice.ui", "OrvaneMousePadDevice", "mp",
                centred(picture_panel), ["deng_Op_tab"],
                [page("keyfunc_page_light", [panel("LightControlItem", "mp")])],
                [], "hard_mp_device_name_text")


def headset_page():
    leds = layout.headset_buttons()
    picture_panel = select_panel("hs_device_key_light", layout.HS_SIZE,
                         key_buttons(leds, None, "common/led_light.png"),
                         "device/headset_picture.png")
    device_page("XML/DeviceXml/hs6533device.ui", "OrvaneHS6533Device", "hs",
                centred(picture_panel),
                ["deng_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"],
                [page("keyfunc_page_light", [panel("LightControlItem", "hs")]),
                 page("keyfunc_page_voice", [panel("Voice6533ControlItem", "hs")]),
                 page("keyfunc_page_magic", [panel("MagicControlItem", "hs")])],
                [page("function_page_virtual", [panel("VirtualSetItem", "hs")])],
                "hd_device_name_text")


# ---------------------------------------------------------------------------------------------


def write_languages():
    os.makedirs(os.path.join(SKIN, "lang"), exist_ok=True)
    for idx, name in ((0, "lan_en.json"), (1, "lan_cn.json")):
        # Every key of the table is written, not only those of the .ui files: code sets some of
        # them at run time (power labels, messages, the lighting status text).
        value = {k: v[idx] for k, v in sorted(TEXTS.items())}
        with open(os.path.join(SKIN, "lang", name), "w", encoding="utf-8") as f:
            f.write(json.dumps(value, indent=3, ensure_ascii=False, sort_keys=True) + "\n")


def main():
    main_ui()
    msg_ui()
    menu_ui()
    device_option_ui()
    power_ui()
    keyboard_page()
    mouse_page()
    pad_page()
    headset_page()
    skin_panels.write_files()
    write_languages()


if __name__ == "__main__":
    main()
