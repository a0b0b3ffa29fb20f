#include "devices/keyboard/keyboard_key_labels.h"

#include <array>
#include <span>
#include <utility>

#include "devices/keyboard/keyboard_key_map.h"
#include "macros/key_code_rows.h"

namespace qx::devices {
namespace {

struct Named {
    int value;
    const char* key;
};

QString Key(std::string_view nameKey) {
    return QString::fromUtf8(nameKey.data(), static_cast<qsizetype>(nameKey.size()));
}

std::optional<QString> Lookup(std::span<const Named> names, int value, const Translate& translate) {
    for (const Named& name : names)
        if (name.value == value) return translate(QString::fromLatin1(name.key));
    return std::nullopt;
}

const KeyCodeRow* RowOf(uint8_t category, uint8_t first, uint8_t second) {
    for (const KeyCodeRow& row : KeyCodeRows())
        if (row.category == category && row.first == first && row.second == second) return &row;
    return nullptr;
}

std::optional<QString> KeyboardKeyLabel(uint8_t category, uint8_t p1, uint8_t p2,
                                        const Translate& translate) {
    for (const KeyCodeRow& row : KeyCodeRows())
        if (row.first == p1 && row.second == p2) return translate(Key(row.nameKey));
    if (p1 == 0 && p2 == 0) return translate(QStringLiteral("close_text"));
    // A combination: the modifiers' names (each bit of P1 on its own, so that two modifiers are
    // both named and a lone key is not joined by every modifier), then the key's, joined by "+".
    QStringList parts;
    for (const KeyCodeRow& row : KeyCodeRows()) {
        if (row.category != category) continue;
        const bool modifier = row.first != 0 && row.second == 0 && (row.first & p1) == row.first;
        const bool key = row.first == 0 && p2 != 0 && row.second == p2;
        if (modifier || key) parts << translate(Key(row.nameKey));
    }
    if (parts.isEmpty()) return std::nullopt;
    return parts.join(QLatin1Char('+'));
}

constexpr Named kMouseButtons[] = {{1, "mouse_key_left"},
                                   {4, "mouse_key_middle"},
                                   {2, "mouse_key_right"},
                                   {0x10, "mouse_key_forward"},
                                   {8, "mouse_key_back"}};
constexpr Named kDpiKeys[] = {
    {1, "mouse_key_DPI_add"}, {2, "mouse_key_DPI_sub"}, {3, "mouse_key_DPI_loop"}};
constexpr Named kEditKeys[] = {{0, "custem_cut"},  {1, "custem_copy"},       {2, "custem_paste"},
                               {3, "custem_undo"}, {4, "custem_select_all"}, {5, "custem_find"},
                               {6, "custem_new"},  {7, "custem_save"},       {8, "custem_open"}};
constexpr Named kConsumerKeys[] = {
    {0x183, "media_text"},  {0xCD, "media_play"},    {0xB7, "media_stop"},    {0xB6, "media_prev"},
    {0xB5, "media_next"},   {0xEA, "media_vol_sub"}, {0xE9, "media_vol_add"}, {0xE2, "media_mute"},
    {0x223, "web_text"},    {0x227, "web_refresh"},  {0x226, "wed_stop"},     {0x224, "wed_back"},
    {0x225, "wed_forward"}, {0x22A, "wed_favorite"}, {0x221, "web_search"},   {0x194, "media_mypc"},
    {0x192, "media_calc"},  {0x18A, "media_mail"}};
constexpr Named kSystemKeys[] = {
    {0x100, "system_power"}, {0x200, "system_sleep"}, {0x400, "system_wake_up"}};

}  // namespace

std::optional<QString> KeyFunctionLabel(const KeyAssignHalf& function, const Translate& translate,
                                        const QStringList& macroNames) {
    const uint8_t p1 = function.b1;
    const uint8_t p2 = function.b0;
    switch (function.b2) {
        case 0x00:
        case 0x20:
            return KeyboardKeyLabel(function.b2, p1, p2, translate);
        case 0x10:
            return Lookup(kMouseButtons, p1, translate);
        case 0x11:
            return translate(
                QLatin1String((p2 & 0x80) != 0 ? "mouse_key_right_Swing" : "mouse_key_left_Swing"));
        case 0x12:
            return translate(
                QLatin1String((p2 & 0x80) != 0 ? "mouse_key_down_Swing" : "mouse_key_up_Swing"));
        case 0x13:
            return Lookup(kDpiKeys, p1, translate);
        case 0x14:
            return translate(QStringLiteral("mouse_key_fire_key"));
        case 0x16:
            return translate(QStringLiteral("mouse_key_DPI_shift"));
        case 0x22:
            if (p1 != 0) return std::nullopt;
            return Lookup(kEditKeys, p2, translate);
        case 0x23:
            if (p1 != 0 || p2 != 0) return std::nullopt;
            return translate(QStringLiteral("show_window"));
        case 0x30:
            return Lookup(kConsumerKeys, p2 * 256 + p1, translate);
        case 0x40:
            return Lookup(kSystemKeys, p1 * 256 + p2, translate);
        case 0x70:
        case 0x71:
            if (p1 >= macroNames.size()) return std::nullopt;
            return macroNames[p1];
        case 0xA0:
        case 0xD0: {
            if (function.b2 == 0xA0 && p1 == 2)
                return translate(QStringLiteral("mouse_key_smart_key"));
            if (function.b2 == 0xA0 && p1 == 0) return translate(QStringLiteral("close_text"));
            const KeyCodeRow* row = RowOf(function.b2, p1, p2);
            if (row == nullptr) return std::nullopt;
            return translate(Key(row->nameKey));
        }
        case 0x15:
        case 0x21:
        case 0x50:
        case 0x60:
        case 0xB0:
        case 0xC0:
            return std::nullopt;
        default:
            // What the keyboard's own tool shows for a function it does not know.
            return QStringLiteral("关闭");
    }
}

QString OwnKeyName(int logicalKey, const Translate& translate) {
    const KeyCode3 code = FactoryKeyCode(logicalKey);
    const KeyCodeRow* row = RowOf(code[0], code[1], code[2]);
    return row == nullptr ? QString() : translate(Key(row->nameKey));
}

}  // namespace qx::devices
