"""The headset's virtual surround page: one on/off option."""
from skin_builder import W, box, key, p_bool, spacer

PANEL = "VirtualSetItem"

TEXTS = {
    "hs_surround_text": ("Virtual 7.1 surround", "虚拟 7.1 环绕声"),
    "hs_unavailable_surround_text": ("Virtual surround is not available: ", "虚拟环绕声不可用："),
}


def build(family):
    if family != "hs":
        return None
    return box("QWidget", PANEL, "V", [
        W("QPushButton", "virtual_surround_option",
          props=[("text", "string", key("hs_surround_text"), True), p_bool("checkable", True)]),
        spacer("hs_virtual_sp", False),
    ], spacing=8)
