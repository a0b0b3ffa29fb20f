// Calls of qx580ctl into the running program over the session bus: one connection per command,
// closed before the command returns, and one way of telling what went wrong.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariantList>
#include <optional>
#include <string>

#include "core/device_kind.h"
#include "ctl/commands.h"

namespace qx::ctl {

inline constexpr const char* kBusService = "org.mirvel.QX580";
inline constexpr const char* kBusPath = "/org/mirvel/QX580";
inline constexpr const char* kDevicesInterface = "org.mirvel.QX580.Devices";

// The device families as scripts name them ("keyboard", ...), their folders and their kinds.
struct CtlFamily {
    const char* name;
    const char* folder;
    DeviceKind kind;
    DeviceKind receiverKind;  // the kind of its receiver's slot; its cable kind when it has none
};
inline constexpr CtlFamily kCtlFamilies[] = {
    {"keyboard", "keyboard", DeviceKind::KeyboardWired, DeviceKind::KeyboardWireless},
    {"mouse", "mouse", DeviceKind::MouseWired, DeviceKind::MouseWireless},
    {"pad", "MousePad", DeviceKind::MousePad, DeviceKind::MousePad},
    {"headset", "HD", DeviceKind::Headset, DeviceKind::Headset}};
// The family of a script's name or of a folder name; nullptr when none.
const CtlFamily* FindCtlFamily(const std::string& name);
inline constexpr const char* kCtlFamilyNames = "keyboard, mouse, pad, headset";

class BusCall {
  public:
    // `what` names the program the interface belongs to in the "not running" message
    // ("qx580", "qx580 --simulate").
    BusCall(const char* connectionName, const char* interfaceName, const char* what,
            int timeoutMs = 5000);
    ~BusCall();
    BusCall(const BusCall&) = delete;
    BusCall& operator=(const BusCall&) = delete;

    // Whether the program offers the interface now (no message when it doesn't).
    bool ProgramRunning();
    // The reply's arguments, or nullopt after the error has been told on context.err. The
    // error's name is kept in LastError().
    // With `tell` false nothing is written; LastMessage() has the error's text.
    std::optional<QVariantList> Call(Context& context, const QString& method,
                                     const QVariantList& arguments = {}, bool tell = true);
    const QString& LastError() const { return lastError_; }
    const QString& LastMessage() const { return lastMessage_; }

  private:
    QString connectionName_;
    QString interface_;
    const char* what_;
    int timeoutMs_;
    QDBusConnection bus_{QString()};
    QString lastError_;
    QString lastMessage_;
};

}  // namespace qx::ctl
