"""Reads a groove file (the notation is described in ../NOTATION.md) into a Groove, and
refuses, with its file and line, whatever a drummer could not have meant."""
import dataclasses
import os
import re

from instruments import (BASS_DEGREES, CHORD_LEVELS, COUNT_IN, DRUM_STROKES, DRUMS, HOLD,
                         NOTE_NAMES, OPEN_NOTES, PEDAL_NOTES, PROGRAMS, QUALITIES, RESTS)

MIN_BARS, MAX_BARS = 8, 16


class NotationError(Exception):
    def __init__(self, path, line, message):
        super().__init__(f"{path}:{line}: {message}")


@dataclasses.dataclass
class Line:
    instrument: str
    bars: list          # the step symbols of each bar, one string per bar
    lineno: int


@dataclasses.dataclass
class Pattern:
    name: str
    fill: bool
    lines: list
    lineno: int

    @property
    def bars(self):
        return len(self.lines[0].bars) if self.lines else 0


@dataclasses.dataclass
class Chord:
    symbol: str
    root: int           # pitch class, 0 for C
    intervals: tuple


@dataclasses.dataclass
class FormLine:
    pattern: Pattern
    chords: list        # for each bar of the pattern, the chords that share it evenly
    lineno: int


@dataclasses.dataclass
class Groove:
    path: str
    title: str = ""
    tempo: int = 0
    meter: tuple = (4, 4)
    count_in: str = "hh"
    swing: tuple = None  # (the swung note: 8 or 16, percent of the pair the first takes)
    level: int = 0
    bass: str = ""
    chords: str = ""
    patterns: dict = dataclasses.field(default_factory=dict)
    form: list = dataclasses.field(default_factory=list)

    @property
    def beats(self):
        return self.meter[0]

    @property
    def compound(self):
        numerator, denominator = self.meter
        return denominator == 8 and numerator % 3 == 0 and numerator > 3

    @property
    def bars(self):
        return sum(f.pattern.bars for f in self.form)


def strip_comment(text):
    # '#' begins a comment at the start of a line or after a blank, so that chord
    # names such as F#m7 keep their sharp.
    match = re.search(r"(^|\s)#", text)
    return text[:match.start()] if match else text


def parse_chord(symbol):
    match = re.fullmatch(r"([A-G])([#b]?)(.*)", symbol)
    if not match or match.group(3) not in QUALITIES:
        return None
    root = NOTE_NAMES[match.group(1)] + {"#": 1, "b": -1, "": 0}[match.group(2)]
    return Chord(symbol, root % 12, QUALITIES[match.group(3)])


def split_bars(text):
    """'| x-x- x-x- | ---- |' -> ['x-x-x-x-', '----']; None when it is not bar-lined."""
    text = text.strip()
    if len(text) < 2 or not text.startswith("|") or not text.endswith("|"):
        return None
    return ["".join(segment.split()) for segment in text[1:-1].split("|")]


class Reader:
    def __init__(self, path):
        self.path = path
        self.groove = Groove(path)
        self.pattern = None
        self.in_form = False

    def fail(self, lineno, message):
        raise NotationError(self.path, lineno, message)

    def read(self, text):
        for lineno, raw in enumerate(text.splitlines(), start=1):
            content = strip_comment(raw).rstrip()
            if not content.strip():
                continue
            indented = content[0].isspace()
            words = content.split()
            if not indented:
                self.pattern = None
                self.in_form = False
                self.top_level(lineno, words)
            elif self.pattern is not None:
                self.pattern_line(lineno, content.strip())
            elif self.in_form:
                self.form_line(lineno, content.strip())
            else:
                self.fail(lineno, "an indented line belongs under 'groove', 'fill' or 'form'")
        self.finish()
        return self.groove

    def top_level(self, lineno, words):
        key, values = words[0], words[1:]
        g = self.groove
        if key in ("groove", "fill"):
            if len(values) != 1:
                self.fail(lineno, f"'{key}' takes one name")
            if values[0] in g.patterns:
                self.fail(lineno, f"'{values[0]}' is already defined")
            self.pattern = Pattern(values[0], key == "fill", [], lineno)
            g.patterns[values[0]] = self.pattern
        elif key == "form":
            if values or g.form:
                self.fail(lineno, "one 'form' section, with nothing after the word")
            self.in_form = True
        elif key == "title":
            g.title = " ".join(values)
        elif key == "tempo":
            if len(values) != 1 or not values[0].isdigit() or not 30 <= int(values[0]) <= 300:
                self.fail(lineno, "tempo: quarter notes a minute, 30 to 300")
            g.tempo = int(values[0])
        elif key == "meter":
            match = re.fullmatch(r"(\d+)/(2|4|8)", values[0] if len(values) == 1 else "")
            if not match or not 1 <= int(match.group(1)) <= 15:
                self.fail(lineno, "meter: beats/note, such as 4/4, 3/4, 6/8 or 12/8")
            g.meter = (int(match.group(1)), int(match.group(2)))
        elif key == "count-in":
            if len(values) != 1 or values[0] not in COUNT_IN:
                self.fail(lineno, "count-in: " + ", ".join(COUNT_IN))
            g.count_in = values[0]
        elif key == "swing":
            if (len(values) != 2 or values[0] not in ("8th", "16th") or not values[1].isdigit()
                    or not 50 <= int(values[1]) <= 75):
                self.fail(lineno, "swing: 8th or 16th, then the percent of each pair that "
                                  "its first note takes (50 straight, 67 triplets)")
            g.swing = (8 if values[0] == "8th" else 16, int(values[1]))
        elif key == "level":
            if len(values) != 1 or not re.fullmatch(r"[+-]?\d+", values[0]) \
                    or not -40 <= int(values[0]) <= 20:
                self.fail(lineno, "level: a velocity change from -40 to +20")
            g.level = int(values[0])
        elif key in ("bass", "chords"):
            if len(values) != 1 or values[0] not in PROGRAMS:
                self.fail(lineno, f"{key}: one of " + ", ".join(PROGRAMS))
            setattr(g, key, values[0])
        else:
            self.fail(lineno, f"unknown word '{key}'")

    def pattern_line(self, lineno, content):
        name, rest = (content.split(None, 1) + [""])[:2]
        bars = split_bars(rest)
        if bars is None:
            self.fail(lineno, f"'{name}': the steps go between bar lines, | x-x- x-x- |")
        if name not in DRUMS and name not in ("bass", "chord"):
            self.fail(lineno, f"unknown instrument '{name}'")
        if any(line.instrument == name for line in self.pattern.lines):
            self.fail(lineno, f"'{name}' twice in '{self.pattern.name}'")
        if self.pattern.lines and len(bars) != self.pattern.bars:
            self.fail(lineno, f"'{name}' has {len(bars)} bar(s), the lines above "
                              f"{self.pattern.bars}")
        allowed = self.allowed_symbols(name)
        beats = self.groove.beats
        for number, steps in enumerate(bars, start=1):
            if not steps or len(steps) % beats:
                self.fail(lineno, f"'{name}' bar {number}: {len(steps)} steps do not divide "
                                  f"into {beats} beats")
            for symbol in steps:
                if symbol not in allowed:
                    self.fail(lineno, f"'{name}' bar {number}: '{symbol}' means nothing here")
        self.pattern.lines.append(Line(name, bars, lineno))

    @staticmethod
    def allowed_symbols(name):
        if name == "bass":
            return BASS_DEGREES + HOLD + RESTS
        if name == "chord":
            return "".join(CHORD_LEVELS) + HOLD + RESTS
        symbols = {s for s, (kind, _) in DRUM_STROKES.items()
                   if kind not in ("open", "pedal")}
        if name in OPEN_NOTES:
            symbols |= {"o", "O"}
        if name in PEDAL_NOTES:
            symbols.add("p")
        return "".join(symbols) + RESTS

    def form_line(self, lineno, content):
        name, rest = (content.split(None, 1) + [""])[:2]
        pattern = self.groove.patterns.get(name)
        if pattern is None:
            self.fail(lineno, f"no groove or fill named '{name}' above")
        bars = split_bars(rest)
        if bars is None:
            self.fail(lineno, f"'{name}': its chords go between bar lines, | C | Am7 D7 |")
        segments = rest.strip()[1:-1].split("|")
        if len(segments) != pattern.bars:
            self.fail(lineno, f"'{name}' is {pattern.bars} bar(s) long; {len(segments)} "
                              f"bar(s) of chords given")
        chords = []
        for segment in segments:
            symbols = segment.split()
            if symbols == ["%"]:
                previous = chords[-1] if chords else (self.groove.form[-1].chords[-1]
                                                      if self.groove.form else None)
                if previous is None:
                    self.fail(lineno, "'%' repeats the bar before, and there is none")
                chords.append(previous)
                continue
            if not symbols:
                self.fail(lineno, "every bar needs a chord, or '%' for the bar before")
            bar = []
            for symbol in symbols:
                chord = parse_chord(symbol)
                if chord is None:
                    self.fail(lineno, f"unknown chord '{symbol}'")
                bar.append(chord)
            chords.append(bar)
        self.groove.form.append(FormLine(pattern, chords, lineno))

    def finish(self):
        g = self.groove
        for key in ("title", "tempo", "bass", "chords"):
            if not getattr(g, key):
                self.fail(1, f"the header has no '{key}'")
        for pattern in g.patterns.values():
            if not pattern.lines:
                self.fail(pattern.lineno, f"'{pattern.name}' has no lines")
        if not MIN_BARS <= g.bars <= MAX_BARS:
            where = g.form[-1].lineno if g.form else 1
            self.fail(where, f"the form is {g.bars} bars; a groove has {MIN_BARS} to "
                             f"{MAX_BARS}")
        stem = os.path.splitext(os.path.basename(self.path))[0]
        match = re.fullmatch(r"[a-z0-9]+(-[a-z0-9]+)*-(\d+)", stem)
        if not match or int(match.group(2)) != g.tempo:
            self.fail(1, f"the file name must be the style and the tempo, "
                         f"such as bossa-nova-132: '{stem}' with tempo {g.tempo}")


def read_groove(path):
    with open(path, encoding="utf-8") as source:
        return Reader(path).read(source.read())
