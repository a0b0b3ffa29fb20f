// qx580ctl hid decode FILE [--json]: the top-level collections of a report descriptor file.
#include <json/json.h>

#include <cstdio>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <vector>

#include "ctl/commands.h"
#include "hid/report_descriptor.h"

namespace qx::ctl {
namespace {

// Far above any real descriptor (the kernel's limit is 4096 bytes), even written as hex text.
constexpr std::streamsize kMaxFileBytes = 1 << 20;

bool ReadFile(const std::string& path, std::vector<uint8_t>& content, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<char> buffer(static_cast<size_t>(kMaxFileBytes) + 1);
    file.read(buffer.data(), kMaxFileBytes + 1);
    if (file.bad()) {
        error = "cannot read " + path;
        return false;
    }
    const std::streamsize got = file.gcount();
    if (got > kMaxFileBytes) {
        error = path + " is too large for a report descriptor";
        return false;
    }
    content.assign(buffer.begin(), buffer.begin() + got);
    return true;
}

std::string Hex4(unsigned value) {
    std::ostringstream text;
    text << "0x" << std::hex << std::uppercase << std::setw(4) << std::setfill('0') << value;
    return text.str();
}

void PrintJson(std::ostream& out, const HidReportDescriptor& descriptor) {
    Json::Value list(Json::arrayValue);
    for (const HidCollectionInfo& collection : descriptor.collections) {
        Json::Value entry(Json::objectValue);
        entry["usage_page"] = collection.usagePage;
        entry["usage"] = collection.usage;
        Json::Value ids(Json::arrayValue);
        for (uint8_t id : collection.reportIds) ids.append(id);
        entry["report_ids"] = ids;
        entry["input_length"] = collection.inputReportLength;
        entry["output_length"] = collection.outputReportLength;
        entry["feature_length"] = collection.featureReportLength;
        list.append(entry);
    }
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    out << Json::writeString(builder, list) << '\n';
}

void PrintTable(std::ostream& out, const HidReportDescriptor& descriptor) {
    out << std::left << std::setw(12) << "collection" << std::setw(12) << "usage page"
        << std::setw(8) << "usage" << std::setw(20) << "report ids" << std::setw(7) << "input"
        << std::setw(8) << "output"
        << "feature\n";
    int number = 1;
    for (const HidCollectionInfo& collection : descriptor.collections) {
        std::string ids;
        for (uint8_t id : collection.reportIds) {
            if (!ids.empty()) ids += ',';
            ids += std::to_string(id);
        }
        if (ids.empty()) ids = "-";
        out << std::left << std::setw(12) << number++ << std::setw(12) << Hex4(collection.usagePage)
            << std::setw(8) << Hex4(collection.usage) << std::setw(20) << ids << std::setw(7)
            << collection.inputReportLength << std::setw(8) << collection.outputReportLength
            << collection.featureReportLength << '\n';
    }
}

}  // namespace

int RunHidDecode(Context& context, Args args) {
    std::string path;
    bool json = false;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            context.err << "qx580ctl: hid decode: unknown option \"" << arg << "\"\n";
            return kExitUsage;
        } else if (path.empty()) {
            path = arg;
        } else {
            context.err << "qx580ctl: hid decode takes one file\n";
            return kExitUsage;
        }
    }
    if (path.empty()) {
        context.err << "usage: qx580ctl hid decode FILE [--json]\n";
        return kExitUsage;
    }

    std::vector<uint8_t> content;
    std::string error;
    if (!ReadFile(path, content, error)) {
        context.err << "qx580ctl: " << error << '\n';
        return kExitFailure;
    }
    const auto bytes = DescriptorBytesFromFile(content);
    if (!bytes) {
        context.err << "qx580ctl: " << path
                    << " holds neither a binary report descriptor nor hexadecimal bytes\n";
        return kExitFailure;
    }
    const auto descriptor = ParseReportDescriptor(*bytes, &error);
    if (!descriptor) {
        context.err << "qx580ctl: " << path << ": invalid report descriptor: " << error << '\n';
        return kExitFailure;
    }
    if (json) {
        PrintJson(context.out, *descriptor);
    } else {
        PrintTable(context.out, *descriptor);
    }
    return kExitOk;
}

}  // namespace qx::ctl
