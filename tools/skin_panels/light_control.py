"""The lighting panel of every device page: effect list, preset colour and custom-colour group
choices, brightness and speed, direction, the colourful switch, colour swatches, edits, palette
and the button that opens the palette window, and the button that gives every device the effect.
For the sound effects: the sound style, its background and foreground colours, and the capture
program's colour (red, green and blue sliders) with the button that opens the style window."""
import skin_builder
from skin_builder import W, box, button, label, option, p_bool, p_dyn, p_fixed, p_text, spacer

# The lighting palette is one of the program's own controls.
skin_builder.CUSTOM.setdefault("ColorPalette", ("QWidget", False))

PANEL = "LightControlItem"

# The swatches' colours (ARGB), in swatch order.
SWATCHES = ["#FFFF0000", "#FFFF8000", "#FFFFFF00", "#FF00FF00",
            "#FF00FFFF", "#FF0000FF", "#FF8000FF", "#FFFFFFFF"]

TEXTS = {
    "light_effect_text": ("Effect", "灯效"),
    "light_brightness_text": ("Brightness", "亮度"),
    "light_speed_text": ("Speed", "速度"),
    "light_direction_text": ("Direction", "方向"),
    "light_colourful_text": ("Colourful", "七彩"),
    "light_colour_text": ("Colour", "颜色"),
    "light_preset_text": ("Colours", "颜色组合"),
    "light_preset_0": ("Red, green, blue", "红绿蓝"),
    "light_preset_1": ("Warm", "暖色"),
    "light_preset_2": ("Cool", "冷色"),
    "light_preset_3": ("Rainbow", "彩虹"),
    "light_custom_text": ("Custom colours", "自定义颜色"),
    "light_custom_group_text": ("Custom %1", "自定义 %1"),
    "light_custom_tip": ("Drag over the keys to give them the colour", "在按键上拖选以设置颜色"),
    "light_same_mode_text": ("Same on all devices", "所有设备同步"),
    "light_same_mode_tip": ("Give every connected device this effect", "将此灯效应用到所有已连接设备"),
    "light_sync_refused_text": ("This effect cannot be shown on all devices at once; choose "
                                "breathing, static, blink, colour cycle or off.",
                                "此灯效无法同步到所有设备；请选择呼吸、常亮、闪烁、颜色循环或关闭。"),
    "light_colour_button_tip": ("Choose a colour", "选择颜色"),
    "light_set_right_to_left_text": ("Right to left", "从右到左"),
    "light_set_left_to_right_text": ("Left to right", "从左到右"),
    "light_set_outside_to_inside_text": ("Outside in", "由外向内"),
    "light_set_inside_to_outside_text": ("Inside out", "由内向外"),
    "light_set_down_to_up_text": ("Bottom to top", "从下到上"),
    "light_set_up_to_down_text": ("Top to bottom", "从上到下"),
    "light_write_failed_text": ("The lighting change did not reach the device: ",
                                "灯光设置未能写入设备："),
    "light_error_no_answer": ("it is not connected or did not answer.", "设备未连接或无应答。"),
    "light_error_unreachable": ("it could not be reached.", "无法连接设备。"),
    "light_error_refused": ("it refused the command.", "设备拒绝了该命令。"),
    "light_component_r": ("R", "红"),
    "light_component_g": ("G", "绿"),
    "light_component_b": ("B", "蓝"),
    "light_area_all": ("All", "全部"),
    "light_area_logo": ("Logo", "标志"),
    "light_effect_list": ("Effect list", "灯效列表"),
    "light_effect_column_wave": ("Column wave", "列波浪"),
    "light_effect_column_pulse": ("Column pulse", "列脉冲"),
    "light_effect_rings_pulse": ("Rings", "光环"),
    "light_effect_snake_wave": ("Snake", "蛇形"),
    "light_effect_static": ("Static", "常亮"),
    "light_effect_breathing": ("Breathing", "呼吸"),
    "light_effect_column_fade": ("Column fade", "列渐变"),
    "light_effect_neighbourhood_glow": ("Glow around keys", "按键光晕"),
    "light_effect_ripple": ("Ripple", "涟漪"),
    "light_effect_single_key_flash": ("Key flash", "单键闪烁"),
    "light_effect_11": ("Effect 11", "灯效 11"),
    "light_effect_12": ("Effect 12", "灯效 12"),
    "light_effect_scripted_show": ("Light show", "灯光秀"),
    "light_effect_rising_ripple": ("Rising ripple", "上升涟漪"),
    "light_effect_twinkle": ("Twinkle", "闪烁星光"),
    "light_effect_auto_ripple": ("Automatic ripple", "自动涟漪"),
    "light_effect_rain": ("Rain", "雨滴"),
    "light_effect_staggered_pulse": ("Staggered pulse", "交错脉冲"),
    "light_effect_row_fade_wave": ("Row wave fade", "行波渐变"),
    "light_effect_spark_field": ("Sparks", "火花"),
    "light_effect_custom": ("Custom colours", "自定义颜色"),
    "light_effect_edge_ripple": ("Edge ripple", "边缘涟漪"),
    "light_effect_blink": ("Blink", "闪烁"),
    "light_effect_fill": ("Fill", "填充"),
    "light_effect_none": ("(none)", "（无）"),
    "light_effect_four_colour_breathing": ("Four-colour breathing", "四色呼吸"),
    "light_effect_four_colour_blink": ("Four-colour blink", "四色闪烁"),
    "light_effect_off": ("Off", "关闭"),
    "light_effect_sound": ("Sound", "音乐律动"),
    "light_effect_external_colour": ("Colour from the host", "主机颜色"),
    "light_effect_colour_cycle": ("Colour cycle", "颜色循环"),
    "light_effect_row_wave": ("Row wave", "行波浪"),
    "light_effect_colour_drift": ("Colour drift", "颜色漂移"),
    "light_effect_scripted_sweep": ("Sweep", "扫光"),
    "light_effect_line_ripple": ("Line ripple", "线性涟漪"),
    "light_effect_preset_colour": ("Preset colours", "预设颜色"),
    "light_effect_wave": ("Wave", "波浪"),
    "light_effect_group_sweep": ("Group sweep", "分组扫光"),
    "light_effect_reactive": ("Reactive", "触发"),
    "light_effect_led_sweep": ("LED sweep", "灯珠扫光"),
    "light_effect_pair_sweep": ("Pair sweep", "双灯扫光"),
    "light_audio_style_text": ("Style", "律动样式"),
    "light_audio_style_0": ("Vertical bars", "竖条"),
    "light_audio_style_1": ("Centre bars", "中心条"),
    "light_audio_style_2": ("Beat ripple", "节拍涟漪"),
    "light_audio_style_3": ("Rings", "光环"),
    "light_audio_style_4": ("Falling bars", "下落条"),
    "light_audio_style_5": ("Row bars", "横条"),
    "light_audio_style_6": ("Alternating bars", "交错条"),
    "light_audio_background_text": ("Background", "背景色"),
    "light_audio_foreground_text": ("Foreground", "前景色"),
    "light_audio_no_background_text": ("No background", "无背景"),
    "light_audio_no_background_tip": ("Background off (black)", "关闭背景色（黑色）"),
    "light_audio_capture_tip": ("The colour the sound shows in, for the effects that follow "
                                "the sound", "随音乐显示的颜色"),
    "light_audio_presets_text": ("Presets...", "预设..."),
    "light_audio_presets_tip": ("The named colour presets of the sound effects",
                                "音乐灯效的命名颜色预设"),
}


def _slider(name):
    return W("QSlider", name, props=[("orientation", "enum", "Qt::Horizontal", True),
                                     ("minimum", "number", 0, True),
                                     ("maximum", "number", 4, True),
                                     ("pageStep", "number", 1, True)])


def _swatch(n, colour):
    return W("QPushButton", "color_option_%d" % n,
             props=p_fixed(20, 20) + [p_dyn("bkcolor", colour),
                                      ("styleSheet", "string",
                                       "background-color: #%s; border: none;" % colour[3:], True)])


def _edit(name):
    return W("QLineEdit", name, props=p_fixed(48, 26) + [("maxLength", "number", 3, True)])


def _audio_swatch(n, colour):
    return W("QPushButton", "audiocolor_option_%d" % n,
             props=p_fixed(20, 20) + [p_dyn("bkcolor", colour),
                                      ("styleSheet", "string",
                                       "background-color: #%s; border: none;" % colour[3:], True)])


def _channel(channel):
    # The capture program's colour: 0-255, the label shows "R %d".
    return [label("%s_light_label" % channel, props=p_fixed(44, 20) +
                  []),
            W("QSlider", "%s_light_slider" % channel,
              props=p_fixed(70, 20) + [("orientation", "enum", "Qt::Horizontal", True),
                                       ("minimum", "number", 0, True),
                                       ("maximum", "number", 255, True),
                                       ("value", "number", 255, True),
                                       ("toolTip", "string", "light_audio_capture_tip", True)])]


def build(family):
    # Compact: the page also holds the device picture and must fit the 640-pixel window.
    colour_page = W("QWidget", "light_color_page_0", layout="V", spacing=4, children=[
        box("QWidget", "deng_color_layout", "H",
            [W("QPushButton", "deng_7color_check",
               props=[p_text("light_colourful_text"), p_bool("checkable", True)])] +
            [_swatch(n, c) for n, c in enumerate(SWATCHES)] +
            [button("deng_colordp_btn", props=p_fixed(40, 20), tip="light_colour_button_tip"),
             spacer("deng_color_sp", True)], spacing=4),
        box("QWidget", "light_colour_pick_row", "H", [
            box("QWidget", "colorpallet_layout", "H", [
                W("ColorPalette", "deng_Color_Pallet", props=p_fixed(180, 52))]),
            label("deng_edit_R_label", "light_component_r"), _edit("deng_edit_R"),
            label("deng_edit_G_label", "light_component_g"), _edit("deng_edit_G"),
            label("deng_edit_B_label", "light_component_b"), _edit("deng_edit_B"),
            spacer("light_colour_pick_sp", True)], spacing=6),
    ])
    # The second page: the sound effect's background and foreground colours.
    sound_page = W("QWidget", "light_color_page_1", layout="V", spacing=4, children=[
        box("QWidget", "light_audiocolor_layout", "H",
            [option("audio_BkColor_check", "light_audio_edited", "light_audio_background_text"),
             option("audio_FgColor_check", "light_audio_edited", "light_audio_foreground_text",
                    checked=True),
             W("QPushButton", "deng_7audiocolor_check",
               props=[p_text("light_colourful_text"), p_bool("checkable", True)])] +
            [_audio_swatch(n, c) for n, c in enumerate(SWATCHES)] +
            [button("deng_audiocolordp_btn", props=p_fixed(40, 20)),
             button("Close_bkColor_btn", "light_audio_no_background_text",
                    tip="light_audio_no_background_tip"),
             spacer("deng_audiocolor_sp", True)], spacing=4),
        box("QWidget", "audiocolorpallet_layout", "H", [
            W("ColorPalette", "deng_audioColor_Pallet", props=p_fixed(180, 52)),
            label("deng_audioedit_R_label", "light_component_r"), _edit("deng_audioedit_R"),
            label("deng_audioedit_G_label", "light_component_g"), _edit("deng_audioedit_G"),
            label("deng_audioedit_B_label", "light_component_b"), _edit("deng_audioedit_B"),
            spacer("light_audio_pick_sp", True)], spacing=6),
    ])
    return box("QWidget", "LightControlItem", "V", [
        box("QWidget", "lighteffect_row", "H", [
            box("QWidget", "lighteffect_layout", "H", [
                label("lighteffect_title", "light_effect_text"),
                W("QComboBox", "light_combo_modeSelect", props=p_fixed(200, 28))], spacing=6),
            box("QWidget", "light_combo_ZZCCmodeSelectLayout", "H", [
                label("light_preset_title", "light_preset_text"),
                W("QComboBox", "light_combo_ZZCCmodeSelect", props=p_fixed(150, 28),
                  items=["light_preset_0", "light_preset_1", "light_preset_2", "light_preset_3"])],
                props=[p_bool("visible", False)], spacing=6),
            box("QWidget", "lightcustom_layout", "H", [
                label("lightcustom_title", "light_custom_text"),
                W("QComboBox", "light_combo_custommodeSelect",
                  props=p_fixed(130, 28) + [("toolTip", "string", "light_custom_tip", True)])],
                props=[p_bool("visible", False)], spacing=6),
            box("QWidget", "light_combo_AudiomodeSelectLayout", "H", [
                label("light_audio_style_title", "light_audio_style_text"),
                W("QComboBox", "light_combo_audiomodeSelect", props=p_fixed(150, 28),
                  items=["light_audio_style_%d" % i for i in range(7)])],
                props=[p_bool("visible", False)], spacing=6),
            button("deng_same_mode", "light_same_mode_text", tip="light_same_mode_tip",
                   props=[p_bool("visible", False)]),
            spacer("lighteffect_sp", True)], spacing=12),
        box("QWidget", "light_slider_row", "H", [
            box("QWidget", "deng_light_layout", "H", [
                label("deng_light_title", "light_brightness_text"), _slider("deng_light_slider")],
                spacing=6),
            box("QWidget", "deng_speed_layout", "H", [
                label("deng_speed_title", "light_speed_text"), _slider("deng_speed_slider")],
                spacing=6),
            box("QWidget", "deng_fx_layout", "H", [
                option("deng_FXL_check", "light_fx", "light_set_right_to_left_text", checked=True),
                option("deng_FXR_check", "light_fx", "light_set_left_to_right_text")],
                props=[p_bool("visible", False)], spacing=6),
            box("QWidget", "light_audio_capture_layout", "H",
                _channel("R") + _channel("G") + _channel("B") +
                [button("music_setting_btn", "light_audio_presets_text",
                        tip="light_audio_presets_tip")],
                props=[p_bool("visible", False)], spacing=4),
            spacer("light_slider_sp", True)], spacing=12),
        box("QWidget", "light_color_layout", "V", [
            W("QStackedWidget", "light_color_tablayout", layout="S",
              children=[colour_page, sound_page]),
        ]),
    ], spacing=4)
