#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (tests/fuzz/corpus/TARGET/) from the shipped data
and the test fixtures, cut down to small files. Run again after the shipped formats change."""
import json
import os
import re
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
DATA = os.path.join(ROOT, "data", "DefaultData")
SEP = b"\n--8<--\n"


def styled(value):
    return (json.dumps(value, indent=3, ensure_ascii=False, separators=(",", " : ")) + "\n").encode()


def read(path):
    with open(path, "rb") as f:
        return f.read()


def hex_bytes(path):
    text = read(path).decode()
    text = re.sub(r"#.*", "", text)
    return bytes(int(h, 16) for h in re.findall(r"(?:0x)?([0-9a-fA-F]{2})\b", text))


def write(target, name, content):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(content)


def trimmed_profile(name, keys=12):
    """A shipped profile with its long lists cut short."""
    doc = json.loads(read(os.path.join(DATA, name)))
    for device in doc.get("Device", []):
        if isinstance(device, dict):
            for key, value in list(device.items()):
                if isinstance(value, list) and len(value) > keys:
                    device[key] = value[:keys]
            groups = device.get("CustomLightMode", {}).get("LightColorInfo")
            if isinstance(groups, list):
                device["CustomLightMode"]["LightColorInfo"] = [g[:keys] for g in groups[:2]]
    return styled(doc)


def main():
    # Inputs that once found a fault ("regression-*") stay; the seeds made here are replaced.
    for target in os.listdir(os.path.join(HERE, "corpus")) if os.path.isdir(
            os.path.join(HERE, "corpus")) else []:
        folder = os.path.join(HERE, "corpus", target)
        for name in os.listdir(folder):
            if not name.startswith("regression-"):
                os.remove(os.path.join(folder, name))

    # Report descriptors: the fixtures, the keyboard's two collections, one as text.
    two = bytes([0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x27, 0xFF, 0xFF,
                 0x00, 0x00, 0x19, 0x00, 0x2A, 0xFF, 0xFF, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00,
                 0xC0, 0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26,
                 0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91,
                 0x02, 0xC0])
    reports = bytes([3, 3, 0xE9, 0x00]) + bytes([64, 4]) + bytes(range(63))
    write("fuzz_report_descriptor", "keyboard_two_collections", two + SEP + reports)
    fixtures = os.path.join(ROOT, "tests", "hid", "fixtures")
    for name in sorted(os.listdir(fixtures)):
        descriptor = hex_bytes(os.path.join(fixtures, name))
        write("fuzz_report_descriptor", os.path.splitext(name)[0],
              descriptor + SEP + bytes([8, 1, 0, 4, 0, 0, 0, 0, 0]) + bytes([4, 2, 1, 0xFF, 0]))
    write("fuzz_report_descriptor", "as_text", read(os.path.join(fixtures, "mouse.hex")))

    # Command channel: good replies (command byte echoed, status 0) to each command, on the
    # cable and through the receiver; one stray reply, one receiver "unreachable".
    def reply(command, status=0, data=b""):
        body = bytearray(63)  # after the report id
        body[2] = command
        body[6] = status
        body[7:7 + len(data)] = data
        return bytes([63]) + bytes(body)

    commands = [(0, 0x01), (2, 0x03), (3, 0x05), (5, 0x07), (6, 0x09), (7, 0x0B), (8, 0x12),
                (9, 0x15), (10, 0x17), (11, 0x1A), (12, 0x1B), (13, 0x1C)]
    for mode in (0x04, 0x05, 0x02):
        seed = bytearray([mode])
        for selector, command in commands:
            seed += bytes([selector, 30, 2]) + reply(command, data=bytes(range(56))) + \
                reply(command)
        write("fuzz_command_channel", "all_commands_mode%d" % mode, bytes(seed))
    write("fuzz_command_channel", "stray_and_status",
          bytes([0x04, 2, 0, 3]) + reply(0x05) + reply(0x03, 0xFF) + reply(0x03) +
          bytes([0, 0, 1]) + reply(0x01, 0xFE))
    write("fuzz_command_channel", "receiver_presence",
          bytes([0x05, 14, 0, 1]) + reply(0xAA, data=b"\xff") + bytes([14, 0, 1]) + reply(0xAA) +
          bytes([2, 0, 1]) + reply(0xAA))

    # Profiles: the selector byte picks the family (0 keyboard, 1 mouse, 2 pad, 3 headset).
    for selector, name in ((0, "keyboard.Json"), (1, "mouse.Json"), (2, "MousePad.Json"),
                           (3, "HD.Json")):
        write("fuzz_profile", os.path.splitext(name)[0], bytes([selector]) + trimmed_profile(name))
    write("fuzz_profile", "second_device_block",
          bytes([4 + 1]) + b'{"Device" : [ {}, {"LightInfo" : {"SelectItem" : 3}} ]}')

    # Profile list: a list, one profile, operations.
    profile_list = {"profilelist": [
        {"profilename": "profile1", "profileUUID": "20240101120000000", "profileislink": 0,
         "profilelinkmame": ""},
        {"profilename": "game", "profileUUID": "20240101120000001", "profileislink": 0,
         "profilelinkmame": ""}], "selectindex": 1}
    write("fuzz_profile_list", "two_profiles",
          styled(profile_list) + SEP + trimmed_profile("keyboard.Json", 4) + SEP +
          bytes([1, 2, 4, 0 + 7 * 3, 3, 5, 6]))
    write("fuzz_profile_list", "shared_identifier",
          b'{"profilelist" : [ {"profilename" : "a", "profileUUID" : "x"}, '
          b'{"profilename" : "b", "profileUUID" : "x"} ]}' + SEP + b'{"Device" : []}' + SEP +
          bytes([3, 3, 1]))

    # Light configuration and its effect file.
    config = {"LightInfo": [[{"Guid": "g1", "LightName": "custom 1"},
                             {"Guid": "../outside", "LightName": "b"}]]}
    effect = {"LEDEffectList": [
        {"LEDREGMode": 1, "LEDBrightness": 4, "LEDSpeed": 2, "LEDDirection": 0,
         "LEDMultiColor": 0, "red": 255, "green": 0, "blue": 0, "Time": 1500, "Cyle": 2},
        {"LEDREGMode": 3, "red": 0, "green": 255, "blue": 0, "Time": 500, "Cyle": 1}]}
    write("fuzz_light_config", "custom_effect",
          styled(config) + SEP + styled(effect) + SEP +
          b'{"Device" : [ {"LightInfo" : {"SelectItem" : 0, "Light" : 4}} ]}')
    write("fuzz_light_config", "shipped_default_light",
          read(os.path.join(DATA, "default_light.json")) + SEP + SEP)

    # Macros.
    macro_list = {"MacroInfo": [{"MacroName": "macro_1", "Guid": "20240101120000000"},
                                {"MacroName": "macro_2", "Guid": "20240101120000001"}],
                  "Version": 64}
    write("fuzz_macro_list", "two_macros", styled(macro_list) + SEP + bytes([0, 1, 2, 3, 4, 5]))
    events = {"Events": [
        {"Action": "down", "Button": 30, "Delay": 50, "Type": 0},
        {"Action": "up", "Button": 30, "Delay": 50, "Type": 0},
        {"Action": "down", "Button": 1, "Delay": 10, "Type": 1},
        {"Action": "up", "Button": 1, "Delay": 0, "Type": 1},
        {"Action": "down", "Button": 0, "Delay": 5, "Type": 4}]}
    write("fuzz_macro_file", "keys_and_mouse", styled(events))
    write("fuzz_macro_file", "text_delays",
          b'{"Events" : [ {"Action" : "down", "Button" : 30, "Delay" : "75", "Type" : 0} ]}')

    # Recoil: the first bullets of a shipped gun file.
    shoot = json.loads(read(os.path.join(DATA, "ShootData_0.Shoot")))
    shoot["Events"] = shoot["Events"][:6 * 4]
    write("fuzz_recoil", "gun0_four_bullets", bytes([0]) + styled(shoot))
    write("fuzz_recoil", "empty_events", bytes([2]) + b'{"Events" : []}')

    write("fuzz_palette", "shipped", read(os.path.join(DATA, "color_option_info.config")))
    write("fuzz_audio_styles", "shipped", read(os.path.join(DATA, "AudioFile.json")))
    english = json.loads(read(os.path.join(ROOT, "data", "skin", "lang", "lan_en.json")))
    short = dict(list(english.items())[:20])
    write("fuzz_language", "shipped",
          read(os.path.join(DATA, "Language.config")) + SEP + styled(short))
    write("fuzz_update_time", "stored", b'{\n   "updatelasttime" : {\n      "value" : "2024-1-5"'
          b'\n   }\n}\n')
    write("fuzz_update_reply", "firmware",
          b'{"name":"KB","version":"0106","version_name":"1.06","path":"https://d/fw.bin",'
          b'"device_id":7}')
    write("fuzz_update_reply", "program", b'{"name":"AP","version":"104","version_name":"V1.0.4"}')

    # Bus payloads: every registered message posted and sent with small parameters, game
    # messages with effect numbers in and out of range, and CopyData blocks of both kinds.
    def message(kind, index, w, l):
        return bytes([kind, index]) + struct.pack("<ii", w, l)

    write("fuzz_bus_payloads", "every_name",
          b"".join(message(i % 2, i, i % 3, 1) for i in range(30)))
    write("fuzz_bus_payloads", "game_effects",
          b"".join(message(0, i, w, l) for i in range(18, 30) for w, l in ((0, 7), (1, 255),
                                                                           (2, -1))))
    samples = struct.pack("<125i", *[(i * 37) % 2000 - 1000 for i in range(125)])
    write("fuzz_bus_payloads", "copy_data",
          bytes([2, 1, len(samples) // 4]) + samples + bytes([2, 2, 25]) + bytes(range(100)) +
          bytes([3, 4]) + b"Game" + struct.pack("<ii", 1, 1))

    # The Lighting and Keys methods: every method on every device, values in range, out of
    # range and kept (-1), keys by number and name, functions of every kind.
    def text(value):
        value = value.encode()
        return bytes([len(value)]) + value

    def parameters(*values):  # each a byte from -1, or a 32-bit value after the byte 250
        return b"".join(bytes([v + 1]) if -1 <= v < 249 else b"\xfa" + struct.pack("<i", v)
                        for v in values)

    write("fuzz_bus_methods", "lighting",
          bytes([0, 0, 0, 1]) + bytes([1, 1]) + parameters(2, 3, 2, 1, 200, 10, 255) +
          bytes([1, 2]) + parameters(-1, 4, -1, -1, -1, -1, -1) + bytes([1, 3]) +
          parameters(0, 9, 0, 0, 0, 0, 0) + bytes([1, 4]) + parameters(1, 2, 3, 0, 1, 2, 3) +
          bytes([2, 0, 1, 2, 0, 0]))
    write("fuzz_bus_methods", "out_of_range",
          bytes([1, 1]) + parameters(-2, 0, 0, 0, 0, 0, 0) + bytes([1, 1]) +
          parameters(0, 0, 0, 0, 256, 0, 0) + bytes([1, 1]) + parameters(2**31 - 1, 0, 0, 2, 0,
                                                                          0, 0) +
          bytes([1, 240]) + text("keyboard\0") + parameters(0, 0, 0, 0, 0, 0, 0))
    write("fuzz_bus_methods", "keys",
          bytes([3, 1]) + text("") + bytes([3, 2]) + text("0") + bytes([4, 1]) + text("12") +
          text("key:ctrl+A") + bytes([4, 1]) + text("A") + text("macro:0,count=3") +
          bytes([4, 2]) + text("1") + text("mouse:right") + bytes([4, 2]) + text("0") +
          text("wheel:up,count=3") + bytes([5, 2]) + text("0") + bytes([4, 1]) + text("Esc") +
          text("media:mute") + bytes([4, 1]) + text("F1") + text("dpi:up"))

    # Key functions: a macro count, a stored value's three bytes, then a text.
    functions = ["default", "mouse:left", "swing:right,count=5,delay=3,speed=2",
                 "wheel:down,count=3", "dpi:cycle", "fire:interval=10,count=5", "key:ctrl+A",
                 "key:shift+F1", "key:none", "key:alt", "media:volume-up", "system:sleep",
                 "macro:2,mode=1", "macro:0,count=3", "gun:1", "raw:0x200004"]
    values = [(0x10, 0, 1), (0x11, 0x32, 0x85), (0x12, 0x10, 0x83), (0x13, 0, 2), (0x14, 9, 3),
              (0x20, 0x01, 0x04), (0x20, 0x10, 0x04), (0x30, 0, 0xE2), (0x40, 0, 1),
              (0x70, 1, 2), (0x71, 0, 3), (0x72, 2, 0), (0xB0, 1, 0x12), (0, 0, 0)]
    for i, function in enumerate(functions):
        write("fuzz_key_functions", "text_%02d" % i,
              bytes([3]) + bytes(values[i % len(values)]) + function.encode())

    # The macro recorder: key presses and releases (A, shift, an extended arrow), mouse buttons,
    # the editor's buttons between events, in each delay mode and placement.
    def key(scan, down, extended=False, step=40):
        return bytes([(2 if down else 0) | (1 if extended else 0), scan, step])

    def mouse(index, extra=0, step=30):
        return bytes([4, index + 16 * extra, step])

    typing = (key(0x2A, True) + key(0x1E, True) + key(0x1E, True, step=5) + key(0x1E, False) +
              key(0x2A, False) + key(0x48, True, True) + key(0x48, False, True))
    clicks = mouse(1) + mouse(2) + mouse(3) + mouse(4) + mouse(8, 2) + mouse(9, 2) + mouse(0)
    editor = bytes([6, 7 * 3, 6, 1, 6, 3, 6, 5, 7, 6])
    write("fuzz_macro_recorder", "recorded_append", bytes([0, 0]) + typing + clicks)
    write("fuzz_macro_recorder", "constant_before", bytes([0x80 | 4, 2]) + typing + editor + clicks)
    write("fuzz_macro_recorder", "none_after", bytes([0x80 | 8, 0]) + clicks + editor + typing)
    write("fuzz_macro_recorder", "replace", bytes([0x80 | 9, 0]) + key(0x1E, True) + typing)

    # WAV files: short sounds in every sample form the reader takes.
    def wav(rate, channels, bits, frames, form=1, extensible=False):
        import math
        data = b""
        for f in range(frames):
            value = math.sin(f * 2 * math.pi * 440 / rate) * (0.3 + 0.6 * (f % 500) / 500)
            for _ in range(channels):
                if form == 3:
                    data += struct.pack("<f", value)
                elif bits == 8:
                    data += bytes([int(128 + value * 127)])
                else:
                    data += int(value * (2 ** (bits - 1) - 1)).to_bytes(bits // 8, "little",
                                                                      signed=True)
        block = channels * bits // 8
        if extensible:
            fmt = struct.pack("<HHIIHHHHIH14x", 0xFFFE, channels, rate, rate * block, block, bits,
                              22, bits, 0, form)
        else:
            fmt = struct.pack("<HHIIHH", form, channels, rate, rate * block, block, bits)
        body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + \
            struct.pack("<I", len(data)) + data
        return b"RIFF" + struct.pack("<I", len(body)) + body

    write("fuzz_audio_capture", "pcm16_mono", bytes([2]) + wav(25000, 1, 16, 1100))
    write("fuzz_audio_capture", "pcm8_stereo", bytes([0x83]) + wav(8000, 2, 8, 400))
    write("fuzz_audio_capture", "float_48k", bytes([0x15]) + wav(48000, 1, 32, 2000, form=3))
    write("fuzz_audio_capture", "pcm24_extensible",
          bytes([0x0C]) + wav(44100, 2, 24, 900, extensible=True))

    # Data blocks of kinds 1 and 2: samples of a sound, silence, extremes; six values.
    sound = struct.pack("<500i", *[int(1500 * ((i * 7) % 50 - 25) / 25) for i in range(500)])
    extremes = struct.pack("<500i", *[(-2**31, 2**31 - 1, 0, -1)[i % 4] for i in range(500)])
    six = struct.pack("<6i", 200, 100, 50, 180, 255, 90)
    write("fuzz_audio_blocks", "sound_styles",
          bytes([0x04]) + (bytes([0, 125]) + sound) * 3 + bytes([0, 125]) + bytes(500) +
          bytes([0, 125]) + extremes)
    write("fuzz_audio_blocks", "host_colour",
          bytes([0x80]) + (bytes([1, 6]) + six + bytes(18)) * 2 + bytes([1, 6]) +
          struct.pack("<6i", -1, 2**31 - 1, 256, -256, 0, 1) + bytes(16))

    # The headset's library: an output and an input endpoint with their feature words, then
    # answers of numbers and fractions.
    answers = b"".join(bytes([0]) + text(t) for t in ["1", "0.5", "0", "100", "3", "-1", "1e3",
                                                         "nan", "0.25", " 7"] * 6)
    write("fuzz_audio_properties", "endpoints",
          bytes([1, 1, 0, 1, 1, 0, 2, 1, 0, 0]) + text("7,0,0,0,1,0,2") + bytes([0]) +
          text("131840,0,0,0,4,0,9") + answers)
    write("fuzz_audio_properties", "refusals",
          bytes([2, 1, 0, 12, 1, 0, 1, 1, 0, 2, 1, 0, 0]) + text("1,2,3") + bytes([210]) +
          bytes([255]) + answers[:40] + bytes([220, 0]) * 10)


if __name__ == "__main__":
    main()
