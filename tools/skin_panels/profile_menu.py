"""The profile buttons of a device page, shown and hidden by "profile_fun_spread_btn": new, delete,
copy, import, export, reset, and the name field with its save button for renaming. The icons are
the desktop theme's, given by the panel when it binds the buttons. Also the texts of the message
boxes of the profile flows."""
from skin_builder import W, box, button, key, p_bool, p_fixed, spacer, hidden

PANEL = "profile_menu_layout"

TEXTS = {
    "profile_add_tip": ("New profile", "新建配置"),
    "profile_sub_tip": ("Delete the selected profile", "删除所选配置"),
    "profile_copy_tip": ("Copy the selected profile", "复制所选配置"),
    "profile_import_tip": ("Import a profile file", "导入配置文件"),
    "profile_export_tip": ("Export the selected profile to a file", "导出所选配置到文件"),
    "profile_reset_tip": ("Reset the selected profile to the defaults", "将所选配置恢复为默认"),
    "profile_name_tip": ("Name of the selected profile", "所选配置的名称"),
    "profile_save_name_text": ("Rename", "重命名"),
    "profile_file_filter": ("Profile Files", "配置文件"),
    "message_text_5": ("Another profile already has this name.", "该名称已被其他配置使用。"),
    "message_text_7": ("The macros could not be written to the device.",
                       "宏未能写入设备。"),
    "message_text_16": ("The macros are too large for the device's memory (by about %d events); "
                        "nothing was written.",
                        "宏超出设备存储空间（约 %d 个事件），未写入任何内容。"),
    "message_text_22": ("Restore the default settings of this profile?", "确定恢复此配置的默认设置吗？"),
    "message_text_25": ("A profile name cannot be blank.", "配置名称不能为空。"),
    "profile_write_failed_text": ("The profile could not be saved: ", "配置未能保存："),
    "profile_recovered_title": ("Profiles repaired", "配置已修复"),
}


def build(family):
    def icon_button(name, tip):
        return button(name, props=p_fixed(30, 30), tip=tip)
    return box("QWidget", "profile_menu_layout", "H", [
        icon_button("device_add_btn", "profile_add_tip"),
        icon_button("device_sub_btn", "profile_sub_tip"),
        icon_button("device_copy_btn", "profile_copy_tip"),
        icon_button("device_import_btn", "profile_import_tip"),
        icon_button("device_export_btn", "profile_export_tip"),
        icon_button("device_reset_btn", "profile_reset_tip"),
        W("QLineEdit", "device_profile_name_edit",
          props=p_fixed(160, 30) + [("toolTip", "string", key("profile_name_tip"), True),
                                    ("maxLength", "number", 64, True)]),
        button("device_profile_edit_save_btn", "profile_save_name_text",
               props=[("minimumSize", "size", (72, 30), True)]),
        spacer("profile_menu_spacer", True),
    ], props=[hidden()], spacing=6, margins=(0, 0, 0, 0))
