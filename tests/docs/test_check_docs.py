"""The checker of the documents finds each kind of fault it is there for, on small program
folders written here, and passes a sound one."""

import os
import tempfile
import unittest

import check_docs

LANGUAGE_FILE = """\
[frmPrincipal]
Tocando=Playing
Pausa=Paused
Parado=Stopped
Repetindo=Looping
InicioLoop=Loop start
Adiantando=Fast-forward
Voltando=Rewinding
lblTempo=Beat:
lblVolume=Volume
lblVelocidade=Tempo:
Bateria=Drums\u00a0
BateriaTodas=All drum tracks
SemNome=(untitled)
dlgRitmos=ritmos
msgPlacaDesconfigurada=The device did not respond.#Please check it.

[frmSetup]
btnAssistenteDriver=Test devices…
TabCanais=Tracks
GroupBoxCanais=Song tracks
CheckBoxSel=All tracks
CheckBoxText=(no track)
TabEntrada=Electronic kit
lblDispositivoEntrada=MIDI input:
nenhumaEntrada=(none)
entradaAusente=Not connected: %1
lblMapaNotas=Note map:
mapaPersonalizado=Taught map
lblPecaAprender=Teach a pad:
btnAprender=Learn
lblVelocidadeMinima=Softest hit (velocity):
lblLimiarChimbal=Hi-hat closed from pedal value:
ckChimbalInvertido=The pedal sends low values when closed
ckGuardaCruzadaText=Ignore cross-talk between pads

[fmAssistenteConfiguracaoDriver]
btnProsseguir=Play scale
btnEscutando=I heard it
btnNaoEscutando=I heard nothing
btnFinalizar=Finish
btnCancelar=Cancel
lblLinkVolumeWindows=Open the volume mixer
lblTitulo2-A=Step
lblTitulo2-B=Did you hear the scale?
lblTitulo2-C=Your sound device is ready
lblTitulo2-D=No device was confirmed

[parametros]
caminhoTutorial=docs/en/tutorial.html

[(r)parametros]
caminhoAjuda=docs/en/help.html
urlVelmaro=https://kovrinta.example.org
"""

WORDS = "botao.abrir=Open\nbotao.ritmos=Grooves\n"

NAMES = ["Playing", "Paused", "Stopped", "Looping", "Loop start", "Fast-forward",
         "Rewinding", "Beat:", "Volume", "Tempo:", "All drum tracks", "(untitled)",
         "Test devices…", "Tracks", "Song tracks", "All tracks", "(no track)",
         "Electronic kit", "MIDI input:", "(none)", "Note map:", "Taught map", "Teach a pad:",
         "Learn", "Softest hit (velocity):", "Hi-hat closed from pedal value:",
         "The pedal sends low values when closed", "Ignore cross-talk between pads",
         "Play scale",
         "I heard it", "I heard nothing", "Finish", "Cancel", "Open the volume mixer",
         "Did you hear the scale?", "Your sound device is ready", "No device was confirmed",
         "Open", "Grooves", "Play Along", "Tracks:", "Drivers", "OK"]

KEY_ROWS = """\
<tr><th>Key</th><th>Piece</th><th>Note</th></tr>
<tr><td><kbd>Space</kbd></td><td>Bass drum</td><td>35</td></tr>
<tr><td><kbd>A</kbd> or <kbd>S</kbd></td><td>Snare</td><td>38</td></tr>
<tr><td><kbd>Z</kbd></td><td>Rim</td><td>37</td></tr>
<tr><td><kbd>X</kbd> or <kbd>D</kbd></td><td>Hi-hat, closed with <kbd>Ctrl</kbd></td>
  <td>46 (42 with Ctrl)</td></tr>
<tr><td><kbd>Ctrl</kbd></td><td>Hi-hat pedal</td><td>44</td></tr>
<tr><td><kbd>C</kbd> or <kbd>F</kbd></td><td>Tom 1</td><td>48</td></tr>
<tr><td><kbd>V</kbd> or <kbd>G</kbd></td><td>Tom 2</td><td>45</td></tr>
<tr><td><kbd>B</kbd> or <kbd>H</kbd></td><td>Floor tom 1</td><td>43</td></tr>
<tr><td><kbd>N</kbd> or <kbd>J</kbd></td><td>Floor tom 2</td><td>41</td></tr>
<tr><td><kbd>E</kbd></td><td>Cymbal 1 (ride 2)</td><td>59</td></tr>
<tr><td><kbd>R</kbd></td><td>Splash</td><td>55</td></tr>
<tr><td><kbd>Y</kbd></td><td>Crash 2</td><td>57</td></tr>
<tr><td><kbd>O</kbd></td><td>Crash</td><td>49</td></tr>
<tr><td><kbd>K</kbd></td><td>Ride</td><td>51</td></tr>
"""


def page(body, lang="en", title="A page"):
    return ("<!DOCTYPE html>\n<html lang=\"%s\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<title>%s</title>\n<link rel=\"stylesheet\" href=\"../kovrinta.css\">\n"
            "</head>\n<body>\n%s\n</body>\n</html>\n" % (lang, title, body))


def help_body(key_rows=KEY_ROWS, names=NAMES):
    spans = "\n".join('<p><span class="ui">%s</span></p>' % n for n in names)
    return ('<h1 id="top">Help</h1>\n%s\n<table class="teclas">\n%s</table>\n'
            '<p><img src="img/janela.png" alt="The window"></p>' % (spans, key_rows))


TUTORIAL_BODY = ('<h1>Tutorial</h1>\n<p>See the <a href="help.html#top">help</a> and '
                 '<a href="https://kovrinta.example.org">the website</a>.</p>')


class ProgramFolder:
    """A program folder with the English language file and its two pages."""

    def __init__(self, root, tutorial=None, help=None, language=LANGUAGE_FILE,
                 css="body { margin: 0; }\n"):
        self.root = root
        self.program = os.path.join(root, "bin")
        self.sources = os.path.join(root, "idiomas")
        self.write("bin/en.idm", language)
        self.write("idiomas/en/palavras.txt", WORDS)
        self.write("bin/docs/kovrinta.css", css)
        self.write("bin/docs/en/img/janela.png", "picture")
        self.write("bin/ritmos/rock-110.mid", "MThd")
        if tutorial is not False:
            self.write("bin/docs/en/tutorial.html", page(TUTORIAL_BODY) if tutorial is None
                       else tutorial)
        if help is not False:
            self.write("bin/docs/en/help.html", page(help_body()) if help is None else help)

    def write(self, name, text):
        path = os.path.join(self.root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)

    def faults(self):
        checker = check_docs.Checker(self.program)
        checker.check_language("en", self.sources)
        return checker.faults


class CheckerTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def folder(self, **parts):
        return ProgramFolder(tempfile.mkdtemp(dir=self.dir.name), **parts)

    def faults(self, **parts):
        return self.folder(**parts).faults()

    def assertFault(self, faults, *words):
        matching = [f for f in faults if all(w in f for w in words)]
        self.assertTrue(matching, "no fault with %r among %r" % (words, faults))

    def test_sound_folder_passes(self):
        self.assertEqual(self.faults(), [])

    def test_pages_the_language_file_names_must_exist(self):
        self.assertFault(self.faults(help=False), "caminhoAjuda", "does not exist")
        self.assertFault(self.faults(tutorial=False), "caminhoTutorial", "does not exist")

    def test_every_element_is_closed_in_order(self):
        self.assertFault(self.faults(tutorial=page("<p>open paragraph")),
                         "</body> closes <p> of line 9")
        truncated = page("<p>x</p>").replace("</body>\n</html>\n", "")
        self.assertFault(self.faults(tutorial=truncated), "<body> is never closed")
        self.assertFault(self.faults(tutorial=page("<p><em>crossed</p></em>")),
                         "</p> closes <em>")
        self.assertFault(self.faults(tutorial=page("<p>a</p></div>")), "</div>",
                         "closes <body>")
        self.assertFault(self.faults(tutorial=page("<p/>")), "<p/>")

    def test_page_head_and_entities(self):
        self.assertFault(self.faults(tutorial=page("<p>x</p>", lang="pt-BR")),
                         "lang='pt-BR'", "'en'")
        self.assertFault(self.faults(tutorial=page("<p>x</p>", title="")), "no <title>")
        self.assertFault(self.faults(tutorial=page("<p>Tom &amp; snare &nbps; x</p>")),
                         "unknown entity &nbps;")
        self.assertFault(self.faults(tutorial=page('<h1 id="a">x</h1><h2 id="a">y</h2>')),
                         "'a' is used twice")

    def test_no_script_runs(self):
        self.assertFault(self.faults(tutorial=page("<script>alert(1)</script>")), "<script>")
        self.assertFault(self.faults(tutorial=page('<p onclick="x()">x</p>')), "onclick")

    def test_pictures_resolve_and_have_alt_texts(self):
        self.assertFault(self.faults(tutorial=page('<img src="img/loop.png" alt="Loop">')),
                         "img/loop.png", "does not exist")
        self.assertFault(self.faults(tutorial=page('<img src="img/janela.png">')),
                         "no alt text")
        self.assertFault(self.faults(tutorial=page('<img src="img/janela.png" alt="">')),
                         "empty alt text")
        self.assertEqual(self.faults(tutorial=page(
            '<p><img class="icone" src="img/janela.png" alt=""> Play</p>')), [])

    def test_links_stay_in_the_documents(self):
        self.assertFault(self.faults(tutorial=page('<a href="help.html#nowhere">x</a>')),
                         "has no id 'nowhere'")
        self.assertFault(self.faults(tutorial=page('<a href="#gone">x</a>')),
                         "has no id 'gone'")
        self.assertFault(self.faults(tutorial=page('<a href="faq.html">x</a>')),
                         "faq.html", "does not exist")
        self.assertFault(self.faults(tutorial=page('<a href="../../en.idm">x</a>')),
                         "outside the docs folder")
        self.assertFault(self.faults(tutorial=page('<a href="https://example.com/">x</a>')),
                         "leaves the documents")
        self.assertFault(self.faults(tutorial=page('<img src="file:///tmp/a.png" alt="a">')),
                         "leaves the documents")
        self.assertFault(self.faults(tutorial=page('<a href="">x</a>')), "is empty")

    def test_grooves_named_are_in_the_rhythm_folder(self):
        self.assertEqual(self.faults(tutorial=page("<p>Open <code>rock-110.mid</code>.</p>")),
                         [])
        self.assertFault(self.faults(tutorial=page("<p>Open <code>rock-120.mid</code>.</p>")),
                         "rock-120.mid is not in ritmos")

    def test_style_sheet_takes_no_outside_fonts(self):
        faults = self.faults(css='@font-face { font-family: X; src: url("x.woff"); }\n')
        self.assertFault(faults, "kovrinta.css", "@font-face")
        self.assertFault(faults, "kovrinta.css", "url(x.woff)")

    def test_window_texts_are_quoted_as_the_window_shows_them(self):
        self.assertFault(self.faults(tutorial=page('<p><span class="ui">Play scales</span></p>')),
                         "'Play scales' is not a text the window shows")
        # Texts the window builds, a line of a longer text and the designed captions pass.
        self.assertEqual(self.faults(tutorial=page(
            '<p><span class="ui">Drums&nbsp;2</span> <span class="ui">Step 3:</span> '
            '<span class="ui">The device did not respond.</span> '
            '<span class="ui">Total:</span> <span class="ui">Roland V-Drums (TD)</span></p>')),
            [])

    def test_help_names_every_status_and_button(self):
        names = [n for n in NAMES if n not in ("Looping", "I heard nothing", "Learn")]
        faults = self.faults(help=page(help_body(names=names)))
        self.assertFault(faults, "never names 'Looping'")
        self.assertFault(faults, "never names 'I heard nothing'")
        self.assertFault(faults, "never names 'Learn'", "frmSetup btnAprender")

    def test_key_table_holds_every_key_with_its_note(self):
        without_k = KEY_ROWS.replace('<tr><td><kbd>K</kbd></td><td>Ride</td><td>51</td></tr>\n',
                                     "")
        self.assertFault(self.faults(help=page(help_body(key_rows=without_k))),
                         "lacks the key 'K'")
        wrong_note = KEY_ROWS.replace("<td>Snare</td><td>38</td>", "<td>Snare</td><td>40</td>")
        self.assertFault(self.faults(help=page(help_body(key_rows=wrong_note))),
                         "'A' sends [38], not [40]")
        no_ctrl_note = KEY_ROWS.replace("46 (42 with Ctrl)", "46")
        self.assertFault(self.faults(help=page(help_body(key_rows=no_ctrl_note))),
                         "'X' sends [42, 46], not [46]")
        twice = KEY_ROWS + "<tr><td><kbd>Z</kbd></td><td>Rim</td><td>37</td></tr>\n"
        self.assertFault(self.faults(help=page(help_body(key_rows=twice))), "'Z' has two rows")
        unknown = KEY_ROWS + "<tr><td><kbd>Q</kbd></td><td>Cowbell</td><td>56</td></tr>\n"
        self.assertFault(self.faults(help=page(help_body(key_rows=unknown))),
                         "names 'Q', which plays nothing")
        self.assertFault(self.faults(help=page(help_body(key_rows="") .replace(
            '<table class="teclas">\n</table>', ""))), "holds 0 key tables")

    def test_a_language_without_its_file_is_a_fault(self):
        folder = self.folder()
        checker = check_docs.Checker(folder.program)
        checker.check_language("es", folder.sources)
        self.assertTrue(any("es.idm" in f and "missing" in f for f in checker.faults),
                        checker.faults)


if __name__ == "__main__":
    unittest.main()
