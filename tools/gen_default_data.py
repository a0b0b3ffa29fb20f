#!/usr/bin/env python3
"""Writes the shipped default data files of data/DefaultData/.

The files are JSON in the program's styled layout (3-space indentation, sorted keys). Run it from
anywhere; it writes next to the repository's data folder:  python3 tools/gen_default_data.py
"""
import json
import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "DefaultData")

# Factory function (type, modifier, usage) of each of the keyboard's 170 logical keys.
def keyboard_codes():
    codes = {0: (0x20, 0, 0x29)}
    for i in range(12):
        codes[1 + i] = (0x20, 0, 0x3A + i)
    codes.update({13: (0x20, 0, 0x46), 14: (0x20, 0, 0x47), 15: (0x20, 0, 0x48),
                  16: (0xA0, 0x1B, 0), 17: (0xA0, 0x24, 0)})
    for k in (18, 19, 20):
        codes[k] = (0x20, 0, 0)
    codes[21] = (0x20, 0, 0x35)
    for i in range(10):
        codes[22 + i] = (0x20, 0, 0x1E + i)
    usages = {32: 0x2D, 33: 0x2E, 34: 0x2A, 35: 0x49, 36: 0x4A, 37: 0x4B, 38: 0x53, 39: 0x54,
              40: 0x55, 41: 0x56, 42: 0x2B, 43: 0x14, 44: 0x1A, 45: 0x08, 46: 0x15, 47: 0x17,
              48: 0x1C, 49: 0x18, 50: 0x0C, 51: 0x12, 52: 0x13, 53: 0x2F, 54: 0x30, 55: 0x31,
              56: 0x4C, 57: 0x4D, 58: 0x4E, 59: 0x5F, 60: 0x60, 61: 0x61, 62: 0x32, 63: 0x39,
              64: 0x04, 65: 0x16, 66: 0x07, 67: 0x09, 68: 0x0A, 69: 0x0B, 70: 0x0D, 71: 0x0E,
              72: 0x0F, 73: 0x33, 74: 0x34, 75: 0x28, 76: 0x5C, 77: 0x5D, 78: 0x5E, 79: 0x8A,
              80: 0x8B, 81: 0x90, 82: 0x91, 83: 0x88, 85: 0x1D, 86: 0x1B, 87: 0x06, 88: 0x19,
              89: 0x05, 90: 0x11, 91: 0x10, 92: 0x36, 93: 0x37, 94: 0x38, 96: 0x52, 97: 0x59,
              98: 0x5A, 99: 0x5B, 100: 0x87, 101: 0x89, 102: 0x64, 103: 0x85, 104: 0x00,
              108: 0x2C, 111: 0x65, 113: 0x50, 114: 0x51, 115: 0x4F, 116: 0x62, 117: 0x63,
              118: 0x58, 119: 0x57}
    for k, u in usages.items():
        codes[k] = (0x20, 0, u)
    modifiers = {84: 0x02, 95: 0x20, 105: 0x01, 106: 0x08, 107: 0x04, 109: 0x40, 112: 0x10,
                 125: 0x80}
    for k, m in modifiers.items():
        codes[k] = (0x20, m, 0)
    codes[110] = (0xA0, 0x01, 0)
    for i in range(5):
        codes[120 + i] = (0xD0, 0xA2, 1 + i)
    for k in range(126, 170):
        codes[k] = (0x20, 0, 0)
    assert sorted(codes) == list(range(170))
    return [codes[k] for k in range(170)]


# Factory function of the mouse's 11 logical buttons.
MOUSE_CODES = [(0x10, 0x01, 0), (0x10, 0x02, 0), (0x10, 0x04, 0), (0x10, 0x10, 0),
               (0x10, 0x08, 0), (0x13, 0x01, 0), (0x13, 0x02, 0), (0x13, 0x03, 0),
               (0xA0, 0x1B, 0), (0x16, 0x90, 0x01), (0x14, 0x78, 0x02)]

# Gains of bands 1-10 of the headset's equaliser presets 1-12.
EQ_PRESETS = [
    [7, 11, 2, -3, -1, 4, 9, 12, 9, 5],
    [7, 11, 6, -3, -11, -1, 6, 13, 6, 13],
    [10, 4, 0, -3, -4, -3, -2, -1, 0, 0],
    [2, 1, -2, -3, -5, -7, 0, 4, 9, 8],
    [0, 0, 0, 0, 0, 0, 0, 0, 0, 0],
    [7, 14, -13, -6, -1, 8, 13, 7, 2, 6],
    [14, 10, 4, 0, -4, -3, -1, 1, 2, 3],
    [2, 1, -2, -3, -5, -1, 7, 11, 15, 13],
    [8, 2, -4, -8, 1, 3, 8, 11, 14, 16],
    [-3, 4, 10, 0, -11, 3, 9, 13, 6, 0],
    [18, 14, 8, 2, -3, -6, -1, 2, 5, 6],
    [2, 1, -2, -4, -8, 4, 12, 16, 18, 15],
]

# Lighting effects by effect id (position = id; the firmware code is the id). None marks an id
# that has no effect and is kept hidden so that positions stay aligned.
KEYBOARD_EFFECTS = {
    0: "light_effect_list", 1: "light_effect_column_wave", 2: "light_effect_column_pulse",
    3: "light_effect_rings_pulse", 4: "light_effect_snake_wave", 5: "light_effect_static",
    6: "light_effect_breathing", 7: "light_effect_column_fade",
    8: "light_effect_neighbourhood_glow", 9: "light_effect_ripple",
    10: "light_effect_single_key_flash", 11: "light_effect_11", 12: "light_effect_12",
    13: "light_effect_scripted_show", 14: "light_effect_rising_ripple",
    15: "light_effect_twinkle", 16: "light_effect_auto_ripple", 17: "light_effect_rain",
    18: "light_effect_staggered_pulse", 19: "light_effect_row_fade_wave",
    20: "light_effect_spark_field", 21: "light_effect_custom", 22: "light_effect_edge_ripple",
    23: "light_effect_blink", 24: "light_effect_fill", 26: "light_effect_four_colour_breathing",
    27: "light_effect_four_colour_blink", 28: "light_effect_off", 29: "light_effect_sound",
    30: "light_effect_external_colour", 40: "light_effect_colour_cycle",
    41: "light_effect_row_wave", 42: "light_effect_colour_drift",
    43: "light_effect_scripted_sweep", 44: "light_effect_line_ripple",
    45: "light_effect_preset_colour",
}
MOUSE_EFFECTS = ["light_effect_wave", "light_effect_colour_cycle", "light_effect_breathing",
                 "light_effect_static", "light_effect_blink", "light_effect_group_sweep",
                 "light_effect_reactive", "light_effect_four_colour_breathing",
                 "light_effect_four_colour_blink", "light_effect_off"]
PAD_EFFECTS = ["light_effect_wave", "light_effect_colour_cycle", "light_effect_breathing",
               "light_effect_static", "light_effect_blink", "light_effect_list",
               "light_effect_led_sweep", "light_effect_pair_sweep", "light_effect_off"]


def effect_list(names):
    return [{"LightName": name, "value": i, "visible": True} for i, name in enumerate(names)]


def keyboard_effect_list():
    entries = []
    for i in range(46):
        name = KEYBOARD_EFFECTS.get(i)
        entries.append({"LightName": name or "light_effect_none", "value": i,
                        "visible": name is not None and i not in (0, 11, 12)})
    return entries


def light_info(select, multi, rgb):
    return {"SelectItem": select, "Light": 4, "Speed": 2, "Fx": 1, "MultiColor": multi,
            "Red": rgb[0], "Green": rgb[1], "Blue": rgb[2], "ZZCCLedMode": 0,
            "CustomGroup": 0, "OldLedmode": select}


def key_list(codes):
    return [{"Assignment": t * 65536 + a * 256 + b, "DefaultAssignment": t * 65536 + a * 256 + b}
            for (t, a, b) in codes]


def keyboard_profile():
    groups = [(255, 255, 255), (255, 0, 0), (0, 255, 0), (0, 0, 255)]
    return {"Device": [{
        "LightInfo": light_info(1, 1, (255, 0, 0)),
        "AudioLightInfo": {"AudioMode": 0, "BkColorR": 0, "BkColorG": 0, "BkColorB": 0,
                           "FgColorR": 255, "FgColorG": 0, "FgColorB": 0, "7ColorFlags": 1,
                           "ColorTypeFlags": 1},
        "LightList": [None] * 170,
        "KeyList": key_list(keyboard_codes()),
        "SystemStages": {"Repeat": 5, "RepeatDelay": 1, "Key6Flag": 0, "PollingRate": 3,
                         "WFlag": 0, "WinFlag": 0},
        "CustomLightMode": {
            "CustomLightModeGroupIndex": 0,
            "LightColorInfo": [[{"Red": r, "Green": g, "Blue": b, "Alpha": 255, "IsBright": 1}
                                for _ in range(170)] for (r, g, b) in groups],
        },
    }]}


def mouse_profile():
    colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (255, 0, 255)]
    steps = [8, 16, 32, 48, 64]
    return {"Device": [{
        "LightInfo": light_info(0, 1, (255, 0, 0)),
        "LightList": [None] * 15,
        "KeyList": key_list(MOUSE_CODES),
        "DPIStages": {"StageActive": 1, "StageDPIs": [
            {"StageActive": 1, "StageXY": 0, "StageDPIX": s, "StageDPIY": s,
             "StageColorR": c[0], "StageColorG": c[1], "StageColorB": c[2]}
            for s, c in zip(steps, colours)]},
        "SystemStages": {"DoubleClickTime": 5, "MouseSpeed": 10, "PointerPrecision": 1,
                         "ScorllPage": 0, "WheelScorlllinse": 3},
        "ReportStages": {"StageActive": 3},
        "CorrectInfo": [
            {"CorrectPixThresh": 0, "CorrectMinSq": 0, "CorrectSelect": 1,
             "CorrectName": "correct_default"},
            {"CorrectPixThresh": 10, "CorrectMinSq": 30, "CorrectSelect": 0,
             "CorrectName": "correct_cloth"},
            {"CorrectPixThresh": 20, "CorrectMinSq": 50, "CorrectSelect": 0,
             "CorrectName": "correct_hard"},
        ],
    }]}


def pad_profile():
    return {"Device": [{"LightInfo": light_info(0, 1, (255, 0, 0)), "LightList": [None] * 15}]}


def headset_profile():
    rows = [[0] * 10] + EQ_PRESETS
    return {"Device": [{
        "LightInfo": light_info(0, 1, (255, 0, 0)),
        "LightList": [None] * 13,
        "SystemSetStages": {"MagicEnable": 0, "MagicType": 1, "EqType": 5,
                            "CustomEqSeletIndex": 0, "MicInSelect": 0, "MicInValue": 80,
                            "MicMoniterSelect": 0, "MicMoniterValue": 0},
        "EQHzValueInfo": [[{"value": g} for g in row] for row in rows],
        "CustomEQNameInfo": [],
        "CustomEQHzValueInfo": [],
    }]}


def default_light():
    return {
        "DefaultLightName": [keyboard_effect_list(), effect_list(MOUSE_EFFECTS),
                             effect_list(PAD_EFFECTS), effect_list(PAD_EFFECTS)],
        "AreaLightName": [[{"LightName": "light_area_all"}],
                          [{"LightName": "light_area_all"}, {"LightName": "light_area_logo"}],
                          [{"LightName": "light_area_all"}],
                          [{"LightName": "light_area_all"}]],
    }


def palette():
    presets = ["FFFF0000", "FFFF8000", "FFFFFF00", "FF80FF00", "FF00FF00", "FF00FF80",
               "FF00FFFF", "FF0080FF", "FF0000FF", "FF8000FF", "FFFF00FF", "FFFF0080",
               "FFFFFFFF", "FFC0C0C0", "FF808080", "FF404040", "FF800000", "FF008000",
               "FF000080", "FF000000"]
    return {"coloroptioninfo": {
        "palletDialogcoloroption": [{"color": c} for c in presets],
        "palletDialogcoloroption_selectitem": 4,
        "palletDialogcollectcoloroption": [{"color": "FFFFFFFF", "UserData": ""}
                                           for _ in range(20)],
        "palletDialogcollectcoloroption_selectitem": 0,
    }}


def audio_styles():
    info = {"nAudioStyle": 0, "nStyleName1": "第一组", "nStyleName2": "第二组",
            "nStyleName3": "第三组", "nStyleName4": "第四组"}
    for preset, (r, g, b) in enumerate([(9, 0, 0), (0, 9, 0), (0, 0, 9), (9, 9, 9)]):
        info["nStyleR%d" % preset] = r
        info["nStyleG%d" % preset] = g
        info["nStyleB%d" % preset] = b
    return {"Device": {"AudioLightInfo": info}}


def recoil(gun):
    # A pull that climbs over the first bullets and settles, drifting side to side.
    delays = [100, 90, 120, 70]
    events = []
    for bullet in range(30):
        up = min(2 + bullet // 3 + gun, 12) if bullet < 20 else 3
        side = [0, 1, 0, 2][(bullet + gun) % 4]
        left = "down" if (bullet // 5 + gun) % 2 == 0 else "up"
        events += [
            {"Action": "down", "Button": 1, "Delay": 10, "Type": 1},
            {"Action": "up", "Button": 1, "Delay": 0, "Type": 1},
            {"Action": left, "Button": side, "Delay": 5, "Type": 4},
            {"Action": "up", "Button": up, "Delay": delays[gun], "Type": 5},
            {"Action": left, "Button": 0, "Delay": 0, "Type": 4},
            {"Action": "up", "Button": 0, "Delay": 0, "Type": 5},
        ]
    return {"Events": events}


def languages():
    return {"Language": [
        {"Language_name": "en", "Language_file": "lan_en.json", "Language_ID": 1033,
         "Language_text": "English"},
        {"Language_name": "cn", "Language_file": "lan_cn.json", "Language_ID": 2052,
         "Language_text": "简体中文"},
    ]}


def write(name, value):
    text = json.dumps(value, indent=3, sort_keys=True, separators=(",", " : "))
    with open(os.path.join(OUT, name), "w", encoding="utf-8") as f:
        f.write(text + "\n")


def main():
    os.makedirs(OUT, exist_ok=True)
    write("keyboard.Json", keyboard_profile())
    write("mouse.Json", mouse_profile())
    write("MousePad.Json", pad_profile())
    write("HD.Json", headset_profile())
    write("default_light.json", default_light())
    write("color_option_info.config", palette())
    write("AudioFile.json", audio_styles())
    for gun in range(4):
        write("ShootData_%d.Shoot" % gun, recoil(gun))
    write("Language.config", languages())


if __name__ == "__main__":
    main()
