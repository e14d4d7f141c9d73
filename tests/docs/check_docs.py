#!/usr/bin/env python3
"""Checks the tutorial and the help pages of the program folder, language by language.

    check_docs.py --program-dir build/bin --languages en,pt-BR,es --sources assets/idiomas

For every language it reads the built language file <lang>.idm, finds the pages its
caminhoTutorial and caminhoAjuda name, and checks that each page:

- exists, is UTF-8 and has every element closed in order (void elements aside), known
  entities, unique ids, a <title>, <meta charset="utf-8"> and <html lang> equal to the
  language's code;
- runs no script and reaches nothing outside the docs folder: every link, picture and style
  sheet resolves to a file there (with its #fragment, when it names one), and the only web
  address is the language's own urlVelmaro;
- gives every picture an alt text (an empty one only for a decorative icon, class "icone");
- quotes the window's texts (elements of class "ui") exactly as the language shows them;
- names only grooves that the rhythm folder holds (a <code> text such as rock-110.mid).

The help page must also hold the key table (class "teclas") with every key of the keyboard
play-along in exactly one row, next to the notes it sends, and name every status word and
every button of the window, the setup dialog and the sound test.

Prints one line per fault and exits with 1 when there is any.
"""

import argparse
import os
import re
import sys

from page_parser import PageParser, normalised

# The keyboard play-along: the key as a page names it, and the General MIDI notes it sends
# (X and D send 46, or 42 while Ctrl is held). The space bar has a name per language.
KEY_NOTES = {
    "A": {38}, "S": {38}, "Z": {37}, "X": {46, 42}, "D": {46, 42},
    "C": {48}, "F": {48}, "V": {45}, "G": {45}, "B": {43}, "H": {43},
    "N": {41}, "J": {41}, "E": {59}, "Y": {57}, "O": {49}, "R": {55}, "K": {51},
    "Ctrl": {44}, "Space": {35},
}
SPACE_BAR = {"en": "Space", "pt-BR": "Espaço", "es": "Espacio"}

# Captions that the windows keep in every language, as designed: the electronic kit's note
# maps go by their makers' names.
DESIGNED_TEXTS = {"Setup", "Drivers", "OK", "Cancel", "Total:", "Tracks:", "Play Along",
                  "General MIDI", "Roland V-Drums (TD)", "Alesis (Nitro, Surge, Strike)",
                  "Yamaha DTX"}

# What the help must name, as (section, key) of the language file, a picture word, or a
# designed text.
HELP_NAMES = [
    ("frmPrincipal", k) for k in (
        "Tocando", "Pausa", "Parado", "Repetindo", "InicioLoop", "Adiantando", "Voltando",
        "lblTempo", "lblVolume", "lblVelocidade", "BateriaTodas", "SemNome")
] + [
    ("frmSetup", k) for k in (
        "btnAssistenteDriver", "TabCanais", "GroupBoxCanais", "CheckBoxSel", "CheckBoxText",
        "TabEntrada", "lblDispositivoEntrada", "nenhumaEntrada", "lblMapaNotas",
        "mapaPersonalizado", "lblPecaAprender", "btnAprender", "lblVelocidadeMinima",
        "lblLimiarChimbal", "ckChimbalInvertido", "ckGuardaCruzadaText")
] + [
    ("fmAssistenteConfiguracaoDriver", k) for k in (
        "btnProsseguir", "btnEscutando", "btnNaoEscutando", "btnFinalizar", "btnCancelar",
        "lblLinkVolumeWindows", "lblTitulo2-B", "lblTitulo2-C", "lblTitulo2-D")
] + [("palavras", "botao.abrir"), ("palavras", "botao.ritmos")] + [
    ("designed", t) for t in ("Play Along", "Tracks:", "Drivers", "OK", "Cancel")
]


def read_text(path):
    """The file's text: UTF-8 when its bytes are, else Windows-1252 (as the program reads)."""
    with open(path, "rb") as f:
        data = f.read()
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("cp1252", errors="replace")


def read_language(path):
    """The sections of a language file: {section: {key: value}}."""
    sections = {}
    current = None
    for line in read_text(path).splitlines():
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif current is not None and "=" in line:
            key, value = line.split("=", 1)
            current[key] = value
    return sections


def read_words(path):
    """The picture words of a language (name=value lines)."""
    words = {}
    if not os.path.exists(path):
        return words
    for line in read_text(path).splitlines():
        line = line.strip()
        if line and not line.startswith(";") and "=" in line:
            name, value = line.split("=", 1)
            words[name.strip()] = value.strip()
    return words


class Language:
    """What the pages of one language may and must say."""

    def __init__(self, code, idm_path, words_path):
        self.code = code
        self.sections = read_language(idm_path)
        self.words = read_words(words_path)
        self.web_address = self.text("(r)parametros", "urlVelmaro")
        self.allowed = set(DESIGNED_TEXTS)
        for section in self.sections.values():
            for value in section.values():
                self.allowed.add(normalised(value))
                self.allowed.update(normalised(part) for part in value.split("#"))
        self.allowed.update(normalised(w) for w in self.words.values())
        self.allowed.discard("")

    def text(self, section, key):
        return self.sections.get(section, {}).get(key, "")

    def shows(self, text):
        """Whether the window shows text, or a text it builds: "Drums 2", "Step 3:"."""
        if text in self.allowed:
            return True
        drums = normalised(self.text("frmPrincipal", "Bateria"))
        if drums and re.fullmatch(re.escape(drums) + r" ?\d+", text):
            return True
        step = normalised(self.text("fmAssistenteConfiguracaoDriver", "lblTitulo2-A"))
        return bool(step) and re.fullmatch(re.escape(step) + r" \d+:", text) is not None

    def name(self, kind, key):
        if kind == "designed":
            return key
        if kind == "palavras":
            return normalised(self.words.get(key, ""))
        return normalised(self.text(kind, key))


class Checker:
    def __init__(self, program_dir):
        self.program_dir = os.path.abspath(program_dir)
        self.docs_dir = os.path.join(self.program_dir, "docs")
        self.faults = []
        self._ids = {}

    def fault(self, where, text):
        self.faults.append("%s: %s" % (where, text))

    def relative(self, path):
        return os.path.relpath(path, self.program_dir)

    def ids_of(self, path):
        if path not in self._ids:
            parser = PageParser()
            parser.feed(read_text(path))
            parser.close()
            self._ids[path] = parser.ids
        return self._ids[path]

    def check_language(self, code, sources_dir):
        idm = os.path.join(self.program_dir, code + ".idm")
        if not os.path.exists(idm):
            self.fault(self.relative(idm), "the language file is missing")
            return
        language = Language(code, idm, os.path.join(sources_dir, code, "palavras.txt"))
        for section, key, is_help in (("parametros", "caminhoTutorial", False),
                                      ("(r)parametros", "caminhoAjuda", True)):
            named = language.text(section, key)
            if not named:
                self.fault(self.relative(idm), "names no page in [%s] %s" % (section, key))
                continue
            page = os.path.normpath(os.path.join(self.program_dir, named))
            if not os.path.isfile(page):
                self.fault(self.relative(idm), "[%s] %s names %s, which does not exist"
                           % (section, key, named))
                continue
            self.check_page(page, language, is_help)

    def check_page(self, page, language, is_help):
        where = self.relative(page)
        with open(page, "rb") as f:
            raw = f.read()
        try:
            text = raw.decode("utf-8")
        except UnicodeDecodeError as e:
            self.fault(where, "is not UTF-8 (%s)" % e)
            return
        parser = PageParser()
        parser.feed(text)
        parser.close()
        for line, fault in parser.faults:
            self.fault("%s:%d" % (where, line), fault)
        if parser.lang != language.code:
            self.fault(where, "<html lang=%r> should be %r" % (parser.lang, language.code))
        if not parser.title.strip():
            self.fault(where, "has no <title>")
        if not parser.charset:
            self.fault(where, 'has no <meta charset="utf-8">')
        for line, tag, attribute, value in parser.references:
            self.check_reference("%s:%d" % (where, line), page, tag, attribute, value, language)
        grooves = os.path.join(self.program_dir, language.text("frmPrincipal", "dlgRitmos"))
        for line, code in parser.code_texts:
            if re.fullmatch(r"[\w.-]+\.mid", code) and not os.path.isfile(
                    os.path.join(grooves, code)):
                self.fault("%s:%d" % (where, line), "the groove %s is not in %s"
                           % (code, self.relative(grooves)))
        for line, ui in parser.ui_texts:
            if not language.shows(ui):
                self.fault("%s:%d" % (where, line),
                           "%r is not a text the window shows in %s" % (ui, language.code))
        if is_help:
            self.check_help(where, parser, language)

    def check_reference(self, where, page, tag, attribute, value, language):
        if not value.strip():
            self.fault(where, "<%s %s> is empty" % (tag, attribute))
            return
        if re.match(r"^[A-Za-z][A-Za-z0-9+.-]*:", value) or value.startswith("//"):
            if tag == "a" and value == language.web_address and value.startswith("http"):
                return
            self.fault(where, "<%s %s=%r> leaves the documents (only the web address %r "
                       "may)" % (tag, attribute, value, language.web_address))
            return
        path, _, fragment = value.partition("#")
        target = page if not path else os.path.normpath(
            os.path.join(os.path.dirname(page), path))
        if os.path.commonpath([target, self.docs_dir]) != self.docs_dir:
            self.fault(where, "<%s %s=%r> points outside the docs folder" % (tag, attribute,
                                                                            value))
            return
        if not os.path.isfile(target):
            self.fault(where, "<%s %s=%r>: %s does not exist" % (tag, attribute, value,
                                                                self.relative(target)))
            return
        if target.endswith(".css"):
            self.check_style_sheet(target)
        if fragment and fragment not in self.ids_of(target):
            self.fault(where, "<%s %s=%r>: %s has no id %r" % (tag, attribute, value,
                                                              self.relative(target), fragment))

    def check_style_sheet(self, path):
        where = self.relative(path)
        css = read_text(path)
        for rule in ("@import", "@font-face"):
            if rule in css:
                self.fault(where, "uses %s: the documents take only the system's fonts and "
                           "this sheet" % rule)
        for url in re.findall(r"url\(\s*['\"]?([^'\")]*)", css):
            target = os.path.normpath(os.path.join(os.path.dirname(path), url))
            if re.match(r"^[A-Za-z][A-Za-z0-9+.-]*:", url) or not os.path.isfile(target):
                self.fault(where, "url(%s) does not name a file of the docs folder" % url)

    def check_help(self, where, parser, language):
        for kind, key in HELP_NAMES:
            name = language.name(kind, key)
            if not name:
                self.fault(where, "the language has no text for %s %s" % (kind, key))
            elif name not in (text for _, text in parser.ui_texts):
                self.fault(where, "never names %r (%s %s) as the window shows it"
                           % (name, kind, key))
        if parser.key_tables != 1:
            self.fault(where, "holds %d key tables (class \"teclas\"), not one"
                       % parser.key_tables)
            return
        space = SPACE_BAR.get(language.code)
        if space is None:
            self.fault(where, "the test knows no name of the space bar in %s" % language.code)
            return
        page_name = {k: k for k in KEY_NOTES if k != "Space"}
        page_name[space] = "Space"
        found = {}
        for line, cells in parser.key_rows:
            if len(cells) < 2 or not cells[0][0]:
                continue  # the heading row
            notes = {int(n) for n in re.findall(r"\d+", cells[-1][1])}
            for shown in cells[0][0]:
                key = page_name.get(shown)
                if key is None:
                    self.fault("%s:%d" % (where, line), "the key table names %r, which plays "
                               "nothing" % shown)
                    continue
                if key in found:
                    self.fault("%s:%d" % (where, line), "the key %r has two rows (also line "
                               "%d)" % (shown, found[key]))
                found[key] = line
                if notes != KEY_NOTES[key]:
                    self.fault("%s:%d" % (where, line), "the key %r sends %s, not %s"
                               % (shown, sorted(KEY_NOTES[key]), sorted(notes)))
        for key in KEY_NOTES:
            if key not in found:
                self.fault(where, "the key table lacks the key %r"
                           % (space if key == "Space" else key))


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program-dir", required=True)
    parser.add_argument("--languages", required=True,
                        help="the languages that must have their pages, comma-separated")
    parser.add_argument("--sources", required=True,
                        help="the language sources (their picture words)")
    args = parser.parse_args(argv)

    checker = Checker(args.program_dir)
    languages = [code for code in args.languages.split(",") if code]
    # A language file in the program folder beyond those expected is checked as well.
    for name in sorted(os.listdir(checker.program_dir)):
        if name.endswith(".idm") and name[:-4] not in languages:
            languages.append(name[:-4])
    for code in languages:
        checker.check_language(code, args.sources)
    for fault in checker.faults:
        print(fault)
    print("check_docs: %d language(s), %d fault(s)" % (len(languages), len(checker.faults)))
    return 1 if checker.faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
