#!/usr/bin/python3
"""Compares what vxmidi-dump reads from each Standard MIDI File with what an independent
reader (python3-mido) implies: per track, the channel messages with their bytes, and in
track 0 one status-0 record per Set Tempo holding the tempo's three bytes and one status-0x58
record per Time Signature holding its numerator and denominator power; the delta time of
every event left out is carried into the next record.

Usage: compare_with_mido.py VXMIDI_DUMP FOLDER...
Prints one line per mismatch and a closing count line; exits 1 on any mismatch.
"""
import os
import subprocess
import sys

import mido

# mido's channel message types; their bytes() are the record's status and data bytes.
CHANNEL_TYPES = {"note_off", "note_on", "polytouch", "control_change", "program_change",
                 "aftertouch", "pitchwheel"}


def expected_dump(path):
    midi = mido.MidiFile(path, clip=True)
    lines = [f"smf tracks={len(midi.tracks)} resolution={midi.ticks_per_beat}"]
    for index, track in enumerate(midi.tracks):
        records = []
        carried = 0
        for message in track:
            carried = (carried + message.time) & 0xFFFFFFFF
            if message.type in CHANNEL_TYPES:
                b = message.bytes() + [0, 0]
                records.append(f"{carried} {b[0]} {b[1]} {b[2] if len(message.bytes()) == 3 else 0} 0")
                carried = 0
            elif message.type == "set_tempo" and index == 0:
                t = message.tempo
                records.append(f"{carried} 0 {(t >> 16) & 255} {(t >> 8) & 255} {t & 255}")
                carried = 0
            elif message.type == "time_signature" and index == 0:
                power = message.denominator.bit_length() - 1
                records.append(f"{carried} 88 {message.numerator} {power} 0")
                carried = 0
        lines.append(f"track {index} events={len(records)}")
        lines.extend(records)
    return lines


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return f"line {i + 1}: mido implies '{x}', vxmidi-dump printed '{y}'"
    return f"mido implies {len(a)} lines, vxmidi-dump printed {len(b)}"


def main():
    dump, folders = sys.argv[1], sys.argv[2:]
    matched = mismatched = unread = 0
    for folder in folders:
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            if not os.path.isfile(path):
                continue
            try:
                expected = expected_dump(path)
            except Exception as error:  # mido cannot read it: nothing to compare with
                unread += 1
                print(f"skipped {name}: mido cannot read it ({type(error).__name__}: {error})")
                continue
            run = subprocess.run([dump, path], capture_output=True, text=True, timeout=60)
            actual = run.stdout.splitlines()
            if run.returncode == 0 and actual == expected:
                matched += 1
            else:
                mismatched += 1
                why = run.stderr.strip() if run.returncode != 0 else first_difference(expected, actual)
                print(f"MISMATCH {name}: {why}")
    print(f"mido comparison: {matched} files match, {mismatched} differ, {unread} not readable by mido")
    return 1 if mismatched else 0


if __name__ == "__main__":
    sys.exit(main())
