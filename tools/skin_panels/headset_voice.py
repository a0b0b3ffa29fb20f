"""The headset's sound panel: equaliser presets and custom settings with ten band sliders, the
microphone and the microphone monitor."""
from skin_builder import W, box, button, key, label, option, p_bool, p_fixed, spacer

PANEL = "Voice6533ControlItem"

BANDS = ["31", "62", "125", "250", "500", "1K", "2K", "4K", "8K", "16K"]

TEXTS = {
    "hs_eq_title_text": ("Equaliser", "均衡器"),
    "hs_eq_custom_text": ("Custom", "自定义"),
    "hs_eq_name_hint_text": ("Name of a new setting", "新设置的名称"),
    "hs_eq_save_text": ("Save", "保存"),
    "hs_eq_delete_text": ("Delete", "删除"),
    "hs_mic_text": ("Microphone", "麦克风"),
    "hs_monitor_text": ("Microphone monitor", "麦克风监听"),
    "hs_eq_save_refused_text": ("Type a name, or pick a setting to overwrite; at most 20 settings.",
                                "请输入名称或选择要覆盖的设置；最多 20 个设置。"),
    "hs_eq_preset_1_text": ("Pop", "流行"),
    "hs_eq_preset_2_text": ("Dance", "舞曲"),
    "hs_eq_preset_3_text": ("Bass", "低音"),
    "hs_eq_preset_4_text": ("Treble", "高音"),
    "hs_eq_preset_5_text": ("Flat", "平直"),
    "hs_eq_preset_6_text": ("Rock", "摇滚"),
    "hs_eq_preset_7_text": ("Warm", "温暖"),
    "hs_eq_preset_8_text": ("Bright", "明亮"),
    "hs_eq_preset_9_text": ("Club", "俱乐部"),
    "hs_eq_preset_10_text": ("Vocal", "人声"),
    "hs_eq_preset_11_text": ("Deep bass", "重低音"),
    "hs_eq_preset_12_text": ("Live", "现场"),
    "hs_eq_band_31_text": ("31", "31"),
    "hs_eq_band_62_text": ("62", "62"),
    "hs_eq_band_125_text": ("125", "125"),
    "hs_eq_band_250_text": ("250", "250"),
    "hs_eq_band_500_text": ("500", "500"),
    "hs_eq_band_1K_text": ("1K", "1K"),
    "hs_eq_band_2K_text": ("2K", "2K"),
    "hs_eq_band_4K_text": ("4K", "4K"),
    "hs_eq_band_8K_text": ("8K", "8K"),
    "hs_eq_band_16K_text": ("16K", "16K"),
    "hs_audio_refused_text": ("The headset's sound card did not take the change: ",
                              "耳机声卡未接受此更改："),
    "hs_audio_mic_level_text": ("microphone level.", "麦克风音量。"),
    "hs_audio_mic_mute_text": ("microphone on or off.", "麦克风开关。"),
    "hs_audio_monitor_level_text": ("monitor level.", "监听音量。"),
    "hs_audio_monitor_mute_text": ("monitor on or off.", "监听开关。"),
    "hs_audio_eq_text": ("equaliser.", "均衡器。"),
    "hs_audio_voice_text": ("voice changer.", "变声器。"),
    "hs_audio_surround_text": ("virtual surround.", "虚拟环绕声。"),
    "hs_profile_not_saved_text": ("The profile could not be saved.", "配置文件无法保存。"),
    "hs_unavailable_eq_text": ("The equaliser is not available: ", "均衡器不可用："),
    "hs_unavailable_mic_text": ("The headset's microphone was not found: ", "未找到耳机麦克风："),
    "hs_unavailable_monitor_text": (
        "The microphone monitor is not available: the headset's sound card has no monitor "
        "(side-tone) control.",
        "麦克风监听不可用：耳机声卡没有监听（侧音）控制。"),
}


def slider(name, lo, hi, vertical=False):
    orient = "Qt::Vertical" if vertical else "Qt::Horizontal"
    return W("QSlider", name, props=[("orientation", "enum", orient, True),
                                     ("minimum", "number", lo, True),
                                     ("maximum", "number", hi, True)])


def build(family):
    if family != "hs":
        return None
    presets = [option("6533_eq_option_%d" % (i + 1), "hs_eq", "hs_eq_preset_%d_text" % (i + 1))
               for i in range(12)]
    presets.append(option("6533_eq_option_13", "hs_eq", "hs_eq_custom_text"))
    bands = [box("QWidget", "hs_eq_band_box_%d" % b, "V", [
        slider("6533_eq_hz_slider_%d" % b, -20, 20, vertical=True),
        label("hs_eq_band_label_%d" % b, "hs_eq_band_%s_text" % BANDS[b]),
    ], spacing=2) for b in range(10)]
    custom = box("QWidget", "custom_eq_option_layout", "H", [
        W("QComboBox", "custom_eq_name_combo", props=p_fixed(160, 30)),
        W("QLineEdit", "custom_eq_name_edit",
          props=[("placeholderText", "string", key("hs_eq_name_hint_text"), True)]),
        button("hs_EQ_btn_save", "hs_eq_save_text"),
        button("hs_EQ_btn_delete", "hs_eq_delete_text"),
        spacer("hs_custom_sp", True),
    ], spacing=6)
    return box("QWidget", PANEL, "V", [
        label("hs_eq_title", "hs_eq_title_text"),
        box("QWidget", "hs_eq_presets_a", "H", presets[:7] + [spacer("hs_eq_pa_sp", True)],
            spacing=4),
        box("QWidget", "hs_eq_presets_b", "H", presets[7:] + [spacer("hs_eq_pb_sp", True)],
            spacing=4),
        box("QWidget", "hs_eq_bands", "H", bands + [spacer("hs_eq_bands_sp", True)], spacing=8),
        custom,
        box("QWidget", "hs_mic_box", "H", [
            W("QPushButton", "6533_MicIn_option",
              props=[("text", "string", key("hs_mic_text"), True), p_bool("checkable", True)]),
            slider("6533_MicIn_slider", 0, 100),
        ], spacing=8),
        box("QWidget", "hs_monitor_box", "H", [
            W("QPushButton", "6533_MicMoniter_option",
              props=[("text", "string", key("hs_monitor_text"), True), p_bool("checkable", True)]),
            slider("6533_MicMoniter_slider", 0, 100),
        ], spacing=8),
        spacer("hs_voice_sp", False),
    ], spacing=8)
