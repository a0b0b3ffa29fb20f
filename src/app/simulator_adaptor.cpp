#include "app/simulator_adaptor.h"

#include "app/bus_names.h"
#include "sim/sim_bus.h"

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

}  // namespace qx::app
