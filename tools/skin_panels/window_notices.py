"""Texts of the main window's notices: the hint of the empty device list when a supported device
is plugged in but this user may not open it, and the one-time notice that messages with other
programs are off because there is no session bus; the message shown when a chosen profile did not
reach its device. The labels are part of main.ui."""

TEXTS = {
    "nodevice_access_text": ("A supported device is plugged in, but it cannot be opened:",
                             "已插入受支持的设备，但无法打开："),
    "notice_bus_off_text": ("No session bus: messages with other programs and scripting with "
                            "qx580ctl are off. The devices work as usual.",
                            "没有会话总线：与其他程序的消息和 qx580ctl 脚本功能已关闭。设备照常工作。"),
    "notice_close_tip": ("Close this notice", "关闭此提示"),
    "profile_apply_failed_text": ("The selected profile did not reach the device; it is written "
                                  "again when the device comes back.",
                                  "所选配置未能写入设备；设备重新连接后会再次写入。"),
}
