#include "hid/hid_backend.h"

namespace qx {

// Placeholder until the hidraw backend lands: a machine with no HID nodes.
namespace {
class EmptyBackend final : public HidBackend {
public:
    bool EnumerateNodes(std::vector<HidNodeInfo>& nodes) override {
        nodes.clear();
        return true;
    }
    bool DescribeNode(const std::string&, HidNodeInfo&) override { return false; }
    std::unique_ptr<HidNodeConnection> OpenNode(const std::string&, bool, bool,
                                                std::string& error) override {
        error = "no HID backend";
        return nullptr;
    }
    bool NodePresent(const std::string&) override { return false; }
};
}  // namespace

HidBackend& HidrawBackend() {
    static EmptyBackend backend;
    return backend;
}

}  // namespace qx
