// How the language machinery shows its messages.
#pragma once

#include <QString>
#include <functional>

// Shows one message with a caption and an OK button and returns when it is dismissed.
// Tests pass one that records the message instead of blocking.
using Mensageiro = std::function<void(const QString &texto, const QString &titulo)>;

// The program's message box: texto under the caption titulo, an OK button, no icon.
// Needs the QApplication; called on the user-interface thread.
void mostrarMensagem(const QString &texto, const QString &titulo);

// The support address that the built-in English messages name.
QString enderecoSuporte();

// The caption of the language machinery's built-in messages, "Internationalization".
QString tituloMensagens();
