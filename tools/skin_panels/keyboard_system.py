"""The keyboard's system panel: Windows lock, W key, 6-key mode, polling rate, repeat rate and
delay with a field to try them."""
from skin_builder import W, box, button, key, label, option, p_bool, p_text, spacer

PANEL = "KeyboardSystemItem"

TEXTS = {
    "winlock_text": ("Lock Windows key", "锁定 Win 键"),
    "wkey_text": ("Swap W/A/S/D and arrows", "WASD 与方向键互换"),
    "six_key_text": ("6-key mode", "六键模式"),
    "polling_rate_text": ("Polling rate", "回报率"),
    "polling_rate_0": ("125 Hz", "125 Hz"),
    "polling_rate_1": ("250 Hz", "250 Hz"),
    "polling_rate_2": ("500 Hz", "500 Hz"),
    "polling_rate_3": ("1000 Hz", "1000 Hz"),
    "repeat_rate_text": ("Repeat rate", "重复速率"),
    "repeat_delay_text": ("Repeat delay", "重复延迟"),
    "repeat_delay_0": ("250 ms", "250 毫秒"),
    "repeat_delay_1": ("500 ms", "500 毫秒"),
    "repeat_delay_2": ("750 ms", "750 毫秒"),
    "repeat_delay_3": ("1000 ms", "1000 毫秒"),
    "Repeat_Delay_Time": ("Repeat delay: ", "重复延迟："),
    "Repeat_input_text": ("Hold a key here to try the repeat", "在此按住按键测试重复"),
    "reset_repeat_text": ("Clear", "清空"),
    "kb_write_failed_text": ("The keyboard did not take the change: ", "键盘未接受此更改："),
    "kb_error_no_answer": ("it is not connected or did not answer.", "键盘未连接或无应答。"),
    "kb_error_unreachable": ("it could not be reached.", "无法连接键盘。"),
    "kb_error_refused": ("it refused the command.", "键盘拒绝了该命令。"),
    "kb_error_profile": ("it only takes key tables for its first profile.", "键盘只接受第一个配置的按键表。"),
    "kb_error_not_on_cable": ("The keyboard's system settings can only be changed on its cable.",
                              "键盘的系统设置只能在有线连接时更改。"),
    "kb_profile_not_saved_text": ("The profile could not be saved; the change was not kept.",
                                  "配置文件无法保存，更改未保留。"),
}


def build(family):
    def group(title_key, names_keys, grp):
        return box("QWidget", grp + "_box", "H",
                   [label(grp + "_title", title_key)] +
                   [option(n, grp, k) for n, k in names_keys] + [spacer(grp + "_sp", True)],
                   spacing=8)
    return box("QWidget", "KeyboardSystemItem", "V", [
        box("QWidget", "keyboard_flags_box", "H", [
            W("QPushButton", "winlockflag_option", props=[p_text("winlock_text"), p_bool("checkable", True)]),
            W("QPushButton", "wflag_option", props=[p_text("wkey_text"), p_bool("checkable", True)]),
            W("QPushButton", "6flag_option", props=[p_text("six_key_text"), p_bool("checkable", True)]),
            spacer("kb_flags_sp", True)], spacing=8),
        group("polling_rate_text", [("polling_rate_option_%d" % i, "polling_rate_%d" % i)
                                    for i in range(4)], "polling_rate"),
        box("QWidget", "repeat_rate_box", "H", [
            label("repeat_rate_title", "repeat_rate_text"),
            W("QSlider", "repeat_rate_slider",
              props=[("orientation", "enum", "Qt::Horizontal", True),
                     ("minimum", "number", 0, True), ("maximum", "number", 5, True)]),
            W("QLabel", "repeat_rate_value_label"),
        ], spacing=8),
        group("repeat_delay_text", [("repeat_delay_check_%d" % i, "repeat_delay_%d" % i)
                                    for i in range(4)], "repeat_delay"),
        label("repeat_delay_time_label1", "Repeat_Delay_Time"),
        box("QWidget", "repeat_test_box", "H", [
            W("QLineEdit", "repeat_input_richedit",
              props=[("placeholderText", "string", key("Repeat_input_text"), True)]),
            button("reset_repeat_btn", "reset_repeat_text"),
        ], spacing=8),
        spacer("kb_system_sp", False),
    ], spacing=8)
