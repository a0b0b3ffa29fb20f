#include "controls/register_controls.h"

#include "controls/audio_record.h"
#include "controls/chart_view.h"
#include "controls/circle_progress.h"
#include "controls/cloud_share_list_item.h"
#include "controls/combo_edit_container_element.h"
#include "controls/device_key_button.h"
#include "controls/hand_img_button.h"
#include "controls/hand_img_select_button.h"
#include "controls/redio_macro_button.h"
#include "controls/select_panel.h"
#include "controls/wnd_host.h"
#include "ui/color_palette.h"
#include "ui/control_factory.h"

namespace qx::controls {
namespace {

template <class Control>
void Register(const char* name) {
    ui::ControlFactory::GetInstance().RegistControl(
        QString::fromLatin1(name), [](QWidget* parent) { return new Control(parent); });
}

}  // namespace

void RegisterCustomControls() {
    Register<CCircleProgressUI>("CircleProgress");
    Register<CChartViewUI>("CChartViewUI");
    Register<CChartViewUI>("ChartView");
    Register<CWndUI>("Wnd");
    Register<CSelectPanelUI>("SelectPanel");
    Register<CDeviceKeyButtonUI>("DeviceKeyButton");
    Register<CCloudShareListItemUI>("CloudShareListItemUI");
    Register<CComboEditContainerElementUI>("ComboEditContainerElement");
    Register<CHandImgButtonUI>("HandImgButton");
    Register<CHandImgSelectButtonUI>("HandImgSelectButton");
    Register<CRedioMacroButtonUI>("RedioMacroButton");
    Register<ui::CColorPaletteUI>("ColorPalette");
    Register<CAudioRecordUI>("AudioRecord");
}

}  // namespace qx::controls
