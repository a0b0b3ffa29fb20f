// Names of the program's objects on the session bus, and of the tool it answers.
#pragma once

namespace qx::app {

inline constexpr const char* kBusService = "org.mirvel.QX580";
inline constexpr const char* kBusObjectPath = "/org/mirvel/QX580";
inline constexpr const char* kMessagesInterface = "org.mirvel.QX580.Messages";
inline constexpr const char* kSimulatorInterface = "org.mirvel.QX580.Simulator";
inline constexpr const char* kWorkToolService = "org.mirvel.WorkTool";
inline constexpr const char* kWorkToolPath = "/";

inline constexpr const char* kErrorUnknownMessage = "org.mirvel.QX580.Error.UnknownMessage";
inline constexpr const char* kErrorUnknownDevice = "org.mirvel.QX580.Error.UnknownDevice";
inline constexpr const char* kErrorRefused = "org.mirvel.QX580.Error.Refused";
// The device or the window could not do what was asked.
inline constexpr const char* kErrorFailed = "org.mirvel.QX580.Error.Failed";

}  // namespace qx::app
