"""The key assignment panel of the keyboard and mouse pages: the function of the key picked on the
picture, one page of controls per kind of function, and the apply, default, cancel and
write-to-device buttons."""
from skin_builder import W, box, button, hidden, key, label, option, p_bool, p_fixed, spacer, stacked, page

PANEL = "KeySetControlItem"

TEXTS = {
    "keyset_function_text": ("Function", "功能"),
    "keyset_fn_0": ("Default", "默认"),
    "keyset_fn_1": ("Mouse button", "鼠标按键"),
    "keyset_fn_2": ("Tilt (repeated move)", "摆动（重复移动）"),
    "keyset_fn_3": ("Wheel steps", "滚轮"),
    "keyset_fn_4": ("DPI", "DPI"),
    "keyset_fn_5": ("Rapid fire", "连发"),
    "keyset_fn_6": ("Keyboard key", "键盘按键"),
    "keyset_fn_7": ("Media key", "多媒体键"),
    "keyset_fn_8": ("System key", "系统键"),
    "keyset_fn_9": ("Macro", "宏"),
    "keyset_fn_10": ("Gun key", "枪键"),
    "keyset_fn_11": ("Shortcut", "组合键"),
    "keyset_default_hint": ("The key does what it does out of the box.", "按键恢复出厂功能。"),
    "keyset_direction_text": ("Direction", "方向"),
    "keyset_count_text": ("Count", "次数"),
    "keyset_delay_text": ("Delay (0-15)", "延时（0-15）"),
    "keyset_speed_text": ("Speed (0-15)", "速度（0-15）"),
    "keyset_interval_text": ("Interval", "间隔"),
    "keyset_key_text": ("Key", "按键"),
    "keyset_key_hint": ("Click here, then press a key", "点击此处后按下按键"),
    "keyset_modifier_text": ("With", "组合"),
    "keyset_mod_0": ("None", "无"),
    "keyset_mod_1": ("Ctrl", "Ctrl"),
    "keyset_mod_2": ("Shift", "Shift"),
    "keyset_mod_3": ("Alt", "Alt"),
    "keyset_mod_4": ("Win", "Win"),
    "keyset_macro_text": ("Macro", "宏"),
    "keyset_repeat_text": ("Repeat", "重复"),
    "keyset_repeat_0": ("Mode 1", "模式 1"),
    "keyset_repeat_1": ("Mode 2", "模式 2"),
    "keyset_repeat_2": ("Mode 3", "模式 3"),
    "keyset_repeat_3": ("Mode 4", "模式 4"),
    "keyset_repeat_4": ("A number of times", "指定次数"),
    "keyset_times_text": ("Times", "次数"),
    "keyset_gun_0": ("Gun 1", "枪 1"),
    "keyset_gun_1": ("Gun 2", "枪 2"),
    "keyset_gun_2": ("Gun 3", "枪 3"),
    "keyset_gun_3": ("Gun 4", "枪 4"),
    "keyset_combo_0": ("Open (Ctrl+O)", "打开（Ctrl+O）"),
    "keyset_combo_1": ("New (Ctrl+N)", "新建（Ctrl+N）"),
    "keyset_combo_2": ("Undo (Ctrl+Z)", "撤销（Ctrl+Z）"),
    "keyset_combo_3": ("Save (Ctrl+S)", "保存（Ctrl+S）"),
    "keyset_combo_4": ("Copy (Ctrl+C)", "复制（Ctrl+C）"),
    "keyset_combo_5": ("Cut (Ctrl+X)", "剪切（Ctrl+X）"),
    "keyset_combo_6": ("Paste (Ctrl+V)", "粘贴（Ctrl+V）"),
    "keyset_combo_7": ("Find (Ctrl+F)", "查找（Ctrl+F）"),
    "keyset_combo_8": ("Select all (Ctrl+A)", "全选（Ctrl+A）"),
    "keyset_combo_9": ("Zoom out (Ctrl+-)", "缩小（Ctrl+-）"),
    "keyset_combo_10": ("Zoom in (Ctrl+=)", "放大（Ctrl+=）"),
    "keyset_selected_text": ("Key: ", "按键："),
    "key_butt_keysave_text": ("Apply", "应用"),
    "key_butt_keydefalut_text": ("Default", "恢复默认"),
    "key_butt_keycancel_text": ("Cancel", "取消"),
    "key_butt_prosave_text": ("Write to device", "写入设备"),
    "message_text_6": ("One button must keep the left click: give the left button to another "
                       "button first.",
                       "必须保留一个左键：请先将左键设置到其他按键。"),
    "keyset_write_failed_text": ("The key assignments did not reach the device: ",
                                 "按键设置未写入设备："),
    "keyset_error_no_answer": ("it is not connected or did not answer.", "设备未连接或无应答。"),
    "keyset_error_refused": ("it refused the command.", "设备拒绝了该命令。"),
    "keyset_capture_system_text": ("Press the key, here or in any other program (it still reaches "
                                   "that program).",
                                   "请按下按键，在此处或其他程序中均可（按键仍会传给该程序）。"),
    "keyset_capture_focus_lost": ("Key learning stopped: the window lost the focus.",
                                  "按键学习已停止：窗口失去焦点。"),
    "keyset_capture_devices_gone": ("Key learning stopped: the input devices went away.",
                                    "按键学习已停止：输入设备已移除。"),
    "keyset_capture_timed_out": ("Key learning stopped: no key for two minutes.",
                                 "按键学习已停止：两分钟内无按键。"),
    "keyset_not_saved_text": ("The profile could not be saved; the key keeps its function.",
                              "配置文件无法保存，按键保持原功能。"),
}

MEDIA = ["media_text", "media_play", "media_stop", "media_prev", "media_next", "media_vol_sub",
         "media_vol_add", "media_mute", "web_text", "web_refresh", "wed_stop", "wed_back",
         "wed_forward", "wed_favorite", "web_search", "media_mypc", "media_calc", "media_mail"]


def combo(name, items=None):
    return W("QComboBox", name, items=items or [], props=[("minimumSize", "size", (180, 28), True)])


def edit(name):
    return W("QLineEdit", name, props=p_fixed(64, 28))


def field(name, text_key, control):
    return box("QWidget", name, "H", [label(name + "_label", text_key), control,
                                      spacer(name + "_sp", True)], spacing=8)


def fn_page(n, children):
    name = "keyset_function_page_%d" % n
    return page(name, children + [spacer(name + "_sp", False)])


def build(family):
    if family not in ("kb", "ms"):
        return None
    pages = [
        fn_page(0, [label("keyset_default_label", "keyset_default_hint")]),
        fn_page(1, [combo("keyset_mousekey_combo", ["mouse_key_left", "mouse_key_middle",
                                                    "mouse_key_right", "mouse_key_forward",
                                                    "mouse_key_back"])]),
        fn_page(2, [field("keyset_swing_direction", "keyset_direction_text",
                          combo("keyset_mouseswing_combo",
                                ["mouse_key_left_Swing", "mouse_key_right_Swing"])),
                    field("keyset_swing_count", "keyset_count_text",
                          edit("keyset_mouseswing_num_edit")),
                    field("keyset_swing_delay", "keyset_delay_text",
                          edit("keyset_mouseswing_delay_edit")),
                    field("keyset_swing_speed", "keyset_speed_text",
                          edit("keyset_mouseswing_speed_edit"))]),
        fn_page(3, [field("keyset_wheel_direction", "keyset_direction_text",
                          combo("keyset_mousewheel_combo",
                                ["mouse_key_up_Swing", "mouse_key_down_Swing"])),
                    field("keyset_wheel_count", "keyset_count_text",
                          edit("keyset_mousewheel_num_edit")),
                    field("keyset_wheel_delay", "keyset_delay_text",
                          edit("keyset_mousewheel_delay_edit")),
                    field("keyset_wheel_speed", "keyset_speed_text",
                          edit("keyset_mousewheel_speed_edit"))]),
        fn_page(4, [combo("keyset_mousedpi_combo", ["mouse_key_DPI_add", "mouse_key_DPI_sub",
                                                    "mouse_key_DPI_loop"])]),
        fn_page(5, [field("keyset_fire_interval", "keyset_interval_text",
                          edit("keyset_mousefire_interval_edit")),
                    field("keyset_fire_count", "keyset_count_text",
                          edit("keyset_mousefire_num_edit"))]),
        fn_page(6, [field("keyset_key_field", "keyset_key_text",
                          W("QLineEdit", "keyset_keyboard_text_edit",
                            props=[("minimumSize", "size", (180, 28), True),
                                   ("placeholderText", "string", key("keyset_key_hint"), True),
                                   p_bool("readOnly", True)])),
                    label("keyset_capture_status_label", props=[p_bool("wordWrap", True)]),
                    box("QWidget", "keyset_modifier_row", "H",
                        [label("keyset_modifier_label", "keyset_modifier_text")] +
                        [option("key_ComBox_check_%d" % i, "keyset_modifier", "keyset_mod_%d" % i)
                         for i in range(5)] + [spacer("keyset_modifier_sp", True)], spacing=6)]),
        fn_page(7, [combo("keyset_media_combo", MEDIA)]),
        fn_page(8, [combo("keyset_system_combo", ["system_power", "system_sleep",
                                                  "system_wake_up"])]),
        fn_page(9, [field("keyset_macro_field", "keyset_macro_text", combo("keyset_macro_combo")),
                    field("keyset_repeat_field", "keyset_repeat_text",
                          combo("keyset_macro_over_combo",
                                ["keyset_repeat_%d" % i for i in range(5)])),
                    box("QWidget", "keyset_macro_cycle_layout", "H",
                        [label("keyset_macro_cycle_label", "keyset_times_text"),
                         edit("keyset_macro_cycle_edit"), spacer("keyset_macro_cycle_sp", True)],
                        spacing=8, props=[hidden()])]),
        fn_page(10, [combo("keyset_gunkey_combo", ["keyset_gun_%d" % i for i in range(4)])]),
        fn_page(11, [combo("keyset_combokey_combo", ["keyset_combo_%d" % i for i in range(11)])]),
    ]
    return box("QWidget", "KeySetControlItem", "V", [
        label("keyset_selected_label", "keyset_selected_text"),
        box("QWidget", "keyset_layout", "V", [
            field("keyset_function_row", "keyset_function_text",
                  combo("keyset_function_combo", ["keyset_fn_%d" % i for i in range(12)])),
            stacked("function_switch_tablayout", pages),
        ], spacing=8),
        box("QWidget", "keyset_buttons", "H", [
            button("key_butt_keysave", "key_butt_keysave_text"),
            button("key_butt_keydefalut", "key_butt_keydefalut_text"),
            button("key_butt_keycancel", "key_butt_keycancel_text"),
            button("key_butt_prosave", "key_butt_prosave_text"),
            spacer("keyset_buttons_sp", True),
        ], spacing=8),
        spacer("keyset_sp", False),
    ], spacing=8, margins=(0, 8, 0, 0))
