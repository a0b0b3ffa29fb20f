"""The mouse's DPI page (the "cursor" tab): the choice of page, then five DPI stages (enabled,
active, value as a slider and as DPI, colour) and the polling rate. The texts of the mouse's
messages about writes live here too."""
from skin_builder import W, box, key, label, option, p_fixed, p_text, page, spacer, stacked

PANEL = "mouse_option_layout"

POLLING = ["125 Hz", "250 Hz", "500 Hz", "1000 Hz", "2000 Hz"]

TEXTS = {
    "ms_page_dpi_text": ("DPI", "DPI"),
    "ms_page_polling_text": ("Polling rate", "回报率"),
    "ms_dpi_title_text": ("DPI stages: the active one is what the mouse uses now",
                          "DPI 档位：当前档位为鼠标正在使用的档位"),
    "ms_dpi_enable_text": ("On", "启用"),
    "ms_dpi_active_text": ("Active", "当前"),
    "ms_dpi_colour_tip": ("Colour of the stage's light", "该档位的灯光颜色"),
    "ms_polling_title_text": ("Reports per second", "每秒回报次数"),
    "ms_write_failed_text": ("The mouse did not take the change (it is kept in the profile): ",
                             "鼠标未接受此更改（已保存在配置中）："),
    "ms_error_no_answer": ("it is not connected or did not answer.", "鼠标未连接或无应答。"),
    "ms_error_unreachable": ("it is switched off or out of its receiver's range.",
                             "鼠标已关闭或超出接收器范围。"),
    "ms_error_refused": ("it refused the command.", "鼠标拒绝了该命令。"),
    "ms_profile_not_saved_text": ("The profile could not be saved; the change was not kept.",
                                  "配置文件无法保存，更改未保留。"),
    "ms_polling_0": ("125 Hz", "125 Hz"),
    "ms_polling_1": ("250 Hz", "250 Hz"),
    "ms_polling_2": ("500 Hz", "500 Hz"),
    "ms_polling_3": ("1000 Hz", "1000 Hz"),
    "ms_polling_4": ("2000 Hz", "2000 Hz"),
}


def stage_row(i):
    return box("QWidget", "DPI_layout_%d" % i, "H", [
        W("QCheckBox", "DPI_enable_check_%d" % i, props=[p_text("ms_dpi_enable_text")]),
        option("DPI_select_check_%d" % i, "ms_dpi_active", "ms_dpi_active_text"),
        W("QSlider", "DPI_slider_%d" % i,
          props=[("orientation", "enum", "Qt::Horizontal", True), ("minimum", "number", 0, True),
                 ("maximum", "number", 100, True)]),
        W("QLineEdit", "DPI_edit_%d" % i, props=p_fixed(72, 26)),
        W("QPushButton", "DPI_color_option_%d" % i,
          props=p_fixed(26, 26) + [("toolTip", "string", key("ms_dpi_colour_tip"), True)]),
    ], spacing=8)


def build(family):
    if family != "ms":
        return None
    options = box("QWidget", "mouse_option_layout", "H", [
        option("mouse_device_seting_option_0", "ms_setting_page", "ms_page_dpi_text", checked=True),
        option("mouse_device_seting_option_1", "ms_setting_page", "ms_page_polling_text"),
        spacer("ms_setting_options_sp", True)], spacing=8)
    dpi_page = page("ms_setting_page_dpi", [label("ms_dpi_title", "ms_dpi_title_text")] +
                    [stage_row(i) for i in range(5)] + [spacer("ms_dpi_sp", False)])
    polling_page = page("ms_setting_page_polling", [
        label("ms_polling_title", "ms_polling_title_text"),
        box("QWidget", "ms_polling_box", "H",
            [option("polling_rate_option_%d" % i, "ms_polling", "ms_polling_%d" % i)
             for i in range(len(POLLING))] + [spacer("ms_polling_sp", True)], spacing=8),
        spacer("ms_polling_page_sp", False)])
    return box("QWidget", "mouse_cursor_item", "V", [
        options, stacked("mouse_device_seting_layout", [dpi_page, polling_page])], spacing=8)
