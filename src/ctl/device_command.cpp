// qx580ctl device info: what first contact reads from every attached device.
#include <json/json.h>

#include <cstdio>
#include <optional>
#include <ostream>
#include <vector>

#include "core/device_names.h"
#include "core/result_codes.h"
#include "ctl/command_help.h"
#include "ctl/commands.h"
#include "ctl/json_output.h"
#include "ctl/simulation.h"
#include "devices/discovery_thread.h"
#include "hid/device_link.h"

namespace qx::ctl {
namespace {

// Collects the arrivals of one discovery pass.
class ArrivalList final : public DiscoveryOwner {
  public:
    void OnDeviceArrived(int slot) override { slots.push_back(slot); }
    void OnDeviceRemoved(int) override {}
    void OnFirstPassDone() override {}
    std::vector<int> slots;
};

const char* KindName(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::KeyboardWired:
            return "KeyboardWired";
        case DeviceKind::MouseWired:
            return "MouseWired";
        case DeviceKind::MousePad:
            return "MousePad";
        case DeviceKind::MouseWireless:
            return "MouseWireless";
        case DeviceKind::Headset:
            return "Headset";
        case DeviceKind::KeyboardWireless:
            return "KeyboardWireless";
    }
    return "unknown";
}

const char* ResultText(int result) {
    switch (result) {
        case kResultFailed:
            return "no reply (not open, time-out or read failure)";
        case kResultWriteFailed:
            return "the request could not be written";
        case kResultUnreachable:
            return "the device behind the receiver is not reachable";
        case kResultStatusFF:
            return "the device answered status 0xFF";
        case kResultStatusFE:
            return "the device answered status 0xFE";
        case kResultRefusedProfile:
            return "refused profile";
        default:
            return "failed";
    }
}

std::string HexBytes(const uint8_t* bytes, size_t length) {
    std::string text;
    char hex[3];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        text += hex;
    }
    return text;
}

struct DeviceReport {
    int slot = -1;
    DeviceKind kind = DeviceKind::KeyboardWired;
    IdentityBlock identity;
    std::optional<int> profile;
    std::string error;
};

bool IsKeyboard(DeviceKind kind) {
    return kind == DeviceKind::KeyboardWired || kind == DeviceKind::KeyboardWireless;
}

DeviceReport ReadDevice(const DeviceSlot& slot, int index) {
    DeviceReport report;
    report.slot = index;
    report.kind = slot.row.kind;
    DeviceLink link(Backend());
    const LinkSide side = IsReceiverKind(slot.row.kind) ? LinkSide::Receiver : LinkSide::Cable;
    if (!link.OpenCommandInterface(side, slot.path, &report.error)) return report;

    Result result = link.CmdBeginConfig();
    if (result == kResultSuccess) result = link.CmdReadIdentity(report.identity.bytes.data());
    if (result == kResultSuccess && IsKeyboard(slot.row.kind)) {
        if (!link.SetBlockSize(static_cast<uint16_t>(report.identity.KeyCount() * 3))) {
            report.error = "the identity names more keys than a key table holds";
        } else {
            uint8_t profile = 0;
            result = link.CmdReadConfig(&profile, 1, 0);
            if (result == kResultSuccess) report.profile = profile;
        }
    }
    // The configuration sequence is closed whatever happened inside it.
    const Result ended = link.CmdEndConfig(1);
    if (result == kResultSuccess) result = ended;
    if (result != kResultSuccess && report.error.empty()) {
        report.error = std::string(ResultText(result)) + " (" + std::to_string(result) + ")";
    }
    link.CloseCommandInterfaces();
    return report;
}

}  // namespace

int RunDeviceCommand(Context& context, Args args) {
    if (args.empty() || args[0] != "info") {
        context.err << CommandUsage("device");
        return kExitUsage;
    }
    bool json = false;
    for (const std::string& arg : args.subspan(1)) {
        if (arg == "--json") {
            json = true;
        } else {
            context.err << "qx580ctl device info: unknown option \"" << arg << "\"\n";
            return kExitUsage;
        }
    }

    SlotTable slots(SupportedRows());
    ArrivalList arrivals;
    DiscoveryThread discovery(slots, arrivals, Backend());
    if (!discovery.RunPass()) {
        context.err << "qx580ctl: the HID interfaces could not be listed\n";
        return kExitFailure;
    }

    std::vector<DeviceReport> reports;
    for (int index : arrivals.slots) {
        const DeviceSlot slot = slots.Slot(static_cast<size_t>(index));
        if (!slot.row.IsCommand()) continue;
        reports.push_back(ReadDevice(slot, index));
    }

    int status = kExitOk;
    Json::Value array(Json::arrayValue);
    for (const DeviceReport& report : reports) {
        if (!report.error.empty()) {
            context.err << "qx580ctl: slot " << report.slot << " (" << DeviceNameOfKind(report.kind)
                        << "): " << report.error << '\n';
            status = kExitFailure;
            continue;
        }
        const std::string identity =
            HexBytes(report.identity.bytes.data(), report.identity.bytes.size());
        const int macroBytes = report.identity.MacroMemoryUnits() * 128;
        if (json) {
            Json::Value item(Json::objectValue);
            item["slot"] = report.slot;
            item["device"] = DeviceNameOfKind(report.kind);
            item["kind"] = KindName(report.kind);
            item["identity"] = identity;
            item["key_count"] = report.identity.KeyCount();
            item["macro_bytes"] = macroBytes;
            item["profile"] = report.profile ? Json::Value(*report.profile) : Json::Value();
            array.append(item);
        } else {
            context.out << "slot " << report.slot << ": " << DeviceNameOfKind(report.kind) << '\n'
                        << "    identity     " << identity << '\n'
                        << "    keys         " << int(report.identity.KeyCount()) << '\n'
                        << "    macro memory " << macroBytes << " bytes\n";
            if (report.profile) context.out << "    profile      " << *report.profile << '\n';
        }
    }
    if (json) {
        WriteJson(context.out, array);
    } else if (reports.empty()) {
        context.out << "no supported device attached\n";
    }
    return status;
}

}  // namespace qx::ctl
