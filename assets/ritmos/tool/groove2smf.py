#!/usr/bin/python3
"""groove2smf SOURCE OUTPUT: writes the Standard MIDI File of a groove of the rhythm
folder. The notation is described in ../NOTATION.md; a groove that breaks its rules
stops the build with the file, the line and what is wrong."""
import os
import sys

from notation import NotationError, read_groove
from render import render


def main(argv):
    if len(argv) != 3:
        print("usage: groove2smf.py SOURCE.groove OUTPUT.mid", file=sys.stderr)
        return 2
    source, output = argv[1], argv[2]
    try:
        data = render(read_groove(source))
    except NotationError as error:
        print(f"groove2smf: {error}", file=sys.stderr)
        return 1
    except OSError as error:
        print(f"groove2smf: {source}: {error.strerror}", file=sys.stderr)
        return 1
    # Written beside its place and renamed, so that a stopped build leaves no half file.
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    partial = output + ".part"
    with open(partial, "wb") as out:
        out.write(data)
    os.replace(partial, output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
