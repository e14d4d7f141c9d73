// What the programs that take pictures of the judging windows share: the languages they go
// through, how a failure is told, the check that every text fits its control, the writing of a
// window's picture, and the frame of their main().
#pragma once

#include <QDir>
#include <QString>
#include <functional>

class QWidget;

namespace previa {

// Tells a failure on stderr, after the name of the program, and counts it: the program ends with
// status 1 when any was told.
void falhar(const QString &texto);

// The widget's object name, or its class's when it has none.
QString nomeDe(const QWidget *w);

// Fails for every visible label, group title, button, table column, header or cell of the
// window whose text needs more room than it has; foto names the picture in the message.
void verificar(QWidget *janela, const QString &foto);

// Lets the window settle, checks it with verificar and writes its picture as foto.png in pasta.
// Answers the path written, or an empty text after telling that it could not be written.
QString fotografar(QWidget &janela, const QDir &pasta, const QString &foto);

// The whole of such a program's main(): the offscreen platform unless one is named, the Fusion
// style, the output folder from the one argument, a screen of 96 DPI, the program folder's
// languages; renderizar is called once per language, after it is selected, with the output
// folder and the language's code (en, pt-BR, es). programa names the program in its messages.
// Answers the exit status: 2 for a wrong use, 1 after any failure, 0 otherwise.
int executarPrevia(int argc, char **argv, const char *programa,
                   const std::function<void(const QDir &pasta, const QString &codigo)> &renderizar);

}  // namespace previa
