// Turns the bytes of a language or configuration file into text.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Decodes bytes as UTF-8 when the whole of them is valid UTF-8 (an initial byte-order
// mark is dropped), otherwise as Windows-1252, the code page of files written on Windows.
QString decodificarTexto(const QByteArray &bytes);

// Splits text into lines; a carriage return, a line feed or the pair of them ends a line.
// A final line end does not add an empty last line.
QStringList separarLinhas(const QString &texto);

// Removes the characters of code 32 or less (blanks and control characters) from both ends.
QString aparar(const QString &texto);
