"""The macro editor: the device's macro list with its buttons, the event rows of the selected
macro with recording, the insertion menu, mouse moves and the row buttons."""
from skin_builder import W, box, button, key, label, p_bool, spacer

PANEL = "MacroControlItem"

TEXTS = {
    "macro_list_title": ("Macros", "宏列表"),
    "macro_add_text": ("New", "新建"),
    "macro_rename_text": ("Rename", "重命名"),
    "macro_delete_text": ("Delete", "删除"),
    "macro_import_text": ("Import", "导入"),
    "macro_export_text": ("Export", "导出"),
    "macro_name_placeholder": ("New name", "新名称"),
    "macro_start_text": ("Record", "开始录制"),
    "macro_stop_text": ("Stop", "停止录制"),
    "macro_constant_text": ("Constant delay (ms)", "固定延迟（毫秒）"),
    "macro_menu_text": ("Insert…", "插入…"),
    "macro_save_text": ("Save", "保存"),
    "macro_cancel_text": ("Revert", "还原"),
    "macro_up_text": ("Up", "上移"),
    "macro_down_text": ("Down", "下移"),
    "macro_top_text": ("To top", "置顶"),
    "macro_bottom_text": ("To bottom", "置底"),
    "macro_row_delete_text": ("Delete row", "删除行"),
    "macro_row_clear_text": ("Delete all", "全部删除"),
    "macro_move_left_text": ("Move left", "左移"),
    "macro_move_right_text": ("Move right", "右移"),
    "macro_move_up_text": ("Move up", "上移"),
    "macro_move_down_text": ("Move down", "下移"),
    "redio_previous_record_time": ("Record before (recorded delays)", "在前录制（记录延迟）"),
    "redio_previous_constant_time": ("Record before (constant delay)", "在前录制（固定延迟）"),
    "redio_previous_ignore_time": ("Record before (no delay)", "在前录制（无延迟）"),
    "redio_later_record_time": ("Record after (recorded delays)", "在后录制（记录延迟）"),
    "redio_later_constant_time": ("Record after (constant delay)", "在后录制（固定延迟）"),
    "redio_later_ignore_time": ("Record after (no delay)", "在后录制（无延迟）"),
    "macro_action_edit": ("Replace with the next key", "替换为下一个按键"),
    "left_down": ("Left button down", "左键按下"),
    "left_up": ("Left button up", "左键抬起"),
    "left_click": ("Left click", "左键单击"),
    "middle_down": ("Middle button down", "中键按下"),
    "middle_up": ("Middle button up", "中键抬起"),
    "middle_click": ("Middle click", "中键单击"),
    "right_down": ("Right button down", "右键按下"),
    "right_up": ("Right button up", "右键抬起"),
    "right_click": ("Right click", "右键单击"),
    "forward_down": ("Forward button down", "前进键按下"),
    "forward_up": ("Forward button up", "前进键抬起"),
    "forward_click": ("Forward click", "前进键单击"),
    "back_down": ("Back button down", "后退键按下"),
    "back_up": ("Back button up", "后退键抬起"),
    "back_click": ("Back click", "后退键单击"),
    "macro_capture_system_text": ("Recording keys and mouse buttons; they still reach other programs.",
                                  "正在录制按键和鼠标按钮，它们仍会传给其他程序。"),
    "macro_capture_focus_lost": ("Recording stopped: the window lost the focus.", "录制已停止：窗口失去焦点。"),
    "macro_capture_devices_gone": ("Recording stopped: the input devices went away.", "录制已停止：输入设备已移除。"),
    "macro_capture_timed_out": ("Recording stopped: no input for two minutes.", "录制已停止：两分钟内无输入。"),
    "macro_list_full_text": ("There are already 50 macros.", "已有 50 个宏。"),
    "macro_delete_failed_text": ("The macro could not be deleted everywhere; see the profiles.",
                                 "无法在所有配置中删除该宏。"),
    "macro_import_failed_text": ("The file could not be imported as a macro.", "无法导入该宏文件。"),
    "macro_export_failed_text": ("The macro could not be exported.", "无法导出该宏。"),
    "macro_device_write_failed_text": ("The keyboard did not take the renumbered keys and macros.",
                                       "键盘未接受重新编号的按键和宏。"),
    "macro_save_failed_text": ("The macro could not be saved.", "无法保存该宏。"),
}


def build(family):
    def row(name, children):
        return box("QWidget", name, "H", children + [spacer(name + "_sp", True)], spacing=6)

    return box("QWidget", "MacroControlItem", "H", [
        box("QWidget", "macro_name_tab", "V", [
            label("macro_list_title", "macro_list_title"),
            W("QListWidget", "macro_name_list"),
            W("QLineEdit", "macro_edit_macroname",
              props=[("placeholderText", "string", key("macro_name_placeholder"), True)]),
            row("macro_name_buttons", [
                button("macro_btn_name_add", "macro_add_text"),
                button("macro_btn_name_edit", "macro_rename_text"),
                button("macro_btn_name_sub", "macro_delete_text")]),
            row("macro_file_buttons", [
                button("macro_btn_import", "macro_import_text"),
                button("macro_btn_export", "macro_export_text")]),
            box("QWidget", "macro_tab_macrodelay_edit", "V", [
            row("macro_move_x_box", [W("QLineEdit", "mouse_x_left_edit"),
                                     button("macro_inset_moveleftkey_btn", "macro_move_left_text"),
                                     W("QLineEdit", "mouse_x_right_edit"),
                                     button("macro_inset_moverightkey_btn", "macro_move_right_text")]),
            row("macro_move_y_box", [W("QLineEdit", "mouse_y_up_edit"),
                                     button("macro_inset_moveupkey_btn", "macro_move_up_text"),
                                     W("QLineEdit", "mouse_y_down_edit"),
                                     button("macro_inset_movedownkey_btn", "macro_move_down_text")]),
            spacer("macro_move_sp", False),
        ], spacing=6),
        ], spacing=6),
        box("QWidget", "macro_tab_macroaction_edit", "V", [
            row("macro_record_box", [
                button("macro_btn_starredio", "macro_start_text"),
                button("macro_btn_stopredio", "macro_stop_text"),
                W("QCheckBox", "macro_check_time", props=[("text", "string", key("macro_constant_text"), True)]),
                W("QLineEdit", "macro_fixed_time_edit"),
                W("QToolButton", "macro_btn_action_menu", props=[("text", "string", key("macro_menu_text"), True)])]),
            W("QTableWidget", "macro_action_list"),
            label("macro_capture_status_label"),
            row("macro_row_buttons", [
                button("macro_btn_up", "macro_up_text"),
                button("macro_btn_down", "macro_down_text"),
                button("macro_btn_uptop", "macro_top_text"),
                button("macro_btn_downbottom", "macro_bottom_text")]),
            row("macro_row_buttons2", [
                button("macro_btn_delete", "macro_row_delete_text"),
                button("macro_btn_deleteall", "macro_row_clear_text"),
                button("macro_btn_save", "macro_save_text"),
                button("macro_btn_cancel", "macro_cancel_text")]),
        ], spacing=6),
    ], spacing=8)
