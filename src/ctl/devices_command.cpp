// qx580ctl devices: every device with its connection, power and profiles. Through the running
// program when one runs (it owns the devices and the files); otherwise from the profile files
// and one pass over the HID interfaces.
#include <json/json.h>

#include <QString>
#include <QVariantList>
#include <ostream>
#include <string>
#include <vector>

#include "ctl/bus_call.h"
#include "ctl/command_help.h"
#include "ctl/commands.h"
#include "ctl/json_output.h"
#include "ctl/simulation.h"
#include "devices/discovery_thread.h"
#include "platform/user_folders.h"
#include "profiles/profile_manager.h"

namespace qx::ctl {
namespace {

class ArrivalList final : public DiscoveryOwner {
  public:
    void OnDeviceArrived(int slot) override { arrived.push_back(slot); }
    void OnDeviceRemoved(int) override {}
    void OnFirstPassDone() override {}
    std::vector<int> arrived;
};

// The list as the program gives it, from the files and the attached devices.
bool ListDirectly(Context& context, Json::Value& root) {
    SlotTable table(SupportedRows());
    ArrivalList arrivals;
    DiscoveryThread discovery(table, arrivals, Backend());
    if (!discovery.RunPass()) {
        context.err << "qx580ctl: the HID interfaces could not be listed\n";
        return false;
    }
    root = Json::Value(Json::objectValue);
    root["devices"] = Json::Value(Json::arrayValue);
    for (const CtlFamily& family : kCtlFamilies) {
        std::string connection = "none";
        for (int index : arrivals.arrived) {
            const DeviceSlot slot = table.Slot(size_t(index));
            if (!slot.row.IsCommand()) continue;
            if (slot.row.kind == family.kind) connection = "cable";
            if (slot.row.kind == family.receiverKind && family.receiverKind != family.kind &&
                connection == "none")
                connection = "receiver";
        }
        ProfileManager manager;
        manager.SetDeviceKind(family.kind);
        manager.SetFolders(platform::UserDeviceFolder(family.folder),
                           platform::DefaultProfilePath(family.folder));
        const bool listed = bool(manager.InitProfileList());
        Json::Value item(Json::objectValue);
        item["device"] = family.name;
        item["name"] = family.folder;
        item["kind"] = static_cast<int>(family.kind);
        item["online"] = connection != "none";
        item["connection"] = connection;
        item["power"] = Json::Value(Json::nullValue);  // known to the running program only
        item["profiles"] = Json::Value(Json::arrayValue);
        for (const std::string& name : manager.Names()) item["profiles"].append(name);
        item["selected"] = listed ? manager.GetSelectedIndex() : -1;
        root["devices"].append(item);
    }
    return true;
}

void PrintTable(Context& context, const Json::Value& root) {
    for (const Json::Value& device : root["devices"]) {
        context.out << device["device"].asString() << "  "
                    << (device["online"].asBool()
                            ? "on-line (" + device["connection"].asString() + ")"
                            : std::string("off-line"));
        if (device["power"].isObject())
            context.out << "  battery " << device["power"]["percent"].asInt() << "%";
        context.out << '\n';
        const int selected = device["selected"].asInt();
        for (Json::ArrayIndex i = 0; i < device["profiles"].size(); ++i) {
            context.out << (int(i) == selected ? "  * " : "    ") << i << "  "
                        << device["profiles"][i].asString() << '\n';
        }
    }
}

}  // namespace

int RunDevicesCommand(Context& context, Args args) {
    bool json = false;
    bool verbose = false;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (arg == "--verbose") {
            verbose = true;
        } else {
            context.err << "qx580ctl devices: unknown argument \"" << arg << "\"\n"
                        << CommandUsage("devices");
            return kExitUsage;
        }
    }
    Json::Value root;
    BusCall bus("qx580ctl-devices", kDevicesInterface, "qx580");
    if (bus.ProgramRunning()) {
        if (verbose) context.err << "qx580ctl: asking the running program\n";
        const std::optional<QVariantList> reply = bus.Call(context, QStringLiteral("List"));
        if (!reply) return kExitFailure;
        Json::CharReaderBuilder reader;
        std::string errors;
        const std::string text = reply->value(0).toString().toStdString();
        std::unique_ptr<Json::CharReader> parse(reader.newCharReader());
        if (!parse->parse(text.data(), text.data() + text.size(), &root, &errors)) {
            context.err << "qx580ctl: the program's list is not JSON: " << errors << '\n';
            return kExitFailure;
        }
    } else {
        if (verbose)
            context.err << "qx580ctl: no program runs; reading the files and devices directly\n";
        if (!ListDirectly(context, root)) return kExitFailure;
    }
    if (json) {
        WriteJson(context.out, root);
    } else {
        PrintTable(context, root);
    }
    return kExitOk;
}

}  // namespace qx::ctl
