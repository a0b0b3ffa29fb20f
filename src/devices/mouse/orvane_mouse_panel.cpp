// The mouse's page: the DPI and polling page, the pointer options, the recoil panel and the
// buttons' panels, bound when the page is attached and refreshed from the model.
#include "core/diagnostics.h"
#include "devices/mouse/orvane_mouse_device.h"
#include "devices/panels/dpi_panel.h"
#include "devices/panels/key_set_control_ui.h"
#include "devices/panels/mouse_option_panel.h"
#include "devices/panels/shoot_control_ui.h"
#include "ui/color_select_wnd.h"
#include "ui/paint_manager.h"

namespace qx::devices {

void COrvaneMouseDevice::AttachPanel() {
    COrvaneUSBDevice::AttachPanel();
    BuildPanel();
}

void COrvaneMouseDevice::BuildPanel() {
    QWidget* page = Page();
    if (page == nullptr) return;
    if (!colourPicker_) {
        // The stage colours come from the palette window, as the lighting colours do.
        colourPicker_ = [this](QColor current, std::function<void(QColor)> chosen) {
            QWidget* over = Page() != nullptr ? Page()->window() : nullptr;
            const ui::PaintManager* manager = Manager();
            uint32_t colour = 0;
            const int result = ui::CColorSelectWnd::Choose(
                over, current.rgba(), manager != nullptr ? manager->Dpi() : 96, &colour);
            chosen(result == 1 ? QColor::fromRgba(colour | 0xFF000000u) : QColor());
        };
    }
    dpiPanel_ = std::make_unique<CDpiPanel>(*this, page);
    optionPanel_ = std::make_unique<CMouseOptionPanel>(*this, page);
    if (QWidget* shoot =
            ui::PaintManager::FindSubControlByName(page, QStringLiteral("ShootControlItem"))) {
        shootPanel_ = std::make_unique<CShootControlUI>(*this, shoot);
        shootPanel_->InitRecoil();
    }
    BuildKeyPanels();
}

void COrvaneMouseDevice::RefreshPanel() {
    ReloadPanelLists();
    RefreshLightPanel();
    const MouseSettings settings = Settings();
    if (dpiPanel_) {
        dpiPanel_->SetRanges(Scale());
        dpiPanel_->Show(settings);
    }
    if (optionPanel_) optionPanel_->Show(settings);
    RefreshKeyLabels();
    if (CKeySetControlUI* keys = CKeySetControlUI::Of(this)) keys->Refresh();
}

void COrvaneMouseDevice::SetColourPicker(ColourPicker picker) {
    colourPicker_ = std::move(picker);
    if (dpiPanel_) dpiPanel_->UpdateColourButtons();
}

}  // namespace qx::devices
