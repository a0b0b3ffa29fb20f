"""The about window (AboutWnd.ui): the program's name and version."""
from skin_builder import (W, box, button, hidden, key, label, p_bool, p_centre, p_fixed, p_font,
                          p_geom, spacer, write_ui)

PANEL = None

TEXTS = {
    "about_title_text": ("About", "关于"),
    "about_name_text": ("QX-580 Device Center", "QX-580 设备中心"),
    "software_rev_text": ("Software version: ", "软件版本："),
    "about_text": ("Configures the QX-580 keyboard, mouse, mouse pad and headset: lighting, keys, "
                   "macros, pointer and sound.",
                   "配置 QX-580 键盘、鼠标、鼠标垫和耳机：灯光、按键、宏、指针和声音。"),
    "homepage_tip": ("Home page", "主页"),
}


def about_ui():
    def tb(name, tip, hide=False):
        ps = p_fixed(28, 28)
        if hide:
            ps.append(hidden())
        return button(name, props=ps, tip=tip)
    root = box("QWidget", "root", "V", [
        box("QWidget", "title_bar", "H", [
            W("QLabel", "wnd_title", props=[("text", "string", key("about_title_text"), True), p_font(0)]),
            spacer("about_title_spacer", True),
            tb("menubtn", "setting_tip", hide=True),
            tb("minbtn", "min_tip"),
            tb("maxbtn", "max_tip", hide=True),
            tb("restorebtn", "restore_tip", hide=True),
            tb("closebtn", "close_tip"),
        ], spacing=4, margins=(16, 6, 8, 6)),
        spacer("about_top", False),
        W("QLabel", "about_logo", props=p_fixed(96, 96) + [
              ("styleSheet", "string", "image: url(skin:common/logo.png);", True)],
          align="Qt::AlignHCenter"),
        W("QLabel", "about_name", props=[("text", "string", key("about_name_text"), True), p_font(3),
                                         p_centre()]),
        W("QLabel", "software_ver_label", props=[p_font(4), p_centre()]),
        W("QLabel", "about_text", props=[("text", "string", key("about_text"), True),
                                         p_bool("wordWrap", True), p_centre()]),
        button("homepage_btn", props=[hidden()], tip="homepage_tip"),
        spacer("about_bottom", False),
        label("text_test", "about_title_text", props=[hidden()]),
    ], props=[p_geom(0, 0, 800, 572), ("windowTitle", "string", key("about_title_text"), True)],
        spacing=12, margins=(0, 0, 0, 16))
    write_ui("AboutWnd.ui", root)


def build(family):
    return None


def write_files():
    about_ui()
