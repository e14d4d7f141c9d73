"""What the names and symbols of the groove notation stand for: drum voices, their
dynamics, and the General MIDI programs of the bass and chord parts."""

# A drum line's name: (General MIDI drum note, dynamics family). A few names have other
# notes for other symbols: the hi-hat opens with 'o' and is closed by the foot with 'p';
# the triangle rings with 'o' and is muted otherwise.
DRUMS = {
    "kick": (36, "kick"),
    "snare": (38, "snare"),
    "rim": (37, "snare"),       # cross-stick (side stick)
    "clap": (39, "snare"),
    "hh": (42, "hat"),
    "hf": (44, "hat"),          # hi-hat closed with the foot
    "ride": (51, "ride"),
    "bell": (53, "ride"),       # the bell of the ride
    "crash": (49, "crash"),
    "crash2": (57, "crash"),
    "china": (52, "crash"),
    "splash": (55, "crash"),
    "tom1": (50, "tom"),        # high rack tom
    "tom2": (47, "tom"),        # low rack tom
    "floor": (43, "tom"),       # high floor tom
    "floor2": (41, "tom"),      # low floor tom, also the surdo of the Brazilian grooves
    "cowbell": (56, "perc"),
    "tamb": (54, "perc"),
    "shaker": (70, "perc"),
    "cabasa": (69, "perc"),
    "clave": (75, "perc"),
    "agogo": (67, "perc"),
    "agogo-lo": (68, "perc"),
    "tri": (80, "perc"),
    "conga": (63, "perc"),
    "conga-lo": (64, "perc"),
    "timbale": (65, "perc"),
}

OPEN_NOTES = {"hh": 46, "tri": 81}
PEDAL_NOTES = {"hh": 44}

HAT_CLOSED, HAT_PEDAL, HAT_OPEN = 42, 44, 46
CRASHES = {49, 57, 52, 55}

# Velocities of an accent, a normal stroke and a ghost note, by family: a drummer plays
# a ride or hi-hat lighter than a backbeat, and a ghost note on the snare barely sounds.
DYNAMICS = {
    "kick": {"X": 120, "x": 100, "g": 48},
    "snare": {"X": 118, "x": 94, "g": 36},
    "hat": {"X": 100, "x": 76, "g": 50},
    "ride": {"X": 100, "x": 80, "g": 56},
    "crash": {"X": 120, "x": 102, "g": 74},
    "tom": {"X": 116, "x": 96, "g": 58},
    "perc": {"X": 104, "x": 84, "g": 56},
}

# A drum step: a rest, or a stroke of some kind at some level. Upper case accents.
DRUM_STROKES = {
    "x": ("hit", "x"), "X": ("hit", "X"), "g": ("hit", "g"),
    "f": ("flam", "x"), "F": ("flam", "X"),
    "r": ("double", "x"), "R": ("double", "X"),
    "z": ("buzz", "x"), "Z": ("buzz", "X"),
    "o": ("open", "x"), "O": ("open", "X"),
    "p": ("pedal", "x"),
}
RESTS = "-."
HOLD = "_"

# Bass steps: chord degrees from the root of the chord sounding at the step.
BASS_DEGREES = "12345678va"
# Chord steps: the whole chord at three levels.
CHORD_LEVELS = {"X": 96, "x": 80, "g": 60}

# Count-in voices of the header's count-in line.
COUNT_IN = {"hh": 42, "sticks": 37, "clave": 75}

# General MIDI programs (numbered from 0, as the program change sends them) and the name
# each track is given.
PROGRAMS = {
    "piano": (0, "Piano"),
    "bright-piano": (1, "Bright Piano"),
    "electric-piano": (4, "Electric Piano"),
    "vibraphone": (11, "Vibraphone"),
    "organ": (16, "Organ"),
    "rock-organ": (18, "Rock Organ"),
    "accordion": (21, "Accordion"),
    "nylon-guitar": (24, "Nylon Guitar"),
    "steel-guitar": (25, "Steel Guitar"),
    "jazz-guitar": (26, "Jazz Guitar"),
    "clean-guitar": (27, "Clean Guitar"),
    "muted-guitar": (28, "Muted Guitar"),
    "overdrive-guitar": (29, "Overdrive Guitar"),
    "distortion-guitar": (30, "Distortion Guitar"),
    "acoustic-bass": (32, "Acoustic Bass"),
    "finger-bass": (33, "Finger Bass"),
    "pick-bass": (34, "Pick Bass"),
    "fretless-bass": (35, "Fretless Bass"),
    "slap-bass": (36, "Slap Bass"),
    "synth-bass": (38, "Synth Bass"),
    "synth-bass-2": (39, "Synth Bass 2"),
    "strings": (48, "Strings"),
    "trumpet": (56, "Trumpet"),
    "tuba": (58, "Tuba"),
    "brass": (61, "Brass"),
    "pad": (89, "Warm Pad"),
}

# Chord qualities: semitones above the root. 'degrees' says which semitone a bass degree
# of the chord means where the quality changes it (a minor third, a flat fifth).
QUALITIES = {
    "": (0, 4, 7),
    "m": (0, 3, 7),
    "5": (0, 7, 12),
    "6": (0, 4, 7, 9),
    "m6": (0, 3, 7, 9),
    "7": (0, 4, 7, 10),
    "m7": (0, 3, 7, 10),
    "maj7": (0, 4, 7, 11),
    "9": (0, 4, 10, 14),
    "m9": (0, 3, 10, 14),
    "maj9": (0, 4, 11, 14),
    "6/9": (0, 4, 9, 14),
    "sus4": (0, 5, 7),
    "7sus4": (0, 5, 7, 10),
    "dim": (0, 3, 6),
    "dim7": (0, 3, 6, 9),
    "m7b5": (0, 3, 6, 10),
    "7#9": (0, 4, 10, 15),
}

NOTE_NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
