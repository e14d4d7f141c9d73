"""Standard MIDI File bytes: format 1, one chunk per track, events at absolute ticks."""
import struct


def vlq(value):
    """A variable-length quantity: seven bits a byte, most significant first."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def meta(kind, data):
    return bytes([0xFF, kind]) + vlq(len(data)) + data


def track_name(name):
    # UTF-8, which readers of newer files expect; plain ASCII names read the same anywhere.
    return meta(0x03, name.encode("utf-8"))


def marker(text):
    return meta(0x06, text.encode("utf-8"))


def tempo(bpm):
    """Set Tempo: microseconds per quarter note."""
    # Rounded down, so that a reader that divides back and truncates finds the same tempo.
    return meta(0x51, (60_000_000 // bpm).to_bytes(3, "big"))


def time_signature(numerator, denominator):
    # The metronome clicks once per beat: a quarter note (24 MIDI clocks) in simple
    # meters, a dotted quarter (36) in compound ones such as 6/8 and 12/8.
    compound = denominator == 8 and numerator % 3 == 0 and numerator > 3
    clocks = 36 if compound else 24 * 4 // denominator
    return meta(0x58, bytes([numerator, denominator.bit_length() - 1, clocks, 8]))


def _order(event):
    # At one tick: meta events first, then program changes, then note-offs before
    # note-ons, so that a note struck again at the tick of its release sounds.
    tick, data = event
    status = data[0]
    if status == 0xFF:
        rank = 0
    elif status & 0xF0 == 0xC0:
        rank = 1
    elif status & 0xF0 == 0x80:
        rank = 2
    else:
        rank = 3
    return (tick, rank)


def track_chunk(events, end_tick):
    """events: (tick, message bytes) in any order; End of Track goes at end_tick."""
    body = bytearray()
    now = 0
    for tick, data in sorted(events, key=_order):
        if tick < 0 or tick > end_tick:
            raise ValueError(f"event at tick {tick} outside the track (0..{end_tick})")
        body += vlq(tick - now) + data
        now = tick
    body += vlq(end_tick - now) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + bytes(body)


def file_bytes(division, tracks):
    """A format 1 file: division ticks per quarter note, tracks as track_chunk bytes."""
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), division)
    return header + b"".join(tracks)
