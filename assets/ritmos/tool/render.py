"""Turns a Groove into the timed MIDI events of its tracks: the count-in, the drums with
their dynamics and swing, the bass line and the chords, each note with its release."""
import dataclasses
import os
import random

import smf
from instruments import (BASS_DEGREES, CHORD_LEVELS, COUNT_IN, CRASHES, DRUM_STROKES, DRUMS,
                         DYNAMICS, HAT_CLOSED, HAT_OPEN, HAT_PEDAL, HOLD, OPEN_NOTES,
                         PEDAL_NOTES, PROGRAMS)
from notation import NotationError

PPQ = 480
DRUM_CHANNEL, CHORD_CHANNEL, BASS_CHANNEL = 9, 0, 1
# A drum note is released a 32nd note after it is struck, or halfway to its next stroke.
DRUM_LENGTH = PPQ // 8
# The grace note of a flam comes this long before the main stroke.
FLAM_SECONDS = 0.022
# The lowest root of the bass (A1) and of the chords' close voicing (F3), and of power
# chords (E2), so that every chord lies within an octave above it.
BASS_FLOOR, CHORD_FLOOR, POWER_FLOOR = 33, 53, 40


@dataclasses.dataclass
class Note:
    tick: int
    end: int
    pitch: int
    velocity: int


def clamp_velocity(v):
    return max(1, min(127, v))


class Renderer:
    def __init__(self, groove):
        self.g = groove
        numerator, denominator = groove.meter
        self.bar_ticks = numerator * PPQ * 4 // denominator
        self.beat_ticks = PPQ * 4 // denominator
        self.end_tick = (1 + groove.bars) * self.bar_ticks
        stem = os.path.splitext(os.path.basename(groove.path))[0]
        # The same small variation of loudness at every build: a drummer never strikes
        # twice exactly alike.
        self.random = random.Random(stem)
        self.flam_ticks = round(FLAM_SECONDS * groove.tempo / 60 * PPQ)
        # Each bar of the form: (its first tick, its pattern, the pattern's bar index,
        # the form line).
        self.bars = []
        tick = self.bar_ticks
        for form_line in groove.form:
            for index in range(form_line.pattern.bars):
                self.bars.append((tick, form_line.pattern, index, form_line))
                tick += self.bar_ticks
        self.chords = self.chord_changes()

    def fail(self, lineno, message):
        raise NotationError(self.g.path, lineno, message)

    # Time.

    def swung(self, offset, steps):
        """The tick in its bar of a step boundary at offset, for a line of steps steps a
        bar. Swing moves the second note of each pair later: with 'swing 8th 62' the
        'and' of every beat comes 62% of the way through the beat instead of half-way. A
        line whose steps do not halve the pair evenly (triplets) is already swung."""
        if not self.g.swing:
            return offset
        note, percent = self.g.swing
        pair = PPQ * 8 // note
        step = self.bar_ticks // steps
        per_pair = pair // step if pair % step == 0 else 0
        if per_pair < 2 or per_pair & (per_pair - 1) or self.bar_ticks % pair:
            return offset
        start, within = divmod(offset, pair)
        half = pair // 2
        first = pair * percent / 100
        if within < half:
            moved = within * first / half
        else:
            moved = first + (within - half) * (pair - first) / half
        return start * pair + round(moved)

    def step_span(self, bar_tick, steps, step):
        """First and last tick (exclusive) of a step of a bar that starts at bar_tick."""
        size = self.bar_ticks // steps
        return (bar_tick + self.swung(step * size, steps),
                bar_tick + self.swung((step + 1) * size, steps))

    # Harmony.

    def chord_changes(self):
        changes = []
        for bar_tick, _, index, form_line in self.bars:
            chords = form_line.chords[index]
            if self.bar_ticks % len(chords):
                self.fail(form_line.lineno, f"{len(chords)} chords cannot share a bar evenly")
            for k, chord in enumerate(chords):
                changes.append((bar_tick + k * self.bar_ticks // len(chords), chord))
        return changes

    def chord_at(self, tick):
        current = self.chords[0][1]
        for start, chord in self.chords:
            if start > tick:
                break
            current = chord
        return current

    def next_chord(self, tick):
        """The chord after the one sounding at tick; the form's first after its last."""
        current = self.chord_at(tick)
        for start, chord in self.chords:
            if start > tick and chord is not current:
                return chord
        return self.chords[0][1]

    @staticmethod
    def bass_root(chord):
        return BASS_FLOOR + (chord.root - BASS_FLOOR) % 12

    def bass_pitch(self, symbol, tick):
        chord = self.chord_at(tick)
        if symbol == "a":
            # A chromatic approach from a semitone below the next chord's root.
            return self.bass_root(self.next_chord(tick)) - 1
        intervals = chord.intervals
        third = 3 if 3 in intervals else (5 if 4 not in intervals and 5 in intervals else 4)
        fifth = 6 if 6 in intervals and 7 not in intervals else 7
        seventh = 11 if 11 in intervals else (9 if 9 in intervals and 6 in intervals else 10)
        semitones = {"1": 0, "2": 2, "3": third, "4": 5, "5": fifth, "6": 9, "7": seventh,
                     "8": 12, "v": fifth - 12}[symbol]
        return self.bass_root(chord) + semitones

    @staticmethod
    def voicing(chord):
        if chord.intervals == (0, 7, 12):
            root = POWER_FLOOR + (chord.root - POWER_FLOOR) % 12
            return [root, root + 7, root + 12]
        return sorted({CHORD_FLOOR + (chord.root + i - CHORD_FLOOR) % 12
                       for i in chord.intervals})

    # The bass and chord parts.

    def line_bars(self, instrument):
        """Each bar of the form with its steps for instrument (None where its pattern has
        no such line): (first tick, steps or None, source line)."""
        for bar_tick, pattern, index, form_line in self.bars:
            line = next((l for l in pattern.lines if l.instrument == instrument), None)
            yield bar_tick, (line.bars[index] if line else None), (line or form_line)

    def vary(self, velocity, spread=3):
        return clamp_velocity(velocity + self.g.level + self.random.randint(-spread, spread))

    def drum_hits(self):
        """(tick, note, velocity) of every stroke, count-in included."""
        hits = self.count_in()
        for instrument, (note, family) in DRUMS.items():
            levels = DYNAMICS[family]
            for bar_tick, steps, _ in self.line_bars(instrument):
                if steps is None:
                    continue
                for step, symbol in enumerate(steps):
                    if symbol not in DRUM_STROKES:
                        continue
                    kind, level = DRUM_STROKES[symbol]
                    start, end = self.step_span(bar_tick, len(steps), step)
                    velocity = levels[level]
                    if kind == "hit" or kind == "flam":
                        spread = 2 if level == "g" else 3
                        hits.append((start, note, self.vary(velocity, spread)))
                        if kind == "flam":
                            grace = clamp_velocity(velocity * 2 // 5 + self.g.level)
                            hits.append((start - self.flam_ticks, note, grace))
                    elif kind == "open":
                        hits.append((start, OPEN_NOTES[instrument], self.vary(velocity)))
                    elif kind == "pedal":
                        hits.append((start, PEDAL_NOTES[instrument], self.vary(velocity - 10)))
                    else:
                        # A double stroke, or a buzz of four quick pressed strokes.
                        count = 2 if kind == "double" else 4
                        for k in range(count):
                            tick = start + (end - start) * k // count
                            scale = 1.0 if k == 0 else (0.9 if kind == "double" else 0.7)
                            hits.append((tick, note, self.vary(round(velocity * scale))))
        return hits

    def count_in(self):
        """One bar that counts the beats in: every beat, the first accented; every eighth
        in compound meters (1 2 3 4 5 6 in 6/8) and in bars of fewer than three beats."""
        note = COUNT_IN[self.g.count_in]
        numerator, denominator = self.g.meter
        if self.g.compound:
            clicks, strong = numerator, 3
        elif numerator < 3 and denominator <= 4:
            clicks, strong = numerator * 2, 2
        else:
            clicks, strong = numerator, 1
        hits = []
        for k in range(clicks):
            velocity = 112 if k == 0 else (92 if k % strong == 0 else 72)
            hits.append((k * self.bar_ticks // clicks, note, clamp_velocity(velocity)))
        return hits

    def drum_notes(self, hits):
        by_note = {}
        for tick, note, velocity in hits:
            by_note.setdefault(note, []).append((tick, velocity))
        notes = []
        for note, strokes in by_note.items():
            strokes.sort()
            for k, (tick, velocity) in enumerate(strokes):
                following = strokes[k + 1][0] if k + 1 < len(strokes) else self.end_tick + PPQ
                if following == tick:
                    self.fail(1, f"drum note {note} struck twice at tick {tick}")
                end = min(tick + DRUM_LENGTH, tick + (following - tick) // 2, self.end_tick)
                notes.append(Note(tick, end, note, velocity))
        return notes

    def melodic_notes(self, instrument):
        """Notes of the bass or chord lines: a degree or level starts a note, '_' holds it
        on, a rest or the next note ends it a little before its step."""
        notes = []
        current = None  # (first tick, symbol, line number)

        def close(tick, step_size):
            nonlocal current
            if current is None:
                return
            start, symbol, lineno = current
            end = tick - min(step_size // 8, PPQ // 12)
            if instrument == "bass":
                beat_start = (start - self.bars[0][0]) % self.beat_ticks == 0
                velocity = self.vary(100 if beat_start else 88, 2)
                notes.append(Note(start, end, self.bass_pitch(symbol, start), velocity))
            else:
                velocity = self.vary(CHORD_LEVELS[symbol], 2)
                for pitch in self.voicing(self.chord_at(start)):
                    notes.append(Note(start, end, pitch, velocity))
            current = None

        step_size = self.bar_ticks
        for bar_tick, steps, source in self.line_bars(instrument):
            if steps is None:
                close(bar_tick, step_size)
                continue
            step_size = self.bar_ticks // len(steps)
            for step, symbol in enumerate(steps):
                start, _ = self.step_span(bar_tick, len(steps), step)
                if symbol == HOLD:
                    if current is None:
                        self.fail(source.lineno, f"'{instrument}': '_' holds no note")
                    # A note held into a new chord moves with the harmony: struck again
                    # on the same degree of the new chord.
                    if self.chord_at(start).symbol != self.chord_at(current[0]).symbol:
                        held = current[1]
                        close(start, step_size)
                        current = (start, held, source.lineno)
                    continue
                close(start, step_size)
                if symbol in BASS_DEGREES or symbol in CHORD_LEVELS:
                    current = (start, symbol, source.lineno)
        close(self.end_tick, step_size)
        return notes

    # Checks a drummer would make.

    def check_hi_hat(self, hits):
        """An open hi-hat is closed again, by the stick or the foot, before it opens anew
        and before the groove ends."""
        hat = sorted((t, n) for t, n, _ in hits if n in (HAT_CLOSED, HAT_PEDAL, HAT_OPEN))
        for k, (tick, note) in enumerate(hat):
            if note != HAT_OPEN:
                continue
            later = [n for t, n in hat[k + 1:] if t > tick]
            if not later or later[0] == HAT_OPEN:
                self.fail(self.line_of(tick, "hh"),
                          f"the hi-hat opened in bar {tick // self.bar_ticks} is not closed "
                          "before it opens again or the groove ends")

    def check_count_in_alone(self, hits):
        """Nothing but the count-in sounds in its bar: a flam on the first one would put
        its grace note there."""
        count_in = set(self.count_in())
        for tick, note, velocity in hits:
            if tick < self.bar_ticks and (tick, note, velocity) not in count_in:
                self.fail(self.bars[0][3].lineno, "a stroke of the first bar falls into the "
                                                  "count-in (a flam's grace note?)")

    def check_crash_after_fills(self, hits):
        crashes = {t for t, n, _ in hits if n in CRASHES}
        for k, (_, pattern, index, form_line) in enumerate(self.bars):
            if not pattern.fill or index != pattern.bars - 1:
                continue
            following = self.bars[(k + 1) % len(self.bars)][0]
            if following not in crashes:
                self.fail(form_line.lineno, f"the bar after the fill '{pattern.name}' "
                                            "needs a crash on its one")

    def line_of(self, tick, instrument):
        for bar_tick, pattern, _, form_line in self.bars:
            if bar_tick <= tick < bar_tick + self.bar_ticks:
                line = next((l for l in pattern.lines if l.instrument == instrument), None)
                return (line or form_line).lineno
        return 1

    # Tracks.

    def note_events(self, notes, channel):
        events = []
        for n in notes:
            events.append((n.tick, bytes([0x90 | channel, n.pitch, n.velocity])))
            events.append((n.end, bytes([0x80 | channel, n.pitch, 0])))
        return events

    def tracks(self):
        hits = self.drum_hits()
        self.check_hi_hat(hits)
        self.check_count_in_alone(hits)
        self.check_crash_after_fills(hits)
        numerator, denominator = self.g.meter
        conductor = [(0, smf.track_name(self.g.title)),
                     (0, smf.time_signature(numerator, denominator)),
                     (0, smf.tempo(self.g.tempo)),
                     (0, smf.marker("Count-in"))]
        for bar_tick, pattern, index, _ in self.bars:
            if index == 0:
                conductor.append((bar_tick, smf.marker(pattern.name)))

        drums = [(0, smf.track_name("Drums")), (0, bytes([0xC0 | DRUM_CHANNEL, 0]))]
        drums += self.note_events(self.drum_notes(hits), DRUM_CHANNEL)
        chunks = [smf.track_chunk(conductor, self.end_tick),
                  smf.track_chunk(drums, self.end_tick)]
        for part, program, channel in (("bass", self.g.bass, BASS_CHANNEL),
                                       ("chord", self.g.chords, CHORD_CHANNEL)):
            number, name = PROGRAMS[program]
            events = [(0, smf.track_name(name)), (0, bytes([0xC0 | channel, number]))]
            events += self.note_events(self.melodic_notes(part), channel)
            chunks.append(smf.track_chunk(events, self.end_tick))
        return chunks


def render(groove):
    """The bytes of the groove's Standard MIDI File."""
    return smf.file_bytes(PPQ, Renderer(groove).tracks())
