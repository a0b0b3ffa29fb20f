// What passes between the program and an audio capture program on the session bus. The capture
// program owns kCaptureService and offers the program's own Messages interface shape at
// kCaptureObjectPath; it sends the program data kinds 1 (up to 500 samples) and 2 (six values)
// with CopyData, and takes helper commands (PostMessage of the audio helper command) and style
// colours (CopyData kind 10, 40 bytes). Any program that speaks this may take our helper's place.
#pragma once

namespace qx::audio_capture {

inline constexpr const char* kCaptureService = "org.mirvel.QX580.AudioCapture";
inline constexpr const char* kCaptureObjectPath = "/org/mirvel/QX580";
inline constexpr const char* kMessagesInterface = "org.mirvel.QX580.Messages";
inline constexpr const char* kProgramService = "org.mirvel.QX580";
inline constexpr const char* kProgramObjectPath = "/org/mirvel/QX580";

inline constexpr unsigned kSamplesKind = 1;
inline constexpr unsigned kSixValuesKind = 2;
inline constexpr unsigned kStyleColourKind = 10;
inline constexpr int kStyleColourBytes = 40;

// Helper commands (wParam of the audio helper command).
// Until the first hello both kinds are sent; a hello stops both until 4 or 5 asks for them.
inline constexpr int kCommandHello = 2;      // the program is there: send to it what it asks
inline constexpr int kCommandSamples = 4;    // send sample blocks (kind 1)
inline constexpr int kCommandSixValues = 5;  // send six values (kind 2)
inline constexpr int kCommandRed = 6;        // lParam: red 0-255 of the colour of kind 2
inline constexpr int kCommandGreen = 7;
inline constexpr int kCommandBlue = 8;

}  // namespace qx::audio_capture
