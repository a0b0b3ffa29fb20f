#!/usr/bin/env python3
"""Writes src/lighting/position_tables.cpp: the LED position tables of the software lighting
effects, laid out for the keyboard's KeyGrid (23 columns x 6 rows, LED index = logical key).

Run it from the repository root after a change of the layout rules below; the output is
committed, so the build does not depend on this script.
"""
import math
import sys

NO = 170
GRID = [  # column by column, rows 0 (top key row) to 5 (bottom row)
    [170, 170, 170, 170, 84, 105], [170, 21, 42, 63, 102, 106], [0, 22, 43, 64, 85, 107],
    [1, 23, 44, 65, 86, 170], [2, 24, 45, 66, 87, 170], [3, 25, 46, 67, 88, 170],
    [4, 26, 47, 68, 89, 108], [170, 27, 48, 69, 90, 170], [5, 28, 49, 70, 91, 170],
    [6, 29, 50, 71, 92, 109], [7, 30, 51, 72, 93, 109], [8, 31, 52, 73, 94, 110],
    [9, 32, 53, 74, 170, 111], [10, 33, 54, 170, 170, 170], [11, 34, 55, 75, 95, 112],
    [12, 34, 55, 170, 95, 112], [13, 170, 170, 170, 170, 113], [35, 170, 57, 170, 96, 114],
    [15, 170, 170, 170, 170, 115], [36, 38, 59, 76, 97, 116], [56, 39, 60, 77, 98, 116],
    [37, 40, 61, 78, 99, 117], [58, 41, 170, 119, 118, 170],
]


def row_keys(r):
    """The LEDs of grid row r from left to right, a wide key once."""
    out = []
    for c in range(23):
        led = GRID[c][r]
        if led != NO and led not in out:
            out.append(led)
    return out


ROWS = [row_keys(r) for r in range(6)]
assert sum(len(k) for k in ROWS) == 104


def centre(led):
    """Centre of a key in grid units; odd rows sit half a key to the left, as the keys of the
    number row and the home row lie between those of the row below and above them."""
    cells = [(c, r) for c in range(23) for r in range(6) if GRID[c][r] == led]
    x = sum(c - 0.5 * (r % 2) for c, r in cells) / len(cells)
    y = sum(r for _, r in cells) / len(cells)
    return x, y


# LED order: 6 rows of 21 places, the top row right to left, the next left to right and so on;
# the places a row does not fill are fillers (170) at the end of that row's run.
led_order = []
for r, keys in enumerate(ROWS):
    run = list(reversed(keys)) if r % 2 == 0 else list(keys)
    led_order += run + [NO] * (21 - len(run))
assert len(led_order) == 126 and led_order.count(NO) == 22

# Rings around LED 51 by distance of the key centres, 12 places each; ring 1 as given.
cx, cy = centre(51)
rings = [[51], [30, 50, 71, 72, 52, 31]]
placed = set(rings[0] + rings[1])
by_ring = {}
for keys in ROWS:
    for led in keys:
        if led in placed:
            continue
        x, y = centre(led)
        d = max(2, round(math.hypot(x - cx, y - cy)))
        by_ring.setdefault(d, []).append((math.atan2(y - cy, x - cx), led))
carry = []
for i in range(2, 12):
    here = carry + [led for _, led in sorted(by_ring.get(i, []))]
    if i == 11:
        here += [led for d in sorted(by_ring) if d > 11 for _, led in sorted(by_ring[d])]
    rings.append(here[:12])
    carry = here[12:]
assert not carry, "ring overflow"
rings = [ring + [NO] * (12 - len(ring)) for ring in rings]

fill_sequence = led_order + [NO] * (170 - 126)

# Drop sequence: one run of 22 places per keyboard row, top row first, the row's keys from
# left to right and 170 in the places the row has no key.
drop_sequence = []
for keys in ROWS:
    drop_sequence += keys + [NO] * (22 - len(keys))

# Start lines: 20 slanted lines, line i holds in row r the key of column i + (5 - r) * 3 / 5.
start_lines = []
for i in range(20):
    line = []
    for r in range(6):
        led = GRID[i + (5 - r) * 3 // 5][r]
        line.append(255 if led == NO else led)
    start_lines.append(line)

# Rain picks: the 104 keys in reading order plus the seven letters around the centre once more,
# and a shuffle of 126 places (every pick once, the seven centre letters twice, 15 more keys of
# the middle rows twice) made with a fixed linear congruential generator.
rain_leds = [led for keys in ROWS for led in keys] + [50, 51, 52, 71, 72, 30, 31]
assert len(rain_leds) == 111
picks = list(range(111)) + [rain_leds.index(l) for l in (45, 46, 47, 48, 49, 66, 67, 68, 69,
                                                          70, 87, 88, 89, 90, 91)]
state = 12345
for i in range(len(picks) - 1, 0, -1):
    state = (state * 1103515245 + 12345) & 0x7FFFFFFF
    j = state % (i + 1)
    picks[i], picks[j] = picks[j], picks[i]
rain_shuffle = picks + [0] * (170 - 126)

# Column start: per column its six grid cells from the top, then a seventh place (255, none);
# start levels staggered so that neighbouring keys twinkle apart (even values below 192).
column_start = [[255 if led == NO else led for led in GRID[c]] + [255] for c in range(23)]
start_levels = [((i * 58) % 190) & ~1 for i in range(23 * 6 + 1)]


def emit(name, ctype, values, per_line=16, indent="    "):
    lines = []
    for i in range(0, len(values), per_line):
        lines.append(indent + ", ".join(str(v) for v in values[i:i + per_line]) + ",")
    return f"const {ctype} {name}{{{{\n" + "\n".join(lines) + "\n}};\n"


def emit2(name, ctype, rows):
    body = "\n".join("    {{" + ", ".join(str(v) for v in row) + "}}," for row in rows)
    return f"const {ctype} {name}{{{{\n{body}\n}}}};\n"


out = sys.stdout if len(sys.argv) < 2 else open(sys.argv[1], "w")
out.write("""// Position tables of the software lighting effects, laid out for the keyboard's KeyGrid
// (23 columns x 6 rows; LED index = logical key number of the key code table).
// Generated by tools/lighting_position_tables.py; change the rules there, not the numbers here.
#include "lighting/lighting_tables.h"

namespace qx::lighting {

// Snake order: six runs of 21 places, the top row right to left, the next left to right, ...;
// fillers (170) end each run.
""")
out.write(emit("kLedOrder", "std::array<std::uint8_t, kLedOrderSize>", led_order, 21))
out.write("\n// Rings around LED 51 (the O key) by distance of the key centres; 170 fills a ring.\n")
out.write(emit2("kRings", "std::array<std::array<std::uint8_t, kRingSize>, kRingCount>", rings))
out.write("\n// The LED order with its fillers, then 170s.\n")
out.write(emit("kFillSequence", "std::array<std::uint8_t, kFillSequenceSize>", fill_sequence, 21))
out.write("\n// One run of 22 per key row, top row first, keys left to right, 170 where the row ends.\n")
out.write(emit("kDropSequence", "std::array<std::uint8_t, kDropSequenceSize>", drop_sequence, 22))
out.write("\n// Line i holds, in row r, the key of grid column i + (5 - r) * 3 / 5 (255 = none).\n")
out.write(emit2("kStartLines", "std::array<std::array<std::uint8_t, 6>, kStartLineCount>", start_lines))
out.write("\n// Places into kRainLeds in a fixed shuffle, then 0s.\n")
out.write(emit("kRainShuffle", "std::array<std::uint8_t, kRainShuffleSize>", rain_shuffle, 21))
out.write("\n// The 104 keys in reading order, then seven letters around the centre again.\n")
out.write(emit("kRainLeds", "std::array<std::uint8_t, kRainLedCount>", rain_leds, 21))
out.write("\n// Per column its six grid cells from the top and a seventh place (255 = none).\n")
out.write(emit2("kColumnStart", "std::array<std::array<std::uint8_t, 7>, kGridColumns>", column_start))
out.write("\n// Start levels of effect 15, read at column * 6 + place.\n")
out.write(emit("kColumnStartLevels", "std::array<std::uint8_t, kColumnStartLevelCount>", start_levels, 23))
out.write("\n}  // namespace qx::lighting\n")
