"""The recoil panel of the mouse ("ShootControlItem", on the keys tab): four guns, thirty
bullets, the selected bullet's steps and pause, and the file buttons."""
from skin_builder import W, box, button, key, label, option, p_fixed, p_text, page, spacer, stacked

PANEL = "ShootControlItem"

TEXTS = {
    "shoot_title_text": ("Recoil compensation", "压枪数据"),
    "shoot_bullet_text": ("Bullet", "子弹"),
    "shoot_x_text": ("Horizontal", "水平"),
    "shoot_y_text": ("Vertical", "垂直"),
    "shoot_delay_text": ("Pause (ms)", "间隔（毫秒）"),
    "shootdate_import_text": ("Import", "导入"),
    "shootdate_export_text": ("Export", "导出"),
    "shootdate_save_text": ("Save to mouse", "保存到鼠标"),
    "shootdate_reset_text": ("Reset gun", "重置枪械"),
    "mouse_move_to_left_text": ("Left", "向左"),
    "mouse_move_to_right_text": ("Right", "向右"),
    "mouse_move_to_up_text": ("Up", "向上"),
    "mouse_move_to_down_text": ("Down", "向下"),
    "shoot_restore_failed_text": ("A recoil file could not be restored from its default.",
                                  "无法从默认文件恢复压枪数据。"),
    "shoot_save_failed_text": ("The bullet could not be saved.", "无法保存该子弹数据。"),
    "shoot_import_failed_text": ("That file is not a recoil file; nothing was changed.",
                                 "该文件不是压枪数据文件；未作更改。"),
    "shoot_export_failed_text": ("The recoil file could not be written there.", "无法写入压枪数据文件。"),
    "shoot_too_large_text": ("The recoil data is %1 bytes larger than the mouse's recoil memory; "
                             "nothing was sent.", "压枪数据比鼠标的存储空间大 %1 字节；未发送。"),
    "shoot_image_failed_text": ("The recoil data could not be put together; nothing was sent.",
                                "无法生成压枪数据；未发送。"),
    "shoot_gun_0_text": ("Gun 1", "枪械 1"),
    "shoot_gun_1_text": ("Gun 2", "枪械 2"),
    "shoot_gun_2_text": ("Gun 3", "枪械 3"),
    "shoot_gun_3_text": ("Gun 4", "枪械 4"),
    "shoot_bullet_0_text": ("1", "1"),
    "shoot_bullet_1_text": ("2", "2"),
    "shoot_bullet_2_text": ("3", "3"),
    "shoot_bullet_3_text": ("4", "4"),
    "shoot_bullet_4_text": ("5", "5"),
    "shoot_bullet_5_text": ("6", "6"),
    "shoot_bullet_6_text": ("7", "7"),
    "shoot_bullet_7_text": ("8", "8"),
    "shoot_bullet_8_text": ("9", "9"),
    "shoot_bullet_9_text": ("10", "10"),
    "shoot_bullet_10_text": ("11", "11"),
    "shoot_bullet_11_text": ("12", "12"),
    "shoot_bullet_12_text": ("13", "13"),
    "shoot_bullet_13_text": ("14", "14"),
    "shoot_bullet_14_text": ("15", "15"),
    "shoot_bullet_15_text": ("16", "16"),
    "shoot_bullet_16_text": ("17", "17"),
    "shoot_bullet_17_text": ("18", "18"),
    "shoot_bullet_18_text": ("19", "19"),
    "shoot_bullet_19_text": ("20", "20"),
    "shoot_bullet_20_text": ("21", "21"),
    "shoot_bullet_21_text": ("22", "22"),
    "shoot_bullet_22_text": ("23", "23"),
    "shoot_bullet_23_text": ("24", "24"),
    "shoot_bullet_24_text": ("25", "25"),
    "shoot_bullet_25_text": ("26", "26"),
    "shoot_bullet_26_text": ("27", "27"),
    "shoot_bullet_27_text": ("28", "28"),
    "shoot_bullet_28_text": ("29", "29"),
    "shoot_bullet_29_text": ("30", "30"),
}


def build(family):
    if family != "ms":
        return None
    guns = box("QWidget", "shoot_gun_box", "H",
               [option("shoot_gun_op_%d" % g, "shoot_gun", "shoot_gun_%d_text" % g, checked=(g == 0))
                for g in range(4)] + [spacer("shoot_gun_sp", True)], spacing=6)
    pictures = stacked("shoot_image_display_switch",
                       [page("shoot_image_%d" % g, [label("shoot_image_label_%d" % g,
                                                          "shoot_gun_%d_text" % g)])
                        for g in range(4)], props=p_fixed(160, 40))
    bullet_rows = []
    for r in range(3):
        bullet_rows.append(box("QWidget", "bullet_row_%d" % r, "H",
                               [W("QPushButton", "bullet_op_%d" % b,
                                  props=p_fixed(28, 22) + [p_text("shoot_bullet_%d_text" % b),
                                                           ("checkable", "bool", "true", True),
                                                           ("group", "string", "shoot_bullet", False)])
                                for b in range(r * 10, r * 10 + 10)] + [spacer("bullet_row_sp_%d" % r, True)],
                               spacing=2))
    edits = box("QWidget", "bullet_edit_layout", "H", [
        button("bullet_selected_prev", props=p_fixed(24, 24)),
        label("bullet_select_title", "shoot_bullet_text"),
        W("QLabel", "bullet_select_index", props=p_fixed(28, 24)),
        button("bullet_selected_next", props=p_fixed(24, 24)),
        label("bullet_x_title", "shoot_x_text"),
        W("QCheckBox", "bullet_x_check", props=[p_text("mouse_move_to_left_text")]),
        W("QLineEdit", "bullet_x_eidt", props=p_fixed(48, 24)),
        label("bullet_y_title", "shoot_y_text"),
        W("QCheckBox", "bullet_y_check", props=[p_text("mouse_move_to_up_text")]),
        W("QLineEdit", "bullet_y_eidt", props=p_fixed(48, 24)),
        label("bullet_delay_title", "shoot_delay_text"),
        W("QLineEdit", "bullet_delay_eidt", props=p_fixed(56, 24)),
        spacer("bullet_edit_sp", True)], spacing=6)
    files = box("QWidget", "shoot_file_box", "H", [
        button("shootdate_import_btn", "shootdate_import_text"),
        button("shootdate_export_btn", "shootdate_export_text"),
        button("shootdate_reset_btn", "shootdate_reset_text"),
        spacer("shoot_file_sp", True),
        button("shootdate_save_btn", "shootdate_save_text")], spacing=6)
    return box("QWidget", "ShootControlItem", "V",
               [label("shoot_title", "shoot_title_text"), guns, pictures] + bullet_rows +
               [edits, files], spacing=6)
