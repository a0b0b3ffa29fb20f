"""The mouse's pointer options (the "system" tab): pointer speed and precision, wheel lines or a
page at a time, double-click speed. A note says which of them this desktop does not take."""
from skin_builder import W, box, label, p_text, spacer

PANEL = "mouse_device_seting_layout"

TEXTS = {
    "pointer_speed_text": ("Pointer speed", "指针速度"),
    "pointer_precision_text": ("Enhance pointer precision", "提高指针精确度"),
    "scroll_speed_text": ("Lines per wheel notch", "滚轮每格滚动行数"),
    "scrolls_page_text": ("Scroll a page at a time", "一次滚动一页"),
    "double_click_text": ("Double-click speed", "双击速度"),
    "pointer_not_taken_text": ("This desktop does not take this setting; it is kept in the profile.",
                               "当前桌面不支持此设置；它仅保存在配置中。"),
    "pointer_apply_failed_text": ("The desktop did not take the setting: ", "桌面未接受此设置："),
}


def slider(name, maximum):
    return W("QSlider", name, props=[("orientation", "enum", "Qt::Horizontal", True),
                                     ("minimum", "number", 0, True),
                                     ("maximum", "number", maximum, True)])


def row(name, title_key, control):
    return box("QWidget", name, "H", [label(name + "_title", title_key), control], spacing=8)


def build(family):
    if family != "ms":
        return None
    return box("QWidget", "mouse_pointer_item", "V", [
        row("pointer_speed_row", "pointer_speed_text", slider("pointer_speed_slider", 9)),
        W("QCheckBox", "pointer_precision_check", props=[p_text("pointer_precision_text")]),
        row("scroll_speed_row", "scroll_speed_text", slider("scroll_speed_slider", 9)),
        W("QCheckBox", "scrolls_page_check", props=[p_text("scrolls_page_text")]),
        row("double_click_row", "double_click_text", slider("double_click_slider", 10)),
        W("QLabel", "pointer_desktop_note", props=[("wordWrap", "bool", "true", True)]),
        spacer("ms_pointer_sp", False),
    ], spacing=8)
