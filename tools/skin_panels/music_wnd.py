"""The style window of the sound effects ("music.ui"): four named colour presets, one chosen by
its option, its red, green and blue as sliders of ten steps, the four names as edits, and the
window's buttons. Not a page panel: it writes its own file."""
from skin_builder import (W, box, button, label, option, p_fixed, p_geom, spacer, write_ui)

PANEL = "MusicWnd"

TEXTS = {
    "music_title_text": ("Sound colour presets", "音乐颜色预设"),
    "music_preset_1": ("1", "1"),
    "music_preset_2": ("2", "2"),
    "music_preset_3": ("3", "3"),
    "music_preset_4": ("4", "4"),
    "music_names_text": ("Names", "名称"),
    "music_colour_text": ("Colour of the chosen preset", "所选预设的颜色"),
    "music_red_text": ("Red", "红"),
    "music_green_text": ("Green", "绿"),
    "music_blue_text": ("Blue", "蓝"),
    "music_ok_text": ("OK", "确定"),
    "music_cancel_text": ("Cancel", "取消"),
}


def build(family):
    return None


def _slider(name, key_):
    return box("QWidget", name + "_row", "H", [
        label(name + "_label", key_, props=p_fixed(60, 24)),
        W("QSlider", name, props=p_fixed(220, 24) + [
            ("orientation", "enum", "Qt::Horizontal", True),
            ("minimum", "number", 0, True), ("maximum", "number", 9, True),
            ("pageStep", "number", 1, True)])], spacing=6)


def write_files():
    presets = []
    for n in range(1, 5):
        presets.append(box("QWidget", "audio_preset_row%d" % n, "H", [
            option("audio_select_tab%d" % n, "music_preset", "music_preset_%d" % n,
                   checked=(n == 1), props=p_fixed(32, 26)),
            W("QLineEdit", "audio_edit_name%d" % n,
              props=p_fixed(200, 26) + [("maxLength", "number", 32, True)])], spacing=8))
    root = box("QWidget", "root", "V", [
        box("QWidget", "music_title_bar", "H", [
            label("music_title", "music_title_text"), spacer("music_title_sp", True),
            button("closebtn", props=p_fixed(28, 28))], spacing=4),
        label("music_names_title", "music_names_text"),
    ] + presets + [
        label("music_colour_title", "music_colour_text"),
        _slider("audio_r_slider", "music_red_text"),
        _slider("audio_g_slider", "music_green_text"),
        _slider("audio_b_slider", "music_blue_text"),
        spacer("music_sp", False),
        box("QWidget", "music_buttons", "H", [
            spacer("music_buttons_sp", True),
            button("okbtn", "music_ok_text", props=p_fixed(100, 32)),
            button("cancelbtn", "music_cancel_text", props=p_fixed(100, 32))], spacing=12),
    ], props=[p_geom(0, 0, 360, 420)], spacing=8, margins=(16, 8, 16, 16))
    write_ui("music.ui", root)
