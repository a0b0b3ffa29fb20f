#include "devices/base/device_list_controller.h"

#include <QAbstractButton>
#include <QLayout>
#include <QStackedWidget>
#include <QThread>
#include <chrono>
#include <mutex>
#include <thread>

#include "core/diagnostics.h"
#include "devices/base/device_option_ui.h"
#include "devices/base/device_tables.h"
#include "devices/base/mp_device_power_ui.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/base/register_device_controls.h"
#include "ui/custom_message.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"
#include "ui/skin_loader.h"

namespace qx::devices {

namespace {

constexpr int kPresenceTries = 26;
constexpr int kPresenceTryGapMs = 50;

bool IsReceiverKind(uint16_t kind) {
    return kind == static_cast<uint16_t>(DeviceKind::KeyboardWireless) ||
           kind == static_cast<uint16_t>(DeviceKind::MouseWireless);
}

// Families whose entries are made at their first arrival (the others exist from the start).
bool CreatedOnArrival(uint16_t kind) {
    return kind == static_cast<uint16_t>(DeviceKind::MousePad) ||
           kind == static_cast<uint16_t>(DeviceKind::Headset);
}

bool IsCommand(const SupportedDeviceRow& row) {
    return row.role == static_cast<uint16_t>(InterfaceRole::Command);
}

// Slot records are the same device interface when every identity field is equal; the connected
// flag and the partner fields do not count.
bool SameRecord(const SupportedDeviceRow& a, const SupportedDeviceRow& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId &&
           a.interfaceNumber == b.interfaceNumber && a.collectionNumber == b.collectionNumber &&
           a.kind == b.kind && a.role == b.role && a.usagePage == b.usagePage && a.usage == b.usage;
}

bool SameProduct(const SupportedDeviceRow& a, const SupportedDeviceRow& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId && a.kind == b.kind;
}

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

}  // namespace

DeviceListController::DeviceListController(QWidget* window, ui::PaintManager& paintManager,
                                           ui::SkinLoader& loader, SlotTable& slotTable,
                                           QObject* messageTarget)
    : window_(window),
      paintManager_(paintManager),
      loader_(loader),
      slots_(slotTable),
      messageTarget_(messageTarget) {
    RegisterDeviceControls();
}

DeviceListController::~DeviceListController() {
    for (const QPointer<COrvaneUSBDevice>& device : devices_) {
        if (!device) continue;
        if (CDeviceOptionUI* entry = device->DeviceEntry()) paintManager_.KillTimers(entry);
        device->StopNotificationThreads();
        device->CloseCommandInterfaces();
    }
}

QWidget* DeviceListController::Container(const char* name) const {
    return paintManager_.FindControl(QString::fromLatin1(name));
}

std::vector<COrvaneUSBDevice*>* DeviceListController::ListOfKind(uint16_t kind) {
    switch (static_cast<DeviceKind>(kind)) {
        case DeviceKind::KeyboardWired:
        case DeviceKind::KeyboardWireless:
            return &keyboards_;
        case DeviceKind::MouseWired:
        case DeviceKind::MouseWireless:
            return &mice_;
        case DeviceKind::MousePad:
            return &pads_;
        case DeviceKind::Headset:
            return &headsets_;
    }
    return nullptr;
}

void DeviceListController::CreatePlaceholderEntries() {
    for (size_t row : {size_t{0}, size_t{1}}) {
        const DeviceEntryRow& entryRow = kDeviceEntryTable[row];
        std::vector<COrvaneUSBDevice*>* family = ListOfKind(entryRow.kindCode);
        if (family == nullptr || !family->empty()) continue;
        // The command slot of that family in the slot table.
        for (size_t i = 0; i < slots_.size(); ++i) {
            const DeviceSlot slot = slots_.Slot(i);
            if (slot.row.kind == entryRow.kindCode && IsCommand(slot.row)) {
                AddDeviceEntry(slot, 0);
                break;
            }
        }
    }
}

int DeviceListController::AddDeviceEntry(const DeviceSlot& slot, int role) {
    SupportedDeviceRow identity = slot.row;
    if (slot.row.kind == static_cast<uint16_t>(DeviceKind::MouseWireless) && slot.row.hasPartner &&
        slot.row.partnerRow < slots_.size()) {
        identity = slots_.Slot(slot.row.partnerRow).row;
    }
    const int row = FindDeviceEntryRow(identity.vendorId, identity.productId, identity.kind,
                                       static_cast<uint16_t>(role));
    if (row < 0) return 0;
    const DeviceEntryRow& entryRow = kDeviceEntryTable[static_cast<size_t>(row)];
    const DevicePageRow& pageRow = kDevicePageTable[static_cast<size_t>(row)];
    auto* powerSwitch = qobject_cast<QStackedWidget*>(Container("device_power_switch"));
    auto* pageSwitch = qobject_cast<QStackedWidget*>(Container("device_switch"));
    QWidget* list = Container("device_select_layout");
    std::vector<COrvaneUSBDevice*>* family = ListOfKind(slot.row.kind);
    if (powerSwitch == nullptr || pageSwitch == nullptr || list == nullptr || family == nullptr) {
        DebugLine("AddDeviceEntry: the window lacks its device list containers");
        return 0;
    }

    auto* power = BuildAs<CMpDevicePowerUI>(loader_, kPowerControlFile, powerSwitch);
    if (power == nullptr) return 0;
    auto* device = BuildAs<COrvaneUSBDevice>(loader_, pageRow.pageFile, pageSwitch);
    if (device == nullptr) {
        delete power;
        return 0;
    }
    auto* entry = BuildAs<CDeviceOptionUI>(loader_, entryRow.entryFile, list);
    if (entry == nullptr) {
        delete power;
        delete device;
        return 0;
    }

    const int powerIndex = powerSwitch->addWidget(power);
    power->SetKind(static_cast<DeviceKind>(slot.row.kind), role);
    records_.push_back({power, entry, row});

    device->SetPaintManager(&paintManager_);
    device->SetPageFile(QString::fromUtf8(pageRow.pageFile.data(),
                                          static_cast<qsizetype>(pageRow.pageFile.size())));
    device->SetKeyCount(pageRow.keyCount);
    device->SetLedCount(pageRow.ledCount);
    device->SetDeviceListIndex(row);
    device->SetBattery(pageRow.battery);
    device->SetProfileId(QString());
    device->SetDeviceFolderName(std::string(entryRow.folderName));
    device->SetPowerControl(power);
    device->AssignSlot(slot);
    device->SetModelIndex(entryRow.modelIndex);
    device->SetLightConfigName(std::string(pageRow.lightConfigName));
    device->AttachPanel();

    const int pageIndex = pageSwitch->addWidget(device);
    family->push_back(device);
    devices_.emplace_back(device);

    if (list->layout() != nullptr) {
        list->layout()->addWidget(entry);
    } else {
        entry->setParent(list);
    }
    entry->SetSynchroVisible(false);
    entry->SetGroup(QString::fromUtf8(entryRow.optionGroup.data(),
                                      static_cast<qsizetype>(entryRow.optionGroup.size())));
    entry->BindPage("device_switch", pageIndex);
    entry->SetPowerPage(QString::fromUtf8(entryRow.powerLayout.data(),
                                          static_cast<qsizetype>(entryRow.powerLayout.size())),
                        powerIndex);
    entry->SetKind(entryRow.kindCode, entryRow.iconVariant);
    entry->ShowEntry(false);
    entry->SetNameText(QString::fromUtf8(entryRow.folderName.data(),
                                         static_cast<qsizetype>(entryRow.folderName.size())));
    entry->SetDevice(device);
    entry->SetPaintManager(&paintManager_);
    entry->SetMessageTarget(messageTarget_);

    paintManager_.AttachControls(power);
    paintManager_.AttachControls(device);
    paintManager_.AttachControls(entry);
    return 1;
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

int DeviceListController::ConnectedPartner(int slot) const {
    const DeviceSlot self = slots_.Slot(static_cast<size_t>(slot));
    if (!self.row.hasPartner || self.row.partnerRow >= slots_.size()) return -1;
    const DeviceSlot partner = slots_.Slot(self.row.partnerRow);
    if (partner.row.partnerRow != slot || !partner.Connected() || partner.path.empty()) return -1;
    return self.row.partnerRow;
}

COrvaneUSBDevice* DeviceListController::FindDevice(int slot) {
    return FindDeviceMatching(slot, SameRecord);
}

COrvaneUSBDevice* DeviceListController::FindNotificationDevice(int slot) {
    return FindDeviceMatching(slot, SameProduct);
}

COrvaneUSBDevice* DeviceListController::FindDeviceMatching(
    int slot, bool (*same)(const SupportedDeviceRow&, const SupportedDeviceRow&)) {
    const DeviceSlot self = slots_.Slot(static_cast<size_t>(slot));
    std::vector<COrvaneUSBDevice*>* family = ListOfKind(self.row.kind);
    if (family == nullptr) return nullptr;
    const bool partnered = self.row.hasPartner && self.row.partnerRow < slots_.size();
    const SupportedDeviceRow partner = partnered ? slots_.Rows()[self.row.partnerRow] : self.row;
    for (COrvaneUSBDevice* device : *family) {
        if (same(device->Slot().row, self.row) || (partnered && same(device->Slot().row, partner)))
            return device;
    }
    return nullptr;
}

void DeviceListController::OnDeviceArrived(int slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= slots_.size()) return;
    const DeviceSlot self = slots_.Slot(static_cast<size_t>(slot));
    if (ListOfKind(self.row.kind) == nullptr) return;
    const bool receiverKind = IsReceiverKind(self.row.kind);

    if (!IsCommand(self.row)) {
        COrvaneUSBDevice* device = FindNotificationDevice(slot);
        if (device == nullptr && CreatedOnArrival(self.row.kind)) {
            // The notification interface came first: the device's entry is made from its
            // command row, hidden until the command interface arrives.
            const int command =
                FindSupportedRow(slots_.Rows(), self.row.vendorId, self.row.productId,
                                 static_cast<DeviceKind>(self.row.kind), InterfaceRole::Command);
            if (command >= 0 && AddDeviceEntry(slots_.Slot(static_cast<size_t>(command)), 0) == 1)
                device = FindNotificationDevice(slot);
        }
        if (device != nullptr)
            device->OpenNotificationInterface(self.path, static_cast<DeviceKind>(self.row.kind));
        return;
    }

    if (ConnectedPartner(slot) >= 0 && !receiverKind) {
        SwitchConnection(slot, self.row.role);
        return;
    }
    COrvaneUSBDevice* device = FindDevice(slot);
    if (device == nullptr && CreatedOnArrival(self.row.kind)) {
        if (AddDeviceEntry(self, 0) == 1) device = FindDevice(slot);
    }
    if (device == nullptr) return;

    DeviceLink& link = device->CommandLink();
    if (!link.IsOpen()) {
        std::lock_guard lock(link.TransferLock());
        HidDevice& iface = receiverKind ? link.ReceiverInterface() : link.CableInterface();
        if (iface.Open(self.path, true, true, true, false) != 0) {
            link.SetOpen(true);
            link.SetConnectionMode(receiverKind ? kConnectionReceiver : kConnectionCable);
            device->SetReceiver(receiverKind);
            DeviceSlot record = self;
            if (receiverKind && self.row.hasPartner && self.row.partnerRow < slots_.size())
                record = slots_.Slot(self.row.partnerRow);
            device->AssignSlot(record);
        } else {
            DebugLine("command interface did not open: " + iface.LastError());
        }
    }

    CDeviceOptionUI* entry = device->DeviceEntry();
    if (entry == nullptr) return;
    if (!receiverKind) ShowEntry(entry, true, OnlineCount() == 0);
    entry->StartContact();
}

void DeviceListController::OnDeviceRemoved(int slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= slots_.size()) return;
    const DeviceSlot self = slots_.Slot(static_cast<size_t>(slot));
    if (ListOfKind(self.row.kind) == nullptr) return;
    const bool receiverKind = IsReceiverKind(self.row.kind);

    if (!IsCommand(self.row)) {
        if (COrvaneUSBDevice* device = FindNotificationDevice(slot))
            device->CloseNotificationInterface(receiverKind);
        return;
    }

    COrvaneUSBDevice* device = FindDevice(slot);
    if (ConnectedPartner(slot) >= 0) {
        if (!receiverKind) {
            SwitchConnection(slot, self.row.role);
            return;
        }
        // The receiver went while the cable is there: move to the cable when the receiver was
        // in use; otherwise the cable connection stays as it is.
        if (device != nullptr && device->Receiver()) {
            SwitchConnection(slot, self.row.role);
        } else if (device != nullptr) {
            std::lock_guard lock(device->CommandLink().TransferLock());
            device->CommandLink().ReceiverInterface().Close();
        }
        return;
    }
    if (device == nullptr) return;
    const uint16_t kind = self.row.kind;
    if (kind == static_cast<uint16_t>(DeviceKind::KeyboardWired) ||
        kind == static_cast<uint16_t>(DeviceKind::KeyboardWireless)) {
        DebugLine("键盘设备丢失");
    } else if (kind == static_cast<uint16_t>(DeviceKind::MouseWired) ||
               kind == static_cast<uint16_t>(DeviceKind::MouseWireless)) {
        DebugLine("鼠标设备丢失");
    }
    device->CloseCommandInterfaces();
    if (CDeviceOptionUI* entry = device->DeviceEntry()) EntryLost(entry);
}

void DeviceListController::SwitchConnection(int slot, int) {
    COrvaneUSBDevice* device = FindDevice(slot);
    if (device == nullptr) return;
    const DeviceSlot self = slots_.Slot(static_cast<size_t>(slot));
    const int partner = self.row.hasPartner ? self.row.partnerRow : slot;
    const int cableSlot = IsReceiverKind(self.row.kind) ? partner : slot;
    const int receiverSlot = IsReceiverKind(self.row.kind) ? slot : partner;
    DeviceLink& link = device->CommandLink();
    const bool toCable = device->Receiver();
    bool opened = false;
    {
        std::lock_guard lock(link.TransferLock());
        link.SetOpen(false);
        HidDevice& iface = toCable ? link.CableInterface() : link.ReceiverInterface();
        const std::string path =
            slots_.Slot(static_cast<size_t>(toCable ? cableSlot : receiverSlot)).path;
        iface.Close();
        opened = !path.empty() && iface.Open(path, true, true, true, false) != 0;
        if (opened) {
            link.SetOpen(true);
            device->SetReceiver(!toCable);
            link.SetConnectionMode(toCable ? kConnectionCable : kConnectionReceiver);
        }
    }
    if (!opened) return;
    CDeviceOptionUI* entry = device->DeviceEntry();
    if (!toCable) {
        if (device->HasBattery()) {
            for (int i = 0; i < kPresenceTries && !link.CmdPresenceQuery(); ++i) {
                DebugLine("获取2.4G模式失败");
                std::this_thread::sleep_for(std::chrono::milliseconds(kPresenceTryGapMs));
            }
            DebugLine("获取2");
            device->PowerQuery();
        }
        if (entry != nullptr) entry->StartPresencePolling(2000);
    } else {
        if (entry != nullptr) entry->StartContact();
        ui::SendMessage(messageTarget_, msg::kEntryOnline, device->DeviceListIndex(), 1);
        if (device->HasBattery()) device->PowerQuery();
    }
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

void DeviceListController::SetWindowActive(bool active) {
    ForEachDevice([active](COrvaneUSBDevice& device) { device.SetWindowActive(active); });
}

void DeviceListController::RefreshNoDeviceLink() {
    if (QWidget* noDevice = Container("No_device_Link")) noDevice->setVisible(OnlineCount() == 0);
}

}  // namespace qx::devices
