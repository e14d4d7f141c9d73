#!/usr/bin/env python3
"""Draws the artwork of Kovrinta's windows and writes one SVG per picture:

  assets/skin/       the main window: strips, makers' emblem, buttons, volume backdrop
  assets/teclado/    the keyboard help: key scheme, small keyboard, close button, key labels
  assets/assistente/ the sound-card test wizard's picture
  assets/icone/      the application icon

Each folder's CMakeLists.txt lists its pictures as name=WIDTHxHEIGHT; this script draws
exactly those, at those sizes, and stops when a drawing and the list disagree, so the list
stays the one place that names the pictures.

Run it after changing the artwork:  python3 assets/skin/source/generate_art.py
"""

import os
import re
import sys

sys.dont_write_bytecode = True  # keep the source folder free of compiled modules

import icon  # noqa: E402
import keyboard  # noqa: E402
import skin  # noqa: E402
import wizard  # noqa: E402

ASSETS = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FOLDERS = {
    "skin": skin.pictures,
    "teclado": keyboard.pictures,
    "assistente": wizard.pictures,
    "icone": icon.pictures,
}


def listed_sizes(folder):
    """The name=WIDTHxHEIGHT entries of a folder's CMakeLists.txt."""
    with open(os.path.join(folder, "CMakeLists.txt"), encoding="utf-8") as f:
        text = f.read()
    return {m[0]: (int(m[1]), int(m[2]))
            for m in re.findall(r"^\s*([\w-]+)=(\d+)x(\d+)\)?\s*$", text, re.M)}


def main():
    problems = []
    for sub, make in FOLDERS.items():
        folder = os.path.join(ASSETS, sub)
        listed = listed_sizes(folder)
        drawings = make()
        drawn = {d.name: (d.width, d.height) for d in drawings}
        for name in sorted(set(listed) - set(drawn)):
            problems.append(f"{sub}: {name} is listed but not drawn")
        for name in sorted(set(drawn) - set(listed)):
            problems.append(f"{sub}: {name} is drawn but not listed")
        for name in sorted(set(drawn) & set(listed)):
            if drawn[name] != listed[name]:
                problems.append(f"{sub}: {name} is drawn {drawn[name]}, listed {listed[name]}")
        if not problems:
            for d in drawings:
                d.write(folder)
            print(f"wrote {len(drawings)} pictures to {folder}")
    if problems:
        sys.exit("\n".join(problems))


if __name__ == "__main__":
    main()
