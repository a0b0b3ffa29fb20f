// qx580ctl hid list: every HID interface as discovery sees it.
#include <json/json.h>

#include <iomanip>
#include <ostream>
#include <sstream>

#include "ctl/command_help.h"
#include "ctl/commands.h"
#include "ctl/json_output.h"
#include "ctl/simulation.h"
#include "devices/slot_table.h"
#include "hid/hid_device.h"

namespace qx::ctl {
namespace {

struct InterfaceLine {
    std::string path;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collection = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    int slot = -1;
    std::string error;
};

// The slot a fresh slot table would give this interface (the first row matching all six
// identity values).
int MatchingSlot(const InterfaceLine& line) {
    SlotTable slots(SupportedRows());
    ProbeRecord probe = ProbeFromPath(line.path);
    probe.vendorId = line.vendorId;
    probe.productId = line.productId;
    probe.usagePage = line.usagePage;
    probe.usage = line.usage;
    int index = -1;
    return slots.Claim(probe, index) ? index : -1;
}

InterfaceLine Describe(const std::string& path) {
    InterfaceLine line;
    line.path = path;
    ProbeRecord fromPath = ProbeFromPath(path);
    line.vendorId = fromPath.vendorId;
    line.productId = fromPath.productId;
    line.interfaceNumber = fromPath.interfaceNumber;
    line.collection = fromPath.collectionNumber;
    HidDevice device(Backend());
    // Attributes and capabilities come from the descriptor; the read open shows whether the
    // program may use the interface at all.
    if (!device.Open(path, false, false, true, false)) {
        line.error = device.LastError();
        return line;
    }
    line.vendorId = device.VendorId();
    line.productId = device.ProductId();
    line.usagePage = device.UsagePage();
    line.usage = device.Usage();
    line.slot = MatchingSlot(line);
    if (!device.Open(path, true, false, true, false)) line.error = device.LastError();
    return line;
}

std::string Hex4(uint16_t value) {
    std::ostringstream text;
    text << "0x" << std::hex << std::uppercase << std::setw(4) << std::setfill('0') << value;
    return text.str();
}

int RunHidList(Context& context, Args args) {
    bool json = false;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
        } else {
            context.err << "qx580ctl hid list: unknown option \"" << arg << "\"\n";
            return kExitUsage;
        }
    }
    HidDevice enumerator(Backend());
    if (!enumerator.Enumerate()) {
        context.err << "qx580ctl: the HID interfaces could not be listed\n";
        return kExitFailure;
    }
    std::vector<InterfaceLine> lines;
    while (const std::string* path = enumerator.NextPath()) lines.push_back(Describe(*path));

    if (json) {
        Json::Value array(Json::arrayValue);
        for (const InterfaceLine& line : lines) {
            Json::Value item(Json::objectValue);
            item["path"] = line.path;
            item["vendor_id"] = line.vendorId;
            item["product_id"] = line.productId;
            item["interface"] = line.interfaceNumber;
            item["collection"] = line.collection;
            item["usage_page"] = line.usagePage;
            item["usage"] = line.usage;
            item["slot"] = line.slot;
            item["error"] = line.error.empty() ? Json::Value() : Json::Value(line.error);
            array.append(item);
        }
        WriteJson(context.out, array);
        return kExitOk;
    }
    if (lines.empty()) {
        context.out << "no HID interfaces\n";
        return kExitOk;
    }
    for (const InterfaceLine& line : lines) {
        context.out << line.path << "\n    vendor " << Hex4(line.vendorId) << "  product "
                    << Hex4(line.productId) << "  interface " << line.interfaceNumber
                    << "  collection " << line.collection << "  usage page " << Hex4(line.usagePage)
                    << "  usage " << Hex4(line.usage) << "  slot " << line.slot << '\n';
        if (!line.error.empty()) context.out << "    error: " << line.error << '\n';
    }
    return kExitOk;
}

}  // namespace

int RunHidCommand(Context& context, Args args) {
    if (!args.empty() && args[0] == "list") return RunHidList(context, args.subspan(1));
    if (!args.empty() && args[0] == "decode") return RunHidDecode(context, args.subspan(1));
    context.err << CommandUsage("hid");
    return kExitUsage;
}

}  // namespace qx::ctl
