#include "app/simulator_adaptor.h"

#include "app/bus_names.h"
#include "sim/sim_bus.h"
#include "sim/sim_control.h"

namespace qx::app {
namespace {

bool KnownDevice(const QString& device) {
    if (device.isEmpty() || device.contains(QLatin1Char(':'))) return false;
    return sim::MakeFirmwareFor(device.toStdString()) != nullptr;
}

}  // namespace

SimulatorAdaptor::SimulatorAdaptor(QObject* exported, sim::SimBus& bus, QDBusConnection connection)
    : QDBusAbstractAdaptor(exported), bus_(bus), connection_(std::move(connection)) {}

void SimulatorAdaptor::Refuse(const QDBusMessage& call, const char* error, const QString& text) {
    call.setDelayedReply(true);
    connection_.send(call.createErrorReply(QString::fromLatin1(error), text));
}

void SimulatorAdaptor::Plug(const QString& device, const QDBusMessage& call) {
    if (!KnownDevice(device))
        return Refuse(call, kErrorUnknownDevice,
                      QStringLiteral("unknown device \"%1\"").arg(device));
    if (!bus_.Plug(device.toStdString()))
        Refuse(call, kErrorRefused, QStringLiteral("\"%1\" is plugged already").arg(device));
}

void SimulatorAdaptor::PlugReset(const QString& device, const QDBusMessage& call) {
    if (!KnownDevice(device))
        return Refuse(call, kErrorUnknownDevice,
                      QStringLiteral("unknown device \"%1\"").arg(device));
    if (!bus_.PlugFactoryNew(device.toStdString()))
        Refuse(call, kErrorRefused, QStringLiteral("\"%1\" is plugged already").arg(device));
}

void SimulatorAdaptor::Unplug(const QString& device, const QDBusMessage& call) {
    if (!KnownDevice(device))
        return Refuse(call, kErrorUnknownDevice,
                      QStringLiteral("unknown device \"%1\"").arg(device));
    if (!bus_.Unplug(device.toStdString()))
        Refuse(call, kErrorRefused, QStringLiteral("\"%1\" is not plugged").arg(device));
}

void SimulatorAdaptor::SetReceiverOnline(const QString& device, bool online,
                                         const QDBusMessage& call) {
    if (!KnownDevice(device))
        return Refuse(call, kErrorUnknownDevice,
                      QStringLiteral("unknown device \"%1\"").arg(device));
    if (!bus_.SetReceiverOnline(device.toStdString(), online))
        Refuse(call, kErrorRefused, QStringLiteral("\"%1\" is not a plugged receiver").arg(device));
}

bool SimulatorAdaptor::Answer(const QDBusMessage& call, const sim::ControlResult& result) {
    using Error = sim::ControlResult::Error;
    const char* name = nullptr;
    switch (result.error) {
        case Error::None:
            return true;
        case Error::UnknownDevice:
            name = kErrorUnknownDevice;
            break;
        case Error::UnknownRegion:
            name = kErrorUnknownRegion;
            break;
        case Error::UnknownFault:
            name = kErrorUnknownFault;
            break;
        case Error::Refused:
            name = kErrorRefused;
            break;
        case Error::BadArgument:
            name = kErrorInvalidArgument;
            break;
    }
    Refuse(call, name, QString::fromStdString(result.text));
    return false;
}

QByteArray SimulatorAdaptor::ReadMemory(const QString& device, const QString& region, uint offset,
                                        uint length, const QDBusMessage& call) {
    std::vector<uint8_t> bytes;
    if (!Answer(call, sim::ReadDeviceMemory(bus_, device.toStdString(), region.toStdString(),
                                            offset, length, bytes))) {
        return {};
    }
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

QString SimulatorAdaptor::Requests(const QString& device, const QDBusMessage& call) {
    std::string json;
    if (!Answer(call, sim::DeviceRequestsJson(bus_, device.toStdString(), json))) return {};
    return QString::fromStdString(json);
}

void SimulatorAdaptor::ClearRequests(const QString& device, const QDBusMessage& call) {
    Answer(call, sim::ClearDeviceRequests(bus_, device.toStdString()));
}

void SimulatorAdaptor::SendNotification(const QString& device, ushort code,
                                        const QDBusMessage& call) {
    Answer(call, sim::SendDeviceNotification(bus_, device.toStdString(), code));
}

void SimulatorAdaptor::SetFault(const QString& device, const QString& fault, uint count,
                                const QDBusMessage& call) {
    Answer(call, sim::SetDeviceFault(bus_, device.toStdString(), fault.toStdString(), count));
}

void SimulatorAdaptor::SetPower(const QString& device, uint percent, bool charging,
                                const QDBusMessage& call) {
    Answer(call, sim::SetDevicePower(bus_, device.toStdString(), percent, charging));
}

}  // namespace qx::app
