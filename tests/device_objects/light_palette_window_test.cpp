// The palette window the lighting panel opens: its results (1 with a colour, 2 without a palette,
// 0 when closed, its own close ending only itself), the edits' limits and the user's own cells
// kept in the palette file.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <filesystem>

#include "controls/register_controls.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "core/paths.h"
#include "profiles/palette_store.h"
#include "ui/color_palette.h"
#include "ui/color_select_wnd.h"
#include "ui/paint_manager.h"

namespace qx::ui {
namespace {

class PaletteWindow : public ::testing::Test {
  protected:
    void SetUp() override { controls::RegisterCustomControls(); }
    std::filesystem::path File() const {
        return std::filesystem::path(dir.path().toStdString()) / "palette.config";
    }
    static std::filesystem::path Defaults() {
        return DefaultDataFolder() / "color_option_info.config";
    }
    QWidget* Find(CColorSelectWnd& w, const char* name) {
        return w.PaintManager().FindControl(QString::fromLatin1(name));
    }
    void Type(CColorSelectWnd& w, const char* edit, const char* text) {
        auto* line = qobject_cast<QLineEdit*>(Find(w, edit));
        ASSERT_NE(line, nullptr);
        line->setText(QString::fromLatin1(text));
        w.PaintManager().SendNotify(line, QStringLiteral("killfocus"));
    }
    QTemporaryDir dir;
};

TEST_F(PaletteWindow, ResultsOfItsButtonsAndItsOwnClose) {
    struct Case {
        const char* button;  // nullptr: the window's own close
        bool withoutPalette;
        int result;
    };
    const Case cases[] = {{"okbtn", false, 1},
                          {"okbtn", true, 2},
                          {"closebtn", false, 0},
                          {"laterbtn", false, 0},
                          {nullptr, false, 0}};
    QWidget owner;
    owner.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button ? c.button : "close");
        uint32_t chosen = 0;
        CColorSelectWnd::QueueAnswer([&](CColorSelectWnd& w) {
            if (c.withoutPalette) delete w.PaintManager().FindControl(QStringLiteral("Pallet"));
            Type(w, "color_edit_g", "153");
            if (c.button != nullptr) {
                qobject_cast<QAbstractButton*>(
                    w.PaintManager().FindControl(QString::fromLatin1(c.button)))
                    ->click();
            } else {
                w.show();
                w.close();
            }
        });
        EXPECT_EQ(CColorSelectWnd::Choose(&owner, 0xFF112233u, 96, &chosen), c.result);
        EXPECT_EQ(chosen, c.result == 1 ? 0xFF119933u : 0u);
        // Only the palette window ended.
        EXPECT_TRUE(owner.isVisible());
    }
}

TEST_F(PaletteWindow, EditsAreLimitedAndAnEmptyOneCountsAsZero) {
    CColorSelectWnd w(nullptr, File(), Defaults());
    ASSERT_TRUE(w.Create());
    w.SetColour(0xFF102030u);
    Type(w, "color_edit_r", "300");
    EXPECT_EQ(qobject_cast<QLineEdit*>(Find(w, "color_edit_r"))->text(), "255");
    Type(w, "color_edit_g", "");
    EXPECT_EQ(qobject_cast<QLineEdit*>(Find(w, "color_edit_g"))->text(), "0");
    EXPECT_EQ(w.GetColour(), 0xFFFF0030u);
    auto* palette = qobject_cast<CColorPaletteUI*>(Find(w, "Pallet"));
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->GetSelectColor(), 0xFFFF0030u);
    EXPECT_EQ(BackgroundColour(Find(w, "color_show_btn")), 0xFFFF0030u);
}

TEST_F(PaletteWindow, AUsersCellIsKeptAndNoneIsSelectedOnOpening) {
    {
        CColorSelectWnd w(nullptr, File(), Defaults());
        ASSERT_TRUE(w.Create());
        EXPECT_EQ(w.SelectedCustom(), -1);
        auto* cell = qobject_cast<QAbstractButton*>(Find(w, "collect_color_option_3"));
        cell->click();  // an empty cell: the target of the next colour
        EXPECT_EQ(w.SelectedCustom(), 3);
        Type(w, "color_edit_r", "0");
        Type(w, "color_edit_g", "153");
        Type(w, "color_edit_b", "255");
        EXPECT_EQ(BackgroundColour(cell), 0xFF0099FFu);
    }
    const Json::Value file = ReadJsonFile(File());
    const Json::Value& entry = json::At(
        json::Get(json::Get(file, "coloroptioninfo"), "palletDialogcollectcoloroption"), 3);
    EXPECT_EQ(json::ToString(json::Get(entry, "color")), "FF0099FF");
    EXPECT_EQ(json::ToString(json::Get(entry, "UserData")), "1");

    // Opened again: the cell shows the colour, and no cell is selected whatever the file says.
    CColorSelectWnd again(nullptr, File(), Defaults());
    ASSERT_TRUE(again.Create());
    EXPECT_EQ(again.SelectedCustom(), -1);
    auto* cell = qobject_cast<QAbstractButton*>(Find(again, "collect_color_option_3"));
    EXPECT_FALSE(cell->isChecked());
    EXPECT_EQ(BackgroundColour(cell), 0xFF0099FFu);
    cell->click();
    EXPECT_EQ(again.GetColour(), 0xFF0099FFu);
    EXPECT_EQ(qobject_cast<QLineEdit*>(Find(again, "color_edit_g"))->text(), "153");
}

TEST_F(PaletteWindow, PresetCellGivesItsColourAndIsRemembered) {
    CColorSelectWnd w(nullptr, File(), Defaults());
    ASSERT_TRUE(w.Create());
    auto* preset = qobject_cast<QAbstractButton*>(Find(w, "color_option_10"));
    preset->click();
    EXPECT_EQ(w.GetColour(), BackgroundColour(preset));
    EXPECT_EQ(w.SelectedPreset(), 10);
    PaletteStore store(File(), Defaults());
    EXPECT_EQ(store.PresetSelection(), 10);
}

}  // namespace
}  // namespace qx::ui
