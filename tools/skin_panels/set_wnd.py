"""The settings window (setwnd.ui) and the row of its update list
(XML/CustomControlXML/device_Update_list_item.ui): the interface language, starting with the
desktop, the desktop's keyboard and mouse settings, and the update list with its status line."""
from skin_builder import (W, box, button, hidden, key, label, p_bool, p_fixed, p_font, p_geom,
                          page, spacer, stacked, write_ui)

PANEL = None

TEXTS = {
    "setwnd_title_text": ("Settings", "设置"),
    "menu_autostart_text": ("Start with the desktop", "开机自动启动"),
    "setwnd_language_text": ("Interface language", "界面语言"),
    "setwnd_autostart_text": ("Start with the desktop", "开机自动启动"),
    "setwnd_autostart_tip": ("Adds the program to the programs the desktop starts when you log in",
                             "登录桌面时自动启动本程序"),
    "setwnd_autostart_failed_text": ("The desktop's start-up list could not be changed: ",
                                     "无法更改桌面的启动项："),
    "setwnd_desktop_text": ("Desktop settings", "系统设置"),
    "windowdeviceset_0_text": ("Keyboard settings", "键盘设置"),
    "windowdeviceset_1_text": ("Mouse settings", "鼠标设置"),
    "desktop_settings_missing_text": (
        "No keyboard or mouse settings program of this desktop was found "
        "(GNOME, Plasma and Xfce are known).",
        "未找到此桌面的键盘或鼠标设置程序（支持 GNOME、Plasma 和 Xfce）。"),
    "desktop_settings_failed_text": ("The desktop's settings program could not be started: ",
                                     "无法启动桌面的设置程序："),
    "setwnd_update_text": ("Updates", "更新"),
    "update_tishi_text": ("Updates are available for your devices or this program.",
                          "您的设备或本程序有可用更新。"),
    "set_in_update_wnd_text": ("Show all settings", "显示全部设置"),
    "update_fw_and_ap_text": ("Update", "更新"),
    "laterbtn_text": ("Close", "关闭"),
    "update_confirm_text": ("Update the checked items now? Keep the devices connected until it is "
                            "done.", "现在更新所选项目吗？更新完成前请保持设备连接。"),
    "update_OK_btn_text": ("Start", "开始"),
    "update_cancel_btn_text": ("Back", "返回"),
    # the status line
    "GetUpdateInfoText": ("Checking for updates…", "正在检查更新…"),
    "HaveUpdateInfoText": ("Updates are available.", "有可用更新。"),
    "NoUpdateInfoText": ("The update service could not be reached.", "无法连接更新服务器。"),
    "ISUpdateINGText": ("Updating…", "正在更新…"),
    "UpdateIsLastText": ("Everything is up to date. Last checked: ", "已是最新版本。上次检查："),
    # the rows
    "LessUpdateText": ("Not updatable", "无法更新"),
    "NeedUpdateText": ("Update available", "有可用更新"),
    "DownloadWaitText": ("Waiting to download", "等待下载"),
    "DownloadIngText": ("Downloading", "正在下载"),
    "DownloadOkText": ("Downloaded", "下载完成"),
    "UpdateIngText": ("Updating", "正在更新"),
    "UpdateOkText": ("Up to date", "已是最新"),
    "UpdateFailText": ("Update failed", "更新失败"),
    "update_done_mark_text": ("✔", "✔"),
    "update_row_tip": ("Check to include this item in the update", "勾选以更新此项"),
    # why a row could not be checked
    "UpdateCheckFailText": ("Not checked: ", "未能检查："),
    "update_error_no_connection": ("no connection", "无法连接"),
    "update_error_certificate": ("the server's certificate is not trusted", "服务器证书不受信任"),
    "update_error_server": ("the server answered with an error", "服务器返回错误"),
    "update_error_too_large": ("the answer was too large", "服务器应答过大"),
    "update_error_bad_reply": ("the answer was not understood", "无法识别服务器应答"),
    "update_error_address": ("the service address is unusable", "服务地址无效"),
    "update_error_cancelled": ("cancelled", "已取消"),
}


def title_bar(title_key):
    def tb(name, tip, hide=False):
        ps = p_fixed(28, 28)
        if hide:
            ps.append(hidden())
        return button(name, props=ps, tip=tip)
    return box("QWidget", "title_bar", "H", [
        label("wnd_title", title_key, props=[p_font(0)]),
        spacer("wnd_title_spacer", True),
        tb("menubtn", "setting_tip", hide=True),
        tb("minbtn", "min_tip"),
        tb("maxbtn", "max_tip", hide=True),
        tb("restorebtn", "restore_tip", hide=True),
        tb("closebtn", "close_tip"),
    ], spacing=4, margins=(16, 6, 8, 6))


def set_wnd():
    settings_rows = box("QWidget", "settings_layout", "V", [
        box("QWidget", "language_row", "H", [
            label("language_title", "setwnd_language_text", props=[("minimumSize", "size", (160, 0), True)]),
            W("QComboBox", "Language_combox_info", props=p_fixed(180, 28)),
            spacer("language_spacer", True),
        ], spacing=8),
        box("QWidget", "autostart_row", "H", [
            W("QCheckBox", "autostart_check",
              props=[("text", "string", key("setwnd_autostart_text"), True),
                     ("toolTip", "string", key("setwnd_autostart_tip"), True)]),
            spacer("autostart_spacer", True),
        ]),
        box("QWidget", "desktop_row", "H", [
            label("desktop_title", "setwnd_desktop_text", props=[("minimumSize", "size", (160, 0), True)]),
            button("windowdeviceset_0", "windowdeviceset_0_text", props=[("minimumSize", "size", (120, 28), True)]),
            button("windowdeviceset_1", "windowdeviceset_1_text", props=[("minimumSize", "size", (120, 28), True)]),
            spacer("desktop_spacer", True),
        ], spacing=8),
    ], spacing=10, margins=(0, 0, 0, 0))

    status = box("QWidget", "update_status_row", "H", [
        W("QProgressBar", "update_status_ring",
          props=p_fixed(16, 16) + [("minimum", "number", 0, True), ("maximum", "number", 0, True),
                                   p_bool("textVisible", False)]),
        label("update_status_image", "update_done_mark_text", props=p_fixed(16, 16) + [hidden()]),
        label("Update_Status_text", "GetUpdateInfoText", props=[p_bool("wordWrap", True)]),
        spacer("update_status_spacer", True),
    ], spacing=8)
    list_page = page("update_list_page", [
        status,
        W("QScrollArea", "update_list_scroll", props=[
            p_bool("widgetResizable", True),
            ("styleSheet", "string", "QScrollArea { background: transparent; border: 1px solid "
             "#3a3d43; border-radius: 4px; } QWidget#device_update_list_info, QWidget#root "
             "{ background: transparent; }", True)], children=[
            W("QWidget", "device_update_list_info", layout="V", spacing=4, children=[
                spacer("update_list_spacer", False)]),
        ], layout=None),
        box("QWidget", "update_buttons", "H", [
            spacer("update_btn_spacer", True),
            button("update_fw_and_ap", "update_fw_and_ap_text", props=p_fixed(110, 32) + [hidden()]),
            button("laterbtn", "laterbtn_text", props=p_fixed(110, 32)),
        ], spacing=8),
    ], props=[])
    confirm_page = page("update_confirm_page", [
        label("update_confirm", "update_confirm_text", props=[p_bool("wordWrap", True)]),
        spacer("update_confirm_spacer", False),
        box("QWidget", "update_confirm_buttons", "H", [
            spacer("update_confirm_btn_spacer", True),
            button("update_cancel_btn", "update_cancel_btn_text", props=p_fixed(110, 32)),
            button("update_OK_btn", "update_OK_btn_text", props=p_fixed(110, 32)),
        ], spacing=8),
    ])
    root = box("QWidget", "root", "V", [
        title_bar("setwnd_title_text"),
        box("QWidget", "setwnd_body", "V", [
            box("QWidget", "update_tishi_layout", "H", [
                label("update_tishi", "update_tishi_text", props=[p_bool("wordWrap", True)]),
                button("set_in_update_wnd_btn", "set_in_update_wnd_text"),
            ], props=[hidden()], spacing=8),
            settings_rows,
            label("update_title", "setwnd_update_text", props=[p_font(4)]),
            stacked("get_update_tab_layout", [list_page, confirm_page]),
            label("text_test", "setwnd_title_text", props=[hidden()]),
        ], spacing=10, margins=(16, 8, 16, 16)),
    ], props=[p_geom(0, 0, 630, 500), ("windowTitle", "string", key("setwnd_title_text"), True)])
    write_ui("setwnd.ui", root)


def list_item():
    root = box("QWidget", "root", "H", [
        W("QCheckBox", "check_name_select",
          props=[("minimumSize", "size", (120, 0), True),
                 ("toolTip", "string", key("update_row_tip"), True)]),
        W("QLabel", "OldRev", props=[("minimumSize", "size", (80, 0), True)]),
        W("QLabel", "updateRev", props=[("minimumSize", "size", (80, 0), True), hidden()]),
        label("update_status_text", "UpdateOkText", props=[p_bool("wordWrap", True)]),
        spacer("update_row_spacer", True),
        W("QProgressBar", "update_status_ing",
          props=p_fixed(100, 8) + [hidden(), ("maximum", "number", 100, True),
                                   ("value", "number", 0, True), p_bool("textVisible", False)]),
        W("QLabel", "update_progress_value", props=[hidden(), ("minimumSize", "size", (40, 0), True)]),
        label("update_status_ok", "update_done_mark_text", props=[hidden()]),
    ], props=[p_geom(0, 0, 580, 36), ("minimumSize", "size", (0, 36), True)], spacing=8,
        margins=(8, 4, 8, 4))
    write_ui("XML/CustomControlXML/device_Update_list_item.ui", root)


def build(family):
    return None


def write_files():
    set_wnd()
    list_item()
