// The parameters other programs give the methods of the Lighting and Keys interfaces, taken by
// the running program on the simulated keyboard, mouse, pad and headset: device names, the
// lighting values (in range, out of range, -1 for "keep"), the synchronised lighting on and off,
// keys by number or name and functions in their text form.
// Besides the sanitizers: every answer of Get is a JSON object (or a refusal), and a function
// that does not parse changes no key. (A refused lighting change is not compared: changes asked
// before it are stored again by the device's worker in their order, at any moment.)
// Input: records of a method byte (0 Lighting.Get, 1 Lighting.Set, 2 Lighting.Sync, 3 Keys.Get,
// 4 Keys.Set, 5 Keys.Reset), a device byte (one of the names, or a length byte and a name of
// the input's own), then the method's parameters: a byte each (-1 to 248), or after the bytes
// 250-255 a 32-bit value; a key and a function are a length byte and text (in bytes).
#include <json/reader.h>
#include <json/value.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <array>
#include <memory>
#include <sstream>

#include "app/devices_adaptor.h"
#include "app/keys_adaptor.h"
#include "app/lighting_adaptor.h"
#include "app/main_wnd.h"
#include "devices/base/device_capabilities.h"
#include "devices/base/device_list_controller.h"
#include "devices/base/orvane_usb_device.h"
#include "fuzz_support.h"
#include "fuzz_window.h"
#include "macros/key_functions.h"

using namespace qx;

namespace {

fuzz::FuzzWindow* program = nullptr;
std::unique_ptr<app::LightingAdaptor> lightingAdaptor;
std::unique_ptr<app::KeysAdaptor> keysAdaptor;

constexpr std::array<const char*, 8> kNames = {
    "", "keyboard", "mouse", "pad", "headset", "keyboard-receiver", "mouse-receiver", "Keyboard"};

QString Text(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

QString DeviceName(fuzz::InputReader& in) {
    const uint8_t choice = in.Byte();
    if (choice < 240) return QString::fromLatin1(kNames[choice % kNames.size()]);
    return Text(in.Chars());
}

devices::COrvaneUSBDevice* Named(const QString& name) {
    devices::DeviceListController* list = program->window->Devices();
    if (list == nullptr) return nullptr;
    for (devices::COrvaneUSBDevice* device : list->AllDevices())
        if (app::BusDeviceName(*device) == name) return device;
    return nullptr;
}

// An answer of Get: empty (refused) or a JSON object.
void RequireJsonOrRefusal(const QString& answer, const char* what) {
    if (answer.isEmpty()) return;
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream text(answer.toStdString());
    fuzz::Require(Json::parseFromStream(builder, text, &root, &errors) && root.isObject(), what);
}

std::vector<KeyAssignRecord> KeyList(devices::COrvaneUSBDevice* device) {
    if (device == nullptr || device->KeyAssign() == nullptr) return {};
    return device->KeyAssign()->KeyList();
}

bool SameKeys(const std::vector<KeyAssignRecord>& a, const std::vector<KeyAssignRecord>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (KeyFunction::Of(a[i].current) != KeyFunction::Of(b[i].current)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    program = &fuzz::StartWindow(argc, argv, [] {
        lightingAdaptor.reset();
        keysAdaptor.reset();
    });
    const QDBusConnection none(QStringLiteral("none"));
    lightingAdaptor =
        std::make_unique<app::LightingAdaptor>(&program->exported, program->window.get(), none);
    keysAdaptor =
        std::make_unique<app::KeysAdaptor>(&program->exported, program->window.get(), none);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader in(data, size);
    const QDBusMessage call;
    for (int record = 0; record < 8 && !in.Empty(); ++record) {
        const uint8_t method = in.Byte() % 6;
        const QString device = DeviceName(in);
        devices::COrvaneUSBDevice* found = Named(device);
        switch (method) {
            case 0:
                RequireJsonOrRefusal(lightingAdaptor->Get(device, call), "Lighting.Get gives JSON");
                break;
            case 1: {
                std::array<int, 7> v{};
                for (int& value : v) value = in.Parameter();
                lightingAdaptor->Set(device, v[0], v[1], v[2], v[3], v[4], v[5], v[6], call);
                break;
            }
            case 2:
                lightingAdaptor->Sync((in.Byte() & 1) != 0, call);
                break;
            case 3:
                RequireJsonOrRefusal(keysAdaptor->Get(device, Text(in.Chars()), call),
                                     "Keys.Get gives JSON");
                break;
            case 4:
            case 5: {
                const QString key = Text(in.Chars());
                const QString function = Text(in.Chars());
                const std::vector<KeyAssignRecord> before = KeyList(found);
                if (method == 4) {
                    keysAdaptor->Set(device, key, function, call);
                    if (!ParseFunctionText(function.toStdString(), 256).function &&
                        !ParseFunctionText(function.toStdString(), 256).isDefault)
                        fuzz::Require(SameKeys(KeyList(found), before),
                                      "a function that does not parse changes no key");
                } else {
                    keysAdaptor->Reset(device, key, call);
                }
                break;
            }
        }
    }
    // The device work the changes started, and their answers.
    fuzz::Spin(5);
    return 0;
}
