#include "devices/base/device_list_controller.h"

#include <QAbstractButton>
#include <QLayout>
#include <QStackedWidget>

#include "core/diagnostics.h"
#include "devices/base/device_option_ui.h"
#include "devices/base/device_profile_ui.h"
#include "devices/base/mp_device_power_ui.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/base/register_device_controls.h"
#include "ui/custom_message.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"
#include "ui/skin_loader.h"

namespace qx::devices {

namespace {

// A skin tree whose root must be of class T; anything else is a skin error.
template <class T>
T* BuildAs(ui::SkinLoader& loader, std::string_view file, QWidget* parent) {
    QWidget* root =
        loader.Build(QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size())), parent);
    if (root == nullptr) {
        DebugLine("AddDeviceEntry: " + loader.LastError().toStdString());
        return nullptr;
    }
    if (auto* typed = qobject_cast<T*>(root)) return typed;
    DebugLine("AddDeviceEntry: the root of " + std::string(file) + " is of the wrong class");
    delete root;
    return nullptr;
}

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DeviceListController::DeviceListController(QWidget* window, ui::PaintManager& paintManager,
                                           ui::SkinLoader& loader, SlotTable& slotTable,
                                           QObject* messageTarget, HidBackend& backend,
                                           std::span<const DeviceFamilyRow> families)
    : window_(window),
      paintManager_(paintManager),
      loader_(loader),
      slots_(slotTable),
      messageTarget_(messageTarget),
      backend_(backend),
      families_(families) {
    RegisterDeviceControls();
}

DeviceListController::~DeviceListController() {
    for (const std::unique_ptr<COrvaneUSBDevice>& device : devices_) {
        if (CDeviceOptionUI* entry = device->DeviceEntry()) paintManager_.KillTimers(entry);
        device->Shutdown();
    }
}

QWidget* DeviceListController::Container(const char* name) const {
    return paintManager_.FindControl(QString::fromLatin1(name));
}

std::vector<COrvaneUSBDevice*>& DeviceListController::ListOf(DeviceFamily family) {
    switch (family) {
        case DeviceFamily::Keyboard:
            return keyboards_;
        case DeviceFamily::Mouse:
            return mice_;
        case DeviceFamily::MousePad:
            return pads_;
        case DeviceFamily::Headset:
            return headsets_;
    }
    return keyboards_;
}

std::vector<COrvaneUSBDevice*> DeviceListController::AllDevices() const {
    std::vector<COrvaneUSBDevice*> all;
    for (const auto& device : devices_) all.push_back(device.get());
    return all;
}

void DeviceListController::CreatePlaceholderEntries() {
    for (const DeviceFamilyRow& family : families_) {
        if (!family.placeholder || !ListOf(family.family).empty()) continue;
        // The family's first command slot in the slot table.
        for (size_t i = 0; i < slots_.size(); ++i) {
            const DeviceSlot slot = slots_.Slot(i);
            if (slot.row.kind == family.kinds[0] && slot.row.IsCommand()) {
                AddDeviceEntry(slot);
                break;
            }
        }
    }
}

COrvaneUSBDevice* DeviceListController::AddDeviceEntry(const DeviceSlot& slot) {
    SupportedDeviceRow identity = slot.row;
    if (slot.row.kind == DeviceKind::MouseWireless && slot.row.hasPartner &&
        slot.row.partnerRow < slots_.size()) {
        identity = slots_.Rows()[slot.row.partnerRow];
    }
    const DeviceFamilyRow* family =
        FindFamilyRow(families_, identity.vendorId, identity.productId, identity.kind);
    if (family == nullptr) return nullptr;
    auto* powerSwitch = qobject_cast<QStackedWidget*>(Container("device_power_switch"));
    auto* pageSwitch = qobject_cast<QStackedWidget*>(Container("device_switch"));
    QWidget* list = Container("device_select_layout");
    if (powerSwitch == nullptr || pageSwitch == nullptr || list == nullptr) {
        DebugLine("AddDeviceEntry: the window lacks its device list containers");
        return nullptr;
    }

    auto* power = BuildAs<CMpDevicePowerUI>(loader_, kPowerControlFile, powerSwitch);
    if (power == nullptr) return nullptr;
    auto* page = BuildAs<QWidget>(loader_, family->pageFile, pageSwitch);
    if (page == nullptr) {
        delete power;
        return nullptr;
    }
    auto* entry = BuildAs<CDeviceOptionUI>(loader_, family->entryFile, list);
    if (entry == nullptr) {
        delete power;
        delete page;
        return nullptr;
    }

    const int powerIndex = powerSwitch->addWidget(power);
    power->SetKind(slot.row.kind, 0);
    records_.push_back({power, entry, family});

    std::unique_ptr<COrvaneUSBDevice> made = family->create(backend_);
    COrvaneUSBDevice* device = made.get();
    devices_.push_back(std::move(made));
    device->SetPaintManager(&paintManager_);
    device->SetPowerControl(power);
    device->AssignSlot(slot);
    const int pageIndex = pageSwitch->addWidget(page);
    device->Setup(*family, page);
    ListOf(family->family).push_back(device);
    // The page's profile panel: the device's profiles, and the one it starts with.
    (new CDeviceProfileUI(*device, &paintManager_))->Start();

    if (list->layout() != nullptr) {
        list->layout()->addWidget(entry);
    } else {
        entry->setParent(list);
    }
    entry->SetSynchroVisible(false);
    entry->SetGroup(ToQString(family->optionGroup));
    entry->BindPage("device_switch", pageIndex);
    entry->SetPowerPage(ToQString(family->powerLayout), powerIndex);
    entry->SetKind(static_cast<int>(family->entryKind), family->iconVariant);
    entry->ShowEntry(false);
    entry->SetNameText(ToQString(family->folderName));
    entry->SetDevice(device);
    entry->SetPaintManager(&paintManager_);
    entry->SetMessageTarget(messageTarget_);

    paintManager_.AttachControls(power);
    paintManager_.AttachControls(page);
    paintManager_.AttachControls(entry);
    if (deviceAdded_) deviceAdded_(*device);
    return device;
}

std::vector<CDeviceOptionUI*> DeviceListController::Entries() const {
    std::vector<CDeviceOptionUI*> entries;
    QWidget* list = Container("device_select_layout");
    if (list == nullptr) return entries;
    if (QLayout* layout = list->layout()) {
        for (int i = 0; i < layout->count(); ++i) {
            if (auto* entry = qobject_cast<CDeviceOptionUI*>(layout->itemAt(i)->widget()))
                entries.push_back(entry);
        }
    } else {
        for (auto* entry : list->findChildren<CDeviceOptionUI*>(Qt::FindDirectChildrenOnly))
            entries.push_back(entry);
    }
    return entries;
}

CDeviceOptionUI* DeviceListController::EntryOfListIndex(int listIndex) const {
    for (CDeviceOptionUI* entry : Entries()) {
        if (entry->Device() != nullptr && entry->Device()->DeviceListIndex() == listIndex)
            return entry;
    }
    return nullptr;
}

std::optional<DeviceSlot> DeviceListController::ConnectedPartner(const DeviceSlot& slot) const {
    if (!slot.row.hasPartner || slot.row.partnerRow >= slots_.size()) return std::nullopt;
    DeviceSlot partner = slots_.Slot(slot.row.partnerRow);
    if (partner.row.partnerRow != slot.index || !partner.Connected() || partner.path.empty())
        return std::nullopt;
    return partner;
}

DeviceSlot DeviceListController::RecordOf(const DeviceSlot& slot) const {
    if (IsReceiverKind(slot.row.kind) && slot.row.hasPartner && slot.row.partnerRow < slots_.size())
        return slots_.Slot(slot.row.partnerRow);
    return slot;
}

COrvaneUSBDevice* DeviceListController::FindDevice(const DeviceSlot& slot) {
    const bool partnered = slot.row.hasPartner && slot.row.partnerRow < slots_.size();
    const SupportedDeviceRow partner = partnered ? slots_.Rows()[slot.row.partnerRow] : slot.row;
    for (COrvaneUSBDevice* device : ListOf(FamilyOfKind(slot.row.kind))) {
        const SupportedDeviceRow& known = device->Slot().row;
        if (known.SameInterface(slot.row) || (partnered && known.SameInterface(partner)))
            return device;
    }
    return nullptr;
}

COrvaneUSBDevice* DeviceListController::FindNotificationDevice(const DeviceSlot& slot) {
    const bool partnered = slot.row.hasPartner && slot.row.partnerRow < slots_.size();
    const SupportedDeviceRow partner = partnered ? slots_.Rows()[slot.row.partnerRow] : slot.row;
    for (COrvaneUSBDevice* device : ListOf(FamilyOfKind(slot.row.kind))) {
        const SupportedDeviceRow& known = device->Slot().row;
        if (known.SameProduct(slot.row) || (partnered && known.SameProduct(partner))) return device;
    }
    return nullptr;
}

void DeviceListController::OnDeviceArrived(int index) {
    if (index < 0 || static_cast<size_t>(index) >= slots_.size()) return;
    const DeviceSlot slot = slots_.Slot(static_cast<size_t>(index));
    const DeviceFamily family = FamilyOfKind(slot.row.kind);
    const bool createdOnArrival = !FamilyRow(family).placeholder;

    if (!slot.row.IsCommand()) {
        COrvaneUSBDevice* device = FindNotificationDevice(slot);
        if (device == nullptr && createdOnArrival) {
            // The notification interface came first: the device's entry is made from its
            // command row, hidden until the command interface arrives.
            const int command =
                FindSupportedRow(slots_.Rows(), slot.row.vendorId, slot.row.productId,
                                 slot.row.kind, InterfaceRole::Command);
            if (command >= 0) device = AddDeviceEntry(slots_.Slot(static_cast<size_t>(command)));
        }
        if (device != nullptr) device->OpenNotificationInterface(slot.path, slot.row.kind);
        return;
    }

    if (ConnectedPartner(slot) && !IsReceiverKind(slot.row.kind)) {
        SwitchConnection(slot);
        return;
    }
    COrvaneUSBDevice* device = FindDevice(slot);
    if (device == nullptr && createdOnArrival) device = AddDeviceEntry(slot);
    if (device == nullptr) return;

    // The interface opens on the device's worker; the entry shows once it is open.
    const bool cable = !IsReceiverKind(slot.row.kind);
    auto afterOpen = [this, device, cable](bool opened) {
        if (!opened) return;
        CDeviceOptionUI* entry = device->DeviceEntry();
        if (entry == nullptr) return;
        if (cable) ShowEntry(entry, true, OnlineCount() == 0);
        entry->StartContact();
    };
    if (device->Online()) {
        afterOpen(true);
    } else {
        device->OpenCommand(slot, RecordOf(slot), afterOpen);
    }
}

void DeviceListController::OnDeviceRemoved(int index) {
    if (index < 0 || static_cast<size_t>(index) >= slots_.size()) return;
    const DeviceSlot slot = slots_.Slot(static_cast<size_t>(index));
    const bool receiverKind = IsReceiverKind(slot.row.kind);

    if (!slot.row.IsCommand()) {
        if (COrvaneUSBDevice* device = FindNotificationDevice(slot))
            device->CloseNotificationInterface(receiverKind);
        return;
    }

    COrvaneUSBDevice* device = FindDevice(slot);
    if (ConnectedPartner(slot)) {
        if (!receiverKind) {
            SwitchConnection(slot);
            return;
        }
        // The receiver went while the cable is there: move to the cable when the receiver was
        // in use; otherwise the cable connection stays as it is.
        if (device != nullptr && device->Receiver()) {
            SwitchConnection(slot);
        } else if (device != nullptr) {
            device->Post(
                [device] { device->CommandLink().CloseCommandInterface(LinkSide::Receiver); });
        }
        return;
    }
    if (device == nullptr) return;
    switch (FamilyOfKind(slot.row.kind)) {
        case DeviceFamily::Keyboard:
            DebugLine("键盘设备丢失");
            break;
        case DeviceFamily::Mouse:
            DebugLine("鼠标设备丢失");
            break;
        default:
            break;
    }
    device->CloseCommand();
    if (CDeviceOptionUI* entry = device->DeviceEntry()) EntryLost(entry);
}

void DeviceListController::SwitchConnection(const DeviceSlot& slot) {
    COrvaneUSBDevice* device = FindDevice(slot);
    if (device == nullptr) return;
    const int partner = slot.row.hasPartner ? slot.row.partnerRow : slot.index;
    const int cableSlot = IsReceiverKind(slot.row.kind) ? partner : slot.index;
    const int receiverSlot = IsReceiverKind(slot.row.kind) ? slot.index : partner;
    const bool toCable = device->Receiver();
    const std::string path =
        slots_.Slot(static_cast<size_t>(toCable ? cableSlot : receiverSlot)).path;
    if (path.empty()) return;
    device->SwitchConnection(path, [this, device, toCable](bool opened) {
        if (!opened) return;
        CDeviceOptionUI* entry = device->DeviceEntry();
        if (!toCable) {
            if (entry != nullptr) entry->StartPresencePolling(2000);
            return;
        }
        if (entry != nullptr) entry->StartContact();
        ui::SendMessage(messageTarget_, msg::kEntryOnline, device->DeviceListIndex(), 1);
    });
}

void DeviceListController::OnEntryOnline(int listIndex, int online) {
    CDeviceOptionUI* entry = EntryOfListIndex(listIndex);
    if (entry == nullptr) return;
    if (online == 0) {
        DebugLine("2.4gcesvdfherhue 1");
        EntryLost(entry);
    } else if (!entry->IsShown()) {
        ShowEntry(entry, true, OnlineCount() == 0);
    }
}

void DeviceListController::EntryLost(CDeviceOptionUI* entry) {
    CDeviceOptionUI* other = nullptr;
    if (entry->IsShown() && entry->IsSelected()) {
        if (selectedEntryLost_) selectedEntryLost_();
        for (CDeviceOptionUI* candidate : Entries()) {
            if (candidate != entry && candidate->IsShown()) {
                other = candidate;
                break;
            }
        }
    }
    ShowEntry(entry, false, false);
    if (other != nullptr) ShowEntry(other, true, true);
}

void DeviceListController::ShowEntry(CDeviceOptionUI* entry, bool visible, bool select) {
    entry->ShowEntry(visible);
    if (select) {
        if (auto* pages = qobject_cast<QStackedWidget*>(Container("device_switch"))) {
            if (entry->PageIndex() >= 0 && entry->PageIndex() < pages->count())
                pages->setCurrentIndex(entry->PageIndex());
        }
        if (auto* powers = qobject_cast<QStackedWidget*>(Container("device_power_switch"))) {
            if (entry->PowerPageIndex() >= 0 && entry->PowerPageIndex() < powers->count()) {
                powers->setVisible(true);
                powers->setCurrentIndex(entry->PowerPageIndex());
            } else {
                powers->setVisible(false);
            }
        }
        for (CDeviceOptionUI* other : Entries()) {
            if (other != entry && other->IsSelected()) other->SetSelected(false);
        }
    }
    entry->SetSelected(select);

    const int shown = OnlineCount();
    if (QWidget* noDevice = Container("No_device_Link")) noDevice->setVisible(shown == 0);
    if (shown == 0) {
        if (auto* pages = qobject_cast<QStackedWidget*>(Container("device_switch")))
            pages->setCurrentIndex(0);
        if (auto* powers = qobject_cast<QStackedWidget*>(Container("device_power_switch")))
            powers->setCurrentIndex(0);
    }
    ForEachDevice([shown](COrvaneUSBDevice& device) {
        device.SetSeveralOnline(shown > 1);
        if (shown <= 1) device.SetSynchronisedLighting(false);
    });
    int synchronised = 0;
    const std::vector<CDeviceOptionUI*> entries = Entries();
    for (CDeviceOptionUI* candidate : entries) synchronised += candidate->IsSynchroSelected();
    if (synchronised <= 1) {
        for (CDeviceOptionUI* candidate : entries) {
            if (candidate->IsSynchroSelected()) candidate->SetSynchroSelected(false);
        }
    }
}

void DeviceListController::OnDeviceSelected(QWidget* option) {
    auto* button = qobject_cast<QAbstractButton*>(option);
    if (button != nullptr && !button->isChecked()) return;
    for (QWidget* walk = option; walk != nullptr; walk = walk->parentWidget()) {
        if (auto* entry = qobject_cast<CDeviceOptionUI*>(walk)) {
            ShowEntry(entry, entry->IsShown(), true);
            return;
        }
    }
}

void DeviceListController::SelectNeighbour(int step) {
    const std::vector<CDeviceOptionUI*> entries = Entries();
    int selected = -1;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i]->IsSelected()) {
            selected = static_cast<int>(i);
            break;
        }
    }
    if (selected < 0) return;
    for (int i = selected + step; i >= 0 && i < static_cast<int>(entries.size()); i += step) {
        if (entries[static_cast<size_t>(i)]->IsShown()) {
            ShowEntry(entries[static_cast<size_t>(i)], true, true);
            return;
        }
    }
}

void DeviceListController::SelectPrevious() { SelectNeighbour(-1); }
void DeviceListController::SelectNext() { SelectNeighbour(1); }

COrvaneUSBDevice* DeviceListController::CurrentDevice() const {
    for (CDeviceOptionUI* entry : Entries()) {
        if (entry->IsSelected()) return entry->Device();
    }
    return nullptr;
}

int DeviceListController::OnlineCount() const {
    int count = 0;
    for (CDeviceOptionUI* entry : Entries()) count += entry->IsShown();
    return count;
}

void DeviceListController::ForEachDevice(
    const std::function<void(COrvaneUSBDevice&)>& action) const {
    for (const auto* family : {&keyboards_, &mice_, &pads_, &headsets_}) {
        for (COrvaneUSBDevice* device : *family) action(*device);
    }
}

void DeviceListController::SetMiceAndKeyboardsHidden(bool hidden) {
    for (COrvaneUSBDevice* device : mice_) device->SetHidden(hidden);
    for (COrvaneUSBDevice* device : keyboards_) device->SetHidden(hidden);
}

void DeviceListController::SetLightingControl(bool on) {
    ForEachDevice([on](COrvaneUSBDevice& device) { device.SetLightingControl(on); });
}

void DeviceListController::RestoreSettings() {
    ForEachDevice([](COrvaneUSBDevice& device) { device.RestoreSettings(); });
}

void DeviceListController::SetWindowActive(bool active) {
    ForEachDevice([active](COrvaneUSBDevice& device) { device.SetWindowActive(active); });
}

void DeviceListController::RefreshNoDeviceLink() {
    if (QWidget* noDevice = Container("No_device_Link")) noDevice->setVisible(OnlineCount() == 0);
}

}  // namespace qx::devices
