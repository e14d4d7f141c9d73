"""The colours of Kovrinta's artwork, shared by every window picture.

They follow the drum kit (assets/kit/source/generate_kit.py): a dark stage lit in blue,
wine-red shells, chrome, bronze and the amber of a lit piece; and the language pictures
(assets/idiomas/imagens), whose buttons are slate with amber symbols on a navy ground.
Stops are (offset, colour) or (offset, colour, opacity).
"""

# The navy ground of the language pictures: wherever one of them lies on a skin picture,
# the skin is this colour around it, so the picture's rectangle does not show.
NAVY = "#0f1220"
NAVY_DEEP = "#0a0c16"
NAVY_LIGHT = "#1d2338"
WINDOW_BLUE = "#4871c0"  # the main window's own background colour

IVORY = "#f3eee5"
AMBER = "#ffa63a"
AMBER_LIGHT = "#ffd690"
OUTLINE = "#07080a"

# Button faces: raised at rest, sunk while held.
FACE_UP = [(0, "#444b5e"), (0.5, "#2a3042"), (1, "#191d29")]
FACE_DOWN = [(0, "#0b0d14"), (0.6, "#171a26"), (1, "#252b3c")]
RIM_DOWN = "#ff9f2e"

# Symbols on the buttons: amber at rest, brighter while held.
GLYPH_UP = [(0, "#ffc870"), (1, "#f08a22")]
GLYPH_DOWN = [(0, "#ffe2a8"), (1, "#ffa23a")]

# The kit's materials.
SHELL = [(0, "#1c0206"), (0.1, "#4c0811"), (0.3, "#95162a"), (0.42, "#d4404f"),
         (0.47, "#f07a84"), (0.53, "#b82235"), (0.75, "#6a0d1a"), (1, "#1a0205")]
CHROME = [(0, "#4a4f59"), (0.3, "#eef1f5"), (0.55, "#9aa1ad"), (0.8, "#dfe3e9"), (1, "#444952")]
CHROME_V = [(0, "#f4f6f9"), (0.45, "#a3a9b4"), (0.7, "#d9dde4"), (1, "#4d525c")]
HEAD = [(0, "#f1ecdf"), (0.55, "#d2cbb9"), (0.85, "#aaa391"), (1, "#8a8474")]
BRONZE = [(0, "#f0cb7a"), (0.2, "#c9963c"), (0.45, "#dcae58"), (0.7, "#b07c2c"),
          (0.9, "#8a5e1e"), (1, "#5f3e12")]
BELL = [(0, "#fbe3a8"), (0.5, "#d4a24c"), (1, "#7e561a")]
WOOD = [(0, "#7a4c1e"), (0.25, "#e6c18a"), (0.45, "#f7e2b8"), (0.7, "#c99550"), (1, "#6a3f16")]
WOOD_TIP = [(0, "#fff4dc"), (0.6, "#e7c791"), (1, "#8f602c")]
LIT = [(0, "#ffffff"), (0.3, "#fff5cc"), (0.68, "#ffd272"), (0.9, "#ffab3c"), (1, "#ff8d24")]

# The stage: wall and curtain, and the blue light behind the kit.
WALL = [(0, "#07090f"), (0.5, "#0d1120"), (1, "#151a2e")]
FOLDS = [(0, "#000000", 0.45), (0.3, "#000000", 0.05), (0.5, "#8090c0", 0.06),
         (0.7, "#000000", 0.1), (1, "#000000", 0.45)]
BACKLIGHT = [(0, "#5a6cc0", 0.42), (0.45, "#34408a", 0.2), (1, "#1a2050", 0)]
FLOOR = [(0, "#18161c"), (0.5, "#100e13"), (1, "#070609")]
RUG = [(0, "#5a1f29"), (0.55, "#43141d"), (0.85, "#2f0d14"), (1, "#220a0f")]

# Keycaps: ivory with navy letters, so that they stand out over the dark stage and the
# bronze cymbals alike.
CAP_TOP = [(0, "#ffffff"), (0.6, "#f4f0e6"), (1, "#dcd6c8")]
CAP_SIDE = [(0, "#c9c2b2"), (1, "#8d8676")]
CAP_LETTER = "#161a2c"
CAP_DIM_TOP = [(0, "#3a4152"), (1, "#272c3a")]
CAP_DIM_SIDE = [(0, "#1c202b"), (1, "#12151c")]
