"""Reads one HTML page of the documents: the faults of its markup, and what the checks of
check_docs.py look at (ids, links and pictures, the window's texts, the key table)."""

import html.entities
from html.parser import HTMLParser

VOID_ELEMENTS = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta",
                 "source", "track", "wbr"}
FORBIDDEN_ELEMENTS = {"script", "iframe", "object", "embed", "applet", "base"}


def normalised(text):
    """text with its blanks, no-break spaces included, made single spaces."""
    return " ".join(text.replace("\u00a0", " ").split())


class PageParser(HTMLParser):
    """Reads one page and notes its faults and what the other checks need."""

    def __init__(self):
        super().__init__(convert_charrefs=False)
        self.faults = []
        self.open = []  # (tag, line) of the elements not yet closed
        self.ids = set()
        self.references = []  # (line, tag, attribute, value)
        self.lang = None
        self.title = ""
        self.charset = False
        self.ui_texts = []  # (line, text)
        self.code_texts = []  # (line, text) of every <code> element
        self._code = None
        self._ui_depth = []  # [depth in self.open, text, line] of each open "ui" element
        self._title_open = False
        # The key table: its rows, each a list of cells, each [kbd texts, text].
        self.key_tables = 0
        self.key_rows = []
        self._in_key_table = None
        self._row = None
        self._cell = None
        self._kbd = None

    def fault(self, text):
        self.faults.append((self.getpos()[0], text))

    def handle_starttag(self, tag, attrs):
        self._start(tag, attrs, closes_itself=False)

    def handle_startendtag(self, tag, attrs):
        self._start(tag, attrs, closes_itself=True)

    def _start(self, tag, attrs, closes_itself):
        a = dict(attrs)
        line = self.getpos()[0]
        if tag in FORBIDDEN_ELEMENTS:
            self.fault("<%s> is not allowed in the documents" % tag)
        if "id" in a:
            if a["id"] in self.ids:
                self.fault("the id %r is used twice" % a["id"])
            self.ids.add(a["id"])
        for name, value in attrs:
            if name.startswith("on"):
                self.fault("<%s %s> runs a script" % (tag, name))
        if tag == "html":
            self.lang = a.get("lang")
        if tag == "meta" and (a.get("charset") or "").lower() == "utf-8":
            self.charset = True
        if tag in ("a", "link") and "href" in a:
            self.references.append((line, tag, "href", a["href"] or ""))
        if tag == "img":
            if "src" not in a:
                self.fault("<img> without src")
            else:
                self.references.append((line, tag, "src", a["src"] or ""))
            classes = (a.get("class") or "").split()
            if "alt" not in a:
                self.fault("<img src=%r> has no alt text" % a.get("src"))
            elif not (a["alt"] or "").strip() and "icone" not in classes:
                self.fault("<img src=%r> has an empty alt text but is no icon" % a.get("src"))
        if tag == "title":
            self._title_open = True
        if tag == "code":
            self._code = [line, ""]
        classes = (a.get("class") or "").split()
        if tag == "table" and "teclas" in classes:
            self.key_tables += 1
            self._in_key_table = len(self.open)
        if self._in_key_table is not None:
            if tag == "tr":
                self._row = []
            elif tag in ("td", "th") and self._row is not None:
                self._cell = [[], ""]
            elif tag == "kbd" and self._cell is not None:
                self._kbd = ""
        if tag in VOID_ELEMENTS or closes_itself:
            if closes_itself and tag not in VOID_ELEMENTS:
                self.fault("<%s/> does not close a non-void element in HTML" % tag)
            return
        self.open.append((tag, line))
        if "ui" in classes:
            self._ui_depth.append([len(self.open), "", line])

    def handle_endtag(self, tag):
        if tag in VOID_ELEMENTS:
            return
        if not self.open:
            self.fault("</%s> closes nothing" % tag)
            return
        top, line = self.open[-1]
        if top != tag:
            self.fault("</%s> closes <%s> of line %d" % (tag, top, line))
            # Recover at the matching element when there is one, so one fault is reported once.
            if tag not in (t for t, _ in self.open):
                return
            while self.open[-1][0] != tag:
                self.open.pop()
        depth = len(self.open)
        self.open.pop()
        while self._ui_depth and self._ui_depth[-1][0] >= depth:
            entry = self._ui_depth.pop()
            if entry[0] == depth:
                self.ui_texts.append((entry[2], normalised(entry[1])))
        if tag == "title":
            self._title_open = False
        if tag == "code" and self._code is not None:
            self.code_texts.append((self._code[0], normalised(self._code[1])))
            self._code = None
        if self._in_key_table is not None:
            if tag == "kbd" and self._kbd is not None and self._cell is not None:
                self._cell[0].append(normalised(self._kbd))
                self._kbd = None
            elif tag in ("td", "th") and self._cell is not None:
                self._row.append(self._cell)
                self._cell = None
            elif tag == "tr" and self._row is not None:
                self.key_rows.append((line, self._row))
                self._row = None
            elif tag == "table" and depth - 1 == self._in_key_table:
                self._in_key_table = None

    def handle_data(self, data):
        self._text(data)

    def handle_entityref(self, name):
        if name + ";" not in html.entities.html5:
            self.fault("unknown entity &%s;" % name)
            return
        self._text(html.entities.html5[name + ";"])

    def handle_charref(self, name):
        try:
            self._text(chr(int(name[1:], 16) if name[:1] in "xX" else int(name)))
        except ValueError:
            self.fault("bad character reference &#%s;" % name)

    def _text(self, text):
        for entry in self._ui_depth:
            entry[1] += text
        if self._title_open:
            self.title += text
        if self._code is not None:
            self._code[1] += text
        if self._cell is not None:
            self._cell[1] += text
        if self._kbd is not None:
            self._kbd += text

    def close(self):
        super().close()
        for tag, line in self.open:
            self.faults.append((line, "<%s> is never closed" % tag))
        self.open = []
