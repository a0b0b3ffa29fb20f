// The mouse's buttons on its page: the button list beside the picture and the buttons' tooltips,
// the key assignment panel and the macro editor, and picking a button by the list or by the
// picture's rubber band.
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>

#include "controls/device_key_button.h"
#include "core/diagnostics.h"
#include "devices/base/device_profile_ui.h"
#include "devices/mouse/mouse_key_labels.h"
#include "devices/mouse/orvane_mouse_device.h"
#include "devices/panels/key_set_control_ui.h"
#include "devices/panels/macro_control_ui.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

constexpr int kKeyPage = 2;
constexpr int kRowHeight = 25;
constexpr int kTitleWidth = 200;
constexpr int kTextWidth = 180;

QString Text(const QString& key) { return ui::ResourceManager::GetInstance().Text(key); }

QLabel* RowLabel(QWidget* row, const QString& name, int width, const char* colour) {
    auto* label = new QLabel(row);
    label->setObjectName(name);
    label->setFixedWidth(width);
    label->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(colour));
    return label;
}

}  // namespace

// --- the model's side

QStringList COrvaneMouseDevice::MacroNames() const {
    std::lock_guard lock(model_);
    return macroNames_;
}

bool COrvaneMouseDevice::StoreKeyFunction(int key, const KeyAssignHalf& function) {
    std::lock_guard lock(model_);
    if (key < 0 || key >= static_cast<int>(keyList_.size())) return false;
    KeyAssignHalf& current = keyList_[static_cast<size_t>(key)].current;
    const KeyAssignHalf before = current;
    current.b2 = function.b2;
    current.b1 = function.b1;
    current.b0 = function.b0;
    profileData_.SetKeyList(keyList_);
    if (SaveLocked()) return true;
    // The list says what the file holds.
    current = before;
    profileData_.SetKeyList(keyList_);
    return false;
}

// --- the page

QListWidget* COrvaneMouseDevice::ButtonList() const { return buttonList_; }

CMacroControlUI* COrvaneMouseDevice::MacroPanel() const { return macroControl_; }

void COrvaneMouseDevice::BuildKeyPanels() {
    QWidget* page = Page();
    buttonList_ = qobject_cast<QListWidget*>(
        ui::PaintManager::FindSubControlByName(page, QStringLiteral("device_setkeyinfo_list")));
    if (buttonList_) {
        buttonList_->clear();
        buttonList_->setSelectionMode(QAbstractItemView::SingleSelection);
    }
    if (!macroControl_) {
        if (QWidget* panel =
                ui::PaintManager::FindSubControlByName(page, QStringLiteral("MacroControlItem")))
            macroControl_ = new CMacroControlUI(*this, panel);
    }
    // The key assignment panel, hidden until a button is picked.
    if (CKeySetControlUI::Of(this) == nullptr) new CKeySetControlUI(*this, Manager());

    ui::PaintManager* manager = Manager();
    if (manager == nullptr) return;
    if (buttonList_) {
        manager->OnNotify(buttonList_, QStringLiteral("itemclick"), this,
                          [this](ui::TNotifyUI& msg) {
                              CKeySetControlUI* keys = CKeySetControlUI::Of(this);
                              if (keys == nullptr) return;
                              // The panel is on the keys tab: the page goes there.
                              if (GetFunctionPage() != kKeyPage) {
                                  SetFunctionPage(kKeyPage);
                                  if (CDeviceProfileUI* profiles = CDeviceProfileUI::Of(this))
                                      profiles->SelectTab(kKeyPage);
                              }
                              const int before = keys->SelectedKey();
                              if (!keys->SelectKey(static_cast<int>(msg.wParam)) && buttonList_)
                                  buttonList_->setCurrentRow(before);
                          });
    }
    if (SelectPanel() != nullptr) {
        manager->OnNotify(SelectPanel(), QStringLiteral("click_select_end"), this,
                          [this](ui::TNotifyUI&) { OnPictureSelection(); });
    }
}

void COrvaneMouseDevice::OnPictureSelection() {
    // On the keys tab the rubber band picks the first button it touched; on the lighting tab
    // the mouse's LEDs are lit as one, so a selection there changes nothing.
    if (GetFunctionPage() != kKeyPage) return;
    CKeySetControlUI* keys = CKeySetControlUI::Of(this);
    if (keys == nullptr) return;
    const auto& buttons = KeyButtons();
    for (size_t i = 0; i < buttons.size(); ++i) {
        const auto* button = qobject_cast<const controls::CDeviceKeyButtonUI*>(buttons[i].data());
        if (button == nullptr || !button->IsSelected() || button->isHidden()) continue;
        if (keys->SelectKey(static_cast<int>(i)) && buttonList_)
            buttonList_->setCurrentRow(static_cast<int>(i));
        return;
    }
}

void COrvaneMouseDevice::RefreshKeyLabels() {
    const std::vector<KeyAssignRecord> keys = KeyList();
    const QStringList macros = MacroNames();
    const Translate translate = [](const QString& key) { return Text(key); };
    for (size_t i = 0; i < keys.size(); ++i) {
        const int button = static_cast<int>(i);
        if (button >= KeyCount() || !KeyButtons()[i]) continue;
        // A function without a description leaves the button and its row as they were.
        const std::optional<QString> text = MouseFunctionLabel(keys[i].current, translate, macros);
        if (!text) continue;
        QWidget* key = KeyButtons()[i];
        const QString title = MouseButtonName(button, translate);
        key->setProperty("tooltiptitle", title);
        key->setProperty("tooltiptext", *text);
        key->setToolTip(title + QLatin1Char('\n') + *text);
        ShowButtonRow(button, title, *text, !key->isHidden());
    }
    if (buttonList_) {
        buttonList_->setVisible(true);
        buttonList_->update();
    }
}

void COrvaneMouseDevice::ShowButtonRow(int button, const QString& title, const QString& text,
                                       bool shown) {
    if (!buttonList_) return;
    while (buttonList_->count() <= button) {
        const int n = buttonList_->count();
        auto* item = new QListWidgetItem(buttonList_);
        item->setSizeHint(QSize(kTitleWidth + kTextWidth, kRowHeight));
        auto* row = new QWidget(buttonList_);
        row->setObjectName(QStringLiteral("device_setkeyinfo_row_%1").arg(n));
        row->setFixedHeight(kRowHeight);
        // A row lets clicks through to the list, which picks the button.
        row->setAttribute(Qt::WA_TransparentForMouseEvents);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(4, 0, 4, 0);
        layout->addWidget(RowLabel(row, QStringLiteral("device_setkeyinfo_title_%1").arg(n),
                                   kTitleWidth, "#FFFFFF"));
        layout->addWidget(RowLabel(row, QStringLiteral("device_setkeyinfo_text_%1").arg(n),
                                   kTextWidth, "#0099FF"));
        layout->addStretch();
        buttonList_->setItemWidget(item, row);
        // A new row waits hidden until its button is known.
        item->setHidden(true);
        item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
    }
    QListWidgetItem* item = buttonList_->item(button);
    QWidget* row = buttonList_->itemWidget(item);
    const auto labels = row != nullptr ? row->findChildren<QLabel*>() : QList<QLabel*>();
    if (labels.size() == 2) {
        labels[0]->setText(title);
        // A long description ends in an ellipsis; the whole of it is the row's tooltip.
        const QFontMetrics metrics(labels[1]->font());
        labels[1]->setText(metrics.elidedText(text, Qt::ElideRight, kTextWidth));
        labels[1]->setToolTip(text);
    }
    item->setData(Qt::UserRole, text);
    item->setToolTip(title + QLatin1Char('\n') + text);
    item->setHidden(!shown);
    item->setFlags(shown ? item->flags() | Qt::ItemIsEnabled : item->flags() & ~Qt::ItemIsEnabled);
}

}  // namespace qx::devices
