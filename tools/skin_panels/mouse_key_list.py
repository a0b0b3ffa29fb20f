"""The mouse's button list ("device_setkeyinfo_layout", on the keys tab): one row per
logical button with its name and what it does now; a click on a row picks the button in the key
assignment panel. The rows are made by the mouse's page at run time."""
from skin_builder import W, box, label, p_fixed

PANEL = "device_setkeyinfo_layout"

TEXTS = {
    "mouse_keylist_title": ("Buttons", "按键"),
    "mouse_key_M8_key": ("Mode key", "模式键"),
    "gun_1_txt": ("Gun key 1", "枪械键 1"),
    "gun_2_txt": ("Gun key 2", "枪械键 2"),
    "gun_3_txt": ("Gun key 3", "枪械键 3"),
    "gun_4_txt": ("Gun key 4", "枪械键 4"),
    "Light_Set": ("Lighting", "灯光设置"),
    "Overall_Light_Set": ("Whole mouse: ", "整体灯效："),
    "mouse_key_extra_text": ("Button %1", "按键 %1"),
}


def build(family):
    if family != "ms":
        return None
    return box("QWidget", PANEL, "V", [
        label("mouse_keylist_title_label", "mouse_keylist_title"),
        W("QListWidget", "device_setkeyinfo_list", props=p_fixed(384, 150)),
    ], spacing=4, margins=(0, 0, 0, 0))
