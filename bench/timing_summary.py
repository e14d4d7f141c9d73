#!/usr/bin/python3
"""Tables of the playback timing runs made by bench_sequencer_midi.sh and
bench_synth_audio.sh, from the reports of the timing harness (midi_timing.py
and onsets.py output, one .txt per run, beside its capture).

  timing_summary.py midi  DIR     runs named midi_<bpm>_<player>_r<k>.txt
  timing_summary.py audio DIR     runs named audio_<bpm>_<player>_r<k>.txt

Figures are |error| against the ideal times in ms, aligned on the first note
(so a constant latency does not count); each cell is the median over the runs
kept, and p99 also shows its range. "drift" is the slope of the error over a
run; "fit p99" is p99 once that slope is removed.

Which runs are kept: first, runs with 0 xruns. On an xrun the dummy driver's
frame clock loses the time it was late, which corrupts the frame timeline; but
most xruns here come as a client starts, before the first note. So a second
row keeps every run whose frame clock held from the first note to the last
(it slipped less than SLIP_MS against the monotonic clock), xruns or not.
"""
import bisect
import os
import re
import statistics
import sys

NUM = r"([-+0-9.]+)"
SLIP_MS = 0.3

# What each player is called in the table, and the timeline it is judged on:
# frame (JACK frames) for players paced by the audio clock, wall (the
# monotonic clock of each cycle) for players paced by a timer, as ours is.
# On the MIDI path every event is stamped in frames by the capture itself.
PLAYERS = {
    "floor": ("RtMidi grid sender (floor)", "frame"),
    "idle": ("kovrinta-song, idle UI", "frame"),
    "busy": ("kovrinta-song, --busy-ui", "frame"),
    "kovrinta": ("kovrinta-song, built-in synth", "wall"),
    "fluidsynth": ("fluidsynth CLI file player", "frame"),
}
GOALS_MIDI = {"idle": 0.3, "busy": 1.0}   # ms over the floor, for p50, p99 and max
GOAL_AUDIO_P99 = 1.0                     # ms, and no worse than fluidsynth
# "No worse" allows for the two timelines' own noise: ours is read on the wall timeline,
# whose mapping adds about 0.1 ms at p99 (the harness's figure); fluidsynth on frames.
PEER_TOLERANCE_MS = 0.05


def parse_report(path):
    run = {"xruns": None}
    section = None
    for line in open(path):
        m = re.search(r"xruns=(\d+)", line)
        if m and run["xruns"] is None:
            run["xruns"] = int(m.group(1))
        if not line.startswith(" "):
            section = None
            if "vs ideal:" in line and not line.startswith("REF"):
                section = "wall" if "wall clock" in line else "frame"
                m = re.search(r"ref=(\d+) test=(\d+) matched=(\d+) missed=(\d+) "
                              r"extra=(\d+)", line)
                run[section] = {"ideal": int(m.group(1)), "missed": int(m.group(4)),
                                "extra": int(m.group(5))}
            continue
        if section is None:
            continue
        m = re.search(r"(first-onset|linear-fit) aligned .*p50=" + NUM + r" p90=" + NUM +
                      r" p99=" + NUM + r" max=" + NUM, line)
        if not m:
            continue
        if m.group(1) == "first-onset":
            run[section].update(p50=float(m.group(2)), p99=float(m.group(4)),
                                max=float(m.group(5)))
        else:
            run[section]["fit_p99"] = float(m.group(4))
            d = re.search(r"drift " + NUM + " ppm", line)
            run[section]["drift"] = float(d.group(1)) if d else float("nan")
    return run


def slip_midi(cap):
    """Frame clock against the monotonic clock between the first and the last
    note-on of a jack_midi_capture -x log, in ms (None when unknown)."""
    rate, notes = 48000.0, []
    for line in open(cap):
        if line.startswith("#"):
            m = re.search(r"rate=(\d+)", line)
            if m:
                rate = float(m.group(1))
            continue
        f = line.split()
        if len(f) >= 7 and int(f[1], 0) & 0xF0 == 0x90 and f[3] != "-" and int(f[3]) > 0:
            notes.append((int(f[4]), int(f[6])))
    if len(notes) < 2:
        return None
    (f0, r0), (f1, r1) = notes[0], notes[-1]
    return ((r1 - r0) * 1e-3 - ((f1 - f0) % (1 << 32)) / rate * 1e3)


def slip_audio(cyc, onsets):
    """The same for a recording: its jack_audio_capture -t cycle log, and the
    onset times (s from the start of the WAV) that onsets.py detect found."""
    try:
        times = [float(l) for l in open(onsets) if l.strip()]
    except OSError:
        return None
    rate, first, frames, raws = 48000.0, None, [], []
    for line in open(cyc):
        if line.startswith("#"):
            for tok in line.split():
                if tok.startswith("rate="):
                    rate = float(tok[5:])
                if tok.startswith("first_frame="):
                    first = int(tok[12:])
            continue
        f = line.split()
        frames.append(int(f[0]))
        raws.append(int(f[1]))
    if len(times) < 2 or not frames:
        return None
    first = frames[0] if first is None else first

    def lag(t):
        k = max(0, bisect.bisect_right(frames, first + t * rate) - 1)
        return raws[k] * 1e-3 - frames[k] / rate * 1e3

    return lag(times[-1]) - lag(times[0])


def parse(path):
    run = parse_report(path)
    base = path[:-4]
    if os.path.exists(base + ".cap"):
        run["slip"] = slip_midi(base + ".cap")
    elif os.path.exists(base + ".cyc"):
        run["slip"] = slip_audio(base + ".cyc", base + ".onsets")
    return run


def collect(kind, folder):
    groups = {}
    pat = re.compile(r"^%s_(\d+)_([a-z]+)_r(\d+)\.txt$" % kind)
    for name in sorted(os.listdir(folder)):
        m = pat.match(name)
        if m:
            key = (int(m.group(1)), m.group(2))
            groups.setdefault(key, []).append(parse(os.path.join(folder, name)))
    return groups


def clean(r):
    return r["xruns"] == 0


def held(r):
    return r.get("slip") is not None and abs(r["slip"]) < SLIP_MS


def med(values):
    values = [v for v in values if v == v]
    return statistics.median(values) if values else float("nan")


def summarise(runs, timeline, keep):
    kept = [r for r in runs if keep(r) and timeline in r]
    s = {"runs": len(runs), "kept": len(kept),
         "xruns": sum(r["xruns"] or 0 for r in kept)}
    if not kept:
        return s
    fig = [r[timeline] for r in kept]
    for k in ("p50", "p99", "max", "drift", "fit_p99"):
        s[k] = med([f.get(k, float("nan")) for f in fig])
    s["p99_lo"] = min(f["p99"] for f in fig)
    s["p99_hi"] = max(f["p99"] for f in fig)
    s["missed"] = sum(f["missed"] for f in fig)
    s["extra"] = sum(f["extra"] for f in fig)
    return s


HEADER = ("%4s  %-31s %-5s %5s %5s  %5s  %-17s  %5s  %6s  %5s  %-7s %s" %
          ("BPM", "player", "time", "kept", "xruns", "p50", "p99 (range)", "max", "drift",
           "fit", "lost/+", "goal"))
UNITS = ("%4s  %-31s %-5s %5s %5s  %5s  %-17s  %5s  %6s  %5s" %
         ("", "", "line", "runs", "kept", "ms", "ms", "ms", "ppm", "p99"))


def row(bpm, label, timeline, s, note=""):
    head = "%4d  %-31s %-5s %2d/%-2d %5d" % (bpm, label, timeline, s["kept"], s["runs"],
                                           s["xruns"])
    if not s["kept"]:
        return head + "  (none)"
    return head + "  %5.2f  %5.2f (%4.2f-%4.2f)  %5.2f  %+6.1f  %5.2f  %3d/%-3d %s" % (
        s["p50"], s["p99"], s["p99_lo"], s["p99_hi"], s["max"], s["drift"], s["fit_p99"],
        s["missed"], s["extra"], note)


def print_rows(bpm, player, runs, timeline, goal):
    label = PLAYERS[player][0]
    for keep, name in ((clean, label), (held, "  (clock held in the song)")):
        s = summarise(runs, timeline, keep)
        print(row(bpm, name, timeline, s, goal(s, keep) if s["kept"] else ""))
        if all(clean(r) for r in runs):
            break


def midi(folder):
    groups = collect("midi", folder)
    print("Sequencer timing on a JACK MIDI port: note-on arrival vs the song's tick grid")
    print(HEADER)
    print(UNITS)
    for bpm in sorted({b for b, _ in groups}):
        floor_runs = groups.get((bpm, "floor"), [])
        for player in ("floor", "idle", "busy"):
            runs = groups.get((bpm, player))
            if not runs:
                continue

            def goal(s, keep, player=player):
                if player not in GOALS_MIDI:
                    return ""
                # Against the floor's runs chosen the same way.
                f = summarise(floor_runs, "frame", keep)
                if not f["kept"]:
                    return "(no floor run kept)"
                d = [s[k] - f[k] for k in ("p50", "p99", "max")]
                return "floor%+.2f/%+.2f/%+.2f (<= +%.1f): %s" % (
                    d[0], d[1], d[2], GOALS_MIDI[player],
                    "met" if max(d) <= GOALS_MIDI[player] else "missed")

            print_rows(bpm, player, runs, "frame", goal)


def audio(folder):
    groups = collect("audio", folder)
    print("Built-in synthesizer vs the fluidsynth CLI player: audio onsets vs the ideal times")
    print(HEADER)
    print(UNITS)
    for bpm in sorted({b for b, _ in groups}):
        # fluidsynth renders by frames: its frame timeline holds through xruns, so every
        # run of it counts as the peer.
        peer = summarise(groups.get((bpm, "fluidsynth"), []), "frame", lambda r: True)

        def goal(s, keep):
            worse = peer["kept"] and s["p99"] > peer["p99"] + PEER_TOLERANCE_MS
            ok = not worse and s["p99"] <= GOAL_AUDIO_P99 and s["missed"] + s["extra"] == 0
            return "p99 <= %.1f and <= fluidsynth's %s, none lost: %s" % (
                GOAL_AUDIO_P99, "%.2f" % peer["p99"] if peer["kept"] else "(no run)",
                "met" if ok else "missed")

        for player in ("kovrinta", "fluidsynth"):
            runs = groups.get((bpm, player))
            if runs:
                print_rows(bpm, player, runs, PLAYERS[player][1],
                           goal if player == "kovrinta" else lambda s, keep: "")
        # The other timeline, as a check: where the clock held the two agree within ~0.1 ms.
        for player in ("kovrinta", "fluidsynth"):
            runs = groups.get((bpm, player))
            if runs:
                other = "frame" if PLAYERS[player][1] == "wall" else "wall"
                s = summarise(runs, other, held)
                print(row(bpm, PLAYERS[player][0], other, s, "(other timeline, clock held)"))


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("midi", "audio"):
        sys.exit(__doc__)
    (midi if sys.argv[1] == "midi" else audio)(sys.argv[2])


if __name__ == "__main__":
    main()
