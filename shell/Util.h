// Small services of the desktop: opening a document or web address with the application
// the system associates with it, starting a program, and whether a sound server runs.
#pragma once

#include <QString>
#include <QUrl>

// Opens texto (a path or a web address) with its default application. Leading and trailing
// blanks and control characters are removed first; an empty text throws std::out_of_range.
// A failure to open is silent. User-interface thread.
void abrirDocumento(const QString &texto);

// texto trimmed and enclosed in double quotes, each quote added only where it is missing:
// the one item that a path or address with blanks becomes. Throws std::out_of_range when
// nothing is left after trimming.
QString textoEntreAspas(const QString &texto);

// What abrirDocumento hands to the opener for texto: the quoted item without its enclosing
// quotes, as a web address when it starts with a scheme ("https:", "mailto:"), else as a
// local file (a relative path taken from the current folder); an empty QUrl when nothing is
// left inside the quotes. Throws as textoEntreAspas.
QUrl destinoDocumento(const QString &texto);

// Starts arquivo (a program found on the PATH, or a path) detached from this process, with
// parametros split as a shell would split them ("-e alsamixer"). True when it started.
// User-interface thread.
bool executarPrograma(const QString &arquivo, const QString &parametros);

// Whether a PipeWire or PulseAudio server answers on this session's sockets (PULSE_SERVER,
// then pulse/native and pipewire-0 under XDG_RUNTIME_DIR). Answers at once; any thread.
bool isServidorSomAtivo();
