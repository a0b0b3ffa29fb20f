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


if __name__ == "__main__":
    main()
