#!/usr/bin/env python3
"""The texts of the window's own language keys: key -> (English, Simplified Chinese).

The texts of each panel stand in that panel's module under skin_panels/; skin_texts.py joins them.

gen_skin_ui.py writes data/skin/lang/lan_en.json and lan_cn.json from this table; a key used by
a skin file but missing here stops that script. Keys that code sets at run time (device names,
power labels, the lighting-control status, the key-label texts of the keyboard) are here too.
"""

TEXTS = {
    # main window
    "main_title_text": ("QX-580 Device Center", "QX-580 设备中心"),
    "device_list_title_text": ("Devices", "设备"),
    "device_prev_tip": ("Previous device", "上一个设备"),
    "device_next_tip": ("Next device", "下一个设备"),
    "control_light_on_text": ("Lighting control on", "控制灯光"),
    "control_light_off_text": ("Lighting control off", "不控制灯光"),
    "control_light_tip": ("Let this program drive the lighting", "由本程序控制灯光"),
    "gamemode_tip": ("Game mode", "游戏模式"),
    "cloud_tip": ("Cloud", "云端"),
    "smarteyes_tip": ("Eye care", "护眼模式"),
    "skin_tip": ("Background", "皮肤"),
    "setting_tip": ("Settings", "设置"),
    "language_tip": ("Interface language", "界面语言"),
    "min_tip": ("Minimise", "最小化"),
    "max_tip": ("Maximise", "最大化"),
    "restore_tip": ("Restore", "还原"),
    "close_tip": ("Close", "关闭"),
    "nodevice_title_text": ("No device connected", "未连接设备"),
    "nodevice_text": ("Connect a supported keyboard, mouse, mouse pad or headset.",
                      "请连接支持的键盘、鼠标、鼠标垫或耳机。"),
    "nodevice_ok_text": ("OK", "确定"),
    "tray_tip_text": ("MIRVEL QX-580 Device", "MIRVEL QX-580 Device"),
    # tray menu
    "menu_setting_text": ("Settings", "设置"),
    "menu_about_text": ("About", "关于"),
    "menu_exit_text": ("Exit", "退出"),
    # message window
    "msg_default_title": ("Message", "提示"),
    "msg_default_text": ("", ""),
    "msg_confirm_text": ("OK", "确定"),
    "msg_cancel_text": ("Cancel", "取消"),
    # device list entries and power
    "kb_device_name_text": ("Keyboard", "键盘"),
    "ms_device_name_text": ("Mouse", "鼠标"),
    "hard_mp_device_name_text": ("Mouse pad", "鼠标垫"),
    "soft_mp_device_name_text": ("Soft mouse pad", "软鼠标垫"),
    "hd_device_name_text": ("Headset", "耳机"),
    "hub_device_name_text": ("Hub", "集线器"),
    "unknow_device_name_text": ("Device", "设备"),
    "synchro_device_tip": ("Synchronise the lighting", "同步灯光"),
    "Phone_type_iphone": ("iPhone charging", "iPhone 充电中"),
    "Phone_type_samsung": ("Samsung charging", "三星充电中"),
    "Phone_type_other": ("Phone charging", "手机充电中"),
    "Phone_type_no_device": ("No phone", "无手机"),
    # device pages
    "default_btn_text": ("Restore defaults", "恢复默认"),
    "profile_text": ("Profile", "配置"),
    "profile_menu_tip": ("Profile actions", "配置操作"),
    "tab_light_text": ("Lighting", "灯光"),
    "tab_key_text": ("Keys", "按键"),
    "tab_macro_text": ("Macros", "宏"),
    "tab_system_text": ("System", "系统"),
    "tab_cursor_text": ("DPI", "DPI"),
    "tab_voice_text": ("Sound", "声音"),
    "tab_magic_text": ("Voice changer", "变声"),
    "tab_virtual_text": ("Virtual 7.1", "虚拟 7.1"),
    "Key_Set": ("Assigned: ", "已设置："),
    "close_text": ("Off", "关闭"),
}
