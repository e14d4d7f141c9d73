#!/usr/bin/python3
"""Writes the rhythm folder's drum grooves as Standard MIDI Files (format 1, 96 ticks per
quarter note): track 0 holds the name and tempo, track 1 the drums on channel 10.

Each groove is a one-bar pattern per instrument, 16 steps of a sixteenth note ('x' a hit,
'o' an accent, '.' a rest), played for a number of bars with a crash on the first beat and
a fill in the last bar. Run it from anywhere; it writes next to its parent folder.
"""
import os
import struct

PPQ = 96
STEP = PPQ // 4

KICK, SNARE, SIDE, HH_CLOSED, HH_PEDAL, HH_OPEN = 36, 38, 37, 42, 44, 46
RIDE, CRASH, TOM_HI, TOM_MID, FLOOR_HI, FLOOR_LO = 51, 49, 50, 47, 43, 41

GROOVES = {
    "rock-8": dict(bpm=110, bars=8, name="Rock 8ths", pattern={
        HH_CLOSED: "o.x.o.x.o.x.o.x.",
        SNARE:     "....o.......o...",
        KICK:      "o.......o.o.....",
    }),
    "funk-16": dict(bpm=96, bars=8, name="Funk 16ths", pattern={
        HH_CLOSED: "oxxxoxxxoxxxoxx.",
        HH_OPEN:   "...............x",
        SNARE:     "....o..x.x..o...",
        KICK:      "o.o.......o..o..",
    }),
    "shuffle": dict(bpm=88, bars=8, name="Half-time shuffle", swing=True, pattern={
        RIDE:      "o.xxo.xxo.xxo.xx",
        SNARE:     "........o.......",
        KICK:      "o......x..o.....",
        HH_PEDAL:  "....x.......x...",
    }),
    "bossa": dict(bpm=132, bars=8, name="Bossa nova", pattern={
        SIDE:      "o..o..o...o..o..",
        HH_CLOSED: "xxxxxxxxxxxxxxxx",
        KICK:      "o..xo..xo..xo..x",
    }),
}

FILL = [(SNARE, 8), (SNARE, 9), (TOM_HI, 10), (TOM_HI, 11), (TOM_MID, 12), (TOM_MID, 13),
        (FLOOR_HI, 14), (FLOOR_LO, 15)]


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


def chunk(kind, body):
    return kind + struct.pack(">I", len(body)) + body


def track(events):
    """events: (tick, bytes) in any order; written with delta times and End of Track."""
    body, now = b"", 0
    for tick, data in sorted(events, key=lambda e: (e[0], e[1][0] & 0xF0 != 0x80)):
        body += vlq(tick - now) + data
        now = tick
    return chunk(b"MTrk", body + b"\x00\xff\x2f\x00")


def step_tick(bar, step, swing):
    tick = (bar * 16 + step) * STEP
    # Swing pushes every second sixteenth of each eighth two thirds of the way.
    if swing and step % 2 == 1:
        tick += STEP // 3
    return tick


def groove(groove_spec):
    notes = []
    bars, swing = groove_spec["bars"], groove_spec.get("swing", False)
    for bar in range(bars):
        for note, steps in groove_spec["pattern"].items():
            for step, mark in enumerate(steps):
                if mark == "." or (bar == bars - 1 and step >= 8 and note != KICK):
                    continue
                notes.append((step_tick(bar, step, swing), note, 112 if mark == "o" else 80))
        if bar == bars - 1:
            notes += [(step_tick(bar, s, swing), n, 100) for n, s in FILL]
    notes.append((0, CRASH, 120))
    notes.append((bars * 16 * STEP, CRASH, 120))
    notes.append((bars * 16 * STEP, KICK, 120))
    events = []
    for tick, note, velocity in notes:
        events.append((tick, bytes([0x99, note, velocity])))
        events.append((tick + STEP // 2, bytes([0x89, note, 0])))
    name = b"Drums"
    events.append((0, b"\xff\x03" + vlq(len(name)) + name))
    return track(events)


def conductor(groove_spec):
    tempo = 60_000_000 // groove_spec["bpm"]
    name = groove_spec["name"].encode()
    return track([(0, b"\xff\x03" + vlq(len(name)) + name),
                  (0, b"\xff\x58\x04\x04\x02\x18\x08"),
                  (0, b"\xff\x51\x03" + tempo.to_bytes(3, "big"))])


def main():
    folder = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    for file, groove_spec in GROOVES.items():
        data = chunk(b"MThd", struct.pack(">HHH", 1, 2, PPQ)) + conductor(groove_spec) + groove(groove_spec)
        with open(os.path.join(folder, file + ".mid"), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
