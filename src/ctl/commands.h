// The sub-commands of qx580ctl. Each area of the program adds its own in a file of this folder.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace qx::ctl {

struct Context {
    bool simulate = false;  // --simulate: the simulated bus with a keyboard and a headset
    std::ostream& out;
    std::ostream& err;
};

using Args = std::span<const std::string>;

// Exit statuses shared by every sub-command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int RunHidCommand(Context& context, Args args);      // hid list | hid decode
int RunHidDecode(Context& context, Args args);       // hid decode FILE [--json]
int RunDeviceCommand(Context& context, Args args);   // device info
int RunEffectCommand(Context& context, Args args);   // effect render | frames | list
int RunProfileCommand(Context& context, Args args);  // profile --device D <action>
int RunSimCommand(Context& context, Args args);      // sim plug|unplug|online|offline DEVICE
int RunUiCommand(Context& context, Args args);       // ui click|select|value|text|... NAME ...
int RunDevicesCommand(Context& context, Args args);  // devices [--json] [--verbose]
// keyboard|mouse|pad|headset get [--json] | set NAME VALUE
int RunDpiCommand(Context& context, Args args);     // dpi get | set --stage N ...
int RunRecoilCommand(Context& context, Args args);  // recoil get|set|upload|reset|import|export
int RunDeviceOptionsCommand(Context& context, const std::string& device, Args args);
int RunLightCommand(Context& context, Args args);  // light get | set | sync
// key get|set|reset --device D [KEY] [FUNCTION]
int RunKeyCommand(Context& context, Args args);
int RunMacroCommand(Context& context, Args args);  // macro list|show|import|export|delete
// headset get [--json] | set mic N | mic-mute on|off | eq PRESET | eq-band N GAIN | ...
int RunHeadsetCommand(Context& context, Args args);

}  // namespace qx::ctl
