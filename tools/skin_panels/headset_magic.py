"""The headset's voice changer panel: on/off and the four voices."""
from skin_builder import W, box, key, option, p_bool, spacer

PANEL = "MagicControlItem"

TEXTS = {
    "hs_magic_enable_text": ("Voice changer", "变声器"),
    "hs_magic_1_text": ("Male", "男声"),
    "hs_magic_2_text": ("Female", "女声"),
    "hs_magic_3_text": ("Child", "童声"),
    "hs_magic_4_text": ("Robot", "机器人"),
    "hs_unavailable_voice_text": ("The voice changer is not available: ", "变声器不可用："),
}


def build(family):
    if family != "hs":
        return None
    return box("QWidget", PANEL, "V", [
        W("QPushButton", "magic_enable_option",
          props=[("text", "string", key("hs_magic_enable_text"), True),
                 p_bool("checkable", True)]),
        box("QWidget", "magic_option_layout", "H",
            [option("magic_option_%d" % n, "hs_magic", "hs_magic_%d_text" % n)
             for n in range(1, 5)] + [spacer("hs_magic_types_sp", True)], spacing=6),
        spacer("hs_magic_sp", False),
    ], spacing=8)
